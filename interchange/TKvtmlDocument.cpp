#include "interchange/TKvtmlDocument.h"

#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace TKvtmlDocument {

namespace {

struct TEntry
{
    int Line = 0;
    QMap<QString, QString> Texts;          // translation id -> text
    QMap<QString, QString> Pronunciations; // translation id -> pronunciation
    // translation id + '/' + the id of the language practised from (empty: not said) -> grade
    QMap<QString, TSourceGrade> Grades;
    QMap<QString, TMemoryState> Memories; // translation id -> the review's memory we wrote
};

// Where an entry stands in the lessons.
struct TPlace
{
    int Level = -1;
    QStringList Lesson;
};

// The element that carries the review's exact memory beside a grade.
constexpr QLatin1StringView MemoryElement("vexlo-memory");

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

TSourceGrade ReadGrade(TReader& Reader)
{
    QXmlStreamReader& Xml = Reader.Xml;
    TSourceGrade Grade;
    auto Number = [&] { return std::max(0, Reader.Text().trimmed().toInt()); };
    while (Reader.NextStart()) {
        if (Xml.name() == u"currentgrade") {
            Grade.Box = Number();
        } else if (Xml.name() == u"count") {
            Grade.Count = Number();
        } else if (Xml.name() == u"errorcount") {
            Grade.Errors = Number();
        } else if (Xml.name() == u"date") {
            const QDateTime Date = QDateTime::fromString(Reader.Text().trimmed(), Qt::ISODate);
            Grade.Date = Date.isValid() ? std::max<qint64>(0, Date.toMSecsSinceEpoch()) : 0;
        } else {
            Reader.Skip();
        }
    }
    return Grade;
}

// The memory a vexlo-memory element carries, when every part is there and sound.
std::optional<TMemoryState> ReadMemory(TReader& Reader)
{
    const QXmlStreamAttributes Attributes = Reader.Xml.attributes();
    Reader.Skip();
    bool Ok = true;
    auto Real = [&](const char* Name) {
        bool Good = false;
        const double Value = Attributes.value(QLatin1StringView(Name)).toDouble(&Good);
        Ok = Ok && Good && std::isfinite(Value);
        return Value;
    };
    auto Whole = [&](const char* Name) {
        bool Good = false;
        const qint64 Value = Attributes.value(QLatin1StringView(Name)).toLongLong(&Good);
        Ok = Ok && Good && Value >= 0;
        return Value;
    };
    TMemoryState State;
    State.Stability = Real("stability");
    State.Difficulty = Real("difficulty");
    State.Due = Whole("due");
    State.LastReview = Whole("lastreview");
    const qint64 Reps = Whole("reps");
    const qint64 Lapses = Whole("lapses");
    const qint64 Scheduled = Whole("scheduleddays");
    State.Phase = TMemoryState::phReview;
    if (!Ok || State.Stability <= 0 || State.Difficulty < 1 || State.Difficulty > 10 || Reps < 1 ||
        Reps > std::numeric_limits<int32_t>::max() || Lapses > Reps ||
        Scheduled > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    State.Reps = static_cast<int32_t>(Reps);
    State.Lapses = static_cast<int32_t>(Lapses);
    State.ScheduledDays = static_cast<int32_t>(Scheduled);
    return State;
}

void ReadTranslation(TReader& Reader, TEntry& Entry)
{
    QXmlStreamReader& Xml = Reader.Xml;
    const QString Id = Xml.attributes().value("id").toString();
    while (Reader.NextStart()) {
        if (Xml.name() == u"text") {
            Entry.Texts[Id] = Reader.Text();
        } else if (Xml.name() == u"pronunciation") {
            Entry.Pronunciations[Id] = Reader.Text();
        } else if (Xml.name() == u"grade") {
            const QString From = Xml.attributes().value("fromid").toString();
            Entry.Grades[Id + u'/' + From] = ReadGrade(Reader);
        } else if (Xml.name() == MemoryElement) {
            if (const auto Memory = ReadMemory(Reader))
                Entry.Memories[Id] = *Memory;
        } else {
            Reader.Skip();
        }
    }
}

// The record of practising From -> To, with our memory where it still tells the same.
std::optional<TSourceGrade> GradeOf(const TEntry& Entry, const QString& From, const QString& To)
{
    auto It = Entry.Grades.constFind(To + u'/' + From);
    if (It == Entry.Grades.constEnd())
        It = Entry.Grades.constFind(To + u'/');
    if (It == Entry.Grades.constEnd())
        return std::nullopt;
    TSourceGrade Grade = It.value();
    if (const auto Memory = Entry.Memories.constFind(To); Memory != Entry.Memories.constEnd()) {
        const auto Ours = TKvtmlExtras::GradeOf(Memory.value());
        if (Ours && Ours->Box == Grade.Box && Ours->Count == Grade.Count &&
            Ours->Errors == Grade.Errors && Ours->Date / 1000 == Grade.Date / 1000)
            Grade.Memory = Memory.value();
    }
    return Grade;
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

QString NameOf(const TLanguage& Language)
{
    return Language.Name.isEmpty() ? Language.Locale : Language.Name;
}

// The ids of the English and the Bulgarian texts: as Options says, else the languages whose
// locale (en*, bg*) or name says so, else the first ones not taken, in document order (or a
// question, where Options asks for one). Note names the languages left out.
std::pair<QString, QString> ChooseLanguages(const std::vector<TLanguage>& Languages,
                                            const TReadOptions& Options, QString& Note)
{
    const qsizetype Count = qsizetype(Languages.size());
    qsizetype English = -1;
    qsizetype Bulgarian = -1;
    if (!Options.Languages.isEmpty()) {
        English = Options.Languages.value(0, -1);
        Bulgarian = Options.Languages.value(1, -1);
        if (English < 0 || English >= Count || Bulgarian < 0 || Bulgarian >= Count ||
            English == Bulgarian)
            throw EVexloDatabaseError(QCoreApplication::translate(
                "TKvtmlDocument", "Choose two different languages of the document."));
    }
    bool ByOrder = false;
    for (qsizetype I = 0; Options.Languages.isEmpty() && I < Count; ++I) {
        if (English < 0 && Is(Languages[I], QLatin1StringView("en"), u"English"))
            English = I;
        else if (Bulgarian < 0 && Is(Languages[I], QLatin1StringView("bg"), u"Bulgarian"))
            Bulgarian = I;
    }
    for (qsizetype I = 0; I < Count; ++I) {
        if (I == English || I == Bulgarian)
            continue;
        ByOrder = ByOrder || English < 0 || Bulgarian < 0;
        if (English < 0)
            English = I;
        else if (Bulgarian < 0)
            Bulgarian = I;
    }
    // Languages with codes that name neither, or more than two: the user says which.
    bool Coded = false;
    for (const TLanguage& Language : Languages)
        Coded = Coded || !Language.Locale.isEmpty();
    if (Options.AskLanguages && Options.Languages.isEmpty() && (Count > 2 || (ByOrder && Coded))) {
        QStringList Labels;
        for (const TLanguage& Language : Languages)
            Labels << (Language.Locale.isEmpty() || Language.Name.isEmpty()
                           ? NameOf(Language)
                           : QStringLiteral("%1 (%2)").arg(Language.Name, Language.Locale));
        EInterchangeQuestion Question(
            EInterchangeQuestion::TKind::Languages,
            Count > 2
                ? QCoreApplication::translate("TKvtmlDocument", "The document holds %1 languages.")
                      .arg(Count)
                : QCoreApplication::translate(
                      "TKvtmlDocument",
                      "The document's language codes do not say which is English and "
                      "which is Bulgarian."),
            Labels);
        Question.Suggested = {int(English), int(Bulgarian)};
        throw Question;
    }
    QStringList Lines;
    if (ByOrder && English >= 0 && Bulgarian >= 0)
        Lines << QCoreApplication::translate("TKvtmlDocument",
                                             "Taken in the document's order: %1 as English, %2 as "
                                             "Bulgarian.")
                     .arg(NameOf(Languages[English]), NameOf(Languages[Bulgarian]));
    QStringList Left;
    for (qsizetype I = 0; I < Count; ++I)
        if (I != English && I != Bulgarian)
            Left << NameOf(Languages[I]);
    if (!Left.isEmpty())
        Lines << QCoreApplication::translate("TKvtmlDocument", "Languages left out: %1.")
                     .arg(Left.join(QStringLiteral(", ")));
    Note = Lines.join(u'\n');
    auto IdOf = [&](qsizetype At, const char* Default) {
        return At >= 0 ? Languages[At].Id : QString::fromLatin1(Default);
    };
    return {IdOf(English, "0"), IdOf(Bulgarian, "1")};
}

// A lesson and the lessons inside it: entries take the level of the innermost "Level N" lesson
// and the names of the others as their lesson path. (The depth limit bounds the recursion.)
void ReadContainer(TReader& Reader, TPlace Place, std::map<QString, TPlace>& Places)
{
    static const QRegularExpression LevelName(QStringLiteral("^\\s*Level\\s+([0-9])\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    QXmlStreamReader& Xml = Reader.Xml;
    while (Reader.NextStart()) {
        if (Xml.name() == u"name") {
            const QString Name = Reader.Text();
            const auto Match = LevelName.match(Name);
            if (Match.hasMatch())
                Place.Level = Match.captured(1).toInt();
            else
                Place.Lesson << Name;
        } else if (Xml.name() == u"entry") {
            Places[Xml.attributes().value("id").toString()] = Place;
            Reader.Skip();
        } else if (Xml.name() == u"container") {
            ReadContainer(Reader, Place, Places);
        } else {
            Reader.Skip();
        }
    }
}

} // namespace

TSourceData Read(const QByteArray& Bytes, const TReadOptions& Options)
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
    std::map<QString, TPlace> Places;
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
            ReadContainer(Reader, {}, Places);
        } else {
            Reader.Skip();
        }
    }
    if (Xml.hasError())
        Fail(Xml, Xml.errorString());

    TSourceData Data;
    const auto [First, Second] = ChooseLanguages(Identifiers, Options, Data.Note);
    Data.Rows.reserve(Entries.size());
    for (auto& [Id, Entry] : Entries) {
        TSourceRow Row;
        Row.Line = Entry.Line;
        Row.English = Entry.Texts.value(First);
        Row.Transcription = Entry.Pronunciations.value(First);
        Row.Bulgarian = Entry.Texts.value(Second);
        if (const auto It = Places.find(Id); It != Places.end()) {
            if (It->second.Level >= 0)
                Row.Level = QString::number(It->second.Level);
            Row.Lesson = It->second.Lesson;
        }
        Row.Grade = GradeOf(Entry, First, Second);
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

// The record of practising English -> Bulgarian as KDE's programs keep it, and the review's
// exact memory beside it.
void AppendGrade(QString& Out, const TSourceGrade& Grade)
{
    const QLatin1StringView Indent("     ");
    Out += QLatin1StringView("    <grade>\n");
    AppendElement(Out, Indent, QLatin1StringView("currentgrade"), QString::number(Grade.Box));
    AppendElement(Out, Indent, QLatin1StringView("count"), QString::number(Grade.Count));
    AppendElement(Out, Indent, QLatin1StringView("errorcount"), QString::number(Grade.Errors));
    AppendElement(Out, Indent, QLatin1StringView("date"),
                  QDateTime::fromMSecsSinceEpoch(Grade.Date, Qt::UTC).toString(Qt::ISODate));
    Out += QLatin1StringView("    </grade>\n");
    if (!Grade.Memory)
        return;
    const TMemoryState& M = *Grade.Memory;
    Out += QStringLiteral("    <%1 stability=\"%2\" difficulty=\"%3\" due=\"%4\" lastreview=\"%5\" "
                          "reps=\"%6\" lapses=\"%7\" scheduleddays=\"%8\"/>\n")
               .arg(MemoryElement)
               .arg(QString::number(M.Stability, 'g', 17), QString::number(M.Difficulty, 'g', 17))
               .arg(M.Due)
               .arg(M.LastReview)
               .arg(M.Reps)
               .arg(M.Lapses)
               .arg(M.ScheduledDays);
}

// The lessons in the dictionary's order (see the header): containers are opened and closed as
// the entries' lesson paths go, and a lesson that already holds a lesson is opened anew for an
// entry of its own, since KDE's programs show a lesson's entries before its lessons.
void AppendLessons(QString& Out, const std::vector<TEnBgRecord>& Entries,
                   const std::vector<TKvtmlExtras::TEntryExtras>& Extras)
{
    static const QStringList NoLesson;
    auto PathOf = [&](size_t I) -> const QStringList& {
        return Extras.empty() ? NoLesson : Extras[I].Lesson;
    };
    struct TOpen
    {
        QString Name;
        bool HasChild = false;
    };
    std::vector<TOpen> Open;
    auto Indent = [&] { Out += QString(qsizetype(Open.size()) + 1, u' '); };
    auto Close = [&] {
        Open.pop_back();
        Indent();
        Out += QLatin1StringView(" </container>\n");
    };
    static const QStringList LevelNames = [] {
        QStringList Names;
        for (int Level = 0; Level <= 9; ++Level)
            Names << QStringLiteral("Level %1").arg(Level);
        return Names;
    }();
    QString OtherLevel;
    for (size_t I = 0; I < Entries.size(); ++I) {
        // The lessons that hold entry I, outermost first: its lesson path, then its level's.
        const QStringList& Path = PathOf(I);
        const int Level = Entries[I].WordLevel;
        const bool ByLevel = Path.isEmpty() || Level != 0;
        if (ByLevel && (Level < 0 || Level > 9))
            OtherLevel = QStringLiteral("Level %1").arg(Level);
        const size_t Depth = size_t(Path.size()) + (ByLevel ? 1 : 0);
        auto NameAt = [&](size_t K) -> const QString& {
            if (K < size_t(Path.size()))
                return Path[qsizetype(K)];
            return Level >= 0 && Level <= 9 ? LevelNames[Level] : OtherLevel;
        };
        size_t Common = 0;
        while (Common < Open.size() && Common < Depth && Open[Common].Name == NameAt(Common))
            ++Common;
        while (Open.size() > Common)
            Close();
        if (Open.size() == Depth && Open.back().HasChild)
            Close();
        while (Open.size() < Depth) {
            if (!Open.empty())
                Open.back().HasChild = true;
            Indent();
            Out += QLatin1StringView(" <container>\n");
            Open.push_back({NameAt(Open.size())});
            Indent();
            AppendElement(Out, QLatin1StringView(" "), QLatin1StringView("name"), Open.back().Name);
            Indent();
            Out += QLatin1StringView(" <inpractice>true</inpractice>\n");
        }
        Indent();
        Out += QLatin1StringView(" <entry id=\"");
        Out += QString::number(I);
        Out += QLatin1StringView("\"/>\n");
    }
    while (!Open.empty())
        Close();
}

} // namespace

QByteArray Write(const std::vector<TEnBgRecord>& Entries, const QString& Title,
                 const std::vector<TKvtmlExtras::TEntryExtras>& Extras)
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
        if (!Extras.empty() && Extras[I].Memory)
            if (const auto Grade = TKvtmlExtras::GradeOf(*Extras[I].Memory))
                AppendGrade(Out, *Grade);
        Out += QLatin1StringView("   </translation>\n  </entry>\n");
    }
    Out += QLatin1StringView(" </entries>\n <lessons>\n");
    AppendLessons(Out, Entries, Extras);
    Out += QLatin1StringView(" </lessons>\n</kvtml>\n");
    return Out.toUtf8();
}

} // namespace TKvtmlDocument
