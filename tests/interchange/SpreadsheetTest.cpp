// Spreadsheet files in and out: our files opened by LibreOffice, LibreOffice's files read by us,
// round trips, and damaged or hostile files.
#include "tests/interchange/InterchangeTestSupport.h"

#include "interchange/TDelimitedText.h"
#include "interchange/TSpreadsheet.h"
#include "interchange/TSpreadsheetParts.h"
#include "store/TVexloConnection.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <zlib.h>

namespace {

using TSpreadsheetParts::TZipArchive;
using TSpreadsheetParts::TZipWriter;

// Entries whose texts a careless writer or reader would change: formulas, numbers and dates as
// texts, runs of spaces, tabs, several lines, the format's own escape.
const std::vector<TEnBgRecord> Tricky{
    {"=1+1", "=SUM(A1:A2)", "", 0},
    {"007", "1/2", "+ə", 3},
    {"  two  spaces ", "ред 1\r\nред 2\r\n  отстъп", "a\tb", 9},
    {"_x0041_", "котка_x000D_", "kæt", 2},
    {"@at", "-минус", "'", 1},
    {"plain", "обикновен", "pleɪn", 5},
};

const TInterchangeFormat Formats[] = {TInterchangeFormat::Ods, TInterchangeFormat::Xlsx};

QString Suffix(TInterchangeFormat Format)
{
    return Format == TInterchangeFormat::Ods ? "ods" : "xlsx";
}

TInterchange::TImportSummary ImportInto(const QString& DataFile, const TSourceData& Data)
{
    TVexloConnection Connection;
    Connection.DefaultDatabase = DataFile;
    Connection.Open();
    return TInterchange::Import(Connection, Data);
}

void ExportFrom(const QString& DataFile, const QString& Path)
{
    TVexloConnection Connection;
    Connection.DefaultDatabase = DataFile;
    Connection.Open();
    TInterchange::Export(Connection, Path, TInterchange::FormatOf(Path));
}

// LibreOffice converting Files into OutDir, with a profile of its own (so that no other
// LibreOffice process shares it); waits as long as it takes.
class TOffice
{
public:
    explicit TOffice(const QTemporaryDir& Dir) : FDir(Dir)
    {
        FProgram = QStandardPaths::findExecutable("soffice");
    }
    bool Installed() const { return !FProgram.isEmpty(); }
    void Convert(const QStringList& Files, const QString& Filter, const QString& OutDir,
                 const QString& InFilter = QString())
    {
        QProcess Process;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert("HOME", FDir.path());
        Process.setProcessEnvironment(Env);
        QStringList Arguments{
            "-env:UserInstallation=" + QUrl::fromLocalFile(FDir.filePath("profile")).toString(),
            "--headless"};
        if (!InFilter.isEmpty())
            Arguments << "--infilter=" + InFilter;
        Process.start(FProgram, Arguments + QStringList{"--convert-to", Filter, "--outdir", OutDir} +
                                    Files);
        ASSERT_TRUE(Process.waitForFinished(-1));
        EXPECT_EQ(Process.exitCode(), 0) << Process.readAllStandardError().toStdString();
    }

private:
    const QTemporaryDir& FDir;
    QString FProgram;
};

QByteArray ReadAll(const QString& Path)
{
    QFile File(Path);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Path.toStdString();
    return File.readAll();
}

TEST(Spreadsheet, RoundTripsAreExact)
{
    QTemporaryDir Dir;
    const QString Source = MakeDictionary(Dir, "source.db", Tricky);
    for (const TInterchangeFormat Format : Formats) {
        SCOPED_TRACE(Suffix(Format).toStdString());
        const QString File = Dir.filePath("words." + Suffix(Format));
        ExportFrom(Source, File);
        const TSourceData Data = TInterchange::ReadFile(File, Format);
        EXPECT_EQ(Data.LineWord, "row");
        ASSERT_EQ(Data.Rows.size(), Tricky.size());
        EXPECT_EQ(Data.Rows[0].Line, 2);
        EXPECT_EQ(Data.Rows[2].Bulgarian, "ред 1\nред 2\n  отстъп");
        const QString Target = MakeDictionary(Dir, "target-" + Suffix(Format) + ".db");
        const auto Summary = ImportInto(Target, Data);
        EXPECT_TRUE(Summary.Skipped.empty());
        EXPECT_EQ(StoredRows(Target), StoredRows(Source));
    }
}

// LibreOffice opens our files: every text stays the text it was (no formula run, no number or
// date made of it), the level is a number, the lines of a meaning stay apart.
TEST(Spreadsheet, LibreOfficeReadsOurFilesAsWritten)
{
    QTemporaryDir Dir;
    TOffice Office(Dir);
    if (!Office.Installed())
        GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) is installed by tools/deps.sh";
    const QString Source = MakeDictionary(Dir, "source.db", Tricky);
    ExportFrom(Source, Dir.filePath("ours-ods.ods"));
    ExportFrom(Source, Dir.filePath("ours-xlsx.xlsx"));
    // Every text cell in quotes, numbers as they are.
    Office.Convert({Dir.filePath("ours-ods.ods"), Dir.filePath("ours-xlsx.xlsx")},
                   "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,false", Dir.filePath("csv"));
    // LibreOffice drops a tab in a cell of any .ods file when it reads one, of its own making
    // too (we write it as it does, <text:tab/>); the .xlsx keeps it.
    std::vector<TEnBgRecord> WithoutTabs = Tricky;
    for (TEnBgRecord& Entry : WithoutTabs)
        Entry.Transcription.remove(u'\t');
    const QString NoTabs = MakeDictionary(Dir, "no-tabs.db", WithoutTabs);
    for (const QString Name : {"ours-ods.csv", "ours-xlsx.csv"}) {
        SCOPED_TRACE(Name.toStdString());
        const QByteArray Csv = ReadAll(Dir.filePath("csv/" + Name));
        EXPECT_TRUE(Csv.startsWith("\"English\",\"Transcription\",\"Bulgarian\",\"Level\"\n"))
            << Csv.toStdString();
        EXPECT_TRUE(Csv.contains("\n\"=1+1\",,\"=SUM(A1:A2)\",0\n")) << Csv.toStdString();
        EXPECT_TRUE(Csv.contains("\n\"007\",\"+ə\",\"1/2\",3\n")) << Csv.toStdString();
        const QString Target = MakeDictionary(Dir, Name + ".db");
        const auto Summary = ImportInto(Target, TDelimitedText::Read(Csv));
        EXPECT_TRUE(Summary.Skipped.empty());
        EXPECT_EQ(StoredRows(Target), StoredRows(Name == "ours-ods.csv" ? NoTabs : Source));
    }
}

