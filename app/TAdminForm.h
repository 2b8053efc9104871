#pragma once

#include "app/TElidedToolButton.h"
#include "app/TTrayIcon.h"
#include "interchange/TInterchangeTypes.h"
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
class TEditForm;
class TLearnNotes;
class TLookUp;
class TReviewCommand;
class TEnglishTableModel;
class TRegInfo;

// The note library's two entry points. The main window calls them through this table, which
// holds the library's own functions unless a test puts others in.

// The main window: a browser over the vocabulary with an incremental search box, the commands
// that change the store, the entry points to the reports, options and about box, and the rule
// that decides whether closing it ends the program or only hides it.
class TAdminForm : public QMainWindow, public Ui::TAdminForm, public TMainWindowPlace
{
    Q_OBJECT

public:
    // Runs FormCreate. Arguments are the program's command line (program name first).
    explicit TAdminForm(const QStringList& Arguments = QStringList());
    // Runs FormDestroy: saves every setting.
    ~TAdminForm() override;

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

    // Where the window stands on the screen and how it reads there (TAdminFormPlace.cpp).
    // The dialog open over the window, restored when minimised, comes forward.
    void BringDialogForward();
    // A maximised or minimised window is set back to its normal bounds, which are then saved.
    void RestoreNormalBounds();
    // A first start, with no position saved, centres the window on the primary screen.
    void CentreWhenNeverPlaced();
    // The transcription and the grid's row indicator stay readable on dark palettes too.
    void ApplyReadableColours();
    // Whether Object is the tray icon or its window (its tip is not swallowed).
    bool IsTrayIconObject(const QObject* Object) const;
    // A double-click anywhere on the grid (row indicators and the room below the rows too, not
    // only a cell) runs EnglishDBGridDblClick.
    void WatchGridDoubleClicks();
    // The window manager's frame around the window in its normal state, and the bounds to save
    // once a maximised window was set back to normal (its manager answers too late for them).
    QMargins NormalFrame;
    QRect ClosingBounds;
    void NoteNormalFrame();
    // Once the window manager has framed the window, the frame is fitted on the screen again
    // (before, the frame's size is not known). Only the first time: later the user places it.
    bool FramedFitDone = false;
    void FitWhenFirstFramed();

    void UpdateCaption();
    void TableAfterScroll();
    void TableAfterPost();
    void DisableWhenEmpty();
    // Delete, Delete All, Redact and Random follow whether the store holds any entry.
    void EnableEntryCommands();
    void ShowOpenErrors();

    // Tray residency.
    TTrayIcon* TrayIcon = nullptr;
    QMenu* TrayPopupMenu = nullptr;
    QAction* OpenTMI = nullptr;
    QAction* AboutTMI = nullptr;
    QAction* StartStopTMI = nullptr;
    QAction* ExitTMI = nullptr;
    void AddTrayIcon();
    void RemoveTrayIcon();
    // The icon's mouse events: a right click pops up TrayPopupMenu, a double click runs Open.
    void TrayIconMessage(QSystemTrayIcon::ActivationReason Reason);
    // Whether hiding leaves a way back: the icon is up and a tray host shows it.
    bool TrayIconShown() const;

    // A start with "startup" waits this long for a tray host before it shows the window after
    // all (so that it never runs unreachable); a store that failed to open shows at once.
    static inline int TrayWaitMs = 5000; // VEXLO_TRAY_WAIT_MS sets another
    QTimer* HiddenStartTimer = nullptr;
    void HiddenStartTimerTimer();
    // What the instance socket answers to "state": "starting" until a hidden start has decided
    // whether the window must show after all, then "shown" or "hidden"; then "clipboard N", the
    // clipboard changes handled so far (looked up or ignored).
    QByteArray InstanceState();

    // Copied and handed-over texts (TLookUp.cpp); what they find is shown by ShowAfterCapture.
    TLookUp* LookUps = nullptr;
    void ShowAfterCapture();

    // The learning notes and their Start LM / Stop LM item (TLearnNotes.cpp).
    TLearnNotes* Notes = nullptr;
    // Tools → Review and the tray's Review (TReviewCommand.cpp).
    TReviewCommand* Review = nullptr;

    // Words in and out: File > Import... and File > Export... (TAdminFormInterchange.cpp).
    QAction* ImportAction = nullptr;
    QAction* ExportAction = nullptr;
    void AddInterchangeActions();
    void ImportExecute();
    void ExportExecute();
    // Imports Path in Format, asking for columns and confirmation; true when entries were added.
    bool ImportFile(const QString& Path, TInterchangeFormat Format);
    // While an import runs, says so and returns true: the entry commands call it first.
    bool RefusedWhileImporting();
    // Writes every entry to Path in Format; true when written.
    bool ExportFile(const QString& Path, TInterchangeFormat Format);
    // Open Dictionary's converter: reads an Access database (its table English, or the table and
    // columns the user chooses) into a new dictionary beside it, or where the user says when that
    // folder cannot be written. Returns the new file's path, empty when the user gave up.
    QString ConvertAccessWithDialogs(const QString& AccessPath);
    // Dictionaries (TAdminFormDictionary.cpp): the first run's own data file, and File's
    // "Open Dictionary..." and "New Dictionary..." which switch the window to another file and
    // keep it as DataFile in the screen saver's key, which the screen saver shares.
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
    // Set when this start made the first-run file; the first activation offers the sample.
    bool FirstRunCreated = false;
    // Set when the first-run file's folder cannot be made: why (the first activation says so and
    // offers Open and New Dictionary instead of ending).
    QString FirstRunProblem;
    void PrepareFirstRun();
    void OfferSampleVocabulary();
    void OfferAnotherDictionary();
    void AddDictionaryActions();
    // Pronunciation and look-ups that say when they missed (TAdminFormSpeech.cpp).
    QAction* SpeakAction = nullptr;          // File > Speak, F8: says the word in the search box
    QAction* AddMissingAction = nullptr;     // File > Add "word"…: a new entry for it
    TElidedToolButton* AddMissingButton = nullptr; // the same command at the right of the status bar
    QString MissingWord;                     // the last search's text when it was not found
    bool SpeechFailureShown = false;         // the first failure to speak gets a box, later ones
                                             // the status bar
    void DesignSpeech();
    void SpeakExecute();
    void AddMissingExecute();
    void ShowSearchOutcome();
    void ClearSearchOutcome();
    void SpeechFailed(const QString& Message);

    // TMainWindowPlace
    qreal PlaceScale() const;
    QRect PlaceBounds() const override;
    void PlaceWidth(int Width) override;
    void PlaceHeight(int Height) override;
    void PlaceLeft(int Left) override;
    void PlaceTop(int Top) override;

protected:
    bool event(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

public:
    // Swallows tool tips everywhere and the mouse wheel over the grid.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate(const QStringList& Arguments);
    void FormDestroy();
    void DesignForm();
    void BindDataControls();
    void ShowCurrentDetails();
    void UpdateNavigator();
    void GridCurrentRowChanged(int Row);
    void AttachSearchEditChange();
    void DetachSearchEditChange();
    void AttachTableEvents();
    void DetachTableEvents();
    void ReportError(const QString& Message);
    void CaptureText(const QString& Text);
    template <typename TWork> void Guarded(TWork&& Work);
    bool SyncingGrid = false;
    bool TableBound = false;
    QMetaObject::Connection SearchEditConnection;
    int FDialogsOpen = 0;
};
