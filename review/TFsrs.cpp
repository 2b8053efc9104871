#include "review/TFsrs.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>

namespace {

constexpr double StabilityMin = 0.001;
constexpr double StabilityMax = 36500;

// The model's published values are kept to eight decimals at each step; doing the same keeps
// long sequences from drifting apart by rounding.
double Round8(double V)
{
    return std::round(V * 1e8) / 1e8;
}

// Rounds halves up, as the model's interval rule does (2.5 days is 3).
int64_t RoundHalfUp(double V)
{
    return static_cast<int64_t>(std::floor(V + 0.5));
}

} // namespace

TFsrs::TFsrs(const TFsrsParameters& Parameters) : FParameters(Parameters)
{
    if (!(FParameters.DesiredRetention > 0 && FParameters.DesiredRetention <= 1))
        throw std::invalid_argument("the desired retention must be above 0 and at most 1");
    FParameters.MaximumInterval = std::max(1, FParameters.MaximumInterval);
    FDecay = -FParameters.W[20];
    FFactor = Round8(std::exp(std::log(0.9) / FDecay) - 1);
    FIntervalModifier =
        Round8((std::pow(FParameters.DesiredRetention, 1 / FDecay) - 1) / FFactor);
    auto Engine = std::make_shared<std::mt19937_64>(std::random_device{}());
    FRandom = [Engine] { return std::uniform_real_distribution<double>(0, 1)(*Engine); };
}

int32_t TFsrs::DaysBetween(int64_t From, int64_t To)
{
    auto Day = [](int64_t T) { return T >= 0 ? T / MsPerDay : -((-T + MsPerDay - 1) / MsPerDay); };
    return static_cast<int32_t>(Day(To) - Day(From));
}

double TFsrs::Retrievability(double ElapsedDays, double Stability) const
{
    return Round8(std::pow(1 + FFactor * ElapsedDays / Stability, FDecay));
}

double TFsrs::InitDifficulty(int G) const
{
    return Round8(FParameters.W[4] - std::exp((G - 1) * FParameters.W[5]) + 1);
}

double TFsrs::InitStability(int G) const
{
    return std::max(FParameters.W[static_cast<size_t>(G - 1)], 0.1);
}

double TFsrs::NextDifficulty(double D, int G) const
{
    const auto& W = FParameters.W;
    const double Delta = -W[6] * (G - 3);
    // Linear damping: the closer to 10, the smaller the step.
    const double Damped = D + Round8(Delta * (10 - D) / 9);
    // Mean reversion towards the difficulty of a first Easy.
    const double Reverted = Round8(W[7] * InitDifficulty(4) + (1 - W[7]) * Damped);
    return std::clamp(Reverted, 1.0, 10.0);
}

double TFsrs::RecallStability(double D, double S, double R, int G) const
{
    const auto& W = FParameters.W;
    const double HardPenalty = G == 2 ? W[15] : 1;
    const double EasyBonus = G == 4 ? W[16] : 1;
    const double Next = S * (1 + std::exp(W[8]) * (11 - D) * std::pow(S, -W[9]) *
                                     (std::exp((1 - R) * W[10]) - 1) * HardPenalty * EasyBonus);
    return Round8(std::clamp(Next, StabilityMin, StabilityMax));
}

double TFsrs::ForgetStability(double D, double S, double R) const
{
    const auto& W = FParameters.W;
    const double Next = W[11] * std::pow(D, -W[12]) * (std::pow(S + 1, W[13]) - 1) *
                        std::exp((1 - R) * W[14]);
    return Round8(std::clamp(Next, StabilityMin, StabilityMax));
}

int32_t TFsrs::Interval(double S, int32_t ElapsedDays) const
{
    const int64_t Max = FParameters.MaximumInterval;
    const int64_t Plain = std::min<int64_t>(std::max<int64_t>(1, RoundHalfUp(S * FIntervalModifier)), Max);
    if (!FParameters.Fuzz || Plain < 2.5)
        return static_cast<int32_t>(Plain);
    // The spread grows with the interval: 15 % of the part between 2.5 and 7 days, 10 % up to
    // 20 days, 5 % beyond.
    struct TRange
    {
        double Start, End, Factor;
    };
    static constexpr TRange Ranges[] = {{2.5, 7, 0.15}, {7, 20, 0.1}, {20, 1e300, 0.05}};
    double Delta = 1;
    for (const TRange& Range : Ranges)
        Delta += Range.Factor * std::max(std::min<double>(Plain, Range.End) - Range.Start, 0.0);
    int64_t Low = std::max<int64_t>(2, RoundHalfUp(Plain - Delta));
    const int64_t High = std::min<int64_t>(RoundHalfUp(Plain + Delta), Max);
    if (Plain > ElapsedDays)
        Low = std::max<int64_t>(Low, ElapsedDays + 1);
    Low = std::min(Low, High);
    const double Draw = std::clamp(FRandom(), 0.0, 0.999999999);
    return static_cast<int32_t>(std::floor(Draw * static_cast<double>(High - Low + 1)) + Low);
}

TMemoryState TFsrs::Next(const TMemoryState& State, int64_t Now, TGrade Grade,
                         int32_t* ElapsedDays) const
{
    const int G = static_cast<int>(Grade);
    if (G < 1 || G > 4)
        throw std::invalid_argument("a grade is 1 to 4");
    const bool First = State.Phase == TMemoryState::phNew || State.LastReview == 0;
    if (!First && Now < State.LastReview)
        throw std::invalid_argument("an answer cannot come before the last one");
    const int32_t Elapsed = First ? 0 : DaysBetween(State.LastReview, Now);
    if (ElapsedDays)
        *ElapsedDays = Elapsed;

    // The state each grade would give; the intervals are then put in order.
    std::array<double, 5> D{}, S{};
    if (First) {
        for (int Q = 1; Q <= 4; ++Q) {
            D[Q] = std::clamp(InitDifficulty(Q), 1.0, 10.0);
            S[Q] = InitStability(Q);
        }
    } else {
        const double R = Retrievability(Elapsed, State.Stability);
        for (int Q = 1; Q <= 4; ++Q)
            D[Q] = NextDifficulty(State.Difficulty, Q);
        S[1] = std::clamp(State.Stability, StabilityMin,
                          ForgetStability(State.Difficulty, State.Stability, R));
        for (int Q = 2; Q <= 4; ++Q)
            S[Q] = RecallStability(State.Difficulty, State.Stability, R, Q);
    }
    std::array<int32_t, 5> I{};
    for (int Q = 1; Q <= 4; ++Q)
        I[Q] = Interval(S[Q], Elapsed);
    I[1] = std::min(I[1], I[2]);
    I[2] = std::max(I[2], I[1] + 1);
    I[3] = std::max(I[3], I[2] + 1);
    I[4] = std::max(I[4], I[3] + 1);

    TMemoryState Result = State;
    Result.Difficulty = D[G];
    Result.Stability = S[G];
    Result.ScheduledDays = I[G];
    Result.Due = Now + int64_t(I[G]) * MsPerDay;
    Result.LastReview = Now;
    Result.Reps = State.Reps + 1;
    if (!First && G == 1)
        Result.Lapses = State.Lapses + 1;
    Result.Phase = TMemoryState::phReview;
    return Result;
}
