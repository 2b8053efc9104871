// The reference dictionary (Debian's FreeDict English–Bulgarian, dict-freedict-eng-bul): loading
// its index (what the thread that loads it does, once per program run) with the memory it adds,
// and look-ups once it is loaded: a headword, one listed twice, an inflected form found through
// its base form, a phrase that falls back to its first word, and a word that is not there.

#include "bench/BenchData.h"
#include "reference/TReference.h"

#include <benchmark/benchmark.h>


#include <memory>

namespace {

void BM_ReferenceIndexLoad(benchmark::State& State)
{
    double Added = 0;
    for (auto _ : State) {
        State.PauseTiming();
        const double Before = double(ResidentBytes());
        auto Dictionary = std::make_unique<TReferenceDictionary>();
        State.ResumeTiming();
        QString Error;
        if (!Dictionary->Open(TReference::DefaultIndexPath(), &Error)) {
            State.SkipWithError(qPrintable(Error));
            return;
        }
        State.PauseTiming();
        Added = std::max(Added, double(ResidentBytes()) - Before);
        benchmark::DoNotOptimize(Dictionary->HeadwordCount());
        Dictionary.reset();
        State.ResumeTiming();
    }
    State.counters["added_MB"] = Added / (1024.0 * 1024.0);
}
BENCHMARK(BM_ReferenceIndexLoad)->Unit(benchmark::kMillisecond)->Iterations(10);

TReferenceDictionary* Loaded()
{
    static std::unique_ptr<TReferenceDictionary> Dictionary = [] {
        auto D = std::make_unique<TReferenceDictionary>();
        QString Error;
        if (!D->Open(TReference::DefaultIndexPath(), &Error))
            D.reset();
        return D;
    }();
    return Dictionary.get();
}

void BM_ReferenceLookUp(benchmark::State& State, const char* Word)
{
    TReferenceDictionary* D = Loaded();
    if (!D) {
        State.SkipWithError("dict-freedict-eng-bul is not installed");
        return;
    }
    const QString Text = QString::fromUtf8(Word);
    for (auto _ : State)
        benchmark::DoNotOptimize(D->LookUp(Text));
}
BENCHMARK_CAPTURE(BM_ReferenceLookUp, ubiquitous, "ubiquitous")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReferenceLookUp, house_twice, "house")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReferenceLookUp, inflected_houses, "houses")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReferenceLookUp, phrase_fallback, "ubiquitous people")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ReferenceLookUp, missing, "qwzxvbnm")->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// Words from all over the file, looked up in turn: more chunks than the reader keeps, so that
// every look-up inflates its dictzip chunk (about 58 KB) again: the cost of a first look-up.
void BM_ReferenceLookUpColdChunk(benchmark::State& State)
{
    TReferenceDictionary* D = Loaded();
    if (!D) {
        State.SkipWithError("dict-freedict-eng-bul is not installed");
        return;
    }
    const QStringList Words = {"abandon", "cabin", "eagle", "garden", "house",
                               "light",   "monkey", "river", "table", "ubiquitous", "zoology"};
    qsizetype I = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(D->LookUp(Words[I]));
        I = (I + 1) % Words.size();
    }
}
BENCHMARK(BM_ReferenceLookUpColdChunk)->Unit(benchmark::kMicrosecond);

} // namespace
