#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One value as the file stores it (type and bytes), so that a key found in table English
// matches it again exactly, whatever another tool stored there.
struct TSqlValue
{
    int Type = 5; // SQLITE_NULL
    QByteArray Bytes;
    int64_t Integer = 0;
    double Real = 0;

    static TSqlValue FromColumn(sqlite3_stmt* Stmt, int Column);
    void Bind(sqlite3_stmt* Stmt, int Index) const;
    bool operator==(const TSqlValue&) const = default;
};

// The key under which the review keeps an entry's memory: its English word and Bulgarian text as
// stored. Keys survive the renumbering after deletes and an export and import; edits this program
// makes carry them along in the same transaction, and deletes take the state with them.
struct TReviewKey
{
    TSqlValue Word;
    TSqlValue Meaning;
    bool operator==(const TReviewKey&) const = default;
};

// The review's tables beside English, as far as the store must know them: they are made by the
// review on its first answer (or by an import that brings practice records); the store keeps
// them in step with its own changes.
class TReviewKeys
{
public:
    static constexpr const char* StateTable = "VexloReview";
    static constexpr const char* LogTable = "VexloReviewLog";
    // The lessons (units) imported words came in, by the same key: made by an import that brings
    // lesson names; kept in step like the review's memory.
    static constexpr const char* LessonTable = "VexloLesson";
    static QByteArray LessonSchemaSql();
    static bool LessonTableExists(sqlite3* Db);
    // The statements that make the tables in Schema ("main" or an attached one).
    static QByteArray SchemaSql(const QByteArray& Schema);
    static bool TablesExist(sqlite3* Db, const QByteArray& Schema = "main");
    // The key of the one row whose ID (as IdExpression gives it) is Id; none when none of the
    // tables exist or not exactly one row has that ID.
    static std::optional<TReviewKey> KeyOfId(sqlite3* Db, const QByteArray& IdExpression, int32_t Id);
    // The row with ID Id was edited and had the key Old: its state and log follow it. When
    // another entry still has the old key, the state is copied instead.
    static void Carry(sqlite3* Db, const QByteArray& IdExpression, int32_t Id, const TReviewKey& Old);
    // The entry with key Key was deleted: its state goes, unless another entry has that key.
    static void Drop(sqlite3* Db, const TReviewKey& Key);
    static void DropAll(sqlite3* Db);
    // How many entries of English have Key.
    static int64_t EntriesWithKey(sqlite3* Db, const TReviewKey& Key);
};
