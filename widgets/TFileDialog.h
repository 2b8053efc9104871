#pragma once

#include <QList>
#include <QString>

class QFileDialog;
class QWidget;

// The standard dialogs that ask for a file, behind a seam tests can answer: SetNextAnswer queues
// the path the next dialog returns without showing it (an empty path is a cancel), and the
// dialogs answered that way are kept for inspection.
class TFileDialog
{
public:
    // An existing file to open; empty when the user cancelled.
    static QString OpenFileName(QWidget* Parent, const QString& Caption, const QString& Directory,
                                const QString& Filter);
    // A name for a new file; empty when the user cancelled. Unless ConfirmReplace, the dialog does
    // not ask about replacing an existing file: the caller decides what an existing file means.
    static QString SaveFileName(QWidget* Parent, const QString& Caption, const QString& Directory,
                                const QString& Filter, bool ConfirmReplace = false);

    // Makes a dialog built elsewhere list files without opening them: every dialog of the
    // program goes through this, because closing any descriptor on the open data file or its log
    // would drop the database's locks.
    static void KeepFilesClosed(QFileDialog& Dialog);

    // Test seam. While answers are queued, no dialog is shown.
    static void SetNextAnswer(const QString& Path);
    static void ClearAnswers();
    struct TShown
    {
        bool Save;
        QString Caption;
        QString Directory;
        QString Filter;
    };
    // The dialogs answered from the queue, oldest first; cleared by ClearAnswers.
    static const QList<TShown>& Answered();
};
