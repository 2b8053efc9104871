#include "app/TAdminForm.h"

#include "app/TDictionaryCommands.h"
#include "app/TElidedToolButton.h"
#include "app/TEnglishTableModel.h"
#include "app/TInterchangeCommands.h"
#include "app/TLearnNotes.h"
#include "app/TLookUp.h"
#include "app/TSpeechCommands.h"
#include "app/TTrayControl.h"
#include "app/TVexloApplication.h"
#include "app/TWindowPlacement.h"
#include "app/TWordGrid.h"
#include "editor/TEditForm.h"
#include "app/TMeaningFinder.h"
#include "app/TFindCommand.h"
#include "app/TReviewCommand.h"
#include "preview/TAboutForm.h"
#include "reports/TInformationForm.h"
#include "settings/TOptionsForm.h"
#include "settings/TRegInfo.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TextCodec.h"
#include "widgets/TDisplayText.h"
#include "widgets/TFocusMark.h"
#include "widgets/TMenuImages.h"
#include "widgets/TMessageBox.h"
#include "widgets/TMessageForm.h"
#include "widgets/TReadableColours.h"
#include "widgets/VexloComponents.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QScopedValueRollback>

#include <cstdlib>
#include <exception>
#include <utility>

namespace {

// Upper case of the ASCII letters a to z only.
QString AsciiUpper(QString Text)
{
    for (QChar& Ch : Text)
        if (Ch >= QLatin1Char('a') && Ch <= QLatin1Char('z'))
            Ch = QChar(Ch.unicode() - 'a' + 'A');
    return Text;
}

QString ErrorText(const std::exception& Error)
{
    if (auto* Db = dynamic_cast<const EVexloDatabaseError*>(&Error))
        return Db->Message();
    return QString::fromUtf8(Error.what());
}


} // namespace

template <typename TWork> void TAdminForm::Guarded(TWork&& Work)
{
    try {
        Work();
    } catch (const std::exception& Error) {
        ReportError(ErrorText(Error));
    }
}

TAdminForm::TAdminForm(const QStringList& Arguments) : QMainWindow(nullptr)
{
    setupUi(this);
    Placement = new TWindowPlacement(*this);
    DesignForm();
    Interchange = new TInterchangeCommands(*this);
    ApplicationTerminate = [] {
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    };
    FormCreate(Arguments.isEmpty() && qApp ? QCoreApplication::arguments() : Arguments);
    if (!ShowMainForm)
        Tray->StartHidden();
}

TAdminForm::~TAdminForm()
{
    FormDestroy();
    delete Placement;
}

