#include "interchange/TKvtmlDocument.h"

#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>
#include <optional>

namespace TKvtmlDocument {

namespace {

struct TEntry
{
    int Line = 0;
    QMap<QString, QString> Texts;          // translation id -> text
    QMap<QString, QString> Pronunciations; // translation id -> pronunciation
};

// How deep elements may be nested: far deeper than any vocabulary document, and shallow enough
// that reading never runs out of stack.
constexpr int MaxDepth = 256;
// How many characters the entities a document declares may expand to, in all.
constexpr qint64 MaxExpansion = 1'000'000;

[[noreturn]] void Fail(const QXmlStreamReader& Xml, const QString& What)
{
    throw EVexloDatabaseError(
        QCoreApplication::translate(
            "TKvtmlDocument",
            "The file is not a KDE vocabulary document that can be read: %1 (line %2).")
            .arg(What)
            .arg(Xml.lineNumber()));
}

// The characters the entity Name expands to, with the entities it uses; more than MaxExpansion
// (for a loop, too) counts as MaxExpansion + 1.
qint64 ExpandedSize(const QString& Name, const QHash<QString, QString>& Values,
                    QHash<QString, qint64>& Sizes);

// Adds the expanded sizes of the declared entities that Text uses to Total, stopping above
// MaxExpansion.
void AddReferences(QStringView Text, const QHash<QString, QString>& Values,
                   QHash<QString, qint64>& Sizes, qint64& Total)
{
    for (qsizetype I = Text.indexOf(u'&'); I >= 0 && Total <= MaxExpansion;
         I = Text.indexOf(u'&', I + 1)) {
        const qsizetype End = Text.indexOf(u';', I + 1);
        if (End < 0)
            return;
        const auto It = Values.constFind(Text.sliced(I + 1, End - I - 1).toString());
        if (It != Values.constEnd())
            Total = std::min(MaxExpansion + 1, Total + ExpandedSize(It.key(), Values, Sizes));
    }
}

qint64 ExpandedSize(const QString& Name, const QHash<QString, QString>& Values,
                    QHash<QString, qint64>& Sizes)
{
    if (const auto It = Sizes.constFind(Name); It != Sizes.constEnd())
        return It.value();
    Sizes.insert(Name, MaxExpansion + 1); // while it is worked out: a loop is too much
    const QString& Value = Values[Name];
    qint64 Size = Value.size();
    AddReferences(Value, Values, Sizes, Size);
    Sizes.insert(Name, Size);
    return Size;
}

// Refuses a document whose entities would expand to more than MaxExpansion characters: the
// reader expands them as it goes, so the whole is worked out first from the declarations and the
// references in the document's text.
void CheckEntities(const QXmlStreamReader& Xml, const QByteArray& Bytes)
{
    QHash<QString, QString> Values;
    for (const QXmlStreamEntityDeclaration& Entity : Xml.entityDeclarations())
        if (Entity.systemId().isEmpty() && Entity.publicId().isEmpty())
            Values.insert(Entity.name().toString(), Entity.value().toString());
    if (Values.isEmpty())
        return;
    std::optional<QStringConverter::Encoding> Encoding =
        QStringConverter::encodingForData(Bytes, u'<');
    const QByteArray Declared = Xml.documentEncoding().isEmpty()
                                    ? QByteArray("UTF-8")
                                    : Xml.documentEncoding().toString().toLatin1();
    QStringDecoder Decoder =
        Encoding ? QStringDecoder(*Encoding) : QStringDecoder(Declared.constData());
    if (!Decoder.isValid())
        Fail(Xml, QCoreApplication::translate(
                      "TKvtmlDocument", "it declares entities in an encoding that is not read"));
    const QString Text = Decoder.decode(Bytes);
    QHash<QString, qint64> Sizes;
    qint64 Total = 0;
    AddReferences(Text, Values, Sizes, Total);
    if (Total > MaxExpansion)
        Fail(Xml, QCoreApplication::translate("TKvtmlDocument",
                                              "its entities expand to more than %1 characters")
                      .arg(MaxExpansion));
}

// The document's elements, read without recursion and with the limits above.
class TReader
{
public:
    explicit TReader(const QByteArray& Bytes) : Xml(Bytes), FBytes(Bytes) {}

