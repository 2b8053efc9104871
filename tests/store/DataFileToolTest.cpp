#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"
#include "store/TVexloWideStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <numeric>
#include <set>
#include <sstream>

namespace {

TEST(DataFileToolTest, SampleVocabularyIsWellFormed)
{
    const QList<TEnBgRecord> Entries = TDataFileTool::SampleVocabulary();
    EXPECT_GE(Entries.size(), 140);
    std::set<int> Levels;
    std::set<QString> Words;
    for (const TEnBgRecord& E : Entries) {
        Levels.insert(E.WordLevel);
        EXPECT_TRUE(Words.insert(E.EnglishWord.toLower()).second) << E.EnglishWord.toStdString();
        EXPECT_FALSE(E.Transcription.isEmpty()) << E.EnglishWord.toStdString();
        TVexloWideStrings Lines;
        Lines.SetText(E.BulgarianText);
        EXPECT_GE(Lines.Count(), 1);
        EXPECT_LE(Lines.Count(), 3);
        for (int I = 0; I < Lines.Count(); ++I) {
            // Bulgarian is written in Cyrillic letters.
            bool HasCyrillic = false;
            for (QChar C : Lines.Get(I))
                HasCyrillic |= C.unicode() >= 0x0400 && C.unicode() <= 0x04FF;
            EXPECT_TRUE(HasCyrillic) << E.EnglishWord.toStdString();
        }
    }
    EXPECT_EQ(Levels.size(), 10u);
}

TEST(DataFileToolTest, ParserReportsTheBadLine)
{
    EXPECT_EQ(TDataFileTool::ParseVocabulary("# c\n\nhi | haɪ | 1 | здравей | привет\n").size(), 1);
    EXPECT_EQ(TDataFileTool::ParseVocabulary("hi | haɪ | 1 | здравей | привет")[0].BulgarianText,
              QString::fromUtf8("здравей\r\nпривет"));
    for (const char* Bad : {"hi | haɪ | 1", "hi | haɪ | ten | здравей", "hi | haɪ | 10 | здравей",
                            " | haɪ | 1 | здравей", "hi | haɪ | 1 | a | b | c | d"}) {
        try {
            TDataFileTool::ParseVocabulary(QString("# x\n") + QString::fromUtf8(Bad));
            ADD_FAILURE() << Bad;
        } catch (const EVexloDatabaseError& E) {
            EXPECT_TRUE(E.Message().contains("line 2")) << E.what();
        }
    }
}

TEST(DataFileToolTest, CreatesSampleAndEmptyFilesThatOpen)
{
    QTemporaryDir Dir;
    const QString Sample = Dir.filePath("sample.db"), Empty = Dir.filePath("empty.db");
    std::ostringstream Out, Err;
    EXPECT_EQ(TDataFileTool::Run({"--create-sample", Sample}, Out, Err), 0);
    EXPECT_EQ(TDataFileTool::Run({"--create-empty", Empty}, Out, Err), 0);
    EXPECT_TRUE(Err.str().empty());
    TScreenSaverDataModule Store;
    QStringList Messages;
    Store.OpenDataFile(Sample, Messages);
    ASSERT_TRUE(Store.ADOTable->Active());
    const int Count = static_cast<int>(TDataFileTool::SampleVocabulary().size());
    EXPECT_EQ(Store.GetEntryCount(), Count);
    std::vector<int> Expected(static_cast<size_t>(Count));
    std::iota(Expected.begin(), Expected.end(), 1);
    EXPECT_EQ(RawIds(Sample), Expected);
    Store.OpenDataFile(Empty, Messages);
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_TRUE(Store.IsStoreEmpty());
    // No temporary files are left behind.
    Store.CloseData();
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(DataFileToolTest, NeverOverwritesAndReportsErrors)
{
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("mine.db");
    {
        QFile File(Path);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write("precious");
    }
    std::ostringstream Out, Err;
    EXPECT_EQ(TDataFileTool::Run({"--create-sample", Path}, Out, Err), 1);
    EXPECT_NE(Err.str().find("already exists"), std::string::npos);
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_EQ(File.readAll(), QByteArray("precious"));
    EXPECT_EQ(TDataFileTool::Run({"--create-empty", Dir.filePath("no/such/dir.db")}, Out, Err), 1);
    EXPECT_EQ(TDataFileTool::Run({"--create-empty"}, Out, Err), 2);
    EXPECT_EQ(TDataFileTool::Run({"startup"}, Out, Err), -1);
}

} // namespace
