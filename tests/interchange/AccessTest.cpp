#include "tests/interchange/InterchangeTestSupport.h"

#include "interchange/TAccessFile.h"
#include "interchange/TDelimitedText.h"
#include "store/EVexloDatabaseError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace {

QByteArray Digest(const QString& Path)
{
    QFile File(Path);
    EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Path.toStdString();
    return QCryptographicHash::hash(File.readAll(), QCryptographicHash::Sha256);
}

struct TTableCase
{
    const char* File;
    const char* Table;
};

class AccessReader : public ::testing::TestWithParam<TTableCase>
{};

// Every readable column of every row reads as mdb-export prints it (text, memo, numbers, dates,
// money; compressed Unicode text in the .accdb file).
TEST_P(AccessReader, ReadsWhatMdbExportPrints)
{
    const QString Path = AccessSample(GetParam().File);
    const QString Table = GetParam().Table;
    ASSERT_TRUE(QFile::exists(Path)) << "sample databases missing: " << Path.toStdString();
    QString Out, Err;
    ASSERT_EQ(RunProgram("mdb-export", {"-b", "strip", Path, Table}, Out, Err), 0)
        << Err.toStdString();
    const auto Printed = TDelimitedText::SplitRecords(Out, u',');
    ASSERT_GE(Printed.size(), 2u);

    const TAccessFile File(Path);
    EXPECT_TRUE(File.TableNames().contains(Table));
    const auto Columns = File.Columns(Table);
    ASSERT_EQ(static_cast<qsizetype>(Columns.size()), Printed[0].Fields.size());
    for (size_t C = 0; C < Columns.size(); ++C)
        EXPECT_EQ(Columns[C].Name, Printed[0].Fields[C]);
    size_t Row = 1;
    File.ReadRows(Table, [&](int Number, const QStringList& Values) {
        EXPECT_EQ(Number, static_cast<int>(Row));
        if (Row >= Printed.size()) {
            ADD_FAILURE() << "more rows than mdb-export printed";
            return false;
        }
        for (size_t C = 0; C < Columns.size(); ++C) {
            if (Columns[C].Readable) {
                EXPECT_EQ(Values[C], Printed[Row].Fields[C])
                    << "row " << Row << ", column " << Columns[C].Name.toStdString();
            }
        }
        ++Row;
        return true;
    });
    EXPECT_EQ(Row, Printed.size());
}

INSTANTIATE_TEST_SUITE_P(Interchange, AccessReader,
                         ::testing::Values(TTableCase{"nwind.mdb", "Shippers"},
                                           TTableCase{"nwind.mdb", "Products"},
                                           TTableCase{"nwind.mdb", "Employees"},
                                           TTableCase{"nwind.mdb", "Categories"},
                                           TTableCase{"ASampleDatabase.accdb", "Asset Items"}));

TEST(AccessFile, TablesOfBothSamples)
{
    EXPECT_EQ(TAccessFile(AccessSample("nwind.mdb")).TableNames(),
              QStringList({"Order Details", "Orders", "Products", "Shippers", "Categories",
                           "Customers", "Employees", "Suppliers"}));
    EXPECT_EQ(TAccessFile(AccessSample("ASampleDatabase.accdb")).TableNames(),
              QStringList({"Asset Items"}));
}

TEST(AccessFile, RefusesWhatIsNotAnAccessDatabase)
{
    QTemporaryDir Dir;
    const QString Text = Fixture("no-header.csv");
    for (const QString& Path : {Text, Dir.filePath("missing.mdb"), Dir.path()})
        EXPECT_THROW(TAccessFile{Path}, EVexloDatabaseError) << Path.toStdString();
    const TAccessFile File(AccessSample("nwind.mdb"));
    EXPECT_THROW(File.Columns("English"), EVexloDatabaseError);
    TAccessColumns::TColumnMap Map{"Products", "NoSuchColumn", {}, {}, {}};
    EXPECT_THROW(TAccessColumns::ReadAccess(File, Map), EVexloDatabaseError);
    Map.English = "ProductName";
    Map.Bulgarian = "Picture"; // an OLE object of another table: not in Products
    EXPECT_THROW(TAccessColumns::ReadAccess(File, Map), EVexloDatabaseError);
}

class AccessConversion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Copy = Dir.filePath("nwind.mdb");
        ASSERT_TRUE(QFile::copy(AccessSample("nwind.mdb"), Copy));
        Before = Digest(Copy);
    }
    void TearDown() override { EXPECT_EQ(Digest(Copy), Before) << "the Access file was written"; }

    QTemporaryDir Dir;
    QString Copy;
    QByteArray Before;
};

TEST_F(AccessConversion, MappedTableBecomesANewDictionaryBesideIt)
{
    // Products: names, a short text as the meaning, the category (1..8) as the level.
    const TAccessColumns::TColumnMap Map{
        "Products", "ProductName", {}, "QuantityPerUnit", "CategoryID"};
    TInterchange::TImportSummary Summary;
    const QString Made = TInterchange::ConvertAccessFile(Copy, {}, &Map, &Summary);
    EXPECT_EQ(Made, Dir.filePath("nwind.sqlite"));
    EXPECT_EQ(Summary.LineWord, "row");
    EXPECT_EQ(Summary.Read, 77);
    // Three product names are longer than the English word may be.
    std::vector<int> Long;
    for (const auto& Row : Summary.Skipped) {
        EXPECT_EQ(Row.Reason, "the English word is longer than 30 characters");
        Long.push_back(Row.Line);
    }
    EXPECT_EQ(Summary.Added + static_cast<int>(Summary.Skipped.size()), 77);
    const auto Rows = StoredRows(Made);
    ASSERT_EQ(static_cast<int>(Rows.size()), Summary.Added);
    for (size_t I = 0; I < Rows.size(); ++I)
        ASSERT_EQ(Rows[I].ID, static_cast<int>(I) + 1);
    EXPECT_EQ(Rows[0], (TStoredRow{1, "Chai", "10 boxes x 20 bags", "", 1}));
    // A second conversion never replaces the first.
    EXPECT_EQ(TInterchange::ConvertAccessFile(Copy, {}, &Map), Dir.filePath("nwind (2).sqlite"));
    EXPECT_THROW(TInterchange::ConvertAccessFile(Copy, Made, &Map), EVexloDatabaseError);
    EXPECT_EQ(StoredRows(Made), Rows);
}

TEST_F(AccessConversion, FileWithoutVocabularyTableMakesNothing)
{
    try {
        TInterchange::ConvertAccessFile(Copy);
        ADD_FAILURE() << "converted";
    } catch (const EVexloDatabaseError& Error) {
        EXPECT_TRUE(Error.Message().contains("no vocabulary table English")) << Error.what();
    }
    // A mapped column that cannot be stored at all still leaves no file behind.
    const TAccessColumns::TColumnMap Bad{"Products", "ProductName", {}, "NoSuchColumn", {}};
    EXPECT_THROW(TInterchange::ConvertAccessFile(Copy, {}, &Bad), EVexloDatabaseError);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"nwind.mdb"});
}

} // namespace
