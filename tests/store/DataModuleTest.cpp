#include "tests/store/StoreTestSupport.h"

#include <array>
#include <numeric>
#include <set>

namespace {

using DataModuleTest = StoreFixture;

TEST_F(DataModuleTest, ConstructorSetsTheGlobalAndNoMaxId)
{
    EXPECT_EQ(ScreenSaverDataModule, Store);
    EXPECT_EQ(Store->FMaxID, -1);
    EXPECT_EQ(Store->DataSource->DataSet, Store->ADOTable);
}

TEST_F(DataModuleTest, EmptyStore)
{
    EXPECT_TRUE(Store->IsStoreEmpty());
    EXPECT_EQ(Store->GetMaxID(), 0);
    EXPECT_EQ(Store->FMaxID, -1);
    EXPECT_EQ(Store->GetLastFilledWord(), QByteArray());
    std::array<int32_t, 10> Counts{};
    Counts.fill(-7);
    EXPECT_FALSE(Store->CountByLevel(Counts.data(), 9));
    EXPECT_EQ(Counts[0], -7);
    TEnBgRecord Rec = MakeEntry("keep", 4);
    Store->ReadRandomEntry(Rec);
    Store->ReadCurrentEntry(Rec);
    EXPECT_EQ(Rec.EnglishWord, "keep");
    EXPECT_EQ(Rec.WordLevel, 4);
    Store->GotoRandomEntry(Store->ADOTable); // returns at once instead of drawing forever
    EXPECT_THROW(Store->DeleteCurrentEntry(), EVexloDatabaseError);
}

TEST_F(DataModuleTest, AppendNumbersAndDeleteAllStartsAgain)
{
    Store->AppendEntry(MakeEntry("one"));
    EXPECT_EQ(Store->ADOTableID->AsInteger(), 1);
    Store->AppendEntry(MakeEntry("two"));
    EXPECT_EQ(Store->ADOTableID->AsInteger(), 2);
    EXPECT_EQ(CurrentWord(), "two"); // the new entry is current
    EXPECT_FALSE(Store->IsStoreEmpty());
    EXPECT_EQ(Store->GetLastFilledWord(), QByteArray("two"));
    Store->DeleteAllEntries();
    EXPECT_TRUE(Store->IsStoreEmpty());
    EXPECT_EQ(Store->FMaxID, 0);
    Store->AppendEntry(MakeEntry("again"));
    EXPECT_EQ(RawIds(Path), std::vector<int>{1});
}

TEST_F(DataModuleTest, DeletingAMiddleEntryRenumbersAndSelectsTheFollower)
{
    AppendWords({"e1", "e2", "e3", "e4", "e5"});
    ASSERT_TRUE(Store->ADOTable->Locate("ID", 3, 0));
    Store->DeleteCurrentEntry();
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(CurrentWord(), "e4");
    EXPECT_EQ(Store->ADOTableID->AsInteger(), 3);
    EXPECT_EQ(Store->FMaxID, 4);
    EXPECT_EQ(Store->GetLastFilledWord(), QByteArray("e5"));
}

TEST_F(DataModuleTest, DeletingTheLastNumberSelectsTheFirstEntry)
{
    AppendWords({"c", "b", "e", "a", "d"});
    ASSERT_TRUE(Store->ADOTable->Locate("ID", 5, 0));
    Store->DeleteCurrentEntry();
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Store->ADOTable->RecNo(), 1);
    EXPECT_EQ(CurrentWord(), "a");
}

TEST_F(DataModuleTest, DeleteThenAppendWithNothingRemembered)
{
    AppendWords({"e1", "e2", "e3", "e4", "e5"});
    QStringList Messages;
    Store->OpenDataFile(Path, Messages); // forget the remembered number
    ASSERT_EQ(Store->FMaxID, -1);
    Store->ADOTable->First();
    Store->DeleteCurrentEntry();
    Store->AppendEntry(MakeEntry("new"));
    EXPECT_EQ(Store->ADOTableID->AsInteger(), 5);
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(DataModuleTest, UpdateKeepsTheIdAndFollowsTheEntry)
{
    AppendWords({"alpha", "beta", "gamma"});
    ASSERT_TRUE(Store->ADOTable->Locate("ENAME", "alpha", 0));
    Store->UpdateCurrentEntry(MakeEntry("zulu", 7, "ред 1\r\nред 2", "ˈzuːluː"));
    EXPECT_EQ(Store->ADOTableID->AsInteger(), 1);
    EXPECT_EQ(Store->ADOTable->RecNo(), 3);
    TEnBgRecord Rec;
    Store->ReadCurrentEntry(Rec);
    EXPECT_EQ(Rec.EnglishWord, "zulu");
    EXPECT_EQ(Rec.BulgarianText, QString::fromUtf8("ред 1\r\nред 2"));
    EXPECT_EQ(Rec.Transcription, QString::fromUtf8("ˈzuːluː"));
    EXPECT_EQ(Rec.WordLevel, 7);
    EXPECT_EQ(TableWords(), (std::vector<std::string>{"beta", "gamma", "zulu"}));
}

struct TSearchCase
{
    const char* Text;
    const char* Expected; // nullptr: the current row does not move
};

class SearchWordTest : public StoreFixture, public ::testing::WithParamInterface<TSearchCase>
{
};

TEST_P(SearchWordTest, FindsTheLongestMatchingPrefix)
{
    AppendWords({"banana", "Apricot", "apple", "application", "Bread", "zebra"});
    Store->ADOTable->Last();
    Store->SearchWord(QByteArray(GetParam().Text));
    EXPECT_EQ(CurrentWord(), GetParam().Expected ? GetParam().Expected : "zebra");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SearchWordTest,
    ::testing::Values(TSearchCase{"  AP", "apple"}, TSearchCase{"apr", "Apricot"},
                      TSearchCase{"\tAPPLIC\r\n", "application"}, TSearchCase{"applz", "apple"},
                      TSearchCase{"applicable", "application"}, TSearchCase{"br", "Bread"},
                      TSearchCase{"bx", "banana"}, TSearchCase{"   ", nullptr},
                      TSearchCase{"", nullptr}, TSearchCase{"quux", nullptr},
                      TSearchCase{"b\xc3\xa9", "banana"}));

TEST_F(DataModuleTest, CountByLevelSkipsLevelsOutOfRange)
{
    for (int Level : {0, 3, 3, 9})
        Store->AppendEntry(MakeEntry("w", Level));
    RawExec(Path, "INSERT INTO English (ID, ENAME, LEVEL) VALUES (5, 'odd', 12), (6, 'neg', -1)");
    std::array<int32_t, 10> Counts{};
    EXPECT_TRUE(Store->CountByLevel(Counts.data(), 9));
    EXPECT_EQ(Counts, (std::array<int32_t, 10>{1, 0, 0, 2, 0, 0, 0, 0, 0, 1}));
    std::array<int32_t, 4> Few{};
    EXPECT_TRUE(Store->CountByLevel(Few.data(), 3));
    EXPECT_EQ(Few, (std::array<int32_t, 4>{1, 0, 0, 2}));
}

TEST_F(DataModuleTest, ValuesWrittenByOtherToolsReadAsStored)
{
    RawExec(Path, "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES "
                  "(1, 'odd', NULL, NULL, 42)");
    Store->ADOTable->Refresh();
    TEnBgRecord Rec = MakeEntry("x", 1, "old", "old");
    Store->ReadCurrentEntry(Rec);
    EXPECT_EQ(Rec.EnglishWord, "odd");
    EXPECT_EQ(Rec.BulgarianText, "");
    EXPECT_EQ(Rec.Transcription, "");
    EXPECT_EQ(Rec.WordLevel, 42);
    Rec = {};
    Store->ReadRandomEntry(Rec);
    EXPECT_EQ(Rec.WordLevel, 42);
    EXPECT_EQ(Rec.BulgarianText, "");
}

TEST_F(DataModuleTest, RandomDrawsReachEveryEntryAndDoNotMoveTheTable)
{
    AppendWords({"a", "b", "c", "d"});
    Store->ADOTable->SetRecNo(2);
    std::set<QString> Seen;
    for (int I = 0; I < 200; ++I) {
        TEnBgRecord Rec;
        Store->ReadRandomEntry(Rec);
        Seen.insert(Rec.EnglishWord);
    }
    EXPECT_EQ(Seen.size(), 4u);
    EXPECT_EQ(Store->ADOTable->RecNo(), 2);
    std::set<int> Positions;
    for (int I = 0; I < 200; ++I) {
        Store->GotoRandomEntry(Store->ADOTable);
        Positions.insert(Store->ADOTable->RecNo());
    }
    EXPECT_EQ(Positions, (std::set<int>{1, 2, 3, 4}));
}

TEST_F(DataModuleTest, GotoRandomEntryEndsOnNumbersWithGaps)
{
    RawExec(Path, "INSERT INTO English (ID, ENAME) VALUES (100, 'x'), (200, 'y')");
    Store->ADOTable->Refresh();
    Store->GotoRandomEntry(Store->ADOTable);
    EXPECT_GE(Store->ADOTable->RecNo(), 1);
}

struct TTooLongCase
{
    int Field; // 0 English word, 1 Bulgarian text, 2 transcription
    int Length;
    bool Accepted;
};

class TooLongTextTest : public StoreFixture, public ::testing::WithParamInterface<TTooLongCase>
{
};

TEST_P(TooLongTextTest, RefusedWithoutStoringAnything)
{
    AppendWords({"first"});
    const TTooLongCase& C = GetParam();
    TEnBgRecord Rec = MakeEntry("w");
    QString Text(C.Length, QChar(0x0436)); // ж
    (C.Field == 0 ? Rec.EnglishWord : C.Field == 1 ? Rec.BulgarianText : Rec.Transcription) = Text;
    if (C.Accepted) {
        Store->AppendEntry(Rec);
        EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2}));
        return;
    }
    try {
        Store->AppendEntry(Rec);
        FAIL() << "accepted";
    } catch (const EVexloDatabaseError& E) {
        EXPECT_TRUE(E.Message().contains(QStringLiteral("at most"))) << E.what();
    }
    EXPECT_EQ(Store->ADOTable->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(RawIds(Path), std::vector<int>{1});
    EXPECT_EQ(Store->ADOTable->RecordCount(), 1);
    EXPECT_THROW(Store->UpdateCurrentEntry(Rec), EVexloDatabaseError);
    EXPECT_EQ(CurrentWord(), "first");
    // The refused row did not use up a number.
    Store->AppendEntry(MakeEntry("second"));
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Widths, TooLongTextTest,
                         ::testing::Values(TTooLongCase{0, 30, true}, TTooLongCase{0, 31, false},
                                           TTooLongCase{1, 255, true}, TTooLongCase{1, 256, false},
                                           TTooLongCase{2, 30, true}, TTooLongCase{2, 31, false}));

