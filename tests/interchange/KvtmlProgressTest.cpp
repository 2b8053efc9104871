// Practice records and lessons of KDE vocabulary documents: in as the review's starting memory
// and as lesson names beside the table, out as grades and lessons KDE's library reads.
#include "tests/interchange/InterchangeTestSupport.h"

#include "interchange/TKvtmlExtras.h"
#include "store/TReviewKeys.h"
#include "store/TVexloConnection.h"

#include <QDateTime>
#include <QFile>

#include <cmath>

namespace {

constexpr int64_t Day = TFsrs::MsPerDay;

// A document of English (en) and Bulgarian (bg) up to its entries.
const QByteArray EnBgHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<kvtml version="2.0">
 <identifiers>
  <identifier id="0"><name>English</name><locale>en</locale></identifier>
  <identifier id="1"><name>Bulgarian</name><locale>bg</locale></identifier>
 </identifiers>
)";

// What the sqlite3 shell prints for Sql on Path (rows one a line, columns joined by '|').
QString Query(const QString& Path, const QString& Sql)
{
    QString Out, Err;
    EXPECT_EQ(RunProgram("sqlite3", {Path, Sql}, Out, Err), 0) << Err.toStdString();
    return Out.trimmed();
}

int64_t Ms(const char* Iso)
{
    return QDateTime::fromString(QString::fromLatin1(Iso), Qt::ISODate).toMSecsSinceEpoch();
}

TInterchange::TImportSummary ImportFile(const QString& DataFile, const QString& File)
{
    TVexloConnection Connection;
    Connection.DefaultDatabase = DataFile;
    Connection.Open();
    return TInterchange::Import(Connection,
                                TInterchange::ReadFile(File, TInterchangeFormat::Kvtml));
}

void ExportFile(const QString& DataFile, const QString& File)
{
    TVexloConnection Connection;
    Connection.DefaultDatabase = DataFile;
    Connection.Open();
    TInterchange::Export(Connection, File, TInterchangeFormat::Kvtml);
}

QString States(const QString& DataFile)
{
    return Query(DataFile, "SELECT Word, Meaning, printf('%.17g', Stability), printf('%.15g', "
                           "Difficulty), Due, LastReview, Reps, Lapses, Phase, ScheduledDays "
                           "FROM VexloReview ORDER BY Word");
}

// The difficulty a record starts with: from that of a first "Good" (no errors) up to 10.
double Difficulty(double ErrorShare)
{
    const auto& W = TFsrsParameters::DefaultWeights;
    const double FirstGood = W[4] - std::exp(2 * W[5]) + 1;
    return FirstGood + (10 - FirstGood) * ErrorShare;
}

QString Grade(const char* Box, const char* Count, const char* Errors, const char* Date)
{
    return QString("<grade><pregrade>0</pregrade><currentgrade>%1</currentgrade><count>%2</count>"
                   "<errorcount>%3</errorcount><date>%4</date></grade>")
        .arg(Box, Count, Errors, Date);
}

} // namespace

