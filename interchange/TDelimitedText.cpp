#include "interchange/TDelimitedText.h"

#include "interchange/TForeignText.h"
#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace TDelimitedText {

qsizetype FirstBadUtf8(QByteArrayView Bytes, qsizetype From)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes.constData());
    const qsizetype N = Bytes.size();
    qsizetype I = From;
    while (I < N) {
        const unsigned char C = P[I];
        if (C < 0x80) {
            ++I;
            continue;
        }
        int Length = 0;
        uint32_t Code = 0;
        if ((C & 0xE0) == 0xC0) {
            Length = 2;
            Code = C & 0x1F;
        } else if ((C & 0xF0) == 0xE0) {
            Length = 3;
            Code = C & 0x0F;
        } else if ((C & 0xF8) == 0xF0) {
            Length = 4;
            Code = C & 0x07;
        } else {
            return I;
        }
        if (I + Length > N)
            return I;
        for (int K = 1; K < Length; ++K) {
            if ((P[I + K] & 0xC0) != 0x80)
                return I;
            Code = (Code << 6) | (P[I + K] & 0x3F);
        }
        static constexpr std::array<uint32_t, 5> Least{0, 0, 0x80, 0x800, 0x10000};
        if (Code < Least[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return I;
        I += Length;
    }
    return -1;
}

namespace {

int LineAt(const QByteArray& Bytes, qsizetype Offset)
{
    return static_cast<int>(QByteArrayView(Bytes).first(Offset).count('\n')) + 1;
}

QString DecodeUtf16(const QByteArray& Bytes, QStringConverter::Encoding Encoding)
{
    if ((Bytes.size() - 2) % 2 != 0)
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TDelimitedText", "The file is marked as UTF-16 text but ends in the middle of a "
                              "character."));
    QStringDecoder Decoder(Encoding, QStringConverter::Flag::Stateless);
    QString Text = Decoder.decode(QByteArrayView(Bytes).sliced(2));
    qsizetype Bad = Decoder.hasError() ? 0 : -1;
    // The decoder lets a surrogate without its pair through.
    for (qsizetype I = 0; Bad < 0 && I < Text.size(); ++I) {
        if (Text[I].isHighSurrogate() && I + 1 < Text.size() && Text[I + 1].isLowSurrogate())
            ++I;
        else if (Text[I].isSurrogate())
            Bad = I;
    }
    if (Bad >= 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TDelimitedText",
                "The file is marked as UTF-16 text but line %1 is not well-formed "
                "UTF-16 (half of a character pair stands alone).")
                .arg(QStringView(Text).first(Bad).count(u'\n') + 1));
    return Text;
}

// Whether Bytes look like UTF-32 text: a byte-order mark of UTF-32, or (without one) code units
// of four bytes whose upper half is zero.
bool LooksLikeUtf32(const QByteArray& Bytes)
{
    if (Bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        Bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return true;
    if (Bytes.size() < 4 || Bytes.size() % 4 != 0)
        return false;
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes.constData());
    const qsizetype Units = std::min<qsizetype>(Bytes.size() / 4, 64);
    bool LittleEndian = true;
    bool BigEndian = true;
    for (qsizetype I = 0; I < Units; ++I) {
        const unsigned char* U = P + 4 * I;
        LittleEndian = LittleEndian && U[3] == 0 && U[2] <= 0x10 && (U[0] | U[1]) != 0;
        BigEndian = BigEndian && U[0] == 0 && U[1] <= 0x10 && (U[2] | U[3]) != 0;
    }
    return LittleEndian || BigEndian;
}

bool IsFormulaStart(QChar C)
{
    return C == u'=' || C == u'+' || C == u'-' || C == u'@';
}

// Whether Field, after its leading apostrophes, begins like a spreadsheet formula. A guarded field
// is the field with one more apostrophe in front, so guarding and taking the guard off again give
// back any text exactly.
bool BeginsLikeFormula(QStringView Field, qsizetype Apostrophes)
{
    qsizetype I = 0;
    while (I < Field.size() && Field[I] == u'\'')
        ++I;
    return I >= Apostrophes && I < Field.size() && IsFormulaStart(Field[I]);
}

QString GuardFormula(const QString& Field)
{
    return BeginsLikeFormula(Field, 0) ? u'\'' + Field : Field;
}