// Files LibreOffice makes: shared strings, numbers, empty cells, a formula's kept result, runs of
// equal cells and rows it writes once with a repeat count, paragraphs in a cell.
TEST(Spreadsheet, LibreOfficeFilesImportExactly)
{
    QTemporaryDir Dir;
    TOffice Office(Dir);
    if (!Office.Installed())
        GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) is installed by tools/deps.sh";
    struct
    {
        const char* Name;
        QByteArray Csv;
        TReadOptions Options;
        std::vector<TExpectedRow> Rows;
    } Cases[] = {
        {"header",
         "English,Transcription,Bulgarian,Level\n"
         "cat,kæt,котка,2\n"
         "same,same,same,1\n"
         "dog,,куче,\n"
         "\"two\nlines\",,\"ред 1\nред 2\",3\n"
         ",,,\n"
         ",,,\n"
         "dup,\"x\ty\",y,4\n"
         "\"  spaced  out\",,\"a  b \",0\n"
         "\"007\",\"=1+1\",=2+3,5\n",
         {},
         {{2, "cat", "kæt", "котка", "2"},
          {3, "same", "same", "same", "1"},
          {4, "dog", "", "куче", ""},
          {5, "two\nlines", "", "ред 1\nред 2", "3"},
          {8, "dup", "x\ty", "y", "4"},
          {9, "  spaced  out", "", "a  b ", "0"},
          {10, "007", "=1+1", "5", "5"}}},
        // Columns in another order, one unknown.
        {"reordered",
         "Bulgarian,Notes,English,Level\nкотка,pet,cat,1\n",
         {},
         {{2, "cat", "", "котка", "1"}}},
        // No header: two columns are English and Bulgarian, a third numeric one the level.
        {"two", "cat,котка\nhouse,къща\n", {}, {{1, "cat", "", "котка", ""}, {2, "house", "", "къща", ""}}},
        {"three", "cat,котка,2\nhouse,къща,\n", {}, {{1, "cat", "", "котка", "2"}, {2, "house", "", "къща", ""}}},
        {"named",
         "cat,kæt,котка\n",
         {false, {}, {"English", "Transcription", "Bulgarian"}, {}, false},
         {{1, "cat", "kæt", "котка", ""}}},
    };
    QStringList Sources;
    for (const auto& Case : Cases)
        Sources << WriteFile(Dir.filePath(QString(Case.Name) + ".csv"), Case.Csv);
    // Quoted fields as text, formulas worked out, UTF-8.
    const QString InFilter = "CSV:44,34,76,1,,0,true";
    Office.Convert(Sources, "ods", Dir.filePath("made"), InFilter);
    Office.Convert(Sources, "xlsx:Calc MS Excel 2007 XML", Dir.filePath("made"), InFilter);

    // The files hold what this test is about.
    {
        TZipArchive Ods(ReadAll(Dir.filePath("made/header.ods")), TInterchangeFormat::Ods);
        const QByteArray Content = Ods.Read("content.xml");
        EXPECT_TRUE(Content.contains("table:number-columns-repeated=\"3\" office:value-type=\"string\""))
            << "no repeated cells with text";
        EXPECT_TRUE(Content.contains("table:number-rows-repeated=\"2\"")) << "no repeated rows";
        EXPECT_TRUE(Content.contains("<text:tab/>")) << "no tab element";
        EXPECT_TRUE(Content.contains("table:formula=")) << "no formula";
        EXPECT_TRUE(Content.contains("<text:s")) << "no spaces element";
        TZipArchive Xlsx(ReadAll(Dir.filePath("made/header.xlsx")), TInterchangeFormat::Xlsx);
        EXPECT_TRUE(Xlsx.Has("xl/sharedStrings.xml"));
        EXPECT_TRUE(Xlsx.Read("xl/worksheets/sheet1.xml").contains("<f"));
    }
    for (const auto& Case : Cases)
        for (const TInterchangeFormat Format : Formats) {
            SCOPED_TRACE(QString("%1.%2").arg(Case.Name, Suffix(Format)).toStdString());
            ExpectRows(TInterchange::ReadFile(Dir.filePath("made/" + QString(Case.Name) + "." +
                                                            Suffix(Format)),
                                               Format, Case.Options),
                       Case.Rows);
        }
    // Three columns, the third no level: the user is asked.
    for (const TInterchangeFormat Format : Formats)
        EXPECT_THROW(TInterchange::ReadFile(Dir.filePath("made/named." + Suffix(Format)), Format),
                     EInterchangeQuestion);
}

