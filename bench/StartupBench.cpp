// Start-up of the program and the search box's response, with 1K to 1M entries.
//
// BM_StartupToCaption starts the real program (needs DISPLAY: an X server with a window
// manager) and measures from launch until its main window is mapped and shows the record
// caption, and the program's resident memory (resident_MB) and CPU time (cpu_ms) at that moment. Beside it,
// BM_RawOrderedSelect reads what the window needs with raw SQLite calls: ID, word and level of
// every entry in browsing order. BM_FormCreateToCaption measures the same inside this process (store, main window,
// first paint), and BM_SearchOneLetter the time from a change of the search box to the new
// current row painted.

#include "app/TAdminForm.h"

#include <QLineEdit>
#include "bench/BenchData.h"
#include "platform/TRegistry.h"
#include "settings/TRegInfo.h"
#include "store/TScreenSaverDataModule.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <unistd.h>
#include <memory>

namespace {

// The program beside the build's bench directory, or $VEXLO_PROGRAM.
QString Program()
{
    if (const QString Given = qEnvironmentVariable("VEXLO_PROGRAM"); !Given.isEmpty())
        return Given;
    return QCoreApplication::applicationDirPath() + "/../vexlo-vocabulary";
}

// A data file with Count entries of random words, made once per size, and a registry hive that
// points the program at it.
struct TDictionary
{
    QTemporaryDir Dir;
    QString DataFile;
    QString Registry;
    QStringList Words;
};

TDictionary& Dictionary(int Count)
{
    static std::map<int, std::unique_ptr<TDictionary>> Made;
    auto& Slot = Made[Count];
    if (Slot)
        return *Slot;
    Slot = std::make_unique<TDictionary>();
    TDictionary& D = *Slot;
    D.DataFile = D.Dir.filePath("english.mdb");
    D.Registry = D.Dir.filePath("registry.reg");
    QRandomGenerator Random(Count);
    WriteBenchDataFile(D.DataFile, Count, [&](int ID) {
        TBenchEntry Entry;
        const int Length = 3 + Random.bounded(9);
        for (int I = 0; I < Length; ++I)
            Entry.English += char('a' + Random.bounded(26));
        D.Words << QString::fromLatin1(Entry.English);
        Entry.Bulgarian = QStringLiteral("дума %1\r\nред две").arg(ID).toUtf8();
        Entry.Transcription = "wɜːd";
        Entry.Level = Random.bounded(10);
        return Entry;
    });

    qputenv("VEXLO_REGISTRY", D.Registry.toUtf8());
    TRegistry Registry;
    Registry.OpenKey(TRegInfo::KeyName, true);
    Registry.WriteString("DataFile", D.DataFile);
    return D;
}

QString VisibleWindow(qint64 Pid, const QString& Pattern)
{
    QProcess Search;
    Search.start("xdotool",
                 {"search", "--onlyvisible", "--pid", QString::number(Pid), "--name", Pattern});
    Search.waitForFinished(5000);
    return QString::fromUtf8(Search.readAllStandardOutput()).trimmed();
}

// CPU time (user and system) another process has used, in milliseconds.
double ProcessCpuMs(qint64 Pid)
{
    QFile Stat(QStringLiteral("/proc/%1/stat").arg(Pid));
    if (!Stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray Line = Stat.readAll();
    // The fields after the command's name, which is in brackets and may hold spaces.
    const QList<QByteArray> Fields = Line.mid(Line.lastIndexOf(')') + 2).split(' ');
    if (Fields.size() < 13)
        return 0;
    return (Fields.at(11).toDouble() + Fields.at(12).toDouble()) * 1000.0 / sysconf(_SC_CLK_TCK);
}

// VmRSS of another process, in MB.
double ResidentMegabytes(qint64 Pid)
{
    QFile Status(QStringLiteral("/proc/%1/status").arg(Pid));
    if (!Status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& Line : Status.readAll().split('\n'))
        if (Line.startsWith("VmRSS:"))
            return Line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

void BM_StartupToCaption(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        State.SkipWithError("needs an X server (DISPLAY)");
        return;
    }
    EnsureBenchApplication();
    if (!QFile::exists(Program())) {
        State.SkipWithError("build vexlo-vocabulary first (or set VEXLO_PROGRAM)");
        return;
    }
    TDictionary& D = Dictionary(Count);
    const QString Caption = QStringLiteral("^Vexlo Vocabulary - %1 records").arg(Count);
    for (auto _ : State) {
        QTemporaryDir Runtime;
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("XDG_RUNTIME_DIR", Runtime.path());
        Environment.insert("VEXLO_REGISTRY", D.Registry);
        Environment.insert("QT_QPA_PLATFORM", "xcb");
        QProcess Process;
        Process.setProcessEnvironment(Environment);
        QElapsedTimer Clock;
        Clock.start();
        Process.start(Program(), {});
        Process.waitForStarted(5000);
        QDeadlineTimer Deadline(20000);
        while (VisibleWindow(Process.processId(), Caption).isEmpty() && !Deadline.hasExpired())
            QThread::msleep(2);
        State.SetIterationTime(Clock.nsecsElapsed() / 1e9);
        if (Deadline.hasExpired())
            State.SkipWithError("the main window did not show");
        State.counters["resident_MB"] = ResidentMegabytes(Process.processId());
        State.counters["cpu_ms"] = ProcessCpuMs(Process.processId());
        Process.terminate();
        if (!Process.waitForFinished(5000)) {
            Process.kill();
            Process.waitForFinished(5000);
        }
    }
}
BENCHMARK(BM_StartupToCaption)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_RawOrderedSelect(benchmark::State& State)
{
    EnsureBenchApplication();
    TDictionary& D = Dictionary(static_cast<int>(State.range(0)));
    for (auto _ : State) {
        sqlite3* Db = nullptr;
        sqlite3_open_v2(QFile::encodeName(D.DataFile).constData(), &Db, SQLITE_OPEN_READONLY,
                        nullptr);
        sqlite3_stmt* Stmt = nullptr;
        sqlite3_prepare_v2(Db,
                           "SELECT rowid, ID, ENAME, LEVEL FROM English "
                           "ORDER BY ENAME COLLATE NOCASE, ID",
                           -1, &Stmt, nullptr);
        int64_t Sum = 0;
        while (sqlite3_step(Stmt) == SQLITE_ROW)
            Sum += sqlite3_column_int64(Stmt, 0) + sqlite3_column_int(Stmt, 1) +
                   sqlite3_column_bytes(Stmt, 2) + sqlite3_column_int(Stmt, 3);
        benchmark::DoNotOptimize(Sum);
        sqlite3_finalize(Stmt);
        sqlite3_close(Db);
    }
}
BENCHMARK(BM_RawOrderedSelect)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FormCreateToCaption(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    if (!EnsureBenchApplication()) {
        State.SkipWithError("another benchmark made a non-widget application");
        return;
    }
    TDictionary& D = Dictionary(Count);
    qputenv("VEXLO_REGISTRY", D.Registry.toUtf8());
    for (auto _ : State) {
        auto Store = std::make_unique<TScreenSaverDataModule>();
        auto Form = std::make_unique<TAdminForm>(*Store, QStringList{"vexlo-bench"});
        Form->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(Form->windowTitle());
        State.PauseTiming();
        Form.reset();
        Store.reset();
        QCoreApplication::processEvents();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_FormCreateToCaption)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void BM_SearchOneLetter(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    if (!EnsureBenchApplication()) {
        State.SkipWithError("another benchmark made a non-widget application");
        return;
    }
    TDictionary& D = Dictionary(Count);
    qputenv("VEXLO_REGISTRY", D.Registry.toUtf8());
    auto Store = std::make_unique<TScreenSaverDataModule>();
    auto Form = std::make_unique<TAdminForm>(*Store, QStringList{"vexlo-bench"});
    Form->show();
    QCoreApplication::processEvents();
    // Each step types the third letter of another word after its first two.
    QStringList Prefixes;
    for (int I = 0; I < 512; ++I)
        Prefixes << D.Words.at((I * 7919) % D.Words.size()).left(3);
    int I = 0;
    int Moved = 0;
    for (auto _ : State) {
        const QString& Prefix = Prefixes.at(I++ % Prefixes.size());
        State.PauseTiming();
        Form->findChild<QLineEdit*>("SearchEdit")->setText(Prefix.left(2));
        QCoreApplication::processEvents();
        const int Before = Store->ADOTable->RecNo();
        State.ResumeTiming();
        Form->findChild<QLineEdit*>("SearchEdit")->setText(Prefix);
        QCoreApplication::processEvents();
        Moved += Store->ADOTable->RecNo() != Before;
    }
    State.counters["moved"] = benchmark::Counter(Moved, benchmark::Counter::kAvgIterations);
    Form.reset();
    Store.reset();
}
BENCHMARK(BM_SearchOneLetter)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
