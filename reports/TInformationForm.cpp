#include "reports/TInformationForm.h"

#include "ui_TInformationForm.h"

#include "platform/TWholeFile.h"
#include "reports/TPageView.h"
#include "reports/TReportPages.h"
#include "settings/TRegInfo.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloTable.h"
#include "widgets/TFileDialog.h"
#include "widgets/TMessageBox.h"
#include "widgets/TProgressForm.h"

#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

namespace {

// The address of the report itself, for the link back to it.
const QUrl& ReportUrl()
{
    static const QUrl Url(QStringLiteral("about:report"));
    return Url;
}

QByteArray Escaped(const QString& Text)
{
    return EscapeHtml(Text.toLocal8Bit());
}

// What the window shows when a link leads nowhere.
QByteArray ErrorPage(const QUrl& Url, const QString& Reason)
{
    return "<html>\r\n<head>\r\n<title>Report</title>\r\n</head>\r\n<body bgcolor=\"#E9E9E9\">\r\n"
           "<p><b>" +
           Escaped(TInformationForm::tr("The page could not be opened")) +
           "</b></p>\r\n<p><font size=\"2\">" + Escaped(Url.toString()) +
           "</font></p>\r\n<p><font size=\"2\">" + Escaped(Reason) +
           "</font></p>\r\n<p><font size=\"2\"><a href=\"" + ReportUrl().toEncoded() + "\">" +
           Escaped(TInformationForm::tr("Back to the report")) +
           "</a></font></p>\r\n</body>\r\n</html>\r\n";
}

} // namespace

std::function<QString(QWidget*, const QString&, const QString&, const QString&)>
    TInformationForm::AskSaveFileName = [](QWidget* Parent, const QString& Caption,
                                           const QString& FileName, const QString& Filter) {
        return TFileDialog::SaveFileName(Parent, Caption, FileName, Filter, true);
    };

void TInformationForm::ShowStatistics(QWidget* Parent, TScreenSaverDataModule& Store,
                                      const QString& DataFile)
{
    TInformationForm Form(Store, Parent);
    Form.LoadStatistics(DataFile);
    Form.exec();
}

void TInformationForm::ShowStatistics(QWidget* Parent, TScreenSaverDataModule& Store,
                                      const TRegInfo& RegInfo)
{
    ShowStatistics(Parent, Store, RegInfo.DataFile);
}

void TInformationForm::ShowPreview(QWidget* Parent, TScreenSaverDataModule& Store)
{
    if (ProgressForm)
        return;
    TInformationForm Form(Store, Parent);
    if (Form.LoadPreview(true))
        Form.exec();
}

void TInformationForm::ShowPage(QWidget* Parent, TScreenSaverDataModule& Store,
                                const QByteArray& Html)
{
    TInformationForm Form(Store, Parent);
    Form.LoadHtml(Html);
    Form.exec();
}

TInformationForm::TInformationForm(TScreenSaverDataModule& AStore, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      Store(AStore), FUi(std::make_unique<Ui::TInformationForm>())
{
    FUi->setupUi(this);
    WebBrowser = FUi->WebBrowser;
    StatusBar = FUi->StatusBar;
    StatusPanel = new QLabel(StatusBar);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusBar->addWidget(StatusPanel, 1);
    connect(WebBrowser, &TPageView::highlighted, this,
            &TInformationForm::WebBrowserStatusTextChange);
    connect(WebBrowser, &TPageView::anchorClicked, this,
            &TInformationForm::WebBrowserAnchorClicked);
    CreateCommands();
    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->availableGeometry();
        move(Area.center() - QPoint(width() / 2, height() / 2));
    }
    FormCreate();
}

TInformationForm::~TInformationForm() = default;

