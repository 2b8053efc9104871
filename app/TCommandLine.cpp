#include "app/TCommandLine.h"

#include "interchange/TAccessFile.h"
#include "interchange/TInterchange.h"
#include "settings/TRegInfo.h"
#include "store/EVexloDatabaseError.h"
#include "store/TVexloConnection.h"

#include <QFileInfo>

#include <new>
#include <ostream>

namespace TCommandLine {

using namespace TInterchange;

TColumnMap ParseColumnMap(const QString& Text)
{
    TColumnMap Map;
    for (const QString& Item : Text.split(u',', Qt::SkipEmptyParts)) {
        const QString Key = Item.section(u'=', 0, 0).trimmed().toLower();
        const QString Value = Item.section(u'=', 1).trimmed();
        if (!Item.contains(u'=') || Value.isEmpty())
            throw EVexloDatabaseError(
                QStringLiteral("--columns takes Part=Column items separated by commas."));
        if (Key == "table")
            Map.Table = Value;
        else if (Key == "english")
            Map.English = Value;
        else if (Key == "transcription")
            Map.Transcription = Value;
        else if (Key == "bulgarian")
            Map.Bulgarian = Value;
        else if (Key == "level")
            Map.Level = Value;
        else
            throw EVexloDatabaseError(
                QStringLiteral("--columns knows Table, English, Transcription, Bulgarian and "
                               "Level."));
    }
    if (Map.Table.isEmpty() || Map.English.isEmpty())
        throw EVexloDatabaseError(QStringLiteral("--columns needs at least Table= and English=."));
    return Map;
}

int RunInterchange(const QStringList& Arguments, std::ostream& Out, std::ostream& Err)
{
    const int ImportAt = static_cast<int>(Arguments.indexOf(QStringLiteral("--import")));
    const int ExportAt = static_cast<int>(Arguments.indexOf(QStringLiteral("--export")));
    if (ImportAt < 0 && ExportAt < 0)
        return -1;
    const bool Importing = ExportAt < 0 || (ImportAt >= 0 && ImportAt < ExportAt);
    const int At = Importing ? ImportAt : ExportAt;
    if (At + 1 >= Arguments.size() || Arguments[At + 1].isEmpty()) {
        Err << "Usage: vexlo-vocabulary --import FILE | --export FILE\n";
        return 2;
    }
    const QString Path = Arguments[At + 1];
    auto Local = [](const QString& Text) { return Text.toLocal8Bit().toStdString(); };
    TRegInfo Settings;
    Settings.Load();
    const QString DataFile = Settings.DataFile;
    try {
        const TInterchangeFormat Format = FormatOf(Path);
        TSourceData Data;
        if (Importing) {
            if (Format == TInterchangeFormat::Access) {
                const TAccessFile File(Path);
                std::optional<TColumnMap> Map;
                if (const int ColumnsAt = static_cast<int>(Arguments.indexOf("--columns"));
                    ColumnsAt >= 0 && ColumnsAt + 1 < Arguments.size())
                    Map = ParseColumnMap(Arguments[ColumnsAt + 1]);
                else
                    Map = EnglishTableMap(File);
                if (!Map)
                    throw EVexloDatabaseError(
                        QStringLiteral("%1 has no vocabulary table English (with a column ENAME); "
                                       "name a table and its columns with --columns "
                                       "\"Table=...,English=...,Bulgarian=...\", or import it from "
                                       "File > Import....")
                            .arg(Path));
                Data = ReadAccess(File, *Map);
            } else {
                Data = ReadFile(Path, Format);
            }
        } else if (Format == TInterchangeFormat::Unknown || Format == TInterchangeFormat::Access) {
            Encode({}, Format);
        }
        if (!QFileInfo(DataFile).isFile())
            throw EVexloDatabaseError(
                QStringLiteral("The data file %1 does not exist.").arg(DataFile));
        TVexloConnection Connection;
        Connection.DefaultDatabase = DataFile;
        Connection.Open();
        if (Importing) {
            const TImportSummary Summary = Import(Connection, Data);
            for (const TSkippedRow& Row : Summary.Skipped)
                Err << Local(Path) << ": " << Local(Summary.LineWord) << ' ' << Row.Line << ": "
                    << Local(Row.Reason) << '\n';
            Out << Local(Summary.OneLine().chopped(1)) << " (" << Local(Path) << " into "
                << Local(DataFile) << ").\n";
        } else {
            TExportOptions Options;
            Options.GuardFormulas = !Arguments.contains(QStringLiteral("--csv-as-is"));
            const int Count = Export(Connection, Path, Format, Options);
            Out << "Exported " << Count << (Count == 1 ? " entry" : " entries") << " from "
                << Local(DataFile) << " to " << Local(Path) << ".\n";
        }
    } catch (const EVexloDatabaseError& Error) {
        Err << Local(Error.Message()) << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        Err << "There is not enough memory to " << (Importing ? "import " : "export to ")
            << Local(Path) << ".\n";
        return 1;
    }
    return 0;
}

} // namespace TCommandLine
