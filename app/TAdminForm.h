#pragma once

#include "app/TTrayIcon.h"
#include "settings/TAppRegInfo.h"
#include "store/TEnBgRecord.h"
#include "ui_TAdminForm.h"

#include <QMainWindow>
#include <QStringList>

#include <cstdint>
#include <functional>

class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class TEditForm;
class TEnglishTableModel;
class TRegInfo;

// The note library's two entry points. The main window calls them through this table, which
// holds the library's own functions unless a test puts others in.
struct TNoteLibrary
{
    bool (*CanShow)();
    void (*ShowLearnForm)(const void* AppSettings, const char16_t* English,
                          const char16_t* Bulgarian, const char16_t* Transcription, int32_t Level);
    static TNoteLibrary Default();
};

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
    bool NoDialogOpen = true;
    uint32_t LearnStartTick = 0;

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

    // Brings the window forward for a later start of the program.
    void BringForward();

    void UpdateCaption();
    void TableAfterScroll();
    void TableAfterPost();
    void DisableWhenEmpty();
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
    static constexpr int TrayWaitMs = 5000;
    QTimer* HiddenStartTimer = nullptr;
    void HiddenStartTimerTimer();

    // Clipboard capture: the clipboard's contents changed.
    void WMDrawClipboard();
    // Looks Text up as a capture does, whatever "CopyFromClipboard" says ("--lookup TEXT").
    void LookUpText(const QString& Text);
    void ShowAfterCapture();

    // Learning notes.
    QTimer* LearnTimer = nullptr;
    TNoteLibrary NoteLibrary = TNoteLibrary::Default();
    TEnBgRecord NoteEntry;
    const char16_t* NoteEnglish = u"";
    const char16_t* NoteBulgarian = u"";
    const char16_t* NoteTranscription = u"";
    int32_t NoteLevel = 0;
    void UpdateLearnMenuItem();
    void RestartLearnTimer();
    void StartStopTMIClick();
    void LearnTimerTimer();
    void ShowRandomNote();

    // Pronunciation and look-ups that say when they missed (TAdminFormSpeech.cpp).
    QAction* SpeakAction = nullptr;          // File > Speak, F8: says the word in the search box
    QAction* AddMissingAction = nullptr;     // File > Add "word"…: a new entry for it
    QToolButton* AddMissingButton = nullptr; // the same command at the right of the status bar
    QString MissingWord;                     // the last search's text when it was not found
    bool SpeechFailureShown = false;         // the first failure to speak gets a box, later ones
                                             // the status bar
    void DesignSpeech();
    void SpeakExecute();
    void AddMissingExecute();
    void ShowSearchOutcome();
    void ClearSearchOutcome();
    void SpeechFailed(const QString& Message);
    void SpeakNoteWord();

    // TMainWindowPlace
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
};
