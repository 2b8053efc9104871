// Damaged word files: random changes to the fixtures must end in rows or a clear error, never in a
// crash, a hang or a read out of bounds (this runs under AddressSanitizer in tools/test.sh).

#include "tests/support/FuzzSeed.h"
#include "interchange/TDelimitedText.h"
#include "interchange/TKvtmlDocument.h"
#include "store/EVexloDatabaseError.h"

#include <QFile>

#include <gtest/gtest.h>

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
            const int Changes = 1 + static_cast<int>(Random() % 8);
            for (int C = 0; C < Changes && !Bytes.isEmpty(); ++C) {
                const qsizetype At = static_cast<qsizetype>(Random() % Bytes.size());
                switch (Random() % 4) {
                case 0:
                    Bytes[At] = static_cast<char>(Random());
                    break;
                case 1: {
                    const char* Piece = Pieces[Random() % std::size(Pieces)];
                    Bytes.insert(At, QByteArray(Piece, Piece[0] ? qstrlen(Piece) : 1));
                    break;
                }
                case 2:
                    Bytes.remove(At, 1 + static_cast<qsizetype>(Random() % 16));
                    break;
                default:
                    Bytes.truncate(At);
                }
            }
            try {
                const TSourceData Data =
                    Xml ? TKvtmlDocument::Read(Bytes) : TDelimitedText::Read(Bytes);
                for (const TSourceRow& Row : Data.Rows)
                    ASSERT_GE(Row.Line, 1);
                ++Read;
            } catch (const EVexloDatabaseError& Error) {
                ASSERT_FALSE(Error.Message().isEmpty());
                ++Refused;
            }
        }
    }
    EXPECT_GT(Read, 0);
    EXPECT_GT(Refused, 0);
}

} // namespace
