#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class QLabel;
class QStatusBar;
class QWidget;

// Shows, at the right of a status bar, how many characters the text field that has the focus
// holds and how many it may hold ("English: 12 of 30"), in red once the text is longer. The rule
// itself stays where the text is stored; this only says it while typing. Lengths are counted as
// the store counts them: UTF-16 code units, a line break in a multi-line field as CR LF.
class TFieldCounter : public QObject
{
    Q_OBJECT

public:
    explicit TFieldCounter(QStatusBar* StatusBar);

    // Watches Field (a QLineEdit or a QPlainTextEdit) under the name Caption.
    void AddField(QWidget* Field, const QString& Caption, int Limit);

    // The length of Field's text as stored.
    static int StoredLength(const QWidget* Field);
    // The label, for tests and screenshots.
    QLabel* Label() const { return FLabel; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TField
    {
        QPointer<QWidget> Widget;
        QString Caption;
        int Limit = 0;
    };
    void Show(const TField& Field);
    std::vector<TField> FFields;
    QLabel* FLabel;
};
