#include "ReviewOracle.h"

#include "../store/StoreTestSupport.h"

#include "review/TReviewSession.h"
#include "review/TReviewStore.h"
#include "store/TDataFileTool.h"
#include "store/TReviewKeys.h"

#include "tests/support/FuzzSeed.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

namespace {

constexpr int64_t T0 = 1'760'000'000'000;
constexpr int64_t Day = TFsrs::MsPerDay;

TFsrs PlainScheduler()
{
    TFsrsParameters P;
    P.Fuzz = false;
    return TFsrs(P);
}

class ReviewStore : public StoreFixture
{
protected:
    sqlite3* Db() const { return Store->ADOConnection->Handle(); }
    // The card of the entry with this English word, whether new or due.
    TReviewCard CardOf(TReviewStore& Review, const char* Word)
    {
        TReviewKey Key;
        Key.Word.Type = SQLITE_TEXT;
        Key.Word.Bytes = Word;
        Key.Meaning.Type = SQLITE_TEXT;
        Key.Meaning.Bytes = QByteArray("дума");
        TReviewCard Card;
        Card.Key = Key;
        Card.Word = QString::fromUtf8(Word);
        Card.State = Review.StateOf(Key);
        return Card;
    }
    int64_t Count(const char* Sql) { return std::stoll(RawText(Path, Sql)); }
};

} // namespace

// A file is the same until the first answer; then only our own tables appear beside English.
TEST_F(ReviewStore, TablesComeWithTheFirstAnswerAndEnglishStaysAsItWas)
{
    AppendWords({"apple", "bread", "cheese"});
    const std::string SchemaBefore = RawText(Path, "SELECT group_concat(sql, ';') FROM sqlite_master");
    const std::string EnglishBefore =
        RawText(Path, "SELECT group_concat(ID || ENAME || BULG || TRANS || LEVEL, '|') FROM English");
    TReviewStore Review(Db());
    EXPECT_FALSE(Review.NextDue(T0));
    auto New = Review.NextNew();
    ASSERT_TRUE(New);
    EXPECT_EQ(New->Word, "apple");
    EXPECT_EQ(RawText(Path, "SELECT group_concat(sql, ';') FROM sqlite_master"), SchemaBefore);

    const TReviewAnswer Answer = Review.Record(*New, TGrade::grGood, T0, PlainScheduler());
    EXPECT_EQ(Answer.After.ScheduledDays, 3);
    EXPECT_EQ(RawText(Path, "SELECT group_concat(ID || ENAME || BULG || TRANS || LEVEL, '|') FROM English"),
              EnglishBefore);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReviewLog WHERE Grade = 3 AND PhaseBefore = 0"), 1);
    EXPECT_EQ(Review.NextNew()->Word, "bread");
    EXPECT_FALSE(Review.NextDue(T0 + Day));
    ASSERT_TRUE(Review.NextDue(T0 + 3 * Day));
    EXPECT_EQ(Review.NextDue(T0 + 3 * Day)->Word, "apple");
    EXPECT_EQ(Review.DueCount(T0 + 3 * Day), 1);
    EXPECT_EQ(Review.AnswersSince(T0, true), 1);

    // Undo puts the file back as it was before the answer.
    ASSERT_TRUE(Review.Undo(Answer));
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview"), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReviewLog"), 0);
    EXPECT_EQ(Review.NextNew()->Word, "apple");
}

// Deletes renumber the IDs; the state goes by the texts, so every other word keeps its own, and
// the deleted word's state leaves in the delete's transaction. Edits take it along.
TEST_F(ReviewStore, StateFollowsTheWordThroughDeletesAndEdits)
{
    AppendWords({"apple", "bread", "cheese", "dates"});
    TReviewStore Review(Db());
    const TFsrs Scheduler = PlainScheduler();
    const TGrade Grades[] = {TGrade::grAgain, TGrade::grHard, TGrade::grGood, TGrade::grEasy};
    int I = 0;
    for (const char* Word : {"apple", "bread", "cheese", "dates"})
        Review.Record(CardOf(Review, Word), Grades[I++], T0, Scheduler);
    const TMemoryState Cheese = Review.StateOf(CardOf(Review, "cheese").Key);

    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "bread", 0));
    Store->DeleteCurrentEntry();
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview"), 3);
    EXPECT_EQ(Review.StateOf(CardOf(Review, "bread").Key).Phase, TMemoryState::phNew);
    EXPECT_EQ(Review.StateOf(CardOf(Review, "cheese").Key).Due, Cheese.Due);

    // An edit of the word carries its state and log along.
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "cheese", 0));
    Store->UpdateCurrentEntry(MakeEntry("cheddar"));
    EXPECT_EQ(Review.StateOf(CardOf(Review, "cheddar").Key).Due, Cheese.Due);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview WHERE Word = 'cheese'"), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReviewLog WHERE Word = 'cheddar'"), 1);

    // A word that comes back (an import after an export, say) finds its state again; Delete
    // All takes every state.
    Store->AppendEntry(MakeEntry("bread"));
    EXPECT_EQ(Review.StateOf(CardOf(Review, "bread").Key).Phase, TMemoryState::phNew);
    Store->DeleteAllEntries();
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview"), 0);
}

