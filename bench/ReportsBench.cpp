// The two report pages on large dictionaries: the statistics page, the listing page built in
// memory, and the listing shown in the report window (with its resident memory).

#include "bench/BenchData.h"
#include "reports/TInformationForm.h"
#include "reports/TPageView.h"
#include "widgets/TProgressForm.h"
#include "reports/TReportPages.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloTable.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

namespace {

// A data file under /tmp with Count entries of realistic size: words of 3..12 letters over the
// whole alphabet, a transcription and one or two lines of Bulgarian.
QString BenchDataFile(int Count)
{
    const QString Path = QStringLiteral("/tmp/vexlo-bench-reports-%1.db").arg(Count);
    if (QFileInfo::exists(Path))
        return Path;
    std::mt19937 Random(42);
    auto Letters = [&Random](int From, int Span, int Length) {
        QString Text;
        for (int I = 0; I < Length; ++I)
            Text += QChar(From + int(Random() % Span));
        return Text;
    };
    WriteBenchDataFile(Path, Count, [&](int) {
        TBenchEntry Entry;
        Entry.English = Letters('a', 26, 3 + int(Random() % 10)).toUtf8();
        Entry.Transcription = (Letters(0x250, 0x50, 7) + QChar(0x2CB)).toUtf8();
        QString Bulg = Letters(0x430, 32, 6 + int(Random() % 8));
        if (Random() % 2)
            Bulg += QStringLiteral("\r\n") + Letters(0x430, 32, 10);
        Entry.Bulgarian = Bulg.toUtf8();
        Entry.Level = int(Random() % 10);
        return Entry;
    });
    return Path;
}

// One open store per data file, kept for the whole run (the program has one store too).
TScreenSaverDataModule& OpenStore(int Count)
{
    static std::unique_ptr<TScreenSaverDataModule> Store;
    static int OpenCount = -1;
    if (!Store)
        Store = std::make_unique<TScreenSaverDataModule>();
    if (OpenCount != Count) {
        Store->CloseData();
        Store->FMaxID = -1;
        QStringList Messages;
        Store->OpenDataFile(BenchDataFile(Count), Messages);
        OpenCount = Count;
    }
    return *Store;
}

QApplication& App()
{
    static int Argc = 1;
    static char Name[] = "vexlo-bench";
    static char* Argv[] = {Name, nullptr};
    // Never destroyed: destroying it while the program exits runs after Qt's own clean-up.
    static QApplication* Instance = nullptr;
    if (!Instance) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        Instance = new QApplication(Argc, Argv);
    }
    return *Instance;
}