// What the designer cannot say: fonts by pixel height, images, the grid's look, the status panel,
// the handlers.
void TAdminForm::DesignForm()
{
    setWindowIcon(TMenuImages::ApplicationIcon());
    setFont(TWordGrid::DesignFont("MS Sans Serif", 11));
    SearchEdit->setFont(TWordGrid::DesignFont("Lucida Sans Unicode", 13));
    TransDBEdit->setFont(TWordGrid::DesignFont("Lucida Sans Unicode", 13, true));
    BulgarianDBMemo->setFont(TWordGrid::DesignFont("Lucida Sans Unicode", 13));
    GridModel = new TEnglishTableModel(this);
    TWordGrid::Design(EnglishDBGrid, GridModel);
    TFocusMark::Attach(BulgarianDBMemo);
    ApplyReadableColours();

    ApplyReadableColours();

    for (auto* Bar : {ToolBarOne, ToolBarTwo}) {
        Bar->setFrameShape(QFrame::NoFrame);
        Bar->setAutoFillBackground(true);
    }

    using namespace TMenuImages;
    New->setIcon(MenuImage(miPlus));
    Redact->setIcon(MenuImage(miArrows));
    Delete->setIcon(MenuImage(miCross));
    DeleteAll->setIcon(MenuImage(miTableCross));
    HideWin->setIcon(MenuImage(miWindowCross));
    Exit->setIcon(MenuImage(miHouse));
    About->setIcon(MenuImage(miQuestion));
    Options->setIcon(MenuImage(miWindowWrench));
    Information1->setIcon(MenuImage(miInformation));
    HTMLPreview1->setIcon(MenuImage(miPage));
    addAction(Open);

    Tray = new TTrayControl(*this);
    Notes = new TLearnNotes(this, Tray->StartStopTMI);
    Notes->StoreOpen = [this] { return TableBound; };
    Notes->NoDialogOpen = [this] { return NoDialogOpen(); };
    Notes->Guarded = [this](const std::function<void()>& Work) { Guarded(Work); };

    Review = new TReviewCommand(this, Tools1, Tray->TrayPopupMenu, Tray->StartStopTMI);
    Review->Ready = [this] { return !Busy && TableBound; };
    Review->AsDialog = [this](const std::function<void()>& Work) {
        TDialogOpen Dialog(*this);
        Guarded(Work);
    };

    LookUps = new TLookUp(this);
    LookUps->CopiesWanted = [this] {
        return !Busy && AppSettings && AppSettings->CopyFromClipboard;
    };
    LookUps->Ready = [this] { return !Busy && TableBound; };
    LookUps->Find = [this](const QString& Text) { CaptureText(Text); };

    Meanings = new TMeaningFinder(this, SearchEdit, BulgarianDBMemo, StatusBar);
    Meanings->MoveTo = [this](int Row) {
        Guarded([this, Row] {
            const QScopedValueRollback<bool> Searching(Busy, true);
            ScreenSaverDataModule->ADOTable->SetRecNo(Row + 1);
        });
    };

    FindCommand = new TFindCommand(this, File1, DeleteAll);
    FindCommand->GoToEntry = [this](int32_t ID) {
        const int Row = TableBound ? ScreenSaverDataModule->ADOTable->IndexOfId(ID) : -1;
        if (Row >= 0)
            Guarded([Row] { ScreenSaverDataModule->ADOTable->SetRecNo(Row + 1); });
        return Row >= 0;
    };

    NewBitBtn->setDefaultAction(New);
    RedactBitBtn->setDefaultAction(Redact);
    DeleteBitBtn->setDefaultAction(Delete);
    for (auto* Button : {NewBitBtn, RedactBitBtn, DeleteBitBtn})
        Button->setFont(TWordGrid::DesignFont("MS Sans Serif", 11));
    RandomBitBtn->setFont(TWordGrid::DesignFont("MS Sans Serif", 11));

    // The arrows' icons come with the readable colours above.
    for (auto* Button : {NavFirst, NavPrior, NavNext, NavLast}) {
        Button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        Button->setEnabled(false);
    }

    StatusPanel = new QLabel(StatusBar);
    StatusPanel->setObjectName("StatusPanel");
    StatusPanel->setTextFormat(Qt::PlainText);
    StatusPanel->setContentsMargins(2, 0, 2, 0);
    StatusBar->addWidget(StatusPanel, 1);
    StatusBar->setFixedHeight(19 + 2);

    connect(New, &QAction::triggered, this, &TAdminForm::NewExecute);
    connect(Redact, &QAction::triggered, this, &TAdminForm::RedactExecute);
    connect(Delete, &QAction::triggered, this, &TAdminForm::DeleteExecute);
    connect(DeleteAll, &QAction::triggered, this, &TAdminForm::DeleteAllExecute);
    connect(HideWin, &QAction::triggered, this, &TAdminForm::HideWinExecute);
    connect(Exit, &QAction::triggered, this, &TAdminForm::ExitExecute);
    connect(Open, &QAction::triggered, this, &TAdminForm::OpenExecute);
    connect(About, &QAction::triggered, this, &TAdminForm::AboutExecute);
    connect(Options, &QAction::triggered, this, &TAdminForm::OptionsExecute);
    connect(Information1, &QAction::triggered, this, &TAdminForm::Information1Click);
    connect(HTMLPreview1, &QAction::triggered, this, &TAdminForm::HTMLPreview1Click);
    AttachSearchEditChange();
    connect(RandomBitBtn, &QPushButton::clicked, this, &TAdminForm::RandomBitBtnClick);
    connect(EnglishDBGrid, &QTableView::doubleClicked, this, &TAdminForm::EnglishDBGridDblClick);
    connect(EnglishDBGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& Current) { GridCurrentRowChanged(Current.row()); });
    auto Navigate = [this](void (TVexloTable::*Move)()) {
        Guarded([this, Move] {
            TVexloTable* Table = ScreenSaverDataModule->ADOTable;
            if (TableBound && Table->Active())
                (Table->*Move)();
        });
    };
    connect(NavFirst, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::First); });
    connect(NavPrior, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::Prior); });
    connect(NavNext, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::Next); });
    connect(NavLast, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::Last); });
    Dictionaries = new TDictionaryCommands(*this);

    // Tool tips are off everywhere; hints show their long part in the status bar.
    qApp->installEventFilter(this);
    if (auto* Gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(Gui, &QGuiApplication::commitDataRequest, this, [this] { QueryEndSession(); });
    Speech = new TSpeechCommands(*this);
}

