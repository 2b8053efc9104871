// The demo is a copy of its own: its settings and dictionary stay in its folder, and it neither
// hands over to the user's running copy nor takes over the user's look-ups.

#include "AppWindowFixture.h"

namespace {

TEST_F(AppWindowTest, DemoAndTheUsersOwnCopyRunSideBySide)
{
    // The user's own copy: the usual settings file (no VEXLO_REGISTRY) naming the fruit dictionary.
    const QString UserHive = Dir.filePath("config/vexlo-vocabulary/registry.reg");
    const QByteArray Saved = qgetenv("VEXLO_REGISTRY");
    qputenv("VEXLO_REGISTRY", UserHive.toUtf8());
    MakeFruitDictionary(Dir.filePath("fruits.db"));
    qputenv("VEXLO_REGISTRY", Saved);
    Environment.remove("VEXLO_REGISTRY");

    QProcess* User = Start({});
    ASSERT_TRUE(WaitUntil([&] { return Windows(User).size() == 1; }));
    // The demo started the way the README's run command starts it, and the way a user may type it.
    for (const bool OwnSettings : {true, false}) {
        SCOPED_TRACE(OwnSettings ? "run command" : "--demo alone");
        const QString DemoDir = Dir.filePath(OwnSettings ? "demo-a" : "demo-b");
        QProcessEnvironment UserEnvironment = Environment;
        if (OwnSettings)
            Environment.insert("VEXLO_REGISTRY", DemoDir + "/registry.reg");
        QProcess* Demo = Start({"--demo", DemoDir});
        Environment = UserEnvironment;
        // Its own window on its own dictionary, while the user's copy runs on.
        ASSERT_TRUE(WaitUntil([&] { return Windows(Demo).size() == 1; }))
            << "the demo handed over instead of starting; exit code " << Demo->exitCode();
        EXPECT_TRUE(WindowName(Windows(Demo).first()).startsWith("Vexlo Vocabulary - 150 records"));
        EXPECT_TRUE(QFileInfo(DemoDir + "/registry.reg").isFile());
    }
    EXPECT_TRUE(WindowName(Windows(User).first()).startsWith("Vexlo Vocabulary - 3 records"));

    // A look-up from the user's shortcut reaches the user's copy, not a demo.
    QProcess* LookUp = Start({"--lookup", "cherry"});
    ASSERT_TRUE(Finished(LookUp));
    EXPECT_EQ(LookUp->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowName(Windows(User).first()).endsWith("Pos:3"); }))
        << WindowName(Windows(User).first()).toStdString();

    // The user's settings still name the user's dictionary.
    QFile Hive(UserHive);
    ASSERT_TRUE(Hive.open(QIODevice::ReadOnly));
    const QByteArray Settings = Hive.readAll();
    EXPECT_TRUE(Settings.contains("fruits.db"));
    EXPECT_FALSE(Settings.contains("demo"));
}

} // namespace