// The documented mapping both ways: a box is a stability of 2^(box-1) days, errors make it
// harder, the practice date is the last review (never in the future), box 0 stays new.
TEST(KvtmlProgress, BoxesAndMemoryMapBothWays)
{
    const int64_t Now = Ms("2025-06-01T00:00:00Z");
    const int64_t Then = Ms("2025-05-20T10:00:00Z");
    struct
    {
        TSourceGrade Grade;
        double Stability; // 0: stays new
        double ErrorShare;
        int64_t LastReview;
        int Reps;
    } Cases[] = {
        {{0, 4, 1, Then, {}}, 0, 0, 0, 0},
        {{1, 1, 0, Then, {}}, 1, 0, Then, 1},
        {{3, 5, 2, Then, {}}, 4, 0.4, Then, 5},
        {{7, 20, 0, Then, {}}, 64, 0, Then, 20},
        {{12, 3, 9, Then, {}}, 64, 1, Then, 3},         // beyond box 7; more errors than answers
        {{2, 0, 0, 0, {}}, 2, 0, Now, 1},               // no date, never counted
        {{2, 2, 1, Now + 5 * Day, {}}, 2, 0.5, Now, 2}, // a date after the import
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Grade.Box);
        const auto State = TKvtmlExtras::StartingState(Case.Grade, Now);
        ASSERT_EQ(State.has_value(), Case.Stability > 0);
        if (!State)
            continue;
        EXPECT_EQ(State->Stability, Case.Stability);
        EXPECT_NEAR(State->Difficulty, Difficulty(Case.ErrorShare), 1e-12);
        EXPECT_EQ(State->LastReview, Case.LastReview);
        EXPECT_EQ(State->Due, Case.LastReview + int64_t(Case.Stability) * Day);
        EXPECT_EQ(State->Reps, Case.Reps);
        EXPECT_EQ(State->Phase, TMemoryState::phReview);
        // And back to the same box (within 1..7).
        EXPECT_EQ(TKvtmlExtras::GradeOf(*State)->Box, std::clamp(Case.Grade.Box, 1, 7));
    }
    const std::pair<double, int> Boxes[] = {{0.3, 1},  {1.9, 1}, {2, 2},
                                            {3.99, 2}, {33, 6},  {900, 7}};
    for (const auto& [Stability, Box] : Boxes) {
        TMemoryState State;
        State.Phase = TMemoryState::phReview;
        State.Reps = 1;
        State.Stability = Stability;
        EXPECT_EQ(TKvtmlExtras::GradeOf(State)->Box, Box) << Stability;
    }
    EXPECT_FALSE(TKvtmlExtras::GradeOf(TMemoryState{}));
}

// A document KDE's library saved with practice records: the English -> Bulgarian records (on the
// Bulgarian translation) start the review; words never practised, or practised only the other
// way, stay new.
TEST(KvtmlProgress, KdeGradesStartTheReview)
{
    const QString Oracle = KvtmlOracle();
    if (Oracle.isEmpty())
        GTEST_SKIP() << "the KDE oracle is built by tools/test.sh";
    QTemporaryDir Dir;
    const QString Written =
        WriteFile(Dir.filePath("practised.kvtml"),
                  QString::fromUtf8(EnBgHead + R"( <entries>
  <entry id="0"><translation id="0"><text>cat</text></translation>
   <translation id="1"><text>котка</text>%1</translation></entry>
  <entry id="1"><translation id="0"><text>dog</text></translation>
   <translation id="1"><text>куче</text>%2</translation></entry>
  <entry id="2"><translation id="0"><text>fish</text></translation>
   <translation id="1"><text>риба</text></translation></entry>
  <entry id="3"><translation id="0"><text>bird</text>%3</translation>
   <translation id="1"><text>птица</text></translation></entry>
 </entries>
</kvtml>
)")
                      .arg(Grade("5", "9", "0", "2025-10-01T12:00:00Z"), Grade("0", "0", "0", ""),
                           Grade("4", "6", "1", "2025-10-02T12:00:00Z"))
                      .toUtf8());
    const QString Saved = Dir.filePath("saved.kvtml");
    QString Out, Err;
    ASSERT_EQ(RunProgram(Oracle, {"--grades", Written, Saved}, Out, Err), 0) << Err.toStdString();
    EXPECT_TRUE(Out.contains("\tcat\t\tкотка\t5\t9\t0\t2025-10-01T12:00:00Z\n"))
        << Out.toStdString();

    const QString DataFile = MakeDictionary(Dir, "words.db", {{"sky", "небе", "", 0}});
    const TInterchange::TImportSummary Summary = ImportFile(DataFile, Saved);
    EXPECT_EQ(Summary.Added, 5);
    EXPECT_TRUE(Summary.Note.contains("Practice records taken into the review: 2."))
        << Summary.Note.toStdString();
    const int64_t Cat = Ms("2025-10-01T12:00:00Z");
    const int64_t Oracle3 = Ms("2026-11-20T08:00:00Z");
    EXPECT_EQ(States(DataFile), QString("cat|котка|16|%1|%2|%3|9|0|2|16\n"
                                        "oracle|оракул пророк|4|%4|%5|%6|5|2|2|4")
                                    .arg(Difficulty(0), 0, 'g', 15)
                                    .arg(Cat + 16 * Day)
                                    .arg(Cat)
                                    .arg(Difficulty(0.4), 0, 'g', 15)
                                    .arg(Oracle3 + 4 * Day)
                                    .arg(Oracle3));
    // English is as an import without records leaves it.
    EXPECT_EQ(Query(DataFile,
                    "SELECT group_concat(ENAME, ' ') FROM (SELECT ENAME FROM English ORDER BY ID)"),
              "sky cat dog fish bird oracle");
}

