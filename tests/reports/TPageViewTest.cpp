// The report window's page view on pages made by the real page builder: reading (scroll bar,
// keys, wheel, resizing), finding, copying, saving, printing and its colours.

#include "TReportFixture.h"

#include "reports/TInformationForm.h"
#include "reports/TPageView.h"
#include "reports/TReportPages.h"

#include "widgets/TMessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// A listing of Count entries: word0000, word0001, ... each with a transcription and a Bulgarian
// text of two lines; the word "needle" is hidden in entries 5 and Count - 3.
TPageBlocks Listing(int Count)
{
    TPreviewPageBuilder Builder(Count);
    for (int I = 0; I < Count; ++I) {
        const QString Bulg = I == 5 || I == Count - 3
                                 ? QStringLiteral("игла needle %1\r\nкуп сено").arg(I)
                                 : QStringLiteral("дума номер %1\r\nсъщо и второ значение").arg(I);
        Builder.AddEntry(QStringLiteral("word%1").arg(I, 4, 10, QChar(u'0')).toLatin1(),
                         QStringLiteral("wɜːd"), Bulg);
    }
    return Builder.FinishBlocks();
}

// A report window (on an empty store, which it needs for its own table) showing a listing, on
// screen.
struct TShownListing
{
    explicit TShownListing(int Count)
    {
        const TPageBlocks Blocks = Listing(Count);
        Page = Blocks.Page();
        Form.resize(700, 520);
        Form.LoadBlocks(Blocks);
        Form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Form));
        View = Form.WebBrowser;
        View->setFocus();
    }

    TReportFixture Store{{}};
    QByteArray Page;
    TInformationForm Form{*ScreenSaverDataModule};
    TPageView* View = nullptr;
};

// Where a text is on screen, scrolled into view first.
QPoint On(TPageView* View, const QString& Text, int Chars)
{
    for (qsizetype B = 0; B < View->Blocks().Count(); ++B) {
        if (!View->Blocks().BlockText(B).contains(Text))
            continue;
        const QTextCursor Hit = View->BlockDocument(B)->find(Text);
        const TPageView::TPlace Place{B, Hit.selectionStart() + Chars};
        View->ScrollToPlace(Place);
        return View->PlaceRect(Place).center() + QPoint(Chars ? -1 : 1, 0);
    }
    ADD_FAILURE() << Text.toStdString();
    return {};
}

bool LastBlockShown(TPageView* View)
{
    return View->TopBlock() + View->VisibleBlockCount() == View->Blocks().Count();
}

