#include "review/TReviewProgress.h"

#include "review/TFsrs.h"
#include "store/TReviewKeys.h"

#include <QByteArray>

#include <sqlite3.h>

namespace {

// Runs Sql (whose first column is a day number and second a count) and adds each count into
// Days at its day.
template <size_t N>
void CountByDay(sqlite3* Db, const QByteArray& Sql, int64_t Today, std::array<int64_t, N>& Days,
                int64_t Offset)
{
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(Db, Sql.constData(), -1, &Stmt, nullptr) != SQLITE_OK)
        return;
    sqlite3_bind_int64(Stmt, 1, Today);
    sqlite3_bind_int64(Stmt, 2, TFsrs::MsPerDay);
    while (sqlite3_step(Stmt) == SQLITE_ROW) {
        const int64_t Day = sqlite3_column_int64(Stmt, 0) + Offset;
        if (Day >= 0 && Day < static_cast<int64_t>(N))
            Days[static_cast<size_t>(Day)] += sqlite3_column_int64(Stmt, 1);
    }
    sqlite3_finalize(Stmt);
}

} // namespace

TReviewProgress TReviewProgress::Read(sqlite3* Db, const char* Schema, int64_t Today,
                                      double DesiredRetention)
{
    TReviewProgress P;
    P.DesiredRetention = DesiredRetention;
    if (!TReviewKeys::TablesExist(Db, Schema))
        return P;
    const QByteArray S = QByteArray(Schema) + ".";
    // Overdue words count today: max(0, ...).
    CountByDay(Db,
               "SELECT max(0, (Due - ?1) / ?2) AS D, count(*) FROM " + S + TReviewKeys::StateTable +
                   " WHERE Due < ?1 + 31 * ?2 GROUP BY D",
               Today, P.DueByDay, 0);
    CountByDay(Db,
               "SELECT (Time - ?1 + 89 * ?2) / ?2 AS D, count(*) FROM " + S + TReviewKeys::LogTable +
                   " WHERE Time >= ?1 - 89 * ?2 AND Time < ?1 + ?2 GROUP BY D",
               Today, P.AnswersByDay, 0);
    sqlite3_stmt* Stmt = nullptr;
    const QByteArray Sql = "SELECT count(*), coalesce(sum(Grade > 1), 0) FROM " + S +
                           TReviewKeys::LogTable + " WHERE Time >= ?1 - 89 * ?2 AND PhaseBefore <> 0";
    if (sqlite3_prepare_v2(Db, Sql.constData(), -1, &Stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(Stmt, 1, Today);
        sqlite3_bind_int64(Stmt, 2, TFsrs::MsPerDay);
        if (sqlite3_step(Stmt) == SQLITE_ROW) {
            P.Reviewed = sqlite3_column_int64(Stmt, 0);
            P.Recalled = sqlite3_column_int64(Stmt, 1);
        }
    }
    sqlite3_finalize(Stmt);
    return P;
}