void UnguardFormula(QString& Field)
{
    if (BeginsLikeFormula(Field, 1))
        Field.remove(0, 1);
}

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

// Column positions for the four fields from a header; -1 where the header has none.
struct TColumns
{
    std::array<int, 4> At{0, 1, 2, 3};
};

// Whether Fields look like a header row: every non-empty name is one we know, or at least two
// are. Fills Columns when they do.
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

QChar SeparatorNamed(const QString& Value)
{
    const QString Name = Value.trimmed().toLower();
    if (Name == "tab" || Value == "\t")
        return u'\t';
    if (Name == "comma" || Name == ",")
        return u',';
    if (Name == "semicolon" || Name == ";")
        return u';';
    if (Name == "pipe" || Name == "|")
        return u'|';
    if (Name == "space" || Value == " ")
        return u' ';
    if (Name.size() == 1)
        return Name[0];
    return QChar();
}

bool NeedsQuotes(const QString& Field, QChar Separator)
{
    // A line that starts with '#' might be taken for a header line.
    if (Field.startsWith(u'#'))
        return true;
    for (const QChar C : Field)
        if (C == Separator || C == u'"' || C == u'\n' || C == u'\r' || C == u'\t')
            return true;
    return false;
}

void AppendField(QString& Out, const QString& Field, QChar Separator, bool Quoted = false)
{
    if (!Quoted && !NeedsQuotes(Field, Separator)) {
        Out += Field;
        return;
    }
    Out += u'"';
    for (const QChar C : Field) {
        if (C == u'"')
            Out += u'"';
        Out += C;
    }
    Out += u'"';
}

// The Bulgarian text with its CR LF line breaks as Break.
QString WithBreaks(const QString& Text, QLatin1StringView Break)
{
    QString Result = Text;
    Result.replace(QLatin1StringView("\r\n"), Break);
    return Result;
}


// The columns the user named, in order.
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

// The meta columns of flashcard notes ("#guid column:1"), 0-based; -1 where absent.
struct TMetaColumns
{
    std::vector<int> Skipped;
    int Tags = -1;

    void Take(const QString& Key, const QString& Value)
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
    bool Any() const { return !Skipped.empty(); }
    // The first two other columns are the note's front and back.
    TColumns Columns() const
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
    // "level::3" among the tags gives "3"; none gives an empty level.
    static QString LevelTag(const QString& Tags)
    {
        for (const QString& Tag : Tags.split(u' ', Qt::SkipEmptyParts))
            if (Tag.startsWith(QLatin1StringView("level::"), Qt::CaseInsensitive))
                return Tag.sliced(7);
        return QString();
    }
};

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

// Turns records into rows: the first record may be a header row naming the columns (unless they
// are known), blank records are left out, and without a header the number of columns decides.
struct TRowBuilder
{
    TSourceData& Data;
    TColumns Columns;
    TMetaColumns Meta;
    bool UndoFormulaGuard = false;
    bool Html = false;
    bool HeaderKnown = false;
    bool ByHeader = HeaderKnown;
    int MostFields = 0;

    void Take(TRecord& Record)
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
            UnguardFormula(Row.English);
            UnguardFormula(Row.Transcription);
            UnguardFormula(Row.Bulgarian);
        }
        if (Html) {
            Row.English = TForeignText::HtmlToPlain(Row.English);
            Row.Transcription = TForeignText::HtmlToPlain(Row.Transcription);
            Row.Bulgarian = TForeignText::HtmlToPlain(Row.Bulgarian);
        }
        Data.Rows.push_back(std::move(Row));
    }
    void Finish()
    {
        if (!ByHeader)
            ArrangeByCount(Data, MostFields);
    }
};

// Text of Bytes in Encoding (empty: UTF-8, UTF-16 by its mark, or Windows-1251 when the bytes
// are no UTF-8 and read as Cyrillic text there).
QString DecodeAs(const QByteArray& Bytes, const QString& Encoding)
{
    if (!Encoding.isEmpty() && Encoding != "utf-8")
        return TForeignText::Decode(Bytes, Encoding);
    const bool Marked = Bytes.startsWith("\xEF\xBB\xBF") || Bytes.startsWith("\xFF\xFE") ||
                        Bytes.startsWith("\xFE\xFF") || LooksLikeUtf32(Bytes) ||
                        Bytes.contains('\0');
    if (Marked || !Encoding.isEmpty() || FirstBadUtf8(Bytes) < 0)
        return DecodeText(Bytes);
    if (TForeignText::LooksLikeWindows1251(Bytes))
        return TForeignText::FromWindows1251(Bytes);
    try {
        return DecodeText(Bytes);
    } catch (const EVexloDatabaseError& Error) {
        throw EInterchangeQuestion(EInterchangeQuestion::TKind::Encoding, Error.Message());
    }
}

} // namespace