QByteArray Zip(const std::vector<std::pair<QString, QByteArray>>& Parts)
{
    TZipWriter Writer;
    for (const auto& [Name, Bytes] : Parts)
        Writer.Add(Name, Bytes, Name == "mimetype");
    return Writer.Finish();
}

// Megabytes spaces, deflated (a chunk at a time, so that they never stand in memory), and
// their CRC.
std::pair<QByteArray, quint32> PackedSpaces(int Megabytes)
{
    z_stream Stream{};
    EXPECT_EQ(deflateInit2(&Stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                           Z_DEFAULT_STRATEGY),
              Z_OK);
    QByteArray Chunk(1 << 20, ' ');
    QByteArray Packed;
    uLong Crc = crc32(0, nullptr, 0);
    char Out[65536];
    for (int N = 0; N < Megabytes; ++N) {
        Crc = crc32(Crc, reinterpret_cast<const Bytef*>(Chunk.constData()), Chunk.size());
        Stream.next_in = reinterpret_cast<Bytef*>(Chunk.data());
        Stream.avail_in = static_cast<uInt>(Chunk.size());
        const int Flush = N + 1 == Megabytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            Stream.next_out = reinterpret_cast<Bytef*>(Out);
            Stream.avail_out = sizeof Out;
            deflate(&Stream, Flush);
            Packed.append(Out, static_cast<qsizetype>(sizeof Out - Stream.avail_out));
        } while (Stream.avail_out == 0);
    }
    deflateEnd(&Stream);
    return {Packed, static_cast<quint32>(Crc)};
}

// An archive whose content.xml is Packed, stated to unpack to Stated bytes.
QByteArray RawZip(const QByteArray& Packed, quint32 Crc, qint64 Stated)
{
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    QuaZip Archive(&Buffer);
    EXPECT_TRUE(Archive.open(QuaZip::mdCreate));
    QuaZipFile File(&Archive);
    QuaZipNewInfo Info("content.xml");
    Info.uncompressedSize = static_cast<ulong>(Stated);
    EXPECT_TRUE(File.open(QIODevice::WriteOnly, Info, nullptr, Crc, Z_DEFLATED,
                          Z_BEST_COMPRESSION, true));
    File.write(Packed);
    File.close();
    Archive.close();
    return Bytes;
}

