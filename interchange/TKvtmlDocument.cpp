#include "interchange/TKvtmlDocument.h"

#include "store/EVexloDatabaseError.h"

#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

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

QByteArray Write(const std::vector<TEnBgRecord>& Entries, const QString& Title)
{
    QByteArray Out;
    QXmlStreamWriter Xml(&Out);
    Xml.setAutoFormatting(true);
    Xml.setAutoFormattingIndent(1);
    Xml.writeStartDocument();
    Xml.writeDTD(QStringLiteral(
        "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">"));
    Xml.writeStartElement("kvtml");
    Xml.writeAttribute("version", "2.0");
    Xml.writeStartElement("information");
    Xml.writeTextElement("generator", QStringLiteral("Vexlo Vocabulary"));
    Xml.writeTextElement("title", Title);
    Xml.writeEndElement();

    Xml.writeStartElement("identifiers");
    const char* const Languages[2][2] = {{"English", "en"}, {"Bulgarian", "bg"}};
    for (int I = 0; I < 2; ++I) {
        Xml.writeStartElement("identifier");
        Xml.writeAttribute("id", QString::number(I));
        Xml.writeTextElement("name", QString::fromLatin1(Languages[I][0]));
        Xml.writeTextElement("locale", QString::fromLatin1(Languages[I][1]));
        Xml.writeEndElement();
    }
    Xml.writeEndElement();

    std::map<int, std::vector<int>> ByLevel;
    Xml.writeStartElement("entries");
    for (size_t I = 0; I < Entries.size(); ++I) {
        const TEnBgRecord& Entry = Entries[I];
        const QString Id = QString::number(I);
        Xml.writeStartElement("entry");
        Xml.writeAttribute("id", Id);
        Xml.writeStartElement("translation");
        Xml.writeAttribute("id", "0");
        Xml.writeTextElement("text", Entry.EnglishWord);
        if (!Entry.Transcription.isEmpty())
            Xml.writeTextElement("pronunciation", Entry.Transcription);
        Xml.writeEndElement();
        Xml.writeStartElement("translation");
        Xml.writeAttribute("id", "1");
        QString Bulgarian = Entry.BulgarianText;
        Bulgarian.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
        Xml.writeTextElement("text", Bulgarian);
        Xml.writeEndElement();
        Xml.writeEndElement();
        ByLevel[Entry.WordLevel].push_back(static_cast<int>(I));
    }
    Xml.writeEndElement();

    Xml.writeStartElement("lessons");
    for (const auto& [Level, Ids] : ByLevel) {
        Xml.writeStartElement("container");
        Xml.writeTextElement("name", QStringLiteral("Level %1").arg(Level));
        Xml.writeTextElement("inpractice", "true");
        for (const int Id : Ids) {
            Xml.writeEmptyElement("entry");
            Xml.writeAttribute("id", QString::number(Id));
        }
        Xml.writeEndElement();
    }
    Xml.writeEndElement();

    Xml.writeEndElement();
    Xml.writeEndDocument();
    return Out;
}

} // namespace TKvtmlDocument
