#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"

#include "tests/platform/HiveTestSupport.h"
#include "tests/support/ScopedValue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <functional>

#include <sys/stat.h>

namespace {

class TRegistryTest : public THiveFixture
{
};

const QString KeyA = QStringLiteral("Software\\Norvane\\Vocabulary");

} // namespace

TEST_F(TRegistryTest, HivePathFollowsTheEnvironment)
{
    EXPECT_EQ(TRegistry::HivePath(), HivePath());
    qunsetenv("VEXLO_REGISTRY");
    qputenv("XDG_CONFIG_HOME", "/xdg/conf");
    EXPECT_EQ(TRegistry::HivePath(), QStringLiteral("/xdg/conf/vexlo-vocabulary/registry.reg"));
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(TRegistry::HivePath(),
              QDir::homePath() + QStringLiteral("/.config/vexlo-vocabulary/registry.reg"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(TRegistry::HivePath(),
              QDir::homePath() + QStringLiteral("/.config/vexlo-vocabulary/registry.reg"));
}

TEST_F(TRegistryTest, OpensWithOrWithoutCreating)
{
    TRegistry Reg;
    EXPECT_FALSE(Reg.OpenKey(KeyA, false));
    EXPECT_FALSE(QFile::exists(HivePath())) << "opening must not create the file";
    ASSERT_TRUE(Reg.OpenKey(KeyA, true));
    EXPECT_EQ(Reg.CurrentPath, QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary"));
    EXPECT_TRUE(HiveBytes().contains("[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]"));
    Reg.CloseKey();
    EXPECT_TRUE(Reg.OpenKey(QStringLiteral("\\software\\norvane"), false)); // a parent exists
    EXPECT_TRUE(Reg.OpenKey(QStringLiteral("VOCABULARY"), false));          // relative to it
    EXPECT_FALSE(Reg.KeyExists(QStringLiteral("\\Software\\Other")));
    TRegistry User;
    User.RootKey = TRootKey::HKEY_CURRENT_USER;
    EXPECT_FALSE(User.OpenKey(KeyA, false));
}

TEST_F(TRegistryTest, TypedValuesSurviveTheFile)
{
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey(KeyA, true));
        Reg.WriteInteger(QStringLiteral("Left"), -5);
        Reg.WriteBool(QStringLiteral("Animate"), true);
        Reg.WriteString(QStringLiteral("Name"), QStringLiteral("дума \"x\" C:\\"));
        Reg.WriteExpandString(QStringLiteral("Path"), QStringLiteral("%HOME%/x"));
        Reg.WriteBinaryData(QStringLiteral("Blob"), QByteArray(100, '\x7f'));
        Reg.WriteValue(QStringLiteral("Odd"), 0x1234, QByteArray("\x01\x02", 2));
        Reg.WriteInteger(QStringLiteral("LEFT"), 7); // same value, other spelling
    }
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey(KeyA, false));
    EXPECT_EQ(Reg.GetValueNames(), (QStringList{"Left", "Animate", "Name", "Path", "Blob", "Odd"}));
    const auto Check = [&](const char* Name, uint32_t Type, const QByteArray& Data) {
        const std::optional<TRegValue> V = Reg.ReadValue(QLatin1String(Name));
        ASSERT_TRUE(V.has_value()) << Name;
        EXPECT_EQ(V->Type, Type) << Name;
        EXPECT_EQ(V->Data, Data) << Name;
    };
    Check("Left", REG_DWORD, TRegData::FromDword(7));
    Check("Animate", REG_DWORD, TRegData::FromDword(1));
    Check("Name", REG_SZ, TRegData::FromString(QStringLiteral("дума \"x\" C:\\")));
    Check("Path", REG_EXPAND_SZ, TRegData::FromString(QStringLiteral("%HOME%/x")));
    Check("Blob", REG_BINARY, QByteArray(100, '\x7f'));
    Check("Odd", 0x1234, QByteArray("\x01\x02", 2));
    EXPECT_TRUE(Reg.DeleteValue(QStringLiteral("name")));
    EXPECT_FALSE(Reg.DeleteValue(QStringLiteral("Name")));
    EXPECT_FALSE(Reg.ValueExists(QStringLiteral("Name")));
    EXPECT_FALSE(HiveBytes().contains("\"Name\""));
}

