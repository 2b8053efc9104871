#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class TVexloConnection;

// A small window that asks the user to wait while a longer operation runs. It is not owned by
// the main window, is centred on it and offers no close command.
class TMessageForm : public QWidget
{
    Q_OBJECT

public:
    TMessageForm(QWidget* Owner, const QString& Text);

    // Shows the window and returns once the window system shows it with its text drawn (or
    // after a second, where no window system answers).
    void ShowPainted();
    // Runs Work, a long operation on the data file behind Connection, while this window (and every
    // other window of the program) keeps being drawn when the window system asks, under a wait
    // cursor: while a statement runs long and while it waits for another program's lock. No
    // input, timer, socket activity or close request is handled until Work ends.
    void KeepPaintedDuring(TVexloConnection* Connection, const std::function<void()>& Work);

    QLabel* MessageLabel;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
};
