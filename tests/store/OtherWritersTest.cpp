// Another program writing the same data file: the sqlite3 shell between the program's read and
// its write, and a second copy of the store in another process.

#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <functional>
#include <numeric>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<std::string> FileWords(const QString& Path)
{
    std::vector<std::string> Words;
    for (const TRawEntry& Row : RawEntries(Path))
        Words.push_back(Row.Word);
    return Words;
}

void ExpectOneToN(const QString& Path)
{
    const std::vector<TRawEntry> Rows = RawEntries(Path);
    for (size_t I = 0; I < Rows.size(); ++I)
        EXPECT_EQ(Rows[I].ID, static_cast<long long>(I + 1)) << Rows[I].Word;
}

struct TWriterCase
{
    const char* Name;
    const char* ForeignSql; // what the other program does meanwhile
    std::vector<std::string> AfterForeign; // the file's words in ID order after that
    std::function<void(TScreenSaverDataModule&)> Change;
    std::vector<std::string> AfterRetry; // after the program's change, made again
};

void PrintTo(const TWriterCase& C, std::ostream* Out)
{
    *Out << C.Name;
}

class SecondWriterTest : public StoreFixture, public ::testing::WithParamInterface<TWriterCase>
{
};

// The program reads the file, another program changes it, the program tries to change it: nothing
// is written, the table shows the file as it is now with the same entry current, and the user is
// told. Made again, the change lands on the right entry with the numbers 1..N.
TEST_P(SecondWriterTest, NothingIsWrittenByStaleNumbers)
{
    const TWriterCase& C = GetParam();
    AppendWords({"e1", "e2", "e3", "e4", "e5"});
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "e4", 0));
    ShellExec(Path, QString::fromUtf8(C.ForeignSql));
    ASSERT_EQ(FileWords(Path), C.AfterForeign);

    try {
        C.Change(*Store);
        FAIL() << "the change went through";
    } catch (const EVexloChangedError& E) {
        EXPECT_TRUE(E.Message().contains("changed by another program")) << E.what();
    }
    EXPECT_EQ(FileWords(Path), C.AfterForeign);
    ExpectOneToN(Path);
    EXPECT_FALSE(Store->ADOConnection->InTransaction());
    EXPECT_EQ(Store->ADOTable->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Store->ADOTable->RecordCount(), int(C.AfterForeign.size()));
    EXPECT_EQ(CurrentWord(), "e4");

    C.Change(*Store);
    EXPECT_EQ(FileWords(Path), C.AfterRetry);
    ExpectOneToN(Path);
    EXPECT_EQ(Store->ADOTable->RecordCount(), int(C.AfterRetry.size()));
}

const char DeleteSecond[] = "DELETE FROM English WHERE ID = 2; "
                            "UPDATE English SET ID = ID - 1 WHERE ID > 2;";
const char AppendOne[] = "INSERT INTO English (ID, ENAME, LEVEL) VALUES (6, 'other', 1);";

void Edit(TScreenSaverDataModule& S)
{
    S.UpdateCurrentEntry(MakeEntry("mine"));
}
void Delete(TScreenSaverDataModule& S)
{
    S.DeleteCurrentEntry();
}
void Append(TScreenSaverDataModule& S)
{
    S.AppendEntry(MakeEntry("new"));
}
void DeleteAll(TScreenSaverDataModule& S)
{
    S.DeleteAllEntries();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SecondWriterTest,
    ::testing::Values(
        TWriterCase{"EditAfterDelete", DeleteSecond, {"e1", "e3", "e4", "e5"}, Edit,
                    {"e1", "e3", "mine", "e5"}},
        TWriterCase{"DeleteAfterDelete", DeleteSecond, {"e1", "e3", "e4", "e5"}, Delete,
                    {"e1", "e3", "e5"}},
        TWriterCase{"AppendAfterDelete", DeleteSecond, {"e1", "e3", "e4", "e5"}, Append,
                    {"e1", "e3", "e4", "e5", "new"}},
        TWriterCase{"DeleteAllAfterDelete", DeleteSecond, {"e1", "e3", "e4", "e5"}, DeleteAll,
                    {}},
        TWriterCase{"EditAfterAppend", AppendOne, {"e1", "e2", "e3", "e4", "e5", "other"}, Edit,
                    {"e1", "e2", "e3", "mine", "e5", "other"}},
        TWriterCase{"DeleteAfterAppend", AppendOne, {"e1", "e2", "e3", "e4", "e5", "other"},
                    Delete, {"e1", "e2", "e3", "e5", "other"}},
        TWriterCase{"AppendAfterAppend", AppendOne, {"e1", "e2", "e3", "e4", "e5", "other"},
                    Append, {"e1", "e2", "e3", "e4", "e5", "other", "new"}},
        TWriterCase{"DeleteAllAfterAppend", AppendOne,
                    {"e1", "e2", "e3", "e4", "e5", "other"}, DeleteAll, {}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// A change of the file seen when the window gets the focus is shown at once, without a message.
TEST_F(StoreFixture, CheckDataFileReadsAnotherProgramsChange)
{
    AppendWords({"e1", "e2", "e3"});
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "e3", 0));
    EXPECT_EQ(Store->CheckDataFile(), QString());
    ShellExec(Path, "INSERT INTO English (ID, ENAME, LEVEL) VALUES (4, 'a0', 1);");
    EXPECT_EQ(Store->CheckDataFile(), QString());
    EXPECT_EQ(TableWords(), (std::vector<std::string>{"a0", "e1", "e2", "e3"}));
    EXPECT_EQ(CurrentWord(), "e3");
    Store->AppendEntry(MakeEntry("e5"));
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3, 4, 5}));
}

