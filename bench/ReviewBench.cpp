// The review at 1M entries, 20,000 of them reviewed before (half of those due): the next word
// due, the next new word, one answer recorded and committed, and the review window opened, each
// beside the same work done with raw SQLite statements. Data files live under /tmp.

#include "bench/BenchData.h"
#include "review/TReviewSession.h"
#include "review/TReviewStore.h"
#include "reviewform/TReviewForm.h"
#include "store/TReviewKeys.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <random>

namespace {

constexpr int64_t Now = 1'760'000'000'000;
constexpr int64_t Day = TFsrs::MsPerDay;

// The base file, made once per machine; each benchmark works on a copy of its own.
QString ReviewBenchFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-review-%1.db").arg(Count);
    if (QFileInfo::exists(Path))
        return Path;
    std::mt19937 Random(777);
    WriteBenchDataFile(Path + ".part", Count, [&](int ID) {
        TBenchEntry Entry;
        Entry.English = "word" + QByteArray::number(ID) + "x" + QByteArray::number(Random() % 1000);
        Entry.Bulgarian = "дума за упражнение";
        Entry.Transcription = "ˈwɜːdɪŋ";
        return Entry;
    });
    sqlite3* Db = nullptr;
    sqlite3_open(QFile::encodeName(Path + ".part").constData(), &Db);
    const QByteArray Sql =
        TReviewKeys::SchemaSql("main") +
        "INSERT INTO VexloReview SELECT ENAME, BULG, 5.0, 5.0, " + QByteArray::number(Now) +
        " + ((ID % 200) - 100) * " + QByteArray::number(Day) + ", " + QByteArray::number(Now - 10 * Day) +
        ", 3, 0, 2, 10 FROM English WHERE ID <= 20000;"
        "INSERT INTO VexloReviewLog SELECT LastReview, Word, Meaning, 3, 5, 4.0, 5.0, LastReview, "
        "LastReview - 5 * 86400000, 2, 0, 2, 5 FROM VexloReview;";
    sqlite3_exec(Db, Sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(Db);
    QFile::rename(Path + ".part", Path);
    return Path;
}

struct TWorkFile
{
    explicit TWorkFile(int Count)
    {
        Path = QStringLiteral("/tmp/vexlo-bench-review-work.db");
        QFile::remove(Path);
        QFile::copy(ReviewBenchFile(Count), Path);
        sqlite3_open(QFile::encodeName(Path).constData(), &Db);
    }
    ~TWorkFile()
    {
        sqlite3_close(Db);
        QFile::remove(Path);
    }
    QString Path;
    sqlite3* Db = nullptr;
};

void BM_Review_NextDue_Store(benchmark::State& State)
{
    TWorkFile File(static_cast<int>(State.range(0)));
    TReviewStore Review(File.Db);
    for (auto _ : State)
        benchmark::DoNotOptimize(Review.NextDue(Now));
}

void BM_Review_NextDue_Raw(benchmark::State& State)
{
    TWorkFile File(static_cast<int>(State.range(0)));
    sqlite3_stmt *Due = nullptr, *Entry = nullptr;
    sqlite3_prepare_v2(File.Db, "SELECT Word, Meaning FROM VexloReview WHERE Due <= ?1 ORDER BY Due LIMIT 1",
                       -1, &Due, nullptr);
    sqlite3_prepare_v2(File.Db, "SELECT ID, ENAME, BULG, TRANS, LEVEL FROM English WHERE ENAME = ?1 "
                                "COLLATE NOCASE AND ENAME = ?1 AND BULG IS ?2 LIMIT 1",
                       -1, &Entry, nullptr);
    for (auto _ : State) {
        sqlite3_bind_int64(Due, 1, Now);
        sqlite3_step(Due);
        sqlite3_bind_value(Entry, 1, sqlite3_column_value(Due, 0));
        sqlite3_bind_value(Entry, 2, sqlite3_column_value(Due, 1));
        benchmark::DoNotOptimize(sqlite3_step(Entry));
        sqlite3_reset(Entry);
        sqlite3_reset(Due);
    }
    sqlite3_finalize(Due);
    sqlite3_finalize(Entry);
}

void BM_Review_NextNew_Store(benchmark::State& State)
{
    TWorkFile File(static_cast<int>(State.range(0)));
    TReviewStore Review(File.Db);
    for (auto _ : State)
        benchmark::DoNotOptimize(Review.NextNew());
}

// One answer: the entry checked, its state read, the new state and a log row written, committed.
void BM_Review_Answer_Store(benchmark::State& State)
{
    TWorkFile File(static_cast<int>(State.range(0)));
    TReviewStore Review(File.Db);
    TFsrsParameters P;
    P.Fuzz = false;
    const TFsrs Scheduler(P);
    int64_t Time = Now;
    for (auto _ : State) {
        State.PauseTiming();
        const auto Card = Review.NextDue(Time);
        State.ResumeTiming();
        Review.Record(*Card, TGrade::grGood, Time, Scheduler);
        Time += 1000;
    }
}

void BM_Review_Answer_Raw(benchmark::State& State)
{
    TWorkFile File(static_cast<int>(State.range(0)));
    TReviewStore Review(File.Db);
    sqlite3_stmt *Update = nullptr, *Log = nullptr;
    sqlite3_prepare_v2(File.Db, "UPDATE VexloReview SET Due = Due + 864000000, Reps = Reps + 1 "
                                "WHERE Word = ?1 AND Meaning IS ?2", -1, &Update, nullptr);
    sqlite3_prepare_v2(File.Db, "INSERT INTO VexloReviewLog VALUES (?3, ?1, ?2, 3, 5, 4.0, 5.0, 0, 0, 2, 0, 2, 5)",
                       -1, &Log, nullptr);
    int64_t Time = Now;
    for (auto _ : State) {
        State.PauseTiming();
        const auto Card = Review.NextDue(Time);
        State.ResumeTiming();
        sqlite3_exec(File.Db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (sqlite3_stmt* S : {Update, Log}) {
            Card->Key.Word.Bind(S, 1);
            Card->Key.Meaning.Bind(S, 2);
            sqlite3_bind_int64(S, 3, Time);
            sqlite3_step(S);
            sqlite3_reset(S);
        }
        sqlite3_exec(File.Db, "COMMIT", nullptr, nullptr, nullptr);
        Time += 1000;
    }
    sqlite3_finalize(Update);
    sqlite3_finalize(Log);
}

// The window from the command to its first word on screen: the session, the counts, the first
// due word, the window shown. Memory: what the open window adds.
void BM_Review_WindowOpen(benchmark::State& State)
{
    if (!EnsureBenchApplication()) {
        State.SkipWithError("no application object");
        return;
    }
    TWorkFile File(static_cast<int>(State.range(0)));
    double RssMB = 0, HeapMB = 0;
    for (auto _ : State) {
        malloc_trim(0);
        const long RssBefore = ResidentBytes();
        const size_t HeapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
        TReviewSession Session(File.Db, TReviewSettings{}, [] { return Now; },
                               [](int64_t T) { return T - T % Day; });
        TReviewForm Form(&Session);
        Form.Start();
        Form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(Form.PromptText());
        RssMB = double(ResidentBytes() - RssBefore) / (1024.0 * 1024.0);
        HeapMB = double(mallinfo2().uordblks + mallinfo2().hblkhd - HeapBefore) / (1024.0 * 1024.0);
    }
    State.counters["RSS_delta_MB"] = RssMB;
    State.counters["heap_delta_MB"] = HeapMB;
}

#define VEXLO_REVIEW_SIZES ->Arg(1000000)->Unit(benchmark::kMicrosecond)

BENCHMARK(BM_Review_NextDue_Store) VEXLO_REVIEW_SIZES;
BENCHMARK(BM_Review_NextDue_Raw) VEXLO_REVIEW_SIZES;
BENCHMARK(BM_Review_NextNew_Store) VEXLO_REVIEW_SIZES;
BENCHMARK(BM_Review_Answer_Store) VEXLO_REVIEW_SIZES;
BENCHMARK(BM_Review_Answer_Raw) VEXLO_REVIEW_SIZES;
BENCHMARK(BM_Review_WindowOpen) VEXLO_REVIEW_SIZES->Iterations(20);

} // namespace
