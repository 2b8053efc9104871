// The vocabulary store at 1K, 10K and 100K entries, each operation beside the same work done with
// raw SQLite calls in the same run (the limit the store can approach). Data files live under /tmp.

#include "bench/BenchData.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloTable.h"

#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const Syllables[] = {"ka",  "lo", "mi", "ne", "tra", "ber", "st",  "ou", "pre", "con",
                                 "ing", "ar", "el", "qu", "ve",  "sh",  "ton", "ab", "de",  "fy"};

std::string BenchWord(std::mt19937& Random)
{
    std::string Word;
    const int Parts = 2 + static_cast<int>(Random() % 4);
    for (int P = 0; P < Parts; ++P)
        Word += Syllables[Random() % std::size(Syllables)];
    if (Random() % 4 == 0)
        Word[0] = static_cast<char>(Word[0] - 32);
    return Word.substr(0, 30);
}

// The base data file with Count entries, made once per machine.
QString StoreBenchFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-store-%1.db").arg(Count);
    if (QFileInfo::exists(Path))
        return Path;
    std::mt19937 Random(1234);
    WriteBenchDataFile(Path, Count, [&](int) {
        TBenchEntry Entry;
        Entry.English = QByteArray::fromStdString(BenchWord(Random));
        Entry.Bulgarian = "дума за упражнение\r\nвтори ред с още думи";
        Entry.Transcription = "ˈwɜːdɪŋ";
        Entry.Level = static_cast<int>(Random() % 10);
        return Entry;
    });
    return Path;
}

// Letters a learner's dictionary of loanwords and names begins words with, upper and lower case.
const char* const Accented[] = {"É", "é", "Ü", "ü", "Å", "å", "Ø", "ø", "Ç", "ç", "Ñ", "ñ"};

std::string AccentedWord(std::mt19937& Random)
{
    std::string Word = BenchWord(Random);
    if (Random() % 4 == 0)
        Word = Accented[Random() % std::size(Accented)] + Word.substr(1);
    return Word.substr(0, 30);
}

// Like StoreBenchFile, but one word in four begins with an accented letter, so that the table
// folds case beyond A-Z for them.
QString AccentedBenchFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-store-accented-%1.db").arg(Count);
    if (QFileInfo::exists(Path))
        return Path;
    std::mt19937 Random(4321);
    WriteBenchDataFile(Path, Count, [&](int) {
        TBenchEntry Entry;
        Entry.English = QByteArray::fromStdString(AccentedWord(Random));
        Entry.Bulgarian = "дума за упражнение";
        Entry.Transcription = "ˈwɜːdɪŋ";
        Entry.Level = static_cast<int>(Random() % 10);
        return Entry;
    });
    return Path;
}

// A fresh copy of the base file for benchmarks that change it.
QString WorkCopy(int Count, const char* Tag)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-store-%1-%2.db").arg(Tag).arg(Count);
    QFile::remove(Path);
    QFile::copy(StoreBenchFile(Count), Path);
    return Path;
}

sqlite3* RawOpen(const QString& Path)
{
    sqlite3* Db = nullptr;
    sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db, SQLITE_OPEN_READWRITE, nullptr);
    // The same durability setting as the store uses on its write-ahead-logged files.
    sqlite3_exec(Db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    return Db;
}

struct TOpenedStore
{
    explicit TOpenedStore(const QString& Path)
    {
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
    }
    TScreenSaverDataModule Store;
};

TEnBgRecord BenchEntry(const QString& Word)
{
    TEnBgRecord Rec;
    Rec.EnglishWord = Word;
    Rec.BulgarianText = QString::fromUtf8("нова дума\r\nвтори ред");
    Rec.Transcription = QString::fromUtf8("njuː");
    Rec.WordLevel = 4;
    return Rec;
}

const char* const AppendSql =
    "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES (?, ?, ?, ?, ?)";

