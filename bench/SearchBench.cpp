// Searching by meaning and in everything at 100K and 1M entries, beside raw SQLite doing the
// nearest thing (reading the same column; a LIKE scan for the same beginnings). Data files live
// under /tmp.

#include "bench/BenchData.h"
#include "search/TMeaningIndexer.h"
#include "search/TMeaningSearch.h"
#include "search/TTextSearch.h"
#include "store/TScreenSaverDataModule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

const char* const BgSyllables[] = {"ка", "ло", "ми", "не", "тра", "бер", "ст", "ов", "пре", "кон",
                                   "ъг", "ар", "ел", "щи", "ве",  "ша",  "тон", "аб", "де", "жи"};

std::string BgWord(std::mt19937& Random)
{
    std::string Word;
    const int Parts = 1 + static_cast<int>(Random() % 4);
    for (int P = 0; P < Parts; ++P)
        Word += BgSyllables[Random() % std::size(BgSyllables)];
    return Word;
}

// Meanings of one to three lines of two to five words, some with a stress mark or a comma.
QString SearchBenchFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-search-%1.db").arg(Count);
    if (QFileInfo::exists(Path))
        return Path;
    std::mt19937 Random(2424);
    WriteBenchDataFile(Path, Count, [&](int ID) {
        TBenchEntry Entry;
        Entry.English = "word" + QByteArray::number(ID * 7919 % Count);
        std::string Meaning;
        const int Lines = 1 + static_cast<int>(Random() % 3);
        for (int L = 0; L < Lines; ++L) {
            if (L > 0)
                Meaning += "\r\n";
            const int Words = 2 + static_cast<int>(Random() % 4);
            for (int W = 0; W < Words; ++W) {
                Meaning += (W ? (Random() % 5 == 0 ? ", " : " ") : "") + BgWord(Random);
                if (Random() % 7 == 0)
                    Meaning += "\u0301";
            }
        }
        Entry.Bulgarian = QByteArray::fromStdString(Meaning);
        Entry.Transcription = "ˈwɜːdɪŋ";
        return Entry;
    });
    return Path;
}

// The index read from the file: the background work before searches by meaning can start.
void BM_MeaningIndexBuild(benchmark::State& State)
{
    const QString Path = SearchBenchFile(static_cast<int>(State.range(0)));
    double IndexMB = 0, ResidentMB = 0;
    for (auto _ : State) {
        const long Before = ResidentBytes();
        auto Index = TMeaningIndexer::Read(Path, "English", "ID");
        ResidentMB = double(ResidentBytes() - Before) / (1024.0 * 1024.0);
        IndexMB = double(Index->MemoryBytes()) / (1024.0 * 1024.0);
        benchmark::DoNotOptimize(Index);
    }
    State.counters["index_MB"] = IndexMB;
    State.counters["rss_MB"] = ResidentMB;
}
// The rows are read on a second thread: the time is the wait until the index is ready, the CPU
// time that of both threads.
BENCHMARK(BM_MeaningIndexBuild)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Raw: the same column read with the same engine calls, nothing kept.
void BM_MeaningIndexBuildRaw(benchmark::State& State)
{
    const QString Path = SearchBenchFile(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        sqlite3* Db = nullptr;
        sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* Statement = nullptr;
        sqlite3_prepare_v2(Db, "SELECT ID, BULG FROM English", -1, &Statement, nullptr);
        size_t Bytes = 0;
        while (sqlite3_step(Statement) == SQLITE_ROW) {
            sqlite3_column_text16(Statement, 1);
            Bytes += static_cast<size_t>(sqlite3_column_bytes16(Statement, 1));
        }
        sqlite3_finalize(Statement);
        sqlite3_close(Db);
        benchmark::DoNotOptimize(Bytes);
    }
}
BENCHMARK(BM_MeaningIndexBuildRaw)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The typed beginnings: one to six letters of a few words, as a learner types them.
const char* const Typed[] = {"к", "ка", "кал", "кало", "калом", "каломи", "т", "тр", "тра",
                             "трабе", "ъ", "ъг", "ъгщ", "ъгщи", "ш", "ша", "шат", "шатон"};

struct TOpenStore
{
    std::unique_ptr<TScreenSaverDataModule> Store;
    std::shared_ptr<const TMeaningIndex> Index;
};

