#include "tests/interchange/InterchangeTestSupport.h"

#include "interchange/TDelimitedText.h"
#include "interchange/TKvtmlDocument.h"
#include "store/EVexloDatabaseError.h"
#include "store/TDataFileTool.h"
#include "store/TVexloConnection.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

struct TReadCase
{
    const char* File;
    std::vector<TExpectedRow> Rows;
};

class ReadsFiles : public ::testing::TestWithParam<TReadCase>
{};

TEST_P(ReadsFiles, RowsAsTheFileHoldsThem)
{
    const TReadCase& Case = GetParam();
    const QString Path = Fixture(Case.File);
    ExpectRows(TInterchange::ReadFile(Path, TInterchange::FormatOf(Path)), Case.Rows);
}

INSTANTIATE_TEST_SUITE_P(
    Interchange, ReadsFiles,
    ::testing::Values(
        // Header lines of flashcard programs, doubled quotes, a multi-line meaning in quotes.
        TReadCase{"flashcards.txt",
                  {{4, "house", "haʊs", "къща", "1"},
                   {5, "say \"hi\"", "seɪ", "кажи\nздравей", "2"},
                   {7, "run", "", "бягам, тичам", ""}}},
        // UTF-8 with a byte-order mark, semicolons, a header in another order with a column of
        // its own, CR LF inside quotes, a blank line.
        TReadCase{"header-any-order.csv",
                  {{2, "apple", "", "ябълка; плод", "3"},
                   {3, "line", "", "първи ред\r\nвтори ред", ""},
                   {6, "cat", "", "котка", "9"}}},
        // No header: English, Transcription, Bulgarian, Level; missing columns are empty.
        TReadCase{"no-header.csv",
                  {{1, "dog", "dɒɡ", "куче, пес", "4"}, {2, "bird", "", "птица", ""}}},
        TReadCase{"utf16-bom.tsv", {{2, "меню", "", "меню", ""}, {3, "зелен", "", "зелен", ""}}},
        TReadCase{"utf16be-bom.tsv", {{2, "bread", "", "хляб", ""}}},
        // The first two of three languages, a level from a nested lesson, markup kept as text.
        TReadCase{"three-languages.kvtml",
                  {{14, "cat", "kæt", "котка", "4"},
                   {19, "<b>bold</b>", "", "първи ред\nвтори ред", ""},
                   {24, "dog", "", "", ""}}}));

struct TMalformedCase
{
    const char* File;
    const char* Message;
};

class RefusesMalformedFiles : public ::testing::TestWithParam<TMalformedCase>
{};