// A failed edit keeps the state where it was: the carrying is part of the edit's transaction.
TEST_F(ReviewStore, RefusedEditLeavesTheStateAlone)
{
    AppendWords({"apple"});
    TReviewStore Review(Db());
    Review.Record(CardOf(Review, "apple"), TGrade::grGood, T0, PlainScheduler());
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "apple", 0));
    EXPECT_THROW(Store->UpdateCurrentEntry(MakeEntry(QString(31, 'x'))), EVexloDatabaseError);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview WHERE Word = 'apple'"), 1);
}

// An answer to a word another program deleted meanwhile writes nothing; a second copy of the
// program answering the same word loses no answer.
TEST_F(ReviewStore, OtherWritersLoseNoAnswerAndLeaveNoOrphans)
{
    AppendWords({"apple", "bread"});
    TReviewStore Review(Db());
    const TFsrs Scheduler = PlainScheduler();
    const TReviewCard Apple = *Review.NextNew();
    RawExec(Path, "DELETE FROM English WHERE ENAME = 'apple'");
    EXPECT_THROW(Review.Record(Apple, TGrade::grGood, T0, Scheduler), EVexloDatabaseError);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview"), 0);

    sqlite3* Other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(Path).constData(), &Other), SQLITE_OK);
    sqlite3_busy_timeout(Other, 5000);
    {
        TReviewStore Second(Other);
        const TReviewCard Bread = CardOf(Review, "bread");
        Review.Record(Bread, TGrade::grGood, T0, Scheduler);
        Second.Record(Bread, TGrade::grGood, T0 + 4 * Day, Scheduler);
        Review.Record(Bread, TGrade::grHard, T0 + 20 * Day, Scheduler);
    }
    sqlite3_close(Other);
    const TMemoryState S = Review.StateOf(CardOf(Review, "bread").Key);
    EXPECT_EQ(S.Reps, 3);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReviewLog"), 3);
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReviewLog WHERE RepsBefore = 2 AND ElapsedDays = 16"), 1);
}

// A file that cannot be written is reviewed in memory, with one notice, and stays untouched.
TEST_F(ReviewStore, ReadOnlyFileIsReviewedInMemory)
{
    AppendWords({"apple", "bread"});
    const QByteArray Before = [&] {
        QFile F(Path);
        F.open(QIODevice::ReadOnly);
        return F.readAll();
    }();
    sqlite3* ReadOnly = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(Path).constData(), &ReadOnly, SQLITE_OPEN_READONLY,
                              nullptr),
              SQLITE_OK);
    {
        TReviewStore Review(ReadOnly);
        EXPECT_TRUE(Review.InMemory());
        const TReviewCard Apple = *Review.NextNew();
        Review.Record(Apple, TGrade::grGood, T0, PlainScheduler());
        EXPECT_EQ(Review.NextNew()->Word, "bread");
        EXPECT_EQ(Review.NextDue(T0 + 3 * Day)->Word, "apple");
        EXPECT_FALSE(Review.TakeNotice().isEmpty());
        EXPECT_TRUE(Review.TakeNotice().isEmpty());
    }
    sqlite3_close(ReadOnly);
    QFile F(Path);
    F.open(QIODevice::ReadOnly);
    EXPECT_EQ(F.readAll(), Before);
}

