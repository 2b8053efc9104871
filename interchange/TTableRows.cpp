#include "interchange/TTableRows.h"

#include "interchange/TForeignText.h"
#include "interchange/TFormulaGuard.h"
#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>

#include <algorithm>
#include <map>
#include <utility>

namespace TTableRows {

namespace {

// Which column a header name stands for: 0 English, 1 Transcription, 2 Bulgarian, 3 Level, or -1.
int ColumnOf(QString Name)
{
    Name = Name.trimmed().toLower();
    static const std::map<QString, int> Names = {
        {"english", 0}, {"word", 0},       {"ename", 0},         {"front", 0},
        {"en", 0},      {"term", 0},       {"transcription", 1}, {"pronunciation", 1},
        {"trans", 1},   {"ipa", 1},        {"phonetic", 1},      {"bulgarian", 2},
        {"bulg", 2},    {"meaning", 2},    {"translation", 2},   {"back", 2},
        {"bg", 2},      {"definition", 2}, {"level", 3},         {"grade", 3},
    };
    const auto It = Names.find(Name);
    return It == Names.end() ? -1 : It->second;
}

bool IsNumberOrEmpty(const QString& Text)
{
    const QString Trimmed = Text.trimmed();
    bool Ok = Trimmed.isEmpty();
    if (!Ok)
        Trimmed.toInt(&Ok);
    return Ok;
}

// A list without any header: two columns are English and Bulgarian, three are English, Bulgarian
// and Level when the third is a number, four or more stay English, Transcription, Bulgarian,
// Level.
void ArrangeByCount(TSourceData& Data, int Fields)
{
    if (Fields >= 4)
        return;
    if (Fields == 3) {
        QStringList Sample;
        bool Numbers = true;
        for (const TSourceRow& Row : Data.Rows) {
            Numbers = Numbers && IsNumberOrEmpty(Row.Bulgarian);
            if (Sample.size() < 5)
                Sample << QStringList{Row.English, Row.Transcription, Row.Bulgarian}.join(" | ");
        }
        if (!Numbers)
            throw EInterchangeQuestion(
                EInterchangeQuestion::TKind::Columns,
                QCoreApplication::translate(
                    "TDelimitedText",
                    "The file has three columns and no header row, and the third is "
                    "not a level: say what the columns hold (English, Transcription, "
                    "Bulgarian, Level, or - to leave one out)."),
                Sample);
    }
    for (TSourceRow& Row : Data.Rows) {
        if (Fields == 3)
            Row.Level = std::exchange(Row.Bulgarian, QString());
        Row.Bulgarian = std::exchange(Row.Transcription, QString());
    }
}

} // namespace

bool ReadHeader(const QStringList& Fields, TColumns& Columns)
{
    int Known = 0;
    int Unknown = 0;
    std::array<int, 4> At{-1, -1, -1, -1};
    for (int I = 0; I < Fields.size(); ++I) {
        const int Column = ColumnOf(Fields[I]);
        if (Column < 0) {
            if (!Fields[I].trimmed().isEmpty())
                ++Unknown;
            continue;
        }
        ++Known;
        if (At[Column] < 0)
            At[Column] = I;
    }
    if (Known == 0 || (Unknown > 0 && Known < 2))
        return false;
    Columns.At = At;
    return true;
}

TColumns ColumnsNamed(const QStringList& Names)
{
    TColumns Columns;
    Columns.At = {-1, -1, -1, -1};
    for (int I = 0; I < Names.size(); ++I) {
        const QString Name = Names[I].trimmed();
        if (Name.isEmpty() || Name == "-")
            continue;
        const int Column = ColumnOf(Name);
        if (Column < 0)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TDelimitedText",
                    "A column holds English, Transcription, Bulgarian or Level, or - "
                    "for one to leave out; \"%1\" is none of them.")
                    .arg(Name));
        Columns.At[Column] = I;
    }
    if (Columns.At[0] < 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TDelimitedText", "One of the columns must be English."));
    return Columns;
}

void TMetaColumns::Take(const QString& Key, const QString& Value)
{
    if (!Key.endsWith(QLatin1StringView(" column")))
        return;
    bool Ok = false;
    const int Column = Value.trimmed().toInt(&Ok) - 1;
    if (!Ok || Column < 0 || Column > 1000)
        return;
    Skipped.push_back(Column);
    if (Key.startsWith(QLatin1StringView("tags")))
        Tags = Column;
}

TColumns TMetaColumns::Columns() const
{
    TColumns Result;
    Result.At = {-1, -1, -1, -1};
    int Found = 0;
    for (int I = 0; Found < 2; ++I) {
        if (std::find(Skipped.begin(), Skipped.end(), I) != Skipped.end())
            continue;
        Result.At[Found == 0 ? 0 : 2] = I;
        ++Found;
    }
    return Result;
}

QString TMetaColumns::LevelTag(const QString& Tags)
{
    for (const QString& Tag : Tags.split(u' ', Qt::SkipEmptyParts))
        if (Tag.startsWith(QLatin1StringView("level::"), Qt::CaseInsensitive))
            return Tag.sliced(7);
    return QString();
}

void TRowBuilder::Take(TDelimitedText::TRecord& Record)
{
    if (!HeaderKnown) {
        HeaderKnown = true;
        if (Record.Problem.isEmpty() && ReadHeader(Record.Fields, Columns)) {
            ByHeader = true;
            return;
        }
    }
    if (Record.Fields.size() == 1 && Record.Fields[0].isEmpty() && Record.Problem.isEmpty())
        return; // a blank line
    if (Columns.At[0] < 0)
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TDelimitedText",
            "The header row names no column for the English word (English or Word)."));
    MostFields = std::max(MostFields, static_cast<int>(Record.Fields.size()));
    TSourceRow Row;
    Row.Line = Record.Line;
    Row.Problem = Record.Problem;
    auto Take = [&](int Column) {
        const int At = Columns.At[Column];
        return At >= 0 && At < Record.Fields.size() ? std::move(Record.Fields[At]) : QString();
    };
    Row.English = Take(0);
    Row.Transcription = Take(1);
    Row.Bulgarian = Take(2);
    Row.Level = Take(3);
    if (Meta.Tags >= 0 && Columns.At[3] < 0 && Meta.Tags < Record.Fields.size())
        Row.Level = TMetaColumns::LevelTag(Record.Fields[Meta.Tags]);
    if (UndoFormulaGuard) {
        TFormulaGuard::Unguard(Row.English);
        TFormulaGuard::Unguard(Row.Transcription);
        TFormulaGuard::Unguard(Row.Bulgarian);
    }
    if (Html) {
        Row.English = TForeignText::HtmlToPlain(Row.English);
        Row.Transcription = TForeignText::HtmlToPlain(Row.Transcription);
        Row.Bulgarian = TForeignText::HtmlToPlain(Row.Bulgarian);
    }
    Data.Rows.push_back(std::move(Row));
}

void TRowBuilder::Finish()
{
    if (!ByHeader)
        ArrangeByCount(Data, MostFields);
}

TSourceData ReadTable(std::vector<TDelimitedText::TRecord> Records, const TReadOptions& Options)
{
    TSourceData Data;
    Data.Rows.reserve(Records.size());
    TColumns Columns;
    const bool Named = !Options.Columns.isEmpty();
    if (Named)
        Columns = ColumnsNamed(Options.Columns);
    TRowBuilder Builder{Data, Columns, {}, false, false, Named};
    for (TDelimitedText::TRecord& Record : Records)
        Builder.Take(Record);
    Builder.Finish();
    return Data;
}

} // namespace TTableRows