// The review's memory goes out as grades KDE's library reads; our own document brings the exact
// memory back, and a grade changed since (by another program) wins over it.
TEST(KvtmlProgress, ReviewGoesOutAsGradesAndComesBackExactly)
{
    QTemporaryDir Dir;
    const QString Source = MakeDictionary(
        Dir, "source.db",
        {{"apple", "ябълка", "", 0}, {"bread", "хляб", "", 2}, {"cheese", "сирене", "", 0}});
    const int64_t T0 = 1'760'000'000'000; // 2025-10-09T08:53:20Z
    SqliteShell(Source, QString::fromLatin1(TReviewKeys::SchemaSql("main")) +
                            QString("INSERT INTO VexloReview VALUES ('apple', 'ябълка', 2.3065, "
                                    "2.1183867, %1, %2, 1, 0, 2, 3);"
                                    "INSERT INTO VexloReview VALUES ('bread', 'хляб', "
                                    "70.123456789012345, 7.25, %3, %4, 12, 3, 2, 70);")
                                .arg(T0 + 3 * Day)
                                .arg(T0)
                                .arg(T0 + 80 * Day)
                                .arg(T0 + 10 * Day + 1234));
    const QString Ours = Dir.filePath("ours.kvtml");
    ExportFile(Source, Ours);

    const QString Target = MakeDictionary(Dir, "target.db");
    ImportFile(Target, Ours);
    EXPECT_EQ(States(Target), States(Source));
    // Bit for bit: every state of the source has its equal in the target.
    EXPECT_EQ(
        Query(Target, "ATTACH " + SqlText(Source) +
                          " AS S; SELECT count(*) FROM VexloReview "
                          "JOIN S.VexloReview USING (Word, Meaning, Stability, Difficulty, Due, "
                          "LastReview, Reps, Lapses, Phase, ScheduledDays)"),
        "2");
    EXPECT_EQ(StoredRows(Target), StoredRows(Source));

    // Another program's change of a grade: the box it gives counts.
    QFile File(Ours);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    QByteArray Bytes = File.readAll();
    File.close();
    ASSERT_EQ(Bytes.count("<currentgrade>2</currentgrade>"), 1);
    Bytes.replace("<currentgrade>2</currentgrade>", "<currentgrade>5</currentgrade>");
    const QString Changed = MakeDictionary(Dir, "changed.db");
    ImportFile(Changed, WriteFile(Dir.filePath("changed.kvtml"), Bytes));
    EXPECT_EQ(Query(Changed, "SELECT printf('%.17g', Stability), Due - LastReview FROM "
                             "VexloReview WHERE Word = 'apple'"),
              QString("16|%1").arg(16 * Day));
    EXPECT_EQ(States(Changed).section('\n', 1), States(Source).section('\n', 1));

    const QString Oracle = KvtmlOracle();
    if (Oracle.isEmpty())
        GTEST_SKIP() << "the KDE oracle is built by tools/test.sh";
    const QString Theirs = Dir.filePath("theirs.kvtml");
    QString Out, Err;
    ASSERT_EQ(RunProgram(Oracle, {"--grades", Ours, Theirs}, Out, Err), 0) << Err.toStdString();
    EXPECT_EQ(Out, "identifiers\t2\n"
                   "Level 0\tapple\t\tябълка\t2\t1\t0\t2025-10-09T08:53:20Z\n"
                   "Level 2\tbread\t\tхляб\t7\t12\t3\t2025-10-19T08:53:21Z\n"
                   "Level 0\tcheese\t\tсирене\t0\t0\t0\t1970-01-01T00:00:00Z\n");
    // What KDE's library saved keeps the grades (not our memory): the boxes start the review.
    const QString Back = MakeDictionary(Dir, "back.db");
    ImportFile(Back, Theirs);
    EXPECT_EQ(Query(Back, "SELECT Word, Stability, Reps, Lapses FROM VexloReview ORDER BY Word"),
              "apple|2.0|1|0\nbread|64.0|12|3\noracle|4.0|5|2");
}