TEST(PageView, ReadsTheWholePageByPagesAndKeys)
{
    TShownListing Shown(3000);
    TPageView* View = Shown.View;
    QScrollBar* Bar = View->verticalScrollBar();
    ASSERT_EQ(View->Blocks().Count(), 3000 + 1 + 1); // one heading, the entries, the footer
    // The thumb is in proportion to the page from the start: about the blocks on screen out of all.
    const double Thumb = double(Bar->pageStep()) / (Bar->maximum() + Bar->pageStep());
    const double Shown0 = double(View->VisibleBlockCount()) / View->Blocks().Count();
    EXPECT_NEAR(Thumb / Shown0, 1.0, 0.35);

    int Pages = 0;
    qsizetype Top = View->TopBlock();
    while (Bar->value() < Bar->maximum() && Pages < 2000) {
        QTest::keyClick(View, Qt::Key_PageDown);
        ASSERT_GT(View->TopBlock(), Top) << "page " << Pages; // no block is skipped or repeated
        ASSERT_LE(View->TopBlock(), Top + View->VisibleBlockCount());
        Top = View->TopBlock();
        ++Pages;
    }
    EXPECT_TRUE(LastBlockShown(View));
    EXPECT_GT(Pages, 50);

    const struct
    {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        bool AtTop;
        bool AtEnd;
    } Keys[] = {
        {Qt::Key_Home, Qt::NoModifier, true, false},
        {Qt::Key_End, Qt::NoModifier, false, true},
        {Qt::Key_Home, Qt::ControlModifier, true, false},
        {Qt::Key_End, Qt::ControlModifier, false, true},
    };
    for (const auto& K : Keys) {
        QTest::keyClick(View, K.Key, K.Modifiers);
        EXPECT_EQ(View->TopBlock() == 0 && View->TopOffset() == 0, K.AtTop) << K.Key;
        EXPECT_EQ(LastBlockShown(View) && Bar->value() == Bar->maximum(), K.AtEnd) << K.Key;
    }
    QTest::keyClick(View, Qt::Key_Home);
    QTest::keyClick(View, Qt::Key_Down);
    EXPECT_EQ(Bar->value(), Bar->singleStep());
    QTest::keyClick(View, Qt::Key_Up);
    EXPECT_EQ(Bar->value(), 0);

    // The wheel scrolls down and up again.
    const QPoint Middle = View->viewport()->rect().center();
    auto Wheel = [&](int Delta) {
        QWheelEvent Event(Middle, View->viewport()->mapToGlobal(Middle), QPoint(),
                          QPoint(0, Delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(View->viewport(), &Event);
    };
    Wheel(-120);
    EXPECT_GT(Bar->value(), 0);
    Wheel(120);
    EXPECT_EQ(Bar->value(), 0);

    // A drag of the thumb to the middle shows the middle of the page.
    Bar->setValue(Bar->maximum() / 2);
    EXPECT_NEAR(double(View->TopBlock()) / View->Blocks().Count(), 0.5, 0.1);
}

TEST(PageView, ResizingReflowsAndKeepsTheReadersPlace)
{
    TShownListing Shown(1000);
    TPageView* View = Shown.View;
    View->ScrollToPlace(TPageView::TPlace{400, 0});
    const qsizetype Top = View->TopBlock();
    const qreal Wide = View->BlockDocument(Top)->size().height();
    Shown.Form.resize(260, 520);
    QApplication::processEvents();
    EXPECT_EQ(View->TopBlock(), Top);
    // The Bulgarian text now wraps, so the entry grows.
    EXPECT_GT(View->BlockDocument(Top)->size().height(), Wide);
    Shown.Form.resize(700, 520);
    QApplication::processEvents();
    EXPECT_EQ(View->TopBlock(), Top);
    EXPECT_EQ(View->BlockDocument(Top)->size().height(), Wide);
}

TEST(PageView, FindGoesThroughTheWholePage)
{
    TShownListing Shown(3000);
    TInformationForm& Form = Shown.Form;
    TPageView* View = Shown.View;
    QTest::keyClick(View, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(Form.FindBar->isVisible());
    ASSERT_TRUE(Form.FindEdit->hasFocus());
    QTest::keyClicks(Form.FindEdit, QStringLiteral("NEEDLE"));

    const struct
    {
        const char* How;
        const char16_t* Hit; // the text of the block found, or null for "Not found"
    } Steps[] = {
        {"enter", u"needle 5"},    {"F3", u"needle 2997"}, {"F3", u"needle 5"},
        {"shift+F3", u"needle 2997"}, {"shift+F3", u"needle 5"},
    };
    for (const auto& Step : Steps) {
        if (QByteArray(Step.How) == "enter")
            QTest::keyClick(Form.FindEdit, Qt::Key_Return);
        else
            QTest::keyClick(&Form, Qt::Key_F3,
                            QByteArray(Step.How) == "F3" ? Qt::NoModifier : Qt::ShiftModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !View->Searching(); }, 10000)) << Step.How;
        EXPECT_EQ(Form.FindStatus->text(), QString()) << Step.How;
        EXPECT_EQ(View->SelectedText(), "needle") << Step.How;
        const QRect Hit = View->PlaceRect(
            TPageView::TPlace{View->TopBlock() + View->VisibleBlockCount() / 2, 0});
        EXPECT_FALSE(Hit.isEmpty());
        bool OnScreen = false;
        for (qsizetype B = View->TopBlock(); B < View->TopBlock() + View->VisibleBlockCount(); ++B)
            OnScreen = OnScreen || View->Blocks().BlockText(B).contains(QString::fromUtf16(Step.Hit));
        EXPECT_TRUE(OnScreen) << Step.How;
    }

    // Cyrillic text, and a text that is not on the page.
    Form.FindEdit->setText(QStringLiteral("КУП СЕНО"));
    QTest::keyClick(Form.FindEdit, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View->Searching(); }, 10000));
    EXPECT_EQ(View->SelectedText(), QStringLiteral("куп сено"));
    Form.FindEdit->setText(QStringLiteral("haystack"));
    QTest::keyClick(Form.FindEdit, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View->Searching(); }, 10000));
    EXPECT_EQ(Form.FindStatus->text(), "Not found");
    EXPECT_EQ(View->SelectedText(), QStringLiteral("куп сено")); // the last hit stays selected

    // Escape closes the find bar and leaves the window open.
    QTest::keyClick(Form.FindEdit, Qt::Key_Escape);
    EXPECT_FALSE(Form.FindBar->isVisible());
    EXPECT_TRUE(Form.isVisible());
}

