#include "reports/TInformationForm.h"

#include "TReportFixture.h"

#include "widgets/TProgressForm.h"
#include "reports/TPageView.h"
#include "reports/TReportPages.h"
#include "settings/TRegInfo.h"
#include "store/TVexloTable.h"

#include <QApplication>
#include <QDesktopServices>
#include <QNetworkProxy>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Receives the URLs that would have gone to the desktop's browser.
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> Urls;

public slots:
    void Open(const QUrl& Url) { Urls.append(Url); }
};

// Where the view shows a text (Chars characters into it), scrolling it into view first.
QPoint PointAt(TPageView* View, const QString& Text, int Chars = 0)
{
    for (qsizetype B = 0; B < View->Blocks().Count(); ++B) {
        if (!View->Blocks().BlockText(B).contains(Text))
            continue;
        const QTextCursor Hit = View->BlockDocument(B)->find(Text);
        if (Hit.isNull())
            continue;
        const TPageView::TPlace Place{B, Hit.selectionStart() + Chars};
        View->ScrollToPlace(Place);
        return View->PlaceRect(Place).center() + QPoint(1, 0);
    }
    ADD_FAILURE() << "not on the page: " << Text.toStdString();
    return {};
}

// A web proxy on the loopback interface, set as the application's proxy while it lives: it
// serves a small page for every plain request and refuses tunnels (so https addresses fail the
// way they do without a network), and keeps the request lines.
class TWebProxy : public QObject
{
public:
    TWebProxy()
    {
        FServer.listen(QHostAddress::LocalHost);
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* Socket = FServer.nextPendingConnection()) {
                connect(Socket, &QTcpSocket::readyRead, this, [this, Socket] { Answer(Socket); });
                connect(Socket, &QTcpSocket::disconnected, Socket, &QObject::deleteLater);
            }
        });
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), FServer.serverPort()));
    }
    ~TWebProxy() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    QStringList Requests;

private:
    void Answer(QTcpSocket* Socket)
    {
        QByteArray& Buffer = FBuffers[Socket];
        Buffer += Socket->readAll();
        if (!Buffer.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> Words = Buffer.left(Buffer.indexOf("\r\n")).split(' ');
        FBuffers.remove(Socket);
        if (Words.size() < 2)
            return;
        Requests.append(QString::fromLatin1(Words[0] + ' ' + Words[1]));
        if (Words[0] == "CONNECT") {
            Socket->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
        } else {
            const QByteArray Body = "<html><body><p>Served page " + QUrl(QString::fromLatin1(Words[1])).path().toLatin1() +
                                    "</p></body></html>";
            Socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                          QByteArray::number(Body.size()) + "\r\nConnection: close\r\n\r\n" + Body);
        }
        Socket->disconnectFromHost();
    }

    QTcpServer FServer;
    QHash<QTcpSocket*, QByteArray> FBuffers;
};

class InformationForm : public ::testing::Test
{
protected:
    void TearDown() override { TProgressForm::EventIntervalMs = 10; }
};

TEST_F(InformationForm, StatisticsPageIsShownWithItsOwnTable)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form(*ScreenSaverDataModule);
    EXPECT_EQ(Form.windowTitle(), "Information");
    EXPECT_EQ(Form.size(), QSize(600, 520));
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowMaximizeButtonHint);
    ASSERT_TRUE(Form.Table && Form.Table->Active());
    EXPECT_NE(Form.Table.get(), Fixture.Store->ADOTable);
    Form.LoadStatistics(QStringLiteral("english.mdb"));
    ExpectGolden(Form.Html(), "statistics.html");
    const QString Shown = Form.WebBrowser->PageText();
    EXPECT_TRUE(Shown.contains("Word Level"));
    EXPECT_TRUE(Shown.contains("0 - 9"));
    // The escaped word reads as it is stored, and the cyrillic-free page decodes as is.
    EXPECT_TRUE(Shown.contains("Last filled word R&D <lab>"));
    EXPECT_TRUE(Shown.contains("DataBase File english.mdb"));
}

TEST_F(InformationForm, StatusBarShowsTheLinkUnderTheMouse)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form(*ScreenSaverDataModule);
    Form.LoadStatistics(QStringLiteral("english.mdb"));
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    const QPoint OnLink = PointAt(Form.WebBrowser, QStringLiteral("vexlo.example.org"), 3);
    QTest::mouseMove(Form.WebBrowser->viewport(), OnLink);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Form.StatusPanel->text() == "https://vexlo.example.org/"; }, 5000));
    QTest::mouseMove(Form.WebBrowser->viewport(), QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Form.StatusPanel->text().isEmpty(); }, 5000));
}

