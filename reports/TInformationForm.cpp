#include "reports/TInformationForm.h"

#include "ui_TInformationForm.h"

#include "reports/TProgressForm.h"
#include "reports/TReportPages.h"
#include "settings/TRegInfo.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloTable.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>

void TInformationForm::ShowStatistics(QWidget* Parent, const QString& DataFile)
{
    TInformationForm Form(Parent);
    Form.LoadStatistics(DataFile);
    Form.exec();
}

void TInformationForm::ShowStatistics(QWidget* Parent, const TRegInfo& RegInfo)
{
    ShowStatistics(Parent, RegInfo.DataFile);
}

void TInformationForm::ShowPreview(QWidget* Parent)
{
    if (ProgressForm)
        return;
    TInformationForm Form(Parent);
    if (Form.LoadPreview())
        Form.exec();
}

TInformationForm::TInformationForm(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      FUi(std::make_unique<Ui::TInformationForm>())
{
    FUi->setupUi(this);
    WebBrowser = FUi->WebBrowser;
    StatusBar = FUi->StatusBar;
    StatusPanel = new QLabel(StatusBar);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusBar->addWidget(StatusPanel, 1);
    connect(WebBrowser, &QTextBrowser::highlighted, this,
            [this](const QUrl& Url) { WebBrowserStatusTextChange(Url.toString()); });
    connect(WebBrowser, &QTextBrowser::anchorClicked, this,
            &TInformationForm::WebBrowserAnchorClicked);
    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->availableGeometry();
        move(Area.center() - QPoint(width() / 2, height() / 2));
    }
    FormCreate();
}

TInformationForm::~TInformationForm() = default;

void TInformationForm::FormCreate()
{
    Table = std::make_unique<TVexloTable>(ScreenSaverDataModule->ADOConnection);
    Table->Open();
    TableID = Table->FieldByName(QStringLiteral("ID"));
    TableENAME = Table->FieldByName(QStringLiteral("ENAME"));
    TableBULG = Table->FieldByName(QStringLiteral("BULG"));
    TableTRANS = Table->FieldByName(QStringLiteral("TRANS"));
    TableLEVEL = Table->FieldByName(QStringLiteral("LEVEL"));
}

void TInformationForm::LoadStatistics(const QString& DataFile)
{
    LoadHtml(BuildStatisticsPage(*Table, DataFile));
}

bool TInformationForm::LoadPreview()
{
    if (ProgressForm)
        return false;
    resize(700, height());
    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->availableGeometry();
        move(Area.center() - QPoint(width() / 2, height() / 2));
    }
    auto Progress = std::make_unique<TProgressForm>();
    ProgressForm = Progress.get();
    const auto Release = qScopeGuard([] { ProgressForm = nullptr; });
    Progress->Start(ScreenSaverDataModule->GetMaxID());
    const QByteArray Page = BuildPreviewPage(*Table, [&Progress](int Done) {
        if (Done)
            Progress->StepIt();
        return !Progress->Stopped;
    });
    LoadHtml(Page);
    return true;
}

void TInformationForm::LoadHtml(const QByteArray& Html)
{
    FHtml = Html;
    QStringDecoder Decoder(QStringDecoder::System);
    WebBrowser->setHtml(Decoder.decode(Html));
}

void TInformationForm::WebBrowserStatusTextChange(const QString& Text)
{
    StatusPanel->setText(Text);
}

void TInformationForm::WebBrowserAnchorClicked(const QUrl& Url)
{
    const bool InPlace =
        Url.isRelative() || Url.isLocalFile() || Url.scheme() == QLatin1String("qrc");
    if (InPlace)
        WebBrowser->setSource(Url);
    else
        QDesktopServices::openUrl(Url);
}
