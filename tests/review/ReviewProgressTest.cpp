#include "../store/StoreTestSupport.h"

#include "reports/TReviewProgressPage.h"
#include "review/TReviewProgress.h"
#include "review/TReviewStore.h"

#include <gtest/gtest.h>

namespace {
constexpr int64_t Today = 1'760'054'400'000; // a midnight (UTC)
constexpr int64_t Day = TFsrs::MsPerDay;
} // namespace

// The progress figures: due words by day (overdue ones today), answers by day over 90 days, and
// recall counted on words seen before only.
TEST_F(StoreFixture, ReviewProgressCountsDueAnswersAndRecall)
{
    AppendWords({"apple", "bread", "cheese", "dates"});
    TReviewStore Review(Store->ADOConnection->Handle());
    TFsrsParameters P;
    P.Fuzz = false;
    const TFsrs Scheduler(P);
    // First answers 20 days ago (new words: no part of the recall), then two reviews today.
    for (int I = 0; I < 4; ++I)
        Review.Record(*Review.NextNew(), I == 0 ? TGrade::grAgain : TGrade::grGood, Today - 20 * Day,
                      Scheduler);
    auto Apple = Review.NextDue(Today + 3600'000);
    ASSERT_TRUE(Apple);
    Review.Record(*Apple, TGrade::grAgain, Today + 3600'000, Scheduler);
    auto Next = Review.NextDue(Today + 3600'000);
    ASSERT_TRUE(Next);
    Review.Record(*Next, TGrade::grGood, Today + 3600'000, Scheduler);

    const TReviewProgress Progress = TReviewProgress::Read(Store->ADOConnection->Handle(), "main",
                                                           Today, 0.9);
    EXPECT_EQ(Progress.AnswersByDay[89], 2);
    EXPECT_EQ(Progress.AnswersByDay[69], 4);
    EXPECT_EQ(Progress.Reviewed, 2);
    EXPECT_EQ(Progress.Recalled, 1);
    int64_t Due = 0;
    for (int64_t N : Progress.DueByDay)
        Due += N;
    // Every word due within the 31 days is in a bar (the one answered Good today is due later).
    EXPECT_EQ(Due, std::stoll(RawText(Path, "SELECT count(*) FROM VexloReview WHERE Due < " +
                                                std::to_string(Today + 31 * Day))));
    EXPECT_EQ(Due, 3);
    // Cheese and dates, due 17 days ago and never answered since, count today.
    EXPECT_GE(Progress.DueByDay[0], 2);
    const QByteArray Page = BuildReviewProgressPage(Progress);
    EXPECT_TRUE(Page.contains("Words due over the next 30 days"));
    EXPECT_TRUE(Page.contains("1 of 2 reviews recalled"));
    EXPECT_TRUE(Page.contains("50.0&nbsp;%"));
    EXPECT_TRUE(Page.contains("90.0&nbsp;%"));
}
