// What happens to the data file behind the program's back: replaced, deleted, a pipe or a device
// in its place, leftovers of an earlier file, a disk that fills up while a file is made.

#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList DirEntries(const QString& Path)
{
    return QDir(Path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

// Runs Body in a child process under a time limit; returns its exit code, or 100 + signal.
int InChild(const std::function<int()>& Body, int Seconds = 20)
{
    const pid_t Child = fork();
    if (Child == 0) {
        alarm(static_cast<unsigned>(Seconds));
        _exit(Body());
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 100 + WTERMSIG(Status);
}

// Another file moved over the data file (what sync tools and editors do): the program's next
// change is refused, its log never reaches the new file, and it goes on with the new file.
TEST_F(StoreFixture, ReplacedDataFileIsNeverWrittenAndIsOpenedAnew)
{
    AppendWords({"old1", "old2", "old3"}); // changes still in the write-ahead log
    const QString Other = Dir.filePath("other.db");
    TDataFileTool::CreateEmptyDataFile(Other);
    RawExec(Other, "INSERT INTO English (ID, ENAME, LEVEL) VALUES (1, 'new1', 1), (2, 'new2', 2)");
    ASSERT_EQ(::rename(QFile::encodeName(Other).constData(), QFile::encodeName(Path).constData()),
              0);

    try {
        Store->UpdateCurrentEntry(MakeEntry("mine"));
        FAIL() << "written";
    } catch (const EVexloFileChangedError& E) {
        EXPECT_TRUE(E.Message().contains("replaced")) << E.what();
    }
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(RawEntries(Path), (std::vector<TRawEntry>{{1, "new1"}, {2, "new2"}}));
    // The program shows the new file now and changes it as usual.
    EXPECT_EQ(TableWords(), (std::vector<std::string>{"new1", "new2"}));
    Store->AppendEntry(MakeEntry("new3"));
    delete Store;
    Store = nullptr;
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(RawEntries(Path),
              (std::vector<TRawEntry>{{1, "new1"}, {2, "new2"}, {3, "new3"}}));
}

// The data file deleted: nothing is written (no file appears at the path), the user hears it once,
// a new file can be made at that name while the program still runs, and the program then opens it.
TEST_F(StoreFixture, DeletedDataFileIsReportedOnceAndNothingIsMadeInItsPlace)
{
    AppendWords({"a", "b"});
    ASSERT_TRUE(QFile::remove(Path));
    const QString First = Store->CheckDataFile();
    EXPECT_TRUE(First.contains("deleted")) << First.toStdString();
    EXPECT_EQ(Store->CheckDataFile(), QString()); // said once, not at every activation
    EXPECT_THROW(Store->AppendEntry(MakeEntry("c")), EVexloFileChangedError);
    EXPECT_THROW(Store->DeleteCurrentEntry(), EVexloFileChangedError);
    EXPECT_FALSE(QFileInfo::exists(Path));
    EXPECT_EQ(Store->ADOTable->RecordCount(), 2); // still shown

    TDataFileTool::CreateEmptyDataFile(Path);
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(RawEntries(Path).empty());
    EXPECT_TRUE(Store->CheckDataFile().contains("replaced"));
    EXPECT_TRUE(Store->IsStoreEmpty());
    Store->AppendEntry(MakeEntry("fresh"));
    delete Store;
    Store = nullptr;
    EXPECT_EQ(RawEntries(Path), (std::vector<TRawEntry>{{1, "fresh"}}));
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
}

// A log left by an earlier file of the same name is never taken for a new file's own.
TEST(LeftoverLogTest, RefusedWhenItHoldsChangesRemovedWhenEmpty)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("words.db");
    // A real log with changes in it, as a crashed or still running program leaves it.
    const QString Earlier = Dir.filePath("earlier.db");
    TDataFileTool::CreateSampleDataFile(Earlier);
    {
        TScreenSaverDataModule Holder;
        QStringList Messages;
        Holder.OpenDataFile(Earlier, Messages);
        Holder.AppendEntry(MakeEntry("pending"));
        ASSERT_TRUE(QFile::copy(Earlier + "-wal", Path + "-wal"));
        ASSERT_TRUE(QFile::copy(Earlier + "-shm", Path + "-shm"));
    }
    ASSERT_GT(QFileInfo(Path + "-wal").size(), 0);
    try {
        TDataFileTool::CreateEmptyDataFile(Path);
        FAIL() << "made next to a log";
    } catch (const EVexloDatabaseError& E) {
        EXPECT_TRUE(E.Message().contains(Path + "-wal")) << E.what();
    }
    EXPECT_FALSE(QFileInfo::exists(Path));
    EXPECT_GT(QFileInfo(Path + "-wal").size(), 0); // left for the user to judge

    QFile Log(Path + "-wal");
    ASSERT_TRUE(Log.resize(0));
    TDataFileTool::CreateEmptyDataFile(Path);
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(RawEntries(Path).empty());
}

struct TSpecialCase
{
    const char* Name;
    std::function<void(const QString& Path)> Make;
};

void PrintTo(const TSpecialCase& C, std::ostream* Out)
{
    *Out << C.Name;
}

class NotARegularFileTest : public ::testing::TestWithParam<TSpecialCase>
{
};

// Pipes and devices are refused without being opened for reading (which would block or never
// end), with one line.
TEST_P(NotARegularFileTest, RefusedAtOnceWithOneLine)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("words.db");
    GetParam().Make(Path);
    const int Result = InChild([&] {
        TScreenSaverDataModule Store;
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        return Messages.size() == 1 && Messages[0].contains("not a regular file") &&
                       Messages[0].contains(Path) && !Store.ADOConnection->Connected()
                   ? 0
                   : 1;
    });
    EXPECT_EQ(Result, 0) << (Result == 100 + SIGALRM ? "blocked" : "wrong message");
}

void Fifo(const QString& Path)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(Path).constData(), 0600), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NotARegularFileTest,
    ::testing::Values(TSpecialCase{"Fifo", Fifo},
                      TSpecialCase{"LinkToFifo",
                                   [](const QString& P) {
                                       Fifo(P + ".fifo");
                                       ASSERT_TRUE(QFile::link(P + ".fifo", P));
                                   }},
                      TSpecialCase{"LinkToDevZero",
                                   [](const QString& P) { ASSERT_TRUE(QFile::link("/dev/zero", P)); }},
                      TSpecialCase{"LinkToDevNull",
                                   [](const QString& P) { ASSERT_TRUE(QFile::link("/dev/null", P)); }}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// A disk that fills up while the sample file is made: an error, and nothing left behind (neither
// the temporary file nor its log).
TEST(CreateOnFullDiskTest, LeavesNothingBehind)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("sample.db");
    const int Result = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit Limit{8192, 8192}; // writes past 8 KB fail as on a full disk
        if (setrlimit(RLIMIT_FSIZE, &Limit) != 0)
            return 2;
        try {
            TDataFileTool::CreateSampleDataFile(Path);
        } catch (const EVexloDatabaseError&) {
            return 0;
        }
        return 1;
    });
    EXPECT_EQ(Result, 0);
    EXPECT_EQ(DirEntries(Dir.path()), QStringList());
}

// Which paths name the open store's files, so that nothing but the engine opens them: the file
// under any name (a symbolic or a hard link), and its log and index.
TEST_F(StoreFixture, OpenStoreFilesAreKnownUnderEveryName)
{
    AppendWords({"one"}); // the log and its index exist now
    const QString Other = Dir.filePath("other.db");
    TDataFileTool::CreateEmptyDataFile(Other);
    ASSERT_TRUE(QFile::link(Path, Dir.filePath("symlink.db")));
    ASSERT_EQ(::link(QFile::encodeName(Path).constData(),
                     QFile::encodeName(Dir.filePath("hardlink.txt")).constData()),
              0);
    const struct
    {
        QString Path;
        bool Open;
    } Cases[] = {
        {Path, true},
        {Dir.filePath("symlink.db"), true},
        {Dir.filePath("hardlink.txt"), true},
        {Path + "-wal", true},
        {Path + "-shm", true},
        {Other, false},
        {Dir.path(), false},
        {Dir.filePath("nowhere.db"), false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TVexloConnection::IsOpenStoreFile(Case.Path), Case.Open) << Case.Path.toStdString();
    Store->CloseData();
    EXPECT_FALSE(TVexloConnection::IsOpenStoreFile(Path));
}

} // namespace
