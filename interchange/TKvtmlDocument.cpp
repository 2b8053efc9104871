#include "interchange/TKvtmlDocument.h"

#include "store/EVexloDatabaseError.h"

#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <map>

namespace TKvtmlDocument {

namespace {

struct TEntry
{
    int Line = 0;
    QMap<QString, QString> Texts;          // translation id -> text
    QMap<QString, QString> Pronunciations; // translation id -> pronunciation
};

[[noreturn]] void Fail(const QXmlStreamReader& Xml, const QString& What)
{
    throw EVexloDatabaseError(
        QStringLiteral("The file is not a KDE vocabulary document that can be read: %1 (line %2).")
            .arg(What)
            .arg(Xml.lineNumber()));
}

void ReadTranslation(QXmlStreamReader& Xml, TEntry& Entry)
{
    const QString Id = Xml.attributes().value("id").toString();
    while (Xml.readNextStartElement()) {
        if (Xml.name() == u"text")
            Entry.Texts[Id] = Xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (Xml.name() == u"pronunciation")
            Entry.Pronunciations[Id] =
                Xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else
            Xml.skipCurrentElement();
    }
}

// A lesson and the lessons inside it: entries take the level of the innermost "Level N" lesson.
void ReadContainer(QXmlStreamReader& Xml, int Level, std::map<QString, int>& Levels)
{
    static const QRegularExpression LevelName(QStringLiteral("^\\s*Level\\s+([0-9])\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    while (Xml.readNextStartElement()) {
        if (Xml.name() == u"name") {
            const auto Match = LevelName.match(Xml.readElementText());
            if (Match.hasMatch())
                Level = Match.captured(1).toInt();
        } else if (Xml.name() == u"entry") {
            if (Level >= 0)
                Levels[Xml.attributes().value("id").toString()] = Level;
            Xml.skipCurrentElement();
        } else if (Xml.name() == u"container") {
            ReadContainer(Xml, Level, Levels);
        } else {
            Xml.skipCurrentElement();
        }
    }
}

} // namespace

TSourceData Read(const QByteArray& Bytes)
{
    QXmlStreamReader Xml(Bytes);
    if (!Xml.readNextStartElement()) {
        if (Xml.hasError())
            Fail(Xml, Xml.errorString());
        Fail(Xml, QStringLiteral("it holds no element"));
    }
    if (Xml.name() != u"kvtml")
        Fail(Xml, QStringLiteral("its root element is not kvtml"));
    if (!Xml.attributes().value("version").startsWith(u"2"))
        Fail(Xml, QStringLiteral("only version 2 documents are read"));

    QStringList Identifiers; // in document order
    std::vector<std::pair<QString, TEntry>> Entries;
    std::map<QString, int> Levels;
    while (Xml.readNextStartElement()) {
        if (Xml.name() == u"identifiers") {
            while (Xml.readNextStartElement()) {
                if (Xml.name() == u"identifier")
                    Identifiers << Xml.attributes().value("id").toString();
                Xml.skipCurrentElement();
            }
        } else if (Xml.name() == u"entries") {
            while (Xml.readNextStartElement()) {
                if (Xml.name() != u"entry") {
                    Xml.skipCurrentElement();
                    continue;
                }
                TEntry Entry;
                Entry.Line = static_cast<int>(Xml.lineNumber());
                const QString Id = Xml.attributes().value("id").toString();
                while (Xml.readNextStartElement()) {
                    if (Xml.name() == u"translation")
                        ReadTranslation(Xml, Entry);
                    else
                        Xml.skipCurrentElement();
                }
                Entries.emplace_back(Id, std::move(Entry));
            }
        } else if (Xml.name() == u"lessons") {
            ReadContainer(Xml, -1, Levels);
        } else {
            Xml.skipCurrentElement();
        }
    }
    if (Xml.hasError())
        Fail(Xml, Xml.errorString());

    const QString First = Identifiers.value(0, QStringLiteral("0"));
    const QString Second = Identifiers.value(1, QStringLiteral("1"));
    TSourceData Data;
    Data.Rows.reserve(Entries.size());
    for (auto& [Id, Entry] : Entries) {
        TSourceRow Row;
        Row.Line = Entry.Line;
        Row.English = Entry.Texts.value(First);
        Row.Transcription = Entry.Pronunciations.value(First);
        Row.Bulgarian = Entry.Texts.value(Second);
        if (const auto It = Levels.find(Id); It != Levels.end())
            Row.Level = QString::number(It->second);
        Data.Rows.push_back(std::move(Row));
    }
    return Data;
}

namespace {

// Text as XML character data: markup characters as entities, line breaks as LF, other control
// characters (which XML 1.0 cannot carry) dropped.
void AppendEscaped(QString& Out, QStringView Text)
{
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        switch (C.unicode()) {
        case u'&':
            Out += QLatin1StringView("&amp;");
            break;
        case u'<':
            Out += QLatin1StringView("&lt;");
            break;
        case u'>':
            Out += QLatin1StringView("&gt;");
            break;
        case u'"':
            Out += QLatin1StringView("&quot;");
            break;
        case u'\r':
            if (I + 1 < Text.size() && Text[I + 1] == u'\n')
                break; // CR LF is written as LF
            Out += u'\n';
            break;
        default:
            if (C.unicode() >= 0x20 || C == u'\n' || C == u'\t')
                Out += C;
        }
    }
}

void AppendElement(QString& Out, QLatin1StringView Indent, QLatin1StringView Name,
                   QStringView Text)
{
    Out += Indent;
    Out += u'<';
    Out += Name;
    Out += u'>';
    AppendEscaped(Out, Text);
    Out += QLatin1StringView("</");
    Out += Name;
    Out += QLatin1StringView(">\n");
}

} // namespace

QByteArray Write(const std::vector<TEnBgRecord>& Entries, const QString& Title)
{
    QString Out;
    Out.reserve(static_cast<qsizetype>(Entries.size()) * 200 + 1024);
    Out += QLatin1StringView(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n"
        "<kvtml version=\"2.0\">\n"
        " <information>\n"
        "  <generator>Vexlo Vocabulary</generator>\n");
    AppendElement(Out, QLatin1StringView("  "), QLatin1StringView("title"), Title);
    Out += QLatin1StringView(" </information>\n"
                             " <identifiers>\n"
                             "  <identifier id=\"0\">\n"
                             "   <name>English</name>\n"
                             "   <locale>en</locale>\n"
                             "  </identifier>\n"
                             "  <identifier id=\"1\">\n"
                             "   <name>Bulgarian</name>\n"
                             "   <locale>bg</locale>\n"
                             "  </identifier>\n"
                             " </identifiers>\n"
                             " <entries>\n");
    std::map<int, std::vector<int>> ByLevel;
    for (size_t I = 0; I < Entries.size(); ++I) {
        const TEnBgRecord& Entry = Entries[I];
        Out += QLatin1StringView("  <entry id=\"");
        Out += QString::number(I);
        Out += QLatin1StringView("\">\n   <translation id=\"0\">\n");
        AppendElement(Out, QLatin1StringView("    "), QLatin1StringView("text"), Entry.EnglishWord);
        if (!Entry.Transcription.isEmpty())
            AppendElement(Out, QLatin1StringView("    "), QLatin1StringView("pronunciation"),
                          Entry.Transcription);
        Out += QLatin1StringView("   </translation>\n   <translation id=\"1\">\n");
        AppendElement(Out, QLatin1StringView("    "), QLatin1StringView("text"),
                      Entry.BulgarianText);
        Out += QLatin1StringView("   </translation>\n  </entry>\n");
        ByLevel[Entry.WordLevel].push_back(static_cast<int>(I));
    }
    Out += QLatin1StringView(" </entries>\n <lessons>\n");
    for (const auto& [Level, Ids] : ByLevel) {
        Out += QLatin1StringView("  <container>\n   <name>Level ");
        Out += QString::number(Level);
        Out += QLatin1StringView("</name>\n   <inpractice>true</inpractice>\n");
        for (const int Id : Ids) {
            Out += QLatin1StringView("   <entry id=\"");
            Out += QString::number(Id);
            Out += QLatin1StringView("\"/>\n");
        }
        Out += QLatin1StringView("  </container>\n");
    }
    Out += QLatin1StringView(" </lessons>\n</kvtml>\n");
    return Out.toUtf8();
}

} // namespace TKvtmlDocument
