#include "review/TReviewStore.h"

#include "store/EVexloDatabaseError.h"

#include <sqlite3.h>

#include <QCoreApplication>

#include <memory>

namespace {

// Temporary tables live in memory and can be made even where the file cannot be written.
const char MemorySchema[] = "temp";

struct TFinalize
{
    void operator()(sqlite3_stmt* Stmt) const { sqlite3_finalize(Stmt); }
};
using TStmt = std::unique_ptr<sqlite3_stmt, TFinalize>;

QString Text(sqlite3_stmt* Stmt, int Column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, Column)),
                             sqlite3_column_bytes(Stmt, Column));
}

const char StateColumns[] =
    "Stability, Difficulty, Due, LastReview, Reps, Lapses, Phase, ScheduledDays";

TMemoryState ReadState(sqlite3_stmt* Stmt, int First)
{
    TMemoryState S;
    S.Stability = sqlite3_column_double(Stmt, First);
    S.Difficulty = sqlite3_column_double(Stmt, First + 1);
    S.Due = sqlite3_column_int64(Stmt, First + 2);
    S.LastReview = sqlite3_column_int64(Stmt, First + 3);
    S.Reps = sqlite3_column_int(Stmt, First + 4);
    S.Lapses = sqlite3_column_int(Stmt, First + 5);
    S.Phase = sqlite3_column_int(Stmt, First + 6);
    S.ScheduledDays = sqlite3_column_int(Stmt, First + 7);
    return S;
}

void BindState(sqlite3_stmt* Stmt, int First, const TMemoryState& S)
{
    sqlite3_bind_double(Stmt, First, S.Stability);
    sqlite3_bind_double(Stmt, First + 1, S.Difficulty);
    sqlite3_bind_int64(Stmt, First + 2, S.Due);
    sqlite3_bind_int64(Stmt, First + 3, S.LastReview);
    sqlite3_bind_int(Stmt, First + 4, S.Reps);
    sqlite3_bind_int(Stmt, First + 5, S.Lapses);
    sqlite3_bind_int(Stmt, First + 6, S.Phase);
    sqlite3_bind_int(Stmt, First + 7, S.ScheduledDays);
}

} // namespace

TReviewStore::TReviewStore(sqlite3* Db) : FDb(Db)
{
    if (sqlite3_db_readonly(FDb, "main") == 1 && !TReviewKeys::TablesExist(FDb))
        UseMemory();
}

void TReviewStore::UseMemory()
{
    FSchema = MemorySchema;
}

TReviewStore::~TReviewStore()
{
    if (InMemory() && FDb) {
        const QByteArray Sql = QByteArray("DROP TABLE IF EXISTS temp.") + TReviewKeys::StateTable +
                               "; DROP TABLE IF EXISTS temp." + TReviewKeys::LogTable + ";";
        sqlite3_exec(FDb, Sql.constData(), nullptr, nullptr, nullptr);
    }
}

QString TReviewStore::TakeNotice()
{
    if (FNoticeGiven || !InMemory())
        return {};
    FNoticeGiven = true;
    return QCoreApplication::translate(
        "TReviewStore", "The dictionary file cannot be changed, so this review is kept in "
                        "memory only: the answers are lost when the program ends.");
}

bool TReviewStore::HasTables()
{
    return TReviewKeys::TablesExist(FDb, FSchema);
}

void TReviewStore::EnsureTables()
{
    if (HasTables())
        return;
    const QByteArray Sql = TReviewKeys::SchemaSql(FSchema);
    char* Error = nullptr;
    if (sqlite3_exec(FDb, Sql.constData(), nullptr, nullptr, &Error) != SQLITE_OK) {
        const QString Message = QString::fromUtf8(Error ? Error : "unknown error");
        sqlite3_free(Error);
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TReviewStore", "The review's memory cannot be made in the dictionary file: %1")
                .arg(Message));
    }
}

