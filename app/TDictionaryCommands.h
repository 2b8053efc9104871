#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class TAdminForm;

// The main window's dictionaries: the first run's own data file, and File's "Open
// Dictionary..." and "New Dictionary..." which switch the window to another file and keep it as
// DataFile in the screen saver's key, which the screen saver shares.
class TDictionaryCommands : public QObject
{
    Q_OBJECT

public:
    explicit TDictionaryCommands(TAdminForm& Form);

    QAction* OpenDictionary = nullptr;
    QAction* NewDictionary = nullptr;
    void OpenDictionaryExecute();
    void NewDictionaryExecute();
    // Opens Path in place of the current data file and refreshes the window. Remember stores it
    // as DataFile. When it does not open, the current file is opened again and the messages are
    // shown; the result is false.
    bool SwitchDictionary(const QString& Path, bool Remember = true);
    // Turns the Access database at AccessPath into a new dictionary and returns that file's path
    // (empty when the user gave up); throws std::exception with the message when it cannot.
    // Unset, Access databases are refused with a message.
    std::function<QString(const QString& AccessPath)> ConvertAccessDatabase;
    static bool IsAccessDatabase(const QString& Path);
    // Where the dictionary is when no DataFile is configured: $XDG_DATA_HOME/vexlo-vocabulary.
    static QString FirstRunDataFile();

    // Tools > Unify Stress Marks…: after asking, transcriptions written with ˈ (U+02C8) take the
    // dictionary's own stress mark ˋ (U+02CB), which the editor's palette and Suggest write.
    QAction* UnifyStressMarksAction = nullptr;
    void UnifyStressMarksExecute();

    // Without a configured DataFile the dictionary is a file of our own, made on the first start.
    void PrepareFirstRun();
    // The first activation after making it offers the sample vocabulary; when its folder could
    // not be made, it says why and offers Open and New Dictionary instead of ending.
    void OfferSampleVocabulary();
    void OfferAnotherDictionary();

private:
    TAdminForm& Form;
    bool FirstRunCreated = false;
    QString FirstRunProblem;
};