TEST(PageView, TheWindowClosesAtOnceWhileAFindOrACopyRuns)
{
    TShownListing Shown(20000);
    TPageView* View = Shown.View;
    // A search and a copy of the whole page take many slices.
    View->Find(QStringLiteral("haystack"));
    ASSERT_TRUE(View->Searching());
    View->SelectAll();
    View->Copy();
    ASSERT_TRUE(View->Copying());
    EXPECT_EQ(Shown.Form.StatusPanel->text(), "Copying...");
    QTimer::singleShot(0, &Shown.Form, [&] { Shown.Form.close(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Shown.Form.isVisible(); }, 1000));
    EXPECT_FALSE(View->Searching());
    EXPECT_FALSE(View->Copying());
    EXPECT_EQ(Shown.Form.FindStatus->text(), "Not found");
    EXPECT_EQ(Shown.Form.StatusPanel->text(), QString());
}

// A link followed (or Back) while a long copy runs: the copy is of the page it began on, whole.
TEST(PageView, APageShownWhileACopyRunsLeavesThatCopyWhole)
{
    TShownListing Shown(2500);
    TPageView* View = Shown.View;
    const QString Before = View->PageText();
    View->SelectAll();
    View->Copy();
    ASSERT_TRUE(View->Copying());
    View->SetPage(Listing(3));
    EXPECT_FALSE(View->Copying());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Before);
    EXPECT_EQ(Shown.Form.StatusPanel->text(), QString());
    EXPECT_EQ(View->Blocks().Count(), Listing(3).Count());
}

TEST(PageView, CopiesTheSelectionAndTheWholePage)
{
    TShownListing Shown(2500); // a whole-page copy of this size runs in slices
    TPageView* View = Shown.View;
    QClipboard* Clipboard = QGuiApplication::clipboard();

    // A word selected with the mouse.
    const QPoint From = On(View, QStringLiteral("word0002"), 0);
    const QPoint To = On(View, QStringLiteral("word0002"), 8);
    QTest::mousePress(View->viewport(), Qt::LeftButton, {}, From);
    QTest::mouseMove(View->viewport(), To);
    QTest::mouseRelease(View->viewport(), Qt::LeftButton, {}, To);
    QTest::keyClick(View, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard->text(), "word0002");

    // From the middle of one entry into the next: whole lines for what lies between.
    const int In1 = View->BlockDocument(2)->find(QStringLiteral("0001")).selectionStart();
    const int In3 = View->BlockDocument(4)->find(QStringLiteral("d0003")).selectionEnd();
    View->SetSelection(TPageView::TPlace{2, In1}, TPageView::TPlace{4, In3});
    View->Copy();
    EXPECT_TRUE(Clipboard->text().startsWith("0001\n")) << Clipboard->text().toStdString();
    EXPECT_TRUE(Clipboard->text().endsWith("\nword0003")) << Clipboard->text().toStdString();
    EXPECT_TRUE(Clipboard->text().contains(QStringLiteral("word0002\t[wɜːd]\tдума номер 2, същ")));

    // Everything, also what was never on screen.
    QTest::keyClick(View, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(View, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View->Copying(); }, 10000));
    const QString All = Clipboard->text();
    EXPECT_EQ(All, View->PageText());
    EXPECT_TRUE(All.startsWith(
        QStringLiteral("W\nword0000\t[wɜːd]\tдума номер 0, също и второ значение\nword0001\t")));
    EXPECT_TRUE(All.contains(QStringLiteral("word2499\t[wɜːd]\tдума номер 2499")));
    EXPECT_TRUE(All.endsWith(QStringLiteral("Vexlo Vocabulary project\nhttps://vexlo.example.org/")));
}

class PageFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TInformationForm::AskSaveFileName = [this](QWidget*, const QString&, const QString&,
                                                   const QString&) { return Answer; };
    }
    void TearDown() override
    {
        TInformationForm::AskSaveFileName = Saved;
        TMessageBox::ClearAnswers();
    }

    QString Answer;
    QTemporaryDir Dir;
    decltype(TInformationForm::AskSaveFileName) Saved = TInformationForm::AskSaveFileName;
};

TEST_F(PageFiles, SaveAsHtmlWritesThePageByteForByte)
{
    TShownListing Shown(200);
    const struct
    {
        QString Name;
        bool Written;
    } Cases[] = {
        {Dir.filePath(QStringLiteral("listing.html")), true},
        {Dir.filePath(QStringLiteral("no such folder/listing.html")), false},
        {QString(), false}, // the user declined
    };
    for (const auto& Case : Cases) {
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        Answer = Case.Name;
        Shown.Form.SaveAction->trigger();
        QFile File(Case.Name);
        ASSERT_EQ(File.open(QIODevice::ReadOnly), Case.Written) << Case.Name.toStdString();
        if (Case.Written) {
            EXPECT_TRUE(File.readAll() == Shown.Page);
        }
        const bool Told = !TMessageBox::Answered().isEmpty();
        EXPECT_EQ(Told, !Case.Written && !Case.Name.isEmpty()) << Case.Name.toStdString();
        if (Told) {
            EXPECT_TRUE(TMessageBox::Answered().first().Text.contains("no such folder"));
        }
    }
}

