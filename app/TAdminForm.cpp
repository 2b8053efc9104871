#include "app/TAdminForm.h"

#include "app/TDictionaryCommands.h"
#include "app/TElidedToolButton.h"
#include "app/TEnglishTableModel.h"
#include "app/TEntryView.h"
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
#include "widgets/VexloComponents.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
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

void TAdminForm::Guarded(const std::function<void()>& Work)
{
    try {
        Work();
    } catch (const std::exception& Error) {
        ReportError(ErrorText(Error));
    }
}

TAdminForm::TAdminForm(TScreenSaverDataModule& AStore, const QStringList& Arguments)
    : QMainWindow(nullptr), Store(AStore)
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
    View = new TEntryView(*this);
    TFocusMark::Attach(BulgarianDBMemo);
    View->ApplyReadableColours();

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
    Notes = new TLearnNotes(this, Store, Tray->StartStopTMI);
    Notes->StoreOpen = [this] { return TableBound; };
    Notes->NoDialogOpen = [this] { return NoDialogOpen(); };
    Notes->Guarded = [this](const std::function<void()>& Work) { Guarded(Work); };

    Review = new TReviewCommand(this, Store, Tools1, Tray->TrayPopupMenu, Tray->StartStopTMI);
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

    Meanings = new TMeaningFinder(this, Store, SearchEdit, BulgarianDBMemo, StatusBar);
    Meanings->MoveTo = [this](int Row) {
        Guarded([this, Row] {
            const QScopedValueRollback<bool> Searching(Busy, true);
            Store.ADOTable->SetRecNo(Row + 1);
        });
    };

    FindCommand = new TFindCommand(this, Store, File1, DeleteAll);
    FindCommand->GoToEntry = [this](int32_t ID) {
        const int Row = TableBound ? Store.ADOTable->IndexOfId(ID) : -1;
        if (Row >= 0)
            Guarded([this, Row] { Store.ADOTable->SetRecNo(Row + 1); });
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
    connect(SearchEdit, &QLineEdit::textChanged, this, [this] {
        if (!SearchQuiet)
            Guarded([this] { SearchEditChange(); });
    });
    connect(RandomBitBtn, &QPushButton::clicked, this, &TAdminForm::RandomBitBtnClick);
    connect(EnglishDBGrid, &QTableView::doubleClicked, this, &TAdminForm::EnglishDBGridDblClick);
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
    Store.OpenDataFile(ScreenSaverSettings->DataFile, OpenErrors);
    if (!Store.ADOTable->Active())
        return;
    Busy = true;
    StartBrowsing();
    View->AttachTableEvents();
    New->setEnabled(true);
    EnableEntryCommands();
    UpdateCaption();
    Notes->UpdateLearnMenuItem();
    Notes->RestartLearnTimer();
    Busy = false;
}

// Once the first dictionary is open: the clipboard is watched from here on (what it holds now is
// not captured), the controls follow the table, the grid's wheel is caught by eventFilter and its
// double-clicks edit, and the tray icon shows.
void TAdminForm::StartBrowsing()
{
    if (auto* Gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(Gui->clipboard(), &QClipboard::dataChanged, LookUps, &TLookUp::WMDrawClipboard,
                Qt::UniqueConnection);
    View->Bind();
    EnglishDBGrid->viewport()->installEventFilter(this);
    EnglishDBGrid->verticalScrollBar()->installEventFilter(this);
    TWordGrid::WatchDoubleClicks(EnglishDBGrid, [this] { EnglishDBGridDblClick(); });
    Tray->AddTrayIcon();
}

void TAdminForm::FormDestroy()
{
    View->DetachTableEvents();
    if (TableBound) {
        Store.ADOTable->OnDataChange = nullptr;
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

void TAdminForm::FormActivate()
{
    // Another program may have changed, replaced or deleted the data file meanwhile.
    if (TableBound && Store.ADOConnection->Connected())
        Guarded([this] {
            bool Reloaded = false;
            const QString Problem = Store.CheckDataFile(&Reloaded);
            if (!Problem.isEmpty())
                OpenErrors.append(Problem);
            if (Reloaded && Store.ADOTable->Active()) {
                TableAfterPost();
                EnableEntryCommands();
            }
        });
    Dictionaries->OfferAnotherDictionary();
    ShowOpenErrors();
    if (!Store.ADOConnection->Connected() &&
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
    TVexloTable* Table = Store.ADOTable;
    const int RecNo = Table->RecNo();
    QString Caption = QCoreApplication::translate("TAdminForm", "Vexlo Vocabulary - %n records",
                                                  nullptr, Table->RecordCount());
    if (RecNo != -1)
        Caption += QCoreApplication::translate("TAdminForm", " Pos:%1").arg(RecNo);
    setWindowTitle(Caption);
    if (Busy)
        return;
    const QScopedValueRollback<bool> Quiet(SearchQuiet, true);
    const QString Word =
        RecNo > 0 ? TDisplayText::OneLine(TextCodec::WidenText(Store.ADOTableENAME->AsAnsiString()),
                                          TDisplayText::WordChars)
                  : QString();
    if (SearchEdit->text() != Word)
        SearchEdit->setText(Word);
}

void TAdminForm::TableAfterScroll()
{
    if (!Busy)
        Speech->ClearSearchOutcome();
    UpdateCaption();
}

void TAdminForm::TableAfterPost()
{
    const bool HasEntries = !Store.IsStoreEmpty();
    for (QAction* Command : {Delete, DeleteAll, Redact})
        Command->setEnabled(HasEntries);
    UpdateCaption();
}

void TAdminForm::EnableEntryCommands()
{
    const bool HasEntries = !Store.IsStoreEmpty();
    for (QAction* Command : {Delete, DeleteAll, Redact})
        Command->setEnabled(HasEntries);
    RandomBitBtn->setEnabled(HasEntries);
}

void TAdminForm::DisableWhenEmpty()
{
    if (!Store.IsStoreEmpty())
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
        Store.SearchWord(TextCodec::NarrowText(SearchEdit->text()));
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
            TextCodec::WidenText(Store.ADOTableENAME->AsAnsiString()),
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
            MessageForm->KeepPaintedDuring(Store.ADOConnection, [this] {
                const bool WasBusy = std::exchange(Busy, true);
                try {
                    Store.DeleteCurrentEntry();
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
        Store.DeleteAllEntries();
        UpdateCaption();
        DisableWhenEmpty();
    });
}

void TAdminForm::RandomBitBtnClick()
{
    Guarded([this] {
        if (Store.IsStoreEmpty())
            return;
        Store.GotoRandomEntry(Store.ADOTable);
    });
}

void TAdminForm::Information1Click()
{
    TDialogOpen Dialog(*this);
    Guarded([this] { TInformationForm::ShowStatistics(this, Store, *ScreenSaverSettings); });
    Dialog.Close();
}

void TAdminForm::HTMLPreview1Click()
{
    TDialogOpen Dialog(*this);
    Guarded([this] { TInformationForm::ShowPreview(this, Store); });
    Dialog.Close();
}

void TAdminForm::AboutExecute()
{
    TDialogOpen Dialog(*this);
    Guarded([this] {
        TAboutForm AboutForm(&Store, this);
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
    View->DetachTableEvents();
    Store.CloseData();
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
    {
        const QScopedValueRollback<bool> Quiet(SearchQuiet, true);
        SearchEdit->clear();
        SearchEdit->insert(Word);
        if (!SearchEdit->text().isEmpty())
            SearchEditChange();
    }
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
        View->ApplyReadableColours();
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

