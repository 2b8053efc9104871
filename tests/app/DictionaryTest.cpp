// The main window's dictionaries: the first start without settings, and Open and New Dictionary
// with files made by the sqlite3 shell, real Access databases and files that are no dictionary.

#include "AdminFormFixture.h"

#include "app/TLearnNotes.h"

#include "app/TEnglishTableModel.h"
#include "widgets/TFileDialog.h"
#include "interchange/TAccessFile.h"
#include "interchange/TInterchangeDialogs.h"
#include "settings/TRegInfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs Sql through the sqlite3 shell on the file Path.
bool Sqlite3(const QString& Path, const QString& Sql)
{
    QProcess Shell;
    Shell.start("sqlite3", {"-bail", Path});
    if (!Shell.waitForStarted(5000))
        return false;
    Shell.write(Sql.toUtf8());
    Shell.closeWriteChannel();
    return Shell.waitForFinished(10000) && Shell.exitCode() == 0;
}

// A dictionary as another tool would write it: the table and its five columns, nothing more.
bool MakeShellDictionary(const QString& Path, const QStringList& Words)
{
    QString Sql = "CREATE TABLE English (ID INTEGER NOT NULL, ENAME VARCHAR(30) NOT NULL, "
                  "BULG VARCHAR(255), TRANS VARCHAR(50), LEVEL INTEGER);\n";
    for (int I = 0; I < Words.size(); ++I)
        Sql += QString("INSERT INTO English VALUES (%1, '%2', 'превод', '', 1);\n")
                   .arg(I + 1)
                   .arg(Words.at(I));
    return Sqlite3(Path, Sql);
}

QString StoredDataFile()
{
    TRegistry Reg;
    if (!Reg.OpenKey(TRegInfo::KeyName, false) || !Reg.ValueExists("DataFile"))
        return "(none)";
    return TRegData::ToString(Reg.ReadValue("DataFile")->Data);
}

// The shared Access samples: beside the clone (../shared), or beside a worktree's parent.
QString FindAccessDir()
{
    for (const char* Up : {"/../shared", "/../../shared"}) {
        const QString Path = QStringLiteral(VEXLO_SOURCE_DIR) + Up + "/testdata/access";
        if (QFileInfo::exists(Path + "/nwind.mdb"))
            return QFileInfo(Path).canonicalFilePath();
    }
    return QStringLiteral("/nonexistent/testdata/access");
}
const QString AccessDir = FindAccessDir();

class DictionaryTest : public AdminFormTest
{
protected:
    void SetUp() override
    {
        AdminFormTest::SetUp();
        qputenv("XDG_DATA_HOME", Dir.filePath("data").toUtf8());
        TFileDialog::ClearAnswers();
    }

    void TearDown() override
    {
        AdminFormTest::TearDown();
        TFileDialog::ClearAnswers();
        qunsetenv("XDG_DATA_HOME");
    }

    QString FirstRunFile() const { return Dir.filePath("data/vexlo-vocabulary/english.db"); }

    // The window on a shell-made dictionary of three words.
    void OpenShellDictionary()
    {
        const QString Path = Dir.filePath("first.db");
        ASSERT_TRUE(MakeShellDictionary(Path, {"one", "two", "three"}));
        SetDataFile(Path);
        OpenForm();
        ASSERT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:1");
    }

    QString LastBoxText() const
    {
        return TMessageBox::Answered().isEmpty() ? QString() : TMessageBox::Answered().last().Text;
    }
};

