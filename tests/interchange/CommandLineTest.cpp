#include "tests/interchange/InterchangeTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The program itself, on a data file named in a hand-written settings file.
class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Data = MakeDictionary(Dir, "english.mdb", {{"sky", "небе", "skaɪ", 9}});
        QFile Hive(Dir.filePath("registry.reg"));
        ASSERT_TRUE(Hive.open(QIODevice::WriteOnly));
        Hive.write("Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n\"DataFile\"=\"" +
                   Data.toUtf8() + "\"\r\n");
    }

    int Run(const QStringList& Arguments)
    {
        return RunProgram(VEXLO_PROGRAM, Arguments, Out, Err,
                          {"VEXLO_REGISTRY=" + Dir.filePath("registry.reg"),
                           "QT_QPA_PLATFORM=offscreen"});
    }

    // The same in a child whose address space is limited to LimitKb (ulimit -v).
    int RunLimited(const QStringList& Arguments, qint64 LimitKb)
    {
        return RunProgram(
            "sh",
            QStringList{"-c", "ulimit -v " + QString::number(LimitKb) + " && exec \"$0\" \"$@\"",
                        VEXLO_PROGRAM} +
                Arguments,
            Out, Err,
            {"VEXLO_REGISTRY=" + Dir.filePath("registry.reg"), "QT_QPA_PLATFORM=offscreen"});
    }

    // The data file is still the dictionary it was.
    void ExpectDataFileKept(const std::vector<TStoredRow>& Before)
    {
        QFile File(Data);
        ASSERT_TRUE(File.open(QIODevice::ReadOnly));
        EXPECT_EQ(File.read(16), QByteArray("SQLite format 3", 16));
        EXPECT_EQ(StoredRows(Data), Before);
    }

    QTemporaryDir Dir;
    QString Data;
    QString Out;
    QString Err;
};

TEST_F(CommandLine, ImportsAndExportsTheConfiguredDataFile)
{
    EXPECT_EQ(Run({"--import", Fixture("bad-rows.tsv")}), 0) << Err.toStdString();
    EXPECT_TRUE(Out.startsWith("Added 2 entries, skipped 4, duplicates 2 (")) << Out.toStdString();
    EXPECT_EQ(Out.count('\n'), 1);
    EXPECT_TRUE(Err.contains("bad-rows.tsv: line 4: the level is not a number from 0 to 9"))
        << Err.toStdString();
    EXPECT_EQ(StoredRows(Data).size(), 3u);

    const QString File = Dir.filePath("out.kvtml");
    EXPECT_EQ(Run({"--export", File}), 0) << Err.toStdString();
    EXPECT_EQ(Out, "Exported 3 entries from " + Data + " to " + File + ".\n");
    EXPECT_TRUE(QFile::exists(File));
}

TEST_F(CommandLine, SpreadsheetsInAndOut)
{
    struct
    {
        const char* Name;
        const char* Swapped; // the summary of the import with English and Bulgarian swapped
    } Cases[] = {{"words.ods", "Added 2 entries"},
                 {"words.xlsx", "Nothing was added, skipped 0, duplicates 2 ("}};
    for (const auto& Case : Cases) {
        const QString File = Dir.filePath(Case.Name);
        EXPECT_EQ(Run({"--export", File}), 0) << Err.toStdString();
        EXPECT_EQ(Out, "Exported 1 entry from " + Data + " to " + File + ".\n");
    }
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const QString File = Dir.filePath(Case.Name);
        EXPECT_EQ(Run({"--import", File}), 0) << Err.toStdString();
        EXPECT_TRUE(Out.startsWith("Nothing was added, skipped 0, duplicates 1 ("))
            << Out.toStdString();
        // The columns the user names: the header row is then a row like the others.
        EXPECT_EQ(Run({"--import", File, "--columns", "Bulgarian,-,English"}), 0)
            << Err.toStdString();
        EXPECT_TRUE(Out.startsWith(Case.Swapped)) << Out.toStdString();
        EXPECT_TRUE(Err.isEmpty()) << Err.toStdString();
    }
    const auto After = StoredRows(Data);
    ASSERT_EQ(After.size(), 3u);
    EXPECT_EQ(After[1].ENAME, "Bulgarian");
    EXPECT_EQ(After[2].ENAME, "небе");
    EXPECT_EQ(After[2].BULG, "sky");
}

