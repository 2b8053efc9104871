#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

void WriteAll(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Bytes);
}

TEST(OpenDataFileTest, MissingFileGivesTheOneLineAndOpensNothing)
{
    QTemporaryDir Dir;
    TScreenSaverDataModule Store;
    QStringList Messages{"earlier"};
    const QString Path = Dir.filePath("none.mdb");
    Store.OpenDataFile(Path, Messages);
    EXPECT_EQ(Messages, (QStringList{"earlier", "The file " + Path + " does not exists !"}));
    EXPECT_FALSE(Store.ADOConnection->Connected());
    EXPECT_FALSE(Store.ADOTable->Active());
    EXPECT_FALSE(QFileInfo::exists(Path)); // never created
}

struct TBadFileCase
{
    const char* Name;
    std::function<void(const QString& Path)> Make;
    bool Connects; // the connection comes up, only the table does not
};

class BadDataFileTest : public ::testing::TestWithParam<TBadFileCase>
{
};

TEST_P(BadDataFileTest, OneClearLineNothingWritten)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("data.mdb");
    GetParam().Make(Path);
    const QByteArray Before = ReadAll(Path);
    const QStringList FilesBefore = QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    TScreenSaverDataModule Store;
    QStringList Messages;
    Store.OpenDataFile(Path, Messages);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].contains(Path)) << Messages[0].toStdString();
    EXPECT_FALSE(Store.ADOTable->Active());
    EXPECT_EQ(Store.ADOConnection->Connected(), GetParam().Connects);
    Store.CloseData();

    EXPECT_EQ(ReadAll(Path), Before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden), FilesBefore);
}

void RandomBytes(const QString& Path)
{
    std::mt19937 Random(3);
    QByteArray Bytes(8192, '\0');
    for (char& B : Bytes)
        B = static_cast<char>(Random());
    WriteAll(Path, Bytes);
}

void AccessFile(const QString& Path)
{
    QByteArray Bytes(4096, '\0');
    Bytes.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
    WriteAll(Path, Bytes);
}

void SqliteWithout(const QString& Path, const std::string& Sql)
{
    WriteAll(Path, {});
    RawExec(Path, Sql);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadDataFileTest,
    ::testing::Values(
        TBadFileCase{"RandomBytes", RandomBytes, false},
        TBadFileCase{"AccessFile", AccessFile, false},
        TBadFileCase{"ShortText", [](const QString& P) { WriteAll(P, "hello\n"); }, false},
        TBadFileCase{"Directory", [](const QString& P) { QDir().mkpath(P); }, false},
        TBadFileCase{"EmptyFile", [](const QString& P) { WriteAll(P, {}); }, true},
        TBadFileCase{"NoTableEnglish",
                     [](const QString& P) { SqliteWithout(P, "CREATE TABLE Words (x)"); }, true},
        TBadFileCase{"NoColumnBulg",
                     [](const QString& P) {
                         SqliteWithout(P, "CREATE TABLE English (ID, ENAME, TRANS, LEVEL)");
                     },
                     true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// Runs Body in a child process as an ordinary user (root reads and writes everything), and returns
// the child's exit status, or -1 when the child could not drop its privileges.
int RunAsOrdinaryUser(const std::function<int()>& Body)
{
    const pid_t Child = fork();
    if (Child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        _exit(Body());
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    if (!WIFEXITED(Status) || WEXITSTATUS(Status) == 100)
        return -1;
    return WEXITSTATUS(Status);
}

struct TPermissionCase
{
    const char* Name;
    mode_t FileMode;
    mode_t DirMode;
    const char* Reason;
};

class PermissionTest : public ::testing::TestWithParam<TPermissionCase>
{
};

TEST_P(PermissionTest, RefusedWithOneLine)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("data.db");
    TDataFileTool::CreateSampleDataFile(Path);
    const QByteArray Before = ReadAll(Path);
    ASSERT_EQ(chmod(QFile::encodeName(Path).constData(), GetParam().FileMode), 0);
    ASSERT_EQ(chmod(QFile::encodeName(Dir.path()).constData(), GetParam().DirMode), 0);
    const int Result = RunAsOrdinaryUser([&] {
        TScreenSaverDataModule Store;
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        return (Messages.size() == 1 && Messages[0].contains(GetParam().Reason) &&
                !Store.ADOTable->Active())
                   ? 0
                   : 1;
    });
    chmod(QFile::encodeName(Dir.path()).constData(), 0700);
    if (Result < 0)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(Result, 0);
    EXPECT_EQ(ReadAll(Path), Before);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PermissionTest,
    ::testing::Values(TPermissionCase{"NoRead", 0222, 0777, "permission to read"},
                      TPermissionCase{"NoWrite", 0444, 0777, "permission to change"},
                      TPermissionCase{"FolderNotWritable", 0666, 0555, "not writable"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(OpenDataFileTest, ReopeningAnotherFileForgetsTheRememberedNumber)
{
    QTemporaryDir Dir;
    const QString A = Dir.filePath("a.db"), B = Dir.filePath("b.db");
    TDataFileTool::CreateSampleDataFile(A);
    TDataFileTool::CreateEmptyDataFile(B);
    TScreenSaverDataModule Store;
    QStringList Messages;
    Store.OpenDataFile(A, Messages);
    ASSERT_GT(Store.GetMaxID(), 100);
    Store.OpenDataFile(B, Messages);
    ASSERT_TRUE(Messages.isEmpty());
    Store.AppendEntry(MakeEntry("first"));
    EXPECT_EQ(RawIds(B), std::vector<int>{1});
}

} // namespace
