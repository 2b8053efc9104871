// A delete near the start of a large dictionary renumbers nearly every entry and takes seconds.
// Meanwhile the program shows its wait window; these benchmarks measure how long the window
// system's requests (expose, paint) wait to be handled during such a delete: with the wait window
// kept drawn, and, as a baseline, with the delete simply run after the window was shown.

#include "BenchData.h"

#include "widgets/TMessageForm.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloConnection.h"
#include "store/TVexloTable.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

QString DeleteBenchFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-delete-%1.db").arg(Count);
    if (!QFileInfo::exists(Path))
        WriteBenchDataFile(Path, Count, [](int ID) {
            TBenchEntry Entry;
            Entry.English = QByteArray("w") + QByteArray::number(ID).rightJustified(7, '0');
            Entry.Bulgarian = "дума";
            Entry.Level = ID % 10;
            return Entry;
        });
    return Path;
}

// An event posted from another thread every few milliseconds, as the window system's requests
// arrive; the receiver notes how long each waited for the main thread.
struct TStampEvent : QEvent
{
    TStampEvent() : QEvent(QEvent::User), Posted(std::chrono::steady_clock::now()) {}
    std::chrono::steady_clock::time_point Posted;
};

class TWaitMeter : public QObject
{
public:
    double LongestMs = 0;
    bool event(QEvent* Event) override
    {
        if (Event->type() != QEvent::User)
            return QObject::event(Event);
        const auto Waited = std::chrono::steady_clock::now() - static_cast<TStampEvent*>(Event)->Posted;
        LongestMs = std::max(LongestMs, std::chrono::duration<double, std::milli>(Waited).count());
        return true;
    }
};

template <typename TDelete> void RunDelete(benchmark::State& State, TDelete Delete)
{
    EnsureBenchApplication();
    const int Count = static_cast<int>(State.range(0));
    const QString Base = DeleteBenchFile(Count);
    const QString Work = QStringLiteral("/tmp/vexlo-bench-delete-work.db");
    double Longest = 0;
    for (auto _ : State) {
        State.PauseTiming();
        QFile::remove(Work);
        QFile::copy(Base, Work);
        auto Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Messages;
        Store->OpenDataFile(Work, Messages);
        Store->ADOTable->Locate("ID", 2, 0);
        TWaitMeter Meter;
        std::atomic<bool> Running = true;
        std::thread Poster([&] {
            while (Running) {
                QCoreApplication::postEvent(&Meter, new TStampEvent);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        State.ResumeTiming();
        Delete(*Store);
        State.PauseTiming();
        Running = false;
        Poster.join();
        QCoreApplication::processEvents();
        Longest = std::max(Longest, Meter.LongestMs);
        Store.reset();
        State.ResumeTiming();
    }
    State.counters["longest_wait_ms"] = Longest;
}

// The delete as the main window runs it.
void BM_DeleteNearStart_WaitWindowKeptDrawn(benchmark::State& State)
{
    RunDelete(State, [](TScreenSaverDataModule& Store) {
        TMessageForm Form(nullptr, QStringLiteral("Please wait for a moment"));
        Form.ShowPainted();
        Form.KeepPaintedDuring(Store.ADOConnection, [&] { Store.DeleteCurrentEntry(); });
    });
}

// Baseline: the window shown, one round of events, then the delete alone.
void BM_DeleteNearStart_WaitWindowShownOnly(benchmark::State& State)
{
    RunDelete(State, [](TScreenSaverDataModule& Store) {
        TMessageForm Form(nullptr, QStringLiteral("Please wait for a moment"));
        Form.show();
        QCoreApplication::processEvents();
        Store.DeleteCurrentEntry();
    });
}

} // namespace

BENCHMARK(BM_DeleteNearStart_WaitWindowKeptDrawn)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteNearStart_WaitWindowShownOnly)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