void BindBenchEntry(sqlite3_stmt* Stmt, int ID, const std::string& Word)
{
    sqlite3_bind_int(Stmt, 1, ID);
    sqlite3_bind_text(Stmt, 2, Word.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(Stmt, 3, "нова дума\r\nвтори ред", -1, SQLITE_STATIC);
    sqlite3_bind_text(Stmt, 4, "njuː", -1, SQLITE_STATIC);
    sqlite3_bind_int(Stmt, 5, 4);
}

// ---- open ------------------------------------------------------------------------------------

void BM_Open_Store(benchmark::State& State)
{
    const QString Path = StoreBenchFile(static_cast<int>(State.range(0)));
    TScreenSaverDataModule Store;
    for (auto _ : State) {
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        benchmark::DoNotOptimize(Store.ADOTable->RecordCount());
        State.PauseTiming();
        Store.CloseData();
        State.ResumeTiming();
    }
}

// Open the file and read the browsing columns in table order into memory.
void OpenRawOrderedSelect(benchmark::State& State, const QString& Path)
{
    struct TRow
    {
        int64_t RowId;
        int ID;
        int Level;
        std::string Name;
    };
    for (auto _ : State) {
        sqlite3* Db = RawOpen(Path);
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db,
                           "SELECT rowid, ID, ENAME, LEVEL FROM English "
                           "ORDER BY ENAME COLLATE NOCASE, ID",
                           -1, &Stmt, nullptr);
        std::vector<TRow> Rows;
        while (sqlite3_step(Stmt) == SQLITE_ROW)
            Rows.push_back({sqlite3_column_int64(Stmt, 0), sqlite3_column_int(Stmt, 1),
                            sqlite3_column_int(Stmt, 3),
                            std::string(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 2)),
                                        static_cast<size_t>(sqlite3_column_bytes(Stmt, 2)))});
        sqlite3_finalize(Stmt);
        benchmark::DoNotOptimize(Rows.size());
        State.PauseTiming();
        sqlite3_close(Db);
        Rows = {};
        State.ResumeTiming();
    }
}

void BM_Open_RawOrderedSelect(benchmark::State& State)
{
    OpenRawOrderedSelect(State, StoreBenchFile(static_cast<int>(State.range(0))));
}

// ---- search ----------------------------------------------------------------------------------

std::vector<QByteArray> SearchTexts(int Count, bool Shortening)
{
    std::mt19937 Random(99);
    std::vector<QByteArray> Texts;
    for (int I = 0; I < 60; ++I) {
        const std::string Word = BenchWord(Random);
        if (Shortening) // two letters that exist, then letters no word continues with
            Texts.push_back(QByteArray::fromStdString(Word.substr(0, 2)) + "xqzjw");
        else
            Texts.push_back(QByteArray::fromStdString(Word.substr(0, 1 + I % 6)));
    }
    (void)Count;
    return Texts;
}

void SearchWordStore(benchmark::State& State, bool Shortening)
{
    const int Count = static_cast<int>(State.range(0));
    TOpenedStore Opened(StoreBenchFile(Count));
    const std::vector<QByteArray> Texts = SearchTexts(Count, Shortening);
    size_t I = 0;
    for (auto _ : State) {
        Opened.Store.SearchWord(Texts[I++ % Texts.size()]);
        benchmark::DoNotOptimize(Opened.Store.ADOTable->RecNo());
    }
}

void BM_Open_RawOrderedSelect_Accented(benchmark::State& State)
{
    OpenRawOrderedSelect(State, AccentedBenchFile(static_cast<int>(State.range(0))));
}

void BM_Open_Store_Accented(benchmark::State& State)
{
    const QString Path = AccentedBenchFile(static_cast<int>(State.range(0)));
    TScreenSaverDataModule Store;
    for (auto _ : State) {
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        benchmark::DoNotOptimize(Store.ADOTable->RecordCount());
        State.PauseTiming();
        Store.CloseData();
        State.ResumeTiming();
    }
}

