// Data files made by other tools, the way their users make them: through the sqlite3 shell, with
// the schema anyone writes by hand or a CSV import produces. Each goes through every operation of
// the store, and after each step the file's IDs must be exactly 1..N and hold the right entries.

#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <numeric>
#include <set>

namespace {

const std::vector<std::string> Words = {"echo", "alpha", "delta", "bravo", "charlie", "foxtrot",
                                        "golf", "hotel", "india", "juliet", "kilo", "lima"};

QString Meaning(const std::string& Word)
{
    return QString::fromStdString("meaning of " + Word);
}

struct TForeignCase
{
    const char* Name;
    // The statements that make the table (empty: the program's own file, made first).
    const char* Create;
    // Literal of the ID and of the level of row I (1-based), in SQL.
    std::function<std::string(int I)> Id;
    std::function<std::string(int I)> Level;
    // The level the program must see for row I.
    std::function<int(int I)> ExpectedLevel;
    // Extra columns and their values for every row, e.g. ", rowid" and ", 1".
    const char* ExtraColumns = "";
    const char* ExtraValues = "";
    bool CsvImport = false;
    bool InvalidUtf8 = false;
};

void PrintTo(const TForeignCase& C, std::ostream* Out)
{
    *Out << C.Name;
}

std::string Plain(int I)
{
    return std::to_string(I);
}
std::string Quoted(int I)
{
    return "'" + std::to_string(I) + "'";
}
std::string LevelOf(int I)
{
    return std::to_string(I % 10);
}
int ExpectedLevelOf(int I)
{
    return I % 10;
}
// REAL and text levels: 3.2, 3.7 and '1' style values, read as 3, 3 and 1.
std::string MixedLevel(int I)
{
    switch (I % 4) {
    case 0:
        return std::to_string(I % 10) + ".2";
    case 1:
        return std::to_string(I % 10) + ".7";
    case 2:
        return "'" + std::to_string(I % 10) + "'";
    default:
        return std::to_string(I % 10) + ".0";
    }
}

void MakeFile(const TForeignCase& C, const QString& Path, const QString& Dir)
{
    QString Script;
    if (C.CsvImport) {
        // What `.import --csv` makes of a spreadsheet export: every column TEXT.
        QFile Csv(Dir + "/rows.csv");
        ASSERT_TRUE(Csv.open(QIODevice::WriteOnly));
        Csv.write("ID,ENAME,BULG,TRANS,LEVEL\n");
        for (int I = 1; I <= int(Words.size()); ++I)
            Csv.write(QString("%1,%2,%3,%2,%4\n")
                          .arg(I)
                          .arg(QString::fromStdString(Words[size_t(I - 1)]),
                               Meaning(Words[size_t(I - 1)]))
                          .arg(I % 10)
                          .toUtf8());
        Csv.close();
        ShellExec(Path, ".import --csv " + Csv.fileName() + " English\n");
        return;
    }
    if (*C.Create == '\0')
        TDataFileTool::CreateEmptyDataFile(Path);
    else
        Script += QString::fromUtf8(C.Create) + "\n";
    Script += "BEGIN;\n";
    for (int I = 1; I <= int(Words.size()); ++I) {
        const std::string& W = Words[size_t(I - 1)];
        std::string Bulg = "'" + Meaning(W).toStdString() + "'";
        std::string Trans = "'" + W + "'";
        if (C.InvalidUtf8 && W == "delta") {
            // A lone lead byte and a byte that never occurs in UTF-8.
            Bulg = "CAST(X'6D65616E696E67C3' AS TEXT)";
            Trans = "CAST(X'64FF6C7461' AS TEXT)";
        }
        Script += QString::fromStdString(
            "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL" + std::string(C.ExtraColumns) +
            ") VALUES (" + C.Id(I) + ", '" + W + "', " + Bulg + ", " + Trans + ", " + C.Level(I) +
            C.ExtraValues + ");\n");
    }
    Script += "COMMIT;\n";
    ShellExec(Path, Script);
}

class ForeignFileTest : public ::testing::TestWithParam<TForeignCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Path = Dir.filePath("foreign.db");
        MakeFile(GetParam(), Path, Dir.path());
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        ASSERT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
        ASSERT_TRUE(Store.ADOTable->Active());
        for (const std::string& W : Words)
            Expected.insert(W);
    }

    // The file holds exactly the expected words, numbered 1..N, and the table agrees.
    void CheckNumbering(const char* Step)
    {
        SCOPED_TRACE(Step);
        const std::vector<TRawEntry> Rows = RawEntries(Path);
        std::multiset<std::string> InFile;
        for (size_t I = 0; I < Rows.size(); ++I) {
            EXPECT_EQ(Rows[I].ID, static_cast<long long>(I + 1)) << "word " << Rows[I].Word;
            InFile.insert(Rows[I].Word);
        }
        EXPECT_EQ(InFile, std::multiset<std::string>(Expected.begin(), Expected.end()));
        TVexloTable* T = Store.ADOTable;
        ASSERT_EQ(T->RecordCount(), int(Rows.size()));
        std::vector<int> TableIds;
        for (int I = 0; I < T->RecordCount(); ++I) {
            TableIds.push_back(T->IdAt(I));
            // The table's ID leads to the same word in the file.
            EXPECT_EQ(T->ENameAt(I).toStdString(), Rows[size_t(T->IdAt(I) - 1)].Word);
        }
        std::sort(TableIds.begin(), TableIds.end());
        std::vector<int> OneToN(TableIds.size());
        std::iota(OneToN.begin(), OneToN.end(), 1);
        EXPECT_EQ(TableIds, OneToN);
    }

    // Every entry shows its own texts (rows are addressed right after renumbering).
    void CheckDetails(const char* Step)
    {
        SCOPED_TRACE(Step);
        for (int I = 0; I < Store.ADOTable->RecordCount(); ++I) {
            const TEnglishRow Row = Store.ADOTable->RowAt(I);
            const std::string W = Row.ENAME.toStdString();
            if (W == "delta" && GetParam().InvalidUtf8)
                continue;
            EXPECT_EQ(Row.BULG, Bulgarian.count(W) ? Bulgarian[W] : Meaning(W)) << W;
        }
    }

    bool Select(const char* Word)
    {
        return Store.ADOTable->Locate("ENAME", QString::fromUtf8(Word), 0);
    }

    QTemporaryDir Dir;
    QString Path;
    TScreenSaverDataModule Store;
    std::multiset<std::string> Expected;
    std::map<std::string, QString> Bulgarian; // texts changed by the test
};

