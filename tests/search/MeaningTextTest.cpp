// Folding of Bulgarian meanings and the parts of a text a search marks.

#include "search/TMeaningText.h"
#include "tests/support/FuzzSeed.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>
#include <string>

namespace {

struct TFoldCase
{
    const char* Name;
    const char* Text;  // in the meaning
    const char* Typed; // in the search box
    bool Same;         // whether the two fold alike
};

void PrintTo(const TFoldCase& C, std::ostream* Out)
{
    *Out << C.Name;
}

class FoldTest : public ::testing::TestWithParam<TFoldCase>
{
};

TEST_P(FoldTest, FoldsAsDecided)
{
    const TFoldCase& C = GetParam();
    const QByteArray Text = TMeaningText::FoldQuery(QString::fromUtf8(C.Text));
    const QByteArray Typed = TMeaningText::FoldQuery(QString::fromUtf8(C.Typed));
    EXPECT_EQ(Text == Typed, C.Same) << Text.toHex().constData() << " / "
                                     << Typed.toHex().constData();
}

INSTANTIATE_TEST_SUITE_P(
    Decisions, FoldTest,
    ::testing::Values(
        TFoldCase{"CapitalsAsSmall", "КЪЩА", "къща", true},
        TFoldCase{"CombiningAcute", "къ\u0301ща", "къща", true},
        TFoldCase{"CombiningGrave", "къ\u0300ща", "къща", true},
        TFoldCase{"PrecomposedGraveI", "\u045D", "и", true},
        TFoldCase{"PrecomposedGraveE", "\u0450", "е", true},
        TFoldCase{"ApostropheStress", "къ'ща", "къща", true},
        TFoldCase{"ModifierStress", "ˈкъща", "къща", true},
        TFoldCase{"YoAsYe", "ёлка", "елка", true},
        TFoldCase{"ShortIStaysApart", "край", "краи", false},
        TFoldCase{"HardSignKept", "къща", "кща", false},
        TFoldCase{"PunctuationIsOneSpace", "стара,  (голяма) къща", "стара голяма къща", true},
        TFoldCase{"DashSeparates", "добре-дошъл", "добре дошъл", true},
        TFoldCase{"SpacesAtTheEndsDropped", "  къща. ", "къща", true},
        TFoldCase{"LatinAccentDropped", "café", "cafe", true},
        TFoldCase{"DigitsKept", "2 дни", "2 дни", true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(MeaningTextTest, LineBreaksEndLines)
{
    EXPECT_EQ(TMeaningText::Fold(u"къща\r\nдом"), TMeaningText::Fold(u"къща\nдом"));
    EXPECT_EQ(TMeaningText::Fold(u"къща\rдом"), TMeaningText::Fold(u"къща\nдом"));
    EXPECT_NE(TMeaningText::Fold(u"къща\nдом"), TMeaningText::Fold(u"къща дом"));
    // Punctuation at the start of a line leaves no space before its first word.
    EXPECT_EQ(TMeaningText::Fold(u"а\n(разг.) дом"), TMeaningText::Fold(u"а\nразг дом"));
}

TEST(MeaningTextTest, CyrillicIsTold)
{
    EXPECT_TRUE(TMeaningText::HasCyrillic(u"къща"));
    EXPECT_TRUE(TMeaningText::HasCyrillic(u"house къща"));
    EXPECT_FALSE(TMeaningText::HasCyrillic(u"house"));
    EXPECT_FALSE(TMeaningText::HasCyrillic(u"éclair"));
    EXPECT_FALSE(TMeaningText::HasCyrillic(u""));
}

// The index folds the meanings from the UTF-8 the engine holds, the detail view from the UTF-16
// the engine hands over: both fold alike, whatever bytes a file holds (the engine itself reads
// them here, malformed ones included).
TEST(MeaningTextTest, StoredBytesFoldAlikeFromUtf8AndUtf16)
{
    const char* const Pieces[] = {
        "къща", "ДОМ", "\u0301", "'", "\u2019", " ", ", ", "\r\n", "\n", "\r", "ё", "й", "é",
        "\u00DF", "ˈwɜːd", "\U0001F600", "\U00010400", "2", "-", "\u2028",
        "\x80", "\xB4", "\xC0\xAF", "\xD0", "\xE0\x80\x80", "\xED\xA0\x80", "\xEF\xBF\xBE",
        "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80\x80", "\xFF",
        "" /* a zero byte */};
    sqlite3* Db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &Db), SQLITE_OK);
    sqlite3_stmt* Statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(Db, "SELECT ?1", -1, &Statement, nullptr), SQLITE_OK);
    const unsigned Seed = FuzzSeed();
    SCOPED_TRACE(testing::Message() << "VEXLO_FUZZ_SEED=" << Seed);
    std::mt19937 Random(Seed);
    std::string Utf8Folded;
    for (int Run = 0; Run < 20000; ++Run) {
        std::string Bytes;
        const int Count = static_cast<int>(Random() % 12);
        for (int I = 0; I < Count; ++I) {
            const char* Piece = Pieces[Random() % std::size(Pieces)];
            Bytes += *Piece ? std::string(Piece) : std::string(1, '\0');
        }
        sqlite3_bind_text(Statement, 1, Bytes.data(), static_cast<int>(Bytes.size()),
                          SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(Statement), SQLITE_ROW);
        const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Statement, 0));
        const std::string Stored(Text, static_cast<size_t>(sqlite3_column_bytes(Statement, 0)));
        const auto* Wide = static_cast<const char16_t*>(sqlite3_column_text16(Statement, 0));
        const QByteArray Expected =
            TMeaningText::Fold(QStringView(Wide, sqlite3_column_bytes16(Statement, 0) / 2));
        Utf8Folded.assign("x"); // appended to
        TMeaningText::FoldUtf8(Stored.data(), Stored.size(), Utf8Folded);
        ASSERT_EQ(QByteArray::fromStdString(Utf8Folded).toHex(' '), ("x" + Expected).toHex(' '))
            << QByteArray::fromStdString(Bytes).toHex(' ').constData();
        sqlite3_reset(Statement);
    }
    sqlite3_finalize(Statement);
    sqlite3_close(Db);
}

