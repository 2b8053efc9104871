#pragma once

#include "store/TDataFileTool.h"
#include "store/TEnBgRecord.h"
#include "store/TScreenSaverDataModule.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A store opened on a new data file in a temporary folder, filled with the given entries in order
// (so the first gets ID 1).
class TReportFixture
{
public:
    explicit TReportFixture(const QList<TEnBgRecord>& Entries)
    {
        Path = Dir.filePath(QStringLiteral("english.db"));
        TDataFileTool::CreateEmptyDataFile(Path);
        Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Messages;
        Store->OpenDataFile(Path, Messages);
        EXPECT_TRUE(Messages.isEmpty()) << Messages.join(u'\n').toStdString();
        for (const TEnBgRecord& Rec : Entries)
            Store->AppendEntry(Rec);
    }

    QTemporaryDir Dir;
    QString Path;
    std::unique_ptr<TScreenSaverDataModule> Store;
};

inline TEnBgRecord Entry(const QString& Word, const QString& Trans, int Level, const QString& Bulg)
{
    return TEnBgRecord{Word, Bulg, Trans, Level};
}

// The small dictionary of the golden pages: upper and lower case, a modifier grave accent, an
// empty transcription, an empty and a two-line Bulgarian text, a level outside 0..9, a non-ASCII
// first letter and a word holding < and & (added last, so it is also the last filled word).
inline QList<TEnBgRecord> GoldenDictionary()
{
    return {
        Entry(QStringLiteral("apple"), QStringLiteral("ˈæpəl"), 0, QStringLiteral("ябълка")),
        Entry(QStringLiteral("Apricot"), QStringLiteral("\u02CBeɪprɪkɒt"), 1,
              QStringLiteral("кайсия")),
        Entry(QStringLiteral("banana"), QStringLiteral("bəˈnɑːnə"), 2,
              QStringLiteral("банан\r\nбананов")),
        Entry(QStringLiteral("cherry"), QString(), 9, QStringLiteral("череша")),
        Entry(QStringLiteral("élan"), QStringLiteral("eɪˈlɑːn"), 5, QStringLiteral("устрем")),
        Entry(QStringLiteral("zebra"), QStringLiteral("ˈziːbrə"), 12, QStringLiteral("зебра")),
        Entry(QStringLiteral("R&D <lab>"), QString(), 3, QString()),
    };
}

inline QString GoldenPath(const char* Name)
{
    return QStringLiteral(VEXLO_SOURCE_DIR "/tests/reports/golden/") + QLatin1String(Name);
}

// Compares a page with its golden file. With VEXLO_UPDATE_GOLDEN=1 in the environment the file is
// written instead (review the difference before committing it).
inline void ExpectGolden(const QByteArray& Page, const char* Name)
{
    QFile File(GoldenPath(Name));
    if (qEnvironmentVariableIntValue("VEXLO_UPDATE_GOLDEN") == 1) {
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Page);
        return;
    }
    ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << Name;
    const QByteArray Expected = File.readAll();
    const QList<QByteArray> ExpectedLines = Expected.split('\n');
    const QList<QByteArray> ActualLines = Page.split('\n');
    for (qsizetype I = 0; I < qMin(ExpectedLines.size(), ActualLines.size()); ++I)
        ASSERT_EQ(ActualLines[I].toStdString(), ExpectedLines[I].toStdString())
            << Name << " line " << I + 1;
    EXPECT_EQ(Page.size(), Expected.size()) << Name;
    EXPECT_TRUE(Page == Expected) << Name;
}