// A KDE document's languages are taken by code or name, else in order, without a question; the
// report says which were taken in order and which were left out.
TEST_F(CommandLine, KdeDocumentLanguagesAreNamed)
{
    const QString Coded = WriteFile(
        Dir.filePath("coded.kvtml"),
        "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><identifiers>"
        "<identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>"
        "<identifier id=\"1\"><name>Français</name><locale>fr</locale></identifier>"
        "<identifier id=\"2\"><name>Italiano</name><locale>it</locale></identifier></identifiers>"
        "<entries><entry id=\"0\"><translation id=\"0\"><text>Hund</text></translation>"
        "<translation id=\"1\"><text>chien</text></translation><translation id=\"2\"><text>"
        "cane</text></translation></entry></entries></kvtml>\n");
    EXPECT_EQ(Run({"--import", Fixture("en-de-bg.kvtml")}), 0) << Err.toStdString();
    EXPECT_EQ(Err, Fixture("en-de-bg.kvtml") + ": Languages left out: German.\n");
    EXPECT_EQ(Run({"--import", Coded}), 0) << Err.toStdString();
    EXPECT_EQ(Err, Coded +
                       ": Taken in the document's order: Deutsch as English, Français as "
                       "Bulgarian.\n" +
                       Coded + ": Languages left out: Italiano.\n");
    EXPECT_EQ(StoredRows(Data).back(), (TStoredRow{3, "Hund", "chien", "", 0}));
}

TEST_F(CommandLine, AccessTableMappedOnTheCommandLine)
{
    EXPECT_EQ(Run({"--import", AccessSample("nwind.mdb"), "--columns",
                   "Table=Shippers, English=CompanyName, Bulgarian=Phone, Level=ShipperID"}),
              0)
        << Err.toStdString();
    EXPECT_TRUE(Out.startsWith("Added 3 entries, skipped 0, duplicates 0 (")) << Out.toStdString();
    const auto Rows = StoredRows(Data);
    ASSERT_EQ(Rows.size(), 4u);
    EXPECT_EQ(Rows[3], (TStoredRow{4, "Federal Shipping", "(503) 555-9931", "", 3}));
}

TEST_F(CommandLine, FailuresExitNonZeroAndChangeNothing)
{
    const QTemporaryDir Elsewhere;
    struct
    {
        QStringList Arguments;
        int Code;
        const char* Message;
    } Cases[] = {
        {{"--import"}, 2, "Usage"},
        {{"--import", Fixture("latin1.tsv")}, 1, "is not UTF-8 text"},
        {{"--import", Fixture("latin1.tsv")}, 1, "with --encoding"},
        {{"--import", Fixture("latin1.tsv"), "--encoding", "ebcdic-klingon"}, 1, "not known"},
        {{"--import", Fixture("three-columns.txt")}, 1, "--columns English,Transcription"},
        {{"--import", Fixture("three-columns.txt"), "--columns", "English,Meaning2"}, 1, "Meaning2"},
        {{"--export", Dir.filePath("deck.txt"), "--anki", "middle"}, 1, "front or back"},
        {{"--export", Dir.filePath("deck.txt"), "--anki"}, 1, "--anki needs a value"},
        {{"--import", Fixture("truncated.kvtml")}, 1, "Premature end of document"},
        {{"--import", AccessSample("nwind.mdb")}, 1, "no vocabulary table English"},
        {{"--import", AccessSample("nwind.mdb"), "--columns", "Table=Shippers"}, 1, "English="},
        {{"--import", AccessSample("nwind.mdb"), "--columns", "Table=Shippers,English=Nope"},
         1,
         "no column Nope"},
        {{"--import", AccessSample("nwind.mdb"), "--columns", "Table=Shippers,Word=Phone"},
         1,
         "--columns knows"},
        {{"--import", Dir.filePath("missing.csv")}, 1, "does not exist"},
        {{"--import", WriteFile(Elsewhere.filePath("text.xlsx"), "English,Bulgarian\n")},
         1,
         "not a readable Excel workbook (.xlsx): it is not a zip archive"},
        {{"--export", Dir.filePath("words.mdb")}, 1, "only read"},
        {{"--export", Dir.filePath("no/folder/words.tsv")}, 1, "cannot be written"},
    };
    const auto Before = StoredRows(Data);
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Arguments.join(' ').toStdString());
        EXPECT_EQ(Run(Case.Arguments), Case.Code);
        EXPECT_TRUE(Err.contains(Case.Message)) << Err.toStdString();
        EXPECT_TRUE(Out.isEmpty()) << Out.toStdString();
    }
    EXPECT_EQ(StoredRows(Data), Before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"english.mdb", "registry.reg"}));
}