TEST_F(DictionaryTest, FirstStartMakesItsOwnDictionaryAndOffersTheSample)
{
    struct TCase
    {
        const char* Name;
        QMessageBox::StandardButton Answer;
        bool Filled;
    };
    const int SampleSize = TDataFileTool::SampleVocabulary().size();
    ASSERT_GT(SampleSize, 0);
    for (const TCase& Case :
         {TCase{"yes", QMessageBox::Yes, true}, TCase{"no", QMessageBox::No, false}}) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        QFile::remove(FirstRunFile());
        TMessageBox::ClearAnswers();

        OpenForm();
        ASSERT_TRUE(QFileInfo::exists(FirstRunFile()));
        EXPECT_EQ(Form->ScreenSaverSettings->DataFile, FirstRunFile());
        EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 0 records");
        EXPECT_EQ(Enabled(), (TEnabled{true, false, false, false, false}));

        TMessageBox::SetNextAnswer(Case.Answer);
        Form->FormActivate();
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_EQ(TMessageBox::Answered().first().Icon, QMessageBox::Question);
        EXPECT_TRUE(TMessageBox::Answered().first().Text.contains(FirstRunFile()));
        EXPECT_EQ(Terminated, 0);
        EXPECT_EQ(Table()->RecordCount(), Case.Filled ? SampleSize : 0);
        EXPECT_EQ(Enabled(), (TEnabled{true, Case.Filled, Case.Filled, Case.Filled, Case.Filled}));
        // Asked once only, and the first start's file is not written into the settings.
        Form->FormActivate();
        EXPECT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_EQ(StoredDataFile(), "(none)");

        // The next start opens the same file and asks nothing.
        Form.reset();
        Store.reset();
        OpenForm();
        EXPECT_EQ(Table()->RecordCount(), Case.Filled ? SampleSize : 0);
        Form->FormActivate();
        EXPECT_EQ(TMessageBox::Answered().size(), 1);
    }
}

TEST_F(DictionaryTest, ConfiguredDataFileIsUsedAsStoredEvenWhenMissing)
{
    struct TCase
    {
        const char* Name;
        QString Value;
        QString Reported;
    };
    const TCase Cases[] = {
        {"relative name", "english.mdb", "english.mdb"},
        {"empty value: the screen saver's default", "", "english.mdb"},
        {"absolute path", Dir.filePath("gone/words.db"), Dir.filePath("gone/words.db")},
    };
    const QString Here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        TMessageBox::ClearAnswers();
        Terminated = 0;
        SetDataFile(Case.Value);
        OpenForm();
        EXPECT_EQ(Form->windowTitle(), "Dictionary");
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        Form->FormActivate();
        EXPECT_EQ(LastBoxText(), "The file " + Case.Reported + " does not exists !");
        EXPECT_EQ(Terminated, 1);
        EXPECT_FALSE(QFileInfo::exists(FirstRunFile()));
    }
    QDir::setCurrent(Here);
}

