#include "platform/TAutostart.h"

#include "tests/platform/HiveTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(TAutostartTest, RunCommandQuotesPathsWithSpaces)
{
    EXPECT_EQ(TAutostart::RunCommand(QStringLiteral("/usr/bin/vexlo-vocabulary")),
              QStringLiteral("/usr/bin/vexlo-vocabulary startup"));
    EXPECT_EQ(TAutostart::RunCommand(QStringLiteral("/opt/My Apps/vexlo-vocabulary")),
              QStringLiteral("\"/opt/My Apps/vexlo-vocabulary\" startup"));
}

TEST(TAutostartTest, ExecFollowsTheDesktopEntryQuoting)
{
    struct TCase
    {
        const char* Program;
        const char* Exec;     // the Exec value as the launcher sees it
        const char* FileLine; // as written into the file, string escapes applied
    };
    const TCase Cases[] = {
        {"/usr/bin/vexlo", "/usr/bin/vexlo startup", "Exec=/usr/bin/vexlo startup"},
        {"/opt/My Apps/vexlo", "\"/opt/My Apps/vexlo\" startup",
         "Exec=\"/opt/My Apps/vexlo\" startup"},
        {"/opt/a$b/v", "\"/opt/a\\$b/v\" startup", "Exec=\"/opt/a\\\\$b/v\" startup"},
        {"/opt/say \"hi\"/v", "\"/opt/say \\\"hi\\\"/v\" startup",
         "Exec=\"/opt/say \\\\\"hi\\\\\"/v\" startup"},
        {"/opt/back\\slash/v", "\"/opt/back\\\\slash/v\" startup",
         "Exec=\"/opt/back\\\\\\\\slash/v\" startup"},
        {"/opt/100%/v", "/opt/100%%/v startup", "Exec=/opt/100%%/v startup"},
        {"/opt/tick`/v", "\"/opt/tick\\`/v\" startup", "Exec=\"/opt/tick\\\\`/v\" startup"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Program);
        EXPECT_EQ(TAutostart::DesktopExec(QString::fromUtf8(C.Program)), QString::fromUtf8(C.Exec));
        const QList<QByteArray> Lines =
            TAutostart::DesktopEntry(QString::fromUtf8(C.Program)).split('\n');
        EXPECT_TRUE(Lines.contains(QByteArray(C.FileLine)));
        // TryExec names the program itself (no arguments, no quoting, string escapes only), so
        // that desktops skip the entry once the program is removed.
        QByteArray TryExec = QByteArray(C.Program).replace("\\", "\\\\");
        EXPECT_TRUE(Lines.contains("TryExec=" + TryExec)) << TryExec.toStdString();
    }
}

class TAutostartFileTest : public THiveFixture
{
};

TEST_F(TAutostartFileTest, EntryIsWrittenAndRemoved)
{
    TAutostart::SetProgramPath(QStringLiteral("/opt/My Apps/vexlo"));
    EXPECT_EQ(TAutostart::DesktopEntryPath(),
              Dir.filePath(QStringLiteral("config/autostart/vexlo-vocabulary.desktop")));
    EXPECT_TRUE(TAutostart::SetDesktopEntry(false)) << "nothing to remove is no error";
    ASSERT_TRUE(TAutostart::SetDesktopEntry(true));
    QFile Entry(TAutostart::DesktopEntryPath());
    ASSERT_TRUE(Entry.open(QIODevice::ReadOnly));
    const QByteArray Text = Entry.readAll();
    EXPECT_TRUE(Text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(Text.contains("\nType=Application\n"));
    EXPECT_TRUE(Text.contains("\nExec=\"/opt/My Apps/vexlo\" startup\n"));
    EXPECT_TRUE(TAutostart::SetDesktopEntry(false));
    EXPECT_FALSE(TAutostart::DesktopEntryExists());

    // The autostart folder is a file: the entry cannot be written.
    QFile Blocker(Dir.filePath(QStringLiteral("config/autostart")));
    QDir(Dir.filePath(QStringLiteral("config/autostart"))).removeRecursively();
    ASSERT_TRUE(Blocker.open(QIODevice::WriteOnly));
    Blocker.close();
    EXPECT_FALSE(TAutostart::SetDesktopEntry(true));
    TAutostart::SetProgramPath(QString());
}

// The program itself (this test program, copied) in a directory whose name needs care: a name that
// is not UTF-8 gets no entry at all (never one that starts nothing); a '%' is doubled.
TEST_F(TAutostartFileTest, RealProgramPathInAnAwkwardDirectory)
{
    if (qEnvironmentVariableIsSet("VEXLO_AUTOSTART_CHILD")) {
        // The copy's side: write the entry for itself and say how it went.
        qputenv("XDG_CONFIG_HOME", qgetenv("VEXLO_AUTOSTART_CHILD"));
        std::printf("path=%s written=%d\n", TAutostart::ProgramPath().toUtf8().constData(),
                    TAutostart::SetDesktopEntry(true) ? 1 : 0);
        return;
    }
    struct TCase
    {
        QByteArray Folder;
        bool Written;
        const char* ExecPart;
    };
    const TCase Cases[] = {
        {"plain", true, "/plain/copy startup\n"},
        {"100% sure", true, "/100%% sure/copy\" startup\n"},
        {"caf\xE9-latin1", false, ""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Folder.toHex().constData());
        const QByteArray Folder = QFile::encodeName(Dir.path()) + "/" + C.Folder;
        ASSERT_EQ(mkdir(Folder.constData(), 0700), 0);
        // Copied and started by the bytes of its name, which need not be text.
        const QByteArray Copy = Folder + "/copy";
        QFile Self(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
        ASSERT_TRUE(Self.open(QIODevice::ReadOnly));
        const QByteArray Bytes = Self.readAll();
        const int Fd = ::open(Copy.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0700);
        ASSERT_GE(Fd, 0);
        ASSERT_EQ(::write(Fd, Bytes.constData(), Bytes.size()), Bytes.size());
        ::close(Fd);
        const QString Launcher = Dir.filePath(QStringLiteral("launch-") + C.Folder.toHex());
        ASSERT_EQ(::symlink(Copy.constData(), QFile::encodeName(Launcher).constData()), 0);
        QFile::remove(TAutostart::DesktopEntryPath());
        QProcess Child;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("VEXLO_AUTOSTART_CHILD", Dir.filePath("config"));
        Child.setProcessEnvironment(Env);
        Child.start(Launcher,
                    {"--gtest_filter=TAutostartFileTest.RealProgramPathInAnAwkwardDirectory"});
        ASSERT_TRUE(Child.waitForFinished(30000));
        const QByteArray Out = Child.readAllStandardOutput();
        EXPECT_TRUE(Out.contains(C.Written ? "written=1" : "written=0")) << Out.constData();
        EXPECT_EQ(TAutostart::DesktopEntryExists(), C.Written);
        if (C.Written) {
            QFile Entry(TAutostart::DesktopEntryPath());
            ASSERT_TRUE(Entry.open(QIODevice::ReadOnly));
            EXPECT_TRUE(Entry.readAll().contains(C.ExecPart));
        }
    }
}