long ResidentKiB(const char* Key)
{
    QFile Status(QStringLiteral("/proc/self/status"));
    if (!Status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& Line : Status.readAll().split('\n')) {
        if (Line.startsWith(Key))
            return Line.mid(int(qstrlen(Key))).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void BM_StatisticsPage(benchmark::State& State)
{
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    TVexloTable Table(Store.ADOConnection);
    Table.Open();
    for (auto _ : State) {
        QByteArray Page = BuildStatisticsPage(*ScreenSaverDataModule, Table, QStringLiteral("/tmp/english.db"));
        benchmark::DoNotOptimize(Page);
    }
}
BENCHMARK(BM_StatisticsPage)->Arg(100000)->Unit(benchmark::kMillisecond);

// The report window's own table opened on the store's connection (done once per report).
void BM_ReportTableOpen(benchmark::State& State)
{
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    for (auto _ : State) {
        TVexloTable Table(Store.ADOConnection);
        Table.Open();
        benchmark::DoNotOptimize(Table.RecordCount());
    }
}
BENCHMARK(BM_ReportTableOpen)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The listing built in memory (in the compact form the report window keeps), with the per-entry
// check the progress window makes (a clock read). page_MB is the size of the page's bytes,
// kept_MB what the compact form holds for them.
void BM_PreviewPage(benchmark::State& State)
{
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    qint64 Bytes = 0;
    qint64 Kept = 0;
    for (auto _ : State) {
        State.PauseTiming();
        TVexloTable Table(Store.ADOConnection); // a fresh table: nothing cached yet
        Table.Open();
        QElapsedTimer Clock;
        Clock.start();
        State.ResumeTiming();
        TPageBlocks Page = BuildPreviewBlocks(Table, [&Clock](int) { return Clock.elapsed() >= 0; });
        Bytes = Page.PageSize();
        Kept = Page.KeptSize();
        benchmark::DoNotOptimize(Page);
    }
    State.counters["page_MB"] = double(Bytes) / 1e6;
    State.counters["kept_MB"] = double(Kept) / 1e6;
}
BENCHMARK(BM_PreviewPage)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The page's bytes written out from the compact form (Save as HTML, the golden pages).
void BM_PreviewPageBytes(benchmark::State& State)
{
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    TVexloTable Table(Store.ADOConnection);
    Table.Open();
    const TPageBlocks Blocks = BuildPreviewBlocks(Table, {});
    for (auto _ : State) {
        QByteArray Page = Blocks.Page();
        benchmark::DoNotOptimize(Page);
    }
}
BENCHMARK(BM_PreviewPageBytes)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same build as the report window runs it: the progress window on screen, its bar advanced
// and events processed between entries (at most every TProgressForm::EventIntervalMs).
void BM_PreviewPageWithProgress(benchmark::State& State)
{
    App();
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    for (auto _ : State) {
        State.PauseTiming();
        TVexloTable Table(Store.ADOConnection);
        Table.Open();
        State.ResumeTiming();
        TProgressForm Progress;
        Progress.Start(Store.GetMaxID());
        TPageBlocks Page = BuildPreviewBlocks(Table, [&Progress](int Done) {
            if (Done)
                Progress.StepIt();
            return !Progress.Stopped;
        });
        benchmark::DoNotOptimize(Page);
    }
}
BENCHMARK(BM_PreviewPageWithProgress)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// From the command to the listing painted in the report window: the window with its table, the
// progress window, the page, the view's document and its first paint.
void BM_PreviewShown(benchmark::State& State)
{
    App();
    OpenStore(int(State.range(0)));
    for (auto _ : State) {
        auto Form = std::make_unique<TInformationForm>(*ScreenSaverDataModule);
        Form->LoadPreview();
        Form->show();
        Form->WebBrowser->viewport()->repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(Form->WebBrowser->VisibleBlockCount());
        State.PauseTiming();
        State.counters["rss_MB"] = double(ResidentKiB("VmRSS:")) / 1024.0;
        State.counters["peak_rss_MB"] = double(ResidentKiB("VmHWM:")) / 1024.0;
        Form.reset(); // closing the window is not part of showing it
        State.ResumeTiming();
    }
}
BENCHMARK(BM_PreviewShown)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// From a built page to its first screen painted in the report window: the window with its table,
// the page handed to the view, the window shown and painted. This is the part that grew with the
// dictionary when the whole page went into one document.
void BM_PreviewFirstScreen(benchmark::State& State)
{
    App();
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    for (auto _ : State) {
        State.PauseTiming();
        TPageBlocks Page;
        {
            TVexloTable Table(Store.ADOConnection);
            Table.Open();
            Page = BuildPreviewBlocks(Table, {});
        }
        State.counters["page_MB"] = double(Page.PageSize()) / (1 << 20);
        State.counters["rss_built_MB"] = double(ResidentKiB("VmRSS:")) / 1024.0;
        State.ResumeTiming();
        auto Form = std::make_unique<TInformationForm>(*ScreenSaverDataModule);
        Form->resize(700, Form->height());
        Form->LoadBlocks(Page);
        Page = TPageBlocks(); // the window holds the only copy, as after a real build
        Form->show();
        Form->WebBrowser->viewport()->repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(Form->WebBrowser->VisibleBlockCount());
        State.PauseTiming();
        State.counters["rss_MB"] = double(ResidentKiB("VmRSS:")) / 1024.0;
        State.counters["peak_rss_MB"] = double(ResidentKiB("VmHWM:")) / 1024.0;
        Form.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_PreviewFirstScreen)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The page read from top to bottom by Page Down at 100K entries; each iteration is one page, laid
// out and painted. max_ms is the slowest page. The argument is the time in milliseconds the
// program gets between two presses (key repeat gives about 30; 0 leaves it none, so every page
// is laid out only when it is asked for).
void BM_PreviewScrollByPages(benchmark::State& State)
{
    App();
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    auto Form = std::make_unique<TInformationForm>(*ScreenSaverDataModule);
    Form->resize(700, Form->height());
    {
        TVexloTable Table(Store.ADOConnection);
        Table.Open();
        Form->LoadBlocks(BuildPreviewBlocks(Table, {}));
    }
    Form->show();
    QCoreApplication::processEvents();
    TPageView* View = Form->WebBrowser;
    QKeyEvent PageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    double Slowest = 0;
    long Pages = 0;
    QElapsedTimer Clock;
    for (auto _ : State) {
        if (View->verticalScrollBar()->value() >= View->verticalScrollBar()->maximum()) {
            State.PauseTiming();
            View->SetPage(View->Blocks()); // from the top again, nothing laid out
            State.ResumeTiming();
        }
        Clock.start();
        QCoreApplication::sendEvent(View, &PageDown);
        View->viewport()->repaint();
        Slowest = qMax(Slowest, Clock.nsecsElapsed() / 1e6);
        ++Pages;
        if (State.range(1) > 0) {
            State.PauseTiming();
            QElapsedTimer Idle;
            Idle.start();
            while (Idle.elapsed() < State.range(1))
                QCoreApplication::processEvents();
            State.ResumeTiming();
        }
    }
    State.counters["max_ms"] = Slowest;
    State.counters["pages"] = double(Pages);
}
BENCHMARK(BM_PreviewScrollByPages)
    ->Args({100000, 0})
    ->Args({100000, 30})
    ->Unit(benchmark::kMillisecond);

// Select All and Copy in the report window: the whole page's text.
void BM_PreviewCopyAll(benchmark::State& State)
{
    App();
    TScreenSaverDataModule& Store = OpenStore(int(State.range(0)));
    auto Form = std::make_unique<TInformationForm>(*ScreenSaverDataModule);
    {
        TVexloTable Table(Store.ADOConnection);
        Table.Open();
        Form->LoadBlocks(BuildPreviewBlocks(Table, {}));
    }
    Form->WebBrowser->SelectAll();
    for (auto _ : State) {
        const QString Text = Form->WebBrowser->SelectedText();
        benchmark::DoNotOptimize(Text.size());
    }
}
BENCHMARK(BM_PreviewCopyAll)->Arg(100000)->Unit(benchmark::kMillisecond);

// Stop pressed in the middle of building a 100K listing: from the click until the report window
// shows its first screen with the entries done.
void BM_PreviewStopLatency(benchmark::State& State)
{
    App();
    OpenStore(int(State.range(0)));
    for (auto _ : State) {
        auto Form = std::make_unique<TInformationForm>(*ScreenSaverDataModule);
        QElapsedTimer SinceClick;
        QTimer::singleShot(150, [&SinceClick] {
            if (ProgressForm) {
                SinceClick.start();
                ProgressForm->StopBitBtn->click();
            }
        });
        Form->LoadPreview();
        Form->show();
        Form->WebBrowser->viewport()->repaint();
        QCoreApplication::processEvents();
        const double Latency = SinceClick.isValid() ? SinceClick.nsecsElapsed() / 1e6 : -1;
        State.SetIterationTime(Latency / 1e3);
        State.counters["latency_ms"] = Latency;
        State.PauseTiming();
        Form.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_PreviewStopLatency)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole wait the user sees: from the menu command to the report window's first screen
// painted (the window with its table, the progress window, the build as far as it has to go,
// the first paint). whole_s is the time until the build is over. The second argument 0 runs the
// command the way it ran before the window was shown early: the whole page built first.
class TFirstPaintWatcher : public QObject
{
public:
    QElapsedTimer* Clock = nullptr;
    double FirstPaintMs = -1;
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint && FirstPaintMs < 0)
            if (auto* Viewport = qobject_cast<QWidget*>(Watched))
                if (auto* View = qobject_cast<TPageView*>(Viewport->parentWidget());
                    View && View->viewport() == Viewport && View->VisibleBlockCount() > 0)
                    FirstPaintMs = Clock->nsecsElapsed() / 1e6;
        return false;
    }
};

void BM_PreviewMenuToFirstScreen(benchmark::State& State)
{
    App();
    OpenStore(int(State.range(0)));
    const bool Early = State.range(1) != 0;
    for (auto _ : State) {
        QElapsedTimer Clock;
        TFirstPaintWatcher Watcher;
        Watcher.Clock = &Clock;
        double WholeMs = -1;
        double ResidentMB = 0;
        QTimer Closer;
        QObject::connect(&Closer, &QTimer::timeout, [&] {
            if (Watcher.FirstPaintMs >= 0 && ResidentMB == 0)
                ResidentMB = double(ResidentKiB("VmRSS:")) / 1024.0;
            if (ProgressForm || Watcher.FirstPaintMs < 0)
                return;
            for (QWidget* W : QApplication::topLevelWidgets())
                if (auto* Form = qobject_cast<TInformationForm*>(W); Form && Form->isVisible()) {
                    WholeMs = Clock.nsecsElapsed() / 1e6;
                    Form->close();
                }
        });
        Closer.start(1);
        qApp->installEventFilter(&Watcher);
        Clock.start();
        if (Early) {
            TInformationForm::ShowPreview(nullptr, *ScreenSaverDataModule);
        } else {
            TInformationForm Form(*ScreenSaverDataModule);
            if (Form.LoadPreview())
                Form.exec();
        }
        qApp->removeEventFilter(&Watcher);
        State.SetIterationTime(Watcher.FirstPaintMs / 1e3);
        State.counters["whole_s"] = WholeMs / 1e3;
        State.counters["rss_first_MB"] = ResidentMB;
    }
}
BENCHMARK(BM_PreviewMenuToFirstScreen)
    ->Args({100000, 1})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

} // namespace