TEST_F(TRegistryTest, KeepsWhatItDoesNotKnow)
{
    const QString Text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Other]\r\n"
                                        "\"Q\"=hex(b):01,02,03,04,05,06,07,08\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]\r\n"
                                        "\"Level\"=dword:00000009\r\n");
    WriteHive(QByteArray("\xFF\xFE", 2) +
              QByteArray(reinterpret_cast<const char*>(Text.utf16()), Text.size() * 2));
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey(KeyA, false));
    Reg.WriteInteger(QStringLiteral("Top"), 3);
    const QByteArray After = HiveBytes();
    EXPECT_TRUE(After.startsWith("Windows Registry Editor Version 5.00\r\n")) << "written as UTF-8";
    EXPECT_TRUE(
        After.contains("[HKEY_CURRENT_USER\\Other]\r\n\"Q\"=hex(b):01,02,03,04,05,06,07,08"));
    EXPECT_TRUE(After.contains("\"Level\"=dword:00000009\r\n\"Top\"=dword:00000003"));
    EXPECT_FALSE(QFile::exists(HivePath() + ".bak")) << "a clean file needs no backup";
}

TEST_F(TRegistryTest, KeepsAMalformedOriginalBeforeRewriting)
{
    const QByteArray Original = "Windows Registry Editor Version 5.00\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]\n"
                                "\"Left\"=dword:00000010\n"
                                "\"Broken\"=dword:xyz\n";
    WriteHive(Original);
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey(KeyA, false));
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Left"))->Data, TRegData::FromDword(16));
    Reg.WriteInteger(QStringLiteral("Top"), 1);
    QFile Backup(HivePath() + ".bak");
    ASSERT_TRUE(Backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(Backup.readAll(), Original);
    Reg.WriteInteger(QStringLiteral("Top"), 2);
    EXPECT_FALSE(QFile::exists(HivePath() + ".bak.1")) << "the rewritten file is clean";
    EXPECT_TRUE(HiveBytes().contains("\"Left\"=dword:00000010"));
    EXPECT_FALSE(HiveBytes().contains("Broken"));

    // A later malformed file does not overwrite the first backup.
    WriteHive(Original + "junk\n");
    Reg.WriteInteger(QStringLiteral("Top"), 3);
    QFile Second(HivePath() + ".bak.1");
    ASSERT_TRUE(Second.open(QIODevice::ReadOnly));
    EXPECT_EQ(Second.readAll(), Original + "junk\n");
}

// A hive that cannot be read behaves as a key that cannot be opened; one that cannot be written
// makes every write fail with the value's name.
TEST_F(TRegistryTest, FilesThatCannotBeReadOrWritten)
{
    WriteHive("Windows Registry Editor Version "
              "5.00\n[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]\n");
    ASSERT_TRUE(QDir().mkpath(HivePath() + ".lock")); // no lock can be taken: no write can happen
    const TScopedValue Wait(TRegistry::LockWaitMs, 300);
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey(KeyA, true));
    try {
        Reg.WriteInteger(QStringLiteral("Left"), 1);
        FAIL() << "the write must fail";
    } catch (const ERegistryException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("Failed to set data for 'Left'"));
    }
    EXPECT_FALSE(Reg.DeleteValue(QStringLiteral("Left")));
    Reg.CloseKey();
    EXPECT_FALSE(Reg.OpenKey(QStringLiteral("Software\\New"), true));
    EXPECT_THROW(Reg.WriteInteger(QStringLiteral("Left"), 1), ERegistryException) << "no key open";

    // The hive's folder is a file.
    qputenv("VEXLO_REGISTRY", (HivePath() + "/inner.reg").toLocal8Bit());
    EXPECT_FALSE(Reg.OpenKey(KeyA, true));
    // The hive is a folder.
    qputenv("VEXLO_REGISTRY", Dir.path().toLocal8Bit());
    EXPECT_FALSE(Reg.OpenKey(KeyA, false));
    EXPECT_FALSE(Reg.OpenKey(KeyA, true));
}

