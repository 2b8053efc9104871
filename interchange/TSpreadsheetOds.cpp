// OpenDocument spreadsheets: content.xml of the zip archive.
#include "interchange/TSpreadsheetParts.h"

#include <QCoreApplication>
#include <QXmlStreamWriter>

namespace TSpreadsheetParts {

namespace {

constexpr auto Format = TInterchangeFormat::Ods;

const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString ManifestNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
const QByteArray MimeType = "application/vnd.oasis.opendocument.spreadsheet";

bool Is(const QXmlStreamReader& Xml, const QString& Ns, QLatin1StringView Name)
{
    return Xml.namespaceUri() == Ns && Xml.name() == Name;
}

void Append(TPartReader& Xml, QString& Text, QStringView More)
{
    if (Text.size() + More.size() > MaxCellText)
        Xml.Fail(QCoreApplication::translate("TSpreadsheet", "a cell holds more than %1 characters")
                     .arg(MaxCellText));
    Text += More;
}

// The text of the paragraph whose start the reader is at; the reader ends at its end. Runs of
// white space count as one space and none at the paragraph's start; <text:s/>, <text:tab/> and
// <text:line-break/> stand for the spaces, tabs and breaks the text holds.
QString ReadParagraph(TPartReader& Xml)
{
    QString Text;
    bool AfterSpace = true;
    int Depth = 1;
    while (Depth > 0) {
        switch (Xml.Next()) {
        case QXmlStreamReader::StartElement:
            if (Is(Xml, TextNs, QLatin1StringView("s"))) {
                const qint64 N = Count(Xml.attributes().value(TextNs, QLatin1StringView("c")),
                                       MaxCellText);
                Append(Xml, Text, QString(N, u' '));
                AfterSpace = false;
            } else if (Is(Xml, TextNs, QLatin1StringView("tab"))) {
                Append(Xml, Text, u"\t");
                AfterSpace = false;
            } else if (Is(Xml, TextNs, QLatin1StringView("line-break"))) {
                Append(Xml, Text, u"\n");
                AfterSpace = true;
            } else if (Is(Xml, TextNs, QLatin1StringView("note")) ||
                       Is(Xml, OfficeNs, QLatin1StringView("annotation")) ||
                       Is(Xml, TextNs, QLatin1StringView("ruby-text"))) {
                Xml.skipCurrentElement(); // notes and comments are not the cell's text
                break;
            }
            ++Depth;
            break;
        case QXmlStreamReader::EndElement:
            --Depth;
            break;
        case QXmlStreamReader::Characters: {
            QString Part;
            for (const QChar C : Xml.text()) {
                const bool Space = C == u' ' || C == u'\t' || C == u'\r' || C == u'\n';
                if (Space && AfterSpace)
                    continue;
                Part += Space ? QChar(u' ') : C;
                AfterSpace = Space;
            }
            Append(Xml, Text, Part);
            break;
        }
        case QXmlStreamReader::EndDocument:
            Xml.Fail(QCoreApplication::translate("TSpreadsheet", "it ends inside a cell"));
        default:
            break;
        }
    }
    return Text;
}

// The text a cell shows, its start read; the reader ends at its end.
QString ReadCellText(TPartReader& Xml)
{
    QString Text;
    bool First = true;
    while (Xml.NextChild()) {
        if (Is(Xml, TextNs, QLatin1StringView("p")) || Is(Xml, TextNs, QLatin1StringView("h"))) {
            const QString Paragraph = ReadParagraph(Xml);
            if (!First)
                Append(Xml, Text, u"\n");
            Append(Xml, Text, Paragraph);
            First = false;
        } else {
            Xml.skipCurrentElement(); // comments, drawings, ...
        }
    }
    return Text;
}

// The row whose start the reader is at; the reader ends at its end.
void ReadRow(TPartReader& Xml, TSheetRows& Rows, qint64& Number)
{
    const qint64 Repeat =
        Count(Xml.attributes().value(TableNs, QLatin1StringView("number-rows-repeated")),
              qint64(1) << 32);
    Rows.StartRow(Number);
    qint64 Column = 0;
    while (Xml.NextChild()) {
        if (!Is(Xml, TableNs, QLatin1StringView("table-cell")) &&
            !Is(Xml, TableNs, QLatin1StringView("covered-table-cell"))) {
            Xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes Attributes = Xml.attributes();
        const qint64 Columns = Count(
            Attributes.value(TableNs, QLatin1StringView("number-columns-repeated")), 1 << 20);
        const QStringView Type = Attributes.value(OfficeNs, QLatin1StringView("value-type"));
        QString Text = ReadCellText(Xml);
        // A number is its value, whatever format shows it ("3", not "3.00" or "300%").
        const QStringView Value = Attributes.value(OfficeNs, QLatin1StringView("value"));
        if ((Type == QLatin1StringView("float") || Type == QLatin1StringView("percentage") ||
             Type == QLatin1StringView("currency")) &&
            !Value.isEmpty())
            Text = Value.toString();
        Rows.Cell(Column, Text, Columns);
        Column += Columns;
    }
    Rows.EndRow(Repeat);
    Number += Repeat;
}

} // namespace

TRecords ReadOdsCells(TZipArchive& Zip)
{
    if (Zip.Has(QStringLiteral("mimetype")) &&
        !Zip.Read(QStringLiteral("mimetype")).trimmed().startsWith(MimeType))
        Broken(Format, QCoreApplication::translate("TSpreadsheet",
                                                   "it is an OpenDocument file of another kind"));
    // An encrypted document says so in its manifest; its content is not XML.
    if (Zip.Has(QStringLiteral("META-INF/manifest.xml"))) {
        TPartReader Manifest(Zip.Read(QStringLiteral("META-INF/manifest.xml")), Format,
                             QStringLiteral("META-INF/manifest.xml"));
        while (Manifest.Next() != QXmlStreamReader::EndDocument)
            if (Manifest.isStartElement() &&
                Is(Manifest, ManifestNs, QLatin1StringView("encryption-data")))
                throw EVexloDatabaseError(QCoreApplication::translate(
                    "TSpreadsheet", "The file is protected with a password. Save it without a "
                                    "password in the spreadsheet program and import it again."));
    }
    TPartReader Xml(Zip.Read(QStringLiteral("content.xml")), Format,
                    QStringLiteral("content.xml"));
    TSheetRows Rows(Format);
    // The first table of the spreadsheet; its rows may stand in groups and header rows.
    while (Xml.Next() != QXmlStreamReader::EndDocument) {
        if (!Xml.isStartElement() || !Is(Xml, TableNs, QLatin1StringView("table")))
            continue;
        qint64 Number = 1;
        int Depth = 1;
        while (Depth > 0) {
            const auto Token = Xml.Next();
            if (Token == QXmlStreamReader::EndDocument)
                Xml.Fail(QCoreApplication::translate("TSpreadsheet", "it ends inside the sheet"));
            if (Token == QXmlStreamReader::EndElement) {
                --Depth;
            } else if (Token == QXmlStreamReader::StartElement) {
                if (Is(Xml, TableNs, QLatin1StringView("table-row")))
                    ReadRow(Xml, Rows, Number);
                else if (Is(Xml, TableNs, QLatin1StringView("table-row-group")) ||
                         Is(Xml, TableNs, QLatin1StringView("table-header-rows")) ||
                         Is(Xml, TableNs, QLatin1StringView("table-rows")))
                    ++Depth;
                else
                    Xml.skipCurrentElement();
            }
        }
        return Rows.Take();
    }
    Xml.CheckEnd();
    Broken(Format, QCoreApplication::translate("TSpreadsheet", "it has no sheet"));
}

namespace {

// A paragraph's text as OpenDocument keeps it: a space after another space or at the start as
// <text:s/>, tabs as <text:tab/>.
void WriteParagraph(QXmlStreamWriter& Xml, QStringView Line)
{
    Xml.writeStartElement(TextNs, QStringLiteral("p"));
    QString Run;
    qsizetype I = 0;
    while (I < Line.size()) {
        const QChar C = Line[I];
        if (C == u'\t') {
            Xml.writeCharacters(std::exchange(Run, QString()));
            Xml.writeEmptyElement(TextNs, QStringLiteral("tab"));
            ++I;
            continue;
        }
        if (C != u' ') {
            Run += C;
            ++I;
            continue;
        }
        qsizetype Spaces = 0;
        while (I < Line.size() && Line[I] == u' ')
            ++Spaces, ++I;
        const bool AtStart = Run.isEmpty() && (I - Spaces == 0 || Line[I - Spaces - 1] == u'\t');
        if (!AtStart) {
            Run += u' ';
            --Spaces;
        }
        Xml.writeCharacters(std::exchange(Run, QString()));
        if (Spaces > 0) {
            Xml.writeEmptyElement(TextNs, QStringLiteral("s"));
            if (Spaces > 1)
                Xml.writeAttribute(TextNs, QStringLiteral("c"), QString::number(Spaces));
        }
    }
    Xml.writeCharacters(Run);
    Xml.writeEndElement();
}

void WriteTextCell(QXmlStreamWriter& Xml, const QString& Text)
{
    Xml.writeStartElement(TableNs, QStringLiteral("table-cell"));
    if (!Text.isEmpty()) {
        Xml.writeAttribute(OfficeNs, QStringLiteral("value-type"), QStringLiteral("string"));
        QString Lines = Text;
        Lines.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n")).replace(u'\r', u'\n');
        for (const QStringView Line : QStringView(Lines).split(u'\n'))
            WriteParagraph(Xml, Line);
    }
    Xml.writeEndElement();
}

} // namespace

QByteArray WriteOds(const std::vector<TEnBgRecord>& Entries)
{
    QByteArray Content;
    QXmlStreamWriter Xml(&Content);
    Xml.writeStartDocument();
    Xml.writeNamespace(OfficeNs, QStringLiteral("office"));
    Xml.writeNamespace(TableNs, QStringLiteral("table"));
    Xml.writeNamespace(TextNs, QStringLiteral("text"));
    Xml.writeStartElement(OfficeNs, QStringLiteral("document-content"));
    Xml.writeAttribute(OfficeNs, QStringLiteral("version"), QStringLiteral("1.2"));
    Xml.writeStartElement(OfficeNs, QStringLiteral("body"));
    Xml.writeStartElement(OfficeNs, QStringLiteral("spreadsheet"));
    Xml.writeStartElement(TableNs, QStringLiteral("table"));
    Xml.writeAttribute(TableNs, QStringLiteral("name"), QStringLiteral("Words"));
    Xml.writeEmptyElement(TableNs, QStringLiteral("table-column"));
    Xml.writeAttribute(TableNs, QStringLiteral("number-columns-repeated"), QStringLiteral("4"));
    Xml.writeStartElement(TableNs, QStringLiteral("table-row"));
    for (const char* Name : {"English", "Transcription", "Bulgarian", "Level"})
        WriteTextCell(Xml, QString::fromLatin1(Name));
    Xml.writeEndElement();
    for (const TEnBgRecord& Entry : Entries) {
        Xml.writeStartElement(TableNs, QStringLiteral("table-row"));
        WriteTextCell(Xml, Entry.EnglishWord);
        WriteTextCell(Xml, Entry.Transcription);
        WriteTextCell(Xml, Entry.BulgarianText);
        const QString Level = QString::number(Entry.WordLevel);
        Xml.writeStartElement(TableNs, QStringLiteral("table-cell"));
        Xml.writeAttribute(OfficeNs, QStringLiteral("value-type"), QStringLiteral("float"));
        Xml.writeAttribute(OfficeNs, QStringLiteral("value"), Level);
        Xml.writeTextElement(TextNs, QStringLiteral("p"), Level);
        Xml.writeEndElement();
        Xml.writeEndElement();
    }
    Xml.writeEndDocument();

    const QByteArray Manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.2\">\n"
        " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>\n"
        " <manifest:file-entry manifest:full-path=\"content.xml\" "
        "manifest:media-type=\"text/xml\"/>\n"
        "</manifest:manifest>\n";
    TZipWriter Zip;
    Zip.Add(QStringLiteral("mimetype"), MimeType, true); // first and uncompressed, as required
    Zip.Add(QStringLiteral("META-INF/manifest.xml"), Manifest);
    Zip.Add(QStringLiteral("content.xml"), Content);
    return Zip.Finish();
}

} // namespace TSpreadsheetParts
