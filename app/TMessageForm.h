#pragma once

#include <QWidget>

class QLabel;

// A small window that asks the user to wait while a longer operation runs. It is not owned by
// the main window, is centred on it and offers no close command.
class TMessageForm : public QWidget
{
    Q_OBJECT

public:
    TMessageForm(QWidget* Owner, const QString& Text);

    QLabel* MessageLabel;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
};
