// Folding of Bulgarian meanings and the parts of a text a search marks.

#include "search/TMeaningText.h"

#include <gtest/gtest.h>

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
