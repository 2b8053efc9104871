#include "reports/TInformationForm.h"

#include "TReportFixture.h"

#include "reports/TProgressForm.h"
#include "reports/TReportPages.h"
#include "settings/TRegInfo.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
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

class InformationForm : public ::testing::Test
{
protected:
    void TearDown() override { TProgressForm::EventIntervalMs = 10; }
};

TEST_F(InformationForm, StatisticsPageIsShownWithItsOwnTable)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form;
    EXPECT_EQ(Form.windowTitle(), "Information");
    EXPECT_EQ(Form.size(), QSize(600, 520));
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowMaximizeButtonHint);
    ASSERT_TRUE(Form.Table && Form.Table->Active());
    EXPECT_NE(Form.Table.get(), Fixture.Store->ADOTable);
    Form.LoadStatistics(QStringLiteral("english.mdb"));
    ExpectGolden(Form.Html(), "statistics.html");
    const QString Shown = Form.WebBrowser->toPlainText();
    EXPECT_TRUE(Shown.contains("Word Level"));
    EXPECT_TRUE(Shown.contains("0 - 9"));
    // The escaped word reads as it is stored, and the cyrillic-free page decodes as is.
    EXPECT_TRUE(Shown.contains("Last filled word R&D <lab>"));
    EXPECT_TRUE(Shown.contains("DataBase File english.mdb"));
}

TEST_F(InformationForm, StatusBarShowsTheLinkUnderTheMouse)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form;
    Form.LoadStatistics(QStringLiteral("english.mdb"));
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    QTextCursor Cursor = Form.WebBrowser->document()->find(QStringLiteral("vexlo.example.org"));
    ASSERT_FALSE(Cursor.isNull());
    Cursor.setPosition(Cursor.selectionStart() + 3);
    const QPoint OnLink = Form.WebBrowser->cursorRect(Cursor).center();
    QTest::mouseMove(Form.WebBrowser->viewport(), OnLink);
    QTRY_COMPARE(Form.StatusPanel->text(), QStringLiteral("https://vexlo.example.org/"));
    QTest::mouseMove(Form.WebBrowser->viewport(), QPoint(2, 2));
    QTRY_COMPARE(Form.StatusPanel->text(), QString());
}

TEST_F(InformationForm, LinksOpenInPlaceOrInTheDesktopBrowser)
{
    TReportFixture Fixture({});
    TUrlCatcher Catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &Catcher, "Open");
    TInformationForm Form;
    Form.LoadStatistics(QStringLiteral("english.mdb"));
    Form.WebBrowserAnchorClicked(QUrl(QStringLiteral("https://vexlo.example.org/")));
    EXPECT_EQ(Catcher.Urls, QList<QUrl>{QUrl(QStringLiteral("https://vexlo.example.org/"))});
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    const QString Local = Fixture.Dir.filePath(QStringLiteral("page.html"));
    QFile File(Local);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write("<html><body><p>Local page</p></body></html>");
    File.close();
    Form.WebBrowserAnchorClicked(QUrl::fromLocalFile(Local));
    EXPECT_EQ(Form.WebBrowser->source(), QUrl::fromLocalFile(Local));
    EXPECT_TRUE(Form.WebBrowser->toPlainText().contains("Local page"));
    EXPECT_EQ(Catcher.Urls.size(), 1);
}

TEST_F(InformationForm, PreviewBuildsTheGoldenPageAndRemovesTheProgressWindow)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form;
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
    const QString Shown = Form.WebBrowser->toPlainText();
    EXPECT_TRUE(Shown.contains(QStringLiteral("банан, бананов")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("[`eɪprɪkɒt]")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("R&D <lab>")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("É")) || Shown.contains(QStringLiteral("é")));
}

TEST_F(InformationForm, StopEndsTheListingAfterTheCurrentEntry)
{
    TReportFixture Fixture(GoldenDictionary());
    TProgressForm::EventIntervalMs = 0;
    TInformationForm Form;
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
    EXPECT_TRUE(Form.WebBrowser->toPlainText().contains(QStringLiteral("Apricot")));
    EXPECT_FALSE(Form.WebBrowser->toPlainText().contains(QStringLiteral("banana")));
}

TEST_F(InformationForm, SecondBuildWhileOneRunsIsRefusedQuietly)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form;
    bool SecondLoaded = true;
    int TopLevelDialogs = -1;
    QTimer::singleShot(0, [&] {
        TInformationForm Second;
        SecondLoaded = Second.LoadPreview();
        // The static call returns at once without showing anything.
        TInformationForm::ShowPreview(nullptr);
        TopLevelDialogs = 0;
        for (QWidget* W : QApplication::topLevelWidgets())
            TopLevelDialogs += W->isVisible() && qobject_cast<TInformationForm*>(W) ? 1 : 0;
    });
    ASSERT_TRUE(Form.LoadPreview());
    EXPECT_FALSE(SecondLoaded);
    EXPECT_EQ(TopLevelDialogs, 0);
    EXPECT_EQ(Form.Html().count("<table width=\"100%\""), 7);
    // Once the first build is over, another may run.
    TInformationForm Third;
    EXPECT_TRUE(Third.LoadPreview());
}

TEST_F(InformationForm, StoreErrorEndsTheBuildAndReleasesTheProgressWindow)
{
    TReportFixture Fixture(GoldenDictionary());
    TInformationForm Form;
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
                    Seen = Form->WebBrowser->toPlainText();
                    EXPECT_TRUE(Form->isModal());
                    Form->close();
                    Closer.stop();
                }
            }
        });
        Closer.start(5);
        if (Page == 0)
            TInformationForm::ShowStatistics(nullptr, RegInfo);
        else
            TInformationForm::ShowPreview(nullptr);
        EXPECT_TRUE(Seen.contains(Page == 0 ? "Word Level" : "zebra")) << Page;
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Also when ctest lists the tests, which it does without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "TInformationFormTest.moc"
