#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message box and confirmation of the program goes through here, so that tests can answer
// them: SetNextAnswer queues the button the next box returns without showing it, and the texts of
// the boxes that were answered that way are kept for inspection.
class TMessageBox
{
public:
    using TButton = QMessageBox::StandardButton;
    using TButtons = QMessageBox::StandardButtons;

    // Shows a box with the given icon, caption, text, buttons and default button; returns the
    // button pressed (or the queued answer).
    static TButton Show(QWidget* Parent, QMessageBox::Icon Icon, const QString& Caption,
                        const QString& Text, TButtons Buttons,
                        TButton DefaultButton = QMessageBox::NoButton);

    static TButton Error(QWidget* Parent, const QString& Caption, const QString& Text);
    static TButton Information(QWidget* Parent, const QString& Caption, const QString& Text);
    static TButton Question(QWidget* Parent, const QString& Caption, const QString& Text,
                            TButtons Buttons = QMessageBox::Yes | QMessageBox::No,
                            TButton DefaultButton = QMessageBox::Yes);

    // Test seam. While answers are queued, no box is shown.
    static void SetNextAnswer(TButton Answer);
    static void ClearAnswers();
    struct TShown
    {
        QMessageBox::Icon Icon;
        QString Caption;
        QString Text;
        TButtons Buttons;
        TButton DefaultButton;
    };
    // The boxes answered from the queue, oldest first; cleared by ClearAnswers.
    static const QList<TShown>& Answered();
};
