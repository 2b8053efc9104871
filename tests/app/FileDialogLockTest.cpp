// The file dialogs beside an open data file that another program writes too. SQLite's locks are
// POSIX locks, and closing any descriptor this process holds on a file drops all of them: a dialog
// that opens the data file or its log to guess a type takes the program's locks away, the next
// outside reader clears a log it thinks nobody uses, and at exit the program writes its log back
// over what the other program committed.

#include "AdminFormFixture.h"

#include "../support/WaitForShown.h"
#include "../support/WaitUntil.h"
#include "widgets/TFileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Runs Sql through the sqlite3 shell on Path; returns its output, or "(failed)".
QString Sqlite3(const QString& Path, const QString& Sql)
{
    QProcess Shell;
    Shell.start("sqlite3", {"-bail", Path, Sql});
    if (!Shell.waitForFinished(10000) || Shell.exitCode() != 0)
        return "(failed) " + QString::fromUtf8(Shell.readAllStandardError());
    return QString::fromUtf8(Shell.readAllStandardOutput()).trimmed();
}

// Counts the times any process opened the files watched (inotify sees our own opens too).
class TOpenWatch
{
public:
    explicit TOpenWatch(const QStringList& Paths) : Fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        for (const QString& Path : Paths)
            inotify_add_watch(Fd, QFile::encodeName(Path).constData(), IN_OPEN);
    }
    ~TOpenWatch() { close(Fd); }
    int Opens()
    {
        alignas(inotify_event) char Buffer[4096];
        for (ssize_t Got; (Got = read(Fd, Buffer, sizeof Buffer)) > 0;)
            for (char* At = Buffer; At < Buffer + Got;) {
                const auto* Event = reinterpret_cast<const inotify_event*>(At);
                Count += (Event->mask & IN_OPEN) != 0;
                At += sizeof(inotify_event) + Event->len;
            }
        return Count;
    }

private:
    int Fd;
    int Count = 0;
};

class FileDialogLockTest : public AdminFormTest
{
};

TEST_F(FileDialogLockTest, BrowsingTheDataFilesFolderKeepsWhatAnotherProgramAdds)
{
    // A dictionary in write-ahead-log mode, as our own files are, and the window on it.
    DataFile = Dir.filePath("words.db");
    ASSERT_EQ(Sqlite3(DataFile, "CREATE TABLE English (ID INTEGER NOT NULL, ENAME VARCHAR(30) "
                                "NOT NULL, BULG VARCHAR(255), TRANS VARCHAR(50), LEVEL INTEGER);"
                                "INSERT INTO English VALUES (1, 'one', 'едно', '', 1);"
                                "INSERT INTO English VALUES (2, 'two', 'две', '', 1);"
                                "PRAGMA journal_mode = WAL;"),
              "wal");
    SetDataFile(DataFile);
    OpenForm();
    ASSERT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 2 records Pos:1");
    ScreenSaverDataModule->AppendEntry({"three", "три", "", 1});
    const QStringList Companions = {DataFile, DataFile + "-wal", DataFile + "-shm"};
    for (const QString& Path : Companions)
        ASSERT_TRUE(QFileInfo::exists(Path)) << Path.toStdString();

    // Open Dictionary with the real dialog, in the data file's folder with every file listed; it is
    // cancelled once it has named the type of each (what made the standard dialog read them).
    TOpenWatch Watch(Companions);
    TFileDialog::ClearAnswers();
    bool Described = false;
    QTimer::singleShot(0, [&] {
        QFileDialog* Dialog = WaitForShown<QFileDialog>();
        if (!Dialog)
            return;
        Dialog->setDirectory(Dir.path());
        Dialog->selectNameFilter("All files (*)");
        auto* Model = Dialog->findChild<QFileSystemModel*>();
        Described = Model && WaitUntil([&] {
            for (const QString& Path : Companions)
                if (Model->type(Model->index(Path)).isEmpty())
                    return false;
            return true;
        });
        Dialog->reject();
    });
    Form->Dictionaries->OpenDictionaryExecute();
    ASSERT_TRUE(Described);
    EXPECT_EQ(Watch.Opens(), 0);

    // Another program reads the file; the window adds a word; the other program adds three.
    EXPECT_EQ(Sqlite3(DataFile, "SELECT count(*) FROM English;"), "3");
    ScreenSaverDataModule->CheckDataFile(); // as when the window gets the focus
    ScreenSaverDataModule->AppendEntry({"four", "четири", "", 1});
    EXPECT_EQ(Sqlite3(DataFile, "INSERT INTO English VALUES (5, 'five', 'пет', '', 1);"
                                "INSERT INTO English VALUES (6, 'six', 'шест', '', 1);"
                                "INSERT INTO English VALUES (7, 'seven', 'седем', '', 1);"
                                "SELECT count(*) FROM English;"),
              "7");
    Form.reset();
    Store.reset();
    EXPECT_EQ(Sqlite3(DataFile, "SELECT group_concat(ENAME, ' ') FROM (SELECT ENAME FROM English "
                                "ORDER BY ENAME); PRAGMA integrity_check;"),
              "five four one seven six three two\nok");
}

// Importing the open dictionary itself, under its name or another one, is refused before anything
// opens it: its words are here already, and reading it would drop the database's locks.
TEST_F(FileDialogLockTest, ImportOfTheOpenDictionaryIsRefusedUnread)
{
    Open(Fruits); // english.mdb: our own file, in write-ahead-log mode
    ASSERT_TRUE(QFile::link(DataFile, Dir.filePath("words.tsv")));
    const QStringList Companions = {DataFile, DataFile + "-wal", DataFile + "-shm"};
    TOpenWatch Watch(Companions);
    const struct
    {
        QString Path;
        TInterchangeFormat Format;
    } Cases[] = {{DataFile, TInterchangeFormat::Access},
                 {Dir.filePath("words.tsv"), TInterchangeFormat::Tsv},
                 {DataFile + "-wal", TInterchangeFormat::Unknown}};
    for (const auto& Case : Cases) {
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        EXPECT_FALSE(Form->Interchange->ImportFile(Case.Path, Case.Format));
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_TRUE(TMessageBox::Answered().first().Text.contains("is the dictionary open in "
                                                                 "this program"))
            << TMessageBox::Answered().first().Text.toStdString();
    }
    EXPECT_EQ(Watch.Opens(), 0);
    EXPECT_EQ(Table()->RecordCount(), 5);
}

} // namespace
