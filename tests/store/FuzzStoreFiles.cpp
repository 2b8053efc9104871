// Damaged data files: random bytes changed in a valid file must end in a clear error or a working
// store, never in a crash or a hang.

#include "tests/support/FuzzSeed.h"
#include "tests/store/StoreTestSupport.h"

#include "store/TDataFileTool.h"

#include <QFile>

#include <cstdio>
#include <random>

namespace {

void Exercise(TScreenSaverDataModule& Store)
{
    TVexloTable* Table = Store.ADOTable;
    for (int I = 0; I < Table->RecordCount(); ++I)
        Table->RowAt(I);
    for (const char* Text : {"a", "be", "zzzz", " Q "})
        Store.SearchWord(Text);
    TEnBgRecord Rec;
    Store.ReadRandomEntry(Rec);
    Store.ReadCurrentEntry(Rec);
    int32_t Counts[10] = {};
    Store.CountByLevel(Counts, 9);
    Store.GetLastFilledWord();
    Store.GotoRandomEntry(Table);
    Store.AppendEntry(MakeEntry("fuzz", 3));
    if (Table->RecNo() > 0)
        Store.DeleteCurrentEntry();
    Table->Refresh();
}

TEST(FuzzStoreFiles, DamagedFilesNeverCrash)
{
    QTemporaryDir Dir;
    const QString Clean = Dir.filePath("clean.db");
    TDataFileTool::CreateSampleDataFile(Clean);
    QFile CleanFile(Clean);
    ASSERT_TRUE(CleanFile.open(QIODevice::ReadOnly));
    const QByteArray Original = CleanFile.readAll();
    const unsigned Seed = FuzzSeed();
    std::mt19937 Random(Seed);
    int Opened = 0, Refused = 0;
    for (int Round = 0; Round < 1500; ++Round) {
        SCOPED_TRACE(testing::Message() << "VEXLO_FUZZ_SEED=" << Seed << " round " << Round);
        QByteArray Bytes = Original;
        const int Flips = 1 + static_cast<int>(Random() % 24);
        for (int F = 0; F < Flips; ++F) {
            // Mostly inside the pages, sometimes in the header.
            const auto At = static_cast<qsizetype>(Random() % 8 == 0 ? Random() % 100
                                                                     : Random() % Bytes.size());
            Bytes[At] = static_cast<char>(Random());
        }
        if (Random() % 10 == 0)
            Bytes.truncate(static_cast<qsizetype>(Random() % Bytes.size()));
        const QString Path = Dir.filePath(QString("damaged%1.db").arg(Round));
        {
            QFile File(Path);
            ASSERT_TRUE(File.open(QIODevice::WriteOnly));
            File.write(Bytes);
        }
        TScreenSaverDataModule Store;
        QStringList Messages;
        Store.OpenDataFile(Path, Messages);
        if (!Store.ADOTable->Active()) {
            EXPECT_EQ(Messages.size(), 1);
            ++Refused;
            continue;
        }
        ++Opened;
        try {
            Exercise(Store);
        } catch (const EVexloDatabaseError&) {
            // A clear error is a fine answer to a damaged file.
        }
        Store.CloseData();
        QFile::remove(Path);
    }
    EXPECT_GT(Opened + Refused, 0);
    std::printf("opened %d, refused %d\n", Opened, Refused);
}

} // namespace
