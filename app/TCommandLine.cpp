#include "app/TCommandLine.h"

#include "interchange/TAccessFile.h"
#include "interchange/TForeignText.h"
#include "interchange/TInterchange.h"
#include "settings/TRegInfo.h"
#include "store/EVexloDatabaseError.h"
#include "store/TVexloConnection.h"

#include <QFileInfo>

#include <new>
#include <ostream>

namespace TCommandLine {

using namespace TInterchange;
using namespace TAccessColumns;

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

namespace {

// The value after Option, or an empty string. Throws when the option is given without one.
QString ValueOf(const QStringList& Arguments, const QString& Option)
{
    const int At = static_cast<int>(Arguments.indexOf(Option));
    if (At < 0)
        return QString();
    if (At + 1 >= Arguments.size() || Arguments[At + 1].trimmed().isEmpty())
        throw EVexloDatabaseError(QStringLiteral("%1 needs a value.").arg(Option));
    return Arguments[At + 1];
}

TReadOptions TextReadOptions(const QStringList& Arguments)
{
    TReadOptions Options;
    if (const QString Name = ValueOf(Arguments, QStringLiteral("--encoding")); !Name.isEmpty()) {
        Options.Encoding = TForeignText::EncodingName(Name);
        if (Options.Encoding.isEmpty())
            throw EVexloDatabaseError(
                QStringLiteral("The encoding %1 is not known (try utf-8, windows-1251 or "
                               "iso-8859-1).")
                    .arg(Name));
    }
    if (const QString Columns = ValueOf(Arguments, QStringLiteral("--columns")); !Columns.isEmpty())
        Options.Columns = Columns.split(u',');
    return Options;
}

// --anki front|back: the export is a flashcard program's notes, whatever the file's name.
TInterchangeFormat AnkiFormat(const QStringList& Arguments, TInterchangeFormat Format)
{
    const QString Side = ValueOf(Arguments, QStringLiteral("--anki")).toLower();
    if (Side.isEmpty())
        return Format;
    if (Side == "front")
        return TInterchangeFormat::AnkiFront;
    if (Side == "back")
        return TInterchangeFormat::AnkiBack;
    throw EVexloDatabaseError(QStringLiteral("--anki takes front or back: where the "
                                             "transcription goes."));
}

} // namespace

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
                Data = ReadFile(Path, Format, TextReadOptions(Arguments));
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
            for (const QString& Line : Summary.Note.split(u'\n', Qt::SkipEmptyParts))
                Err << Local(Path) << ": " << Local(Line) << '\n';
            for (const TSkippedRow& Row : Summary.Skipped)
                Err << Local(Path) << ": " << Local(Summary.LineWord) << ' ' << Row.Line << ": "
                    << Local(Row.Reason) << '\n';
            Out << Local(Summary.OneLine().chopped(1)) << " (" << Local(Path) << " into "
                << Local(DataFile) << ").\n";
        } else {
            TExportOptions Options;
            Options.GuardFormulas = !Arguments.contains(QStringLiteral("--csv-as-is"));
            const int Count = Export(Connection, Path, AnkiFormat(Arguments, Format), Options);
            Out << "Exported " << Count << (Count == 1 ? " entry" : " entries") << " from "
                << Local(DataFile) << " to " << Local(Path) << ".\n";
        }
    } catch (const EInterchangeQuestion& Question) {
        Err << Local(Question.Message()) << '\n'
            << (Question.Kind == EInterchangeQuestion::TKind::Encoding
                    ? "Name the file's encoding with --encoding (for example windows-1251).\n"
                    : "Name them with --columns, for example --columns English,Transcription,"
                      "Bulgarian.\n");
        return 1;
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