TEST_F(InformationForm, LinksOpenInsideTheWindow)
{
    TReportFixture Fixture(GoldenDictionary());
    // Any attempt to hand a link to the desktop's browser lands here.
    TUrlCatcher Catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &Catcher, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &Catcher, "Open");
    const auto Unset = qScopeGuard([] {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    });
    TWebProxy Proxy;
    TInformationForm Form(*ScreenSaverDataModule);
    Form.LoadStatistics(QStringLiteral("english.mdb"));
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));

    // The footer link, clicked: the site is asked for through the network, and the answer (here
    // a refusal by the proxy) is shown in the window itself.
    QTest::mouseClick(Form.WebBrowser->viewport(), Qt::LeftButton, {},
                      PointAt(Form.WebBrowser, QStringLiteral("vexlo.example.org"), 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form.WebBrowser->PageText().contains("The page could not be opened"); }, 5000)) << Form.WebBrowser->PageText().toStdString();
    EXPECT_TRUE(Form.WebBrowser->PageText().contains("https://vexlo.example.org/"));
    EXPECT_EQ(Form.ShownUrl(), QUrl(QStringLiteral("https://vexlo.example.org/")));
    EXPECT_TRUE(Proxy.Requests.contains("CONNECT vexlo.example.org:443"));
    EXPECT_TRUE(Form.BackAction->isEnabled());

    // Its link leads back to the report.
    QTest::mouseClick(Form.WebBrowser->viewport(), Qt::LeftButton, {},
                      PointAt(Form.WebBrowser, QStringLiteral("Back to the report"), 2));
    EXPECT_TRUE(Form.WebBrowser->PageText().contains("Word Level"));
    EXPECT_TRUE(Form.ShownUrl().isEmpty());
    EXPECT_FALSE(Form.BackAction->isEnabled());

    // A page that can be fetched is shown; its relative links resolve against it.
    Form.WebBrowserAnchorClicked(QUrl(QStringLiteral("http://vexlo.test/first")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form.WebBrowser->PageText().contains("Served page /first"); }, 5000)) << Form.WebBrowser->PageText().toStdString();
    Form.WebBrowserAnchorClicked(QUrl(QStringLiteral("second")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form.WebBrowser->PageText().contains("Served page /second"); }, 5000)) << Form.WebBrowser->PageText().toStdString();
    EXPECT_TRUE(Proxy.Requests.contains("GET http://vexlo.test/second"));
    Form.BackAction->trigger();
    EXPECT_TRUE(Form.WebBrowser->PageText().contains("Word Level"));

    // A local file opens at once.
    const QString Local = Fixture.Dir.filePath(QStringLiteral("page.html"));
    QFile File(Local);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write("<html><body><p>Local page</p></body></html>");
    File.close();
    Form.WebBrowserAnchorClicked(QUrl::fromLocalFile(Local));
    EXPECT_EQ(Form.ShownUrl(), QUrl::fromLocalFile(Local));
    EXPECT_TRUE(Form.WebBrowser->PageText().contains("Local page"));

    EXPECT_TRUE(Catcher.Urls.isEmpty());
}

TEST_F(InformationForm, PreviewBuildsTheGoldenPageAndRemovesTheProgressWindow)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form(*ScreenSaverDataModule);
    QString Title;
    int Maximum = -1;
    bool HasCloseBox = true;
    bool ClosedByUser = true;
    bool FormVisible = true;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(ProgressForm, nullptr);
        Title = ProgressForm->windowTitle();
        Maximum = ProgressForm->ProgressBar->maximum();
        HasCloseBox = ProgressForm->windowFlags() & Qt::WindowCloseButtonHint;
        ClosedByUser = ProgressForm->close();
        FormVisible = Form.isVisible();
    });
    ASSERT_TRUE(Form.LoadPreview());
    EXPECT_EQ(Title, "Progres");
    EXPECT_EQ(Maximum, 7);
    EXPECT_FALSE(HasCloseBox);
    EXPECT_FALSE(ClosedByUser);
    EXPECT_FALSE(FormVisible);
    EXPECT_EQ(ProgressForm, nullptr);
    EXPECT_EQ(Form.width(), 700);
    EXPECT_EQ(Form.height(), 520);
    ExpectGolden(Form.Html(), "preview.html");
    const QString Shown = Form.WebBrowser->PageText();
    EXPECT_TRUE(Shown.contains(QStringLiteral("банан, бананов")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("[`eɪprɪkɒt]")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("R&D <lab>")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("É")) || Shown.contains(QStringLiteral("é")));
}

