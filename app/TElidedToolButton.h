#pragma once

#include <QToolButton>

// A text-only tool button that gives way when its row is narrow: its text is shortened in the
// middle with "…" to the width it gets, and the whole text shows as its tip then.
class TElidedToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit TElidedToolButton(QWidget* Parent = nullptr);

    // The text as painted at the present width, and the whole of it ("&&" in text() is one "&").
    QString ShownText() const;
    QString FullText() const;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
};
