#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <csignal>
#include <numeric>
#include <random>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TCrashFile
{
    const char* Name;
    void (*Make)(const QString& Path);
};

void PrintTo(const TCrashFile& C, std::ostream* Out)
{
    *Out << C.Name;
}

class CrashTest : public ::testing::TestWithParam<TCrashFile>
{
};

// A child process appends and deletes entries as fast as it can and reports the entry count after
// every finished operation through a pipe. The parent kills it at a random moment; the data file
// must then hold the reported count (or one more or less for the operation that was under way),
// numbered exactly 1..N, and be intact.
TEST_P(CrashTest, KillDuringAppendOrDeleteLeavesNoGapAndNoLoss)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("crash.db");
    GetParam().Make(Path);
    {
        TScreenSaverDataModule Seed;
        QStringList Messages;
        Seed.OpenDataFile(Path, Messages);
        ASSERT_TRUE(Messages.isEmpty());
        Seed.ADOConnection->BeginTrans();
        for (int I = 0; I < 3000; ++I)
            Seed.AppendEntry(MakeEntry(QString("seed%1").arg(I % 97)));
        Seed.ADOConnection->CommitTrans();
    }
    std::mt19937 Random(11);
    for (int Round = 0; Round < 12; ++Round) {
        int Pipe[2];
        ASSERT_EQ(pipe(Pipe), 0);
        const pid_t Child = fork();
        ASSERT_GE(Child, 0);
        if (Child == 0) {
            close(Pipe[0]);
            TScreenSaverDataModule Store;
            QStringList Messages;
            Store.OpenDataFile(Path, Messages);
            if (!Messages.isEmpty())
                _exit(2);
            std::mt19937 ChildRandom(static_cast<unsigned>(Round));
            for (int Op = 0;; ++Op) {
                if (ChildRandom() % 2 == 0) {
                    Store.AppendEntry(MakeEntry(QString("w%1").arg(Op)));
                } else {
                    // Deleting near the start renumbers almost every row.
                    Store.ADOTable->Locate("ID", 1 + static_cast<int>(ChildRandom() % 5), 0);
                    Store.DeleteCurrentEntry();
                }
                const int Count = Store.GetEntryCount();
                if (write(Pipe[1], &Count, sizeof Count) != sizeof Count)
                    _exit(3);
            }
        }
        close(Pipe[1]);
        const int Reports = 5 + static_cast<int>(Random() % 40);
        int Count = -1;
        for (int I = 0; I < Reports; ++I)
            ASSERT_EQ(read(Pipe[0], &Count, sizeof Count), static_cast<ssize_t>(sizeof Count));
        usleep(Random() % 3000);
        kill(Child, SIGKILL);
        int Status = 0;
        waitpid(Child, &Status, 0);
        // Count the reports that arrived before the kill.
        int Late = 0;
        while (read(Pipe[0], &Late, sizeof Late) == static_cast<ssize_t>(sizeof Late))
            Count = Late;
        close(Pipe[0]);
        ASSERT_TRUE(WIFSIGNALED(Status)) << "child ended by itself, status " << Status;

        // A new connection rolls back what the killed one left unfinished.
        TScreenSaverDataModule Check;
        QStringList Messages;
        Check.OpenDataFile(Path, Messages);
        ASSERT_TRUE(Messages.isEmpty()) << Messages.join(' ').toStdString();
        Check.ADOQuery->SQL = "PRAGMA integrity_check";
        Check.ADOQuery->Open();
        EXPECT_EQ(Check.ADOQuery->FieldByName("integrity_check").AsString(), "ok");
        Check.ADOQuery->Close();
        Check.CloseData();

        const std::vector<int> Ids = RawIds(Path);
        const int N = static_cast<int>(Ids.size());
        EXPECT_LE(std::abs(N - Count), 1) << "round " << Round;
        std::vector<int> Expected(Ids.size());
        std::iota(Expected.begin(), Expected.end(), 1);
        ASSERT_EQ(Ids, Expected) << "round " << Round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CrashTest,
    ::testing::Values(
        TCrashFile{"OwnFormat", [](const QString& Path) { TDataFileTool::CreateEmptyDataFile(Path); }},
        // The schema anyone writes by hand: the ID is the row id, and the file keeps a rollback
        // journal instead of a write-ahead log.
        TCrashFile{"RowIdAlias",
                   [](const QString& Path) {
                       ShellExec(Path, "CREATE TABLE English (ID INTEGER PRIMARY KEY, ENAME TEXT, "
                                       "BULG TEXT, TRANS TEXT, LEVEL INTEGER);\n");
                   }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