struct TSpanCase
{
    const char* Name;
    const char* Text;
    const char* Typed;
    std::vector<std::pair<int, int>> Spans;
};

void PrintTo(const TSpanCase& C, std::ostream* Out)
{
    *Out << C.Name;
}

class SpanTest : public ::testing::TestWithParam<TSpanCase>
{
};

TEST_P(SpanTest, MarksWhereWordsBegin)
{
    const TSpanCase& C = GetParam();
    EXPECT_EQ(TMeaningText::MatchSpans(QString::fromUtf8(C.Text),
                                       TMeaningText::FoldQuery(QString::fromUtf8(C.Typed))),
              C.Spans);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, SpanTest,
    ::testing::Values(
        TSpanCase{"LineStart", "къща, дом", "къ", {{0, 2}}},
        TSpanCase{"InWordBeginning", "голяма къща", "къщ", {{7, 3}}},
        TSpanCase{"NotInsideAWord", "пъкъл", "къ", {}},
        TSpanCase{"EveryWord", "дом\r\nдомашен", "дом", {{0, 3}, {5, 3}}},
        // The stress mark after the last letter is marked with it; the one inside is covered.
        TSpanCase{"StressMarksCovered", "къ\u0301ща", "къ", {{0, 3}}},
        TSpanCase{"StressInside", "къ\u0301ща", "къща", {{0, 5}}},
        TSpanCase{"AcrossPunctuation", "стара, къща", "стара къща", {{0, 11}}},
        TSpanCase{"NeverAcrossLines", "стара\nкъща", "стара къща", {}},
        TSpanCase{"CaseFolded", "Къща", "КЪ", {{0, 2}}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
