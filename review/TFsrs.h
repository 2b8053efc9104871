#pragma once

#include <array>
#include <cstdint>
#include <functional>

// The grades of an answer.
enum class TGrade
{
    grAgain = 1,
    grHard = 2,
    grGood = 3,
    grEasy = 4
};

// What the scheduler knows of one entry. Times are milliseconds since 1970-01-01 UTC.
struct TMemoryState
{
    enum TPhase
    {
        phNew = 0,
        phReview = 2
    };
    double Stability = 0;  // days until recall falls to 90 %
    double Difficulty = 0; // 1..10
    int64_t Due = 0;
    int64_t LastReview = 0; // 0 before the first answer
    int32_t Reps = 0;
    int32_t Lapses = 0;
    int32_t Phase = phNew;
    int32_t ScheduledDays = 0;
};

struct TFsrsParameters
{
    // The published default weights of FSRS-6 (w0..w20; w20 is the decay of the forgetting curve).
    static constexpr std::array<double, 21> DefaultWeights = {
        0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001,  1.8722, 0.1666, 0.796,
        1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
    std::array<double, 21> W = DefaultWeights;
    double DesiredRetention = 0.9; // 0 < r <= 1
    int32_t MaximumInterval = 36500; // days
    bool Fuzz = true;
};

// The FSRS-6 scheduler in whole days: every answer, the first included, gives an interval of at
// least one day (no same-day learning steps). Difficulty and stability follow the model's
// formulas; the four intervals of one answer are kept in order (Again < Hard < Good < Easy) and,
// with fuzz on, spread a little so that words learnt together do not stay together.
class TFsrs
{
public:
    explicit TFsrs(const TFsrsParameters& Parameters = {});

    const TFsrsParameters& Parameters() const { return FParameters; }
    // The state after answering Grade at time Now (not before the last review). ElapsedDays,
    // when given, gets the whole days since the last review as the model counts them.
    TMemoryState Next(const TMemoryState& State, int64_t Now, TGrade Grade,
                      int32_t* ElapsedDays = nullptr) const;
    // The probability of recall after ElapsedDays at stability Stability.
    double Retrievability(double ElapsedDays, double Stability) const;
    // Calendar days (UTC) from the day of From to the day of To.
    static int32_t DaysBetween(int64_t From, int64_t To);
    // Where fuzz draws from: numbers in [0, 1). The default is a generator seeded at random.
    void SetRandom(std::function<double()> Random) { FRandom = std::move(Random); }

    static constexpr int64_t MsPerDay = 86'400'000;

private:
    double InitDifficulty(int G) const;
    double InitStability(int G) const;
    double NextDifficulty(double D, int G) const;
    double RecallStability(double D, double S, double R, int G) const;
    double ForgetStability(double D, double S, double R) const;
    int32_t Interval(double S, int32_t ElapsedDays) const;

    TFsrsParameters FParameters;
    double FDecay;
    double FFactor;
    double FIntervalModifier;
    std::function<double()> FRandom;
};
