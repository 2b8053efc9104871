#pragma once

#include "review/TFsrs.h"
#include "store/TReviewKeys.h"

#include <QString>

#include <cstdint>
#include <optional>

struct sqlite3;

// One entry to review: its texts as stored and its memory (Phase phNew when it has none yet).
struct TReviewCard
{
    TReviewKey Key;
    int32_t ID = 0;
    QString Word;
    QString Meaning; // lines separated by CR LF
    QString Transcription;
    int32_t Level = 0;
    TMemoryState State;
};

// What one answer did, for undoing it.
struct TReviewAnswer
{
    int64_t LogId = 0;
    TReviewKey Key;
    TMemoryState Before;
    TMemoryState After;
    int32_t ElapsedDays = 0;
};

// The review's memory in the data file, beside table English (see TReviewKeys): a state per entry
// and a log of every answer. The tables are made by the first answer; until then the file is as
// it was. Each answer is one write transaction that reads the entry's state from the file, so a
// second copy of the program answering the same words loses nothing, and an answer to a word that
// another program deleted or changed meanwhile is refused without writing anything.
//
// A file that cannot be written is reviewed in memory: Notice() then says so once.
class TReviewStore
{
public:
    explicit TReviewStore(sqlite3* Db);
    ~TReviewStore();
    TReviewStore(const TReviewStore&) = delete;
    TReviewStore& operator=(const TReviewStore&) = delete;

    // The entry due first at Now, if any is due.
    std::optional<TReviewCard> NextDue(int64_t Now);
    // An entry without a memory yet, in the order of the table.
    std::optional<TReviewCard> NextNew();
    // Records Grade for Card at Now with Scheduler; returns what it did. Throws
    // EVexloDatabaseError (nothing written) when the entry is gone or the file refuses.
    TReviewAnswer Record(const TReviewCard& Card, TGrade Grade, int64_t Now, const TFsrs& Scheduler);
    // Takes Answer back when nobody answered that entry since; false otherwise.
    bool Undo(const TReviewAnswer& Answer);
    // The state of the entry with Key (phNew when it has none).
    TMemoryState StateOf(const TReviewKey& Key);

    int64_t DueCount(int64_t Now);
    // Answers given, and first answers given (new words learnt), since Since.
    int64_t AnswersSince(int64_t Since, bool NewOnly);
    // Once, after the review fell back to memory: why. Empty otherwise.
    QString TakeNotice();
    bool InMemory() const { return FSchema != "main"; }
    const QByteArray& Schema() const { return FSchema; }
    bool HasTables();

private:
    void EnsureTables();
    void UseMemory();
    std::optional<TReviewCard> ReadEntry(const TReviewKey& Key);
    void Begin();
    void Commit();
    void Rollback();

    sqlite3* FDb;
    QByteArray FSchema = "main";
    QString FNotice;
    bool FNoticeGiven = false;
    bool FNewByRowId = true;
    int64_t FNewFrom = 0;
};