void TAdminForm::FormCreate(const QStringList& Arguments)
{
    ShowMainForm = !(Arguments.size() > 1 && Arguments.at(1) == QLatin1String("startup"));
    ReallyClose = false;
    ScreenSaverSettings = new TRegInfo();
    AppSettings = new TAppRegInfo(Placement);
    Notes->Settings = AppSettings;
    Review->UseSettings(&AppSettings->Review);
    Placement->CentreWhenNeverPlaced();
    ScreenSaverSettings->Load();
    Dictionaries->PrepareFirstRun();
    std::srand(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
    SetDoubleBufferedTree(this);
    SetDoubleBuffered(this, false);
    OpenErrors.clear();
    ScreenSaverDataModule->OpenDataFile(ScreenSaverSettings->DataFile, OpenErrors);
    if (!ScreenSaverDataModule->ADOTable->Active())
        return;
    Busy = true;
    // The clipboard is watched from here on; what it holds now is not captured.
    if (auto* Gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(Gui->clipboard(), &QClipboard::dataChanged, LookUps, &TLookUp::WMDrawClipboard);
    BindDataControls();
    AttachTableEvents();
    New->setEnabled(true);
    EnableEntryCommands();
    UpdateCaption();
    // The grid's wheel is caught by eventFilter.
    EnglishDBGrid->viewport()->installEventFilter(this);
    EnglishDBGrid->verticalScrollBar()->installEventFilter(this);
    TWordGrid::WatchDoubleClicks(EnglishDBGrid, [this] { EnglishDBGridDblClick(); });
    Tray->AddTrayIcon();
    Notes->UpdateLearnMenuItem();
    Notes->RestartLearnTimer();
    Busy = false;
}

void TAdminForm::FormDestroy()
{
    DetachTableEvents();
    if (TableBound && ScreenSaverDataModule) {
        ScreenSaverDataModule->ADOTable->OnDataChange = nullptr;
        TableBound = false;
    }
    delete ScreenSaverSettings;
    ScreenSaverSettings = nullptr;
    OpenErrors.clear();
    // Saves the bounds and every setting.
    if (AppSettings) {
        try {
            AppSettings->Close();
        } catch (const std::exception& Error) {
            ReportError(ErrorText(Error));
        }
    }
    Notes->Settings = nullptr;
    Review->UseSettings(nullptr);
    delete AppSettings;
    AppSettings = nullptr;
    Tray->RemoveTrayIcon();
    Notes->LearnTimer->stop();
    if (auto* Gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        disconnect(Gui->clipboard(), nullptr, LookUps, nullptr);
}

void TAdminForm::BindDataControls()
{
    TVexloTable* Table = ScreenSaverDataModule->DataSource->DataSet;
    TableBound = true;
    Table->OnDataChange = [this] {
        GridModel->DataChanged();
        ShowCurrentDetails();
        Meanings->DataChanged();
    };
    GridModel->SetTable(Table);
    Meanings->DataChanged();
    ShowCurrentDetails();
}

// The data-aware controls follow the current row: grid selection and row indicator,
// transcription, Bulgarian text, navigator.
void TAdminForm::ShowCurrentDetails()
{
    TVexloTable* Table = TableBound ? ScreenSaverDataModule->ADOTable : nullptr;
    const bool HasRow = Table && Table->Active() && Table->RecNo() > 0;
    if (HasRow) {
        // Only what can be seen is laid out, however long the stored texts are.
        TransDBEdit->setText(TDisplayText::OneLine(ScreenSaverDataModule->ADOTableTRANS->AsString(),
                                                   TDisplayText::WordChars));
        TransDBEdit->setCursorPosition(0);
        QString Bulgarian = ScreenSaverDataModule->ADOTableBULG->AsString();
        Bulgarian.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        BulgarianDBMemo->setPlainText(TDisplayText::Lines(Bulgarian, TDisplayText::MemoLines,
                                                          TDisplayText::MemoLineChars,
                                                          TDisplayText::MemoChars));
    } else {
        TransDBEdit->clear();
        BulgarianDBMemo->clear();
    }
    GridModel->CurrentChanged();
    SyncingGrid = true;
    if (HasRow) {
        const QModelIndex Index = GridModel->index(Table->RecNo() - 1, 0);
        EnglishDBGrid->selectionModel()->setCurrentIndex(
            Index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        EnglishDBGrid->scrollTo(Index);
    } else {
        EnglishDBGrid->selectionModel()->clear();
    }
    SyncingGrid = false;
    UpdateNavigator();
}

void TAdminForm::UpdateNavigator()
{
    TVexloTable* Table = TableBound ? ScreenSaverDataModule->ADOTable : nullptr;
    const int Pos = Table && Table->Active() ? Table->RecNo() : -1;
    const int Count = Table && Table->Active() ? Table->RecordCount() : 0;
    NavFirst->setEnabled(Pos > 1);
    NavPrior->setEnabled(Pos > 1);
    NavNext->setEnabled(Pos > 0 && Pos < Count);
    NavLast->setEnabled(Pos > 0 && Pos < Count);
}

void TAdminForm::GridCurrentRowChanged(int Row)
{
    if (SyncingGrid || !TableBound || Row < 0)
        return;
    Guarded([this, Row] {
        TVexloTable* Table = ScreenSaverDataModule->ADOTable;
        if (Table->Active() && Table->RecNo() != Row + 1)
            Table->SetRecNo(Row + 1);
    });
}

void TAdminForm::AttachTableEvents()
{
    TVexloTable* Table = ScreenSaverDataModule->ADOTable;
    Table->AfterScroll = [this] {
        ShowCurrentDetails();
        TableAfterScroll();
    };
    Table->AfterPost = [this] { TableAfterPost(); };
}

void TAdminForm::DetachTableEvents()
{
    if (!ScreenSaverDataModule || !TableBound)
        return;
    TVexloTable* Table = ScreenSaverDataModule->ADOTable;
    // The data-aware controls stay bound; only this window's own handlers go.
    Table->AfterScroll = [this] { ShowCurrentDetails(); };
    Table->AfterPost = nullptr;
}

void TAdminForm::FormActivate()
{
    // Another program may have changed, replaced or deleted the data file meanwhile.
    if (TableBound && ScreenSaverDataModule && ScreenSaverDataModule->ADOConnection->Connected())
        Guarded([this] {
            bool Reloaded = false;
            const QString Problem = ScreenSaverDataModule->CheckDataFile(&Reloaded);
            if (!Problem.isEmpty())
                OpenErrors.append(Problem);
            if (Reloaded && ScreenSaverDataModule->ADOTable->Active()) {
                TableAfterPost();
                EnableEntryCommands();
            }
        });
    Dictionaries->OfferAnotherDictionary();
    ShowOpenErrors();
    if (ScreenSaverDataModule && !ScreenSaverDataModule->ADOConnection->Connected() &&
        ApplicationTerminate)
        ApplicationTerminate();
    Dictionaries->OfferSampleVocabulary();
}

void TAdminForm::ShowOpenErrors()
{
    if (OpenErrors.isEmpty())
        return;
    // Taken out first: showing the box deactivates and reactivates this window.
    const QString Text = OpenErrors.join(QLatin1Char('\n'));
    OpenErrors.clear();
    TMessageBox::Error(this, QCoreApplication::translate("TAdminForm", "Error"), Text);
}

void TAdminForm::UpdateCaption()
{
    TVexloTable* Table = ScreenSaverDataModule->ADOTable;
    const int RecNo = Table->RecNo();
    QString Caption = QCoreApplication::translate("TAdminForm", "Vexlo Vocabulary - %n records",
                                                  nullptr, Table->RecordCount());
    if (RecNo != -1)
        Caption += QCoreApplication::translate("TAdminForm", " Pos:%1").arg(RecNo);
    setWindowTitle(Caption);
    if (Busy)
        return;
    DetachSearchEditChange();
    try {
        const QString Word =
            RecNo > 0
                ? TDisplayText::OneLine(
                      TextCodec::WidenText(ScreenSaverDataModule->ADOTableENAME->AsAnsiString()),
                      TDisplayText::WordChars)
                : QString();
        if (SearchEdit->text() != Word)
            SearchEdit->setText(Word);
    } catch (...) {
        AttachSearchEditChange();
        throw;
    }
    AttachSearchEditChange();
}

void TAdminForm::AttachSearchEditChange()
{
    if (!SearchEditConnection)
        SearchEditConnection = connect(SearchEdit, &QLineEdit::textChanged, this,
                                       [this] { Guarded([this] { SearchEditChange(); }); });
}

void TAdminForm::DetachSearchEditChange()
{
    disconnect(SearchEditConnection);
    SearchEditConnection = {};
}

void TAdminForm::TableAfterScroll()
{
    if (!Busy)
        Speech->ClearSearchOutcome();
    UpdateCaption();
}

void TAdminForm::TableAfterPost()
{
    const bool HasEntries = !ScreenSaverDataModule->IsStoreEmpty();
    Delete->setEnabled(HasEntries);
    DeleteAll->setEnabled(HasEntries);
    Redact->setEnabled(HasEntries);
    UpdateCaption();
}

void TAdminForm::EnableEntryCommands()
{
    const bool HasEntries = !ScreenSaverDataModule->IsStoreEmpty();
    Delete->setEnabled(HasEntries);
    DeleteAll->setEnabled(HasEntries);
    Redact->setEnabled(HasEntries);
    RandomBitBtn->setEnabled(HasEntries);
}

void TAdminForm::DisableWhenEmpty()
{
    if (!ScreenSaverDataModule->IsStoreEmpty())
        return;
    Delete->setEnabled(false);
    Redact->setEnabled(false);
    DeleteAll->setEnabled(false);
    // Random needs an entry to go to.
    RandomBitBtn->setEnabled(false);
}

void TAdminForm::SearchEditChange()
{
    if (!TableBound)
        return;
    if (Meanings->Search(SearchEdit->text()))
        return Speech->ClearSearchOutcome();
    Busy = true;
    try {
        ScreenSaverDataModule->SearchWord(TextCodec::NarrowText(SearchEdit->text()));
        Speech->ShowSearchOutcome();
    } catch (...) {
        Busy = false;
        throw;
    }
    Busy = false;
}

void TAdminForm::NewExecute()
{
    if (Interchange->RefusedWhileImporting())
        return;
    TDialogOpen Dialog(*this);
    LookUps->EntryDialogOpened();
    Guarded([this] {
        if (EditForm)
            EditForm->ShowEditor(emNew);
    });
    Dialog.Close();
    LookUps->EntryDialogClosed();
}

void TAdminForm::RedactExecute()
{
    if (Interchange->RefusedWhileImporting())
        return;
    TDialogOpen Dialog(*this);
    LookUps->EntryDialogOpened();
    Guarded([this] {
        if (EditForm)
            EditForm->ShowEditor(emEdit);
    });
    Dialog.Close();
    LookUps->EntryDialogClosed();
}

void TAdminForm::DeleteExecute()
{
    if (Interchange->RefusedWhileImporting())
        return;
    LookUps->EntryDialogOpened();
    Guarded([this] {
        const QString Word = TDisplayText::OneLine(
            TextCodec::WidenText(ScreenSaverDataModule->ADOTableENAME->AsAnsiString()),
            TDisplayText::QuestionWordChars);
        const QString Question =
            QCoreApplication::translate("TAdminForm", "Delete the word %1 ?").arg(AsciiUpper(Word));
        if (TMessageBox::Show(
                this, QMessageBox::Question, QCoreApplication::translate("TAdminForm", "Confirm"),
                Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) != QMessageBox::Yes)
            return;
        auto* MessageForm = new TMessageForm(
            nullptr, QCoreApplication::translate("TAdminForm", "Please wait for a moment"));
        MessageForm->ShowPainted();
        try {
            // Busy: a copy or a lookup arriving while the windows are drawn must not search.
            MessageForm->KeepPaintedDuring(ScreenSaverDataModule->ADOConnection, [this] {
                const bool WasBusy = std::exchange(Busy, true);
                try {
                    ScreenSaverDataModule->DeleteCurrentEntry();
                } catch (...) {
                    Busy = WasBusy;
                    throw;
                }
                Busy = WasBusy;
            });
            UpdateCaption();
            DisableWhenEmpty();
        } catch (...) {
            delete MessageForm;
            throw;
        }
        delete MessageForm;
    });
    LookUps->EntryDialogClosed();
}

void TAdminForm::DeleteAllExecute()
{
    if (Interchange->RefusedWhileImporting())
        return;
    Guarded([this] {
        if (TMessageBox::Show(
                this, QMessageBox::Question, QCoreApplication::translate("TAdminForm", "Attention"),
                QCoreApplication::translate("TAdminForm", "Delete all words from DataBase ?"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        SearchEdit->clear();
        ScreenSaverDataModule->DeleteAllEntries();
        UpdateCaption();
        DisableWhenEmpty();
    });
}

void TAdminForm::RandomBitBtnClick()
{
    Guarded([] {
        if (ScreenSaverDataModule->IsStoreEmpty())
            return;
        ScreenSaverDataModule->GotoRandomEntry(ScreenSaverDataModule->ADOTable);
    });
}

void TAdminForm::Information1Click()
{
    TDialogOpen Dialog(*this);
    Guarded([this] { TInformationForm::ShowStatistics(this, *ScreenSaverSettings); });
    Dialog.Close();
}

void TAdminForm::HTMLPreview1Click()
{
    TDialogOpen Dialog(*this);
    Guarded([this] { TInformationForm::ShowPreview(this); });
    Dialog.Close();
}

void TAdminForm::AboutExecute()
{
    TDialogOpen Dialog(*this);
    Guarded([this] {
        TAboutForm AboutForm(this);
        AboutForm.exec();
    });
    Dialog.Close();
}

void TAdminForm::OptionsExecute()
{
    TDialogOpen Dialog(*this);
    Guarded([this] { TOptionsForm::Execute(*AppSettings, this); });
    Dialog.Close();
    Notes->UpdateLearnMenuItem();
    Notes->RestartLearnTimer();
}

void TAdminForm::ExitExecute()
{
    ReallyClose = true;
    close();
}

void TAdminForm::HideWinExecute()
{
    // Hidden, the window comes back from the tray icon; without a tray host it is only
    // minimised, so that the taskbar still leads back to it.
    if (Tray->TrayIconShown())
        hide();
    else
        showMinimized();
}

void TAdminForm::OpenExecute()
{
    if (!NoDialogOpen())
        return;
    BringForward();
}

void TAdminForm::BringForward()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    Placement->BringDialogForward();
}

void TAdminForm::EnglishDBGridDblClick()
{
    if (Redact->isEnabled())
        Redact->trigger();
}

void TAdminForm::ApplicationEventsHint(const QString& Hint)
{
    StatusPanel->setText(Hint);
}

void TAdminForm::FormCloseQuery(bool& CanClose)
{
    CanClose = true;
    if (AppSettings && AppSettings->HideOrClose) {
        HideWin->trigger();
        CanClose = ReallyClose;
    }
}

void TAdminForm::FormClose()
{
    DetachTableEvents();
    if (ScreenSaverDataModule)
        ScreenSaverDataModule->CloseData();
    if (isMinimized() || isMaximized())
        Placement->RestoreNormalBounds();
    if (ApplicationTerminate)
        ApplicationTerminate();
}

void TAdminForm::QueryEndSession()
{
    ReallyClose = true;
}

QByteArray TAdminForm::InstanceState()
{
    const QByteArray Window = Tray->HiddenStartPending() ? "starting"
                              : isVisible()                ? "shown"
                                                           : "hidden";
    return Window + " clipboard " + QByteArray::number(LookUps->ClipboardChangesHandled);
}

// Empties the search box without a search, then puts the text in, which searches for it.
void TAdminForm::CaptureText(const QString& Text)
{
    const QString Word = TLookUp::CapturedWord(Text);
    DetachSearchEditChange();
    try {
        SearchEdit->clear();
        SearchEdit->insert(Word);
        if (!SearchEdit->text().isEmpty())
            SearchEditChange();
    } catch (...) {
        AttachSearchEditChange();
        throw;
    }
    AttachSearchEditChange();
    ShowAfterCapture();
}

void TAdminForm::ShowAfterCapture()
{
    if (!NoDialogOpen())
        return;
    if (AppSettings && !AppSettings->LookUp.TakeKeyboard) {
        Placement->ShowWithoutTakingTheKeyboard();
        return;
    }
    if (isVisible()) {
        BringForward();
        return;
    }
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

bool TAdminForm::event(QEvent* Event)
{
    if (Event->type() == QEvent::StatusTip) {
        ApplicationEventsHint(static_cast<QStatusTipEvent*>(Event)->tip());
        return true;
    }
    if (Event->type() == QEvent::Move || Event->type() == QEvent::Resize)
        Placement->FitWhenFirstFramed();
    return QMainWindow::event(Event);
}

void TAdminForm::changeEvent(QEvent* Event)
{
    QMainWindow::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange)
        ApplyReadableColours();
    if (Event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Placement->NoteNormalFrame();
        FormActivate();
    }
}

void TAdminForm::closeEvent(QCloseEvent* Event)
{
    bool CanClose = true;
    FormCloseQuery(CanClose);
    if (!CanClose) {
        Event->ignore();
        return;
    }
    FormClose();
    Event->accept();
}

bool TAdminForm::eventFilter(QObject* Watched, QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::ToolTip:
        // The tray icon keeps its tip (the program's title), and a shortened Add "…" caption
        // shows its whole text.
        return !TTrayControl::IsTrayIconObject(Watched) &&
               Watched != static_cast<QObject*>(Speech->AddMissingButton);
    case QEvent::Wheel:
        // The mouse wheel over the grid never moves the current entry.
        if (Watched == EnglishDBGrid->viewport() || Watched == EnglishDBGrid->verticalScrollBar())
            return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TAdminForm::ReportError(const QString& Message)
{
    TMessageBox::Show(this, QMessageBox::Critical, TVexloApplication::Title, Message,
                      QMessageBox::Ok, QMessageBox::Ok);
}

void TAdminForm::ApplyReadableColours()
{
    // The controls take their grounds from the window's palette, which is already the new one
    // when it changes; theirs follow a moment later.
    QPalette TransPalette = TransDBEdit->palette();
    TransPalette.setColor(QPalette::Text,
                          TReadableColours::TranscriptionInk(palette().color(QPalette::Base)));
    TransDBEdit->setPalette(TransPalette);
    // The navigator's arrows in their navy, or what reads on the buttons.
    const QColor Arrows = TReadableColours::Readable(
        TMenuImages::NavigatorInk, palette().color(QPalette::Button),
        palette().color(QPalette::ButtonText));
    NavFirst->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngFirst, Arrows));
    NavPrior->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngPrior, Arrows));
    NavNext->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngNext, Arrows));
    NavLast->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngLast, Arrows));
    if (GridModel) {
        const QColor Indicator = palette().color(QPalette::ButtonText);
        if (GridModel->IndicatorColor != Indicator) {
            GridModel->IndicatorColor = Indicator;
            EnglishDBGrid->verticalHeader()->viewport()->update();
        }
    }
}
