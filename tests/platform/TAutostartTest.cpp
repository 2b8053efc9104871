#include "platform/TAutostart.h"

#include "tests/platform/HiveTestSupport.h"

#include <QDir>

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
        EXPECT_TRUE(TAutostart::DesktopEntry(QString::fromUtf8(C.Program))
                        .split('\n')
                        .contains(QByteArray(C.FileLine)));
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
