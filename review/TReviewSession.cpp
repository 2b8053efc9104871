#include "review/TReviewSession.h"

#include "store/EVexloDatabaseError.h"

#include <sqlite3.h>

#include <QCoreApplication>

TReviewSession::TReviewSession(sqlite3* Db, const TReviewSettings& Settings,
                               std::function<int64_t()> Clock,
                               std::function<int64_t(int64_t)> DayStart)
    : FStore(Db), FSettings(Settings), FScheduler(Settings.Parameters()), FClock(std::move(Clock)),
      FDayStart(std::move(DayStart)), FDb(Db)
{}

void TReviewSession::SetSettings(const TReviewSettings& Settings)
{
    FSettings = Settings;
    FScheduler = TFsrs(Settings.Parameters());
}

void TReviewSession::ChooseDirection()
{
    switch (FSettings.Direction) {
    case TReviewSettings::drBulgarianFirst:
        FEnglishFirst = false;
        break;
    case TReviewSettings::drMixed:
        FEnglishFirst = FRandom() % 2 == 0;
        break;
    default:
        FEnglishFirst = true;
    }
}

bool TReviewSession::Advance()
{
    FCurrent = FStore.NextDue(FClock());
    if (!FCurrent && NewLeft() > 0)
        FCurrent = FStore.NextNew();
    if (FCurrent)
        ChooseDirection();
    return FCurrent.has_value();
}

TReviewAnswer TReviewSession::Answer(TGrade Grade)
{
    if (!FCurrent)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TReviewSession", "There is no word to answer."));
    const TReviewAnswer Result = FStore.Record(*FCurrent, Grade, FClock(), FScheduler);
    FLast.emplace(Result, *FCurrent);
    FLastGrade = Grade;
    FLastEnglishFirst = FEnglishFirst;
    ++FDone;
    ++FGrades[static_cast<size_t>(Grade)];
    Advance();
    return Result;
}

bool TReviewSession::Undo()
{
    if (!FLast)
        return false;
    const auto [Answer, Card] = *FLast;
    FLast.reset();
    if (!FStore.Undo(Answer))
        return false;
    --FDone;
    --FGrades[static_cast<size_t>(FLastGrade)];
    FCurrent = Card;
    FCurrent->State = Answer.Before;
    FEnglishFirst = FLastEnglishFirst; // asked again the way it was asked
    return true;
}

int64_t TReviewSession::DueCount()
{
    return FStore.DueCount(FClock());
}

int64_t TReviewSession::NewLeft()
{
    const int64_t Now = FClock();
    const int64_t Today = FStore.AnswersSince(FDayStart(Now), true);
    const int64_t Allowed = std::max<int64_t>(0, FSettings.NewPerDay - Today);
    if (Allowed == 0)
        return 0;
    // Entries without a memory, counted only as far as the limit needs.
    QByteArray Sql = "SELECT count(*) FROM (SELECT 1 FROM English E";
    if (FStore.HasTables())
        Sql += " WHERE NOT EXISTS (SELECT 1 FROM " + FStore.Schema() + "." +
               TReviewKeys::StateTable + " S WHERE S.Word = E.ENAME AND S.Meaning IS E.BULG)";
    Sql += " LIMIT ?1)";
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Stmt, nullptr) != SQLITE_OK)
        return 0;
    sqlite3_bind_int64(Stmt, 1, Allowed);
    const int64_t Result = sqlite3_step(Stmt) == SQLITE_ROW ? sqlite3_column_int64(Stmt, 0) : 0;
    sqlite3_finalize(Stmt);
    return Result;
}

int64_t TReviewSession::NextDueAfter()
{
    if (!FStore.HasTables())
        return 0;
    const QByteArray Sql = "SELECT min(Due) FROM " + FStore.Schema() + "." + TReviewKeys::StateTable;
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(FDb, Sql.constData(), -1, &Stmt, nullptr) != SQLITE_OK)
        return 0;
    const int64_t Result = sqlite3_step(Stmt) == SQLITE_ROW ? sqlite3_column_int64(Stmt, 0) : 0;
    sqlite3_finalize(Stmt);
    return Result;
}
