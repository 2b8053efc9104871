#include "tests/store/StoreTestSupport.h"

#include "store/TVexloTable.h"

#include <numeric>
#include <random>

namespace {

using VexloTableTest = StoreFixture;

TEST_F(VexloTableTest, OrderIgnoresCaseAndBreaksTiesById)
{
    AppendWords({"banana", "Apricot", "apple", "Apple", "apple"});
    EXPECT_EQ(TableWords(),
              (std::vector<std::string>{"apple", "Apple", "apple", "Apricot", "banana"}));
    std::vector<int> Ids;
    for (int I = 0; I < 3; ++I)
        Ids.push_back(Store->ADOTable->IdAt(I));
    EXPECT_EQ(Ids, (std::vector<int>{3, 4, 5}));
}

TEST_F(VexloTableTest, NavigationFlagsAndPositions)
{
    TVexloTable* T = Store->ADOTable;
    EXPECT_TRUE(T->Bof() && T->Eof());
    EXPECT_EQ(T->RecNo(), -1);
    AppendWords({"b", "c", "a"});
    T->First();
    EXPECT_TRUE(T->Bof());
    EXPECT_FALSE(T->Eof());
    EXPECT_EQ(T->RecNo(), 1);
    T->Next();
    EXPECT_FALSE(T->Bof());
    EXPECT_EQ(T->RecNo(), 2);
    T->Last();
    EXPECT_TRUE(T->Eof());
    EXPECT_EQ(CurrentWord(), "c");
    T->Next();
    EXPECT_EQ(T->RecNo(), 3);
    EXPECT_TRUE(T->Eof());
    T->Prior();
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_FALSE(T->Eof());
    T->SetRecNo(99);
    EXPECT_EQ(T->RecNo(), 3);
    int Visited = 0;
    for (T->First(); !T->Eof(); T->Next())
        ++Visited;
    EXPECT_EQ(Visited, 3);
}

TEST_F(VexloTableTest, RecNoIsMinusOneWhileAppending)
{
    AppendWords({"a"});
    Store->ADOTable->Append();
    EXPECT_EQ(Store->ADOTable->RecNo(), -1);
    Store->ADOTable->Cancel();
    EXPECT_EQ(Store->ADOTable->RecNo(), 1);
    EXPECT_EQ(Store->ADOTable->RecordCount(), 1);
}

struct TLocateCase
{
    const char* Field;
    QVariant Value;
    TLocateOptions Options;
    int ExpectedRecNo; // 0: nothing found, the current row stays
};

class LocateTest : public StoreFixture, public ::testing::WithParamInterface<TLocateCase>
{
};

TEST_P(LocateTest, FirstMatchInTableOrderBecomesCurrent)
{
    // Table order: Apple(2) apple(4) apricot(3) banana(1) Bananas(5)
    AppendWords({"banana", "Apple", "apricot", "apple", "Bananas"});
    Store->ADOTable->Last();
    const TLocateCase& C = GetParam();
    const bool Found = Store->ADOTable->Locate(C.Field, C.Value, C.Options);
    EXPECT_EQ(Found, C.ExpectedRecNo != 0);
    EXPECT_EQ(Store->ADOTable->RecNo(), C.ExpectedRecNo ? C.ExpectedRecNo : 5);
}

INSTANTIATE_TEST_SUITE_P(
    Options, LocateTest,
    ::testing::Values(TLocateCase{"ENAME", "apple", 0, 2}, TLocateCase{"ENAME", "APPLE", 0, 0},
                      TLocateCase{"ENAME", "APPLE", loCaseInsensitive, 1},
                      TLocateCase{"ename", "ap", loCaseInsensitive | loPartialKey, 1},
                      TLocateCase{"ENAME", "apr", loCaseInsensitive | loPartialKey, 3},
                      TLocateCase{"ENAME", "BAN", loCaseInsensitive | loPartialKey, 4},
                      TLocateCase{"ENAME", "Ban", loPartialKey, 5},
                      TLocateCase{"ENAME", "ban", 0, 0},
                      TLocateCase{"ENAME", "bananas!", loCaseInsensitive | loPartialKey, 0},
                      TLocateCase{"ID", 3, 0, 3}, TLocateCase{"ID", 6, 0, 0},
                      TLocateCase{"BULG", "ДУМ", loCaseInsensitive | loPartialKey, 1},
                      TLocateCase{"TRANS", "wɜːd", 0, 1}));

TEST_F(VexloTableTest, EventsFireAfterScrollAndPost)
{
    int Scrolls = 0, Posts = 0;
    Store->ADOTable->AfterScroll = [&] { ++Scrolls; };
    Store->ADOTable->AfterPost = [&] {
        ++Posts;
        EXPECT_EQ(Store->ADOTable->State(), TDataSetState::dsBrowse);
    };
    AppendWords({"b", "a"});
    EXPECT_EQ(Posts, 2);
    Scrolls = 0;
    Store->ADOTable->First();
    Store->ADOTable->Next();
    Store->ADOTable->Next(); // already at the end: no move, no event
    EXPECT_EQ(Scrolls, 2);
    EXPECT_FALSE(Store->ADOTable->Locate("ENAME", "zzz", loPartialKey));
    EXPECT_EQ(Scrolls, 2);
}

TEST_F(VexloTableTest, FieldsHaveTheirTypesAndWidths)
{
    const char* Names[] = {"ID", "ENAME", "BULG", "TRANS", "LEVEL"};
    const int Sizes[] = {0, 30, 255, 30, 0};
    for (int I = 0; I < 5; ++I) {
        EXPECT_EQ(Store->ADOTable->Fields(I)->FieldName(), Names[I]);
        EXPECT_EQ(Store->ADOTable->Fields(I)->Size(), Sizes[I]);
    }
    EXPECT_EQ(Store->ADOTableLEVEL->DataType(), TFieldType::ftWord);
    EXPECT_EQ(Store->ADOTable->FieldByName("bulg"), Store->ADOTableBULG);
    EXPECT_THROW(Store->ADOTable->FieldByName("nope"), EVexloDatabaseError);
    EXPECT_THROW(Store->ADOTableENAME->SetAsString("x"), EVexloDatabaseError); // not editing
}

TEST_F(VexloTableTest, SecondTableOnTheConnectionSeesTheRowsAndClosesWithIt)
{
    AppendWords({"b", "a"});
    TVexloTable Report(Store->ADOConnection);
    Report.Open();
    ASSERT_EQ(Report.RecordCount(), 2);
    Report.First();
    EXPECT_EQ(Report.FieldByName("ENAME")->AsString(), "a");
    EXPECT_EQ(Report.FieldByName("BULG")->AsString(), QString::fromUtf8("дума"));
    Store->CloseData();
    EXPECT_FALSE(Report.Active());
    EXPECT_FALSE(Store->ADOTable->Active());
}

// Random changes through the table must leave it exactly as a fresh read of the file shows it.
TEST_F(VexloTableTest, InMemoryOrderMatchesAFreshReadAfterRandomChanges)
{
    std::mt19937 Random(7);
    const char* Words[] = {"apple", "Apple", "b", "B", "ball", "Ball", "", "zeta", "Ärger", "café"};
    for (int Step = 0; Step < 300; ++Step) {
        const int Op = static_cast<int>(Random() % 4);
        const QString Word = QString::fromUtf8(Words[Random() % std::size(Words)]);
        if (Op <= 1 || Store->ADOTable->IsEmpty()) {
            Store->AppendEntry(MakeEntry(Word, static_cast<int>(Random() % 10)));
        } else if (Op == 2) {
            Store->ADOTable->SetRecNo(1 +
                                      static_cast<int>(Random() % Store->ADOTable->RecordCount()));
            Store->UpdateCurrentEntry(MakeEntry(Word, 3, "нов"));
        } else {
            Store->ADOTable->SetRecNo(1 +
                                      static_cast<int>(Random() % Store->ADOTable->RecordCount()));
            Store->DeleteCurrentEntry();
        }
    }
    TVexloTable Fresh(Store->ADOConnection);
    Fresh.Open();
    ASSERT_EQ(Fresh.RecordCount(), Store->ADOTable->RecordCount());
    for (int I = 0; I < Fresh.RecordCount(); ++I) {
        const TEnglishRow A = Fresh.RowAt(I), B = Store->ADOTable->RowAt(I);
        EXPECT_EQ(A.ID, B.ID) << I;
        EXPECT_EQ(A.ENAME, B.ENAME) << I;
        EXPECT_EQ(A.BULG, B.BULG) << I;
        EXPECT_EQ(A.LEVEL, B.LEVEL) << I;
    }
    std::vector<int> Expected(static_cast<size_t>(Fresh.RecordCount()));
    std::iota(Expected.begin(), Expected.end(), 1);
    EXPECT_EQ(RawIds(Path), Expected);
}

// Words another tool stored, of every length up to far beyond the field's 30 characters, plain
// and with letters beyond ASCII: each reads back byte for byte in order, is found by its
// beginning, and stays so after deleting the long ones leaves most of the names dead.
TEST_F(VexloTableTest, WordsOfAnyLengthReadBackAndSurviveDeletes)
{
    struct TCase
    {
        int Length;
        const char* Letter;
    } Cases[] = {{1, "q"},   {63, "r"},    {64, "s"},      {65, "t"},   {8191, "u"},
                 {8192, "v"}, {100000, "w"}, {150000, "x"}, {40, "Ж"},  {64, "é"},
                 {70000, "É"}};
    QString Script = "DELETE FROM English;\n";
    int ID = 0;
    for (const TCase& Case : Cases)
        Script += QStringLiteral("INSERT INTO English (ID, ENAME, BULG, LEVEL) "
                                 "VALUES (%1, replace(printf('%.%2c', '*'), '*', '%3'), 'b', 1);\n")
                      .arg(++ID)
                      .arg(Case.Length)
                      .arg(QString::fromUtf8(Case.Letter));
    Script += "INSERT INTO English (ID, ENAME, BULG, LEVEL) VALUES (12, '', 'b', 1);\n";
    ShellExec(Path, Script);
    Store->ADOTable->Refresh();
    auto Expect = [&] {
        TVexloTable Fresh(Store->ADOConnection);
        Fresh.Open();
        ASSERT_EQ(Fresh.RecordCount(), Store->ADOTable->RecordCount());
        for (int I = 0; I < Fresh.RecordCount(); ++I) {
            EXPECT_EQ(Fresh.ENameAt(I), Store->ADOTable->ENameAt(I)) << I;
            EXPECT_EQ(Fresh.IdAt(I), Store->ADOTable->IdAt(I)) << I;
        }
        for (int I = 0; I < Store->ADOTable->RecordCount(); ++I) {
            const QString Word = Store->ADOTable->ENameAt(I);
            const int Id = Store->ADOTable->IdAt(I);
            if (Word.isEmpty())
                continue;
            ASSERT_TRUE(Store->ADOTable->Locate("ENAME", Word.toUpper(), loCaseInsensitive)) << Id;
            EXPECT_EQ(Store->ADOTable->FieldByName("ID")->AsInteger(), Id);
            ASSERT_TRUE(Store->ADOTable->Locate("ENAME", Word.left(20).toLower(),
                                                loCaseInsensitive | loPartialKey))
                << Id;
            EXPECT_TRUE(Word.startsWith(Store->ADOTable->FieldByName("ENAME")->AsString().left(20),
                                        Qt::CaseInsensitive))
                << Id;
        }
    };
    for (int I = 0; I < 12; ++I) {
        const TCase* Case = I < 11 ? &Cases[I] : nullptr;
        const std::string Stored = RawText(Path, "SELECT ENAME FROM English WHERE ID = " +
                                                     std::to_string(I + 1));
        std::string Wanted;
        for (int N = 0; Case && N < Case->Length; ++N)
            Wanted += Case->Letter;
        ASSERT_EQ(Stored, Wanted) << I + 1;
    }
    Expect();
    // Deleting the longest words leaves most of the pool dead; the next change packs it.
    for (const char* Word : {"w", "x", "É"}) {
        ASSERT_TRUE(Store->ADOTable->Locate("ENAME", QString::fromUtf8(Word),
                                            loCaseInsensitive | loPartialKey));
        Store->DeleteCurrentEntry();
    }
    Store->AppendEntry(MakeEntry("mango"));
    Store->AppendEntry(MakeEntry(QString::fromUtf8("Ärger")));
    Expect();
}

} // namespace
