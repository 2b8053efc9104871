#include "interchange/TKvtmlExtras.h"

#include "store/EVexloDatabaseError.h"
#include "store/TReviewKeys.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sqlite3.h>

namespace TKvtmlExtras {

namespace {

constexpr int MaxBox = 7;

struct TFinalize
{
    void operator()(sqlite3_stmt* Stmt) const { sqlite3_finalize(Stmt); }
};
using TStmt = std::unique_ptr<sqlite3_stmt, TFinalize>;

[[noreturn]] void Fail(sqlite3* Db)
{
    throw EVexloDatabaseError(
        QCoreApplication::translate("TKvtmlExtras",
                                    "The practice records and lessons cannot be kept: %1.")
            .arg(QString::fromUtf8(sqlite3_errmsg(Db))));
}

TStmt Prepare(sqlite3* Db, const QByteArray& Sql)
{
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(Db, Sql.constData(), static_cast<int>(Sql.size()), &Stmt, nullptr) !=
        SQLITE_OK)
        Fail(Db);
    return TStmt(Stmt);
}

void Exec(sqlite3* Db, const QByteArray& Sql)
{
    if (sqlite3_exec(Db, Sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(Db);
}

void BindKey(sqlite3_stmt* Stmt, const QByteArray& English, const QByteArray& Bulgarian)
{
    sqlite3_bind_text(Stmt, 1, English.constData(), static_cast<int>(English.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(Stmt, 2, Bulgarian.constData(), static_cast<int>(Bulgarian.size()),
                      SQLITE_STATIC);
}

// Whether Table has a row with the key (English, Bulgarian).
bool Has(sqlite3_stmt* Stmt, const QByteArray& English, const QByteArray& Bulgarian)
{
    BindKey(Stmt, English, Bulgarian);
    const bool Found = sqlite3_step(Stmt) == SQLITE_ROW;
    sqlite3_reset(Stmt);
    return Found;
}

QString ColumnText(sqlite3_stmt* Stmt, int Column)
{
    const auto* Text = static_cast<const QChar*>(sqlite3_column_text16(Stmt, Column));
    return Text ? QString(Text, sqlite3_column_bytes16(Stmt, Column) / 2) : QString();
}

QString KeyOf(const QString& English, const QString& Bulgarian)
{
    return English + QChar(0) + Bulgarian;
}

} // namespace

std::optional<TMemoryState> StartingState(const TSourceGrade& Grade, int64_t Now)
{
    if (Grade.Memory)
        return Grade.Memory;
    if (Grade.Box <= 0)
        return std::nullopt;
    const auto& W = TFsrsParameters::DefaultWeights;
    const double FirstGood = W[4] - std::exp(2 * W[5]) + 1;
    const int Count = std::max(Grade.Count, 1);
    const int Errors = std::clamp(Grade.Errors, 0, Count);
    TMemoryState State;
    State.Stability = std::ldexp(1.0, std::min(Grade.Box, MaxBox) - 1);
    State.Difficulty = std::clamp(FirstGood + (10 - FirstGood) * Errors / Count, 1.0, 10.0);
    State.LastReview = Grade.Date > 0 ? std::min(Grade.Date, Now) : Now;
    State.ScheduledDays = static_cast<int32_t>(State.Stability);
    State.Due = State.LastReview + State.ScheduledDays * TFsrs::MsPerDay;
    State.Reps = Count;
    State.Lapses = Errors;
    State.Phase = TMemoryState::phReview;
    return State;
}

std::optional<TSourceGrade> GradeOf(const TMemoryState& State)
{
    if (State.Phase == TMemoryState::phNew || State.Reps <= 0)
        return std::nullopt;
    TSourceGrade Grade;
    Grade.Box = State.Stability >= 1
                    ? std::min(MaxBox, 1 + static_cast<int>(std::floor(std::log2(State.Stability))))
                    : 1;
    // KDE's programs count to 65535.
    Grade.Count = std::min(State.Reps, 65535);
    Grade.Errors = std::clamp(State.Lapses, 0, Grade.Count);
    Grade.Date = State.LastReview;
    Grade.Memory = State;
    return Grade;
}

QByteArray LessonText(const QStringList& Lesson)
{
    return QJsonDocument(QJsonArray::fromStringList(Lesson)).toJson(QJsonDocument::Compact);
}

QStringList LessonOf(const QByteArray& Text)
{
    QStringList Lesson;
    for (const QJsonValue& Name : QJsonDocument::fromJson(Text).array())
        Lesson << Name.toString();
    return Lesson;
}

void TCollector::Add(const QByteArray& English, const QByteArray& Bulgarian, const TSourceRow& Row)
{
    if ((Row.Grade && (Row.Grade->Box > 0 || Row.Grade->Memory)) || !Row.Lesson.isEmpty())
        FItems.push_back({English, Bulgarian, Row.Grade, Row.Lesson});
}

QString TCollector::Store(sqlite3* Db, int64_t Now) const
{
    int States = 0;
    int Lessons = 0;
    TStmt HasState, InsertState, HasLesson, InsertLesson;
    QStringList LastLesson;
    QByteArray Text;
    for (const TItem& Item : FItems) {
        if (const auto State = Item.Grade ? StartingState(*Item.Grade, Now) : std::nullopt) {
            if (!InsertState) {
                Exec(Db, TReviewKeys::SchemaSql("main"));
                HasState = Prepare(Db, QByteArray("SELECT 1 FROM main.") + TReviewKeys::StateTable +
                                           " WHERE Word = ?1 AND Meaning IS ?2");
                InsertState =
                    Prepare(Db, QByteArray("INSERT INTO main.") + TReviewKeys::StateTable +
                                    " (Word, Meaning, Stability, Difficulty, Due, "
                                    "LastReview, Reps, Lapses, Phase, ScheduledDays) "
                                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
            }
            if (!Has(HasState.get(), Item.English, Item.Bulgarian)) {
                sqlite3_stmt* S = InsertState.get();
                BindKey(S, Item.English, Item.Bulgarian);
                sqlite3_bind_double(S, 3, State->Stability);
                sqlite3_bind_double(S, 4, State->Difficulty);
                sqlite3_bind_int64(S, 5, State->Due);
                sqlite3_bind_int64(S, 6, State->LastReview);
                sqlite3_bind_int(S, 7, State->Reps);
                sqlite3_bind_int(S, 8, State->Lapses);
                sqlite3_bind_int(S, 9, State->Phase);
                sqlite3_bind_int(S, 10, State->ScheduledDays);
                const int Rc = sqlite3_step(S);
                sqlite3_reset(S);
                if (Rc != SQLITE_DONE)
                    Fail(Db);
                ++States;
            }
        }
        if (Item.Lesson.isEmpty())
            continue;
        if (!InsertLesson) {
            Exec(Db, TReviewKeys::LessonSchemaSql());
            HasLesson = Prepare(Db, QByteArray("SELECT 1 FROM main.") + TReviewKeys::LessonTable +
                                        " WHERE Word = ?1 AND Meaning IS ?2");
            InsertLesson = Prepare(Db, QByteArray("INSERT INTO main.") + TReviewKeys::LessonTable +
                                           " (Word, Meaning, Lesson) VALUES (?1, ?2, ?3)");
        }
        if (Has(HasLesson.get(), Item.English, Item.Bulgarian))
            continue;
        if (Item.Lesson != LastLesson) { // entries of one lesson come together
            LastLesson = Item.Lesson;
            Text = LessonText(Item.Lesson);
        }
        BindKey(InsertLesson.get(), Item.English, Item.Bulgarian);
        sqlite3_bind_text(InsertLesson.get(), 3, Text.constData(), static_cast<int>(Text.size()),
                          SQLITE_STATIC);
        const int Rc = sqlite3_step(InsertLesson.get());
        sqlite3_reset(InsertLesson.get());
        if (Rc != SQLITE_DONE)
            Fail(Db);
        ++Lessons;
    }
    QStringList Lines;
    if (States > 0)
        Lines << QCoreApplication::translate("TKvtmlExtras",
                                             "Practice records taken into the review: %1.")
                     .arg(States);
    if (Lessons > 0)
        Lines << QCoreApplication::translate("TKvtmlExtras",
                                             "Lesson names kept (offered back on export): %1.")
                     .arg(Lessons);
    return Lines.join(u'\n');
}

std::vector<TEntryExtras> Read(sqlite3* Db, const std::vector<TEnBgRecord>& Entries)
{
    QHash<QString, TMemoryState> States;
    QHash<QString, QStringList> Lessons;
    if (TReviewKeys::TablesExist(Db)) {
        TStmt Stmt = Prepare(Db, QByteArray("SELECT Word, Meaning, Stability, Difficulty, Due, "
                                            "LastReview, Reps, Lapses, Phase, ScheduledDays "
                                            "FROM main.") +
                                     TReviewKeys::StateTable);
        while (sqlite3_step(Stmt.get()) == SQLITE_ROW) {
            sqlite3_stmt* S = Stmt.get();
            TMemoryState State;
            State.Stability = sqlite3_column_double(S, 2);
            State.Difficulty = sqlite3_column_double(S, 3);
            State.Due = sqlite3_column_int64(S, 4);
            State.LastReview = sqlite3_column_int64(S, 5);
            State.Reps = sqlite3_column_int(S, 6);
            State.Lapses = sqlite3_column_int(S, 7);
            State.Phase = sqlite3_column_int(S, 8);
            State.ScheduledDays = sqlite3_column_int(S, 9);
            States.insert(KeyOf(ColumnText(S, 0), ColumnText(S, 1)), State);
        }
    }
    if (TReviewKeys::LessonTableExists(Db)) {
        TStmt Stmt = Prepare(Db, QByteArray("SELECT Word, Meaning, Lesson FROM main.") +
                                     TReviewKeys::LessonTable);
        // Entries of one lesson share its text: each is read once.
        QHash<QByteArray, QStringList> Paths;
        while (sqlite3_step(Stmt.get()) == SQLITE_ROW) {
            const QByteArray Text(reinterpret_cast<const char*>(sqlite3_column_text(Stmt.get(), 2)),
                                  sqlite3_column_bytes(Stmt.get(), 2));
            auto Path = Paths.constFind(Text);
            if (Path == Paths.constEnd())
                Path = Paths.insert(Text, LessonOf(Text));
            Lessons.insert(KeyOf(ColumnText(Stmt.get(), 0), ColumnText(Stmt.get(), 1)), *Path);
        }
    }
    if (States.isEmpty() && Lessons.isEmpty())
        return {};
    std::vector<TEntryExtras> Extras(Entries.size());
    for (size_t I = 0; I < Entries.size(); ++I) {
        const QString Key = KeyOf(Entries[I].EnglishWord, Entries[I].BulgarianText);
        if (const auto It = States.constFind(Key); It != States.constEnd())
            Extras[I].Memory = It.value();
        Extras[I].Lesson = Lessons.value(Key);
    }
    return Extras;
}

} // namespace TKvtmlExtras