TEST_F(DataModuleTest, LevelOutsideTheWordRangeIsRefused)
{
    EXPECT_THROW(Store->AppendEntry(MakeEntry("w", 70000)), EVexloDatabaseError);
    EXPECT_THROW(Store->AppendEntry(MakeEntry("w", -1)), EVexloDatabaseError);
    EXPECT_TRUE(RawIds(Path).empty());
    EXPECT_EQ(Store->ADOTable->State(), TDataSetState::dsBrowse);
}

TEST_F(DataModuleTest, EntryCountComesFromTheTableOrTheNumbers)
{
    AppendWords({"a", "b", "c"});
    EXPECT_EQ(Store->GetEntryCount(), 3);
    Store->ADOTable->Close();
    Store->FMaxID = -1;
    EXPECT_EQ(Store->GetEntryCount(), 3);
}

TEST_F(DataModuleTest, ReadsNeedAnOpenConnection)
{
    Store->CloseData();
    EXPECT_THROW(Store->GetMaxID(), EVexloDatabaseError);
    EXPECT_THROW(Store->AppendEntry(MakeEntry("x")), EVexloDatabaseError);
}

struct TDirCase
{
    const char* Path;
    const char* Dir;
};

class ExtractDataDirTest : public ::testing::TestWithParam<TDirCase>
{
};

TEST_P(ExtractDataDirTest, Derives)
{
    EXPECT_EQ(TScreenSaverDataModule::ExtractDataDir(GetParam().Path), GetParam().Dir);
}

