#pragma once

// The program in a real X server (DISPLAY with a window manager), started as child processes.
// Each test has its own runtime directory (so the instance lock is its own), settings hive and
// demo dictionary.

#include "platform/TRegistry.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "tests/support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

inline QString Tool(const QString& Program, const QStringList& Arguments)
{
    QProcess Process;
    Process.start(Program, Arguments);
    if (!Process.waitForFinished(10000))
        return {};
    return QString::fromUtf8(Process.readAllStandardOutput()).trimmed();
}


// Makes DataFile with the entries cherry, apple and banana, and points the settings hive named by
// VEXLO_REGISTRY at it: the dictionary the real-window tests start the program on.
inline void MakeFruitDictionary(const QString& DataFile)
{
    TDataFileTool::CreateEmptyDataFile(DataFile);
    {
        TScreenSaverDataModule Filler;
        QStringList Errors;
        Filler.OpenDataFile(DataFile, Errors);
        ASSERT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
        for (const char* Word : {"cherry", "apple", "banana"})
            Filler.AppendEntry({Word, "", "", 1});
        Filler.CloseData();
    }
    TRegistry Registry;
    ASSERT_TRUE(Registry.OpenKey(TRegInfo::KeyName, true));
    Registry.WriteString("DataFile", DataFile);
}

class AppWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (DISPLAY)";
        ASSERT_TRUE(Dir.isValid());
        RuntimeDir = Dir.filePath("run");
        QDir().mkpath(RuntimeDir);
        QFile::setPermissions(RuntimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("XDG_RUNTIME_DIR", RuntimeDir);
        Environment.insert("XDG_CONFIG_HOME", Dir.filePath("config"));
        Environment.insert("VEXLO_REGISTRY", Dir.filePath("registry.reg"));
        Environment.insert("QT_QPA_PLATFORM", "xcb");
    }

    void TearDown() override
    {
        for (auto& Process : Processes) {
            if (Process->state() != QProcess::NotRunning) {
                Process->kill();
                Process->waitForFinished(5000);
            }
        }
    }

    QProcess* Start(const QStringList& Arguments)
    {
        Processes.push_back(std::make_unique<QProcess>());
        QProcess* Process = Processes.back().get();
        Process->setProcessEnvironment(Environment);
        Process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Process->start(VEXLO_PROGRAM, Arguments);
        EXPECT_TRUE(Process->waitForStarted(5000));
        return Process;
    }

    QStringList DemoArguments() const { return {"--demo", Dir.filePath("demo")}; }

    // Whether a running copy holds its instance lock in this test's runtime directory (the lock is
    // named after the settings file, the socket beside it ends in ".socket").
    bool LockExists() const
    {
        const QStringList Found =
            QDir(RuntimeDir).entryList({"VexloVocabularyMutex*"}, QDir::Files | QDir::System);
        for (const QString& Name : Found)
            if (!Name.endsWith(".socket"))
                return true;
        return false;
    }

    // What the running copy answers on its instance socket to "state" (empty while none answers):
    // "starting", "shown" or "hidden", then "clipboard N". The answer comes from the copy's event
    // loop, after everything it had to do before.
    QString InstanceState() const
    {
        const QStringList Sockets = QDir(RuntimeDir).entryList({"*.socket"}, QDir::System);
        if (Sockets.isEmpty())
            return {};
        QLocalSocket Socket;
        Socket.connectToServer(QDir(RuntimeDir).filePath(Sockets.first()));
        if (!Socket.waitForConnected(2000))
            return {};
        Socket.write("state\n");
        QByteArray Answer;
        while (!Answer.contains('\n') && Socket.waitForReadyRead(5000))
            Answer += Socket.readAll();
        return QString::fromUtf8(Answer).trimmed();
    }
    // Waits until the running copy has settled: started and, for a hidden start, decided.
    QString SettledState() const
    {
        QString State;
        WaitUntil([&] {
            State = InstanceState();
            return !State.isEmpty() && !State.startsWith("starting");
        }, 20000);
        return State;
    }

    // Visible top-level windows of a process whose name matches Pattern (by default the main
    // window; the tray icon, "Vexlo Vocabulary 2007", is a visible window of its own).
    static QStringList Windows(QProcess* Process, const QString& Pattern = "^Vexlo Vocabulary - ")
    {
        const QString Found =
            Tool("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                             QString::number(Process->processId()), "--name", Pattern});
        return Found.isEmpty() ? QStringList() : Found.split('\n');
    }

    static QString WindowName(const QString& Window)
    {
        return Tool("xdotool", {"getwindowname", Window});
    }

    static bool Finished(QProcess* Process, int TimeoutMs = 10000)
    {
        return Process->state() == QProcess::NotRunning || Process->waitForFinished(TimeoutMs);
    }

    // Waits for a visible window of Process whose name matches Pattern; empty when none comes.
    static QString WaitForWindow(QProcess* Process, const QString& Pattern = "^Vexlo Vocabulary - ")
    {
        QString Window;
        WaitUntil([&] {
            const QStringList Found = Windows(Process, Pattern);
            Window = Found.isEmpty() ? QString() : Found.first();
            return !Window.isEmpty();
        });
        return Window;
    }

    // Puts Text on the clipboard from another process, which keeps it until the test ends or
    // another copy replaces it.
    void CopyToClipboard(const QString& Text)
    {
        Processes.push_back(std::make_unique<QProcess>());
        QProcess* Xclip = Processes.back().get();
        Xclip->start("xclip", {"-quiet", "-selection", "clipboard"});
        ASSERT_TRUE(Xclip->waitForStarted(5000));
        Xclip->write(Text.toUtf8());
        Xclip->closeWriteChannel();
        Xclip->waitForBytesWritten(5000);
        ASSERT_TRUE(WaitUntil([&] {
            return Tool("xclip", {"-o", "-selection", "clipboard"}) == Text;
        }));
    }

    // Starts the demo and waits for its main window.
    QString StartMainWindow(QProcess*& Process, QStringList Extra = {})
    {
        Process = Start(DemoArguments() + Extra);
        return WaitForWindow(Process);
    }

    QTemporaryDir Dir;
    QString RuntimeDir;
    QProcessEnvironment Environment;
    std::vector<std::unique_ptr<QProcess>> Processes;
};

// The program on the fruit dictionary: this process and the program share one settings hive in
// the test's own folder, whose DataFile names DataFile.
class FruitWindowTest : public AppWindowTest
{
protected:
    void SetUp() override
    {
        AppWindowTest::SetUp();
        if (IsSkipped())
            return;
        // The hive this process writes is the one the program reads.
        SavedRegistry = qgetenv("VEXLO_REGISTRY");
        RegistrySet = true;
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
        DataFile = Dir.filePath("fruits.mdb");
        ASSERT_NO_FATAL_FAILURE(MakeFruitDictionary(DataFile));
    }
    void TearDown() override
    {
        AppWindowTest::TearDown();
        if (RegistrySet)
            qputenv("VEXLO_REGISTRY", SavedRegistry);
    }

    QString DataFile;

private:
    QByteArray SavedRegistry;
    bool RegistrySet = false;
};