// Lessons other than "Level N" are kept beside the table and written back; the export keeps the
// dictionary's order, which KDE's library shows as it is.
TEST(KvtmlProgress, LessonsKeepTheirNamesAndTheOrder)
{
    QTemporaryDir Dir;
    const QString Written = WriteFile(Dir.filePath("lessons.kvtml"), EnBgHead + R"( <entries>
  <entry id="0"><translation id="0"><text>cat</text></translation><translation id="1"><text>котка</text></translation></entry>
  <entry id="1"><translation id="0"><text>dog</text></translation><translation id="1"><text>куче</text></translation></entry>
  <entry id="2"><translation id="0"><text>cow</text></translation><translation id="1"><text>крава</text></translation></entry>
  <entry id="3"><translation id="0"><text>fish</text></translation><translation id="1"><text>риба</text></translation></entry>
  <entry id="4"><translation id="0"><text>bird</text></translation><translation id="1"><text>птица</text></translation></entry>
 </entries>
 <lessons>
  <container><name>Unit 1</name><entry id="0"/><entry id="1"/>
   <container><name>Level 2</name><entry id="2"/></container>
  </container>
  <container><name>Book 2</name>
   <container><name>Animals &amp; "pets"</name><entry id="3"/></container>
  </container>
  <container><name>Level 3</name><entry id="4"/></container>
 </lessons>
</kvtml>
)");
    const QString Oracle = KvtmlOracle();
    QString Source = Written;
    QString Out, Err;
    if (!Oracle.isEmpty()) {
        Source = Dir.filePath("saved.kvtml");
        ASSERT_EQ(RunProgram(Oracle, {Written, Source}, Out, Err), 0) << Err.toStdString();
    }
    const QString DataFile = MakeDictionary(Dir, "words.db");
    const TInterchange::TImportSummary Summary = ImportFile(DataFile, Source);
    EXPECT_TRUE(Summary.Note.contains("Lesson names kept (offered back on export): 4."))
        << Summary.Note.toStdString();
    EXPECT_EQ(
        Query(
            DataFile,
            "SELECT group_concat(W, ' ') FROM (SELECT ENAME || LEVEL W FROM English ORDER BY ID)"),
        Oracle.isEmpty() ? "cat0 dog0 cow2 fish0 bird3" : "cat0 dog0 cow2 fish0 bird3 oracle7");
    const QString Lessons = "SELECT Word, Lesson FROM VexloLesson ORDER BY rowid";
    EXPECT_EQ(Query(DataFile, Lessons), "cat|[\"Unit 1\"]\ndog|[\"Unit 1\"]\ncow|[\"Unit 1\"]\n"
                                        "fish|[\"Book 2\",\"Animals & \\\"pets\\\"\"]");
    // English itself holds nothing of the lessons.
    EXPECT_EQ(Query(DataFile, "SELECT group_concat(name) FROM pragma_table_info('English')"),
              Query(MakeDictionary(Dir, "empty.db"),
                    "SELECT group_concat(name) FROM pragma_table_info('English')"));

    // Our export and its import give the same again.
    const QString Ours = Dir.filePath("ours.kvtml");
    ExportFile(DataFile, Ours);
    const QString Again = MakeDictionary(Dir, "again.db");
    ImportFile(Again, Ours);
    EXPECT_EQ(StoredRows(Again), StoredRows(DataFile));
    EXPECT_EQ(Query(Again, Lessons), Query(DataFile, Lessons));

    if (Oracle.isEmpty())
        GTEST_SKIP() << "the KDE oracle is built by tools/test.sh";
    ASSERT_EQ(RunProgram(Oracle, {Ours, Dir.filePath("theirs.kvtml")}, Out, Err), 0)
        << Err.toStdString();
    EXPECT_EQ(Out, "identifiers\t2\n"
                   "Unit 1\tcat\t\tкотка\n"
                   "Unit 1\tdog\t\tкуче\n"
                   "Level 2\tcow\t\tкрава\n"
                   "Animals & \"pets\"\tfish\t\tриба\n"
                   "Level 3\tbird\t\tптица\n"
                   "Level 7\toracle\tˈɒrəkl\tоракул пророк\n");
}
