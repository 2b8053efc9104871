// The screen-saver preview at the about box's size (168 x 132): composing a frame, a fade step and
// the clock with blended text and shadow effects, and the CPU the open about box costs.
#include "platform/TRegistry.h"
#include "platform/TickClock.h"
#include "preview/TAboutForm.h"
#include "preview/TPaintMachine.h"
#include "preview/VexloGraphics.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

namespace {

QApplication& App()
{
    static int Argc = 1;
    static char Name[] = "vexlo-bench";
    static char* Argv[] = {Name, nullptr};
    static QApplication* Instance = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(Argc, Argv);
    }();
    return *Instance;
}

// Settings (AlphaColors, Shadow = 2, a fade in 3 s, a picture background) and a small store.
struct TPreviewSetup
{
    QTemporaryDir Dir;
    std::unique_ptr<TScreenSaverDataModule> Store;
    TPreviewSetup()
    {
        App();
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toLocal8Bit());
        VexloGraphics::SetScreenOverride(QSize(1280, 1024), 24);
        const QString Back = Dir.filePath("back.bmp");
        QImage Picture(640, 480, QImage::Format_RGB32);
        for (int Y = 0; Y < 480; ++Y)
            for (int X = 0; X < 640; ++X)
                Picture.setPixel(X, Y, qRgb(X / 3, Y / 2, 120));
        Picture.save(Back, "BMP");
        const QString Data = Dir.filePath("words.db");
        TRegistry Registry;
        Registry.OpenKey(QString::fromLatin1(TRegInfo::KeyName), true);
        Registry.WriteString("DataFile", Data);
        Registry.WriteString("BackgroundFile", Back);
        for (const auto& [Name, Value] : {std::pair{"Wall", 2},
                                          {"AlphaColors", 1},
                                          {"Shadow", 2},
                                          {"ShowTime", 1},
                                          {"ShowAuthorName", 1},
                                          {"BGDelay", 3},
                                          {"Speed", 3}})
            Registry.WriteInteger(Name, Value);
        Store = std::make_unique<TScreenSaverDataModule>();
        TDataFileTool::CreateSampleDataFile(Data);
        QStringList Messages;
        Store->OpenDataFile(Data, Messages);
    }
    ~TPreviewSetup() { VexloGraphics::SetScreenOverride(QSize(), 0); }
};

} // namespace

static void BM_PreviewNextFrame(benchmark::State& State)
{
    TPreviewSetup Setup;
    TPaintMachine Machine(168, 132, Setup.Store.get());
    for (auto _ : State)
        Machine.NextFrame();
}
BENCHMARK(BM_PreviewNextFrame)->Unit(benchmark::kMillisecond);

static void BM_PreviewDrawFadeStep(benchmark::State& State)
{
    TPreviewSetup Setup;
    TPaintMachine Machine(168, 132, Setup.Store.get());
    Machine.Entry.BulgarianText = QStringLiteral("речник\r\nсловесен запас");
    Machine.NextFrame();
    Machine.Entry.BulgarianText = QStringLiteral("речник\r\nсловесен запас");
    int Step = 1;
    for (auto _ : State) {
        benchmark::DoNotOptimize(Machine.DrawFadeStep(Step));
        Step = Step % 14 + 1;
    }
}
BENCHMARK(BM_PreviewDrawFadeStep)->Unit(benchmark::kMillisecond);

static void BM_PreviewDrawClock(benchmark::State& State)
{
    TPreviewSetup Setup;
    TPaintMachine Machine(168, 132, Setup.Store.get());
    Machine.NextFrame();
    for (auto _ : State)
        benchmark::DoNotOptimize(Machine.DrawClock());
}
BENCHMARK(BM_PreviewDrawClock)->Unit(benchmark::kMillisecond);

// An open about box for ten seconds of its real timer: process CPU time over wall time.
static void BM_PreviewAboutBoxCpu(benchmark::State& State)
{
    TPreviewSetup Setup;
    for (auto _ : State) {
        TAboutForm Form(Setup.Store.get());
        Form.show();
        const std::clock_t Cpu0 = std::clock();
        QElapsedTimer Wall;
        Wall.start();
        QEventLoop Loop;
        QTimer::singleShot(10000, &Loop, &QEventLoop::quit);
        Loop.exec();
        const double CpuMs = double(std::clock() - Cpu0) * 1000.0 / CLOCKS_PER_SEC;
        State.counters["CpuPercent"] = 100.0 * CpuMs / double(Wall.elapsed());
    }
}
BENCHMARK(BM_PreviewAboutBoxCpu)->Iterations(1)->Unit(benchmark::kMillisecond);