void TInformationForm::FormCreate()
{
    Table = std::make_unique<TVexloTable>(Store.ADOConnection);
    Table->Open();
    TableID = Table->FieldByName(QStringLiteral("ID"));
    TableENAME = Table->FieldByName(QStringLiteral("ENAME"));
    TableBULG = Table->FieldByName(QStringLiteral("BULG"));
    TableTRANS = Table->FieldByName(QStringLiteral("TRANS"));
    TableLEVEL = Table->FieldByName(QStringLiteral("LEVEL"));
}

void TInformationForm::LoadStatistics(const QString& DataFile)
{
    LoadHtml(BuildStatisticsPage(Store, *Table, DataFile));
}

bool TInformationForm::LoadPreview(bool ShowEarly)
{
    if (ProgressForm)
        return false;
    resize(700, height());
    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->availableGeometry();
        move(Area.center() - QPoint(width() / 2, height() / 2));
    }
    // Shown early, the window is modal: the progress window is its own so that Stop still answers.
    auto Progress = std::make_unique<TProgressForm>(ShowEarly ? this : nullptr);
    ProgressForm = Progress.get();
    const auto Release = qScopeGuard([] { ProgressForm = nullptr; });
    Progress->Start(Store.GetMaxID());
    bool Shown = false;
    const TPageBlocks Page = BuildPreviewBlocks(
        *Table,
        [this, &Progress, &Shown](int Done) {
            if (Done)
                Progress->StepIt();
            return !Progress->Stopped && !(Shown && !isVisible());
        },
        ShowEarly ? FirstScreenEntries : 0,
        [this, &Progress, &Shown, ShowEarly](const TPageBlocks& FirstPart) {
            if (!ShowEarly)
                return;
            EnablePageCommands(false);
            LoadBlocks(FirstPart);
            setWindowModality(Qt::ApplicationModal);
            show();
            Progress->raise();
            Shown = true;
        });
    if (!Shown) {
        LoadBlocks(Page);
        return true;
    }
    EnablePageCommands(true);
    if (!isVisible())
        return false;
    FReport = Page;
    if (FShownUrl.isValid())
        return true; // a link was followed meanwhile; Back shows the whole page
    FShown = FReport;
    WebBrowser->ExtendPage(FShown);
    return true;
}

void TInformationForm::EnablePageCommands(bool Enabled)
{
    for (QAction* Action : {CopyAction, SelectAllAction, FindAction, FindNextAction,
                            FindPreviousAction, SaveAction, PrintAction, ExportPdfAction})
        Action->setEnabled(Enabled);
}

void TInformationForm::LoadHtml(const QByteArray& Html)
{
    LoadBlocks(TPageBlocks(Html));
}

void TInformationForm::LoadBlocks(const TPageBlocks& Blocks)
{
    FReport = Blocks;
    // Lay the window out first, so that the first screen is laid out at its real width.
    if (layout())
        layout()->activate();
    GoBack();
}

void TInformationForm::WebBrowserStatusTextChange(const QString& Text)
{
    StatusPanel->setText(Text);
}

void TInformationForm::WebBrowserAnchorClicked(const QUrl& Url)
{
    const QUrl Target = FShownUrl.isValid() ? FShownUrl.resolved(Url) : Url;
    if (Target == ReportUrl()) {
        GoBack();
        return;
    }
    if (Target.isRelative() && Url.hasFragment() && Url.path().isEmpty())
        return; // a place inside the page shown
    if (FReply) {
        FReply->abort();
        FReply = nullptr;
    }
    if (Target.isLocalFile()) {
        QFile File(Target.toLocalFile());
        if (File.open(QIODevice::ReadOnly))
            ShowPage(File.readAll(), Target);
        else
            ShowPage(ErrorPage(Target, File.errorString()), Target);
        return;
    }
    if (Target.scheme() != QLatin1String("http") && Target.scheme() != QLatin1String("https")) {
        ShowPage(ErrorPage(Target, tr("The report window cannot open this kind of address.")),
                 Target);
        return;
    }
    if (!FNetwork)
        FNetwork = new QNetworkAccessManager(this);
    QNetworkRequest Request(Target);
    Request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    Request.setTransferTimeout(20000);
    FReply = FNetwork->get(Request);
    connect(FReply, &QNetworkReply::finished, this, [this, Reply = FReply] {
        Reply->deleteLater();
        if (Reply == FReply) {
            FReply = nullptr;
            NetworkFinished(Reply);
        }
    });
    WebBrowserStatusTextChange(tr("Opening %1 ...").arg(Target.toString()));
}

