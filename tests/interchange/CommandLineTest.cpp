#include "tests/interchange/InterchangeTestSupport.h"

#include <QDir>
#include <QFile>

namespace {

// The program itself, on a data file named in a hand-written settings file.
class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Data = MakeDictionary(Dir, "english.mdb", {{"sky", "небе", "skaɪ", 9}});
        QFile Hive(Dir.filePath("registry.reg"));
        ASSERT_TRUE(Hive.open(QIODevice::WriteOnly));
        Hive.write("Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\ScreenSaver]\r\n\"DataFile\"=\"" +
                   Data.toUtf8() + "\"\r\n");
    }

    int Run(const QStringList& Arguments)
    {
        return RunProgram(VEXLO_PROGRAM, Arguments, Out, Err,
                          {"VEXLO_REGISTRY=" + Dir.filePath("registry.reg"),
                           "QT_QPA_PLATFORM=offscreen"});
    }

    QTemporaryDir Dir;
    QString Data;
    QString Out;
    QString Err;
};

TEST_F(CommandLine, ImportsAndExportsTheConfiguredDataFile)
{
    EXPECT_EQ(Run({"--import", Fixture("bad-rows.tsv")}), 0) << Err.toStdString();
    EXPECT_TRUE(Out.startsWith("Added 2 entries, skipped 4, duplicates 2 (")) << Out.toStdString();
    EXPECT_EQ(Out.count('\n'), 1);
    EXPECT_TRUE(Err.contains("bad-rows.tsv: line 4: the level is not a number from 0 to 9"))
        << Err.toStdString();
    EXPECT_EQ(StoredRows(Data).size(), 3u);

    const QString File = Dir.filePath("out.kvtml");
    EXPECT_EQ(Run({"--export", File}), 0) << Err.toStdString();
    EXPECT_EQ(Out, "Exported 3 entries from " + Data + " to " + File + ".\n");
    EXPECT_TRUE(QFile::exists(File));
}

TEST_F(CommandLine, AccessTableMappedOnTheCommandLine)
{
    EXPECT_EQ(Run({"--import", AccessSample("nwind.mdb"), "--columns",
                   "Table=Shippers, English=CompanyName, Bulgarian=Phone, Level=ShipperID"}),
              0)
        << Err.toStdString();
    EXPECT_TRUE(Out.startsWith("Added 3 entries, skipped 0, duplicates 0 (")) << Out.toStdString();
    const auto Rows = StoredRows(Data);
    ASSERT_EQ(Rows.size(), 4u);
    EXPECT_EQ(Rows[3], (TStoredRow{4, "Federal Shipping", "(503) 555-9931", "", 3}));
}

TEST_F(CommandLine, FailuresExitNonZeroAndChangeNothing)
{
    struct
    {
        QStringList Arguments;
        int Code;
        const char* Message;
    } Cases[] = {
        {{"--import"}, 2, "Usage"},
        {{"--import", Fixture("cp1251.tsv")}, 1, "is not UTF-8"},
        {{"--import", Fixture("truncated.kvtml")}, 1, "Premature end of document"},
        {{"--import", AccessSample("nwind.mdb")}, 1, "no vocabulary table English"},
        {{"--import", AccessSample("nwind.mdb"), "--columns", "Table=Shippers"}, 1, "English="},
        {{"--import", AccessSample("nwind.mdb"), "--columns", "Table=Shippers,English=Nope"},
         1,
         "no column Nope"},
        {{"--import", AccessSample("nwind.mdb"), "--columns", "Table=Shippers,Word=Phone"},
         1,
         "--columns knows"},
        {{"--import", Dir.filePath("missing.csv")}, 1, "does not exist"},
        {{"--export", Dir.filePath("words.mdb")}, 1, "only read"},
        {{"--export", Dir.filePath("no/folder/words.tsv")}, 1, "cannot be written"},
    };
    const auto Before = StoredRows(Data);
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Arguments.join(' ').toStdString());
        EXPECT_EQ(Run(Case.Arguments), Case.Code);
        EXPECT_TRUE(Err.contains(Case.Message)) << Err.toStdString();
        EXPECT_TRUE(Out.isEmpty()) << Out.toStdString();
    }
    EXPECT_EQ(StoredRows(Data), Before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"english.mdb", "registry.reg"}));
}

} // namespace
