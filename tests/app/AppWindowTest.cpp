// The program in a real X server (DISPLAY with a window manager), started as child processes.
// Each test has its own runtime directory (so the instance lock is its own), settings hive and
// demo dictionary.

#include "AppWindowFixture.h"

#include <QCoreApplication>

namespace {

TEST_F(AppWindowTest, SecondStartBringsTheFirstForwardAndEnds)
{
    QProcess* First = nullptr;
    const QString Window = StartMainWindow(First);
    ASSERT_FALSE(Window.isEmpty());
    Tool("xdotool", {"windowminimize", "--sync", Window});
    ASSERT_TRUE(WaitUntil([&] { return Windows(First).isEmpty(); }));

    // Any arguments: "show" and a number are not special either.
    QProcess* Second = Start({"show", "12345"});
    ASSERT_TRUE(Finished(Second));
    EXPECT_EQ(Second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Second->exitCode(), 0);

    EXPECT_TRUE(WaitUntil([&] { return Windows(First).size() == 1; }));
    EXPECT_EQ(Windows(First, "^Vexlo Vocabulary - ").size(), 1);
    EXPECT_TRUE(WaitUntil([&] { return Tool("xdotool", {"getactivewindow"}) == Window; }));
    EXPECT_EQ(First->state(), QProcess::Running);
}

TEST_F(AppWindowTest, StartupStartsHiddenUntilASecondStart)
{
    QProcess* Hidden = Start(DemoArguments() + QStringList{"startup"});
    // Once it has decided (after waiting for the tray icon to show), it says it stays hidden.
    EXPECT_TRUE(SettledState().startsWith("hidden ")) << InstanceState().toStdString();
    EXPECT_EQ(Hidden->state(), QProcess::Running);
    // No window but the tray icon's, where a tray host runs.
    EXPECT_TRUE(Windows(Hidden, "^Vexlo Vocabulary - ").isEmpty());

    QProcess* Second = Start({});
    ASSERT_TRUE(Finished(Second));
    EXPECT_EQ(Second->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return Windows(Hidden, "^Vexlo Vocabulary - ").size() == 1; }));
}

TEST_F(AppWindowTest, MissingDataFileShowsTheErrorAndEnds)
{
    {
        QFile Hive(Dir.filePath("registry.reg"));
        ASSERT_TRUE(Hive.open(QIODevice::WriteOnly));
        Hive.write("Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n"
                   "\"DataFile\"=\"" +
                   Dir.filePath("missing.mdb").toUtf8() + "\"\r\n");
    }
    QProcess* Process = Start({});
    QString Box;
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList Found = Windows(Process, "^Error$");
        Box = Found.isEmpty() ? QString() : Found.first();
        return !Box.isEmpty();
    }));
    EXPECT_EQ(Process->state(), QProcess::Running);
    // Answer the box with the keyboard, as a user would, once it is the active window.
    ASSERT_TRUE(WaitUntil([&] {
        if (Tool("xdotool", {"getactivewindow"}) == Box)
            return true;
        Tool("xdotool", {"windowactivate", "--sync", Box});
        return false;
    }));
    Tool("xdotool", {"key", "Return"});
    ASSERT_TRUE(Finished(Process));
    EXPECT_EQ(Process->exitCode(), 0);
}

TEST_F(AppWindowTest, TypingIntoTheSearchBoxMovesThePosition)
{
    QProcess* Process = nullptr;
    const QString Window = StartMainWindow(Process);
    ASSERT_FALSE(Window.isEmpty());
    const QString Before = WindowName(Window);
    EXPECT_TRUE(Before.contains(" Pos:1")) << Before.toStdString();

    Tool("xdotool", {"windowactivate", "--sync", Window});
    Tool("xdotool", {"key", "--window", Window, "ctrl+a"});
    Tool("xdotool", {"type", "--window", Window, "--delay", "30", "wo"});
    EXPECT_TRUE(WaitUntil([&] { return WindowName(Window) != Before; }))
        << WindowName(Window).toStdString();
    EXPECT_TRUE(WindowName(Window).startsWith("Vexlo Vocabulary - "));
}

TEST_F(AppWindowTest, KilledInstanceDoesNotBlockTheNextStart)
{
    QProcess* Killed = nullptr;
    ASSERT_FALSE(StartMainWindow(Killed).isEmpty());
    Killed->kill();
    ASSERT_TRUE(Finished(Killed));

    QProcess* Next = nullptr;
    EXPECT_FALSE(StartMainWindow(Next).isEmpty());
    EXPECT_EQ(Next->state(), QProcess::Running);
}

TEST_F(AppWindowTest, ExitSavesTheSettings)
{
    QProcess* Process = nullptr;
    const QString Window = StartMainWindow(Process);
    ASSERT_FALSE(Window.isEmpty());
    // The window manager's close request (Alt+F4).
    Tool("xdotool", {"windowactivate", "--sync", Window});
    Tool("xdotool", {"key", "alt+F4"});
    ASSERT_TRUE(Finished(Process));
    EXPECT_EQ(Process->exitCode(), 0);
    QFile Hive(Dir.filePath("registry.reg"));
    ASSERT_TRUE(Hive.open(QIODevice::ReadOnly));
    const QByteArray Text = Hive.readAll();
    EXPECT_TRUE(Text.contains("Software\\Norvane\\Vocabulary"));
    EXPECT_TRUE(Text.contains("\"Width\"=dword:"));
    // The lock went with the program.
    EXPECT_FALSE(LockExists());
}

TEST(AppCommandLineTest, HelpAndVersionPrintAndEnd)
{
    for (const char* Option : {"--help", "--version"}) {
        QProcess Process;
        Process.start(VEXLO_PROGRAM, {Option});
        ASSERT_TRUE(Process.waitForFinished(10000));
        EXPECT_EQ(Process.exitCode(), 0) << Option;
        EXPECT_TRUE(Process.readAllStandardOutput().contains("Vexlo Vocabulary")) << Option;
    }
}

TEST(AppCommandLineTest, DataFileOptionsMakeTheFileAndEnd)
{
    QTemporaryDir Dir;
    struct TCase
    {
        QStringList Arguments;
        int ExitCode;
        bool Exists; // the file afterwards
    };
    const QString File = Dir.filePath("made.mdb");
    const TCase Cases[] = {{{"--create-empty", File}, 0, true},
                           // An existing file is never overwritten.
                           {{"--create-sample", File}, 1, true},
                           {{"--create-sample"}, 2, true},
                           {{"--demo"}, 1, true}};
    for (const TCase& Case : Cases) {
        QProcess Process;
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("VEXLO_REGISTRY", Dir.filePath("registry.reg"));
        Environment.insert("XDG_RUNTIME_DIR", Dir.path());
        Process.setProcessEnvironment(Environment);
        Process.start(VEXLO_PROGRAM, Case.Arguments);
        ASSERT_TRUE(Process.waitForFinished(10000));
        EXPECT_EQ(Process.exitCode(), Case.ExitCode) << Case.Arguments.join(' ').toStdString();
        EXPECT_EQ(QFile::exists(File), Case.Exists);
    }
}

} // namespace

int RunClipboardFlood(int argc, char* argv[]);

int main(int argc, char* argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--clipboard-flood")
        return RunClipboardFlood(argc, argv);
    QCoreApplication Application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
