// The meaning index over a real data file: which rows a Bulgarian text finds, in the table's
// order, and an index brought up to date after another program changed the file.

#include "tests/store/StoreTestSupport.h"
#include "tests/support/WaitUntil.h"

#include "search/TMeaningIndexer.h"
#include "search/TMeaningSearch.h"
#include "search/TMeaningText.h"

#include <QFile>

#include <QSignalSpy>

#include <algorithm>
#include <stdexcept>

namespace {

class MeaningSearchTest : public StoreFixture
{
protected:
    void Add(const char* Word, const char* Bulgarian)
    {
        Store->AppendEntry(MakeEntry(QString::fromUtf8(Word), 0, QString::fromUtf8(Bulgarian)));
    }
    std::shared_ptr<const TMeaningIndex> ReadIndex()
    {
        return TMeaningIndexer::Read(Path, Store->ADOTable->TableName,
                                     Store->ADOTable->IdExpression());
    }
    // The English words of the rows found, in table order.
    std::vector<std::string> Found(const char* Typed)
    {
        Search.Find(QString::fromUtf8(Typed));
        std::vector<std::string> Words;
        const int First = Search.Next(-1);
        for (int Row = First; Row >= 0 && Words.size() <= 1000;) {
            Words.push_back(Store->ADOTable->ENameAt(Row).toStdString());
            Row = Search.Next(Row);
            if (Row == First)
                break;
        }
        EXPECT_EQ(static_cast<int>(Words.size()), Search.Count()) << Typed;
        return Words;
    }
    void Fill()
    {
        // Added out of alphabetical order: the search steps in the table's order.
        Add("house", "къща, дом");
        Add("cottage", "малка къща\r\nвила");
        Add("hell", "пъкъл");
        Add("home", "до\u0301м\r\nРОДНО МЯСТО");
        Add("tree", "ёлха; ДЪРВО");
        Add("edge", "край");
    }
    TMeaningSearch Search;
};

using TWords = std::vector<std::string>;

TEST_F(MeaningSearchTest, FindsLinesAndWordsByTheirBeginnings)
{
    Fill();
    Search.SetTable(Store->ADOTable);
    Search.SetIndex(ReadIndex());
    ASSERT_TRUE(Search.Ready());
    EXPECT_EQ(Found("къ"), (TWords{"cottage", "house"}));     // a line's and a word's beginning
    EXPECT_EQ(Found("къщ"), (TWords{"cottage", "house"}));
    EXPECT_EQ(Found("вила"), (TWords{"cottage"}));            // the second line
    EXPECT_EQ(Found("дом"), (TWords{"home", "house"}));       // stress mark, after a comma
    EXPECT_EQ(Found("Родно м"), (TWords{"home"}));            // two words, capitals
    EXPECT_EQ(Found("родно място"), (TWords{"home"}));
    EXPECT_EQ(Found("елха"), (TWords{"tree"}));               // ё as е
    EXPECT_EQ(Found("дърво"), (TWords{"tree"}));              // after a semicolon
    EXPECT_EQ(Found("кра"), (TWords{"edge"}));
    EXPECT_EQ(Found("краи"), TWords{});                       // й is no и
    EXPECT_EQ(Found("ъкъл"), TWords{});                       // not inside a word
    EXPECT_EQ(Found("вила малка"), TWords{});                 // never across lines
    EXPECT_EQ(Found("малка къща вила"), TWords{});
    EXPECT_EQ(Found("  "), TWords{});
}

TEST_F(MeaningSearchTest, LongTextsAreCheckedBeyondTheSortedPart)
{
    Add("a", "непременно нещо");
    Add("b", "непременни неща");
    Add("c", "непременно");
    Search.SetTable(Store->ADOTable);
    Search.SetIndex(ReadIndex());
    EXPECT_EQ(Found("непременно"), (TWords{"a", "c"}));
    EXPECT_EQ(Found("непременно нещ"), (TWords{"a"}));
    EXPECT_EQ(Found("непременни"), (TWords{"b"}));
    EXPECT_EQ(Found("непременно нещото"), TWords{});
}

TEST_F(MeaningSearchTest, StepsBothWaysAndRoundTheEnds)
{
    Fill();
    Search.SetTable(Store->ADOTable);
    Search.SetIndex(ReadIndex());
    ASSERT_EQ(Search.Find(QStringLiteral("д")), 3); // дом, дом, дърво: house, home, tree
    const int Home = Store->ADOTable->IndexOfId(4);
    const int House = Store->ADOTable->IndexOfId(1);
    const int Tree = Store->ADOTable->IndexOfId(5);
    EXPECT_EQ(Search.Next(-1), Home);
    EXPECT_EQ(Search.Next(Home), House);
    EXPECT_EQ(Search.Next(Tree), Home);
    EXPECT_EQ(Search.Prior(Home), Tree);
    EXPECT_EQ(Search.Prior(Tree), House);
    EXPECT_EQ(Search.Ordinal(House), 2);
    EXPECT_EQ(Search.Ordinal(Store->ADOTable->IndexOfId(3)), 0);
}

TEST_F(MeaningSearchTest, ManyRowsInOneWordOfBits)
{
    // More rows than one word of bits holds, and the matches on both sides of a word's edge.
    for (int I = 0; I < 200; ++I) {
        const std::string Word = "w" + std::to_string(1000 + I);
        Add(Word.c_str(), I % 63 == 0 ? "рядка дума" : "обикновена дума");
    }
    Search.SetTable(Store->ADOTable);
    Search.SetIndex(ReadIndex());
    EXPECT_EQ(Search.Find(QStringLiteral("рядка")), 4); // rows 0, 63, 126, 189
    EXPECT_EQ(Search.Next(-1), 0);
    EXPECT_EQ(Search.Next(0), 63);
    EXPECT_EQ(Search.Next(126), 189);
    EXPECT_EQ(Search.Next(189), 0);
    EXPECT_EQ(Search.Prior(63), 0);
    EXPECT_EQ(Search.Prior(0), 189);
    EXPECT_EQ(Search.Prior(127), 126);
    EXPECT_EQ(Search.Ordinal(189), 4);
    EXPECT_EQ(Search.Find(QStringLiteral("дума")), 200);
}

// A text of several words is found word by word on one line: a later place in the entry, words
// said twice, punctuation between them; entries whose IDs are neither in order nor 1..N.
TEST_F(MeaningSearchTest, SeveralWordsAreFoundInOrderOnOneLine)
{
    RawExec(Path, "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES "
                  "(40, 'a', 'да да не', '', 0), (7, 'b', 'не да\r\nда ли', '', 0), "
                  "(25, 'c', 'много рядка дума, рядка птица', '', 0), (3, 'd', 'рядкост', '', 0), "
                  "(90, 'e', '', '', 0), (91, 'f', ' — ', '', 0), (92, 'g', NULL, '', 0)");
    bool Reloaded = false;
    Store->CheckDataFile(&Reloaded);
    ASSERT_TRUE(Reloaded);
    Search.SetTable(Store->ADOTable);
    Search.SetIndex(ReadIndex());
    const std::pair<const char*, TWords> Cases[] = {
        {"да", {"a", "b"}},         {"да не", {"a"}},       {"да д", {"a"}},
        {"не да", {"b"}},           {"да ли", {"b"}},       {"не да да", {}},
        {"рядк", {"c", "d"}},       {"рядка п", {"c"}},     {"дума рядка", {"c"}},
        {"много рядка д", {"c"}},   {"рядкост п", {}},      {"много дума", {}},
        {"рядка птица лъв", {}},    {"ли", {"b"}},          {"непозната дума", {}},
    };
    for (const auto& [Typed, Words] : Cases)
        EXPECT_EQ(Found(Typed), Words) << Typed;
}

// Another program (the sqlite3 shell) changes the meanings while the index exists: the store's
// check for changes reads the table again, and a rebuilt index finds what the file now says.
TEST_F(MeaningSearchTest, AnotherProgramsChangeIsFoundAfterTheRebuild)
{
    Fill();
    TMeaningIndexer Indexer;
    QSignalSpy Built(&Indexer, &TMeaningIndexer::Built);
    Search.SetTable(Store->ADOTable);
    auto Rebuild = [&] {
        Built.clear();
        Indexer.Rebuild(Store->ADOConnection->FileName(), Store->ADOTable->TableName,
                        Store->ADOTable->IdExpression());
        ASSERT_TRUE(WaitUntil([&] { return !Built.isEmpty(); }));
        Search.SetIndex(Built.takeFirst().at(0).value<std::shared_ptr<const TMeaningIndex>>());
    };
    Rebuild();
    EXPECT_EQ(Found("вила"), (TWords{"cottage"}));

    ShellExec(Path, "UPDATE English SET BULG = 'хижа' WHERE ENAME = 'cottage';"
                    "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                    "VALUES (7, 'villa', 'вила\r\nлятна къща', '', 0);");
    bool Reloaded = false;
    Store->CheckDataFile(&Reloaded);
    ASSERT_TRUE(Reloaded);
    Search.SetTable(Store->ADOTable);
    Rebuild();
    EXPECT_EQ(Found("вила"), (TWords{"villa"}));
    EXPECT_EQ(Found("хиж"), (TWords{"cottage"}));
    EXPECT_EQ(Found("лятна"), (TWords{"villa"}));
}

// A file of its own with Rows rows whose meanings are "дума" and a word spelled from the row's
// number in four digits (one letter a digit: no such word begins another), made by raw SQL.
QString NumberedMeanings(const QTemporaryDir& Dir, int Rows)
{
    const QString File = Dir.filePath("numbered.db");
    {
        QFile Empty(File); // made here: the raw connection opens an existing file only
        EXPECT_TRUE(Empty.open(QIODevice::WriteOnly));
    }
    RawExec(
        File,
        "CREATE TABLE English (ID INTEGER PRIMARY KEY, BULG TEXT);"
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
            std::to_string(Rows) +
            ") INSERT INTO English SELECT I, 'дума ' || replace(replace(replace("
            "replace(replace(replace(replace(replace(replace(replace(printf('%04d', I), '0', 'а'), "
            "'1', 'б'), '2', 'в'), '3', 'г'), '4', 'д'), '5', 'е'), '6', 'ж'), '7', "
            "'з'), '8', 'и'), '9', 'к') || ' ' || hex(randomblob(100)) FROM N;");
    return File;
}

std::string Spelled(int Number)
{
    const char* const Letters[] = {"а", "б", "в", "г", "д", "е", "ж", "з", "и", "к"};
    std::string Word;
    for (const char Digit : QByteArray::number(Number).rightJustified(4, '0'))
        Word += Letters[Digit - '0'];
    return Word;
}

// The rows come from the engine in batches on another thread: every row is indexed once, those at
// the batches' edges too, in the table's order.
TEST_F(MeaningSearchTest, EveryRowIsIndexedOnceWhateverTheBatch)
{
    const int Rows = 5000;
    const auto Index = TMeaningIndexer::Read(NumberedMeanings(Dir, Rows), "English", "ID");
    EXPECT_EQ(Index->EntryCount(), Rows);
    std::vector<int> All;
    Index->ForEachMatch(TMeaningText::FoldQuery(u"дума"), [&](int Entry) { All.push_back(Entry); });
    std::sort(All.begin(), All.end());
    All.erase(std::unique(All.begin(), All.end()), All.end());
    EXPECT_EQ(All.size(), static_cast<size_t>(Rows));
    for (const int ID : {1, 2047, 2048, 2049, 4096, 4097, 5000}) {
        std::vector<int> Found;
        Index->ForEachMatch(TMeaningText::FoldQuery(QString::fromStdString("дума " + Spelled(ID))),
                            [&](int Entry) { Found.push_back(Entry); });
        EXPECT_EQ(Found, std::vector<int>{Index->EntryOfId(ID)}) << ID;
    }
}

// A file damaged in the middle of the table: the read ends with the engine's message, no index.
TEST_F(MeaningSearchTest, ADamagedTableEndsTheReadWithItsMessage)
{
    const QString File = NumberedMeanings(Dir, 20000);
    {
        QFile Damaged(File);
        ASSERT_TRUE(Damaged.open(QIODevice::ReadWrite));
        const qint64 Pages = Damaged.size() / 4096;
        ASSERT_GT(Pages, 100);
        // The first byte of each page in the middle third says what kind of page it is.
        for (qint64 Page = Pages / 3; Page < 2 * Pages / 3; ++Page) {
            Damaged.seek(Page * 4096);
            Damaged.write("\x07", 1);
        }
    }
    try {
        TMeaningIndexer::Read(File, "English", "ID");
        ADD_FAILURE() << "read without an error";
    } catch (const std::runtime_error& Error) {
        EXPECT_TRUE(std::string(Error.what()).find("malformed") != std::string::npos)
            << Error.what();
    }
}

TEST_F(MeaningSearchTest, AFileThatCannotBeReadIsReported)
{
    TMeaningIndexer Indexer;
    QSignalSpy Failed(&Indexer, &TMeaningIndexer::Failed);
    Indexer.Rebuild(Dir.filePath("missing.db"), "English", "ID");
    ASSERT_TRUE(WaitUntil([&] { return !Failed.isEmpty(); }));
    EXPECT_FALSE(Failed.takeFirst().at(0).toString().isEmpty());
    EXPECT_FALSE(Indexer.Building());
}

} // namespace