// Runs Body in a child process and returns its exit code (or 100 + signal).
int InChild(const std::function<int()>& Body, pid_t* Pid = nullptr)
{
    const pid_t Child = fork();
    if (Child == 0)
        _exit(Body());
    if (Pid) {
        *Pid = Child;
        return 0;
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 100 + WTERMSIG(Status);
}

int WaitFor(pid_t Child)
{
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 100 + WTERMSIG(Status);
}

// Two copies of the program, each deleting one entry of the same 100: before, the second delete
// went by a stale number and left 99 missing and 100 twice. Now the second copy is told, sees the
// file as it is, and its delete made again removes the entry it meant.
TEST(TwoProcessesTest, EachDeletesOneEntry)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("shared.db");
    TDataFileTool::CreateEmptyDataFile(Path);
    {
        TScreenSaverDataModule Seed;
        QStringList Messages;
        Seed.OpenDataFile(Path, Messages);
        ASSERT_TRUE(Messages.isEmpty());
        for (int I = 1; I <= 100; ++I)
            Seed.AppendEntry(MakeEntry(QString("w%1").arg(I, 3, 10, QLatin1Char('0'))));
    }
    int ToChild[2], FromChild[2];
    ASSERT_EQ(pipe(ToChild), 0);
    ASSERT_EQ(pipe(FromChild), 0);
    pid_t Child = 0;
    InChild(
        [&] {
            TScreenSaverDataModule Store;
            QStringList Messages;
            Store.OpenDataFile(Path, Messages);
            if (!Messages.isEmpty() || !Store.ADOTable->Locate("ENAME", "w050", 0))
                return 2;
            char Go = 0;
            if (write(FromChild[1], "r", 1) != 1 || read(ToChild[0], &Go, 1) != 1)
                return 3;
            try {
                Store.DeleteCurrentEntry();
                return 4; // deleted by a stale number
            } catch (const EVexloChangedError&) {
            }
            if (Store.ADOTableENAME->AsString() != "w050")
                return 5;
            Store.DeleteCurrentEntry();
            return 0;
        },
        &Child);
    char Ready = 0;
    ASSERT_EQ(read(FromChild[0], &Ready, 1), 1);
    {
        TScreenSaverDataModule Store;
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        ASSERT_TRUE(Store.ADOTable->Locate("ENAME", "w010", 0));
        Store.DeleteCurrentEntry();
    }
    ASSERT_EQ(write(ToChild[1], "g", 1), 1);
    EXPECT_EQ(WaitFor(Child), 0);
    const std::vector<std::string> Words = FileWords(Path);
    ASSERT_EQ(Words.size(), 98u);
    ExpectOneToN(Path);
    EXPECT_EQ(std::count(Words.begin(), Words.end(), "w010"), 0);
    EXPECT_EQ(std::count(Words.begin(), Words.end(), "w050"), 0);
    for (int Fd : {ToChild[0], ToChild[1], FromChild[0], FromChild[1]})
        close(Fd);
}

// Two copies appending and deleting as fast as they can: every change either lands whole or is
// refused with the message, and the numbers stay 1..N with every counted change in the file.
TEST(TwoProcessesTest, BusyCopiesKeepTheNumbering)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("busy.db");
    TDataFileTool::CreateSampleDataFile(Path);
    const int Start = int(RawEntries(Path).size());
    int Pipe[2];
    ASSERT_EQ(pipe(Pipe), 0);
    std::vector<pid_t> Children(2);
    for (int C = 0; C < 2; ++C)
        InChild(
            [&, C] {
                TScreenSaverDataModule Store;
                QStringList Messages;
                Store.OpenDataFile(Path, Messages);
                if (!Messages.isEmpty())
                    return 2;
                std::mt19937 Random(static_cast<unsigned>(C + 7));
                int Net = 0;
                for (int Op = 0; Op < 150; ++Op) {
                    try {
                        if (Random() % 2 == 0 || Store.IsStoreEmpty()) {
                            Store.AppendEntry(MakeEntry(QString("c%1-%2").arg(C).arg(Op)));
                            ++Net;
                        } else {
                            Store.GotoRandomEntry(Store.ADOTable);
                            Store.DeleteCurrentEntry();
                            --Net;
                        }
                    } catch (const EVexloChangedError&) {
                        // refused, and the table now shows the file as it is
                    } catch (const std::exception&) {
                        return 3;
                    }
                }
                return write(Pipe[1], &Net, sizeof Net) == sizeof Net ? 0 : 4;
            },
            &Children[size_t(C)]);
    for (pid_t Child : Children)
        EXPECT_EQ(WaitFor(Child), 0);
    int Total = Start;
    for (int C = 0; C < 2; ++C) {
        int Net = 0;
        ASSERT_EQ(read(Pipe[0], &Net, sizeof Net), static_cast<ssize_t>(sizeof Net));
        Total += Net;
    }
    close(Pipe[0]);
    close(Pipe[1]);
    EXPECT_EQ(int(RawEntries(Path).size()), Total);
    ExpectOneToN(Path);
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
}

} // namespace
