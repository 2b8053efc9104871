#include "store/TVexloWideStrings.h"

#include <gtest/gtest.h>

namespace {

struct TSplitCase
{
    const char16_t* Text;
    std::vector<QString> Items;
};

class SetTextTest : public ::testing::TestWithParam<TSplitCase>
{
};

TEST_P(SetTextTest, CutsIntoTrimmedLines)
{
    TVexloWideStrings List;
    List.Add("left over");
    List.SetText(QString::fromUtf16(GetParam().Text));
    std::vector<QString> Items;
    for (int I = 0; I < List.Count(); ++I)
        Items.push_back(List.Get(I));
    EXPECT_EQ(Items, GetParam().Items);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, SetTextTest,
    ::testing::Values(TSplitCase{u"", {}}, TSplitCase{u"a\r\nb", {"a", "b"}},
                      TSplitCase{u"a\r\n", {"a"}}, TSplitCase{u"\r\n", {""}},
                      TSplitCase{u"a\n\rb", {"a", "", "b"}}, TSplitCase{u"a\r\rb", {"a", "", "b"}},
                      TSplitCase{u"a\nb\rc", {"a", "b", "c"}},
                      TSplitCase{u" \t две думи \t\r\n  x ", {QString::fromUtf8("две думи"), "x"}},
                      TSplitCase{u"\x01 a \x1f", {"a"}}, TSplitCase{u"a\r\n\r\nb", {"a", "", "b"}},
                      TSplitCase{u"   ", {""}}));

TEST(WideStringsTest, NulEndsTheText)
{
    TVexloWideStrings List;
    List.SetText(QString::fromUtf16(u"a\r\nb\0c\r\nd", 10));
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(List.Get(1), "b");
}

TEST(WideStringsTest, GetOutOfRangeIsEmptyAndChangesNothing)
{
    TVexloWideStrings List;
    List.Add("one");
    List.Add("one");
    EXPECT_EQ(List.Get(-1), "");
    EXPECT_EQ(List.Get(2), "");
    EXPECT_EQ(List.Count(), 2);
    EXPECT_EQ(List.Get(1), "one");
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Get(0), "");
}

} // namespace