// Prefixes of 1-6 characters of words of that file, half of them typed in the other case.
void BM_SearchWord_Accented_Store(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    TOpenedStore Opened(AccentedBenchFile(Count));
    std::mt19937 Random(98);
    std::vector<QByteArray> Texts;
    for (int I = 0; Texts.size() < 60; ++I) {
        const QString Word = QString::fromStdString(AccentedWord(Random));
        if (Word[0].unicode() < 0x80)
            continue;
        const QString Prefix = Word.left(1 + I % 6);
        Texts.push_back((I % 2 ? Prefix.toUpper() : Prefix.toLower()).toUtf8());
    }
    size_t I = 0;
    for (auto _ : State) {
        Opened.Store.SearchWord(Texts[I++ % Texts.size()]);
        benchmark::DoNotOptimize(Opened.Store.ADOTable->RecNo());
    }
}

// The same search in SQL: the first row at or after the text in table order, checked for the
// prefix, shortening the text until it matches.
void SearchWordRaw(benchmark::State& State, bool Shortening)
{
    const int Count = static_cast<int>(State.range(0));
    sqlite3* Db = RawOpen(StoreBenchFile(Count));
    sqlite3_stmt* Stmt = nullptr;
    sqlite3_prepare_v2(Db,
                       "SELECT rowid, ENAME FROM English WHERE ENAME >= ?1 COLLATE NOCASE "
                       "ORDER BY ENAME COLLATE NOCASE, ID LIMIT 1",
                       -1, &Stmt, nullptr);
    const std::vector<QByteArray> Texts = SearchTexts(Count, Shortening);
    size_t I = 0;
    for (auto _ : State) {
        std::string S = Texts[I++ % Texts.size()].toStdString();
        int64_t Found = -1;
        while (!S.empty() && Found < 0) {
            sqlite3_bind_text(Stmt, 1, S.c_str(), static_cast<int>(S.size()), SQLITE_STATIC);
            if (sqlite3_step(Stmt) == SQLITE_ROW &&
                sqlite3_strnicmp(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 1)),
                                 S.c_str(), static_cast<int>(S.size())) == 0 &&
                sqlite3_column_bytes(Stmt, 1) >= static_cast<int>(S.size()))
                Found = sqlite3_column_int64(Stmt, 0);
            sqlite3_reset(Stmt);
            if (Found < 0)
                S.pop_back();
        }
        benchmark::DoNotOptimize(Found);
    }
    sqlite3_finalize(Stmt);
    sqlite3_close(Db);
}

void BM_SearchWord_Prefixes_Store(benchmark::State& State)
{
    SearchWordStore(State, false);
}
void BM_SearchWord_Prefixes_Raw(benchmark::State& State)
{
    SearchWordRaw(State, false);
}
void BM_SearchWord_Shortening_Store(benchmark::State& State)
{
    SearchWordStore(State, true);
}
void BM_SearchWord_Shortening_Raw(benchmark::State& State)
{
    SearchWordRaw(State, true);
}

// ---- append, update, delete ------------------------------------------------------------------

void BM_AppendEntry_Store(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    TOpenedStore Opened(WorkCopy(Count, "append"));
    std::mt19937 Random(5);
    for (auto _ : State)
        Opened.Store.AppendEntry(BenchEntry(QString::fromStdString(BenchWord(Random))));
}

void BM_AppendEntry_Raw(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    sqlite3* Db = RawOpen(WorkCopy(Count, "append-raw"));
    sqlite3_stmt* Stmt = nullptr;
    sqlite3_prepare_v2(Db, AppendSql, -1, &Stmt, nullptr);
    std::mt19937 Random(5);
    int ID = Count;
    for (auto _ : State) {
        BindBenchEntry(Stmt, ++ID, BenchWord(Random));
        sqlite3_step(Stmt);
        sqlite3_reset(Stmt);
    }
    sqlite3_finalize(Stmt);
    sqlite3_close(Db);
}

void BM_UpdateCurrentEntry_Store(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    TOpenedStore Opened(WorkCopy(Count, "update"));
    std::mt19937 Random(6);
    for (auto _ : State) {
        State.PauseTiming();
        Opened.Store.ADOTable->SetRecNo(1 + static_cast<int>(Random() % Count));
        const QString Word = QString::fromStdString(BenchWord(Random));
        State.ResumeTiming();
        Opened.Store.UpdateCurrentEntry(BenchEntry(Word));
    }
}

