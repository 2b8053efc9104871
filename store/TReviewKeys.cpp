#include "store/TReviewKeys.h"

#include "store/EVexloDatabaseError.h"

#include <sqlite3.h>

#include <memory>

namespace {

struct TFinalize
{
    void operator()(sqlite3_stmt* Stmt) const { sqlite3_finalize(Stmt); }
};
using TStmt = std::unique_ptr<sqlite3_stmt, TFinalize>;

[[noreturn]] void Fail(sqlite3* Db, const char* What)
{
    throw EVexloDatabaseError(QStringLiteral("%1: %2").arg(QString::fromUtf8(What),
                                                         QString::fromUtf8(sqlite3_errmsg(Db))));
}

TStmt Prepare(sqlite3* Db, const QByteArray& Sql)
{
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(Db, Sql.constData(), static_cast<int>(Sql.size()), &Stmt, nullptr) !=
        SQLITE_OK)
        Fail(Db, "The review's memory cannot be read");
    return TStmt(Stmt);
}

void Run(sqlite3* Db, sqlite3_stmt* Stmt)
{
    if (sqlite3_step(Stmt) != SQLITE_DONE)
        Fail(Db, "The review's memory cannot be changed");
}

bool HasState(sqlite3* Db, const TReviewKey& Key)
{
    TStmt Stmt = Prepare(Db, QByteArray("SELECT 1 FROM ") + TReviewKeys::StateTable +
                                 " WHERE Word = ?1 AND Meaning IS ?2 "
                                 "UNION ALL SELECT 1 FROM " + TReviewKeys::LogTable +
                                 " WHERE Word = ?1 AND Meaning IS ?2 LIMIT 1");
    Key.Word.Bind(Stmt.get(), 1);
    Key.Meaning.Bind(Stmt.get(), 2);
    return sqlite3_step(Stmt.get()) == SQLITE_ROW;
}

} // namespace

TSqlValue TSqlValue::FromColumn(sqlite3_stmt* Stmt, int Column)
{
    TSqlValue V;
    V.Type = sqlite3_column_type(Stmt, Column);
    switch (V.Type) {
    case SQLITE_INTEGER:
        V.Integer = sqlite3_column_int64(Stmt, Column);
        break;
    case SQLITE_FLOAT:
        V.Real = sqlite3_column_double(Stmt, Column);
        break;
    case SQLITE_TEXT:
        V.Bytes = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, Column)),
                             sqlite3_column_bytes(Stmt, Column));
        break;
    case SQLITE_BLOB:
        V.Bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(Stmt, Column)),
                             sqlite3_column_bytes(Stmt, Column));
        break;
    default:
        break;
    }
    return V;
}

