// Files as the peers write them: KDE's lists, flashcard programs' notes and cards, spreadsheets
// saved on Windows, lists without a header; and the notes we write for a flashcard program.
#include "tests/interchange/InterchangeTestSupport.h"

#include "interchange/TDelimitedText.h"
#include "interchange/TForeignText.h"
#include "store/TVexloConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {

TInterchange::TImportSummary ImportInto(const QString& DataFile, const TSourceData& Data)
{
    TVexloConnection Connection;
    Connection.DefaultDatabase = DataFile;
    Connection.Open();
    return TInterchange::Import(Connection, Data);
}

TEST(PeerFiles, ReadAsTheirMakersMeantThem)
{
    struct
    {
        const char* File;
        TReadOptions Options;
        std::vector<TExpectedRow> Rows;
    } Cases[] = {
        // A notes export: meta columns left out, Front/Back, HTML, a level among the tags.
        {"anki-notes.txt",
         {},
         {{7, "run", "", "тичам\r\nбягам", "2"},
          {8, "AT&T", "", "компания <телеком> А", ""},
          {9, "go", "", "първи ред\r\nвтори ред", ""}}},
        // Cards in plain text: two columns under "#html:true".
        {"anki-cards.txt", {}, {{3, "cat", "", "котка", ""}, {4, "run", "", "тичам\r\nбягам", ""}}},
        // Three columns without a header, the third a level.
        {"three-columns-level.csv",
         {},
         {{1, "cat", "", "котка", "2"}, {2, "house", "", "къща", ""}, {3, "run", "", "тичам", "1"}}},
        // Three columns the user named.
        {"three-columns.txt",
         {false, {}, {"English", "Transcription", "Bulgarian"}, {}, false},
         {{1, "cat", "kæt", "котка", ""}, {2, "house", "haʊs", "къща", ""}}},
        {"three-columns.txt",
         {false, {}, {"Bulgarian", "-", "English"}, {}, false},
         {{1, "котка", "", "cat", ""}, {2, "къща", "", "house", ""}}},
        // A spreadsheet's text saved on a Bulgarian Windows: detected.
        {"cp1251.tsv", {}, {{2, "bread", "", "хляб", ""}, {3, "water", "", "вода", ""}}},
        // Latin-1 is not taken for Windows-1251; named, it is read.
        {"latin1.tsv",
         {false, "iso-8859-1", {}, {}, false},
         {{2, "café", "", "kafe", ""}, {3, "naïve", "", "naivno", ""}}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File + (" " + Case.Options.Columns.join(',')).toStdString());
        const QString Path = Fixture(Case.File);
        ExpectRows(TInterchange::ReadFile(Path, TInterchange::FormatOf(Path), Case.Options),
                   Case.Rows);
    }
}

// KDE documents name their languages: English and Bulgarian are found by locale or name in any
// order, and the others are named as left out; KDE's library saving them keeps that true.
TEST(PeerFiles, KvtmlLanguagesByLocale)
{
    QTemporaryDir Dir;
    const QString Oracle = KvtmlOracle();
    for (const char* Name : {"bg-en.kvtml", "en-de-bg.kvtml"}) {
        QStringList Files{Fixture(Name)};
        QString Out, Err;
        if (!Oracle.isEmpty()) {
            Files << Dir.filePath(Name);
            ASSERT_EQ(RunProgram(Oracle, Files, Out, Err), 0) << Err.toStdString();
        }
        for (const QString& File : Files) {
            SCOPED_TRACE(File.toStdString());
            const TSourceData Data = TInterchange::ReadFile(File, TInterchangeFormat::Kvtml);
            ASSERT_GE(Data.Rows.size(), 1u);
            EXPECT_EQ(Data.Rows[0].English, "horse");
            EXPECT_EQ(Data.Rows[0].Bulgarian, "кон");
            EXPECT_EQ(Data.Note,
                      QString(Name) == "bg-en.kvtml" ? "" : "Languages left out: German.");
        }
    }
    EXPECT_EQ(TInterchange::ReadFile(Fixture("bg-en.kvtml"), TInterchangeFormat::Kvtml)
                  .Rows[0]
                  .Transcription,
              "hɔːs");
}