// A first start where the folder for the dictionary cannot be made ($XDG_DATA_HOME is a file):
// the box says which folder and why, and offers Open and New Dictionary instead of ending.
TEST_F(DictionaryTest, FirstStartWhoseFolderCannotBeMadeOffersOpenAndNew)
{
    const QString NotAFolder = Dir.filePath("data-file");
    {
        QFile File(NotAFolder);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("not a folder\n");
    }
    qputenv("XDG_DATA_HOME", NotAFolder.toUtf8());
    const QString Mine = Dir.filePath("mine.db");
    ASSERT_TRUE(MakeShellDictionary(Mine, {"one", "two"}));
    struct TCase
    {
        const char* Name;
        QList<QMessageBox::StandardButton> Answers;
        QStringList Files; // answers of the file dialogs
        QString Title;
        int Terminated;
    };
    const TCase Cases[] = {
        {"close", {QMessageBox::Close}, {}, "Dictionary", 1},
        {"open", {QMessageBox::Open}, {Mine}, "Vexlo Vocabulary - 2 records Pos:1", 0},
        {"new", {QMessageBox::Save}, {Dir.filePath("new.db")}, "Vexlo Vocabulary - 0 records", 0},
        {"open cancelled, then new",
         {QMessageBox::Open, QMessageBox::Save},
         {QString(), Dir.filePath("other.db")},
         "Vexlo Vocabulary - 0 records",
         0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        TMessageBox::ClearAnswers();
        TFileDialog::ClearAnswers();
        Terminated = 0;
        {
            TRegistry Reg;
            if (Reg.OpenKey(TRegInfo::KeyName, false))
                Reg.DeleteValue("DataFile");
        }
        for (auto Answer : Case.Answers)
            TMessageBox::SetNextAnswer(Answer);
        for (const QString& File : Case.Files)
            TFileDialog::SetNextAnswer(File);
        OpenForm();
        Form->FormActivate();
        ASSERT_EQ(TMessageBox::Answered().size(), Case.Answers.size());
        const QString Text = TMessageBox::Answered().first().Text;
        EXPECT_TRUE(Text.contains(NotAFolder + "/vexlo-vocabulary")) << Text.toStdString();
        EXPECT_TRUE(Text.contains("Not a directory")) << Text.toStdString();
        EXPECT_FALSE(Text.contains("does not exists")) << Text.toStdString();
        EXPECT_EQ(Form->windowTitle(), Case.Title);
        EXPECT_EQ(Terminated, Case.Terminated);
    }
}

TEST_F(DictionaryTest, OpenDictionarySwitchesAtOnceAndIsRemembered)
{
    OpenShellDictionary();
    const QString Second = Dir.filePath("second.mdb"); // SQLite, named as the old files were
    ASSERT_TRUE(MakeShellDictionary(Second, {"zebra", "yak"}));

    TFileDialog::SetNextAnswer(Second);
    Form->Dictionaries->OpenDictionary->trigger();
    ASSERT_EQ(TFileDialog::Answered().size(), 1);
    EXPECT_FALSE(TFileDialog::Answered().first().Save);
    EXPECT_EQ(TFileDialog::Answered().first().Directory, Dir.path());
    EXPECT_TRUE(TFileDialog::Answered().first().Filter.contains("*.db *.mdb *.sqlite"));
    EXPECT_TRUE(TMessageBox::Answered().isEmpty()) << LastBoxText().toStdString();

    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 2 records Pos:1");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "yak");
    EXPECT_EQ(Form->GridModel->rowCount(), 2);
    EXPECT_EQ(Enabled(), (TEnabled{true, true, true, true, true}));
    EXPECT_EQ(Form->ScreenSaverSettings->DataFile, Second);
    // Kept where the screen saver reads it.
    EXPECT_EQ(StoredDataFile(), Second);
    TRegInfo Fresh;
    Fresh.Load();
    EXPECT_EQ(Fresh.DataFile, Second);
    // Searching and changing work on the new file.
    UI(Form, SearchEdit)->setText("z");
    EXPECT_EQ(CurrentWord(), "zebra");
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    UI(Form, DeleteAll)->trigger();
    EXPECT_EQ(Enabled(), (TEnabled{true, false, false, false, false}));
    EXPECT_TRUE(Sqlite3(Second, "SELECT 1;")); // still a sound file

    // A later start opens it.
    Form.reset();
    Store.reset();
    OpenForm();
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 0 records");

    // Cancelling changes nothing.
    TFileDialog::SetNextAnswer(QString());
    Form->Dictionaries->OpenDictionaryExecute();
    EXPECT_EQ(Form->ScreenSaverSettings->DataFile, Second);
}

TEST_F(DictionaryTest, FileThatDoesNotOpenLeavesTheCurrentDictionaryOpen)
{
    const QString NotSqlite = Dir.filePath("notes.db");
    {
        QFile File(NotSqlite);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("These are my notes, not a dictionary.\n");
    }
    const QString OtherTable = Dir.filePath("other.sqlite");
    ASSERT_TRUE(
        Sqlite3(OtherTable, "CREATE TABLE Words (W TEXT); INSERT INTO Words VALUES ('a');"));
    struct TCase
    {
        const char* Name;
        QString Path;
        QString Message; // a part of the error shown
    };
    const TCase Cases[] = {
        {"missing", Dir.filePath("nowhere.db"),
         "The file " + Dir.filePath("nowhere.db") + " does not exists !"},
        {"not an SQLite file", NotSqlite, NotSqlite},
        {"no table English", OtherTable, "English"},
        {"Access database", AccessDir + "/nwind.mdb", "Access database"},
        {"Access 2007 database", AccessDir + "/ASampleDatabase.accdb", "Access database"},
    };
    OpenShellDictionary();
    Table()->Next(); // on "three"
    const QString First = Form->ScreenSaverSettings->DataFile;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        if (!QFileInfo::exists(Case.Path) && QString(Case.Name).startsWith("Access"))
            continue; // the shared Access samples are not there
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        TFileDialog::SetNextAnswer(Case.Path);
        Form->Dictionaries->OpenDictionaryExecute();
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_EQ(TMessageBox::Answered().first().Caption, "Error");
        EXPECT_TRUE(LastBoxText().contains(Case.Message)) << LastBoxText().toStdString();
        EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:2");
        EXPECT_EQ(CurrentWord(), "three");
        EXPECT_EQ(Enabled(), (TEnabled{true, true, true, true, true}));
        EXPECT_EQ(Form->ScreenSaverSettings->DataFile, First);
        EXPECT_EQ(StoredDataFile(), First);
        EXPECT_TRUE(Form->Notes->LearnTimer->isActive() || !Form->AppSettings->ResidentMode);
    }
}

