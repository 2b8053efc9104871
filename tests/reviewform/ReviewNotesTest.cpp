#include "../review/ReviewOracle.h"
#include "../store/StoreTestSupport.h"

#include "app/TLearnNotes.h"
#include "app/TReviewNotes.h"
#include "settings/TAppRegInfo.h"

#include "tests/support/FuzzSeed.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int64_t T0 = 1'760'000'000'000;
constexpr int64_t Day = TFsrs::MsPerDay;

QWidget* ShownNote()
{
    for (QWidget* W : QApplication::topLevelWidgets())
        if (W->inherits("TLearnForm") && W->isVisible())
            return W;
    return nullptr;
}

class ReviewNotes : public StoreFixture
{
protected:
    void SetUp() override
    {
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
        StoreFixture::SetUp();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the real X server that tools/test.sh starts";
        for (int I = 0; I < 30; ++I)
            Store->AppendEntry(MakeEntry(QStringLiteral("word%1").arg(I, 2, 10, QLatin1Char('0')),
                                         0, QStringLiteral("дума %1").arg(I)));
        Settings = std::make_unique<TAppRegInfo>(nullptr);
        Settings->Animate = false;
        Settings->DelayInterval = 5;
        Settings->DurationInterval = 600;
        Settings->Review.NotesShowDue = true;
        Settings->Review.NewPerDay = 30;
        Settings->Review.MaximumInterval = 60;
        Settings->Review.Fuzz = false;
    }
    void TearDown() override
    {
        for (QWidget* W : QApplication::topLevelWidgets())
            if (W->inherits("TLearnForm"))
                delete W;
        Settings.reset();
        StoreFixture::TearDown();
    }

    std::unique_ptr<TAppRegInfo> Settings;
    int64_t Now = T0;
};

} // namespace

// Thirty words reviewed on notes over three rounds, English first and Bulgarian first: the note
// asks, shows the answer after Delay BG, and a click on Knew or Forgot saves the answer; the file
// then holds what the reference scheduler gives.
TEST_F(ReviewNotes, ThirtyWordsOnNotesMatchTheReference)
{
    FIND_ORACLE(Oracle);
    std::mt19937 Random(FuzzSeed());
    std::map<QString, TOracleCase> Given;
    TReviewNotes Notes(*Store);
    Notes.Clock = [this] { return Now; };
    int Saved = 0;
    QObject::connect(&Notes, &TReviewNotes::Answered, [&](const QString& Error) {
        EXPECT_TRUE(Error.isEmpty()) << Error.toStdString();
        ++Saved;
    });
    for (int Round = 0; Round < 3; ++Round) {
        Settings->Review.Direction =
            Round == 1 ? TReviewSettings::drBulgarianFirst : TReviewSettings::drEnglishFirst;
        for (int I = 0; I < 30; ++I) {
            ASSERT_TRUE(Notes.ShowNext(*Settings)) << "round " << Round << " word " << I;
            QWidget* Note = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (Note = ShownNote()) && Note->windowHandle() &&
                                               Note->windowHandle()->isExposed(); }));
            const QString Word = Note->property("EnglishText").toString();
            EXPECT_FALSE(Note->property("Revealed").toBool());
            // The note's clock passes Delay BG: the answer shows, with Knew and Forgot.
            Note->setProperty("ShownForMs", qint64(5000));
            QMetaObject::invokeMethod(Note, "Tick");
            ASSERT_TRUE(Note->property("Revealed").toBool());
            const bool Knew = Random() % 3 != 0;
            const QRect Button = Note->property(Knew ? "KnewRect" : "ForgotRect").toRect();
            Given[Word].Reviews.emplace_back(Now, Knew ? 3 : 1);
            Given[Word].Maximum = 60;
            const int Before = Saved;
            QTest::mouseClick(Note, Qt::LeftButton, {}, Button.center());
            ASSERT_TRUE(WaitUntil([&] { return Saved == Before + 1 && !ShownNote(); }));
            Now += 60'000;
        }
        Now += 70 * Day;
    }
    ASSERT_EQ(Given.size(), 30u);
    ExpectFileMatchesOracle(Path, Given, Oracle);
}

// With nothing due and no new word allowed, the learning notes show a random word as before; a
// note closed unanswered saves nothing.
TEST_F(ReviewNotes, NothingDueFallsBackToARandomNoteAndUnansweredSavesNothing)
{
    Settings->Review.NewPerDay = 1;
    TReviewNotes Notes(*Store);
    Notes.Clock = [this] { return Now; };
    ASSERT_TRUE(Notes.ShowNext(*Settings));
    QWidget* Note = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (Note = ShownNote()) != nullptr; }));
    Note->close();
    EXPECT_FALSE(Notes.Pending());
    EXPECT_EQ(RawText(Path, "SELECT count(*) FROM sqlite_master WHERE name = 'VexloReview'"), "0");

    // One new word a day: after it is answered, the learning notes fall back to a random note.
    ASSERT_TRUE(Notes.ShowNext(*Settings));
    Notes.Grade(3);
    EXPECT_FALSE(Notes.ShowNext(*Settings));
    TLearnNotes Learn(nullptr, *Store, new QAction(qApp));
    int RandomNotes = 0;
    Learn.Settings = Settings.get();
    Learn.NoteLibrary.CanShow = [] { return true; };
    static int* Counter = nullptr;
    Counter = &RandomNotes;
    Learn.NoteLibrary.ShowLearnForm = [](const void*, const char16_t*, const char16_t*,
                                         const char16_t*, int32_t) { ++*Counter; };
    Learn.Review->Clock = [this] { return Now; };
    Settings->SequenceInterval = 0;
    Learn.LearnStartTick = 0;
    Learn.LearnTimerTimer();
    EXPECT_EQ(RandomNotes, 1);
}

// A note that replaces one still on the screen (a host that does not ask CanShow first) keeps
// its own word: the old note's unanswered close does not take it away.
TEST_F(ReviewNotes, ANoteReplacingAnotherKeepsItsWord)
{
    TReviewNotes Notes(*Store);
    Notes.Clock = [this] { return Now; };
    ASSERT_TRUE(Notes.ShowNext(*Settings));
    ASSERT_TRUE(WaitUntil([&] { return ShownNote() != nullptr; }));
    Now += 60'000;
    ASSERT_TRUE(Notes.ShowNext(*Settings));
    ASSERT_TRUE(Notes.Pending());
    QWidget* Note = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (Note = ShownNote()) != nullptr; }));
    Note->setProperty("ShownForMs", qint64(5000));
    QMetaObject::invokeMethod(Note, "Tick");
    QTest::mouseClick(Note, Qt::LeftButton, {}, Note->property("KnewRect").toRect().center());
    EXPECT_EQ(RawText(Path, "SELECT count(*) FROM VexloReviewLog WHERE Grade = 3"), "1");
}