TEST_F(PageFiles, ExportPdfPrintsPageByPageAndCanBeCancelled)
{
    TShownListing Shown(400);
    Answer = Dir.filePath(QStringLiteral("listing.pdf"));
    Shown.Form.ExportPdfAction->trigger();
    QFile File(Answer);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QByteArray Pdf = File.readAll();
    EXPECT_TRUE(Pdf.startsWith("%PDF-"));
    EXPECT_GT(Pdf.count("/Type /Page\n"), 3);
    File.close();

    // Cancel in the progress window stops the run and leaves the file of that name as it was.
    Answer = Dir.filePath(QStringLiteral("cancelled.pdf"));
    const QByteArray Old = "%PDF-1.4 the report of last week\n";
    {
        QFile Existing(Answer);
        ASSERT_TRUE(Existing.open(QIODevice::WriteOnly));
        Existing.write(Old);
    }
    bool Cancelled = false;
    QTimer Canceller;
    QObject::connect(&Canceller, &QTimer::timeout, [&] {
        if (auto* Progress = Shown.Form.findChild<QProgressDialog*>(QStringLiteral("PrintProgress"))) {
            Progress->cancel();
            Cancelled = true;
        }
    });
    Canceller.start(1);
    Shown.Form.ExportPdfAction->trigger();
    Canceller.stop();
    EXPECT_TRUE(Cancelled);
    QFile Kept(Answer);
    ASSERT_TRUE(Kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(Kept.readAll(), Old);
    // Nothing of the cancelled document stays beside it.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"cancelled.pdf", "listing.pdf"}));
}

// A small file system of its own (tmpfs, 64 KB), filled by what is written to it. Mounting needs
// root; elsewhere the tests that use it skip.
class FullDisk : public PageFiles
{
protected:
    void SetUp() override
    {
        PageFiles::SetUp();
        Mount = Dir.filePath(QStringLiteral("small"));
        ASSERT_TRUE(QDir().mkpath(Mount));
        QProcess Tool;
        Tool.start(QStringLiteral("mount"),
                   {"-t", "tmpfs", "-o", "size=64k", "none", Mount});
        Mounted = Tool.waitForFinished(30000) && Tool.exitStatus() == QProcess::NormalExit &&
                  Tool.exitCode() == 0;
        if (!Mounted)
            GTEST_SKIP() << "a 64 KB tmpfs cannot be mounted here (needs root): "
                         << Tool.readAllStandardError().toStdString();
    }
    void TearDown() override
    {
        if (Mounted) {
            QProcess Tool;
            Tool.start(QStringLiteral("umount"), {Mount});
            Tool.waitForFinished(30000);
        }
        PageFiles::TearDown();
    }

    QStringList Files() const
    {
        return QDir(Mount).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QString Mount;
    bool Mounted = false;
};

TEST_F(FullDisk, SaveAndExportSayTheDiskIsFullAndLeaveNoPartOfTheFile)
{
    TShownListing Shown(2000);
    ASSERT_GT(Shown.Page.size(), 64 * 1024);
    // A file already there is kept whole when the new one does not fit.
    const QByteArray Old = "<html><body>an older page</body></html>\n";
    {
        QFile Existing(Mount + QStringLiteral("/kept.html"));
        ASSERT_TRUE(Existing.open(QIODevice::WriteOnly));
        Existing.write(Old);
    }
    const struct
    {
        const char* Name;
        QAction* Command;
        QString File;
    } Cases[] = {
        {"Save as HTML, new file", Shown.Form.SaveAction, Mount + QStringLiteral("/listing.html")},
        {"Save as HTML, over a file", Shown.Form.SaveAction, Mount + QStringLiteral("/kept.html")},
        {"Export PDF", Shown.Form.ExportPdfAction, Mount + QStringLiteral("/listing.pdf")},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        Answer = Case.File;
        Case.Command->trigger();
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_TRUE(TMessageBox::Answered().first().Text.contains("No space left on device"))
            << TMessageBox::Answered().first().Text.toStdString();
        EXPECT_EQ(Files(), QStringList("kept.html"));
        QFile Kept(Mount + QStringLiteral("/kept.html"));
        ASSERT_TRUE(Kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(Kept.readAll(), Old);
    }
}

TEST(PageView, PaperStaysLightUnderADarkDesktopPalette)
{
    const QPalette Desktop = QApplication::palette();
    QPalette Dark(QColor(0x30, 0x30, 0x30), QColor(0x20, 0x20, 0x20));
    Dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    Dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    Dark.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
    QApplication::setPalette(Dark);
    {
        TShownListing Shown(20);
        TPageView* View = Shown.View;
        // The first entry's word: drawn dark on its white row.
        const QPoint At = On(View, QStringLiteral("word0000"), 0);
        const QImage Shot = View->viewport()->grab().toImage();
        const QRect Word(At.x(), At.y() - 6, 40, 12);
        int Darkest = 255;
        int Lightest = 0;
        for (int Y = Word.top(); Y <= Word.bottom(); ++Y) {
            for (int X = Word.left(); X <= Word.right(); ++X) {
                const int Grey = qGray(Shot.pixel(X, Y));
                Darkest = qMin(Darkest, Grey);
                Lightest = qMax(Lightest, Grey);
            }
        }
        EXPECT_LT(Darkest, 80);
        EXPECT_EQ(Lightest, 255);
    }
    QApplication::setPalette(Desktop);
}

} // namespace
