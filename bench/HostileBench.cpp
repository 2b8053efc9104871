// Settings files of any size and texts of any length.
//
// BM_SettingsStart/N and BM_SettingsExit/N: what the program does with its settings at start
// (both keys read) and at exit (its twenty values written), on a settings file whose key holds N
// values more (20000: about 530 KB). BM_SettingsRawCopy/N is the floor beside it: the same file
// read and written back atomically once, with no parsing. BM_SettingsRefused: the same start and
// exit on a 30 MB file, which is refused untouched. BM_ParseDeepKey/N: a file of N keys, each one
// level below the last. BM_ParseLongHex/N: one binary value of N bytes written as hex.
// BM_WindowWithLongTexts/N: the main window made and painted on an entry whose English word and
// one-line Bulgarian text are N characters long each.

#include "app/TAdminForm.h"
#include "bench/BenchData.h"
#include "platform/TRegFile.h"
#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"
#include "settings/TRegInfo.h"
#include "store/TScreenSaverDataModule.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QByteArray Header = "Windows Registry Editor Version 5.00\r\n\r\n";

struct THive
{
    QTemporaryDir Dir;
    QString Path;
};

// A settings file whose program key holds Extra values besides its own.
THive& BigHive(int Extra)
{
    static std::map<int, std::unique_ptr<THive>> Made;
    auto& Slot = Made[Extra];
    if (!Slot) {
        Slot = std::make_unique<THive>();
        Slot->Path = Slot->Dir.filePath("registry.reg");
        QByteArray Text = Header + "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]\r\n";
        for (int I = 0; I < Extra; ++I)
            Text += QStringLiteral("\"Extra%1\"=\"remembered\"\r\n")
                        .arg(I, 5, 10, QLatin1Char('0'))
                        .toUtf8();
        QFile F(Slot->Path);
        F.open(QIODevice::WriteOnly);
        F.write(Text);
    }
    return *Slot;
}

void StartAndExit()
{
    TRegInfo ScreenSaver;
    ScreenSaver.Load();
    try {
        delete new TAppRegInfo(nullptr);
    } catch (const ERegistryException&) {
        // a refused file: reported, left alone
    }
}

// Start (Exit false) or exit (Exit true) alone; the other half runs untimed.
void SettingsHalf(benchmark::State& State, bool Exit)
{
    THive& Hive = BigHive(static_cast<int>(State.range(0)));
    qputenv("VEXLO_REGISTRY", QFile::encodeName(Hive.Path));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Hive.Dir.filePath("config")));
    for (auto _ : State) {
        if (Exit)
            State.PauseTiming();
        TRegInfo ScreenSaver;
        ScreenSaver.Load();
        auto* Settings = new TAppRegInfo(nullptr);
        if (Exit)
            State.ResumeTiming();
        else
            State.PauseTiming();
        delete Settings;
        if (!Exit)
            State.ResumeTiming();
    }
    State.counters["file_KB"] = double(QFile(Hive.Path).size()) / 1024;
}

void BM_SettingsStart(benchmark::State& State)
{
    SettingsHalf(State, false);
}
BENCHMARK(BM_SettingsStart)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_SettingsExit(benchmark::State& State)
{
    SettingsHalf(State, true);
}
BENCHMARK(BM_SettingsExit)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_SettingsRawCopy(benchmark::State& State)
{
    THive& Hive = BigHive(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        QFile In(Hive.Path);
        In.open(QIODevice::ReadOnly);
        const QByteArray Bytes = In.readAll();
        QSaveFile Out(Hive.Path);
        Out.open(QIODevice::WriteOnly);
        Out.write(Bytes);
        Out.commit();
    }
}
BENCHMARK(BM_SettingsRawCopy)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_SettingsRefused(benchmark::State& State)
{
    static THive Hive;
    if (Hive.Path.isEmpty()) {
        Hive.Path = Hive.Dir.filePath("registry.reg");
        QFile F(Hive.Path);
        F.open(QIODevice::WriteOnly);
        F.write(Header + "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]\r\n");
        const QByteArray Line = "\"Blob\"=hex:" + QByteArray(3000, 'f') + "\r\n";
        while (F.size() < 30LL * 1024 * 1024)
            F.write(Line);
    }
    qputenv("VEXLO_REGISTRY", QFile::encodeName(Hive.Path));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Hive.Dir.filePath("config")));
    for (auto _ : State)
        StartAndExit();
}
BENCHMARK(BM_SettingsRefused)->Unit(benchmark::kMillisecond);

void BM_ParseDeepKey(benchmark::State& State)
{
    QByteArray Text = Header;
    QByteArray Path = "HKEY_CURRENT_USER";
    for (int I = 0; I < State.range(0); ++I) {
        Path += "\\Level" + QByteArray::number(I);
        Text += "[" + Path + "]\r\n\"Depth\"=dword:00000001\r\n";
    }
    for (auto _ : State)
        benchmark::DoNotOptimize(TRegFile::Parse(Text));
    State.counters["file_KB"] = double(Text.size()) / 1024;
}
BENCHMARK(BM_ParseDeepKey)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_ParseLongHex(benchmark::State& State)
{
    const TRegFile File = [&] {
        TRegFile F;
        F.SetValue("HKEY_CURRENT_USER\\Blob",
                   TRegValue{"Data", REG_BINARY, QByteArray(State.range(0), '\x5a')});
        return F;
    }();
    const QByteArray Text = File.Serialize();
    for (auto _ : State)
        benchmark::DoNotOptimize(TRegFile::Parse(Text));
    State.counters["file_KB"] = double(Text.size()) / 1024;
}
BENCHMARK(BM_ParseLongHex)->Arg(5'000'000)->Unit(benchmark::kMillisecond);

void BM_WindowWithLongTexts(benchmark::State& State)
{
    if (!EnsureBenchApplication()) {
        State.SkipWithError("another benchmark made a non-widget application");
        return;
    }
    const int Length = static_cast<int>(State.range(0));
    QTemporaryDir Dir;
    const QString DataFile = Dir.filePath("english.mdb");
    WriteBenchDataFile(DataFile, 1, [&](int) {
        return TBenchEntry{"a" + QByteArray(Length - 1, 'w'),
                           QString(Length, QChar(0x0431)).toUtf8(), "trans", 1};
    });
    qputenv("VEXLO_REGISTRY", QFile::encodeName(Dir.filePath("registry.reg")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Dir.filePath("config")));
    {
        TRegistry Registry;
        Registry.OpenKey(TRegInfo::KeyName, true);
        Registry.WriteString("DataFile", DataFile);
    }
    for (auto _ : State) {
        auto Store = std::make_unique<TScreenSaverDataModule>();
        auto Form = std::make_unique<TAdminForm>(*Store, QStringList{"vexlo-bench"});
        Form->show();
        Form->UpdateCaption();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(Form->windowTitle());
        State.PauseTiming();
        Form.reset();
        Store.reset();
        QCoreApplication::processEvents();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_WindowWithLongTexts)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond);

} // namespace
