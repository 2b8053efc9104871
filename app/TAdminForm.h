#pragma once

#include "settings/TAppRegInfo.h"
#include "store/TEnBgRecord.h"
#include "ui_TAdminForm.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>

class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class TDictionaryCommands;
class TEditForm;
class TEntryView;
class TInterchangeCommands;
class TLearnNotes;
class TLookUp;
class TMeaningFinder;
class TFindCommand;
class TReviewCommand;
class TEnglishTableModel;
class TRegInfo;
class TScreenSaverDataModule;
class TSpeechCommands;
class TTrayControl;
class TWindowPlacement;

// The main window: a browser over the vocabulary with an incremental search box, the commands
// that change the store, the entry points to the reports, options and about box, and the rule
// that decides whether closing it ends the program or only hides it. Its parts are small
// collaborators it owns: the tray, the look-ups, the learning notes, the dictionaries, import and
// export, speech and its place on the screen. The designer's controls are its own: others find
// them by name.
class TAdminForm : public QMainWindow, private Ui::TAdminForm
{
    Q_OBJECT

public:
    // Runs FormCreate over Store, which outlives the window. Arguments are the program's command
    // line (program name first).
    explicit TAdminForm(TScreenSaverDataModule& Store, const QStringList& Arguments = QStringList());
    // Runs FormDestroy: saves every setting.
    ~TAdminForm() override;

    // The vocabulary store the window browses and changes; its parts reach it from here.
    TScreenSaverDataModule& Store;
    bool Busy = false;
    TRegInfo* ScreenSaverSettings = nullptr;
    QStringList OpenErrors;
    TAppRegInfo* AppSettings = nullptr;
    bool ReallyClose = false;
    // Whether none of the window's dialogs is open: the tray menu, look-ups and notes wait
    // meanwhile.
    bool NoDialogOpen() const { return FDialogsOpen == 0; }
    // While one lives (until Close), a dialog of the window counts as open. Nested ones count
    // apart, so the inner one's end never makes the outer one look closed.
    class TDialogOpen
    {
    public:
        explicit TDialogOpen(TAdminForm& Form) : FForm(&Form) { ++Form.FDialogsOpen; }
        ~TDialogOpen() { Close(); }
        TDialogOpen(const TDialogOpen&) = delete;
        TDialogOpen& operator=(const TDialogOpen&) = delete;
        void Close()
        {
            if (TAdminForm* Form = FForm.data())
                --Form->FDialogsOpen;
            FForm.clear();
        }

    private:
        QPointer<TAdminForm> FForm; // cleared when the window goes first
    };

    // Whether the window is to be shown when the event loop starts (false for "startup").
    bool ShowMainForm = true;
    // Ends the program; by default asks the event loop to quit once control returns to it.
    std::function<void()> ApplicationTerminate;

    // The word editor, created after this window (it does not exist while FormCreate runs).
    TEditForm* EditForm = nullptr;

    QLabel* StatusPanel = nullptr;
    TEnglishTableModel* GridModel = nullptr;

    // Command handlers.
    void NewExecute();
    void RedactExecute();
    void DeleteExecute();
    void DeleteAllExecute();
    void RandomBitBtnClick();
    void Information1Click();
    void HTMLPreview1Click();
    void AboutExecute();
    void OptionsExecute();
    void ExitExecute();
    void HideWinExecute();
    void OpenExecute();
    void EnglishDBGridDblClick();
    void SearchEditChange();
    void ApplicationEventsHint(const QString& Hint);

    void FormActivate();
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    // The desktop session is ending: the coming close is a real one.
    void QueryEndSession();

    // Brings the window forward for a later start of the program (and the dialog open over it).
    void BringForward();

    void UpdateCaption();
    void TableAfterScroll();
    void TableAfterPost();
    void DisableWhenEmpty();
    // Delete, Delete All, Redact and Random follow whether the store holds any entry.
    void EnableEntryCommands();
    void ShowOpenErrors();

    // The window's parts.
    TTrayControl* Tray = nullptr;
    TLookUp* LookUps = nullptr;             // copied and handed-over texts
    TLearnNotes* Notes = nullptr;           // the learning notes and Start LM / Stop LM
    TDictionaryCommands* Dictionaries = nullptr;
    TInterchangeCommands* Interchange = nullptr;
    TSpeechCommands* Speech = nullptr;
    TWindowPlacement* Placement = nullptr;
    TEntryView* View = nullptr;             // the grid, details and navigator

    // What the instance socket answers to "state": "starting" until a hidden start has decided
    // whether the window must show after all, then "shown" or "hidden"; then "clipboard N", the
    // clipboard changes handled so far (looked up or ignored).
    QByteArray InstanceState();

    // What a look-up found is shown: the window comes forward (or only shows, as the settings
    // say) unless a dialog is open.
    void ShowAfterCapture();

    // Finding entries by their Bulgarian meaning, and File > Find... (find in everything).
    TMeaningFinder* Meanings = nullptr;
    TFindCommand* FindCommand = nullptr;
    // Tools → Review and the tray's Review.
    TReviewCommand* Review = nullptr;

protected:
    bool event(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

public:
    // Swallows tool tips everywhere and the mouse wheel over the grid.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    friend class TDictionaryCommands;
    friend class TEntryView;
    friend class TInterchangeCommands;
    friend class TSpeechCommands;
    friend class TTrayControl;
    void FormCreate(const QStringList& Arguments);
    void FormDestroy();
    void DesignForm();
    void StartBrowsing();
    void ReportError(const QString& Message);
    void CaptureText(const QString& Text);
    // Runs Work; an error it throws is reported in a message box.
    void Guarded(const std::function<void()>& Work);
    bool TableBound = false;
    bool SearchQuiet = false; // the search box's text is being set: no search for it
    int FDialogsOpen = 0;
};