// Files from other tools: an ID that is the row id, IDs stored as text, a table without row ids.
TEST(ReviewForeignFiles, RowIdAliasAndTextIds)
{
    for (const char* Schema :
         {"CREATE TABLE English (ID INTEGER PRIMARY KEY, ENAME, BULG, TRANS, LEVEL);",
          "CREATE TABLE English (ID TEXT, ENAME TEXT, BULG TEXT, TRANS TEXT, LEVEL TEXT);",
          "CREATE TABLE English (ID INTEGER NOT NULL PRIMARY KEY, ENAME, BULG, TRANS, LEVEL) "
          "WITHOUT ROWID;"}) {
        SCOPED_TRACE(Schema);
        QTemporaryDir Dir;
        const QString Path = Dir.filePath("foreign.db");
        ShellExec(Path, QString::fromUtf8(Schema) +
                            "INSERT INTO English VALUES ('1','one','едно','',0),('2','two','две','',0),"
                            "('3','three','три','',0);");
        TScreenSaverDataModule Store;
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        ASSERT_TRUE(Messages.isEmpty());
        TReviewStore Review(Store.ADOConnection->Handle());
        const TFsrs Scheduler = PlainScheduler();
        for (int I = 0; I < 3; ++I)
            Review.Record(*Review.NextNew(), TGrade::grGood, T0, Scheduler);
        EXPECT_FALSE(Review.NextNew());
        ASSERT_TRUE(Store.ADOTable->Locate("ENAME", "one", 0));
        Store.DeleteCurrentEntry();
        EXPECT_EQ(RawText(Path, "SELECT group_concat(Word) FROM (SELECT Word FROM VexloReview ORDER BY Word)"),
                  "three,two");
        EXPECT_EQ(Review.NextDue(T0 + 3 * Day)->ID, 1); // "two", renumbered
    }
}

// The store's review of 30 words over months matches the reference scheduler, state and log.
TEST_F(ReviewStore, ThirtyWordsMatchTheReference)
{
    FIND_ORACLE(Oracle);
    std::vector<TEnBgRecord> Words;
    for (int I = 0; I < 30; ++I)
        Store->AppendEntry(MakeEntry(QStringLiteral("word%1").arg(I, 2, 10, QLatin1Char('0'))));
    std::vector<TOracleCase> Cases = RandomCases(FuzzSeed(), 30, 8);
    for (TOracleCase& Case : Cases) {
        Case.Retention = 0.9;
        Case.Maximum = 36500;
    }
    const auto Expected = Oracle.Run(Cases);
    ASSERT_EQ(Expected.size(), 30u);
    TReviewStore Review(Db());
    const TFsrs Scheduler = PlainScheduler();
    for (int W = 0; W < 30; ++W) {
        const QByteArray Word = QStringLiteral("word%1").arg(W, 2, 10, QLatin1Char('0')).toUtf8();
        for (const auto& [Time, Grade] : Cases[W].Reviews)
            Review.Record(CardOf(Review, Word.constData()), static_cast<TGrade>(Grade), Time, Scheduler);
        const TOracleStep& Last = Expected[W].back();
        const TMemoryState S = Review.StateOf(CardOf(Review, Word.constData()).Key);
        EXPECT_NEAR(S.Stability, Last.Stability, 1e-6 * std::max(1.0, Last.Stability)) << Word.constData();
        EXPECT_NEAR(S.Difficulty, Last.Difficulty, 1e-6) << Word.constData();
        EXPECT_EQ(S.Due, Last.Due) << Word.constData();
        EXPECT_EQ(S.Reps, Last.Reps);
        EXPECT_EQ(S.Lapses, Last.Lapses);
        const std::string Elapsed = RawText(
            Path, "SELECT group_concat(ElapsedDays) FROM (SELECT ElapsedDays FROM VexloReviewLog "
                  "WHERE Word = '" + Word.toStdString() + "' ORDER BY rowid)");
        std::string Want;
        for (const TOracleStep& Step : Expected[W])
            Want += (Want.empty() ? "" : ",") + std::to_string(Step.Elapsed);
        EXPECT_EQ(Elapsed, Want) << Word.constData();
    }
}