// Child processes started by this test write their own values at the same time.
TEST_F(TRegistryTest, ConcurrentWritersLoseNothing)
{
    constexpr int Writers = 3;
    constexpr int Values = 25;
    QList<QProcess*> Children;
    for (int W = 0; W < Writers; ++W) {
        auto* P = new QProcess;
        P->setProgram(QCoreApplication::applicationFilePath());
        P->setArguments(
            {QStringLiteral("--hive-writer"), QString::number(W), QString::number(Values)});
        P->start();
        Children << P;
    }
    for (QProcess* P : Children) {
        ASSERT_TRUE(P->waitForFinished(120000));
        EXPECT_EQ(P->exitCode(), 0) << P->readAllStandardError().constData();
        delete P;
    }
    const TRegFile File = TRegFile::Parse(HiveBytes());
    EXPECT_TRUE(File.Lossless);
    const TRegKey* Shared = File.FindKey(QStringLiteral("HKEY_LOCAL_MACHINE\\Shared"));
    ASSERT_NE(Shared, nullptr);
    EXPECT_EQ(Shared->Values.size(), Writers * Values);
    for (int W = 0; W < Writers; ++W) {
        const TRegKey* Own = File.FindKey(QStringLiteral("HKEY_LOCAL_MACHINE\\Writer%1").arg(W));
        ASSERT_NE(Own, nullptr);
        EXPECT_EQ(Own->Values.size(), Values);
    }
}

// A batch reaches the file in one rewrite at commit, on top of what others wrote meanwhile.
TEST_F(TRegistryTest, BatchedWritesLandTogetherAndKeepOthersWrites)
{
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey(KeyA, true));
    const QByteArray Before = HiveBytes();
    Reg.BeginUpdate();
    for (int I = 0; I < 20; ++I)
        Reg.WriteInteger(QStringLiteral("V%1").arg(I), I);
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("V7"))->Data, TRegData::FromDword(7));
    EXPECT_EQ(HiveBytes(), Before) << "nothing is written before the commit";
    {
        TRegistry Other;
        ASSERT_TRUE(Other.OpenKey(KeyA, false));
        Other.WriteString(QStringLiteral("Theirs"), QStringLiteral("kept"));
    }
    Reg.CommitUpdate();
    const TRegFile File = TRegFile::Parse(HiveBytes());
    const TRegKey* K = File.FindKey(QStringLiteral("HKEY_LOCAL_MACHINE\\") + KeyA);
    ASSERT_NE(K, nullptr);
    EXPECT_EQ(K->Values.size(), 21);
    EXPECT_NE(K->FindValue(QStringLiteral("Theirs")), nullptr);

    // A failed commit names the first value of the batch.
    ASSERT_TRUE(QDir().mkpath(HivePath() + ".lock"));
    const TScopedValue Wait(TRegistry::LockWaitMs, 300);
    Reg.BeginUpdate();
    Reg.WriteInteger(QStringLiteral("First"), 1);
    Reg.WriteInteger(QStringLiteral("Second"), 2);
    try {
        Reg.CommitUpdate();
        ADD_FAILURE() << "the commit must fail";
    } catch (const ERegistryException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("Failed to set data for 'First'"));
    }
}

