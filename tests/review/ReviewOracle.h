#pragma once

#include "review/TFsrs.h"

#include <QString>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

// One grade sequence for the reference scheduler: answers at times (ms since 1970, UTC).
struct TOracleCase
{
    double Retention = 0.9;
    int32_t Maximum = 36500;
    std::vector<std::pair<int64_t, int>> Reviews;
};

// The reference scheduler's card after one answer.
struct TOracleStep
{
    double Stability = 0;
    double Difficulty = 0;
    int64_t Due = 0;
    int32_t Interval = 0;
    int32_t Reps = 0;
    int32_t Lapses = 0;
    int32_t Elapsed = 0;
};

// Where the reference scheduler (ts-fsrs, run by Node) is: tools/fsrs-oracle.sh installs it into
// the build folder. Empty Why means it can run; otherwise Why says what is missing.
struct TOracle
{
    QString Node;
    QString Script;
    std::string Why;
    bool NodeMissing = false;
    static TOracle Find();
    // Runs every case in one Node process; fails the test (and returns nothing) on trouble.
    std::vector<std::vector<TOracleStep>> Run(const std::vector<TOracleCase>& Cases) const;
};

// Declares Oracle, the reference scheduler found: the test is skipped where Node itself is missing
// and fails where Node is there but the scheduler is not installed.
#define FIND_ORACLE(Oracle)                                                                        \
    const TOracle Oracle = TOracle::Find();                                                        \
    if (Oracle.NodeMissing)                                                                        \
        GTEST_SKIP() << Oracle.Why;                                                                \
    ASSERT_TRUE(Oracle.Why.empty()) << Oracle.Why

// The answers given to each English word (grade and time) were saved in the data file at Path:
// its VexloReview and VexloReviewLog hold what the reference scheduler gives for them.
void ExpectFileMatchesOracle(const QString& Path, const std::map<QString, TOracleCase>& Given,
                             const TOracle& Oracle);

// Random grade sequences from Seed: gaps from a few minutes to months, same-day answers, early
// and late answers, every retention and maximum interval in the table.
std::vector<TOracleCase> RandomCases(uint32_t Seed, int Count, int MaxLength);