void TInformationForm::NetworkFinished(QNetworkReply* Reply)
{
    WebBrowserStatusTextChange(QString());
    const QUrl Url = Reply->url();
    if (Reply->error() != QNetworkReply::NoError) {
        ShowPage(ErrorPage(Url, Reply->errorString()), Url);
        return;
    }
    QByteArray Body = Reply->readAll();
    const QString Type = Reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (Type.startsWith(QLatin1String("text/plain"))) {
        Body = "<html><body><pre>" + EscapeHtml(Body) + "</pre></body></html>";
    } else if (!Type.isEmpty() && !Type.startsWith(QLatin1String("text/")) &&
               !Type.contains(QLatin1String("html"))) {
        ShowPage(ErrorPage(
                     Url, tr("The report window cannot show this kind of content (%1).").arg(Type)),
                 Url);
        return;
    }
    ShowPage(Body, Url);
}

void TInformationForm::ShowPage(const QByteArray& Html, const QUrl& Url)
{
    FShown = TPageBlocks(Html);
    FShownUrl = Url;
    WebBrowser->SetPage(FShown);
    BackAction->setEnabled(true);
}

void TInformationForm::GoBack()
{
    if (FReply) {
        FReply->abort();
        FReply = nullptr;
    }
    FShown = FReport;
    FShownUrl = QUrl();
    WebBrowser->SetPage(FShown);
    BackAction->setEnabled(false);
}