// Files that are not a sane settings file are refused without being read, and stay as they are.
TEST_F(TRegistryTest, RefusesHugeFilesPipesAndDevicesUntouched)
{
    const QByteArray Head = "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary]\r\n";
    struct TCase
    {
        const char* Name;
        std::function<void(const QString&)> Make;
        const char* Reason;
    };
    const TCase Cases[] = {
        {"over 16 MB",
         [&](const QString& Path) {
             QFile F(Path);
             ASSERT_TRUE(F.open(QIODevice::WriteOnly));
             F.write(Head);
             const QByteArray Line = "\"Pad\"=hex:" + QByteArray(2000, 'a') + "\r\n";
             while (F.size() <= TRegistry::MaxHiveSize)
                 F.write(Line);
         },
         "is larger than 16 MB; it was left as it is."},
        {"a named pipe",
         [](const QString& Path) { ASSERT_EQ(mkfifo(Path.toLocal8Bit().constData(), 0600), 0); },
         "is not a regular file; it was left as it is."},
        {"a link to /dev/zero",
         [](const QString& Path) { ASSERT_TRUE(QFile::link("/dev/zero", Path)); },
         "is not a regular file; it was left as it is."},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        QFile::remove(HivePath());
        C.Make(HivePath());
        const QFileInfo Before(HivePath());
        TRegistry Reg;
        EXPECT_FALSE(Reg.OpenKey(KeyA, true));
        EXPECT_FALSE(Reg.KeyExists(KeyA));
        EXPECT_TRUE(TRegistry::HiveProblem().endsWith(QString::fromUtf8(C.Reason)))
            << TRegistry::HiveProblem().toStdString();
        // The program's own save says why.
        try {
            TAppRegInfo(nullptr).Close();
            ADD_FAILURE() << "the save must fail";
        } catch (const ERegistryException& E) {
            EXPECT_TRUE(E.Message().contains(HivePath())) << E.what();
            EXPECT_TRUE(E.Message().endsWith(QString::fromUtf8(C.Reason))) << E.what();
        }
        const QFileInfo After(HivePath());
        EXPECT_EQ(After.size(), Before.size());
        EXPECT_EQ(After.lastModified(), Before.lastModified());
        EXPECT_EQ(After.isSymLink(), Before.isSymLink());
        EXPECT_FALSE(QFile::exists(HivePath() + ".bak"));
    }
}

// A new file is the user's alone; a rewrite and the copy kept aside keep the original's mode.
TEST_F(TRegistryTest, FileModesAreKept)
{
    struct TCase
    {
        const char* Name;
        mode_t Original; // 0: no file yet
        bool Malformed;
        mode_t Expected;
    };
    const TCase Cases[] = {
        {"new file", 0, false, 0600},
        {"private malformed file", 0600, true, 0600},
        {"group-readable file", 0640, false, 0640},
        {"group-readable malformed file", 0640, true, 0640},
    };
    const mode_t Mask = umask(022);
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        QFile::remove(HivePath());
        QFile::remove(HivePath() + ".bak");
        if (C.Original) {
            WriteHive(QByteArray("Windows Registry Editor Version 5.00\r\n") +
                      (C.Malformed ? "junk\r\n" : ""));
            ASSERT_EQ(chmod(HivePath().toLocal8Bit().constData(), C.Original), 0);
        }
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey(KeyA, true));
        Reg.WriteInteger(QStringLiteral("Left"), 1);
        struct stat St = {};
        ASSERT_EQ(stat(HivePath().toLocal8Bit().constData(), &St), 0);
        EXPECT_EQ(St.st_mode & 0777, C.Expected);
        if (C.Malformed) {
            ASSERT_EQ(stat((HivePath() + ".bak").toLocal8Bit().constData(), &St), 0);
            EXPECT_EQ(St.st_mode & 0777, C.Expected);
        }
    }
    umask(Mask);
}

// The child's side of ConcurrentWritersLoseNothing.
int RunHiveWriter(int Writer, int Values)
{
    try {
        TRegistry Own;
        TRegistry Shared;
        if (!Own.OpenKey(QStringLiteral("Writer%1").arg(Writer), true) ||
            !Shared.OpenKey(QStringLiteral("Shared"), true))
            return 2;
        for (int I = 0; I < Values; ++I) {
            Own.WriteInteger(QStringLiteral("V%1").arg(I), I);
            Shared.WriteString(QStringLiteral("W%1-%2").arg(Writer).arg(I), QStringLiteral("x"));
        }
        return 0;
    } catch (const ERegistryException& E) {
        fprintf(stderr, "%s\n", E.what());
        return 1;
    }
}

int main(int argc, char** argv)
{
    QCoreApplication App(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--hive-writer")
        return RunHiveWriter(atoi(argv[2]), atoi(argv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