void TSqlValue::Bind(sqlite3_stmt* Stmt, int Index) const
{
    switch (Type) {
    case SQLITE_INTEGER:
        sqlite3_bind_int64(Stmt, Index, Integer);
        break;
    case SQLITE_FLOAT:
        sqlite3_bind_double(Stmt, Index, Real);
        break;
    case SQLITE_TEXT:
        sqlite3_bind_text(Stmt, Index, Bytes.constData(), static_cast<int>(Bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(Stmt, Index, Bytes.constData(), static_cast<int>(Bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(Stmt, Index);
    }
}

QByteArray TReviewKeys::SchemaSql(const QByteArray& Schema)
{
    const QByteArray S = Schema + ".";
    // Word and Meaning have no type, so they keep whatever English holds, byte for byte.
    return "CREATE TABLE IF NOT EXISTS " + S + StateTable +
           " (Word NOT NULL, Meaning, Stability REAL NOT NULL, Difficulty REAL NOT NULL, "
           "Due INTEGER NOT NULL, LastReview INTEGER NOT NULL, Reps INTEGER NOT NULL, "
           "Lapses INTEGER NOT NULL, Phase INTEGER NOT NULL, ScheduledDays INTEGER NOT NULL);\n"
           "CREATE INDEX IF NOT EXISTS " + S + "VexloReviewKey ON " + StateTable +
           " (Word, Meaning);\n"
           "CREATE INDEX IF NOT EXISTS " + S + "VexloReviewDue ON " + StateTable + " (Due);\n"
           "CREATE TABLE IF NOT EXISTS " + S + LogTable +
           " (Time INTEGER NOT NULL, Word NOT NULL, Meaning, Grade INTEGER NOT NULL, "
           "ElapsedDays INTEGER NOT NULL, StabilityBefore REAL NOT NULL, "
           "DifficultyBefore REAL NOT NULL, DueBefore INTEGER NOT NULL, "
           "LastReviewBefore INTEGER NOT NULL, RepsBefore INTEGER NOT NULL, "
           "LapsesBefore INTEGER NOT NULL, PhaseBefore INTEGER NOT NULL, "
           "ScheduledDaysBefore INTEGER NOT NULL);\n"
           "CREATE INDEX IF NOT EXISTS " + S + "VexloReviewLogTime ON " + LogTable + " (Time);\n"
           "CREATE INDEX IF NOT EXISTS " + S + "VexloReviewLogKey ON " + LogTable +
           " (Word, Meaning);\n";
}

QByteArray TReviewKeys::LessonSchemaSql()
{
    // The lesson path is a JSON array of names, outermost first.
    return QByteArray("CREATE TABLE IF NOT EXISTS main.") + LessonTable +
           " (Word NOT NULL, Meaning, Lesson TEXT NOT NULL);\n"
           "CREATE INDEX IF NOT EXISTS main.VexloLessonKey ON " +
           LessonTable + " (Word, Meaning);\n";
}

bool TReviewKeys::LessonTableExists(sqlite3* Db)
{
    TStmt Stmt = Prepare(Db, QByteArray("SELECT 1 FROM main.sqlite_master WHERE type = 'table' "
                                        "AND name = '") +
                                 LessonTable + "'");
    return sqlite3_step(Stmt.get()) == SQLITE_ROW;
}

namespace {

// The lesson of the entry that had the key Old now belongs to the one with key New: moved, or
// copied when another entry still has the old key; a lesson New already has stays.
void CarryLesson(sqlite3* Db, const TReviewKey& Old, const TReviewKey& New, bool Shared)
{
    const QByteArray Table = TReviewKeys::LessonTable;
    TStmt Taken = Prepare(Db, "SELECT 1 FROM " + Table + " WHERE Word = ?1 AND Meaning IS ?2");
    New.Word.Bind(Taken.get(), 1);
    New.Meaning.Bind(Taken.get(), 2);
    const bool NewHasOne = sqlite3_step(Taken.get()) == SQLITE_ROW;
    QByteArray Sql;
    if (NewHasOne && Shared)
        return;
    if (NewHasOne)
        Sql = "DELETE FROM " + Table + " WHERE Word = ?1 AND Meaning IS ?2";
    else if (Shared)
        Sql = "INSERT INTO " + Table + " SELECT ?3, ?4, Lesson FROM " + Table +
              " WHERE Word = ?1 AND Meaning IS ?2 LIMIT 1";
    else
        Sql = "UPDATE " + Table + " SET Word = ?3, Meaning = ?4 WHERE Word = ?1 AND Meaning IS ?2";
    TStmt Stmt = Prepare(Db, Sql);
    Old.Word.Bind(Stmt.get(), 1);
    Old.Meaning.Bind(Stmt.get(), 2);
    if (!NewHasOne) {
        New.Word.Bind(Stmt.get(), 3);
        New.Meaning.Bind(Stmt.get(), 4);
    }
    Run(Db, Stmt.get());
}

void DropLesson(sqlite3* Db, const TReviewKey& Key)
{
    TStmt Stmt = Prepare(Db, QByteArray("DELETE FROM ") + TReviewKeys::LessonTable +
                                 " WHERE Word = ?1 AND Meaning IS ?2");
    Key.Word.Bind(Stmt.get(), 1);
    Key.Meaning.Bind(Stmt.get(), 2);
    Run(Db, Stmt.get());
}

} // namespace

bool TReviewKeys::TablesExist(sqlite3* Db, const QByteArray& Schema)
{
    TStmt Stmt = Prepare(Db, "SELECT count(*) FROM " + Schema +
                                 ".sqlite_master WHERE type = 'table' AND name IN ('" +
                                 StateTable + "', '" + LogTable + "')");
    return sqlite3_step(Stmt.get()) == SQLITE_ROW && sqlite3_column_int(Stmt.get(), 0) == 2;
}

std::optional<TReviewKey> TReviewKeys::KeyOfId(sqlite3* Db, const QByteArray& IdExpression,
                                               int32_t Id)
{
    if (!TablesExist(Db) && !LessonTableExists(Db))
        return std::nullopt;
    TStmt Stmt = Prepare(Db, "SELECT ENAME, BULG FROM English WHERE " + IdExpression +
                                 " = ?1 LIMIT 2");
    sqlite3_bind_int(Stmt.get(), 1, Id);
    if (sqlite3_step(Stmt.get()) != SQLITE_ROW)
        return std::nullopt;
    TReviewKey Key{TSqlValue::FromColumn(Stmt.get(), 0), TSqlValue::FromColumn(Stmt.get(), 1)};
    if (sqlite3_step(Stmt.get()) == SQLITE_ROW)
        return std::nullopt;
    return Key;
}

int64_t TReviewKeys::EntriesWithKey(sqlite3* Db, const TReviewKey& Key)
{
    // The case-blind comparison lets the engine use the browsing index where the file has one;
    // the exact one decides.
    TStmt Stmt = Prepare(Db, "SELECT count(*) FROM English WHERE ENAME = ?1 COLLATE NOCASE AND "
                             "ENAME = ?1 AND BULG IS ?2");
    Key.Word.Bind(Stmt.get(), 1);
    Key.Meaning.Bind(Stmt.get(), 2);
    return sqlite3_step(Stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(Stmt.get(), 0) : 0;
}

void TReviewKeys::Carry(sqlite3* Db, const QByteArray& IdExpression, int32_t Id,
                        const TReviewKey& Old)
{
    const std::optional<TReviewKey> New = KeyOfId(Db, IdExpression, Id);
    if (!New || *New == Old)
        return;
    // A state the new key already had (another entry with the same texts) stays.
    const bool Shared = EntriesWithKey(Db, Old) > 0;
    if (LessonTableExists(Db))
        CarryLesson(Db, Old, *New, Shared);
    if (!TablesExist(Db) || !HasState(Db, Old))
        return;
    for (const char* Table : {StateTable, LogTable}) {
        const bool IsState = QByteArray(Table) == StateTable;
        if (IsState) {
            TStmt Taken = Prepare(Db, QByteArray("SELECT 1 FROM ") + StateTable +
                                          " WHERE Word = ?1 AND Meaning IS ?2");
            New->Word.Bind(Taken.get(), 1);
            New->Meaning.Bind(Taken.get(), 2);
            if (sqlite3_step(Taken.get()) == SQLITE_ROW) {
                if (!Shared)
                    Drop(Db, Old);
                continue;
            }
        }
        QByteArray Sql;
        if (Shared && IsState)
            Sql = QByteArray("INSERT INTO ") + StateTable +
                  " SELECT ?3, ?4, Stability, Difficulty, Due, LastReview, Reps, Lapses, Phase, "
                  "ScheduledDays FROM " + StateTable + " WHERE Word = ?1 AND Meaning IS ?2";
        else if (Shared)
            continue; // the log stays with the entry that keeps the texts
        else
            Sql = QByteArray("UPDATE ") + Table +
                  " SET Word = ?3, Meaning = ?4 WHERE Word = ?1 AND Meaning IS ?2";
        TStmt Stmt = Prepare(Db, Sql);
        Old.Word.Bind(Stmt.get(), 1);
        Old.Meaning.Bind(Stmt.get(), 2);
        New->Word.Bind(Stmt.get(), 3);
        New->Meaning.Bind(Stmt.get(), 4);
        Run(Db, Stmt.get());
    }
}

void TReviewKeys::Drop(sqlite3* Db, const TReviewKey& Key)
{
    const bool Lessons = LessonTableExists(Db);
    if ((!TablesExist(Db) && !Lessons) || EntriesWithKey(Db, Key) > 0)
        return;
    if (Lessons)
        DropLesson(Db, Key);
    if (!TablesExist(Db))
        return;
    TStmt Stmt = Prepare(Db, QByteArray("DELETE FROM ") + StateTable +
                                 " WHERE Word = ?1 AND Meaning IS ?2");
    Key.Word.Bind(Stmt.get(), 1);
    Key.Meaning.Bind(Stmt.get(), 2);
    Run(Db, Stmt.get());
}

void TReviewKeys::DropAll(sqlite3* Db)
{
    if (LessonTableExists(Db)) {
        TStmt Lessons = Prepare(Db, QByteArray("DELETE FROM ") + LessonTable);
        Run(Db, Lessons.get());
    }
    if (!TablesExist(Db))
        return;
    TStmt Stmt = Prepare(Db, QByteArray("DELETE FROM ") + StateTable);
    Run(Db, Stmt.get());
}
