// Import and export at 100K entries (KDE documents also with a practice record and a lesson for
// every entry). The import (reading a tab-separated file, checking every row,
// finding duplicates, storing in one transaction) runs beside raw SQLite inserts of the same rows
// in one transaction, the limit it can approach. Files live under /tmp.

#include "bench/BenchData.h"
#include "interchange/TInterchange.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloConnection.h"

#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <vector>

namespace {

// Entry I of the generated vocabulary: a unique word, a transcription, two lines of Bulgarian.
TEnBgRecord GeneratedEntry(int I)
{
    static const char* const Stems[] = {"house", "river", "mountain", "window", "garden",
                                        "teacher", "journey", "silver", "morning", "question"};
    TEnBgRecord Entry;
    Entry.EnglishWord = QStringLiteral("%1 %2").arg(QString::fromLatin1(Stems[I % 10])).arg(I);
    Entry.Transcription = QStringLiteral("ˈwɜːdɪŋ");
    Entry.BulgarianText = QStringLiteral("дума за упражнение %1\r\nвтори ред, с още думи").arg(I);
    Entry.WordLevel = I % 10;
    return Entry;
}

std::vector<TEnBgRecord> GeneratedEntries(int Count)
{
    std::vector<TEnBgRecord> Entries;
    Entries.reserve(Count);
    for (int I = 1; I <= Count; ++I)
        Entries.push_back(GeneratedEntry(I));
    return Entries;
}

// The tab-separated file of Count generated entries, as our export writes it.
QString TsvFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-interchange-%1.tsv").arg(Count);
    if (!QFileInfo::exists(Path)) {
        QFile File(Path);
        File.open(QIODevice::WriteOnly);
        File.write(TInterchange::Encode(GeneratedEntries(Count), TInterchangeFormat::Tsv));
    }
    return Path;
}

// The file of Count generated entries in Format, as our export writes it.
QString WordFile(int Count, TInterchangeFormat Format, const char* Suffix)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-interchange-%1.%2").arg(Count).arg(
        QString::fromLatin1(Suffix));
    if (!QFileInfo::exists(Path)) {
        QFile File(Path);
        File.open(QIODevice::WriteOnly);
        File.write(TInterchange::Encode(GeneratedEntries(Count), Format));
    }
    return Path;
}

// A fresh empty data file.
QString EmptyDataFile(const char* Tag)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-interchange-%1.db").arg(Tag);
    for (const char* Suffix : {"", "-wal", "-shm"})
        QFile::remove(Path + QString::fromLatin1(Suffix));
    TDataFileTool::CreateEmptyDataFile(Path);
    return Path;
}

// A data file holding Count generated entries, made once.
QString FullDataFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-interchange-full-%1.db").arg(Count);
    if (!QFileInfo::exists(Path))
        WriteBenchDataFile(Path, Count, [](int ID) {
            const TEnBgRecord Entry = GeneratedEntry(ID);
            return TBenchEntry{Entry.EnglishWord.toUtf8(), Entry.BulgarianText.toUtf8(),
                               Entry.Transcription.toUtf8(), Entry.WordLevel};
        });
    return Path;
}

void BM_Import_Tsv(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const QString File = TsvFile(Count);
    int Added = 0;
    for (auto _ : State) {
        State.PauseTiming();
        TVexloConnection Connection;
        Connection.DefaultDatabase = EmptyDataFile("import");
        Connection.Open();
        State.ResumeTiming();
        const TSourceData Data = TInterchange::ReadFile(File, TInterchangeFormat::Tsv);
        Added = TInterchange::Import(Connection, Data).Added;
    }
    if (Added != Count)
        State.SkipWithError("not every row was added");
    State.SetItemsProcessed(State.iterations() * Count);
}