TEST_F(InformationForm, StopEndsTheListingAfterTheCurrentEntry)
{
    TReportFixture Fixture(GoldenDictionary());
    TProgressForm::EventIntervalMs = 0;
    TInformationForm Form(*ScreenSaverDataModule);
    QTimer::singleShot(0, [&] {
        ASSERT_NE(ProgressForm, nullptr);
        QObject::connect(ProgressForm->ProgressBar, &QProgressBar::valueChanged, [](int Value) {
            if (Value == 2)
                ProgressForm->StopBitBtn->click();
        });
    });
    ASSERT_TRUE(Form.LoadPreview());
    EXPECT_EQ(Form.Html().count("<table width=\"100%\""), 2);
    EXPECT_TRUE(Form.Html().endsWith("<hr>\r\n" + FooterLine() + "\r\n</body>\r\n</html>\r\n"));
    EXPECT_TRUE(Form.WebBrowser->PageText().contains(QStringLiteral("Apricot")));
    EXPECT_FALSE(Form.WebBrowser->PageText().contains(QStringLiteral("banana")));
}

TEST_F(InformationForm, SecondBuildWhileOneRunsIsRefusedQuietly)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form(*ScreenSaverDataModule);
    bool SecondLoaded = true;
    int TopLevelDialogs = -1;
    QTimer::singleShot(0, [&] {
        TInformationForm Second(*ScreenSaverDataModule);
        SecondLoaded = Second.LoadPreview();
        // The static call returns at once without showing anything.
        TInformationForm::ShowPreview(nullptr, *ScreenSaverDataModule);
        TopLevelDialogs = 0;
        for (QWidget* W : QApplication::topLevelWidgets())
            TopLevelDialogs += W->isVisible() && qobject_cast<TInformationForm*>(W) ? 1 : 0;
    });
    ASSERT_TRUE(Form.LoadPreview());
    EXPECT_FALSE(SecondLoaded);
    EXPECT_EQ(TopLevelDialogs, 0);
    EXPECT_EQ(Form.Html().count("<table width=\"100%\""), 7);
    // Once the first build is over, another may run.
    TInformationForm Third(*ScreenSaverDataModule);
    EXPECT_TRUE(Third.LoadPreview());
}

TEST_F(InformationForm, StoreErrorEndsTheBuildAndReleasesTheProgressWindow)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form(*ScreenSaverDataModule);
    Fixture.Store->CloseData();
    EXPECT_THROW(Form.LoadPreview(), EVexloDatabaseError);
    EXPECT_EQ(ProgressForm, nullptr);
    for (QWidget* W : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TProgressForm*>(W), nullptr);
}

TEST_F(InformationForm, ShowCallsAreModalAndReturnWhenClosed)
{
    TReportFixture Fixture(GoldenDictionary());
    TRegInfo RegInfo;
    RegInfo.DataFile = QStringLiteral("english.mdb");
    for (int Page = 0; Page < 2; ++Page) {
        QString Seen;
        // The listing processes events while it is built, before its window is shown, so keep
        // looking until the modal window is up.
        QTimer Closer;
        QObject::connect(&Closer, &QTimer::timeout, [&] {
            for (QWidget* W : QApplication::topLevelWidgets()) {
                if (auto* Form = qobject_cast<TInformationForm*>(W); Form && Form->isVisible()) {
                    Seen = Form->WebBrowser->PageText();
                    EXPECT_TRUE(Form->isModal());
                    Form->close();
                    Closer.stop();
                }
            }
        });
        Closer.start(5);
        if (Page == 0)
            TInformationForm::ShowStatistics(nullptr, *ScreenSaverDataModule, RegInfo);
        else
            TInformationForm::ShowPreview(nullptr, *ScreenSaverDataModule);
        EXPECT_TRUE(Seen.contains(Page == 0 ? "Word Level" : "zebra")) << Page;
    }
}

// Fills the data file with Count entries through the sqlite3 shell, as another tool would.
void FillByShell(const QString& Path, int Count)
{
    QProcess Shell;
    Shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), Path});
    ASSERT_TRUE(Shell.waitForStarted());
    Shell.write(QStringLiteral(
                    "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < %1) "
                    "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                    "SELECT I, printf('w%05d', I), 'дума ' || I, 'wɜːd', I % 10 FROM N;\n")
                    .arg(Count)
                    .toUtf8());
    Shell.closeWriteChannel();
    ASSERT_TRUE(Shell.waitForFinished(60000));
    ASSERT_EQ(Shell.exitCode(), 0) << Shell.readAllStandardError().toStdString();
}