TEST_P(RefusesMalformedFiles, WithAMessageNamingTheLine)
{
    const QString Path = QString(GetParam().File).startsWith("/") ? QString(GetParam().File)
                                                                   : Fixture(GetParam().File);
    try {
        TInterchange::ReadFile(Path, TInterchange::FormatOf(Path));
        ADD_FAILURE() << "read without complaint";
    } catch (const EVexloDatabaseError& Error) {
        EXPECT_TRUE(Error.Message().contains(GetParam().Message)) << Error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Interchange, RefusesMalformedFiles,
    ::testing::Values(TMalformedCase{"unclosed-quote.csv", "opened on line 3 are never closed"},
                      TMalformedCase{"latin1.tsv", "Line 2 of the file is not UTF-8"},
                      TMalformedCase{"truncated.kvtml", "Premature end of document. (line 18)"},
                      TMalformedCase{"version1.kvtml", "only version 2"},
                      TMalformedCase{"flashcards.txt.missing", "does not exist"},
                      TMalformedCase{VEXLO_ACCESS_TESTDATA "/nwind.mdb", "Words are read from"}));

TEST(DelimitedText, BinaryDataIsNotText)
{
    QByteArray Utf16NoMark = QByteArray("w\0o\0r\0d\0\n\0", 10);
    EXPECT_THROW(TDelimitedText::Read(Utf16NoMark), EVexloDatabaseError);
}

TEST(DelimitedText, SeparatorIsTheOneEveryLineShares)
{
    struct
    {
        const char* Text;
        QChar Separator;
    } Cases[] = {
        {"a\tb, c\td\ne\tf, g\th\n", u'\t'},
        {"a;\"b,c,d\";e\nf;g;h\n", u';'},
        {"a,b;c\nd,e\nf,g\n", u','},
        {"\"a\tb\",c\n\"d\te\",f\n", u','},
        {"word\n", u'\t'},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(TDelimitedText::DetectSeparator(QString(Case.Text)), Case.Separator)
            << Case.Text;
}

// Only UTF-8 and UTF-16 are read: UTF-32 (made by iconv) gets one message, and UTF-16 must be
// well-formed.
TEST(DelimitedText, OnlyUtf8AndWellFormedUtf16AreRead)
{
    QTemporaryDir Dir;
    struct
    {
        const char* What;
        QByteArray Bytes;
        const char* Message;
    } Cases[] = {
        {"UTF-16LE, a lone high surrogate on line 2",
         QByteArray("\xFF\xFE"
                    "a\0\n\0b\0\x00\xD8\n\0",
                    12),
         "line 2 is not well-formed UTF-16"},
        {"UTF-16BE, a lone low surrogate", QByteArray("\xFE\xFF\xDC\x00\0a", 6),
         "line 1 is not well-formed UTF-16"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        try {
            TTextDecoding::DecodeText(Case.Bytes);
            ADD_FAILURE() << "decoded without complaint";
        } catch (const EVexloDatabaseError& Error) {
            EXPECT_TRUE(Error.Message().contains(Case.Message)) << Error.what();
        }
    }
    for (const char* Encoding : {"UTF-32", "UTF-32LE", "UTF-32BE"}) {
        SCOPED_TRACE(Encoding);
        const QString Source = WriteFile(Dir.filePath("source.tsv"), "word\tдума\nsky\tнебе\n");
        const QString File = Dir.filePath(QString(Encoding) + ".tsv");
        QString Out, Err;
        ASSERT_EQ(RunProgram("sh",
                             {"-c", "iconv -f UTF-8 -t \"$1\" \"$2\" > \"$3\"", "sh", Encoding,
                              Source, File},
                             Out, Err),
                  0)
            << Err.toStdString();
        try {
            TInterchange::ReadFile(File, TInterchangeFormat::Tsv);
            ADD_FAILURE() << "read without complaint";
        } catch (const EVexloDatabaseError& Error) {
            EXPECT_EQ(Error.Message(), "The file is UTF-32 text, not UTF-8 or UTF-16: save it as "
                                       "UTF-8 and import it again.");
        }
    }
}

// Documents that would exhaust the stack or the memory are refused with a message.
TEST(KvtmlDocument, DeepNestingAndEntityExpansionAreBounded)
{
    struct
    {
        const char* What;
        QByteArray Bytes;
        const char* Message; // empty: read
    } Cases[] = {
        {"60,000 nested lessons", DeepKvtml(60000, false),
         "elements are nested more than 256 deep"},
        {"120,000 nested elements in a text", DeepKvtml(120000, true),
         "elements are nested more than 256 deep"},
        {"lessons nested 200 deep", DeepKvtml(200, false), ""},
        {"one 4,000-character entity used 100,000 times", EntityKvtml(4000, 100000),
         "its entities expand to more than 1000000 characters"},
        {"the same used 250 times", EntityKvtml(4000, 250), ""},
        {"entities of entities",
         "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY a \"" + QByteArray(1000, 'a') +
             "\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
             "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><kvtml version=\"2.0\"><entries><entry "
             "id=\"0\"><translation id=\"0\"><text>&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;</text>"
             "</translation></entry></entries></kvtml>",
         "its entities expand to more than 1000000 characters"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        try {
            const TSourceData Data = TKvtmlDocument::Read(Case.Bytes);
            EXPECT_STREQ(Case.Message, "") << "read without complaint";
        } catch (const EVexloDatabaseError& Error) {
            EXPECT_TRUE(*Case.Message && Error.Message().contains(Case.Message)) << Error.what();
        }
    }
    // What an entity stands for is read.
    const TSourceData Data = TKvtmlDocument::Read(EntityKvtml(3, 2));
    ASSERT_EQ(Data.Rows.size(), 1u);
    EXPECT_EQ(Data.Rows[0].Bulgarian, "xxxxxx");
}

class ImportRules : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    TInterchange::TImportSummary ImportFile(const QString& Data, const QString& File,
                                            const TInterchange::TProgress& Progress = {},
                                            const TInterchange::TConfirm& Confirm = {})
    {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Data;
        Connection.Open();
        return TInterchange::Import(Connection,
                                    TInterchange::ReadFile(File, TInterchange::FormatOf(File)),
                                    Progress, Confirm);
    }

    QTemporaryDir Dir;
};

TEST_F(ImportRules, NumbersContinueBadRowsAreListedDuplicatesCounted)
{
    const QString Data = MakeDictionary(Dir, "words.db",
                                        {{"sky", "небе", "skaɪ", 9}, {"sea", "море", "siː", 2}});
    const TInterchange::TImportSummary Summary = ImportFile(Data, Fixture("bad-rows.tsv"));
    EXPECT_TRUE(Summary.Committed);
    EXPECT_EQ(Summary.Read, 8);
    EXPECT_EQ(Summary.Added, 2);
    EXPECT_EQ(Summary.Duplicates, 2); // star/звезда a second time, and sky/небе already there
    std::vector<std::pair<int, QString>> Skipped;
    for (const auto& Row : Summary.Skipped)
        Skipped.emplace_back(Row.Line, Row.Reason);
    const std::vector<std::pair<int, QString>> Expected{
        {2, "the English word is empty"},
        {3, "the English word is longer than 30 characters"},
        {4, "the level is not a number from 0 to 9"},
        {5, "the level is not a number from 0 to 9"}};
    EXPECT_EQ(Skipped, Expected);
    EXPECT_EQ(Summary.OneLine(), "Added 2 entries, skipped 4, duplicates 2.");
    const std::vector<TStoredRow> Want{{1, "sky", "небе", "skaɪ", 9},
                                       {2, "sea", "море", "siː", 2},
                                       {3, "star", "звезда", "", 3},
                                       {4, "star", "звездичка", "", 3}};
    EXPECT_EQ(StoredRows(Data), Want);
}

TEST_F(ImportRules, DuplicatesAreExactWhateverTheLineBreaks)
{
    // Another tool stored a meaning with LF line breaks.
    const QString Data = MakeDictionary(Dir, "words.db", {{"sky", "небе\nсиньо", "", 0}});
    QFile File(Dir.filePath("words.csv"));
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write("English,Bulgarian\n"
               "sky,\"небе\r\nсиньо\"\n" // the same entry
               "Sky,\"небе\r\nсиньо\"\n" // another word: case counts
               "sky,небе синьо\n"          // another text
               "Sky,\"небе\nсиньо\"\n");  // the second row again
    File.close();
    const auto Summary = ImportFile(Data, File.fileName());
    EXPECT_EQ(Summary.Added, 2);
    EXPECT_EQ(Summary.Duplicates, 2);
    const auto Rows = StoredRows(Data);
    ASSERT_EQ(Rows.size(), 3u);
    EXPECT_EQ(Rows[1], (TStoredRow{2, "Sky", "небе\r\nсиньо", "", 0}));
    EXPECT_EQ(Rows[2], (TStoredRow{3, "sky", "небе синьо", "", 0}));
}

TEST_F(ImportRules, BrokenQuotingSkipsOnlyItsRow)
{
    const QString Data = MakeDictionary(Dir, "words.db");
    const auto Summary = ImportFile(Data, Fixture("text-after-quote.csv"));
    ASSERT_EQ(Summary.Skipped.size(), 1u);
    EXPECT_EQ(Summary.Skipped[0].Line, 2);
    EXPECT_EQ(Summary.Skipped[0].Reason, "text follows a closing quote");
    EXPECT_EQ(StoredRows(Data), (std::vector<TStoredRow>{{1, "water", "вода", "", 0}}));
}

TEST_F(ImportRules, ControlCharactersAreRefusedC1Included)
{
    const QString Data = MakeDictionary(Dir, "words.db");
    const QString File =
        WriteFile(Dir.filePath("controls.tsv"), QString("next\u0085line\t\tдума\t1\n"
                                                        "csi\t\tдума\u009B31m\t1\n"
                                                        "bell\tb\u0007\tдума\t1\n"
                                                        "del\t\tду\u007Fма\t1\n"
                                                        "nbsp\u00A0ok\t\tдума и още\t1\n")
                                                    .toUtf8());
    const auto Summary = ImportFile(Data, File);
    std::vector<std::pair<int, QString>> Skipped;
    for (const auto& Row : Summary.Skipped)
        Skipped.emplace_back(Row.Line, Row.Reason);
    const std::vector<std::pair<int, QString>> Expected{
        {1, "the English word holds a control character"},
        {2, "the Bulgarian text holds a control character"},
        {3, "the transcription holds a control character"},
        {4, "the Bulgarian text holds a control character"}};
    EXPECT_EQ(Skipped, Expected);
    EXPECT_EQ(Summary.Added, 1);
}

TEST_F(ImportRules, NumbersContinueAfterTheGreatestEvenWhenStoredAsText)
{
    // Another tool wrote the numbers as text; "10" sorts before "9" as text.
    const QString Data = MakeDictionary(Dir, "words.db");
    QString Sql = "BEGIN;";
    for (int I = 1; I <= 10; ++I)
        Sql += QString("INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES ('%1', 'w%1', "
                       "'д', '', 0);")
                   .arg(I);
    SqliteShell(Data, Sql + "COMMIT;");
    ImportFile(Data, Fixture("no-header.csv"));
    const auto Rows = StoredRows(Data);
    ASSERT_EQ(Rows.size(), 12u);
    EXPECT_EQ(Rows[10].ID, 11);
    EXPECT_EQ(Rows[10].ENAME, "dog");
    EXPECT_EQ(Rows[11].ID, 12);
}

TEST_F(ImportRules, NothingChangesUnlessConfirmed)
{
    struct
    {
        const char* What;
        TInterchange::TProgress Progress;
        TInterchange::TConfirm Confirm;
        bool Cancelled;
    } Cases[] = {
        {"declined", {}, [](const TInterchange::TImportSummary&) { return false; }, false},
        {"cancelled at once", [](qsizetype, qsizetype) { return false; }, {}, true},
        {"cancelled at the end",
         [](qsizetype Done, qsizetype Total) { return Done < Total; }, {}, true},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        const QString Data = MakeDictionary(Dir, QString(Case.What) + ".db", {{"sky", "небе", "", 1}});
        const auto Before = StoredRows(Data);
        int Confirmations = 0;
        const auto Summary = ImportFile(Data, Fixture("flashcards.txt"), Case.Progress,
                                        [&](const TInterchange::TImportSummary& S) {
                                            ++Confirmations;
                                            EXPECT_EQ(S.Added, 3);
                                            return Case.Confirm ? Case.Confirm(S) : true;
                                        });
        EXPECT_FALSE(Summary.Committed);
        EXPECT_EQ(Summary.Cancelled, Case.Cancelled);
        EXPECT_EQ(Confirmations, Case.Cancelled ? 0 : 1);
        EXPECT_EQ(StoredRows(Data), Before);
        // The dictionary is not left locked: another writer gets in at once.
        SqliteShell(Data, "PRAGMA busy_timeout = 0; BEGIN IMMEDIATE; COMMIT;");
    }
}

// Entries that try every corner of the formats.
std::vector<TEnBgRecord> TrickyEntries()
{
    std::vector<TEnBgRecord> Entries;
    for (const TEnBgRecord& Entry : TDataFileTool::SampleVocabulary())
        Entries.push_back(Entry);
    Entries.push_back({"English", "Bulgarian", "Transcription", 0});
    Entries.push_back({"#columns:x", "първи\r\nвтори\r\nтрети", "", 9});
    Entries.push_back({"say \"hi\"", "кажи \"здравей\"; после, \tтръгни", "seɪ", 5});
    Entries.push_back({"<b>&amp;</b>", "<i>не</i> &lt;", "'a'", 1});
    Entries.push_back({"  spaced  ", " ред с интервал \r\n", "", 2});
    Entries.push_back({"sky", "", "", 3});
    // Tabs and line breaks in every part, as other programs store them.
    Entries.push_back({"tab\there", "ред\r\nс\tтабулация", "t\tr", 4});
    Entries.push_back({"two\r\nlines", "един", "a\r\nb", 6});
    Entries.push_back({"one\nbreak", "два", "", 6});
    // Texts a spreadsheet would run, and texts that only look guarded.
    Entries.push_back({"=HYPERLINK(\"http://x.bg\")", "+cmd|' /C calc'!A0", "-ɪŋ", 7});
    Entries.push_back({"@SUM(1+1)", "'=вече", "''-x", 8});
    Entries.push_back({"'quoted'", "-", "@", 1});
    return Entries;
}

class RoundTrip : public ::testing::TestWithParam<const char*>
{};

TEST_P(RoundTrip, ExportThenImportGivesTheSameEntries)
{
    QTemporaryDir Dir;
    const std::vector<TEnBgRecord> Entries = TrickyEntries();
    const QString Source = MakeDictionary(Dir, "source.db", Entries);
    const QString File = Dir.filePath(QString("words.") + GetParam());
    const QString Target = MakeDictionary(Dir, "target.db");
    {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Source;
        Connection.Open();
        EXPECT_EQ(TInterchange::Export(Connection, File, TInterchange::FormatOf(File)),
                  static_cast<int>(Entries.size()));
    }
    {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Target;
        Connection.Open();
        const auto Summary = TInterchange::Import(
            Connection, TInterchange::ReadFile(File, TInterchange::FormatOf(File)));
        EXPECT_EQ(Summary.Added, static_cast<int>(Entries.size()));
        EXPECT_TRUE(Summary.Skipped.empty());
    }
    const auto Got = StoredRows(Target);
    const auto Want = StoredRows(Source);
    ASSERT_EQ(Got.size(), Want.size());
    for (size_t I = 0; I < Got.size(); ++I)
        EXPECT_EQ(Got[I], Want[I]); // one row at a time: the difference shows
}

INSTANTIATE_TEST_SUITE_P(Interchange, RoundTrip, ::testing::Values("tsv", "txt", "csv", "kvtml"));

TEST(Export, TsvIsTheFlashcardForm)
{
    QTemporaryDir Dir;
    const QString Source = MakeDictionary(
        Dir, "source.db", {{"cat", "котка\r\nкотарак", "kæt", 2}, {"dog", "куче", "", 0}});
    TVexloConnection Connection;
    Connection.DefaultDatabase = Source;
    Connection.Open();
    const QString File = Dir.filePath("deck.txt");
    TInterchange::Export(Connection, File, TInterchangeFormat::Tsv);
    QFile Written(File);
    ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(Written.readAll()),
              "#separator:tab\n#html:false\n#columns:English\tTranscription\tBulgarian\tLevel\n"
              "cat\tkæt\t\"котка\nкотарак\"\t2\n"
              "dog\t\tкуче\t0\n");
}

// Spreadsheets take a quoted field as text more readily: every text is quoted.
TEST(Export, CsvGuardsFormulasForSpreadsheets)
{
    QTemporaryDir Dir;
    const QString Source =
        MakeDictionary(Dir, "source.db",
                       {{"=HYPERLINK(\"http://x.bg\")", "+cmd|' /C calc'!A0", "-ɪŋ", 1},
                        {"@SUM(1)", "'=вече", "'quoted'", 2},
                        {"plain", "-", "", 3}});
    TVexloConnection Connection;
    Connection.DefaultDatabase = Source;
    Connection.Open();
    auto Written = [&](const QString& Name, bool Guard) {
        const QString File = Dir.filePath(Name);
        TInterchange::TExportOptions Options;
        Options.GuardFormulas = Guard;
        TInterchange::Export(Connection, File, TInterchange::FormatOf(File), Options);
        QFile In(File);
        EXPECT_TRUE(In.open(QIODevice::ReadOnly));
        return QString::fromUtf8(In.readAll()).remove(QChar(0xFEFF));
    };
    EXPECT_EQ(Written("guarded.csv", true),
              "English,Transcription,Bulgarian,Level\r\n"
              "\"'=HYPERLINK(\"\"http://x.bg\"\")\",\"'-ɪŋ\",\"'+cmd|' /C calc'!A0\",1\r\n"
              "\"'@SUM(1)\",\"'quoted'\",\"''=вече\",2\r\n"
              "\"plain\",\"\",\"'-\",3\r\n");
    EXPECT_EQ(Written("as-is.csv", false),
              "English,Transcription,Bulgarian,Level\r\n"
              "\"=HYPERLINK(\"\"http://x.bg\"\")\",-ɪŋ,+cmd|' /C calc'!A0,1\r\n"
              "@SUM(1),'quoted','=вече,2\r\n"
              "plain,,-,3\r\n");
    // Flashcard programs get the texts as they are.
    EXPECT_TRUE(Written("deck.tsv", true).contains("\n@SUM(1)\t'quoted'\t'=вече\t2\n"));
    // Our import takes the guard off: the round trips above (RoundTrip) come back exactly.
    const TSourceData Data =
        TInterchange::ReadFile(Dir.filePath("guarded.csv"), TInterchangeFormat::Csv);
    ASSERT_EQ(Data.Rows.size(), 3u);
    EXPECT_EQ(Data.Rows[1].Bulgarian, "'=вече");
    EXPECT_EQ(Data.Rows[2].Bulgarian, "-");
}

// Characters a format cannot carry: the entry is named and nothing is written; what UTF-8 can
// carry (U+FFFE, U+FFFF) comes back as it was stored.
TEST(Export, WritesWhatIsStoredOrNamesTheEntry)
{
    QTemporaryDir Dir;
    const QString Source = MakeDictionary(Dir, "source.db", {{"sky", "небе", "", 1}});
    SqliteShell(Source, "INSERT INTO English VALUES (2, 'odd' || char(65534), 'знак' || "
                        "char(65535), '', 3);");
    const QString Broken = MakeDictionary(Dir, "broken.db", {{"sky", "небе", "", 1}});
    SqliteShell(Broken, "INSERT INTO English VALUES (2, 'half', 'знак' || char(55296), '', 3);");
    TVexloConnection Connection;
    Connection.DefaultDatabase = Source;
    Connection.Open();
    for (const char* Name : {"words.tsv", "words.csv"}) {
        SCOPED_TRACE(Name);
        const QString File = Dir.filePath(Name);
        EXPECT_EQ(TInterchange::Export(Connection, File, TInterchange::FormatOf(File)), 2);
        const QString Target = MakeDictionary(Dir, QString(Name) + ".db");
        TVexloConnection Into;
        Into.DefaultDatabase = Target;
        Into.Open();
        EXPECT_EQ(
            TInterchange::Import(Into, TInterchange::ReadFile(File, TInterchange::FormatOf(File)))
                .Added,
            2);
        Into.Close();
        EXPECT_EQ(StoredRows(Target), StoredRows(Source));
    }
    const QString Kvtml = Dir.filePath("words.kvtml");
    try {
        TInterchange::Export(Connection, Kvtml, TInterchangeFormat::Kvtml);
        ADD_FAILURE() << "written without complaint";
    } catch (const EVexloDatabaseError& Error) {
        EXPECT_TRUE(Error.Message().startsWith(QString("Entry 2 (odd") + QChar(0xFFFE) +
                                               ") holds the character U+fffe, which a KDE "
                                               "vocabulary file cannot carry"))
            << Error.what();
    }
    EXPECT_FALSE(QFile::exists(Kvtml));

    // A lone surrogate, which UTF-8 cannot hold, stored by the shell as bytes that are not UTF-8.
    TVexloConnection Other;
    Other.DefaultDatabase = Broken;
    Other.Open();
    for (const char* Name : {"broken.tsv", "broken.csv", "broken.kvtml"}) {
        SCOPED_TRACE(Name);
        const QString File = Dir.filePath(Name);
        try {
            TInterchange::Export(Other, File, TInterchange::FormatOf(File));
            ADD_FAILURE() << "written without complaint";
        } catch (const EVexloDatabaseError& Error) {
            EXPECT_TRUE(Error.Message().startsWith("Entry 2 (half) holds bytes that are not UTF-8"))
                << Error.what();
        }
        EXPECT_FALSE(QFile::exists(File));
    }
}

TEST(Export, RefusesFormatsItCannotWriteAndKeepsTheOldFile)
{
    QTemporaryDir Dir;
    const QString Source = MakeDictionary(Dir, "source.db", {{"cat", "котка", "", 2}});
    TVexloConnection Connection;
    Connection.DefaultDatabase = Source;
    Connection.Open();
    for (const char* Name : {"words.mdb", "words.accdb", "words.doc"}) {
        const QString File = Dir.filePath(Name);
        EXPECT_THROW(TInterchange::Export(Connection, File, TInterchange::FormatOf(File)),
                     EVexloDatabaseError);
        EXPECT_FALSE(QFile::exists(File));
    }
    EXPECT_THROW(TInterchange::Export(Connection, Dir.filePath("no/such/folder/words.tsv"),
                                      TInterchangeFormat::Tsv),
                 EVexloDatabaseError);
}

// KDE's own library reads what we write, and we read what it writes.
TEST(KvtmlOracle, KdeLibraryReadsOurFileAndWeReadItsFile)
{
    const QString Oracle = KvtmlOracle();
    if (Oracle.isEmpty())
        GTEST_SKIP() << "the KDE oracle is built by tools/test.sh";
    QTemporaryDir Dir;
    const std::vector<TEnBgRecord> Entries = TrickyEntries();
    const QString Source = MakeDictionary(Dir, "source.db", Entries);
    const QString Ours = Dir.filePath("ours.kvtml");
    const QString Theirs = Dir.filePath("theirs.kvtml");
    {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Source;
        Connection.Open();
        TInterchange::Export(Connection, Ours, TInterchangeFormat::Kvtml);
    }
    QString Out, Err;
    ASSERT_EQ(RunProgram(Oracle, {Ours, Theirs}, Out, Err), 0) << Err.toStdString();

    // The library keeps each text with its white space simplified: line breaks become spaces.
    auto Escaped = [](const QString& Text) {
        QString Simple = Text.simplified();
        Simple.replace("\\", "\\\\");
        return Simple;
    };
    // The entries come in the dictionary's order, each in a lesson named for its level.
    QStringList Expected{"identifiers\t2"};
    for (const TEnBgRecord& Entry : Entries)
        Expected << QString("Level %1\t%2\t%3\t%4")
                        .arg(Entry.WordLevel)
                        .arg(Escaped(Entry.EnglishWord), Escaped(Entry.Transcription),
                             Escaped(Entry.BulgarianText));
    QStringList Printed = Out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(Printed, Expected);

    const QString Target = MakeDictionary(Dir, "target.db");
    {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Target;
        Connection.Open();
        const auto Summary = TInterchange::Import(
            Connection, TInterchange::ReadFile(Theirs, TInterchangeFormat::Kvtml));
        EXPECT_TRUE(Summary.Skipped.empty());
    }
    // The same entries (the library may order them by lesson) and the one it added.
    auto WithoutIds = [](std::vector<TStoredRow> Rows) {
        for (TStoredRow& Row : Rows)
            Row.ID = 0;
        std::sort(Rows.begin(), Rows.end(), [](const TStoredRow& A, const TStoredRow& B) {
            return std::tie(A.ENAME, A.BULG) < std::tie(B.ENAME, B.BULG);
        });
        return Rows;
    };
    std::vector<TStoredRow> Want = StoredRows(Source);
    for (TStoredRow& Row : Want) {
        Row.ENAME = Row.ENAME.simplified();
        Row.BULG = Row.BULG.simplified();
        Row.TRANS = Row.TRANS.simplified();
    }
    Want.push_back({0, "oracle", "оракул пророк", "ˈɒrəkl", 7});
    EXPECT_EQ(WithoutIds(StoredRows(Target)), WithoutIds(Want));
}

} // namespace