// The same rows, already in memory as UTF-8, inserted with one prepared statement in one
// transaction on the same kind of file.
void BM_Import_RawInserts(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    std::vector<std::array<QByteArray, 3>> Rows;
    std::vector<int> Levels;
    for (const TEnBgRecord& Entry : GeneratedEntries(Count)) {
        Rows.push_back({Entry.EnglishWord.toUtf8(), Entry.BulgarianText.toUtf8(),
                        Entry.Transcription.toUtf8()});
        Levels.push_back(Entry.WordLevel);
    }
    for (auto _ : State) {
        State.PauseTiming();
        sqlite3* Db = nullptr;
        sqlite3_open_v2(QFile::encodeName(EmptyDataFile("raw")).constData(), &Db,
                        SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(Db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
        State.ResumeTiming();
        sqlite3_exec(Db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db,
                           "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES (?, ?, ?, ?, ?)",
                           -1, &Stmt, nullptr);
        for (int I = 0; I < Count; ++I) {
            sqlite3_bind_int(Stmt, 1, I + 1);
            for (int C = 0; C < 3; ++C)
                sqlite3_bind_text(Stmt, C + 2, Rows[I][C].constData(),
                                  static_cast<int>(Rows[I][C].size()), SQLITE_STATIC);
            sqlite3_bind_int(Stmt, 5, Levels[I]);
            sqlite3_step(Stmt);
            sqlite3_reset(Stmt);
        }
        sqlite3_finalize(Stmt);
        sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr);
        State.PauseTiming();
        sqlite3_close_v2(Db);
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * Count);
}

// Into the program's open store: the browsing table is loaded again afterwards.
void BM_Import_TsvIntoOpenStore(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const QString File = TsvFile(Count);
    for (auto _ : State) {
        State.PauseTiming();
        const QString Path = EmptyDataFile("store");
        auto Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Messages;
        Store->OpenDataFile(Path, Messages);
        State.ResumeTiming();
        TInterchange::ImportIntoStore(*Store,
                                      TInterchange::ReadFile(File, TInterchangeFormat::Tsv));
        State.PauseTiming();
        if (Store->ADOTable->RecordCount() != Count)
            State.SkipWithError("the table does not show every row");
        Store.reset();
        State.ResumeTiming();
    }
}

// Resident memory and heap above what the process held before: the highest seen while the file
// is read and the rows are stored (sampled every 256 rows), and what is left afterwards.
void BM_Import_Memory(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const QString File = TsvFile(Count);
    double PeakRss = 0, PeakHeap = 0, AfterRss = 0;
    for (auto _ : State) {
        TVexloConnection Connection;
        Connection.DefaultDatabase = EmptyDataFile("memory");
        Connection.Open();
        malloc_trim(0);
        const long RssBefore = ResidentBytes();
        const size_t HeapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
        auto Sample = [&] {
            PeakRss = std::max(PeakRss, double(ResidentBytes() - RssBefore) / (1024.0 * 1024.0));
            PeakHeap = std::max(
                PeakHeap,
                double(mallinfo2().uordblks + mallinfo2().hblkhd - HeapBefore) / (1024.0 * 1024.0));
        };
        {
            const TSourceData Data = TInterchange::ReadFile(File, TInterchangeFormat::Tsv);
            Sample();
            TInterchange::Import(Connection, Data, [&](qsizetype, qsizetype) {
                Sample();
                return true;
            });
        }
        malloc_trim(0);
        AfterRss = double(ResidentBytes() - RssBefore) / (1024.0 * 1024.0);
    }
    State.counters["peak_RSS_delta_MB"] = PeakRss;
    State.counters["peak_heap_delta_MB"] = PeakHeap;
    State.counters["after_RSS_delta_MB"] = AfterRss;
}

void BM_Export(benchmark::State& State, TInterchangeFormat Format, const char* Suffix)
{
    const int Count = static_cast<int>(State.range(0));
    TVexloConnection Connection;
    Connection.DefaultDatabase = FullDataFile(Count);
    Connection.Open();
    const QString Path = QStringLiteral("/tmp/vexlo-bench-interchange-export.") + Suffix;
    for (auto _ : State)
        if (TInterchange::Export(Connection, Path, Format) != Count)
            State.SkipWithError("not every entry was written");
    State.counters["file_MB"] = double(QFileInfo(Path).size()) / 1e6;
}

// Reading a file into rows, nothing stored: text beside the spreadsheet formats (unpacking and
// XML included), and the heap the rows hold afterwards.
void BM_Read(benchmark::State& State, TInterchangeFormat Format, const char* Suffix)
{
    const int Count = static_cast<int>(State.range(0));
    const QString File = WordFile(Count, Format, Suffix);
    double Held = 0;
    for (auto _ : State) {
        malloc_trim(0);
        const size_t HeapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
        const TSourceData Data = TInterchange::ReadFile(File, Format);
        Held = double(mallinfo2().uordblks + mallinfo2().hblkhd - HeapBefore) / (1024.0 * 1024.0);
        if (Data.Rows.size() != size_t(Count))
            State.SkipWithError("not every row was read");
    }
    State.counters["file_MB"] = double(QFileInfo(File).size()) / 1e6;
    State.counters["rows_heap_MB"] = Held;
}

// A KDE vocabulary document of Count generated entries as our export writes it; with Extras,
// every entry has a practice record (and our memory) and a lesson of 50 entries, the most an
// import of such a document keeps beside the table.
QString KvtmlFile(int Count, bool Extras)
{
    const QString Path =
        QStringLiteral("/tmp/vexlo-bench-interchange-%1-%2.kvtml").arg(Count).arg(int(Extras));
    if (!QFileInfo::exists(Path)) {
        std::vector<TKvtmlExtras::TEntryExtras> More;
        for (int I = 0; Extras && I < Count; ++I) {
            TMemoryState Memory;
            Memory.Stability = 1 + I % 90;
            Memory.Difficulty = 1 + (I % 9);
            Memory.LastReview = 1'760'000'000'000 + int64_t(I) * 1000;
            Memory.Due = Memory.LastReview + int64_t(Memory.Stability) * TFsrs::MsPerDay;
            Memory.Reps = 1 + I % 20;
            Memory.Phase = TMemoryState::phReview;
            More.push_back({Memory, {QStringLiteral("Unit %1").arg(I / 50)}});
        }
        QFile File(Path);
        File.open(QIODevice::WriteOnly);
        File.write(TInterchange::Encode(GeneratedEntries(Count), TInterchangeFormat::Kvtml,
                                        QStringLiteral("bench"), {}, More));
    }
    return Path;
}

void BM_Import_Kvtml(benchmark::State& State, bool Extras)
{
    const int Count = static_cast<int>(State.range(0));
    const QString File = KvtmlFile(Count, Extras);
    int Added = 0;
    for (auto _ : State) {
        State.PauseTiming();
        TVexloConnection Connection;
        Connection.DefaultDatabase = EmptyDataFile("import-kvtml");
        Connection.Open();
        State.ResumeTiming();
        const TSourceData Data = TInterchange::ReadFile(File, TInterchangeFormat::Kvtml);
        Added = TInterchange::Import(Connection, Data).Added;
    }
    if (Added != Count)
        State.SkipWithError("not every row was added");
    State.SetItemsProcessed(State.iterations() * Count);
}

// The export of a dictionary whose every entry has a memory and a lesson (made by importing the
// document above).
void BM_Export_KvtmlWithExtras(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    TVexloConnection Connection;
    Connection.DefaultDatabase = EmptyDataFile("export-kvtml");
    Connection.Open();
    TInterchange::Import(Connection,
                         TInterchange::ReadFile(KvtmlFile(Count, true), TInterchangeFormat::Kvtml));
    const QString Path = QStringLiteral("/tmp/vexlo-bench-interchange-export-extras.kvtml");
    for (auto _ : State)
        if (TInterchange::Export(Connection, Path, TInterchangeFormat::Kvtml) != Count)
            State.SkipWithError("not every entry was written");
    State.counters["file_MB"] = double(QFileInfo(Path).size()) / 1e6;
}

BENCHMARK(BM_Import_Tsv)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Import_Kvtml, Plain, false)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Import_Kvtml, GradesAndLessons, true)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export_KvtmlWithExtras)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_RawInserts)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_TsvIntoOpenStore)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_Memory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, Tsv, TInterchangeFormat::Tsv, "tsv")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, Csv, TInterchangeFormat::Csv, "csv")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, Kvtml, TInterchangeFormat::Kvtml, "kvtml")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, Ods, TInterchangeFormat::Ods, "ods")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, Xlsx, TInterchangeFormat::Xlsx, "xlsx")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, Tsv, TInterchangeFormat::Tsv, "tsv")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, Ods, TInterchangeFormat::Ods, "ods")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, Xlsx, TInterchangeFormat::Xlsx, "xlsx")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace
