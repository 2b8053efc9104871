// Find in everything over a real data file: fields, whole words, case folding, Stop.

#include "tests/store/StoreTestSupport.h"
#include "tests/support/WaitUntil.h"

#include "search/TTextSearch.h"
#include "store/TextCodec.h"

#include <QFile>
#include <QSignalSpy>

#include <sqlite3.h>

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

// Texts that fold letter for letter are searched in the UTF-8 the file holds, the rest the long
// way through UTF-16: both find what TextCodec's folding and Holds find in the text as the engine
// hands it over, malformed bytes and characters that fold to several included.
TEST_F(TextSearchFileTest, EveryKindOfTextIsFoundAlike)
{
    RawExec(Path, "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES "
                  "(1, 'r1', 'Straße', '', 0), (2, 'r2', 'STRASSE', '', 0), "
                  "(3, 'r3', '\u212Aelvin', '', 0), (4, 'r4', 'ΣΊΣΥΦΟΣ', '', 0), "
                  "(5, 'r5', 'ˈwɜːd', '', 0), (6, 'r6', '😀 smile', '', 0), "
                  "(7, 'r7', 'къ\u0301ща, КЪЩИЧКА', '', 0), (8, 'r8', 'café', '', 0), "
                  "(9, 'r9', CAST(X'C0AF41' AS TEXT), '', 0), "
                  "(10, 'r10', CAST(X'61EFBFBE62' AS TEXT), '', 0), "
                  "(11, 'r11', '\u0130stanbul', '', 0), (12, 'r12', 'ǰ ʼn', '', 0), "
                  "(13, 'r13', NULL, '', 0), (14, 'r14', 'a' || char(0) || 'b', '', 0)");
    // What each row's Bulgarian text is, as the engine hands it over in UTF-16.
    std::vector<QString> Texts;
    sqlite3* Db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(Path).constData(), &Db), SQLITE_OK);
    sqlite3_stmt* Statement = nullptr;
    sqlite3_prepare_v2(Db, "SELECT BULG FROM English ORDER BY ID", -1, &Statement, nullptr);
    while (sqlite3_step(Statement) == SQLITE_ROW)
        Texts.push_back(QString::fromUtf16(
            static_cast<const char16_t*>(sqlite3_column_text16(Statement, 0)),
            sqlite3_column_bytes16(Statement, 0) / 2));
    sqlite3_finalize(Statement);
    sqlite3_close(Db);
    ASSERT_EQ(Texts.size(), 14u);
    const char* const Queries[] = {"ss", "straße", "k", "kelvin", "σ", "σίσυφος", "ɜː", "smile",
                                   "😀", "къщ", "къща", "é", "a", "b", "\uFFFD", "i\u0307",
                                   "istanbul", "ǰ", "ʼn", "j\u030C"};
    for (const char* Typed : Queries)
        for (const bool Whole : {false, true}) {
            const QString Query = QString::fromUtf8(Typed);
            const QString Folded = TextCodec::FoldCase(Query);
            std::vector<std::string> Expected;
            for (size_t Row = 0; Row < Texts.size(); ++Row)
                if (TTextSearch::Holds(TextCodec::FoldCase(Texts[Row]), Folded, Whole))
                    Expected.push_back("r" + std::to_string(Row + 1));
            EXPECT_EQ(Run(Query, TTextSearch::fdBulgarian, Whole).first, Expected)
                << Typed << (Whole ? " (whole words)" : "");
        }
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
    // (On a fast machine the first may have ended, and said so, before it was stopped.)
    const qsizetype Before = Found.size();
    const qsizetype FinishedBefore = Finished.size();
    const auto Second = Run("друго", TTextSearch::fdAll, false);
    EXPECT_EQ(Second.first, std::vector<std::string>{"last"});
    // Between the first search's Stop and the second's end, nothing of the first came.
    EXPECT_EQ(Found.size(), Before + 1);
    EXPECT_EQ(Finished.size(), FinishedBefore + 1);
}

} // namespace