// Calls Seen for every report window the moment it is shown.
class TShowWatcher : public QObject
{
public:
    std::function<void(TInformationForm*)> Seen;
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Show)
            if (auto* Form = qobject_cast<TInformationForm*>(Watched))
                Seen(Form);
        return false;
    }
};

// A listing longer than a screen: its window comes up, modal, with the first entries while the
// rest is built (Stop still answers, the commands that need the whole page wait), keeps the
// reader's place when the page grows, and ends with the very bytes built in one go. Closing it
// before the end stops the build and shows nothing more.
TEST_F(InformationForm, PreviewShowsItsFirstScreenWhileTheRestIsBuilt)
{
    TReportFixture Fixture({});
    const int Count = 3 * TInformationForm::FirstScreenEntries;
    FillByShell(Fixture.Path, Count);
    Fixture.Store->ADOTable->Refresh();
    QByteArray Expected;
    {
        TVexloTable Table(Fixture.Store->ADOConnection);
        Table.Open();
        Expected = BuildPreviewPage(Table, {});
    }
    const int Interval = TProgressForm::EventIntervalMs;
    TProgressForm::EventIntervalMs = 0; // the bar shows every entry
    const auto Restore = qScopeGuard([Interval] { TProgressForm::EventIntervalMs = Interval; });

    for (const bool CloseEarly : {false, true}) {
        SCOPED_TRACE(CloseEarly ? "closed while building" : "read while building");
        struct
        {
            bool Shown = false, Building = false, Modal = false, SaveEnabled = true,
                 StopEnabled = false;
            qsizetype Blocks = 0, Top = -1;
        } Early;
        int LastStep = 0;
        TShowWatcher Watcher;
        Watcher.Seen = [&](TInformationForm* Form) {
            if (Early.Shown)
                return;
            Early.Shown = true;
            Early.Building = ProgressForm != nullptr;
            Early.Modal = Form->isModal();
            Early.SaveEnabled = Form->SaveAction->isEnabled();
            Early.Blocks = Form->WebBrowser->Blocks().Count();
            if (ProgressForm) {
                Early.StopEnabled = ProgressForm->StopBitBtn->isEnabled();
                QObject::connect(ProgressForm->ProgressBar, &QProgressBar::valueChanged,
                                 [&LastStep](int Value) { LastStep = Value; });
            }
            Form->WebBrowser->ScrollToPlace({Early.Blocks - 1, 0});
            Early.Top = Form->WebBrowser->TopBlock();
            if (CloseEarly)
                QMetaObject::invokeMethod(Form, &QWidget::close, Qt::QueuedConnection);
        };
        qApp->installEventFilter(&Watcher);
        bool Finished = false;
        QByteArray Final;
        qsizetype FinalTop = -1;
        bool FinalSave = false;
        QTimer Closer;
        QObject::connect(&Closer, &QTimer::timeout, [&] {
            if (ProgressForm)
                return; // still building
            for (QWidget* W : QApplication::topLevelWidgets())
                if (auto* Form = qobject_cast<TInformationForm*>(W); Form && Form->isVisible()) {
                    Finished = true;
                    Final = Form->Html();
                    FinalTop = Form->WebBrowser->TopBlock();
                    FinalSave = Form->SaveAction->isEnabled();
                    Form->close();
                }
        });
        Closer.start(5);
        TInformationForm::ShowPreview(nullptr, *ScreenSaverDataModule);
        qApp->removeEventFilter(&Watcher);

        ASSERT_TRUE(Early.Shown);
        EXPECT_TRUE(Early.Building);
        EXPECT_TRUE(Early.Modal);
        EXPECT_TRUE(Early.StopEnabled);
        EXPECT_FALSE(Early.SaveEnabled);
        // The head's block, the heading and the first entries, no closing part yet.
        EXPECT_EQ(Early.Blocks, 1 + TInformationForm::FirstScreenEntries);
        if (CloseEarly) {
            EXPECT_FALSE(Finished);
            EXPECT_LT(LastStep, Count / 2);
        } else {
            EXPECT_TRUE(Finished);
            EXPECT_TRUE(Final == Expected);
            EXPECT_EQ(FinalTop, Early.Top);
            EXPECT_TRUE(FinalSave);
        }
    }
}

} // namespace

#include "TInformationFormTest.moc"
