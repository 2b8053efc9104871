// The report page's layout on a listing made by the real page builder: where each block begins
// and which block holds a place in the page, told by the heights summed so far, must agree with
// the heights themselves however much of the page was laid out, grown or laid out again.

#include "reports/TPageLayout.h"
#include "reports/TReportPages.h"

#include <QFont>
#include <QRandomGenerator>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

// A listing of Count entries whose Bulgarian texts run to 1..5 lines, so that laid-out blocks
// differ in height from one another and from the estimate.
TPageBlocks Listing(int Count)
{
    TPreviewPageBuilder Builder(Count);
    for (int I = 0; I < Count; ++I) {
        QStringList Lines;
        for (int L = 0; L <= I % 5; ++L)
            Lines.append(QStringLiteral("значение %1.%2").arg(I).arg(L));
        Builder.AddEntry(QStringLiteral("%1word%2").arg(QChar(u'a' + I / 40)).arg(I).toLatin1(),
                         QStringLiteral("wɜːd"), Lines.join(QStringLiteral("\r\n")));
    }
    return Builder.FinishBlocks();
}

// Every block's start and end by the sums against the heights one by one.
void ExpectSumsAgree(const TPageLayout& Layout, const char* Stage)
{
    SCOPED_TRACE(Stage);
    qint64 Sum = 0;
    for (qsizetype I = 0; I < Layout.Count(); ++I) {
        ASSERT_EQ(Layout.Prefix(I), Sum) << "block " << I;
        ASSERT_EQ(Layout.BlockAt(Sum), I) << "block " << I;
        Sum += Layout.KnownHeight(I);
        ASSERT_EQ(Layout.BlockAt(Sum - 1), I) << "block " << I;
    }
    EXPECT_EQ(Layout.Prefix(Layout.Count()), Sum);
    // Below the page's end: its last block.
    EXPECT_EQ(Layout.BlockAt(Sum + 1000), Layout.Count() - 1);
}

} // namespace

TEST(PageLayout, BlocksAreFoundByTheirPlaceInThePage)
{
    // Which blocks are laid out first: a fixed draw.
    QRandomGenerator Random(20261211);
    const TPageBlocks Page = Listing(300);
    // Block counts that are and are not powers of two, the page as it grows.
    for (const qsizetype Count :
         {qsizetype(1), qsizetype(2), qsizetype(64), qsizetype(100), Page.Count()}) {
        SCOPED_TRACE(testing::Message() << Count << " blocks");
        TPageLayout Layout;
        Layout.SetFont(QFont());
        Layout.SetPage(Page.First(Count), 500);
        ExpectSumsAgree(Layout, "nothing laid out");
        for (int K = 0; K < 40; ++K)
            Layout.Height(qsizetype(Random.bounded(quint32(Count))));
        ExpectSumsAgree(Layout, "some laid out");
        Layout.SettleEstimate();
        ExpectSumsAgree(Layout, "estimate settled");
        if (Count < Page.Count()) {
            Layout.Extend(Page);
            ExpectSumsAgree(Layout, "grown");
            // What was laid out before the page grew has the heights of the whole page's blocks
            // (the block that ended the page loses the margin below it).
            TPageLayout Whole;
            Whole.SetFont(QFont());
            Whole.SetPage(Page, 500);
            for (qsizetype I = 0; I < Count; ++I)
                ASSERT_EQ(Layout.Height(I), Whole.Height(I)) << "block " << I;
        }
        const int Before = Layout.Height(0);
        ASSERT_TRUE(Layout.SetViewWidth(200));
        EXPECT_FALSE(Layout.SetViewWidth(200));
        for (qsizetype I = 0; I < Layout.Count(); I += 7)
            Layout.Height(I);
        ExpectSumsAgree(Layout, "laid out again narrower");
        // A narrower page is no shorter: the same text on more lines.
        EXPECT_GE(Layout.Height(0), Before);
    }
}