// Where the file leaves a doubt, the reader asks instead of guessing.
TEST(PeerFiles, DoubtsBecomeQuestions)
{
    struct
    {
        const char* File;
        EInterchangeQuestion::TKind Kind;
        const char* Message;
        QStringList Sample;
    } Cases[] = {
        {"three-columns.txt",
         EInterchangeQuestion::TKind::Columns,
         "three columns and no header row",
         {"cat | kæt | котка", "house | haʊs | къща"}},
        {"latin1.tsv",
         EInterchangeQuestion::TKind::Encoding,
         "Line 2 of the file is not UTF-8 text",
         {}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File);
        try {
            TInterchange::ReadFile(Fixture(Case.File), TInterchange::FormatOf(Case.File));
            ADD_FAILURE() << "read without asking";
        } catch (const EInterchangeQuestion& Question) {
            EXPECT_EQ(Question.Kind, Case.Kind);
            EXPECT_TRUE(Question.Message().contains(Case.Message)) << Question.what();
            EXPECT_EQ(Question.Sample, Case.Sample);
        }
    }
    // Columns that name nothing known, or no English column, are refused.
    for (const QStringList& Columns : {QStringList{"English", "Meaning2"}, QStringList{"-", "Level"}})
        EXPECT_THROW(TInterchange::ReadFile(Fixture("three-columns.txt"), TInterchangeFormat::Tsv,
                                            {false, {}, Columns, {}, false}),
                     EVexloDatabaseError);
}

