#pragma once

// A sound output that keeps the samples in memory, for tests of everything that speaks. Open can
// be held until the test lets go, to show that the speaking thread is the one that waits.

#include "speech/TAudioOutput.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

struct TRecording
{
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<int16_t> Samples;
    int Rate = 0;
    int Opened = 0;
    bool Finished = false;
    bool Stopped = false;
    bool Hold = false;

    void Release()
    {
        std::lock_guard Guard(Lock);
        Hold = false;
        Changed.notify_all();
    }
    double Seconds()
    {
        std::lock_guard Guard(Lock);
        return Rate > 0 ? double(Samples.size()) / Rate : 0.0;
    }
    int Peak()
    {
        std::lock_guard Guard(Lock);
        int Result = 0;
        for (int16_t S : Samples)
            Result = std::max(Result, std::abs(int(S)));
        return Result;
    }
};

class TMemoryOutput final : public TAudioOutput
{
public:
    explicit TMemoryOutput(TRecording& R) : FR(R) {}
    bool Open(int SampleRate, QString&) override
    {
        std::unique_lock Guard(FR.Lock);
        ++FR.Opened;
        FR.Rate = SampleRate;
        FR.Samples.clear();
        FR.Finished = false;
        FR.Changed.notify_all();
        FR.Changed.wait(Guard, [this] { return !FR.Hold; });
        return true;
    }
    bool Write(const int16_t* Samples, int Count) override
    {
        std::lock_guard Guard(FR.Lock);
        FR.Samples.insert(FR.Samples.end(), Samples, Samples + Count);
        return true;
    }
    void Finish() override
    {
        std::lock_guard Guard(FR.Lock);
        FR.Finished = true;
    }
    void Stop() override
    {
        std::lock_guard Guard(FR.Lock);
        FR.Stopped = true;
    }

private:
    TRecording& FR;
};

inline TAudioOutputFactory MemoryOutputFactory(TRecording& R)
{
    return [&R] { return std::make_unique<TMemoryOutput>(R); };
}
