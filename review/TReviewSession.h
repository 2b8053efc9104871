#pragma once

#include "review/TFsrs.h"
#include "review/TReviewSettings.h"
#include "review/TReviewStore.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <random>

// One sitting of review: due words first, then new ones up to the daily limit, each asked in the
// direction the settings choose. Every answer is saved at once; the last one can be taken back.
class TReviewSession
{
public:
    // Clock gives the time in ms since 1970 (UTC); DayStart the start of the user's day around a
    // time (local midnight), for the daily limit.
    TReviewSession(sqlite3* Db, const TReviewSettings& Settings, std::function<int64_t()> Clock,
                   std::function<int64_t(int64_t)> DayStart);

    // Takes the next word; false when nothing is left for now.
    bool Advance();
    const std::optional<TReviewCard>& Current() const { return FCurrent; }
    // Whether the current word is asked by its English side.
    bool EnglishFirst() const { return FEnglishFirst; }
    // Saves Grade for the current word and takes the next one; returns the answer.
    TReviewAnswer Answer(TGrade Grade);
    // Takes the last answer of this sitting back and asks that word again.
    bool Undo();
    bool CanUndo() const { return FLast.has_value(); }

    int64_t DueCount();
    // New words that may still come today.
    int64_t NewLeft();
    int32_t Done() const { return FDone; }
    // Answers of this sitting by grade (index 1..4).
    const std::array<int32_t, 5>& Grades() const { return FGrades; }
    // The time the next word falls due after this sitting, or 0 when none is known.
    int64_t NextDueAfter();
    QString TakeNotice() { return FStore.TakeNotice(); }
    void SetSettings(const TReviewSettings& Settings);
    const TReviewSettings& Settings() const { return FSettings; }
    void SeedDirections(uint32_t Seed) { FRandom.seed(Seed); }
    TReviewStore& Store() { return FStore; }
    const TFsrs& Scheduler() const { return FScheduler; }

private:
    void ChooseDirection();

    TReviewStore FStore;
    TReviewSettings FSettings;
    TFsrs FScheduler;
    std::function<int64_t()> FClock;
    std::function<int64_t(int64_t)> FDayStart;
    std::optional<TReviewCard> FCurrent;
    bool FEnglishFirst = true;
    std::optional<std::pair<TReviewAnswer, TReviewCard>> FLast;
    TGrade FLastGrade = TGrade::grGood;
    bool FLastEnglishFirst = true;
    int32_t FDone = 0;
    std::array<int32_t, 5> FGrades{};
    std::mt19937 FRandom{std::random_device{}()};
    sqlite3* FDb;
};
