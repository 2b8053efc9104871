#pragma once

#include <array>
#include <cstdint>

struct sqlite3;

// What the review has done and will do, for the progress report: words due on each of the next
// 31 days (today first, overdue ones counted today), answers on each of the last 90 days (today
// last), and the share of reviewed words recalled (answers other than Again to words seen before)
// over those 90 days, against the desired retention.
struct TReviewProgress
{
    std::array<int64_t, 31> DueByDay{};
    std::array<int64_t, 90> AnswersByDay{};
    int64_t Recalled = 0;
    int64_t Reviewed = 0; // answers to words seen before, the base of the retention
    double DesiredRetention = 0.9;

    // Reads the figures from the review's tables in Schema; Today is the start of today (ms).
    static TReviewProgress Read(sqlite3* Db, const char* Schema, int64_t Today,
                                double DesiredRetention);
};