void TReviewStore::Begin()
{
    if (!sqlite3_get_autocommit(FDb))
        throw EVexloDatabaseError(QStringLiteral(
            "The dictionary is busy with another change (an import); answer again when it is "
            "done."));
    if (sqlite3_exec(FDb, InMemory() ? "BEGIN" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TReviewStore", "The answer cannot be saved: %1")
                .arg(QString::fromUtf8(sqlite3_errmsg(FDb))));
}

void TReviewStore::Commit()
{
    if (sqlite3_exec(FDb, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString Message = QString::fromUtf8(sqlite3_errmsg(FDb));
        Rollback();
        throw EVexloDatabaseError(
            QCoreApplication::translate("TReviewStore", "The answer cannot be saved: %1")
                .arg(Message));
    }
}

void TReviewStore::Rollback()
{
    if (!sqlite3_get_autocommit(FDb))
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::optional<TReviewCard> TReviewStore::ReadEntry(const TReviewKey& Key)
{
    TStmt Stmt;
    sqlite3_stmt* Raw = nullptr;
    sqlite3_prepare_v2(FDb,
                       "SELECT CAST(ID AS INTEGER), ENAME, BULG, TRANS, CAST(LEVEL AS INTEGER) "
                       "FROM English WHERE ENAME = ?1 COLLATE NOCASE AND ENAME = ?1 AND BULG IS ?2 "
                       "LIMIT 1",
                       -1, &Raw, nullptr);
    Stmt.reset(Raw);
    if (!Raw)
        throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
    Key.Word.Bind(Raw, 1);
    Key.Meaning.Bind(Raw, 2);
    if (sqlite3_step(Raw) != SQLITE_ROW)
        return std::nullopt;
    TReviewCard Card;
    Card.Key = Key;
    Card.ID = sqlite3_column_int(Raw, 0);
    Card.Word = Text(Raw, 1);
    Card.Meaning = Text(Raw, 2);
    Card.Transcription = Text(Raw, 3);
    Card.Level = sqlite3_column_int(Raw, 4);
    return Card;
}

std::optional<TReviewCard> TReviewStore::NextDue(int64_t Now)
{
    if (!HasTables())
        return std::nullopt;
    sqlite3_stmt* Raw = nullptr;
    const QByteArray Sql = "SELECT Word, Meaning, " + QByteArray(StateColumns) + " FROM " +
                           FSchema + "." + TReviewKeys::StateTable +
                           " WHERE Due <= ?1 ORDER BY Due, rowid";
    if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Raw, nullptr) != SQLITE_OK)
        throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
    TStmt Stmt(Raw);
    sqlite3_bind_int64(Raw, 1, Now);
    // States whose word another program deleted or changed are passed over.
    while (sqlite3_step(Raw) == SQLITE_ROW) {
        const TReviewKey Key{TSqlValue::FromColumn(Raw, 0), TSqlValue::FromColumn(Raw, 1)};
        if (auto Card = ReadEntry(Key)) {
            Card->State = ReadState(Raw, 2);
            return Card;
        }
    }
    return std::nullopt;
}

std::optional<TReviewCard> TReviewStore::NextNew()
{
    // Words before the one found last were passed over already: the search goes on from there
    // (by row id, where the table has one), so a long reviewed stretch is not walked again.
    const bool HasTables = this->HasTables();
    for (const bool ByRowId : {true, false}) {
        if (ByRowId && !FNewByRowId)
            continue;
        QByteArray Sql = ByRowId ? "SELECT ENAME, BULG, rowid FROM English E WHERE rowid >= ?1"
                                 : "SELECT ENAME, BULG FROM English E WHERE 1";
        if (HasTables)
            Sql += " AND NOT EXISTS (SELECT 1 FROM " + FSchema + "." + TReviewKeys::StateTable +
                   " S WHERE S.Word = E.ENAME AND S.Meaning IS E.BULG)";
        Sql += ByRowId ? " ORDER BY rowid LIMIT 1" : " LIMIT 1";
        sqlite3_stmt* Raw = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(Raw);
            if (ByRowId) {
                FNewByRowId = false; // a table without row ids (WITHOUT ROWID, or a rowid column)
                continue;
            }
            throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
        }
        TStmt Stmt(Raw);
        sqlite3_bind_int64(Raw, 1, FNewFrom);
        if (sqlite3_step(Raw) != SQLITE_ROW)
            return std::nullopt;
        if (ByRowId)
            FNewFrom = sqlite3_column_int64(Raw, 2);
        return ReadEntry({TSqlValue::FromColumn(Raw, 0), TSqlValue::FromColumn(Raw, 1)});
    }
    return std::nullopt;
}

TMemoryState TReviewStore::StateOf(const TReviewKey& Key)
{
    if (!HasTables())
        return {};
    const QByteArray Sql = "SELECT " + QByteArray(StateColumns) + " FROM " + FSchema + "." +
                           TReviewKeys::StateTable + " WHERE Word = ?1 AND Meaning IS ?2";
    sqlite3_stmt* Raw = nullptr;
    if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Raw, nullptr) != SQLITE_OK)
        throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
    TStmt Stmt(Raw);
    Key.Word.Bind(Raw, 1);
    Key.Meaning.Bind(Raw, 2);
    return sqlite3_step(Raw) == SQLITE_ROW ? ReadState(Raw, 0) : TMemoryState{};
}

