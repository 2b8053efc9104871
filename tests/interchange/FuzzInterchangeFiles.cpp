// Damaged word files: random changes to the fixtures must end in rows or a clear error, never in a
// crash, a hang or a read out of bounds (this runs under AddressSanitizer in tools/test.sh).

#include "tests/support/FuzzSeed.h"
#include "interchange/TDelimitedText.h"
#include "interchange/TKvtmlDocument.h"
#include "interchange/TSpreadsheet.h"
#include "interchange/TSpreadsheetParts.h"
#include "store/EVexloDatabaseError.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

QByteArray FixtureBytes(const char* Name)
{
    QFile File(QStringLiteral(VEXLO_SOURCE_DIR "/tests/interchange/files/") + Name);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Name;
    return File.readAll();
}

// Bytes that matter to the readers, inserted at random places.
const char* const Pieces[] = {"\"", "\"\"", "\t", ",", ";", "\r", "\n", "\r\n", "#", "#columns:",
                              "\xEF\xBB\xBF", "\xFF\xFE", "\xC3", "\xE2\x82", "\0", "<", "</",
                              "&", "&#0;", "]]>", "<!ENTITY a \"aaaa\">", "<entry id=\"0\">",
                              "<br>", "&amp", "&#x", "#html:true\n", "#tags column:9\n",
                              "\xE0\xE1", "<locale>bg</locale>"};

// Changes Bytes at random places: a byte changed, one of Pieces inserted, a few bytes taken out,
// or (with MayTruncate) the rest cut off; Most changes at most.
template <size_t N>
void Damage(QByteArray& Bytes, std::mt19937& Random, const char* const (&Pieces)[N], int Most,
            bool MayTruncate = true)
{
    const int Changes = 1 + static_cast<int>(Random() % Most);
    for (int C = 0; C < Changes && !Bytes.isEmpty(); ++C) {
        const qsizetype At = static_cast<qsizetype>(Random() % Bytes.size());
        switch (Random() % 4) {
        case 0:
            Bytes[At] = static_cast<char>(Random());
            break;
        case 1: {
            const char* Piece = Pieces[Random() % N];
            Bytes.insert(At, QByteArray(Piece, Piece[0] ? qstrlen(Piece) : 1));
            break;
        }
        case 2:
            Bytes.remove(At, 1 + static_cast<qsizetype>(Random() % 16));
            break;
        default:
            if (MayTruncate)
                Bytes.truncate(At);
        }
    }
}

// Reading ends in rows with their line numbers (counted in Read) or in an error with a message
// (counted in Refused).
void ExpectRowsOrMessage(const std::function<TSourceData()>& ReadFile, int& Read, int& Refused)
{
    try {
        const TSourceData Data = ReadFile();
        for (const TSourceRow& Row : Data.Rows)
            ASSERT_GE(Row.Line, 1);
        ++Read;
    } catch (const EVexloDatabaseError& Error) {
        ASSERT_FALSE(Error.Message().isEmpty());
        ++Refused;
    }
}

TEST(FuzzInterchangeFiles, DamagedFilesNeverCrash)
{
    const unsigned Seed = FuzzSeed();
    std::mt19937 Random(Seed);
    int Read = 0, Refused = 0;
    for (const char* Name : {"flashcards.txt", "header-any-order.csv", "no-header.csv",
                             "utf16-bom.tsv", "bad-rows.tsv", "three-languages.kvtml",
                             "anki-notes.txt", "cp1251.tsv", "en-de-bg.kvtml",
                             "graded-lessons.kvtml", "ours-graded.kvtml"}) {
        const QByteArray Original = FixtureBytes(Name);
        const bool Xml = QByteArray(Name).endsWith(".kvtml");
        for (int Round = 0; Round < 1500; ++Round) {
            SCOPED_TRACE(testing::Message() << "VEXLO_FUZZ_SEED=" << Seed << " file " << Name << " round "
                                            << Round);
            QByteArray Bytes = Original;
            Damage(Bytes, Random, Pieces, 8);
            ExpectRowsOrMessage(
                [&] { return Xml ? TKvtmlDocument::Read(Bytes) : TDelimitedText::Read(Bytes); },
                Read, Refused);
        }
    }
    EXPECT_GT(Read, 0);
    EXPECT_GT(Refused, 0);
}

// Changes to what spreadsheet files hold: to the XML of the sheet (packed again, so that the
// reader sees it) or to the zip archive itself.
const char* const SheetPieces[] = {
    "<", "</", "&", "\"", "<!DOCTYPE a>", "<text:s text:c=\"999\"/>", "<text:line-break/>",
    " table:number-columns-repeated=\"99999\"", " table:number-rows-repeated=\"99999\"",
    "<table:table-row>", "</table:table-row>", "<table:table-cell office:value-type=\"float\">",
    " t=\"s\"", " t=\"inlineStr\"", "<v>7</v>", "<row>", "</row>", "<c r=\"ZZZZ9\">",
    "<c r=\"A0\">", "</c>", "_x0041_", "_x", "<rPh>", "\0", "\xC3"};

TEST(FuzzInterchangeFiles, DamagedSpreadsheetsNeverCrash)
{
    const unsigned Seed = FuzzSeed();
    std::mt19937 Random(Seed);
    const std::vector<TEnBgRecord> Entries{{"cat", "котка\r\nмаца", "kæt", 2},
                                           {"  two  spaces", "=1+1", "", 0},
                                           {"007", "a\tb", "_x0041_", 9}};
    int Read = 0, Refused = 0;
    for (const auto& [Format, Sheet] :
         {std::pair{TInterchangeFormat::Ods, QStringLiteral("content.xml")},
          std::pair{TInterchangeFormat::Xlsx, QStringLiteral("xl/worksheets/sheet1.xml")}}) {
        const QByteArray File = TSpreadsheet::Write(Entries, Format);
        TSpreadsheetParts::TZipArchive Archive(File, Format);
        const QByteArray Xml = Archive.Read(Sheet);
        for (int Round = 0; Round < 1000; ++Round) {
            SCOPED_TRACE(testing::Message() << "VEXLO_FUZZ_SEED=" << Seed << " format "
                                            << static_cast<int>(Format) << " round " << Round);
            const bool InXml = Random() % 2 == 0;
            QByteArray Bytes = InXml ? Xml : File;
            // (a truncated sheet is among the changes to the archive already)
            Damage(Bytes, Random, SheetPieces, 6, !InXml);
            if (InXml) {
                TSpreadsheetParts::TZipWriter Writer;
                for (const QString& Name :
                     Format == TInterchangeFormat::Ods
                         ? QStringList{"mimetype", "content.xml"}
                         : QStringList{"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml",
                                       "xl/_rels/workbook.xml.rels", "xl/worksheets/sheet1.xml"})
                    Writer.Add(Name, Name == Sheet ? Bytes : Archive.Read(Name),
                               Name == "mimetype");
                Bytes = Writer.Finish();
            }
            ExpectRowsOrMessage([&] { return TSpreadsheet::Read(Bytes, Format); }, Read, Refused);
        }
    }
    EXPECT_GT(Read, 0);
    EXPECT_GT(Refused, 0);
}

} // namespace