    // As QXmlStreamReader::readNextStartElement.
    bool NextStart()
    {
        while (Next() != QXmlStreamReader::Invalid) {
            if (Xml.isEndElement() || Xml.isEndDocument())
                return false;
            if (Xml.isStartElement())
                return true;
        }
        return false;
    }

    // As QXmlStreamReader::skipCurrentElement.
    void Skip()
    {
        for (int Depth = 1; Depth > 0 && Next() != QXmlStreamReader::Invalid;)
            Depth += Xml.isStartElement() ? 1 : Xml.isEndElement() ? -1 : 0;
    }

    // The text of the current element and the elements inside it.
    QString Text()
    {
        QString Result;
        for (int Depth = 1; Depth > 0 && Next() != QXmlStreamReader::Invalid;) {
            if (Xml.isCharacters() || Xml.isEntityReference())
                Result += Xml.text();
            Depth += Xml.isStartElement() ? 1 : Xml.isEndElement() ? -1 : 0;
        }
        return Result;
    }

    QXmlStreamReader Xml;

private:
    QXmlStreamReader::TokenType Next()
    {
        const QXmlStreamReader::TokenType Token = Xml.readNext();
        if (Token == QXmlStreamReader::StartElement && ++FDepth > MaxDepth)
            Fail(Xml, QCoreApplication::translate("TKvtmlDocument",
                                                  "elements are nested more than %1 deep")
                          .arg(MaxDepth));
        if (Token == QXmlStreamReader::EndElement)
            --FDepth;
        if (Token == QXmlStreamReader::DTD)
            CheckEntities(Xml, FBytes);
        return Token;
    }

