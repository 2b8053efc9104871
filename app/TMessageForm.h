#pragma once

#include <QWidget>

#include <functional>

class QLabel;
struct sqlite3;

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
    // Runs Work, a long operation on the database Db, while this window (and every other window
    // of the program) keeps being drawn when the window system asks, under a wait cursor. No
    // input, timer, socket activity or close request is handled until Work ends.
    void KeepPaintedDuring(sqlite3* Db, const std::function<void()>& Work);

    QLabel* MessageLabel;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
};
