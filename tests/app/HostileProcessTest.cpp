// The real program under a real X server against what other processes do to it: signals that ask
// it to end, lookups handed over while a question is open, command lines whose lookup text looks
// like an option, and a flood of clipboard changes from another process.
#include "AppWindowFixture.h"
#include "platform/TRegistry.h"
#include "platform/TSingleInstance.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <thread>

namespace {

class HostileProcessTest : public FruitWindowTest
{
protected:
    QString StartFruits(QProcess*& Process)
    {
        Process = Start({});
        return WaitForWindow(Process);
    }
    bool Caption(QProcess* Process, const QString& Text)
    {
        return WaitUntil([&] { return !Windows(Process, "^" + Text + "$").isEmpty(); });
    }
    QStringList Words() const
    {
        return Tool("sqlite3", {DataFile, "SELECT ENAME FROM English ORDER BY ENAME"}).split('\n');
    }
};

// A logout, `kill` or Ctrl+C ends the program as its close command does, also while a dialog is
// open: settings saved, store closed, lock gone, exit code 0.
TEST_F(HostileProcessTest, SignalsEndTheProgramAsTheCloseCommandDoes)
{
    struct TCase
    {
        int Signal;
        const char* Keys; // typed into the window first; empty: none
        const char* Dialog;
    };
    const TCase Cases[] = {
        {SIGTERM, "", ""},
        {SIGHUP, "", ""},
        {SIGINT, "", ""},
        {SIGTERM, "ctrl+r", "^Edit Data$"},
        {SIGTERM, "ctrl+d", "^Confirm$"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(testing::Message() << "signal " << C.Signal << " keys " << C.Keys);
        QFile::remove(Dir.filePath("registry.reg"));
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TRegInfo::KeyName, true));
        Registry.WriteString("DataFile", DataFile);
        Registry.CloseKey();

        QProcess* Program = nullptr;
        const QString Window = StartFruits(Program);
        ASSERT_FALSE(Window.isEmpty());
        if (*C.Keys) {
            Tool("xdotool", {"windowactivate", "--sync", Window});
            Tool("xdotool", {"key", C.Keys});
            ASSERT_TRUE(WaitUntil([&] { return !Windows(Program, C.Dialog).isEmpty(); }));
        }
        ASSERT_EQ(::kill(Program->processId(), C.Signal), 0);
        ASSERT_TRUE(Finished(Program));
        EXPECT_EQ(Program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Program->exitCode(), 0);
        const QByteArray Hive = Tool("cat", {Dir.filePath("registry.reg")}).toUtf8();
        EXPECT_TRUE(Hive.contains("\"Width\"=dword:")) << "settings saved";
        EXPECT_FALSE(QFile::exists(DataFile + "-wal")) << "store closed";
        EXPECT_FALSE(LockExists());
        EXPECT_EQ(Words(), (QStringList{"apple", "banana", "cherry"}));
    }
}

// The delete question names the current entry; a lookup handed over while it is open waits, and
// Yes deletes the entry that was named.
TEST_F(HostileProcessTest, DeleteQuestionActsOnItsEntryWhateverIsLookedUpMeanwhile)
{
    QProcess* Program = nullptr;
    const QString Window = StartFruits(Program);
    ASSERT_FALSE(Window.isEmpty());
    QProcess* First = Start({"--lookup", "banana"});
    ASSERT_TRUE(Finished(First));
    ASSERT_TRUE(Caption(Program, "Vexlo Vocabulary - 3 records Pos:2"));
    Tool("xdotool", {"windowactivate", "--sync", Window});
    Tool("xdotool", {"key", "ctrl+d"});
    QString Question;
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList Found = Windows(Program, "^Confirm$");
        Question = Found.isEmpty() ? QString() : Found.first();
        return !Question.isEmpty();
    }));
    QProcess* Meanwhile = Start({"--lookup", "cherry"});
    ASSERT_TRUE(Finished(Meanwhile));
    EXPECT_EQ(Meanwhile->exitCode(), 0);
    Tool("xdotool", {"windowactivate", "--sync", Question});
    Tool("xdotool", {"key", "Return"}); // Yes is the default
    // banana is gone; then cherry is looked up.
    EXPECT_TRUE(Caption(Program, "Vexlo Vocabulary - 2 records Pos:2"));
    EXPECT_EQ(Words(), (QStringList{"apple", "cherry"}));
}

