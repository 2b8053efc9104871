// Find in everything over a real data file: fields, whole words, case folding, Stop.

#include "tests/store/StoreTestSupport.h"
#include "tests/support/WaitUntil.h"

#include "search/TTextSearch.h"
#include "store/TextCodec.h"

#include <QSignalSpy>

namespace {

struct THoldsCase
{
    const char* Text;
    const char* Query;
    bool Part;
    bool Whole;
};

TEST(TextSearchTest, HoldsAsAPartOrAsWholeWords)
{
    const THoldsCase Cases[] = {
        {"a big house", "hous", true, false},     {"a big house", "house", true, true},
        {"a big house", "big house", true, true}, {"bighouse", "house", true, false},
        {"STRASSE", "straße", true, true},        {"къща, дом", "къща", true, true},
        {"къщичка", "къща", false, false},        {"", "x", false, false},
        {"x", "", false, false},                  {"(разг.)", "разг.", true, true},
    };
    for (const THoldsCase& C : Cases) {
        const QString Text = TextCodec::FoldCase(QString::fromUtf8(C.Text));
        const QString Query = TextCodec::FoldCase(QString::fromUtf8(C.Query));
        EXPECT_EQ(TTextSearch::Holds(Text, Query, false), C.Part) << C.Text << " / " << C.Query;
        EXPECT_EQ(TTextSearch::Holds(Text, Query, true), C.Whole) << C.Text << " / " << C.Query;
    }
}

class TextSearchFileTest : public StoreFixture
{
protected:
    // The English words found, in the file's order, and the count.
    std::pair<std::vector<std::string>, int> Run(const QString& Text, int Fields, bool Whole)
    {
        QSignalSpy Found(&Search, &TTextSearch::Found);
        QSignalSpy Finished(&Search, &TTextSearch::Finished);
        Search.Start(Path, "English", Store->ADOTable->IdExpression(), {Text, Fields, Whole});
        EXPECT_TRUE(WaitUntil([&] { return !Finished.isEmpty(); }));
        std::vector<std::string> Words;
        for (const auto& Batch : Found)
            for (const TFoundEntry& Entry : Batch.at(0).value<QVector<TFoundEntry>>())
                Words.push_back(Entry.English.toStdString());
        return {Words, Finished.isEmpty() ? -1 : Finished.first().at(0).toInt()};
    }
    TTextSearch Search;
};

TEST_F(TextSearchFileTest, FindsInTheChosenFields)
{
    Store->AppendEntry(MakeEntry("house", 0, "КЪЩА, дом", "haʊs"));
    Store->AppendEntry(MakeEntry("Domain", 0, "област", "dəˈmeɪn"));
    Store->AppendEntry(MakeEntry("street", 0, "улица", "striːt"));
    Store->AppendEntry(MakeEntry("Straße", 0, "улица\r\n(нем.) дом", "ˈʃtraːsə"));
    using TWords = std::vector<std::string>;
    using TResult = std::pair<TWords, int>;
    EXPECT_EQ(Run("дом", TTextSearch::fdAll, false), (TResult{{"house", "Straße"}, 2}));
    EXPECT_EQ(Run("DOM", TTextSearch::fdAll, false), (TResult{{"Domain"}, 1}));
    EXPECT_EQ(Run("dom", TTextSearch::fdEnglish, true), (TResult{{}, 0}));
    EXPECT_EQ(Run("STRASSE", TTextSearch::fdEnglish, true), (TResult{{"Straße"}, 1}));
    EXPECT_EQ(Run("къща", TTextSearch::fdEnglish, false), (TResult{{}, 0}));
    EXPECT_EQ(Run("къща", TTextSearch::fdBulgarian, true), (TResult{{"house"}, 1}));
    EXPECT_EQ(Run("ˈ", TTextSearch::fdTranscription, false), (TResult{{"Domain", "Straße"}, 2}));
    EXPECT_EQ(Run("ул", TTextSearch::fdBulgarian, true), (TResult{{}, 0}));
}

TEST_F(TextSearchFileTest, ListsAFewAndCountsAll)
{
    RawExec(Path, "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 300) "
                  "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                  "SELECT I, 'w' || I, 'дума ' || I, '', 0 FROM N");
    const int Listed = std::exchange(TTextSearch::MaxListed, 100);
    const auto [Words, Count] = Run("дума", TTextSearch::fdAll, false);
    TTextSearch::MaxListed = Listed;
    EXPECT_EQ(Words.size(), 100u);
    EXPECT_EQ(Count, 300);
}

// Stopped, a search hands nothing more over, and a new one starts clean.
TEST_F(TextSearchFileTest, StopEndsItAtOnce)
{
    RawExec(Path, "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 20000) "
                  "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                  "SELECT I, 'w' || I, 'дума', '', 0 FROM N;"
                  "INSERT INTO English VALUES (20001, 'last', 'друго', '', 0)");
    QSignalSpy Found(&Search, &TTextSearch::Found);
    QSignalSpy Finished(&Search, &TTextSearch::Finished);
    Search.Start(Path, "English", "ID", {"дума", TTextSearch::fdAll, false});
    ASSERT_TRUE(WaitUntil([&] { return !Found.isEmpty(); }));
    Search.Stop();
    EXPECT_FALSE(Search.Running());
    const qsizetype Before = Found.size();
    const auto Second = Run("друго", TTextSearch::fdAll, false);
    EXPECT_EQ(Second.first, std::vector<std::string>{"last"});
    // Between the first search's Stop and the second's end, nothing of the first came.
    EXPECT_EQ(Found.size(), Before + 1);
    EXPECT_EQ(Finished.size(), 1);
}

} // namespace
