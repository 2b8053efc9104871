#pragma once

#include "store/EVexloDatabaseError.h"
#include "store/TEnBgRecord.h"
#include "store/TVexloConnection.h"
#include "store/TVexloQuery.h"
#include "store/TVexloTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <random>

// What views bind to: the table whose current row they show. Views build their own models over
// DataSet (see TVexloTable's row access and events).
struct TVexloDataSource
{
    TVexloTable* DataSet = nullptr;
};

// The vocabulary store: the connection to the data file, the browsing table English, a scratch
// query and the operations that read and change entries. Entry numbers (ID) are always exactly
// 1..N: deleting renumbers the rest in the same transaction. IDs and levels are compared and
// computed as integers whatever the file's column types.
//
// Other writers: every change runs in one write transaction that first checks that the file is
// still the one opened (EVexloFileChangedError otherwise) and that nobody else committed a change
// since the table was read. When someone did, nothing is written, the table is read again (the
// current entry kept by its word) and EVexloChangedError says so.
//
// Errors in every operation but OpenDataFile are thrown as EVexloDatabaseError.
class TScreenSaverDataModule
{
public:
    TScreenSaverDataModule();
    ~TScreenSaverDataModule();
    TScreenSaverDataModule(const TScreenSaverDataModule&) = delete;
    TScreenSaverDataModule& operator=(const TScreenSaverDataModule&) = delete;

    TVexloConnection* ADOConnection;
    TVexloDataSource* DataSource;
    TVexloQuery* ADOQuery;
    TVexloTable* ADOTable;
    TVexloField* ADOTableID;
    TVexloField* ADOTableENAME;
    TVexloField* ADOTableBULG;
    TVexloField* ADOTableTRANS;
    TVexloField* ADOTableLEVEL;

    // The remembered greatest ID, or -1 while nothing is remembered.
    int32_t FMaxID = -1;

    void DataModuleCreate();

    // Opens the data file and the table. Problems are appended to Messages, one line each; the
    // caller judges success by ADOTable->Active().
    void OpenDataFile(const QString& Path, QStringList& Messages);
    void CloseData();

    bool IsStoreEmpty();
    int GetEntryCount();
    int GetMaxID();
    QByteArray GetLastFilledWord();
    // Counts[L] := number of entries of level L for 0 <= L <= High; levels without entries are not
    // written. True when the table holds any entry.
    bool CountByLevel(int32_t* Counts, int High);
    void SearchWord(const QByteArray& Text);
    // Makes a random entry Table's current row. Never loops forever: an empty or closed table is
    // left alone, and when drawn numbers keep missing a random row is taken.
    void GotoRandomEntry(TVexloTable* Table);
    void ReadRandomEntry(TEnBgRecord& Rec);
    void ReadCurrentEntry(TEnBgRecord& Rec);
    // Appends Rec with the greatest ID plus one; the new row becomes current. Atomic: a refused
    // row (a text too long for its field, for instance) stores nothing and leaves FMaxID as it was.
    void AppendEntry(const TEnBgRecord& Rec);
    void UpdateCurrentEntry(const TEnBgRecord& Rec);
    // Deletes the current row and renumbers the greater IDs in one transaction.
    void DeleteCurrentEntry();
    void DeleteAllEntries();
    // How many transcriptions hold the other stress mark, ˈ (U+02C8), and the one-time change
    // that writes them with the dictionary's own, ˋ (U+02CB); returns how many changed.
    int CountForeignStressMarks();
    int UnifyStressMarks();
    // While not empty, every entry change above is refused with this text: a long change (an
    // import) holds the write transaction and lets the windows run meanwhile, and nothing else may
    // slip into it.
    QString ChangesHeldBy;

    // For the main window when it gets the focus: when another program changed the file, reads
    // the table again (the current entry kept by its word); when the file was replaced, opens the
    // new one; when it was deleted, makes sure nothing of ours is left for a new file at that
    // name to pick up. Returns a message for the user the first time something happened to the
    // file, else an empty text. Reloaded, when given, tells whether the table was read again.
    QString CheckDataFile(bool* Reloaded = nullptr);

    // Helpers, public for the tests and the tools.
    static QString ExtractDataDir(const QString& Path);
    static QString BuildConnectionString(const QString& Path, const QString& Dir);
    // A number from 1..GetEntryCount() (1 when the store is empty).
    int DrawEntryNumber();
    void SeedRandom(uint32_t Seed) { FRandom.seed(Seed); }

private:
    void AssignFields(const TEnBgRecord& Rec);
    // Runs Work in one write transaction after the checks described above.
    void ChangeData(const std::function<void()>& Work);
    // Moves the write-ahead log into the old file and empties it, so that the file now at the
    // path never sees our changes.
    void LetGoOfMovedFile();
    QString FReportedFileProblem;

    std::mt19937 FRandom;
};

// The single store of the program, set by the constructor.
extern TScreenSaverDataModule* ScreenSaverDataModule;