QString DecodeText(const QByteArray& Bytes)
{
    if (Bytes.startsWith("\xEF\xBB\xBF")) {
        if (const qsizetype Bad = FirstBadUtf8(Bytes, 3); Bad >= 0)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TDelimitedText", "The file is marked as UTF-8 text but line %1 is not UTF-8.")
                    .arg(LineAt(Bytes, Bad)));
        return QString::fromUtf8(QByteArrayView(Bytes).sliced(3));
    }
    if (LooksLikeUtf32(Bytes))
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TDelimitedText", "The file is UTF-32 text, not UTF-8 or UTF-16: save it as UTF-8 and "
                              "import it again."));
    if (Bytes.startsWith("\xFF\xFE"))
        return DecodeUtf16(Bytes, QStringConverter::Utf16LE);
    if (Bytes.startsWith("\xFE\xFF"))
        return DecodeUtf16(Bytes, QStringConverter::Utf16BE);
    if (const qsizetype Nul = Bytes.indexOf('\0'); Nul >= 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TDelimitedText",
                "Line %1 of the file holds a NUL byte: this is not a text file, or it "
                "is UTF-16 text without a byte-order mark. Save it as UTF-8.")
                .arg(LineAt(Bytes, Nul)));
    QStringDecoder Decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString Text = Decoder.decode(Bytes);
    if (!Decoder.hasError())
        return Text;
    // Find the first bad line only when there is one.
    const qsizetype Bad = std::max<qsizetype>(0, FirstBadUtf8(Bytes, 0));
    throw EVexloDatabaseError(
        QCoreApplication::translate(
            "TDelimitedText", "Line %1 of the file is not UTF-8 text. Save the file as UTF-8 (or "
                              "UTF-16 with a byte-order mark) and import it again.")
            .arg(LineAt(Bytes, Bad)));
}

std::vector<TRecord> SplitRecords(QStringView Text, QChar Separator, int FirstLine)
{
    std::vector<TRecord> Records;
    SplitRecords(Text, Separator, FirstLine,
                 [&Records](TRecord& Record) { Records.push_back(std::move(Record)); });
    return Records;
}

void SplitRecords(QStringView Text, QChar Separator, int FirstLine,
                  const std::function<void(TRecord& Record)>& Sink)
{
    const qsizetype N = Text.size();
    const QChar* P = Text.data();
    qsizetype I = 0;
    int Line = FirstLine;
    while (I < N) {
        TRecord Record;
        Record.Line = Line;
        bool EndOfRecord = false;
        while (!EndOfRecord) {
            QString Field;
            if (I < N && P[I] == u'"') {
                const int OpenedAt = Line;
                ++I;
                for (;;) {
                    const qsizetype Start = I;
                    while (I < N && P[I] != u'"') {
                        if (P[I] == u'\n' || (P[I] == u'\r' && (I + 1 >= N || P[I + 1] != u'\n')))
                            ++Line;
                        ++I;
                    }
                    Field.append(P + Start, I - Start);
                    if (I >= N)
                        throw EVexloDatabaseError(
                            QCoreApplication::translate(
                                "TDelimitedText",
                                "The quotes opened on line %1 are never closed: the "
                                "file is not well-formed.")
                                .arg(OpenedAt));
                    ++I; // the quote
                    if (I < N && P[I] == u'"') {
                        Field += u'"';
                        ++I;
                        continue;
                    }
                    break;
                }
                if (I < N && P[I] != Separator && P[I] != u'\n' && P[I] != u'\r') {
                    if (Record.Problem.isEmpty())
                        Record.Problem = QCoreApplication::translate(
                            "TDelimitedText", "text follows a closing quote");
                    const qsizetype Start = I;
                    while (I < N && P[I] != Separator && P[I] != u'\n' && P[I] != u'\r')
                        ++I;
                    Field.append(P + Start, I - Start);
                }
            } else {
                const qsizetype Start = I;
                while (I < N && P[I] != Separator && P[I] != u'\n' && P[I] != u'\r')
                    ++I;
                Field = QString(P + Start, I - Start);
            }
            Record.Fields.append(std::move(Field));
            if (I >= N) {
                EndOfRecord = true;
            } else if (P[I] == Separator) {
                ++I;
            } else {
                if (P[I] == u'\r' && I + 1 < N && P[I + 1] == u'\n')
                    ++I;
                ++I;
                ++Line;
                EndOfRecord = true;
            }
        }
        Sink(Record);
    }
}