// A pipe named like a dictionary is refused without ever being opened for reading: such an open
// waits for a writer, for ever. A second thread asks the pipe all along whether it has a reader
// (an open for writing that does not wait succeeds only then) and so also frees a waiting open.
TEST_F(DictionaryTest, PipeNamedLikeADictionaryIsRefusedWithoutBeingRead)
{
    OpenShellDictionary();
    const QString Pipe = Dir.filePath("f.db");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
    std::atomic<bool> Done{false};
    std::atomic<bool> Read{false};
    std::thread Watcher([&] {
        while (!Done) {
            const int Fd =
                ::open(QFile::encodeName(Pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (Fd >= 0) {
                Read = true;
                ::close(Fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    TMessageBox::ClearAnswers();
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    TFileDialog::SetNextAnswer(Pipe);
    Form->Dictionaries->OpenDictionaryExecute();
    Done = true;
    Watcher.join();
    EXPECT_FALSE(Read) << "the pipe was opened for reading";
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    EXPECT_TRUE(LastBoxText().contains("not a regular file")) << LastBoxText().toStdString();
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:1");
    EXPECT_FALSE(TDictionaryCommands::IsAccessDatabase(Pipe));
}

TEST_F(DictionaryTest, AccessDatabaseGoesThroughTheConverterWhenThereIsOne)
{
    const QString Access = AccessDir + "/nwind.mdb";
    if (!QFileInfo::exists(Access))
        GTEST_SKIP() << "the shared Access samples are not there";
    OpenShellDictionary();
    const QString Converted = Dir.filePath("converted.db");
    struct TCase
    {
        const char* Name;
        std::function<QString(const QString&)> Converter;
        QString Title;  // of the window afterwards
        QString Stored; // DataFile afterwards
        int Boxes;
    };
    const QString First = Form->ScreenSaverSettings->DataFile;
    QStringList Given;
    const TCase Cases[] = {
        {"given up",
         [&](const QString& P) {
             Given << P;
             return QString();
         },
         "Vexlo Vocabulary - 3 records Pos:1", First, 0},
        {"fails",
         [&](const QString& P) -> QString {
             Given << P;
             throw std::runtime_error("The table English is missing in the Access file.");
         },
         "Vexlo Vocabulary - 3 records Pos:1", First, 1},
        {"converted",
         [&](const QString& P) {
             Given << P;
             MakeShellDictionary(Converted, {"from", "access"});
             return Converted;
         },
         "Vexlo Vocabulary - 2 records Pos:1", Converted, 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TMessageBox::ClearAnswers();
        if (Case.Boxes)
            TMessageBox::SetNextAnswer(QMessageBox::Ok);
        Given.clear();
        Form->Dictionaries->ConvertAccessDatabase = Case.Converter;
        TFileDialog::SetNextAnswer(Access);
        Form->Dictionaries->OpenDictionaryExecute();
        EXPECT_EQ(Given, QStringList{Access});
        EXPECT_EQ(TMessageBox::Answered().size(), Case.Boxes);
        EXPECT_EQ(Form->windowTitle(), Case.Title);
        EXPECT_EQ(StoredDataFile(), Case.Stored == First ? QString(First) : Case.Stored);
    }
}

// The program's own converter: a real Access database becomes a dictionary beside it, from the
// table and columns the user chooses, and the window opens it; the Access file is only read.
TEST_F(DictionaryTest, OpenDictionaryReadsARealAccessDatabaseIntoANewDictionary)
{
    if (!QFileInfo::exists(AccessDir + "/nwind.mdb"))
        GTEST_SKIP() << "the shared Access samples are not there";
    OpenShellDictionary();
    const QString Access = Dir.filePath("shop.mdb");
    ASSERT_TRUE(QFile::copy(AccessDir + "/nwind.mdb", Access));
    const QByteArray Before = [&] {
        QFile F(Access);
        return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
    }();
    Form->Dictionaries->ConvertAccessDatabase = [this](const QString& P) {
        return Form->Interchange->ConvertAccessWithDialogs(P);
    };
    TInterchangeDialogs::ColumnsAnswer = [](const TAccessFile&, TAccessColumns::TColumnMap& Map) {
        Map = {QStringLiteral("Shippers"), QStringLiteral("CompanyName"), QString(),
               QStringLiteral("Phone"), QString()};
        return true;
    };
    TFileDialog::SetNextAnswer(Access);
    Form->Dictionaries->OpenDictionaryExecute();
    TInterchangeDialogs::ColumnsAnswer = nullptr;
    const QString Made = Dir.filePath("shop.sqlite");
    EXPECT_EQ(StoredDataFile(), Made);
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:1") << LastBoxText().toStdString();
    EXPECT_TRUE(TMessageBox::Answered().isEmpty()) << LastBoxText().toStdString();
    QFile After(Access);
    ASSERT_TRUE(After.open(QIODevice::ReadOnly));
    EXPECT_EQ(After.readAll(), Before);
    QProcess Shell;
    Shell.start("sqlite3", {Made, "SELECT group_concat(ID || ':' || ENAME, ',') FROM "
                                  "(SELECT * FROM English ORDER BY ID);"});
    ASSERT_TRUE(Shell.waitForFinished(10000));
    EXPECT_EQ(Shell.readAllStandardOutput().trimmed(),
              "1:Speedy Express,2:United Package,3:Federal Shipping");
}

TEST_F(DictionaryTest, NewDictionaryIsMadeEmptyAndOpened)
{
    OpenShellDictionary();
    const QString First = Form->ScreenSaverSettings->DataFile;
    QDir().mkpath(Dir.filePath("locked"));
    QFile::setPermissions(Dir.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    const bool Root = QFileInfo(Dir.filePath("locked")).isWritable();
    struct TCase
    {
        const char* Name;
        QString Answer;
        QString Made;  // the file opened afterwards; empty when refused
        QString Error; // part of the message when refused
    };
    const TCase Cases[] = {
        {"with suffix", Dir.filePath("words.sqlite"), Dir.filePath("words.sqlite"), {}},
        {"without suffix", Dir.filePath("words"), Dir.filePath("words.db"), {}},
        {"existing dictionary", First, {}, "already exists"},
        {"folder not writable", Dir.filePath("locked/words.db"), {}, Dir.filePath("locked")},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        if (Root && QString(Case.Name) == "folder not writable")
            continue;
        Form.reset();
        Store.reset();
        SetDataFile(First);
        OpenForm();
        TMessageBox::ClearAnswers();
        TFileDialog::ClearAnswers();
        if (Case.Made.isEmpty())
            TMessageBox::SetNextAnswer(QMessageBox::Ok);
        TFileDialog::SetNextAnswer(Case.Answer);
        Form->Dictionaries->NewDictionary->trigger();
        ASSERT_EQ(TFileDialog::Answered().size(), 1);
        EXPECT_TRUE(TFileDialog::Answered().first().Save);
        if (Case.Made.isEmpty()) {
            EXPECT_TRUE(LastBoxText().contains(Case.Error)) << LastBoxText().toStdString();
            EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:1");
            EXPECT_EQ(StoredDataFile(), First);
            continue;
        }
        EXPECT_TRUE(TMessageBox::Answered().isEmpty()) << LastBoxText().toStdString();
        EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 0 records");
        EXPECT_EQ(UI(Form, SearchEdit)->text(), "");
        EXPECT_EQ(Enabled(), (TEnabled{true, false, false, false, false}));
        EXPECT_EQ(StoredDataFile(), Case.Made);
        // The new file is a dictionary other tools read.
        EXPECT_TRUE(Sqlite3(Case.Made, "SELECT ID, ENAME, BULG, TRANS, LEVEL FROM English;"));
    }
    QFile::setPermissions(Dir.filePath("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(DictionaryTest, AccessDatabasesAreKnownByTheirHeaderNotTheirName)
{
    const QString SqliteMdb = Dir.filePath("sqlite.mdb");
    ASSERT_TRUE(MakeShellDictionary(SqliteMdb, {"one"}));
    auto Write = [&](const QString& Name, const QByteArray& Bytes) {
        QFile File(Dir.filePath(Name));
        EXPECT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Bytes);
        return File.fileName();
    };
    const QByteArray Jet = QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(8, 0);
    const QByteArray Ace = QByteArray("\x00\x01\x00\x00", 4) + "Standard ACE DB" + QByteArray(8, 0);
    struct TCase
    {
        const char* Name;
        QString Path;
        bool Access;
    };
    const TCase Cases[] = {
        {"Jet header, odd name", Write("words.txt", Jet), true},
        {"ACE header", Write("words.accdb", Ace), true},
        {"SQLite named .mdb", SqliteMdb, false},
        {"header cut short", Write("short.mdb", Jet.left(12)), false},
        {"header at offset 0", Write("shifted.mdb", "Standard Jet DB" + QByteArray(8, 0)), false},
        {"missing", Dir.filePath("nowhere.mdb"), false},
        {"real Jet file", AccessDir + "/nwind.mdb", true},
        {"real ACE file", AccessDir + "/ASampleDatabase.accdb", true},
    };
    for (const TCase& Case : Cases) {
        if (!QFileInfo::exists(Case.Path) && QString(Case.Name).startsWith("real"))
            continue;
        EXPECT_EQ(TDictionaryCommands::IsAccessDatabase(Case.Path), Case.Access) << Case.Name;
    }
}

} // namespace

namespace {

// What the shell reads back from the file: each word with its transcription (a blob shown as
// its length), in the order of the IDs.
QString ShellTranscriptions(const QString& Path)
{
    QProcess Shell;
    Shell.start("sqlite3", {Path, "select ENAME || '=' || case typeof(TRANS) when 'blob' then "
                                  "'blob' || length(TRANS) else TRANS end from English order "
                                  "by ID;"});
    Shell.waitForFinished(10000);
    return QString::fromUtf8(Shell.readAllStandardOutput()).trimmed();
}

} // namespace

TEST_F(DictionaryTest, UnifyStressMarksAsksThenWritesTheDictionarysMarkOnly)
{
    // Written by another tool: two transcriptions with ˈ, one already with ˋ, one with none,
    // one blob holding the bytes of ˈ, which is no text and stays as it is.
    const QString Path = Dir.filePath("marks.db");
    ASSERT_TRUE(MakeShellDictionary(Path, {"water", "ice", "cat", "table", "odd"}));
    ASSERT_TRUE(Sqlite3(Path, "UPDATE English SET TRANS = 'ˈwɔːtə' WHERE ID = 1;"
                              "UPDATE English SET TRANS = 'ˈaɪs ˈkriːm' WHERE ID = 2;"
                              "UPDATE English SET TRANS = 'kæt' WHERE ID = 3;"
                              "UPDATE English SET TRANS = 'ˋteɪbl' WHERE ID = 4;"
                              "UPDATE English SET TRANS = X'CB88' WHERE ID = 5;"));
    SetDataFile(Path);
    OpenForm();
    const QString Before = ShellTranscriptions(Path);
    QAction* Unify = Form->findChild<QAction*>("UnifyStressMarks");
    ASSERT_NE(Unify, nullptr);

    TMessageBox::SetNextAnswer(QMessageBox::No);
    Unify->trigger();
    EXPECT_EQ(LastBoxText(), "2 transcriptions write the stress mark as \u02C8. Write it as "
                             "\u02CB, as the rest of the dictionary does?");
    EXPECT_EQ(TMessageBox::Answered().last().DefaultButton, QMessageBox::No);
    EXPECT_EQ(ShellTranscriptions(Path), Before);

    UI(Form, SearchEdit)->setText("water");
    ASSERT_EQ(UI(Form, TransDBEdit)->text(), "ˈwɔːtə");
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    Unify->trigger();
    EXPECT_EQ(ShellTranscriptions(Path), "water=ˋwɔːtə\nice=ˋaɪs ˋkriːm\ncat=kæt\n"
                                         "table=ˋteɪbl\nodd=blob2");
    EXPECT_EQ(Form->findChild<QLabel*>("StatusPanel")->text(), "2 transcriptions changed.");
    // The window shows the current entry's new transcription, and stays on it.
    EXPECT_EQ(UI(Form, TransDBEdit)->text(), "ˋwɔːtə");
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 5 records Pos:5");

    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Unify->trigger();
    EXPECT_EQ(LastBoxText(), "Every transcription already writes its stress mark as \u02CB.");
}
