// The program in a Wayland session: weston with XWayland, started by tools/test.sh, with
// WAYLAND_DISPLAY and DISPLAY (XWayland's) set as a desktop session sets them. Copies are made by
// a native Wayland client (wl-copy).

#include "AppWindowFixture.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace {

class WaylandSessionTest : public AppWindowTest
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("VEXLO_WAYLAND_SESSION"))
            GTEST_SKIP() << "needs the Wayland compositor tools/test.sh starts";
        AppWindowTest::SetUp();
        if (IsSkipped())
            return;
        // A session, not a test setting: the program decides by itself.
        Environment.remove("QT_QPA_PLATFORM");
        Environment.insert("XDG_SESSION_TYPE", "wayland");
        ASSERT_TRUE(QDir::isAbsolutePath(Environment.value("WAYLAND_DISPLAY")))
            << "each test has its own XDG_RUNTIME_DIR, so the compositor's socket is named by path";
        // A dictionary of three words, made by the sqlite3 shell, and a hand-written settings file.
        const QString DataFile = Dir.filePath("fruits.db");
        QProcess Shell;
        Shell.start("sqlite3", {"-bail", DataFile});
        ASSERT_TRUE(Shell.waitForStarted(5000));
        Shell.write("CREATE TABLE English (ID INTEGER NOT NULL, ENAME VARCHAR(30) NOT NULL, "
                    "BULG VARCHAR(255), TRANS VARCHAR(50), LEVEL INTEGER);\n"
                    "INSERT INTO English VALUES (1, 'cherry', 'череша', '', 1);\n"
                    "INSERT INTO English VALUES (2, 'apple', 'ябълка', '', 1);\n"
                    "INSERT INTO English VALUES (3, 'banana', 'банан', '', 1);\n");
        Shell.closeWriteChannel();
        ASSERT_TRUE(Shell.waitForFinished(10000) && Shell.exitCode() == 0);
        QFile Registry(Dir.filePath("registry.reg"));
        ASSERT_TRUE(Registry.open(QIODevice::WriteOnly));
        Registry.write("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n"
                       "\"DataFile\"=\"" +
                       DataFile.toUtf8() + "\"\r\n\r\n");
    }

    void TearDown() override
    {
        AppWindowTest::TearDown();
        for (auto& Copy : Copies) {
            Copy->kill();
            Copy->waitForFinished(5000);
        }
    }

    // Copies Text to the Wayland clipboard as a native client does. wl-copy serves its copy
    // until another replaces it; in the foreground it stays this test's own process.
    bool WaylandCopy(const QString& Text)
    {
        Copies.push_back(std::make_unique<QProcess>());
        Copies.back()->start("wl-copy", {"--foreground", Text});
        return Copies.back()->waitForStarted(5000);
    }
    std::vector<std::unique_ptr<QProcess>> Copies;

    // The main window of Process in XWayland, captioned exactly Caption.
    bool HasCaption(QProcess* Process, const QString& Caption)
    {
        return !Windows(Process, "^" + Caption + "$").isEmpty();
    }
};

TEST_F(WaylandSessionTest, ProgramRunsThroughXWaylandAndLooksUpWhatNativeClientsCopy)
{
    QProcess* Program = Start({});
    ASSERT_TRUE(WaitUntil([&] { return HasCaption(Program, "Vexlo Vocabulary - 3 records Pos:1"); }))
        << "no window of the program in XWayland";

    // Copied by a native Wayland client while the program does not have the focus.
    ASSERT_TRUE(WaylandCopy("banana split"));
    EXPECT_TRUE(WaitUntil([&] { return HasCaption(Program, "Vexlo Vocabulary - 3 records Pos:2"); }))
        << Windows(Program, ".").join(',').toStdString();

    QProcess* LookUp = Start({"--lookup", "cherry"});
    ASSERT_TRUE(Finished(LookUp));
    EXPECT_EQ(LookUp->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return HasCaption(Program, "Vexlo Vocabulary - 3 records Pos:3"); }));
    EXPECT_EQ(Program->state(), QProcess::Running);
}

TEST_F(WaylandSessionTest, UsersOwnPlatformChoiceWins)
{
    struct TCase
    {
        const char* Platform;
        bool InXWayland;
    };
    for (const TCase& Case : {TCase{"wayland", false}, TCase{"xcb", true}}) {
        SCOPED_TRACE(Case.Platform);
        Environment.insert("QT_QPA_PLATFORM", Case.Platform);
        // A runtime folder of its own: the copy before was ended without its clean-up.
        const QString Run = Dir.filePath(QStringLiteral("run-") + Case.Platform);
        QDir().mkpath(Run);
        QFile::setPermissions(Run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Environment.insert("XDG_RUNTIME_DIR", Run);
        QProcess* Program = Start({});
        // A native client shows no X window; give it the time an X window would need.
        const bool Shown =
            WaitUntil([&] { return !Windows(Program).isEmpty(); }, Case.InXWayland ? 10000 : 3000);
        EXPECT_EQ(Shown, Case.InXWayland);
        EXPECT_EQ(Program->state(), QProcess::Running) << "the program must start";
        // --lookup reaches the running copy either way.
        QProcess* LookUp = Start({"--lookup", "apple"});
        ASSERT_TRUE(Finished(LookUp));
        EXPECT_EQ(LookUp->exitCode(), 0);
        Program->terminate();
        if (!Finished(Program, 5000))
            Program->kill();
        Finished(Program);
    }
}

} // namespace
