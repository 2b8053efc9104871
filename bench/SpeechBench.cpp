// Pronunciation: a suggested transcription per word beside espeak-ng's own phoneme translation
// (the raw baseline: everything but the conversion), and the time from Speak to the first
// samples that are not silence, in a fresh process (the library loads on that first Speak) and
// with the library already loaded. Sound goes to memory; opening a sound device is not part of
// the figures. espeak-ng 1.51 cannot be unloaded and loaded again in one process (its
// espeak_Terminate waits forever), so each cold round is a new run of this program.

#include "bench/BenchData.h"
#include "speech/TSpeaker.h"
#include "speech/TSpeechEngine.h"
#include "speech/TTranscription.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Words of the sample vocabulary, from one syllable to six, and two phrases.
const char* const Words[] = {"book",       "water",         "question",       "environment",
                             "achieve",    "pusillanimous", "idiosyncrasy",   "ice cream",
                             "look after", "recalcitrant",  "sesquipedalian", "threat"};

void BM_SuggestTranscription(benchmark::State& State)
{
    TSpeechEngine::Available();
    size_t I = 0;
    for (auto _ : State) {
        const QString T = TTranscription::Suggest(QString::fromUtf8(Words[I++ % std::size(Words)]),
                                                  TSpeechVoice::British);
        benchmark::DoNotOptimize(T);
    }
    State.SetLabel("per word");
}
BENCHMARK(BM_SuggestTranscription)->Unit(benchmark::kMicrosecond);

void BM_RawEspeakPhonemes(benchmark::State& State)
{
    TSpeechEngine::Available();
    size_t I = 0;
    for (auto _ : State) {
        const QString T = TSpeechEngine::Phonemes(QString::fromUtf8(Words[I++ % std::size(Words)]),
                                                  TSpeechVoice::British);
        benchmark::DoNotOptimize(T);
    }
    State.SetLabel("per word, raw");
}
BENCHMARK(BM_RawEspeakPhonemes)->Unit(benchmark::kMicrosecond);

// Notes the moment the first sample louder than a whisper arrives.
class TFirstSoundOutput final : public TAudioOutput
{
public:
    using TClock = std::chrono::steady_clock;
    struct TShared
    {
        std::mutex Lock;
        std::condition_variable Heard;
        bool Done = false;
        TClock::time_point At;
    };
    explicit TFirstSoundOutput(TShared& S) : FS(S) {}
    bool Open(int, QString&) override { return true; }
    bool Write(const int16_t* Samples, int Count) override
    {
        for (int I = 0; I < Count; ++I)
            if (std::abs(int(Samples[I])) > 1000) {
                std::lock_guard Guard(FS.Lock);
                if (!FS.Done) {
                    FS.Done = true;
                    FS.At = TClock::now();
                    FS.Heard.notify_all();
                }
                break;
            }
        return true;
    }
    void Finish() override {}
    void Stop() override {}

private:
    TShared& FS;
};

// Seconds from Speak to the first loud sample.
double TimeToFirstSound(TSpeaker& Speaker, TFirstSoundOutput::TShared& Shared)
{
    {
        std::lock_guard Guard(Shared.Lock);
        Shared.Done = false;
    }
    const auto Start = TFirstSoundOutput::TClock::now();
    Speaker.Speak(QStringLiteral("pronunciation"), TSpeechVoice::British);
    std::unique_lock Guard(Shared.Lock);
    Shared.Heard.wait(Guard, [&] { return Shared.Done; });
    const double Seconds = std::chrono::duration<double>(Shared.At - Start).count();
    Guard.unlock();
    // Let the rest of the word go before the next round.
    while (Speaker.IsSpeaking())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Seconds;
}

// A fresh run of this program measures its first Speak and prints the seconds.
const bool ColdChild = [] {
    if (qEnvironmentVariableIsEmpty("VEXLO_BENCH_COLD_SPEAK"))
        return false;
    EnsureBenchApplication();
    TFirstSoundOutput::TShared Shared;
    {
        TSpeaker Speaker;
        Speaker.SetOutputFactory([&] { return std::make_unique<TFirstSoundOutput>(Shared); });
        std::printf("%.9f\n", TimeToFirstSound(Speaker, Shared));
        std::fflush(stdout);
    }
    std::_Exit(0);
}();

void BM_FirstSpeakAudible_Cold(benchmark::State& State)
{
    for (auto _ : State) {
        int Pipe[2];
        if (pipe(Pipe) != 0) {
            State.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t Actions;
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_adddup2(&Actions, Pipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&Actions, Pipe[0]);
        std::vector<std::string> Env;
        for (char** E = environ; *E; ++E)
            Env.emplace_back(*E);
        Env.emplace_back("VEXLO_BENCH_COLD_SPEAK=1");
        std::vector<char*> EnvP;
        for (std::string& E : Env)
            EnvP.push_back(E.data());
        EnvP.push_back(nullptr);
        char Self[] = "/proc/self/exe";
        char* Argv[] = {Self, nullptr};
        pid_t Child = 0;
        const int Spawned = posix_spawn(&Child, Self, &Actions, nullptr, Argv, EnvP.data());
        posix_spawn_file_actions_destroy(&Actions);
        close(Pipe[1]);
        std::string Out;
        char Buffer[64];
        for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
            Out.append(Buffer, size_t(N));
        close(Pipe[0]);
        int Status = 0;
        if (Spawned == 0)
            waitpid(Child, &Status, 0);
        if (Spawned != 0 || Out.empty()) {
            State.SkipWithError("the measuring run failed");
            return;
        }
        State.SetIterationTime(std::atof(Out.c_str()));
    }
}
BENCHMARK(BM_FirstSpeakAudible_Cold)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_FirstSpeakAudible_Loaded(benchmark::State& State)
{
    EnsureBenchApplication();
    TSpeechEngine::Available();
    TSpeaker Speaker;
    TFirstSoundOutput::TShared Shared;
    Speaker.SetOutputFactory([&] { return std::make_unique<TFirstSoundOutput>(Shared); });
    for (auto _ : State)
        State.SetIterationTime(TimeToFirstSound(Speaker, Shared));
}
BENCHMARK(BM_FirstSpeakAudible_Loaded)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

} // namespace