INSTANTIATE_TEST_SUITE_P(Paths, ExtractDataDirTest,
                         ::testing::Values(TDirCase{"C:\\data\\words.mdb", "C:\\data"},
                                           TDirCase{"C:\\words.mdb", "C:\\"},
                                           TDirCase{"C:words.mdb", "C:"}, TDirCase{"words.mdb", ""},
                                           TDirCase{"\\words.mdb", "\\"},
                                           TDirCase{"\\\\srv\\share\\w.mdb", "\\\\srv\\share"},
                                           TDirCase{"/home/u/words.db", "/home/u"},
                                           TDirCase{"/words.db", "/"}, TDirCase{"a//b.db", "a//"},
                                           TDirCase{"a/b/", "a/b"}, TDirCase{"", ""}));

TEST(ConnectionStringTest, IsTheFixedText)
{
    EXPECT_EQ(TScreenSaverDataModule::BuildConnectionString("C:\\d\\w.mdb", "C:\\d"),
              "Provider=MSDASQL;Password=pickle;Persist Security Info=True;User ID=admin;"
              "Extended Properties=\"DBQ=C:\\d\\w.mdb;DefaultDir=C:\\d;Driver={Microsoft Access "
              "Driver (*.mdb)};FIL=MS Access;MaxBufferSize=2048;MaxScanRows=8;PageTimeout=5;"
              "PWD=pickle;SafeTransactions=0;Threads=3;UID=admin;UserCommitSync=Yes;\"");
}

TEST_F(DataModuleTest, OpenKeepsPathAndDirectoryOnTheConnection)
{
    EXPECT_EQ(Store->ADOConnection->DefaultDatabase, Path);
    EXPECT_TRUE(Store->ADOConnection->ConnectionString.contains("DBQ=" + Path +
                                                                ";DefaultDir=" + Dir.path() + ";"));
    EXPECT_TRUE(Store->ADOConnection->Connected());
}

} // namespace

namespace {

// When the renumbering is refused, the deleted entry comes back: no gap is ever left behind.
TEST_F(DataModuleTest, RefusedRenumberingRollsTheDeleteBack)
{
    AppendWords({"e1", "e2", "e3"});
    ASSERT_EQ(Store->GetMaxID(), 3);
    RawExec(Path, "CREATE TRIGGER NoRenumber BEFORE UPDATE ON English "
                  "BEGIN SELECT RAISE(ABORT, 'renumbering refused'); END");
    Store->ADOTable->Refresh(); // seen, so the change of schema is not taken for another writer
    ASSERT_TRUE(Store->ADOTable->Locate("ID", 2, 0));
    EXPECT_THROW(Store->DeleteCurrentEntry(), EVexloDatabaseError);
    EXPECT_EQ(RawIds(Path), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Store->ADOTable->RecordCount(), 3);
    EXPECT_EQ(Store->FMaxID, 3);
    EXPECT_FALSE(Store->ADOConnection->InTransaction());
    EXPECT_EQ(CurrentWord(), "e2");
}

} // namespace

namespace {

// Case is ignored for all of Unicode, with full case folding (ß as ss); words that fold alike
// stay in the order of their numbers.
TEST_F(DataModuleTest, SearchAndOrderIgnoreCaseForAllOfUnicode)
{
    AppendWords({"Zebra", "éclair", "Über", "über", "straße", "Ångström", "apple", "ÉCOLE"});
    EXPECT_EQ(TableWords(), (std::vector<std::string>{"apple", "straße", "Zebra", "Ångström",
                                                      "éclair", "ÉCOLE", "Über", "über"}));
    const std::pair<const char*, const char*> Searches[] = {
        {"ÉCLAIR", "éclair"}, {"über", "Über"},    {"ÜBER", "Über"},     {"STRASSE", "straße"},
        {"Strass", "straße"}, {"ÉCO", "ÉCOLE"},    {"écz", "éclair"},    {"åNG", "Ångström"},
        {"ZEB", "Zebra"},     {"APPLES", "apple"}, {"STRAẞE", "straße"}};
    for (const auto& [Text, Expected] : Searches) {
        Store->ADOTable->First();
        Store->SearchWord(QByteArray(Text));
        EXPECT_EQ(CurrentWord(), Expected) << Text;
    }
    // An entry added or renamed goes to its place in the same order.
    Store->AppendEntry(MakeEntry("ÄPFEL"));
    Store->ADOTable->First();
    Store->SearchWord("äp");
    EXPECT_EQ(CurrentWord(), "ÄPFEL");
    EXPECT_EQ(Store->ADOTable->RecNo(), 4); // after Zebra, before Ångström
}

} // namespace
