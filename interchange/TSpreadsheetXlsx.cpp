// Office Open XML workbooks: the workbook, its relationships, the shared strings and the first
// worksheet of the zip archive.
#include "interchange/TSpreadsheetParts.h"

#include <QCoreApplication>
#include <QDir>
#include <QXmlStreamWriter>

namespace TSpreadsheetParts {

namespace {

constexpr auto Format = TInterchangeFormat::Xlsx;

bool IsHex(QChar C)
{
    return (C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'f') || (C >= u'A' && C <= u'F');
}

// Whether Text holds an escape _xHHHH_ at I.
bool EscapeAt(QStringView Text, qsizetype I)
{
    if (I + 7 > Text.size() || Text[I] != u'_' || Text[I + 1] != u'x' || Text[I + 6] != u'_')
        return false;
    for (qsizetype K = 2; K < 6; ++K)
        if (!IsHex(Text[K + I]))
            return false;
    return true;
}

// The text with the escapes _xHHHH_ of the format (characters XML cannot carry) decoded.
QString Unescape(const QString& Text)
{
    if (!Text.contains(QLatin1StringView("_x")))
        return Text;
    QString Result;
    Result.reserve(Text.size());
    for (qsizetype I = 0; I < Text.size(); ++I) {
        if (EscapeAt(Text, I)) {
            Result += QChar(static_cast<char16_t>(Text.mid(I + 2, 4).toUShort(nullptr, 16)));
            I += 6;
        } else {
            Result += Text[I];
        }
    }
    return Result;
}

// The text as the format keeps it: an underscore that would begin an escape, and control
// characters, escaped.
QString Escape(const QString& Text)
{
    QString Result;
    Result.reserve(Text.size());
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const char16_t U = Text[I].unicode();
        if (EscapeAt(Text, I) || (U < 0x20 && U != u'\t' && U != u'\n'))
            Result += QStringLiteral("_x") +
                      QString::number(U, 16).toUpper().rightJustified(4, u'0') + u'_';
        else
            Result += Text[I];
    }
    return Result;
}

// The text of a string item (<si> or <is>) whose start the reader is at: its <t> texts, without
// the phonetic runs (<rPh>); the reader ends at its end.
QString ReadStringItem(TPartReader& Xml)
{
    QString Text;
    int Depth = 1;
    while (Depth > 0) {
        switch (Xml.Next()) {
        case QXmlStreamReader::StartElement:
            if (Xml.name() == QLatin1StringView("rPh") || Xml.name() == QLatin1StringView("phoneticPr")) {
                Xml.skipCurrentElement();
            } else if (Xml.name() == QLatin1StringView("t")) {
                Text += Xml.readElementText(QXmlStreamReader::SkipChildElements);
                if (Text.size() > MaxCellText)
                    Xml.Fail(QCoreApplication::translate("TSpreadsheet",
                                                         "a cell holds more than %1 characters")
                                 .arg(MaxCellText));
            } else {
                ++Depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            --Depth;
            break;
        case QXmlStreamReader::EndDocument:
            Xml.Fail(QCoreApplication::translate("TSpreadsheet", "it ends inside a text"));
        default:
            break;
        }
    }
    return Unescape(Text);
}

// The attribute named Name in any namespace (r:id whichever namespace the relationships have).
QStringView AttributeIn(const QXmlStreamAttributes& Attributes, QLatin1StringView Name,
                        bool Namespaced)
{
    for (const QXmlStreamAttribute& Attribute : Attributes)
        if (Attribute.name() == Name && Attribute.namespaceUri().isEmpty() != Namespaced)
            return Attribute.value();
    return {};
}

// The part a relationship's target names, from the folder Base ("xl/"); empty for a target
// outside the archive.
QString Resolve(const QString& Base, QStringView Target)
{
    if (Target.isEmpty() || Target.contains(QLatin1StringView("://")))
        return QString();
    const QString Path =
        QDir::cleanPath(Target.startsWith(u'/') ? Target.sliced(1).toString() : Base + Target.toString());
    if (Path.startsWith(QLatin1StringView("../")) || Path == QLatin1StringView(".."))
        return QString();
    return Path;
}

struct TRelationship
{
    QString Id;
    QString Type; // the last part of the type: "worksheet", "sharedStrings", "officeDocument"
    QString Part;
};

// The relationships of Part (for "xl/workbook.xml": "xl/_rels/workbook.xml.rels").
std::vector<TRelationship> ReadRelationships(TZipArchive& Zip, const QString& Part)
{
    const qsizetype Slash = Part.lastIndexOf(u'/');
    const QString Base = Part.first(Slash + 1);
    const QString Name = Base + QStringLiteral("_rels/") + Part.sliced(Slash + 1) +
                         QStringLiteral(".rels");
    std::vector<TRelationship> Result;
    if (!Zip.Has(Name))
        return Result;
    TPartReader Xml(Zip.Read(Name), Format, Name);
    while (Xml.Next() != QXmlStreamReader::EndDocument) {
        if (!Xml.isStartElement() || Xml.name() != QLatin1StringView("Relationship"))
            continue;
        const QXmlStreamAttributes Attributes = Xml.attributes();
        if (Attributes.value(QLatin1StringView("TargetMode")) == QLatin1StringView("External"))
            continue; // never followed
        const QStringView Type = Attributes.value(QLatin1StringView("Type"));
        Result.push_back({Attributes.value(QLatin1StringView("Id")).toString(),
                          Type.sliced(Type.lastIndexOf(u'/') + 1).toString(),
                          Resolve(Base, Attributes.value(QLatin1StringView("Target")))});
    }
    return Result;
}

QString PartOf(const std::vector<TRelationship>& Relationships, QLatin1StringView Type,
               const QString& Id = QString())
{
    for (const TRelationship& Relationship : Relationships)
        if (Relationship.Type == Type && (Id.isEmpty() || Relationship.Id == Id))
            return Relationship.Part;
    return QString();
}

// "B12" -> column 1, row 12; false when Reference is not a cell's.
bool CellAt(QStringView Reference, qint64& Column, qint64& Row)
{
    qsizetype I = 0;
    qint64 C = 0;
    while (I < Reference.size() && I < 4 && Reference[I].isLetter() && Reference[I].unicode() < 0x80) {
        C = C * 26 + (Reference[I].toUpper().unicode() - u'A' + 1);
        ++I;
    }
    bool Ok = false;
    const qint64 R = Reference.sliced(I).toLongLong(&Ok);
    if (I == 0 || !Ok || R < 1)
        return false;
    Column = C - 1;
    Row = R;
    return true;
}

// The value of the cell whose start the reader is at; the reader ends at its end.
QString ReadCell(TPartReader& Xml, QStringView Type, const QStringList& Shared)
{
    QString Value;
    bool Inline = false;
    while (Xml.NextChild()) {
        if (Xml.name() == QLatin1StringView("v")) {
            Value = Xml.readElementText(QXmlStreamReader::SkipChildElements);
        } else if (Xml.name() == QLatin1StringView("is")) {
            Value = ReadStringItem(Xml);
            Inline = true;
        } else {
            Xml.skipCurrentElement(); // the formula (<f>) is never worked out
        }
    }
    if (Type == QLatin1StringView("s") && !Value.trimmed().isEmpty()) {
        bool Ok = false;
        const qsizetype Index = Value.trimmed().toLongLong(&Ok);
        if (!Ok || Index < 0 || Index >= Shared.size())
            Xml.Fail(QCoreApplication::translate("TSpreadsheet", "a cell names text %1, which the "
                                                                 "shared strings do not hold")
                         .arg(Value.left(20)));
        return Shared[Index];
    }
    if (Type == QLatin1StringView("str") || Type == QLatin1StringView("inlineStr") || Inline)
        return Inline ? Value : Unescape(Value);
    return Value.trimmed(); // a number, a truth value, an error code, a date
}

} // namespace

TRecords ReadXlsxCells(TZipArchive& Zip)
{
    QString Workbook = PartOf(ReadRelationships(Zip, QString()), // _rels/.rels
                              QLatin1StringView("officeDocument"));
    if (Workbook.isEmpty())
        Workbook = QStringLiteral("xl/workbook.xml");
    const std::vector<TRelationship> Relationships = ReadRelationships(Zip, Workbook);

    // The first sheet the workbook lists.
    QString SheetId;
    {
        TPartReader Xml(Zip.Read(Workbook), Format, Workbook);
        while (SheetId.isEmpty() && Xml.Next() != QXmlStreamReader::EndDocument)
            if (Xml.isStartElement() && Xml.name() == QLatin1StringView("sheet"))
                SheetId = AttributeIn(Xml.attributes(), QLatin1StringView("id"), true).toString();
        Xml.CheckEnd();
    }
    const QString Sheet = PartOf(Relationships, QLatin1StringView("worksheet"), SheetId);
    if (SheetId.isEmpty() || Sheet.isEmpty())
        Broken(Format, QCoreApplication::translate("TSpreadsheet", "it has no sheet"));

    QStringList Shared;
    if (const QString Strings = PartOf(Relationships, QLatin1StringView("sharedStrings"));
        !Strings.isEmpty()) {
        TPartReader Xml(Zip.Read(Strings), Format, Strings);
        while (Xml.Next() != QXmlStreamReader::EndDocument)
            if (Xml.isStartElement() && Xml.name() == QLatin1StringView("si"))
                Shared.append(ReadStringItem(Xml));
    }

    TPartReader Xml(Zip.Read(Sheet), Format, Sheet);
    TSheetRows Rows(Format);
    qint64 RowNumber = 0;
    while (Xml.Next() != QXmlStreamReader::EndDocument) {
        if (!Xml.isStartElement() || Xml.name() != QLatin1StringView("row"))
            continue;
        bool Ok = false;
        const qint64 Given = Xml.attributes().value(QLatin1StringView("r")).toLongLong(&Ok);
        RowNumber = Ok && Given > 0 ? Given : RowNumber + 1;
        Rows.StartRow(RowNumber);
        qint64 Column = -1;
        while (Xml.NextChild()) {
            if (Xml.name() != QLatin1StringView("c")) {
                Xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes Attributes = Xml.attributes();
            qint64 At = Column + 1;
            qint64 Row = RowNumber;
            if (const QStringView Reference = Attributes.value(QLatin1StringView("r"));
                !Reference.isEmpty() && !CellAt(Reference, At, Row))
                Xml.Fail(QCoreApplication::translate("TSpreadsheet", "%1 names no cell")
                             .arg(Reference.left(20)));
            Column = At;
            Rows.Cell(Column, ReadCell(Xml, Attributes.value(QLatin1StringView("t")), Shared));
        }
        Rows.EndRow();
    }
    return Rows.Take();
}

namespace {

void WriteTextCell(QXmlStreamWriter& Xml, const QString& Reference, const QString& Text)
{
    if (Text.isEmpty())
        return;
    QString Plain = Text;
    Plain.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n")).replace(u'\r', u'\n');
    Xml.writeStartElement(QStringLiteral("c"));
    Xml.writeAttribute(QStringLiteral("r"), Reference);
    if (Plain.contains(u'\n'))
        Xml.writeAttribute(QStringLiteral("s"), QStringLiteral("1")); // wrapped
    Xml.writeAttribute(QStringLiteral("t"), QStringLiteral("inlineStr"));
    Xml.writeStartElement(QStringLiteral("is"));
    Xml.writeStartElement(QStringLiteral("t"));
    Xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    Xml.writeCharacters(Escape(Plain));
    Xml.writeEndElement();
    Xml.writeEndElement();
    Xml.writeEndElement();
}

const char* const ContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "</Types>\n";

const char* const PackageRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>\n";

const char* const WorkbookXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"Words\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>\n";

const char* const WorkbookRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>\n";

// Two cell formats: the usual one, and one that wraps the lines of a meaning.
const char* const StylesXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs>"
    "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyAlignment=\"1\">"
    "<alignment vertical=\"top\" wrapText=\"1\"/></xf></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>\n";

} // namespace

QByteArray WriteXlsx(const std::vector<TEnBgRecord>& Entries)
{
    QByteArray Sheet;
    QXmlStreamWriter Xml(&Sheet);
    Xml.writeStartDocument();
    Xml.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main"));
    Xml.writeStartElement(QStringLiteral("worksheet"));
    Xml.writeStartElement(QStringLiteral("sheetData"));
    auto Row = [&](qsizetype Number) {
        Xml.writeStartElement(QStringLiteral("row"));
        Xml.writeAttribute(QStringLiteral("r"), QString::number(Number));
        return QString::number(Number);
    };
    {
        const QString N = Row(1);
        WriteTextCell(Xml, u'A' + N, QStringLiteral("English"));
        WriteTextCell(Xml, u'B' + N, QStringLiteral("Transcription"));
        WriteTextCell(Xml, u'C' + N, QStringLiteral("Bulgarian"));
        WriteTextCell(Xml, u'D' + N, QStringLiteral("Level"));
        Xml.writeEndElement();
    }
    for (size_t I = 0; I < Entries.size(); ++I) {
        const TEnBgRecord& Entry = Entries[I];
        const QString N = Row(static_cast<qsizetype>(I) + 2);
        WriteTextCell(Xml, u'A' + N, Entry.EnglishWord);
        WriteTextCell(Xml, u'B' + N, Entry.Transcription);
        WriteTextCell(Xml, u'C' + N, Entry.BulgarianText);
        Xml.writeStartElement(QStringLiteral("c"));
        Xml.writeAttribute(QStringLiteral("r"), u'D' + N);
        Xml.writeTextElement(QStringLiteral("v"), QString::number(Entry.WordLevel));
        Xml.writeEndElement();
        Xml.writeEndElement();
    }
    Xml.writeEndDocument();

    TZipWriter Zip;
    Zip.Add(QStringLiteral("[Content_Types].xml"), ContentTypes);
    Zip.Add(QStringLiteral("_rels/.rels"), PackageRelationships);
    Zip.Add(QStringLiteral("xl/workbook.xml"), WorkbookXml);
    Zip.Add(QStringLiteral("xl/_rels/workbook.xml.rels"), WorkbookRelationships);
    Zip.Add(QStringLiteral("xl/styles.xml"), StylesXml);
    Zip.Add(QStringLiteral("xl/worksheets/sheet1.xml"), Sheet);
    return Zip.Finish();
}

} // namespace TSpreadsheetParts