TOpenStore& OpenStore(int Count)
{
    static std::map<int, TOpenStore> Open;
    TOpenStore& Entry = Open[Count];
    if (!Entry.Store) {
        Entry.Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Errors;
        Entry.Store->OpenDataFile(SearchBenchFile(Count), Errors);
        Entry.Index = TMeaningIndexer::Read(SearchBenchFile(Count), "English", "ID");
    }
    return Entry;
}

// One keystroke in a search by meaning, once the index is ready: the matches found and counted,
// the first one and its place among them (what the window shows).
void BM_MeaningKeystroke(benchmark::State& State)
{
    TOpenStore& Open = OpenStore(static_cast<int>(State.range(0)));
    TMeaningSearch Search;
    Search.SetTable(Open.Store->ADOTable);
    Search.SetIndex(Open.Index);
    size_t I = 0;
    long Found = 0;
    for (auto _ : State) {
        Search.Find(QString::fromUtf8(Typed[I++ % std::size(Typed)]));
        const int First = Search.Next(-1);
        Found += Search.Count() + Search.Ordinal(First);
    }
    State.counters["matches"] = double(Found) / double(State.iterations());
}
BENCHMARK(BM_MeaningKeystroke)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Raw: counting the same beginnings with LIKE (which also ignores case for ASCII only, and
// knows nothing of stress marks or punctuation).
void BM_MeaningKeystrokeRaw(benchmark::State& State)
{
    const QString Path = SearchBenchFile(static_cast<int>(State.range(0)));
    sqlite3* Db = nullptr;
    sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* Statement = nullptr;
    sqlite3_prepare_v2(Db,
                       "SELECT count(*) FROM English WHERE BULG LIKE ?1 || '%' OR BULG LIKE "
                       "'% ' || ?1 || '%' OR BULG LIKE '%' || char(10) || ?1 || '%'",
                       -1, &Statement, nullptr);
    size_t I = 0;
    for (auto _ : State) {
        sqlite3_bind_text(Statement, 1, Typed[I++ % std::size(Typed)], -1, SQLITE_STATIC);
        sqlite3_step(Statement);
        benchmark::DoNotOptimize(sqlite3_column_int(Statement, 0));
        sqlite3_reset(Statement);
    }
    sqlite3_finalize(Statement);
    sqlite3_close(Db);
}
BENCHMARK(BM_MeaningKeystrokeRaw)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Find in everything: the time to the first entries handed over (first_ms) and to the whole
// count (the benchmark's time, and the CPU time of its thread), a text found in about one entry
// in twenty.
void BM_FindEverything(benchmark::State& State)
{
    EnsureBenchApplication();
    const QString Path = SearchBenchFile(static_cast<int>(State.range(0)));
    TTextSearch Search;
    double FirstMs = 0;
    QElapsedTimer Clock;
    QObject::connect(&Search, &TTextSearch::Found, [&](const QVector<TFoundEntry>&, int) {
        if (FirstMs == 0)
            FirstMs = double(Clock.nsecsElapsed()) / 1e6;
    });
    bool Done = false;
    QObject::connect(&Search, &TTextSearch::Finished, [&](int) { Done = true; });
    double FirstSum = 0;
    for (auto _ : State) {
        FirstMs = 0;
        Done = false;
        Clock.start();
        Search.Start(Path, "English", "ID", {QStringLiteral("тонаб"), TTextSearch::fdAll, false});
        // Sleeps until the search hands something over: the CPU time is the search's own.
        while (!Done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        State.SetIterationTime(double(Clock.nsecsElapsed()) / 1e9);
        FirstSum += FirstMs;
    }
    State.counters["first_ms"] = FirstSum / double(State.iterations());
}
BENCHMARK(BM_FindEverything)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// Raw: the same text looked for with instr over the three columns (no case folding).
void BM_FindEverythingRaw(benchmark::State& State)
{
    const QString Path = SearchBenchFile(static_cast<int>(State.range(0)));
    sqlite3* Db = nullptr;
    sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* Statement = nullptr;
    sqlite3_prepare_v2(Db,
                       "SELECT count(*) FROM English WHERE instr(ENAME, ?1) OR instr(TRANS, ?1) "
                       "OR instr(BULG, ?1)",
                       -1, &Statement, nullptr);
    for (auto _ : State) {
        sqlite3_bind_text(Statement, 1, "тонаб", -1, SQLITE_STATIC);
        sqlite3_step(Statement);
        benchmark::DoNotOptimize(sqlite3_column_int(Statement, 0));
        sqlite3_reset(Statement);
    }
    sqlite3_finalize(Statement);
    sqlite3_close(Db);
}
BENCHMARK(BM_FindEverythingRaw)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
