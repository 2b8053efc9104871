#pragma once

#include <QString>

#include <cstdio>
#include <random>

// The seed of a fuzz or randomized run: VEXLO_FUZZ_SEED when it is set, to replay a run that
// failed exactly, else a fresh one. Printed either way, so that every run can be replayed; the
// runs themselves go through a fixed number of cases, never "as many as fit in so much time".
inline unsigned FuzzSeed()
{
    bool Given = false;
    const unsigned FromEnv = qEnvironmentVariable("VEXLO_FUZZ_SEED").toUInt(&Given);
    const unsigned Seed = Given ? FromEnv : std::random_device{}();
    std::printf("VEXLO_FUZZ_SEED=%u%s\n", Seed, Given ? " (given)" : "");
    std::fflush(stdout);
    return Seed;
}
