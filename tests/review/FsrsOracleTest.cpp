#include "ReviewOracle.h"

#include "review/TFsrs.h"

#include "tests/support/FuzzSeed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

void ExpectStep(const TMemoryState& Ours, int32_t Elapsed, const TOracleStep& Theirs,
                const std::string& Where)
{
    EXPECT_NEAR(Ours.Stability, Theirs.Stability, 1e-6 * std::max(1.0, Theirs.Stability)) << Where;
    EXPECT_NEAR(Ours.Difficulty, Theirs.Difficulty, 1e-6) << Where;
    EXPECT_EQ(Ours.Due, Theirs.Due) << Where;
    EXPECT_EQ(Ours.ScheduledDays, Theirs.Interval) << Where;
    EXPECT_EQ(Ours.Reps, Theirs.Reps) << Where;
    EXPECT_EQ(Ours.Lapses, Theirs.Lapses) << Where;
    EXPECT_EQ(Elapsed, Theirs.Elapsed) << Where;
}

} // namespace

// Our scheduler and the reference one give the same states and intervals for the same answers.
TEST(FsrsOracle, SameStatesAndIntervalsAsTheReference)
{
    FIND_ORACLE(Oracle);
    const uint32_t Seed = FuzzSeed();
    const std::vector<TOracleCase> Cases = RandomCases(Seed, 400, 16);
    const auto Expected = Oracle.Run(Cases);
    ASSERT_EQ(Expected.size(), Cases.size());
    for (size_t C = 0; C < Cases.size(); ++C) {
        TFsrsParameters Parameters;
        Parameters.DesiredRetention = Cases[C].Retention;
        Parameters.MaximumInterval = Cases[C].Maximum;
        Parameters.Fuzz = false;
        const TFsrs Scheduler(Parameters);
        TMemoryState State;
        ASSERT_EQ(Expected[C].size(), Cases[C].Reviews.size());
        for (size_t I = 0; I < Cases[C].Reviews.size(); ++I) {
            const auto [Time, Grade] = Cases[C].Reviews[I];
            int32_t Elapsed = -1;
            State = Scheduler.Next(State, Time, static_cast<TGrade>(Grade), &Elapsed);
            ExpectStep(State, Elapsed, Expected[C][I],
                       "case " + std::to_string(C) + " answer " + std::to_string(I));
        }
        if (HasFailure())
            FAIL() << "seed " << Seed;
    }
}

// Fuzz spreads intervals within the published ranges, never below the plain interval's floor,
// and the four grades stay in order; off, the same answers give the same days.
TEST(Fsrs, FuzzStaysInItsRangeAndCanBeSwitchedOff)
{
    const int64_t T0 = 1'700'000'000'000;
    TFsrsParameters Parameters;
    Parameters.Fuzz = false;
    const TFsrs Plain(Parameters);
    Parameters.Fuzz = true;
    TFsrs Fuzzy(Parameters);
    uint64_t Draws = 0;
    Fuzzy.SetRandom([&Draws] { return static_cast<double>((Draws++ * 37) % 100) / 100.0; });
    std::set<int32_t> Seen;
    TMemoryState First = Plain.Next({}, T0, TGrade::grGood);
    for (int I = 0; I < 100; ++I) {
        const int64_t Later = T0 + 20 * TFsrs::MsPerDay;
        const TMemoryState A = Plain.Next(First, Later, TGrade::grGood);
        const TMemoryState B = Fuzzy.Next(First, Later, TGrade::grGood);
        EXPECT_EQ(A.Stability, B.Stability);
        EXPECT_NEAR(B.ScheduledDays, A.ScheduledDays, 0.05 * A.ScheduledDays + 3);
        EXPECT_GE(B.ScheduledDays, 2);
        Seen.insert(B.ScheduledDays);
    }
    EXPECT_GT(Seen.size(), 3u);
    EXPECT_EQ(Plain.Next(First, T0 + 3 * TFsrs::MsPerDay, TGrade::grHard).ScheduledDays,
              Plain.Next(First, T0 + 3 * TFsrs::MsPerDay, TGrade::grHard).ScheduledDays);
}

TEST(Fsrs, RefusesWhatCannotBe)
{
    TFsrsParameters Parameters;
    Parameters.DesiredRetention = 0;
    EXPECT_THROW(TFsrs{Parameters}, std::invalid_argument);
    const TFsrs Scheduler;
    const TMemoryState S = Scheduler.Next({}, 2 * TFsrs::MsPerDay, TGrade::grGood);
    EXPECT_THROW(Scheduler.Next(S, TFsrs::MsPerDay, TGrade::grGood), std::invalid_argument);
    EXPECT_THROW(Scheduler.Next(S, 3 * TFsrs::MsPerDay, static_cast<TGrade>(5)), std::invalid_argument);
    // The maximum interval holds for every grade.
    Parameters.DesiredRetention = 0.9;
    Parameters.MaximumInterval = 5;
    Parameters.Fuzz = false;
    const TFsrs Short(Parameters);
    TMemoryState Easy;
    for (int I = 0; I < 6; ++I)
        Easy = Short.Next(Easy, (I + 1) * 40 * TFsrs::MsPerDay, TGrade::grEasy);
    EXPECT_LE(Easy.ScheduledDays, 5 + 3); // kept in order above Again, Hard and Good
}