// kill -9 in the middle of answering loses at most the answer being written: every state in the
// file has the log row of its last answer, and the file is whole.
TEST_F(ReviewStore, KillDuringAnswersLosesAtMostTheOneBeingWritten)
{
    AppendWords({"apple", "bread", "cheese"});
    Store->CloseData();
    int Pipe[2];
    ASSERT_EQ(pipe(Pipe), 0);
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        close(Pipe[0]);
        sqlite3* Db = nullptr;
        sqlite3_open(QFile::encodeName(Path).constData(), &Db);
        sqlite3_busy_timeout(Db, 5000);
        TReviewStore Review(Db);
        const TFsrs Scheduler = PlainScheduler();
        for (int64_t I = 0;; ++I) {
            TReviewCard Card;
            Card.Key.Word = {SQLITE_TEXT, QByteArray(I % 3 == 0 ? "apple" : I % 3 == 1 ? "bread" : "cheese"), 0, 0};
            Card.Key.Meaning = {SQLITE_TEXT, QByteArray("дума"), 0, 0};
            Review.Record(Card, TGrade::grGood, T0 + I * Day, Scheduler);
            if (I == 50) {
                const char Ready = 1;
                (void)!write(Pipe[1], &Ready, 1);
            }
        }
    }
    close(Pipe[1]);
    char Ready = 0;
    ASSERT_EQ(read(Pipe[0], &Ready, 1), 1); // fifty answers are in; the child keeps answering
    close(Pipe[0]);
    kill(Child, SIGKILL);
    int Status = 0;
    waitpid(Child, &Status, 0);
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
    EXPECT_GE(Count("SELECT count(*) FROM VexloReviewLog"), 51);
    // Each state's reps equal its answers in the log: no answer half written.
    EXPECT_EQ(Count("SELECT count(*) FROM VexloReview S WHERE Reps != (SELECT count(*) FROM "
                    "VexloReviewLog L WHERE L.Word = S.Word)"),
              0);
}

// Undo asks the word again as it was asked, in mixed direction too, and the sitting's counts
// forget the answer.
TEST_F(ReviewStore, UndoAsksTheWordAgainTheWayItWasAsked)
{
    AppendWords({"apple", "bread", "cheese", "dates", "eggs", "figs", "grapes", "honey"});
    TReviewSettings Settings;
    Settings.Direction = TReviewSettings::drMixed;
    Settings.Fuzz = false;
    int64_t Now = T0;
    TReviewSession Session(Db(), Settings, [&] { return Now; }, [](int64_t T) { return T - T % Day; });
    Session.SeedDirections(42);
    ASSERT_TRUE(Session.Advance());
    for (int I = 0; I < 7; ++I) {
        const QString Word = Session.Current()->Word;
        const bool EnglishFirst = Session.EnglishFirst();
        Session.Answer(TGrade::grGood);
        ASSERT_TRUE(Session.Undo());
        EXPECT_EQ(Session.Current()->Word, Word);
        EXPECT_EQ(Session.EnglishFirst(), EnglishFirst) << I;
        EXPECT_EQ(Session.Done(), I);
        Session.Answer(TGrade::grEasy);
    }
    EXPECT_EQ(Session.Grades()[4], 7);
    EXPECT_EQ(Session.Grades()[3], 0);
}

// The lessons an import kept go by the same key: an edit takes the word's lesson along, a delete
// takes it away (unless another entry keeps those texts), Delete All takes them all; a file with
// lessons but without a review yet behaves the same.
TEST_F(ReviewStore, LessonFollowsTheWordThroughDeletesAndEdits)
{
    AppendWords({"apple", "bread", "cheese"});
    Store->AppendEntry(MakeEntry("bread"));
    const QByteArray Sql = TReviewKeys::LessonSchemaSql() +
                           "INSERT INTO VexloLesson VALUES ('apple', 'дума', '[\"Unit 1\"]'),"
                           "('bread', 'дума', '[\"Unit 2\"]'), ('cheese', 'дума', '[\"Unit 3\"]');";
    ASSERT_EQ(sqlite3_exec(Db(), Sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_FALSE(TReviewKeys::TablesExist(Db()));
    auto Lessons = [&] {
        return RawText(Path, "SELECT group_concat(Word || Lesson, ' ') FROM "
                             "(SELECT * FROM VexloLesson ORDER BY Word)");
    };
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "cheese", 0));
    Store->UpdateCurrentEntry(MakeEntry("cheddar"));
    EXPECT_EQ(Lessons(), "apple[\"Unit 1\"] bread[\"Unit 2\"] cheddar[\"Unit 3\"]");
    // Two entries share bread's texts: the first delete leaves the lesson to the other.
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "bread", 0));
    Store->DeleteCurrentEntry();
    EXPECT_EQ(Lessons(), "apple[\"Unit 1\"] bread[\"Unit 2\"] cheddar[\"Unit 3\"]");
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "bread", 0));
    Store->DeleteCurrentEntry();
    EXPECT_EQ(Lessons(), "apple[\"Unit 1\"] cheddar[\"Unit 3\"]");
    ASSERT_FALSE(TReviewKeys::TablesExist(Db()));
    Store->DeleteAllEntries();
    EXPECT_EQ(Lessons(), "");
}