TEST_P(ForeignFileTest, EveryOperationKeepsTheNumbersAndActsOnTheRightEntry)
{
    const TForeignCase& C = GetParam();
    CheckNumbering("open");
    CheckDetails("open");

    // Counting by level sees what the table shows.
    std::array<int32_t, 10> Counts{};
    EXPECT_TRUE(Store.CountByLevel(Counts.data(), 9));
    std::array<int32_t, 10> Want{};
    for (int I = 1; I <= int(Words.size()); ++I)
        ++Want[size_t(C.ExpectedLevel(I))];
    EXPECT_EQ(Counts, Want);
    for (int I = 0; I < Store.ADOTable->RecordCount(); ++I)
        EXPECT_EQ(Store.ADOTable->LevelAt(I), C.ExpectedLevel(Store.ADOTable->IdAt(I)));

    // Search, greatest number, last filled word.
    Store.SearchWord("DEL");
    EXPECT_EQ(Store.ADOTableENAME->AsString(), "delta");
    Store.SearchWord("  Ki");
    EXPECT_EQ(Store.ADOTableENAME->AsString(), "kilo");
    EXPECT_EQ(Store.GetMaxID(), 12);
    EXPECT_EQ(Store.GetLastFilledWord(), QByteArray("lima"));

    // Every random draw finds an entry.
    std::set<QString> Drawn;
    for (int I = 0; I < 300; ++I) {
        TEnBgRecord Rec;
        Store.ReadRandomEntry(Rec);
        ASSERT_FALSE(Rec.EnglishWord.isEmpty()) << "draw " << I << " missed";
        const auto Row = std::find(Words.begin(), Words.end(), Rec.EnglishWord.toStdString());
        EXPECT_EQ(Rec.WordLevel, C.ExpectedLevel(int(Row - Words.begin()) + 1));
        Drawn.insert(Rec.EnglishWord);
    }
    EXPECT_EQ(Drawn.size(), Words.size());
    for (int I = 0; I < 50; ++I) {
        Store.ADOTable->SetRecNo(1);
        Store.GotoRandomEntry(Store.ADOTable);
        EXPECT_GE(Store.ADOTable->RecNo(), 1);
    }

    // Edit only the level of delta: its texts keep their bytes, even when they are not UTF-8.
    const std::string Hex = "SELECT hex(BULG) || '/' || hex(TRANS) || '/' || hex(ENAME) FROM "
                            "English WHERE ENAME = 'delta'";
    const std::string DeltaBytes = RawText(Path, Hex);
    ASSERT_TRUE(Select("delta"));
    TEnBgRecord Rec;
    Store.ReadCurrentEntry(Rec);
    Rec.WordLevel = 7;
    Store.UpdateCurrentEntry(Rec);
    EXPECT_EQ(RawText(Path, Hex), DeltaBytes);
    EXPECT_EQ(RawText(Path, "SELECT CAST(LEVEL AS INTEGER) FROM English WHERE ENAME = 'delta'"),
              "7");
    CheckNumbering("edit level");

    // Edit word and meaning of golf.
    ASSERT_TRUE(Select("golf"));
    Store.UpdateCurrentEntry(MakeEntry("golfer", 3, "играч на голф"));
    Expected.erase(Expected.find("golf"));
    Expected.insert("golfer");
    Bulgarian["golfer"] = QString::fromUtf8("играч на голф");
    EXPECT_EQ(Store.ADOTableENAME->AsString(), "golfer");
    CheckNumbering("edit word");

    // Delete alpha, then delta must still show its own texts, and deleting bravo deletes bravo.
    ASSERT_TRUE(Select("alpha"));
    Store.DeleteCurrentEntry();
    Expected.erase(Expected.find("alpha"));
    CheckNumbering("delete alpha");
    CheckDetails("delete alpha");
    ASSERT_TRUE(Select("delta"));
    Store.ReadCurrentEntry(Rec);
    if (!C.InvalidUtf8) {
        EXPECT_EQ(Rec.BulgarianText, Meaning("delta"));
    }
    EXPECT_EQ(Rec.WordLevel, 7);
    ASSERT_TRUE(Select("bravo"));
    Store.DeleteCurrentEntry();
    Expected.erase(Expected.find("bravo"));
    CheckNumbering("delete bravo");
    CheckDetails("delete bravo");
    // The entry that took bravo's number is current.
    EXPECT_EQ(Store.ADOTableENAME->AsString(), "charlie");

    // Append: the greatest number plus one, also after the deletes.
    Store.AppendEntry(MakeEntry("mike", 2));
    Expected.insert("mike");
    Bulgarian["mike"] = MakeEntry("mike").BulgarianText;
    EXPECT_EQ(Store.ADOTableID->AsInteger(), 11);
    EXPECT_EQ(Store.GetLastFilledWord(), QByteArray("mike"));
    CheckNumbering("append");
    CheckDetails("append");

    // Deleting the last number, and the first.
    ASSERT_TRUE(Store.ADOTable->Locate("ID", 11, 0));
    Store.DeleteCurrentEntry();
    Expected.erase(Expected.find("mike"));
    CheckNumbering("delete last");
    ASSERT_TRUE(Store.ADOTable->Locate("ID", 1, 0));
    Store.DeleteCurrentEntry();
    Expected.erase(Expected.find("echo"));
    CheckNumbering("delete first");
    CheckDetails("delete first");

    Store.DeleteAllEntries();
    Expected.clear();
    CheckNumbering("delete all");
    Store.AppendEntry(MakeEntry("november"));
    Expected.insert("november");
    EXPECT_EQ(Store.ADOTableID->AsInteger(), 1);
    CheckNumbering("append after delete all");
    EXPECT_EQ(RawText(Path, "PRAGMA integrity_check"), "ok");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignFileTest,
    ::testing::Values(
        TForeignCase{"OwnFormat", "", Plain, LevelOf, ExpectedLevelOf},
        TForeignCase{"RowIdAlias",
                     "CREATE TABLE English (ID INTEGER PRIMARY KEY, ENAME TEXT, BULG TEXT, "
                     "TRANS TEXT, LEVEL INTEGER);",
                     Plain, LevelOf, ExpectedLevelOf},
        TForeignCase{"CsvImportTextColumns", "", Plain, LevelOf, ExpectedLevelOf, "", "", true},
        TForeignCase{"UntypedColumnsTextValues", "CREATE TABLE English (ID, ENAME, BULG, TRANS, LEVEL);",
                     Quoted, [](int I) { return Quoted(I % 10); }, ExpectedLevelOf},
        TForeignCase{"RealAndTextLevels",
                     "CREATE TABLE English (ID INTEGER, ENAME VARCHAR(30), BULG, TRANS, LEVEL);",
                     Plain, MixedLevel, ExpectedLevelOf},
        TForeignCase{"UniqueIndexOnId",
                     "CREATE TABLE English (ID INTEGER NOT NULL, ENAME TEXT, BULG TEXT, TRANS "
                     "TEXT, LEVEL INTEGER); CREATE UNIQUE INDEX EnglishID ON English (ID);",
                     Plain, LevelOf, ExpectedLevelOf},
        TForeignCase{"InvalidUtf8", "", Plain, LevelOf, ExpectedLevelOf, "", "", false, true},
        TForeignCase{"UserColumnNamedRowid",
                     "CREATE TABLE English (rowid INTEGER, ID INTEGER, ENAME TEXT, BULG TEXT, "
                     "TRANS TEXT, LEVEL INTEGER);",
                     Plain, LevelOf, ExpectedLevelOf, ", rowid", ", 1"},
        TForeignCase{"EveryRowIdNameShadowed",
                     "CREATE TABLE English (rowid, _rowid_, oid, ID, ENAME, BULG, TRANS, LEVEL);",
                     Quoted, LevelOf, ExpectedLevelOf, ", rowid, _rowid_, oid", ", 1, 1, 1"},
        TForeignCase{"WithoutRowId",
                     "CREATE TABLE English (ID INTEGER PRIMARY KEY, ENAME TEXT, BULG TEXT, "
                     "TRANS TEXT, LEVEL INTEGER) WITHOUT ROWID;",
                     Plain, LevelOf, ExpectedLevelOf},
        TForeignCase{"WithoutRowIdTextKey",
                     "CREATE TABLE English (ID TEXT PRIMARY KEY, ENAME, BULG, TRANS, LEVEL) "
                     "WITHOUT ROWID;",
                     Quoted, MixedLevel, ExpectedLevelOf}),
    [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