void TInformationForm::CreateCommands()
{
    auto Command = [this](const QString& Text, const QKeySequence& Key, auto Handler) {
        auto* Action = new QAction(Text, this);
        Action->setShortcut(Key);
        Action->setShortcutContext(Qt::WindowShortcut);
        connect(Action, &QAction::triggered, this, Handler);
        addAction(Action);
        return Action;
    };
    CopyAction = Command(tr("&Copy"), QKeySequence::Copy, [this] { WebBrowser->Copy(); });
    SelectAllAction =
        Command(tr("Select &All"), QKeySequence::SelectAll, [this] { WebBrowser->SelectAll(); });
    FindAction = Command(tr("&Find..."), QKeySequence::Find, [this] { ShowFindBar(); });
    FindNextAction = Command(tr("Find &Next"), QKeySequence(Qt::Key_F3), [this] { FindNext(); });
    FindPreviousAction = Command(tr("Find &Previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
                                 [this] { FindNext(true); });
    SaveAction = Command(tr("&Save as HTML..."), QKeySequence::Save, [this] { SaveAsClick(); });
    PrintAction = Command(tr("&Print..."), QKeySequence::Print, [this] { PrintClick(); });
    ExportPdfAction = Command(tr("&Export PDF..."), QKeySequence(), [this] { ExportPdfClick(); });
    BackAction = Command(tr("&Back"), QKeySequence(Qt::ALT | Qt::Key_Left), [this] { GoBack(); });
    BackAction->setEnabled(false);
    // Copy and Select All belong to the line edit while it has the focus.
    CopyAction->setShortcutContext(Qt::WidgetShortcut);
    SelectAllAction->setShortcutContext(Qt::WidgetShortcut);

    WebBrowser->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(WebBrowser, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
        QMenu Menu(this);
        CopyAction->setEnabled(WebBrowser->HasSelection());
        Menu.addAction(CopyAction);
        Menu.addAction(SelectAllAction);
        Menu.addSeparator();
        Menu.addAction(FindAction);
        Menu.addAction(FindNextAction);
        Menu.addSeparator();
        Menu.addAction(SaveAction);
        Menu.addAction(PrintAction);
        Menu.addAction(ExportPdfAction);
        if (BackAction->isEnabled()) {
            Menu.addSeparator();
            Menu.addAction(BackAction);
        }
        Menu.exec(WebBrowser->mapToGlobal(At));
        CopyAction->setEnabled(true);
    });

    FindBar = new QWidget(this);
    FindBar->setObjectName(QStringLiteral("FindBar"));
    auto* Row = new QHBoxLayout(FindBar);
    Row->setContentsMargins(4, 2, 4, 2);
    Row->addWidget(new QLabel(tr("Find:"), FindBar));
    FindEdit = new QLineEdit(FindBar);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    Row->addWidget(FindEdit, 1);
    auto Button = [this, Row](const QString& Text, auto Handler) {
        auto* B = new QToolButton(FindBar);
        B->setText(Text);
        B->setAutoRaise(true);
        connect(B, &QToolButton::clicked, this, Handler);
        Row->addWidget(B);
        return B;
    };
    Button(tr("Next"), [this] { FindNext(); });
    Button(tr("Previous"), [this] { FindNext(true); });
    FindStatus = new QLabel(FindBar);
    FindStatus->setObjectName(QStringLiteral("FindStatus"));
    FindStatus->setMinimumWidth(FindStatus->fontMetrics().horizontalAdvance(tr("Searching...")));
    Row->addWidget(FindStatus);
    const auto CloseFindBar = [this] {
        WebBrowser->CancelFind();
        FindBar->hide();
        WebBrowser->setFocus();
    };
    Button(tr("Close"), CloseFindBar);
    // Escape in the find bar closes the bar, not the window.
    auto* Escape = new QAction(FindBar);
    Escape->setShortcut(QKeySequence(Qt::Key_Escape));
    Escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(Escape, &QAction::triggered, this, CloseFindBar);
    FindBar->addAction(Escape);
    connect(FindEdit, &QLineEdit::returnPressed, this,
            [this] { FindNext(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(WebBrowser, &TPageView::CopyStarted, this,
            [this] { WebBrowserStatusTextChange(tr("Copying...")); });
    connect(WebBrowser, &TPageView::CopyFinished, this,
            [this] { WebBrowserStatusTextChange(QString()); });
    connect(WebBrowser, &TPageView::FindFinished, this,
            [this](bool Found) { FindStatus->setText(Found ? QString() : tr("Not found")); });
    FindBar->hide();
    if (auto* Box = qobject_cast<QBoxLayout*>(layout()))
        Box->insertWidget(1, FindBar);
}

void TInformationForm::ShowFindBar()
{
    FindBar->show();
    FindEdit->setFocus();
    FindEdit->selectAll();
}

void TInformationForm::FindNext(bool Backward)
{
    if (FindEdit->text().isEmpty()) {
        ShowFindBar();
        return;
    }
    FindStatus->setText(tr("Searching..."));
    WebBrowser->Find(FindEdit->text(), Backward);
}

bool TInformationForm::SaveHtml(const QString& FileName)
{
    TWholeFile File(FileName);
    if (!File.Open() || !FShown.WriteTo(File) || !File.Commit()) {
        TMessageBox::Error(this, windowTitle(),
                           tr("The page could not be saved as %1: %2")
                               .arg(QDir::toNativeSeparators(FileName), File.errorString()));
        return false;
    }
    return true;
}

void TInformationForm::SaveAsClick()
{
    const QString Name = AskSaveFileName(this, tr("Save as HTML"), QStringLiteral("report.html"),
                                         tr("HTML pages (*.html *.htm);;All files (*)"));
    if (!Name.isEmpty())
        SaveHtml(Name);
}