// Whatever follows --lookup is the text to look up, even when it looks like an option.
TEST_F(HostileProcessTest, TextAfterLookUpIsAlwaysText)
{
    QProcess* Program = nullptr;
    ASSERT_FALSE(StartFruits(Program).isEmpty());
    const QString Made = Dir.filePath("made.mdb");
    const QStringList Texts[] = {{"--help"}, {"-h"}, {"--version"}, {"--create-empty", Made}};
    for (const QStringList& Text : Texts) {
        SCOPED_TRACE(Text.join(' ').toStdString());
        QProcess* LookUp = Start(QStringList{"--lookup"} + Text);
        ASSERT_TRUE(Finished(LookUp));
        EXPECT_EQ(LookUp->exitCode(), 0);
        EXPECT_TRUE(LookUp->readAllStandardOutput().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Made));
    EXPECT_EQ(Program->state(), QProcess::Running);
}

// Another program changes the clipboard about 300 times a second: only the last text is looked
// up, once the flood is over. How long the running copy takes to answer a request during the
// flood is recorded (not judged: the benchmarks and the performance notes keep figures).
TEST_F(HostileProcessTest, ClipboardFloodLooksUpOnlyTheLastText)
{
    QProcess* Program = nullptr;
    ASSERT_FALSE(StartFruits(Program).isEmpty());
    QProcess Flood;
    Flood.setProcessEnvironment(Environment);
    Flood.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Flood.start(QCoreApplication::applicationFilePath(), {"--clipboard-flood", "600", "cherry"});
    ASSERT_TRUE(Flood.waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([&] {
        Flood.waitForReadyRead(50);
        return Flood.canReadLine() && Flood.readLine().startsWith("flooding");
    }));
    qint64 Slowest = 0;
    int Answered = 0;
    // The running copy's instance, named after its settings file.
    TSingleInstance Probe(RuntimeDir, TSingleInstance::NameFor(
                                          Environment.value("VEXLO_REGISTRY"),
                                          Dir.filePath("config/vexlo-vocabulary/registry.reg")));
    QElapsedTimer Clock;
    QDeadlineTimer Deadline(30000);
    bool Over = false;
    while (!Over && Flood.state() == QProcess::Running && !Deadline.hasExpired()) {
        Clock.start();
        Answered += Probe.SignalRunningInstance(5000) ? 1 : 0;
        Slowest = std::max(Slowest, Clock.elapsed());
        Flood.waitForReadyRead(20);
        while (Flood.canReadLine())
            Over = Over || Flood.readLine().startsWith("done");
    }
    ASSERT_TRUE(Over) << "the flood did not end";
    EXPECT_GT(Answered, 0);
    RecordProperty("slowest_answer_during_flood_ms", int(Slowest));
    std::printf("slowest of %d answers during the flood: %lld ms\n", Answered,
                static_cast<long long>(Slowest));
    EXPECT_TRUE(Caption(Program, "Vexlo Vocabulary - 3 records Pos:3"));
    Flood.closeWriteChannel();
    Flood.waitForFinished(10000);
}

} // namespace

// The flood driver: changes the clipboard Count times, 3 ms apart, between "apple" and "banana",
// then puts Last there and keeps it until its input closes. Prints a line when it starts and one
// when it has put Last on the clipboard.
int RunClipboardFlood(int argc, char* argv[])
{
    QGuiApplication Application(argc, argv);
    const int Count = QString::fromLocal8Bit(argv[2]).toInt();
    const QString Last = QString::fromLocal8Bit(argv[3]);
    int Done = 0;
    QTimer Timer;
    Timer.setInterval(3);
    QObject::connect(&Timer, &QTimer::timeout, [&] {
        if (Done == 0)
            std::printf("flooding\n");
        if (Done < Count) {
            QGuiApplication::clipboard()->setText(Done % 2 ? "apple" : "banana");
        } else {
            Timer.stop();
            QGuiApplication::clipboard()->setText(Last);
            std::printf("done\n");
            QTimer::singleShot(8000, &Application, &QCoreApplication::quit);
        }
        std::fflush(stdout);
        ++Done;
    });
    Timer.start();
    return Application.exec();
}