// File types as lstat tells them.
char KindOf(const QString& Path)
{
    struct stat Info;
    if (::lstat(QFile::encodeName(Path).constData(), &Info) != 0)
        return '?';
    return S_ISLNK(Info.st_mode)    ? 'l'
           : S_ISFIFO(Info.st_mode) ? 'p'
           : S_ISCHR(Info.st_mode)  ? 'c'
           : S_ISDIR(Info.st_mode)  ? 'd'
           : S_ISREG(Info.st_mode)  ? 'f'
                                    : 'o';
}

// Names that lead to the data file, and files that are not regular: the data file is never
// replaced, nor is a pipe or a device; a device or a read pipe is written into.
TEST_F(CommandLine, ExportNeverReplacesTheDataFileOrASpecialFile)
{
    const auto Before = StoredRows(Data);
    const bool Devices = ::mknod(QFile::encodeName(Dir.filePath("null.tsv")).constData(),
                                 S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                         ::mknod(QFile::encodeName(Dir.filePath("full.tsv")).constData(),
                                 S_IFCHR | 0666, makedev(1, 7)) == 0 &&
                         // (a file system mounted nodev refuses to open them)
                         QFile(Dir.filePath("null.tsv")).open(QIODevice::WriteOnly);
    if (!Devices)
        std::cout << "Device nodes cannot be made or opened here (not root, or a nodev file "
                     "system): the device cases are left out.\n";
    ASSERT_TRUE(QFile::link(Data, Dir.filePath("link.tsv")));
    ASSERT_TRUE(QFile::link(Dir.filePath("link.tsv"), Dir.filePath("link-to-link.csv")));
    ASSERT_EQ(::link(QFile::encodeName(Data).constData(),
                     QFile::encodeName(Dir.filePath("hard.kvtml")).constData()),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Dir.filePath("pipe.tsv")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.tsv"));
    WriteFile(Dir.filePath("other.tsv"), "old");
    QFile(Dir.filePath("other.tsv"))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(QFile::link("other.tsv", Dir.filePath("other-link.tsv")));
    struct
    {
        const char* Name;
        bool Device;
        int Code;
        const char* Message; // on the error output, or the start of the summary
        char Kind;           // what the name is afterwards
    } Cases[] = {
        {"link.tsv", false, 1, "is the open data file", 'l'},
        {"link-to-link.csv", false, 1, "is the open data file", 'l'},
        {"hard.kvtml", false, 1, "is the open data file", 'f'},
        {"pipe.tsv", false, 1, "is a pipe that no program reads from; nothing was written.", 'p'},
        {"folder.tsv", false, 1, "is not a regular file", 'd'},
        {"null.tsv", true, 0, "Exported 1 entry", 'c'},
        {"full.tsv", true, 1, "cannot be written: No space left on device.", 'c'},
        {"other-link.tsv", false, 0, "Exported 1 entry", 'l'},
    };
    for (const auto& Case : Cases) {
        if (Case.Device && !Devices)
            continue;
        SCOPED_TRACE(Case.Name);
        const QString Target = Dir.filePath(Case.Name);
        EXPECT_EQ(Run({"--export", Target}), Case.Code);
        EXPECT_TRUE((Case.Code == 0 ? Out : Err).contains(Case.Message))
            << Out.toStdString() << Err.toStdString();
        EXPECT_TRUE(Case.Code != 0 || Err.isEmpty()) << Err.toStdString();
        EXPECT_EQ(KindOf(Target), Case.Kind);
        ExpectDataFileKept(Before);
    }
    // A link to another file: that file is replaced and keeps its permissions.
    EXPECT_EQ(
        TInterchange::ReadFile(Dir.filePath("other.tsv"), TInterchangeFormat::Tsv).Rows.size(), 1u);
    EXPECT_EQ(QFileInfo(Dir.filePath("other.tsv")).permissions() & 0x0777,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    EXPECT_TRUE(QDir(Dir.path()).entryList({"*.part"}, QDir::AllEntries | QDir::System).isEmpty());
}

TEST_F(CommandLine, ExportWritesIntoAPipeThatIsRead)
{
    const QString Pipe = Dir.filePath("pipe.tsv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
    // The reading end is open before the export starts (and the export is small enough for the
    // pipe's buffer), so no waiting on either side.
    const int Reader =
        ::open(QFile::encodeName(Pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(Reader, 0);
    EXPECT_EQ(Run({"--export", Pipe}), 0) << Err.toStdString();
    EXPECT_TRUE(Out.startsWith("Exported 1 entry")) << Out.toStdString();
    QByteArray Received(65536, '\0');
    const ssize_t Got = ::read(Reader, Received.data(), Received.size());
    ::close(Reader);
    ASSERT_GT(Got, 0);
    Received.truncate(Got);
    EXPECT_EQ(QString::fromUtf8(Received),
              "#separator:tab\n#html:false\n#columns:English\tTranscription\tBulgarian\tLevel\n"
              "sky\tskaɪ\tнебе\t9\n");
    EXPECT_EQ(KindOf(Pipe), 'p');
}

// A reader that goes away in the middle: a message, exit code 1, and no SIGPIPE death.
TEST_F(CommandLine, ExportToAPipeWhoseReaderLeaves)
{
    SqliteShell(Data,
                "WITH RECURSIVE N(I) AS (SELECT 2 UNION ALL SELECT I + 1 FROM N WHERE I < 2000) "
                "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) SELECT I, 'word' || I, "
                "printf('%.100c', 'д'), '', 1 FROM N;");
    const QString Pipe = Dir.filePath("pipe.tsv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
    const int Reader =
        ::open(QFile::encodeName(Pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(Reader, 0);
    QProcess Export;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("VEXLO_REGISTRY", Dir.filePath("registry.reg"));
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    Export.setProcessEnvironment(Env);
    Export.start(VEXLO_PROGRAM, {"--export", Pipe});
    // The export has opened the pipe once data arrives (more than the pipe holds is to come).
    pollfd Poll{Reader, POLLIN, 0};
    ASSERT_EQ(::poll(&Poll, 1, 60000), 1);
    char Some[100];
    EXPECT_GT(::read(Reader, Some, sizeof Some), 0);
    ::close(Reader);
    ASSERT_TRUE(Export.waitForFinished(60000));
    EXPECT_EQ(Export.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Export.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(Export.readAllStandardError()),
              "The program reading from " + Pipe + " stopped before the export was complete.\n");
    EXPECT_EQ(KindOf(Pipe), 'p');
}

// The spreadsheet guard of .csv files, and --csv-as-is to leave it off.
TEST_F(CommandLine, CsvGuardCanBeLeftOff)
{
    SqliteShell(Data, "INSERT INTO English VALUES (2, '=1+1', '@A1', '-', 0);");
    struct
    {
        QStringList Options;
        const char* Line;
    } Cases[] = {
        {{}, "\"'=1+1\",\"'-\",\"'@A1\",0\r\n"},
        {{"--csv-as-is"}, "=1+1,-,@A1,0\r\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Options.join(' ').toStdString());
        const QString File = Dir.filePath("words.csv");
        EXPECT_EQ(Run(QStringList{"--export", File} + Case.Options), 0) << Err.toStdString();
        QFile Written(File);
        ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromUtf8(Written.readAll()).endsWith(Case.Line));
    }
}

// Files of other programs: the encoding and the columns named on the command line, and notes
// written for a flashcard program.
TEST_F(CommandLine, EncodingColumnsAndAnkiNotes)
{
    struct
    {
        QStringList Arguments;
        const char* Summary;
    } Cases[] = {
        {{"--import", Fixture("cp1251.tsv")}, "Added 2 entries, skipped 0, duplicates 0 ("},
        {{"--import", Fixture("latin1.tsv"), "--encoding", "ISO-8859-1"},
         "Added 2 entries, skipped 0, duplicates 0 ("},
        {{"--import", Fixture("three-columns.txt"), "--columns", "English,Transcription,Bulgarian"},
         "Added 2 entries, skipped 0, duplicates 0 ("},
        {{"--import", Fixture("anki-notes.txt")}, "Added 3 entries, skipped 0, duplicates 0 ("},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Arguments.join(' ').toStdString());
        EXPECT_EQ(Run(Case.Arguments), 0) << Err.toStdString();
        EXPECT_TRUE(Out.startsWith(Case.Summary)) << Out.toStdString();
    }
    const auto Rows = StoredRows(Data);
    ASSERT_EQ(Rows.size(), 10u);
    EXPECT_EQ(Rows[1], (TStoredRow{2, "bread", "хляб", "", 0}));
    EXPECT_EQ(Rows[3], (TStoredRow{4, "café", "kafe", "", 0}));
    EXPECT_EQ(Rows[5], (TStoredRow{6, "cat", "котка", "kæt", 0}));
    EXPECT_EQ(Rows[7], (TStoredRow{8, "run", "тичам\r\nбягам", "", 2}));

    const QString Deck = Dir.filePath("deck.txt");
    EXPECT_EQ(Run({"--export", Deck, "--anki", "back"}), 0) << Err.toStdString();
    QFile Written(Deck);
    ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
    const QString Text = QString::fromUtf8(Written.readAll());
    EXPECT_TRUE(Text.startsWith("#separator:tab\n#html:false\n#notetype:Basic\n#tags column:3\n"
                                "sky\t[skaɪ] небе\tlevel::9\n"))
        << Text.toStdString();
    EXPECT_TRUE(Text.contains("\ncat\t[kæt] котка\tlevel::0\n")) << Text.toStdString();
}

// A full disk (a small tmpfs): the reason is named, the old file stays, nothing is left behind.
TEST_F(CommandLine, ExportOntoAFullDiskNamesTheReason)
{
    const QString Mount = Dir.filePath("small");
    ASSERT_TRUE(QDir(Dir.path()).mkdir("small"));
    if (::mount("tmpfs", QFile::encodeName(Mount).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted here (not root?): " << std::strerror(errno);
    struct TUnmount
    {
        QByteArray Path;
        ~TUnmount() { ::umount(Path.constData()); }
    } Unmount{QFile::encodeName(Mount)};
    SqliteShell(Data,
                "WITH RECURSIVE N(I) AS (SELECT 2 UNION ALL SELECT I + 1 FROM N WHERE I < 1000) "
                "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) SELECT I, 'word' || I, "
                "printf('%.100c', 'д'), '', 1 FROM N;");
    const QString Old = WriteFile(Mount + "/words.tsv", "old");
    EXPECT_EQ(Run({"--export", Old}), 1);
    EXPECT_EQ(Err, "The file " + Old + " cannot be written: No space left on device.\n");
    QFile File(Old);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_EQ(File.readAll(), "old");
    EXPECT_EQ(QDir(Mount).entryList(QDir::Files | QDir::Hidden), QStringList{"words.tsv"});
}

// Files too large to read, or built to exhaust the stack or the memory: one message naming the
// file, exit code 1, the dictionary unchanged (a crash gives -1).
TEST_F(CommandLine, HugeAndHostileFilesAreRefusedWithAMessage)
{
    constexpr qint64 Gb = qint64(1) << 30;
    const QString Text = Dir.filePath("128mb.tsv");
    {
        QFile File(Text);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        const QByteArray Block = QByteArray("a\n").repeated(1 << 19);
        for (int I = 0; I < 128; ++I)
            ASSERT_EQ(File.write(Block), Block.size());
    }
    struct
    {
        QString File;
        qint64 LimitKb; // 0: no limit
        QString Message;
    } Cases[] = {
        {SparseFile(Dir.filePath("64gb.tsv"), 64 * Gb), 0,
         "The file " + Dir.filePath("64gb.tsv") +
             " is too large to import (65536 MB): files of up to 256 MB are read."},
        {SparseFile(Dir.filePath("64gb.kvtml"), 64 * Gb), 0,
         "The file " + Dir.filePath("64gb.kvtml") +
             " is too large to import (65536 MB): files of up to 256 MB are read."},
        {SparseFile(Dir.filePath("3gb.tsv"), 3 * Gb), 2 * 1024 * 1024,
         "The file " + Dir.filePath("3gb.tsv") +
             " is too large to import (3072 MB): files of up to 256 MB are read."},
        {Text, 2 * 1024 * 1024,
         "There is not enough memory to read the file " + Text + " (128 MB)."},
        {WriteFile(Dir.filePath("deep.kvtml"), DeepKvtml(60000, false)), 0,
         "elements are nested more than 256 deep"},
        {WriteFile(Dir.filePath("deep-text.kvtml"), DeepKvtml(120000, true)), 0,
         "elements are nested more than 256 deep"},
        {WriteFile(Dir.filePath("entities.kvtml"), EntityKvtml(4000, 100000)), 0,
         "its entities expand to more than 1000000 characters"},
    };
    const auto Before = StoredRows(Data);
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File.toStdString());
        const int Code = Case.LimitKb ? RunLimited({"--import", Case.File}, Case.LimitKb)
                                      : Run({"--import", Case.File});
        EXPECT_EQ(Code, 1) << Err.toStdString();
        EXPECT_TRUE(Err.contains(Case.Message)) << Err.toStdString();
        EXPECT_TRUE(Out.isEmpty()) << Out.toStdString();
    }
    ExpectDataFileKept(Before);
}

} // namespace
