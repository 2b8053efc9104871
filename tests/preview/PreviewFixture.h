#pragma once

// Shared set-up of the preview's tests: screen-saver settings in a private registry hive, a data
// file with chosen entries (or none, or no store at all) and a hand-driven tick clock.

#include "platform/TRegistry.h"
#include "platform/TickClock.h"
#include "preview/TPaintMachine.h"
#include "preview/VexloGraphics.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

class TPreviewEnvironment
{
public:
    TPreviewEnvironment()
    {
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toLocal8Bit());
        TickClock::SetTickSource([this] { return Now; });
        TPaintMachine::ClockSource = [] { return QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7)); };
        VexloGraphics::SetScreenOverride(QSize(640, 480), 24);
        DataFile = Dir.filePath("words.db");
    }
    ~TPreviewEnvironment()
    {
        Store.reset();
        TickClock::SetTickSource({});
        TPaintMachine::ClockSource = {};
        VexloGraphics::SetScreenOverride(QSize(), 0);
        qunsetenv("VEXLO_REGISTRY");
    }

    // Writes the screen saver's key: numbers, and the two paths.
    void Settings(const QList<QPair<const char*, int>>& Numbers,
                  const QString& BackgroundFile = QString())
    {
        TRegistry Registry;
        if (!Registry.OpenKey(QString::fromLatin1(TRegInfo::KeyName), true))
            throw std::runtime_error("cannot write the test hive");
        Registry.WriteString(QStringLiteral("DataFile"), DataFile);
        Registry.WriteString(QStringLiteral("BackgroundFile"), BackgroundFile);
        for (const auto& [Name, Value] : Numbers)
            Registry.WriteInteger(QString::fromLatin1(Name), Value);
    }

    // A store on a data file holding Entries (an empty list: an empty store).
    void OpenStore(const QList<TEnBgRecord>& Entries)
    {
        Store = std::make_unique<TScreenSaverDataModule>();
        TDataFileTool::CreateEmptyDataFile(DataFile);
        QStringList Messages;
        Store->OpenDataFile(DataFile, Messages);
        if (!Messages.isEmpty())
            throw std::runtime_error(Messages.join(' ').toStdString());
        for (const TEnBgRecord& E : Entries)
            Store->AppendEntry(E);
    }
    // A store whose data file could not be opened.
    void ClosedStore()
    {
        Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Messages;
        Store->OpenDataFile(Dir.filePath("missing.db"), Messages);
    }

    static TEnBgRecord Word(const QString& English, const QString& Transcription,
                            const QString& Bulgarian)
    {
        TEnBgRecord R;
        R.EnglishWord = English;
        R.Transcription = Transcription;
        R.BulgarianText = Bulgarian;
        return R;
    }

    QTemporaryDir Dir;
    QString DataFile;
    std::unique_ptr<TScreenSaverDataModule> Store;
    uint32_t Now = 0xFFFFF000u; // close to the wrap, which the schedule must survive
};
