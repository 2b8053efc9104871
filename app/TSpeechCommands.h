#pragma once

#include <QObject>
#include <QString>

class QAction;
class TAdminForm;
class TElidedToolButton;

// The main window's pronunciation commands (File > Speak, F8) and the search that says when it
// missed: the status bar names the word, and File > Add "word"… (also at the right of the
// status bar) makes a new entry for it.
class TSpeechCommands : public QObject
{
    Q_OBJECT

public:
    explicit TSpeechCommands(TAdminForm& Form);

    QAction* SpeakAction = nullptr;
    QAction* AddMissingAction = nullptr;
    TElidedToolButton* AddMissingButton = nullptr;

    // Says the word in the search box, or the current entry's word when the box is empty.
    void SpeakExecute();
    void AddMissingExecute();
    // After a search: when the store fell back to a shorter beginning (or found nothing), the
    // status bar says so and the Add command offers the word.
    void ShowSearchOutcome();
    void ClearSearchOutcome();
    // The first failure to speak gets a box, later ones the status bar.
    void SpeechFailed(const QString& Message);

private:
    TAdminForm& Form;
    QString MissingWord; // the last search's text when it was not found
    bool SpeechFailureShown = false;
};
