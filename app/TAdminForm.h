#pragma once

#include "settings/TAppRegInfo.h"
#include "ui_TAdminForm.h"

#include <QMainWindow>
#include <QStringList>

#include <cstdint>
#include <functional>

class QLabel;
class TEditForm;
class TEnglishTableModel;
class TRegInfo;

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

    // Tray residency and learning notes.
    void AddTrayIcon();
    void RemoveTrayIcon();
    void UpdateLearnMenuItem();
    void RestartLearnTimer();

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
    template <typename TWork> void Guarded(TWork&& Work);
    bool SyncingGrid = false;
    bool TableBound = false;
    QMetaObject::Connection SearchEditConnection;
};