// Every character of Windows-1251 as iconv converts it, and the detection on a file iconv made;
// 8-bit Latin text is not taken for Cyrillic.
TEST(PeerFiles, Windows1251AsIconvHasIt)
{
    QTemporaryDir Dir;
    QByteArray All;
    for (int C = 0x20; C <= 0xFF; ++C)
        if (C != 0x98 && C != 0x7F)
            All += char(C);
    const QString Bytes = WriteFile(Dir.filePath("1251.bin"), All);
    const QString Converted = Dir.filePath("utf8.txt");
    QString Out, Err;
    ASSERT_EQ(RunProgram("sh",
                         {"-c", "iconv -f WINDOWS-1251 -t UTF-8 \"$1\" > \"$2\"", "sh", Bytes,
                          Converted},
                         Out, Err),
              0)
        << Err.toStdString();
    QFile Expected(Converted);
    ASSERT_TRUE(Expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(TForeignText::FromWindows1251(All), QString::fromUtf8(Expected.readAll()));
    EXPECT_THROW(TForeignText::Decode("a\x98", "windows-1251"), EVexloDatabaseError);

    const QString Source =
        WriteFile(Dir.filePath("source.csv"), "Word;Meaning\nthe sun;слънце\nNo. 5;№ 5 — „пет“\n");
    const QString File = Dir.filePath("excel.csv");
    ASSERT_EQ(RunProgram("sh",
                         {"-c", "iconv -f UTF-8 -t WINDOWS-1251 \"$1\" > \"$2\"", "sh", Source,
                          File},
                         Out, Err),
              0)
        << Err.toStdString();
    const TSourceData Data = TInterchange::ReadFile(File, TInterchangeFormat::Csv);
    ASSERT_EQ(Data.Rows.size(), 2u);
    EXPECT_EQ(Data.Rows[0].Bulgarian, "слънце");
    EXPECT_EQ(Data.Rows[1].Bulgarian, "№ 5 — „пет“");

    for (const char* Latin : {"caf\xe9\n", "na\xefve \xe9t\xe9\n", "\xc0 la carte\n"})
        EXPECT_FALSE(TForeignText::LooksLikeWindows1251(Latin)) << Latin;
    EXPECT_TRUE(TForeignText::LooksLikeWindows1251("dog\t\xea\xf3\xf7\xe5\n"));
    EXPECT_FALSE(TForeignText::LooksLikeWindows1251("dog\t\xea\n")); // one letter says little
}

TEST(PeerFiles, HtmlFieldsBecomePlainText)
{
    struct
    {
        const char* Html;
        const char* Plain;
    } Cases[] = {
        {"тичам<br>бягам", "тичам\r\nбягам"},
        {"a<BR/>b<br />c", "a\r\nb\r\nc"},
        {"<div>one</div><div>two</div>", "one\r\ntwo"},
        {"one<div>two</div>", "one\r\ntwo"},
        {"<p>x</p><p>y</p>", "x\r\ny"},
        {"AT&amp;T &lt;b&gt; &quot;q&quot; &apos;s&#39; &#x410;&#1041;", "AT&T <b> \"q\" 's' АБ"},
        {"<b>bold</b> <span style=\"color:red\">red</span><img src=\"x.png\">", "bold red"},
        {"a&nbsp;b", "a b"},
        {"fish &chips; &#0; &#xD800; 3 < 4", "fish &chips; &#0; &#xD800; 3 < 4"},
        {"plain", "plain"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TForeignText::HtmlToPlain(Case.Html), QString(Case.Plain)) << Case.Html;
}

// Rows without any text are counted apart; a duplicate is a row equal in every part.
TEST(PeerFiles, EmptyRowsApartDuplicatesEqualInEveryPart)
{
    QTemporaryDir Dir;
    const QString DataFile = MakeDictionary(Dir, "words.db", {{"Make", "марка", "meɪk", 1}});
    TSourceData Data;
    const std::vector<TSourceRow> Rows{
        {2, "Make", "meɪk", "марка", "1", "", {}, {}}, // in the dictionary
        {3, "Make", "", "марка", "1", "", {}, {}},     // another transcription
        {4, "Make", "meɪk", "марка", "2", "", {}, {}}, // another level
        {5, "", "", "", "", "", {}, {}},               // an empty grid row
        {6, " ", "", "\t", "", "", {}, {}},            // white space only
        {7, "Make", "", "марка", "1", "", {}, {}},     // row 3 again
        {8, "", "", "марка", "", "", {}, {}},          // not empty: no English word
    };
    Data.Rows = Rows;
    const auto Summary = ImportInto(DataFile, Data);
    EXPECT_EQ(Summary.Read, 7);
    EXPECT_EQ(Summary.Added, 2);
    EXPECT_EQ(Summary.Duplicates, 2);
    EXPECT_EQ(Summary.EmptyRows, 2);
    ASSERT_EQ(Summary.Skipped.size(), 1u);
    EXPECT_EQ(Summary.Skipped[0].Line, 8);
    EXPECT_EQ(Summary.OneLine(), "Added 2 entries, skipped 1, duplicates 2, empty rows 2.");
    EXPECT_TRUE(Summary.Report().startsWith(
        "Rows read: 7\nTo add: 2\nSkipped: 1\nDuplicates: 2\nEmpty rows (left out): 2\n"));
    const std::vector<TStoredRow> Want{{1, "Make", "марка", "meɪk", 1},
                                       {2, "Make", "марка", "", 1},
                                       {3, "Make", "марка", "meɪk", 2}};
    EXPECT_EQ(StoredRows(DataFile), Want);
}

// KDE's library writes its lists with the title and author first, and empty entries as empty
// rows: a list it made comes in without either.
TEST(PeerFiles, KdeListWithTitleAndEmptyEntries)
{
    const QString Oracle = KvtmlOracle();
    if (Oracle.isEmpty())
        GTEST_SKIP() << "the KDE oracle is built by tools/test.sh";
    QTemporaryDir Dir;
    const QString Source = WriteFile(Dir.filePath("quiz.kvtml"), R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <information><generator>kwordquiz</generator><title>Title: Animals</title></information>
  <identifiers>
    <identifier id="0"><name>Column 1</name></identifier>
    <identifier id="1"><name>Column 2</name></identifier>
  </identifiers>
  <entries>
    <entry id="0"><translation id="0"><text>cat</text></translation><translation id="1"><text>котка</text></translation></entry>
    <entry id="1"><translation id="0"><text></text></translation><translation id="1"><text></text></translation></entry>
    <entry id="2"><translation id="0"><text>dog</text></translation><translation id="1"><text>куче</text></translation></entry>
    <entry id="3"><translation id="0"><text></text></translation><translation id="1"><text></text></translation></entry>
  </entries>
</kvtml>
)");
    const QString List = Dir.filePath("quiz.csv");
    QString Out, Err;
    ASSERT_EQ(RunProgram(Oracle, {Source, List}, Out, Err), 0) << Err.toStdString();
    QFile Written(List);
    ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
    ASSERT_TRUE(Written.readAll().startsWith("Title:\tTitle: Animals\nAuthor:"));

    const QString DataFile = MakeDictionary(Dir, "words.db");
    const auto Summary =
        ImportInto(DataFile, TInterchange::ReadFile(List, TInterchangeFormat::Csv));
    EXPECT_TRUE(Summary.Skipped.empty());
    EXPECT_EQ(Summary.EmptyRows, 2);
    const std::vector<TStoredRow> Want{{1, "cat", "котка", "", 0},
                                       {2, "dog", "куче", "", 0},
                                       {3, "oracle", "оракул пророк", "", 0}};
    EXPECT_EQ(StoredRows(DataFile), Want);
}

// The notes for a flashcard program: Front, Back, a level tag; read back as they were meant.
TEST(PeerFiles, AnkiNotesExport)
{
    const std::vector<TEnBgRecord> Entries{{"cat", "котка", "kæt", 2},
                                           {"run", "тичам\r\nбягам", "", 0},
                                           {"say \"hi\"", "кажи", "seɪ", 9}};
    EXPECT_EQ(TInterchange::Encode(Entries, TInterchangeFormat::AnkiFront),
              "#separator:tab\n#html:false\n#notetype:Basic\n#tags column:3\n"
              "cat [kæt]\tкотка\tlevel::2\n"
              "run\t\"тичам\nбягам\"\tlevel::0\n"
              "\"say \"\"hi\"\" [seɪ]\"\tкажи\tlevel::9\n");
    const QByteArray Back = TInterchange::Encode(Entries, TInterchangeFormat::AnkiBack);
    EXPECT_TRUE(Back.contains("cat\t[kæt] котка\tlevel::2\n"));
    const TSourceData Data = TDelimitedText::Read(Back);
    ASSERT_EQ(Data.Rows.size(), 3u);
    EXPECT_EQ(Data.Rows[1].English, "run");
    EXPECT_EQ(Data.Rows[1].Bulgarian, "тичам\nбягам");
    EXPECT_EQ(Data.Rows[2].English, "say \"hi\"");
    EXPECT_EQ(Data.Rows[2].Bulgarian, "[seɪ] кажи");
    EXPECT_EQ(Data.Rows[2].Level, "9");
}

// LibreOffice opens our .csv files: a guarded text stays text (unguarded, =1+1 is run and saved
// as 2), and what it saves comes back as it was; a .csv it saves in Windows-1251 is detected.
TEST(PeerFiles, SpreadsheetKeepsTextAsText)
{
    const QString Office = QStandardPaths::findExecutable("soffice");
    if (Office.isEmpty())
        GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) is installed by tools/deps.sh";
    QTemporaryDir Dir;
    const std::vector<TEnBgRecord> Entries{{"=1+1", "'=вече", "-ɪŋ", 1},
                                           {"@SUM(1)", "ред, запетая\r\nвтори ред", "'", 2},
                                           {"+cmd", "\"кавички\"", "", 3},
                                           {"plain", "обикновен", "pleɪn", 9}};
    const QString Source = MakeDictionary(Dir, "source.db", Entries);
    {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Source;
        Connection.Open();
        TInterchange::Export(Connection, Dir.filePath("guarded.csv"), TInterchangeFormat::Csv);
        TInterchange::TExportOptions AsIs;
        AsIs.GuardFormulas = false;
        TInterchange::Export(Connection, Dir.filePath("as-is.csv"), TInterchangeFormat::Csv, AsIs);
    }
    // A profile of its own, so that other LibreOffice processes do not share it.
    auto Convert = [&](const QStringList& Files, const QString& Filter, const QString& OutDir) {
        QString Out, Err;
        const int Code = RunProgram(
            Office,
            QStringList{"-env:UserInstallation=" + QUrl::fromLocalFile(Dir.filePath("profile")).toString(),
                        "--headless", "--infilter=CSV:44,34,76,1", "--convert-to", Filter,
                        "--outdir", OutDir} +
                Files,
            Out, Err, {"HOME=" + Dir.path()});
        EXPECT_EQ(Code, 0) << Err.toStdString();
    };
    const QString Saved = Dir.filePath("saved");
    Convert({Dir.filePath("guarded.csv"), Dir.filePath("as-is.csv")},
            "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true", Saved);
    QFile AsIs(Saved + "/as-is.csv");
    ASSERT_TRUE(AsIs.open(QIODevice::ReadOnly));
    EXPECT_TRUE(AsIs.readAll().contains("\n2,")) << "without the guard, =1+1 was not run";

    const QString Target = MakeDictionary(Dir, "target.db");
    const auto Summary =
        ImportInto(Target, TInterchange::ReadFile(Saved + "/guarded.csv", TInterchangeFormat::Csv));
    EXPECT_TRUE(Summary.Skipped.empty());
    EXPECT_EQ(StoredRows(Target), StoredRows(Source));

    const QString Cyrillic = Dir.filePath("cp1251");
    // Semicolons and Windows-1251 (LibreOffice's encoding number 34), as on a Bulgarian Windows.
    Convert({Dir.filePath("guarded.csv")}, "csv:Text - txt - csv (StarCalc):59,34,34,1", Cyrillic);
    QFile Windows(Cyrillic + "/guarded.csv");
    ASSERT_TRUE(Windows.open(QIODevice::ReadOnly));
    const QByteArray Bytes = Windows.readAll();
    ASSERT_TRUE(Bytes.contains("\xEE\xE1\xE8\xEA\xED\xEE\xE2\xE5\xED")) << "not Windows-1251";
    const TSourceData Data = TInterchange::ReadFile(Windows.fileName(), TInterchangeFormat::Csv);
    ASSERT_EQ(Data.Rows.size(), 4u);
    EXPECT_EQ(Data.Rows[3].Bulgarian, "обикновен");
    EXPECT_EQ(Data.Rows[0].Bulgarian, "'=вече");
}

} // namespace