QChar DetectSeparator(QStringView Text)
{
    static constexpr std::array<char16_t, 3> Candidates{u'\t', u';', u','};
    std::vector<std::array<int, 3>> Counts;
    std::array<int, 3> Current{};
    bool Quoted = false;
    bool Any = false;
    for (qsizetype I = 0; I < Text.size() && Counts.size() < 20; ++I) {
        const QChar C = Text[I];
        if (C == u'"') {
            Quoted = !Quoted;
        } else if (!Quoted && (C == u'\n' || C == u'\r')) {
            if (Any)
                Counts.push_back(Current);
            Current = {};
            Any = false;
            continue;
        } else if (!Quoted) {
            for (int K = 0; K < 3; ++K)
                if (C == Candidates[K])
                    ++Current[K];
        }
        Any = true;
    }
    if (Any && Counts.size() < 20)
        Counts.push_back(Current);
    int Best = 0;
    int BestScore = 0;
    for (int K = 0; K < 3; ++K) {
        // The most common non-zero count of this candidate, and on how many lines it occurs.
        std::map<int, int> Frequency;
        for (const auto& Line : Counts)
            if (Line[K] > 0)
                ++Frequency[Line[K]];
        int Score = 0;
        for (const auto& [Count, Lines] : Frequency)
            Score = std::max(Score, Lines);
        if (Score > BestScore) {
            Best = K;
            BestScore = Score;
        }
    }
    return Candidates[Best];
}

TSourceData Read(QByteArray Bytes, bool UndoFormulaGuard)
{
    TReadOptions Options;
    Options.UndoFormulaGuard = UndoFormulaGuard;
    return Read(std::move(Bytes), Options);
}

TSourceData Read(QByteArray Bytes, const TReadOptions& Options)
{
    const QString Text = DecodeAs(Bytes, Options.Encoding);
    Bytes = QByteArray();
    QStringView Rest(Text);
    int FirstLine = 1;
    QChar Separator;
    QString ColumnsLine;
    TMetaColumns Meta;
    bool Html = false;
    // Header lines of flashcard programs: "#key:value", before the first record.
    while (Rest.startsWith(u'#')) {
        qsizetype End = Rest.indexOf(u'\n');
        const QStringView Line = (End < 0 ? Rest : Rest.first(End));
        const qsizetype Colon = Line.indexOf(u':');
        bool IsHeader = Colon > 1;
        for (qsizetype K = 1; IsHeader && K < Colon; ++K)
            IsHeader = Line[K].isLetter() || Line[K] == u' ';
        if (!IsHeader)
            break;
        const QString Key = Line.sliced(1, Colon - 1).trimmed().toString().toLower();
        QString Value = Line.sliced(Colon + 1).toString();
        if (Value.endsWith(u'\r'))
            Value.chop(1);
        if (Key == "separator")
            Separator = SeparatorNamed(Value);
        else if (Key == "columns")
            ColumnsLine = Value;
        else if (Key == "html")
            Html = Value.trimmed().compare(QLatin1StringView("true"), Qt::CaseInsensitive) == 0;
        else
            Meta.Take(Key, Value);
        ++FirstLine;
        Rest = End < 0 ? QStringView() : Rest.sliced(End + 1);
    }
    // KDE's lists begin with the document's title and author.
    for (const QLatin1StringView Title : {QLatin1StringView("title:"), QLatin1StringView("author:")}) {
        if (!Rest.startsWith(Title, Qt::CaseInsensitive))
            continue;
        const qsizetype End = Rest.indexOf(u'\n');
        ++FirstLine;
        Rest = End < 0 ? QStringView() : Rest.sliced(End + 1);
    }
    if (Separator.isNull())
        Separator = DetectSeparator(Rest);

    TSourceData Data;
    // A rough count of the rows, so that the list grows once.
    Data.Rows.reserve(static_cast<size_t>(Rest.count(u'\n')) + 1);
    TColumns Columns;
    bool HeaderKnown = false;
    if (!Options.Columns.isEmpty()) {
        Columns = ColumnsNamed(Options.Columns);
        HeaderKnown = true;
    } else if (!ColumnsLine.isEmpty() && ReadHeader(ColumnsLine.split(Separator), Columns)) {
        HeaderKnown = true;
    } else if (Meta.Any()) {
        Columns = Meta.Columns();
        HeaderKnown = true;
    } else if (!ColumnsLine.isEmpty()) {
        Columns = {};
        HeaderKnown = true;
    }
    TRowBuilder Builder{Data, Columns, Meta, Options.UndoFormulaGuard, Html, HeaderKnown};
    SplitRecords(Rest, Separator, FirstLine, [&](TRecord& Record) { Builder.Take(Record); });
    Builder.Finish();
    return Data;
}