QByteArray OdsWith(const QByteArray& Table, const QByteArray& Prolog = {})
{
    return Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                {"content.xml",
                 "<?xml version=\"1.0\"?>" + Prolog +
                     "<office:document-content "
                     "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                     "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                     "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                     "<office:spreadsheet><table:table>" +
                     Table + "</table:table></office:spreadsheet></office:body>"
                             "</office:document-content>"}});
}

QByteArray XlsxWith(const QByteArray& SheetTarget, const QByteArray& Mode = {})
{
    return Zip({{"xl/workbook.xml",
                 "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                 "relationships\"><sheets><sheet r:id=\"rId1\"/></sheets></workbook>"},
                {"xl/_rels/workbook.xml.rels",
                 "<Relationships><Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"" +
                     SheetTarget + "\"" + Mode + "/></Relationships>"}});
}

// Damaged, encrypted and hostile files get a message, never a crash or a flood of memory, and
// no file but the spreadsheet itself is read.
TEST(Spreadsheet, BadFilesAreRefusedWithAMessage)
{
    const QByteArray Row = "<table:table-row table:number-rows-repeated=\"%1\"><table:table-cell "
                           "office:value-type=\"string\" table:number-columns-repeated=\"%2\">"
                           "<text:p>x</text:p></table:table-cell></table:table-row>";
    // A part that unpacks to 300 MB from far less, as the archive says, and saying 1000 bytes.
    const auto [Packed, Crc] = PackedSpaces(300);
    ASSERT_LT(Packed.size(), 2 << 20);
    struct
    {
        const char* Name;
        TInterchangeFormat Format;
        QByteArray Bytes;
        const char* Message;
    } Cases[] = {
        {"text", TInterchangeFormat::Ods, "English,Bulgarian\n", "not a zip archive"},
        {"half a zip", TInterchangeFormat::Xlsx,
         XlsxWith("worksheets/sheet1.xml").first(100), "not a zip archive"},
        {"compound document", TInterchangeFormat::Xlsx,
         QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(600, '\0'),
         "protected with a password, or is an old Excel file"},
        {"encrypted manifest", TInterchangeFormat::Ods,
         Zip({{"META-INF/manifest.xml",
               "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
               "manifest:1.0\"><manifest:file-entry manifest:full-path=\"content.xml\">"
               "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>"},
              {"content.xml", "\x93\x11garbage"}}),
         "protected with a password"},
        {"no content", TInterchangeFormat::Ods, Zip({{"styles.xml", "<a/>"}}),
         "it has no part content.xml"},
        {"another kind", TInterchangeFormat::Ods,
         Zip({{"mimetype", "application/vnd.oasis.opendocument.text"}}), "of another kind"},
        {"broken XML", TInterchangeFormat::Ods,
         OdsWith("<table:table-row><table:table-cell>"), "its part content.xml, line 1"},
        {"entities", TInterchangeFormat::Ods,
         OdsWith("<table:table-row><table:table-cell office:value-type=\"string\"><text:p>&a;"
                 "</text:p></table:table-cell></table:table-row>",
                 "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">]>"),
         "declares a document type"},
        {"external entity", TInterchangeFormat::Xlsx,
         Zip({{"xl/workbook.xml", "<!DOCTYPE x [<!ENTITY e SYSTEM \"/etc/passwd\">]><w>&e;</w>"}}),
         "declares a document type"},
        {"zip bomb", TInterchangeFormat::Ods, RawZip(Packed, Crc, 300 << 20),
         "unpacks to more than 256 MB"},
        {"lying zip bomb", TInterchangeFormat::Ods, RawZip(Packed, Crc, 1000),
         "its part content.xml is damaged"},
        {"repeated rows", TInterchangeFormat::Ods, OdsWith(QString(Row).arg(2000000).arg(1).toUtf8()),
         "too large to import"},
        {"repeated cells", TInterchangeFormat::Ods,
         OdsWith(QString(Row).arg(100000).arg(1000000000).toUtf8()), "too large to import"},
        {"sheet outside", TInterchangeFormat::Xlsx, XlsxWith("../../etc/passwd"), "has no sheet"},
        {"external sheet", TInterchangeFormat::Xlsx,
         XlsxWith("file:///etc/passwd", " TargetMode=\"External\""), "has no sheet"},
        {"absolute sheet", TInterchangeFormat::Xlsx, XlsxWith("/etc/passwd"),
         "has no part etc/passwd"},
        {"no sheet", TInterchangeFormat::Ods,
         Zip({{"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:"
                              "opendocument:xmlns:office:1.0\"/>"}}),
         "has no sheet"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        try {
            TSpreadsheet::Read(Case.Bytes, Case.Format);
            ADD_FAILURE() << "read";
        } catch (const EVexloDatabaseError& Error) {
            EXPECT_TRUE(Error.Message().contains(Case.Message)) << Error.Message().toStdString();
        }
    }
}

// Cells as other writers may leave them: references with gaps, no references, inline and
// escaped strings, phonetic runs, paragraphs, spaces elements and notes.
TEST(Spreadsheet, CellsAsTheFormatsAllow)
{
    const QByteArray Ods = OdsWith(
        "<table:table-header-rows><table:table-row><table:table-cell office:value-type=\"string\">"
        "<text:p>Word</text:p></table:table-cell><table:covered-table-cell/>"
        "<table:table-cell office:value-type=\"string\"><text:p>Meaning</text:p>"
        "</table:table-cell></table:table-row></table:table-header-rows>"
        "<table:table-row table:number-rows-repeated=\"3\"/>"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>  a <text:span>"
        "b</text:span><text:s text:c=\"2\"/>c<text:tab/>d<text:line-break/>e</text:p>"
        "<text:p>f</text:p><office:annotation><text:p>note</text:p></office:annotation>"
        "</table:table-cell><table:table-cell table:number-columns-repeated=\"1\"/>"
        "<table:table-cell office:value-type=\"percentage\" office:value=\"0.5\"><text:p>50%</text:p>"
        "</table:table-cell></table:table-row>");
    ExpectRows(TSpreadsheet::Read(Ods, TInterchangeFormat::Ods),
               {{5, "a b  c\td\ne\nf", "", "0.5", ""}});

    auto Xlsx = [](const QByteArray& MoreRows) {
        return Zip(
            {{"_rels/.rels", "<Relationships><Relationship Id=\"r\" Type=\"http://x/officeDocument\" "
                             "Target=\"/book/wb.xml\"/></Relationships>"},
             {"book/wb.xml",
              "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
              "relationships\"><sheets><sheet name=\"A\" r:id=\"s2\"/>"
              "<sheet name=\"B\" r:id=\"s1\"/></sheets></workbook>"},
             {"book/_rels/wb.xml.rels",
              "<Relationships><Relationship Id=\"s1\" Type=\"http://x/worksheet\" Target=\"b.xml\"/>"
              "<Relationship Id=\"s2\" Type=\"http://x/worksheet\" Target=\"sheets/../a.xml\"/>"
              "<Relationship Id=\"t\" Type=\"http://x/sharedStrings\" Target=\"strings.xml\"/>"
              "</Relationships>"},
             {"book/strings.xml",
              "<sst><si><t>English</t></si><si><r><t>Bulg</t></r><r><t>arian</t></r>"
              "<rPh><t>ふりがな</t></rPh></si><si><t>ня_x000D__x005F_x0041_</t></si></sst>"},
             {"book/b.xml", "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>wrong</t></is>"
                            "</c></row></sheetData></worksheet>"},
             {"book/a.xml",
              "<worksheet><sheetData><row r=\"2\"><c r=\"C2\" t=\"s\"><v>0</v></c>"
              "<c r=\"E2\" t=\"s\"><v>1</v></c><c r=\"F2\" t=\"inlineStr\"><is><t>Level</t>"
              "</is></c></row><row r=\"4\"><c r=\"C4\" t=\"inlineStr\"><is><t "
              "xml:space=\"preserve\"> cat </t></is></c><c t=\"str\"><f>A1</f><v>x</v></c>"
              "<c r=\"E4\" t=\"s\"><v>2</v></c><c r=\"F4\"><v> 3 </v></c></row>" +
                  MoreRows + "</sheetData></worksheet>"}});
    };
    ExpectRows(TSpreadsheet::Read(Xlsx(""), TInterchangeFormat::Xlsx),
               {{4, " cat ", "", "ня\r_x0041_", "3"}});
    try {
        (void)TSpreadsheet::ReadCells(Xlsx("<row><c r=\"C5\" t=\"s\"><v>7</v></c></row>"),
                                      TInterchangeFormat::Xlsx);
        ADD_FAILURE() << "a shared string that is not there was read";
    } catch (const EVexloDatabaseError& Error) {
        EXPECT_TRUE(Error.Message().contains("names text 7")) << Error.Message().toStdString();
    }
}

} // namespace