void BM_UpdateCurrentEntry_Raw(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    sqlite3* Db = RawOpen(WorkCopy(Count, "update-raw"));
    sqlite3_stmt* Stmt = nullptr;
    sqlite3_prepare_v2(Db,
                       "UPDATE English SET ID = ?1, ENAME = ?2, BULG = ?3, TRANS = ?4, LEVEL = ?5 "
                       "WHERE rowid = ?6",
                       -1, &Stmt, nullptr);
    std::mt19937 Random(6);
    for (auto _ : State) {
        const int Row = 1 + static_cast<int>(Random() % Count);
        BindBenchEntry(Stmt, Row, BenchWord(Random));
        sqlite3_bind_int64(Stmt, 6, Row);
        sqlite3_step(Stmt);
        sqlite3_reset(Stmt);
    }
    sqlite3_finalize(Stmt);
    sqlite3_close(Db);
}

// Deletes the entry numbered Count/2 (renumbering the upper half); an entry is appended again
// outside the timing so that every round sees Count entries.
void BM_DeleteCurrentEntry_Store(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    TOpenedStore Opened(WorkCopy(Count, "delete"));
    TScreenSaverDataModule& Store = Opened.Store;
    std::mt19937 Random(7);
    for (auto _ : State) {
        State.PauseTiming();
        Store.ADOTable->Locate("ID", Count / 2, 0);
        State.ResumeTiming();
        Store.DeleteCurrentEntry();
        State.PauseTiming();
        Store.AppendEntry(BenchEntry(QString::fromStdString(BenchWord(Random))));
        State.ResumeTiming();
    }
}

void BM_DeleteCurrentEntry_Raw(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    sqlite3* Db = RawOpen(WorkCopy(Count, "delete-raw"));
    sqlite3_stmt *Delete = nullptr, *Renumber = nullptr, *Append = nullptr;
    sqlite3_prepare_v2(Db, "DELETE FROM English WHERE ID = ?", -1, &Delete, nullptr);
    sqlite3_prepare_v2(Db, "update english set ID = ID - 1 where ID > ?", -1, &Renumber, nullptr);
    sqlite3_prepare_v2(Db, AppendSql, -1, &Append, nullptr);
    std::mt19937 Random(7);
    for (auto _ : State) {
        sqlite3_exec(Db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int(Delete, 1, Count / 2);
        sqlite3_step(Delete);
        sqlite3_reset(Delete);
        sqlite3_bind_int(Renumber, 1, Count / 2);
        sqlite3_step(Renumber);
        sqlite3_reset(Renumber);
        sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr);
        State.PauseTiming();
        BindBenchEntry(Append, Count, BenchWord(Random));
        sqlite3_step(Append);
        sqlite3_reset(Append);
        State.ResumeTiming();
    }
    sqlite3_finalize(Delete);
    sqlite3_finalize(Renumber);
    sqlite3_finalize(Append);
    sqlite3_close(Db);
}

// ---- queries ---------------------------------------------------------------------------------

void BM_CountByLevel_Store(benchmark::State& State)
{
    TOpenedStore Opened(StoreBenchFile(static_cast<int>(State.range(0))));
    for (auto _ : State) {
        int32_t Counts[10] = {};
        benchmark::DoNotOptimize(Opened.Store.CountByLevel(Counts, 9));
    }
}

void BM_CountByLevel_Raw(benchmark::State& State)
{
    sqlite3* Db = RawOpen(StoreBenchFile(static_cast<int>(State.range(0))));
    for (auto _ : State) {
        int32_t Counts[10] = {};
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db,
                           "SELECT Count(English.ID) AS CountLevel, English.LEVEL FROM English "
                           "GROUP BY English.LEVEL",
                           -1, &Stmt, nullptr);
        while (sqlite3_step(Stmt) == SQLITE_ROW) {
            const int L = sqlite3_column_int(Stmt, 1);
            if (L >= 0 && L <= 9)
                Counts[L] = sqlite3_column_int(Stmt, 0);
        }
        sqlite3_finalize(Stmt);
        benchmark::DoNotOptimize(Counts[0]);
    }
    sqlite3_close(Db);
}