    const QByteArray& FBytes;
    int FDepth = 0;
};

void ReadTranslation(TReader& Reader, TEntry& Entry)
{
    QXmlStreamReader& Xml = Reader.Xml;
    const QString Id = Xml.attributes().value("id").toString();
    while (Reader.NextStart()) {
        if (Xml.name() == u"text")
            Entry.Texts[Id] = Reader.Text();
        else if (Xml.name() == u"pronunciation")
            Entry.Pronunciations[Id] = Reader.Text();
        else
            Reader.Skip();
    }
}

struct TLanguage
{
    QString Id;
    QString Name;
    QString Locale;
};

TLanguage ReadIdentifier(TReader& Reader)
{
    QXmlStreamReader& Xml = Reader.Xml;
    TLanguage Language{Xml.attributes().value("id").toString(), {}, {}};
    while (Reader.NextStart()) {
        if (Xml.name() == u"name")
            Language.Name = Reader.Text().trimmed();
        else if (Xml.name() == u"locale")
            Language.Locale = Reader.Text().trimmed();
        else
            Reader.Skip();
    }
    return Language;
}

// Whether Language is the one with the locale Code ("en", "en_GB", "en-US") or the name Name.
bool Is(const TLanguage& Language, QLatin1StringView Code, QStringView Name)
{
    const QString Locale = Language.Locale.toLower();
    return Locale == Code || Locale.startsWith(Code + u'_') || Locale.startsWith(Code + u'-') ||
           Language.Name.compare(Name, Qt::CaseInsensitive) == 0;
}

// The ids of the English and the Bulgarian texts: the languages whose locale (en*, bg*) or name
// says so, else the first ones not taken, in document order. Note names the languages left out.
std::pair<QString, QString> ChooseLanguages(const std::vector<TLanguage>& Languages, QString& Note)
{
    qsizetype English = -1;
    qsizetype Bulgarian = -1;
    for (qsizetype I = 0; I < qsizetype(Languages.size()); ++I) {
        if (English < 0 && Is(Languages[I], QLatin1StringView("en"), u"English"))
            English = I;
        else if (Bulgarian < 0 && Is(Languages[I], QLatin1StringView("bg"), u"Bulgarian"))
            Bulgarian = I;
    }
    for (qsizetype I = 0; I < qsizetype(Languages.size()); ++I) {
        if (I == English || I == Bulgarian)
            continue;
        if (English < 0)
            English = I;
        else if (Bulgarian < 0)
            Bulgarian = I;
    }
    QStringList Left;
    for (qsizetype I = 0; I < qsizetype(Languages.size()); ++I)
        if (I != English && I != Bulgarian)
            Left << (Languages[I].Name.isEmpty() ? Languages[I].Locale : Languages[I].Name);
    if (!Left.isEmpty())
        Note = QCoreApplication::translate("TKvtmlDocument", "Languages left out: %1.")
                   .arg(Left.join(QStringLiteral(", ")));
    auto IdOf = [&](qsizetype At, const char* Default) {
        return At >= 0 ? Languages[At].Id : QString::fromLatin1(Default);
    };
    return {IdOf(English, "0"), IdOf(Bulgarian, "1")};
}

// A lesson and the lessons inside it: entries take the level of the innermost "Level N" lesson.
// (The depth limit bounds the recursion.)
void ReadContainer(TReader& Reader, int Level, std::map<QString, int>& Levels)
{
    static const QRegularExpression LevelName(QStringLiteral("^\\s*Level\\s+([0-9])\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    QXmlStreamReader& Xml = Reader.Xml;
    while (Reader.NextStart()) {
        if (Xml.name() == u"name") {
            const auto Match = LevelName.match(Reader.Text());
            if (Match.hasMatch())
                Level = Match.captured(1).toInt();
        } else if (Xml.name() == u"entry") {
            if (Level >= 0)
                Levels[Xml.attributes().value("id").toString()] = Level;
            Reader.Skip();
        } else if (Xml.name() == u"container") {
            ReadContainer(Reader, Level, Levels);
        } else {
            Reader.Skip();
        }
    }
}

} // namespace

TSourceData Read(const QByteArray& Bytes)
{
    TReader Reader(Bytes);
    QXmlStreamReader& Xml = Reader.Xml;
    if (!Reader.NextStart()) {
        if (Xml.hasError())
            Fail(Xml, Xml.errorString());
        Fail(Xml, QCoreApplication::translate("TKvtmlDocument", "it holds no element"));
    }
    if (Xml.name() != u"kvtml")
        Fail(Xml, QCoreApplication::translate("TKvtmlDocument", "its root element is not kvtml"));
    if (!Xml.attributes().value("version").startsWith(u"2"))
        Fail(Xml,
             QCoreApplication::translate("TKvtmlDocument", "only version 2 documents are read"));

    std::vector<TLanguage> Identifiers; // in document order
    std::vector<std::pair<QString, TEntry>> Entries;
    std::map<QString, int> Levels;
    while (Reader.NextStart()) {
        if (Xml.name() == u"identifiers") {
            while (Reader.NextStart()) {
                if (Xml.name() == u"identifier")
                    Identifiers.push_back(ReadIdentifier(Reader));
                else
                    Reader.Skip();
            }
        } else if (Xml.name() == u"entries") {
            while (Reader.NextStart()) {
                if (Xml.name() != u"entry") {
                    Reader.Skip();
                    continue;
                }
                TEntry Entry;
                Entry.Line = static_cast<int>(Xml.lineNumber());
                const QString Id = Xml.attributes().value("id").toString();
                while (Reader.NextStart()) {
                    if (Xml.name() == u"translation")
                        ReadTranslation(Reader, Entry);
                    else
                        Reader.Skip();
                }
                Entries.emplace_back(Id, std::move(Entry));
            }
        } else if (Xml.name() == u"lessons") {
            ReadContainer(Reader, -1, Levels);
        } else {
            Reader.Skip();
        }
    }
    if (Xml.hasError())
        Fail(Xml, Xml.errorString());

    TSourceData Data;
    const auto [First, Second] = ChooseLanguages(Identifiers, Data.Note);
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

// Text as XML character data: markup characters as entities, line breaks as LF (with KeepCr, a
// CR as a character reference, which a reader keeps), other control characters (which XML 1.0
// cannot carry) dropped.
void AppendEscaped(QString& Out, QStringView Text, bool KeepCr)
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
            if (KeepCr)
                Out += QLatin1StringView("&#13;");
            else if (I + 1 >= Text.size() || Text[I + 1] != u'\n')
                Out += u'\n'; // CR LF is written as LF
            break;
        default:
            if (C.unicode() >= 0x20 || C == u'\n' || C == u'\t')
                Out += C;
        }
    }
}

void AppendElement(QString& Out, QLatin1StringView Indent, QLatin1StringView Name, QStringView Text,
                   bool KeepCr = true)
{
    Out += Indent;
    Out += u'<';
    Out += Name;
    Out += u'>';
    AppendEscaped(Out, Text, KeepCr);
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
        // The Bulgarian text's lines as LF; the import makes them CR LF again.
        AppendElement(Out, QLatin1StringView("    "), QLatin1StringView("text"),
                      Entry.BulgarianText, false);
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