TReviewAnswer TReviewStore::Record(const TReviewCard& Card, TGrade Grade, int64_t Now,
                                   const TFsrs& Scheduler)
{
    if (!InMemory() && !HasTables()) {
        // The first answer makes the tables; a file that turns out not to take them is reviewed
        // in memory from here on.
        try {
            EnsureTables();
        } catch (const EVexloDatabaseError&) {
            if (sqlite3_db_readonly(FDb, "main") != 1 &&
                (sqlite3_extended_errcode(FDb) & 0xFF) != SQLITE_READONLY)
                throw;
            UseMemory();
        }
    }
    EnsureTables();
    Begin();
    try {
        if (!ReadEntry(Card.Key))
            throw EVexloDatabaseError(QStringLiteral(
                "\"%1\" was deleted or changed by another program; the answer was not saved.")
                                          .arg(Card.Word));
        TReviewAnswer Answer;
        Answer.Key = Card.Key;
        // The state as the file has it now: another copy may have answered meanwhile.
        Answer.Before = StateOf(Card.Key);
        Answer.After = Scheduler.Next(Answer.Before, Now, Grade, &Answer.ElapsedDays);
        const QByteArray Table = FSchema + "." + TReviewKeys::StateTable;
        const QByteArray Log = FSchema + "." + TReviewKeys::LogTable;
        const QByteArray Sql[] = {
            "DELETE FROM " + Table + " WHERE Word = ?1 AND Meaning IS ?2",
            "INSERT INTO " + Table + " (Word, Meaning, " + StateColumns +
                ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
            "INSERT INTO " + Log +
                " VALUES (?11, ?1, ?2, ?12, ?13, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"};
        for (int Step = 0; Step < 3; ++Step) {
            sqlite3_stmt* Raw = nullptr;
            if (sqlite3_prepare_v2(FDb, Sql[Step].constData(), -1, &Raw, nullptr) != SQLITE_OK)
                throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
            TStmt Stmt(Raw);
            Card.Key.Word.Bind(Raw, 1);
            Card.Key.Meaning.Bind(Raw, 2);
            BindState(Raw, 3, Step == 2 ? Answer.Before : Answer.After);
            if (Step == 2) {
                sqlite3_bind_int64(Raw, 11, Now);
                sqlite3_bind_int(Raw, 12, static_cast<int>(Grade));
                sqlite3_bind_int(Raw, 13, Answer.ElapsedDays);
            }
            if (sqlite3_step(Raw) != SQLITE_DONE)
                throw EVexloDatabaseError(
                    QCoreApplication::translate("TReviewStore", "The answer cannot be saved: %1")
                        .arg(QString::fromUtf8(sqlite3_errmsg(FDb))));
        }
        Answer.LogId = sqlite3_last_insert_rowid(FDb);
        Commit();
        return Answer;
    } catch (...) {
        Rollback();
        throw;
    }
}

bool TReviewStore::Undo(const TReviewAnswer& Answer)
{
    if (!HasTables())
        return false;
    Begin();
    try {
        const TMemoryState Now = StateOf(Answer.Key);
        if (Now.LastReview != Answer.After.LastReview || Now.Reps != Answer.After.Reps) {
            Rollback();
            return false;
        }
        const QByteArray Table = FSchema + "." + TReviewKeys::StateTable;
        QByteArray Sql = "DELETE FROM " + FSchema + "." + TReviewKeys::LogTable +
                         " WHERE rowid = ?11;DELETE FROM " + Table +
                         " WHERE Word = ?1 AND Meaning IS ?2;";
        if (Answer.Before.Phase != TMemoryState::phNew)
            Sql += "INSERT INTO " + Table + " (Word, Meaning, " + StateColumns +
                   ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10);";
        const char* Tail = Sql.constData();
        while (Tail && *Tail) {
            sqlite3_stmt* Raw = nullptr;
            if (sqlite3_prepare_v2(FDb, Tail, -1, &Raw, &Tail) != SQLITE_OK)
                throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
            if (!Raw)
                break;
            TStmt Stmt(Raw);
            const int Count = sqlite3_bind_parameter_count(Raw);
            if (Count >= 2) {
                Answer.Key.Word.Bind(Raw, 1);
                Answer.Key.Meaning.Bind(Raw, 2);
            }
            if (Count >= 10)
                BindState(Raw, 3, Answer.Before);
            if (Count >= 11)
                sqlite3_bind_int64(Raw, 11, Answer.LogId);
            if (sqlite3_step(Raw) != SQLITE_DONE)
                throw EVexloDatabaseError(QString::fromUtf8(sqlite3_errmsg(FDb)));
        }
        Commit();
        FNewFrom = 0; // the word may be new again
        return true;
    } catch (...) {
        Rollback();
        throw;
    }
}

int64_t TReviewStore::DueCount(int64_t Now)
{
    if (!HasTables())
        return 0;
    const QByteArray Sql = "SELECT count(*) FROM " + FSchema + "." + TReviewKeys::StateTable +
                           " WHERE Due <= ?1";
    sqlite3_stmt* Raw = nullptr;
    if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Raw, nullptr) != SQLITE_OK)
        return 0;
    TStmt Stmt(Raw);
    sqlite3_bind_int64(Raw, 1, Now);
    return sqlite3_step(Raw) == SQLITE_ROW ? sqlite3_column_int64(Raw, 0) : 0;
}

int64_t TReviewStore::AnswersSince(int64_t Since, bool NewOnly)
{
    if (!HasTables())
        return 0;
    QByteArray Sql = "SELECT count(*) FROM " + FSchema + "." + TReviewKeys::LogTable +
                     " WHERE Time >= ?1";
    if (NewOnly)
        Sql += " AND PhaseBefore = 0";
    sqlite3_stmt* Raw = nullptr;
    if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Raw, nullptr) != SQLITE_OK)
        return 0;
    TStmt Stmt(Raw);
    sqlite3_bind_int64(Raw, 1, Since);
    return sqlite3_step(Raw) == SQLITE_ROW ? sqlite3_column_int64(Raw, 0) : 0;
}