TSourceData ReadTable(std::vector<TRecord> Records, const TReadOptions& Options)
{
    TSourceData Data;
    Data.Rows.reserve(Records.size());
    TColumns Columns;
    const bool Named = !Options.Columns.isEmpty();
    if (Named)
        Columns = ColumnsNamed(Options.Columns);
    TRowBuilder Builder{Data, Columns, {}, false, false, Named};
    for (TRecord& Record : Records)
        Builder.Take(Record);
    Builder.Finish();
    return Data;
}

QByteArray WriteTsv(const std::vector<TEnBgRecord>& Entries)
{
    QString Out;
    Out.reserve(static_cast<qsizetype>(Entries.size()) * 48 + 128);
    Out += QStringLiteral("#separator:tab\n#html:false\n#columns:English\tTranscription\tBulgarian"
                          "\tLevel\n");
    for (const TEnBgRecord& Entry : Entries) {
        AppendField(Out, Entry.EnglishWord, u'\t');
        Out += u'\t';
        AppendField(Out, Entry.Transcription, u'\t');
        Out += u'\t';
        AppendField(Out, WithBreaks(Entry.BulgarianText, QLatin1StringView("\n")), u'\t');
        Out += u'\t';
        Out += QString::number(Entry.WordLevel);
        Out += u'\n';
    }
    return Out.toUtf8();
}

QByteArray WriteAnki(const std::vector<TEnBgRecord>& Entries, bool TranscriptionOnFront)
{
    QString Out;
    Out.reserve(static_cast<qsizetype>(Entries.size()) * 48 + 128);
    Out += QStringLiteral("#separator:tab\n#html:false\n#notetype:Basic\n#tags column:3\n");
    for (const TEnBgRecord& Entry : Entries) {
        QString Front = Entry.EnglishWord;
        QString Back = WithBreaks(Entry.BulgarianText, QLatin1StringView("\n"));
        if (!Entry.Transcription.isEmpty()) {
            const QString Said = u'[' + Entry.Transcription + u']';
            if (TranscriptionOnFront)
                Front += u' ' + Said;
            else
                Back = Said + u' ' + Back;
        }
        AppendField(Out, Front, u'\t');
        Out += u'\t';
        AppendField(Out, Back, u'\t');
        Out += QStringLiteral("\tlevel::%1\n").arg(Entry.WordLevel);
    }
    return Out.toUtf8();
}

QByteArray WriteCsv(const std::vector<TEnBgRecord>& Entries, bool GuardFormulas)
{
    const auto Cell = [GuardFormulas](const QString& Text) {
        return GuardFormulas ? GuardFormula(Text) : Text;
    };
    QString Out;
    Out.reserve(static_cast<qsizetype>(Entries.size()) * 48 + 64);
    Out += QStringLiteral("English,Transcription,Bulgarian,Level\r\n");
    for (const TEnBgRecord& Entry : Entries) {
        AppendField(Out, Cell(Entry.EnglishWord), u',', GuardFormulas);
        Out += u',';
        AppendField(Out, Cell(Entry.Transcription), u',', GuardFormulas);
        Out += u',';
        AppendField(Out, Cell(Entry.BulgarianText), u',', GuardFormulas);
        Out += u',';
        Out += QString::number(Entry.WordLevel);
        Out += QLatin1StringView("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + Out.toUtf8();
}

} // namespace TDelimitedText