void BM_GetLastFilledWord_Store(benchmark::State& State)
{
    TOpenedStore Opened(StoreBenchFile(static_cast<int>(State.range(0))));
    for (auto _ : State)
        benchmark::DoNotOptimize(Opened.Store.GetLastFilledWord());
}

void BM_GetLastFilledWord_Raw(benchmark::State& State)
{
    sqlite3* Db = RawOpen(StoreBenchFile(static_cast<int>(State.range(0))));
    for (auto _ : State) {
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db,
                           "select EName from English where ID in (select Max(ID) from English)",
                           -1, &Stmt, nullptr);
        std::string Word;
        if (sqlite3_step(Stmt) == SQLITE_ROW)
            Word = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 0));
        sqlite3_finalize(Stmt);
        benchmark::DoNotOptimize(Word);
    }
    sqlite3_close(Db);
}

void BM_ReadRandomEntry_Store(benchmark::State& State)
{
    TOpenedStore Opened(StoreBenchFile(static_cast<int>(State.range(0))));
    for (auto _ : State) {
        TEnBgRecord Rec;
        Opened.Store.ReadRandomEntry(Rec);
        benchmark::DoNotOptimize(Rec.WordLevel);
    }
}

void BM_ReadRandomEntry_Raw(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    sqlite3* Db = RawOpen(StoreBenchFile(Count));
    std::mt19937 Random(8);
    for (auto _ : State) {
        const std::string Sql =
            "select * from English where ID = " + std::to_string(1 + Random() % Count);
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db, Sql.c_str(), -1, &Stmt, nullptr);
        TEnBgRecord Rec;
        if (sqlite3_step(Stmt) == SQLITE_ROW) {
            Rec.EnglishWord =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 1)));
            Rec.BulgarianText =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 2)));
            Rec.Transcription =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 3)));
            Rec.WordLevel = sqlite3_column_int(Stmt, 4);
        }
        sqlite3_finalize(Stmt);
        benchmark::DoNotOptimize(Rec.WordLevel);
    }
    sqlite3_close(Db);
}

// ---- memory ----------------------------------------------------------------------------------

// What an open store holds at Count entries: resident memory and heap in use, both as the
// difference from before opening.
void BM_StoreMemory(benchmark::State& State)
{
    const QString Path = StoreBenchFile(static_cast<int>(State.range(0)));
    double RssMB = 0, HeapMB = 0;
    for (auto _ : State) {
        malloc_trim(0);
        const long RssBefore = ResidentBytes();
        const size_t HeapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
        {
            TOpenedStore Opened(Path);
            // Read a screenful of rows, as the grid does.
            for (int I = 0; I < 40; ++I)
                benchmark::DoNotOptimize(Opened.Store.ADOTable->RowAt(I));
            RssMB = double(ResidentBytes() - RssBefore) / (1024.0 * 1024.0);
            HeapMB =
                double(mallinfo2().uordblks + mallinfo2().hblkhd - HeapBefore) / (1024.0 * 1024.0);
        }
    }
    State.counters["RSS_delta_MB"] = RssMB;
    State.counters["heap_delta_MB"] = HeapMB;
}

#define VEXLO_STORE_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)

BENCHMARK(BM_StoreMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_Open_RawOrderedSelect) VEXLO_STORE_SIZES;
BENCHMARK(BM_Open_Store_Accented) VEXLO_STORE_SIZES;
BENCHMARK(BM_Open_RawOrderedSelect_Accented) VEXLO_STORE_SIZES;
BENCHMARK(BM_SearchWord_Accented_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_SearchWord_Prefixes_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_SearchWord_Prefixes_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_SearchWord_Shortening_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_SearchWord_Shortening_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_AppendEntry_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_AppendEntry_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_UpdateCurrentEntry_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_UpdateCurrentEntry_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_DeleteCurrentEntry_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_DeleteCurrentEntry_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_CountByLevel_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_CountByLevel_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_GetLastFilledWord_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_GetLastFilledWord_Raw) VEXLO_STORE_SIZES;
BENCHMARK(BM_ReadRandomEntry_Store) VEXLO_STORE_SIZES;
BENCHMARK(BM_ReadRandomEntry_Raw) VEXLO_STORE_SIZES;

} // namespace
