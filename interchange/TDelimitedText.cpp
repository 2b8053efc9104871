#include "interchange/TDelimitedText.h"

#include "interchange/TFormulaGuard.h"
#include "interchange/TTableRows.h"
#include "interchange/TTextDecoding.h"
#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace TDelimitedText {

namespace {

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

} // namespace

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
    const QString Text = TTextDecoding::DecodeAs(Bytes, Options.Encoding);
    Bytes = QByteArray();
    QStringView Rest(Text);
    int FirstLine = 1;
    QChar Separator;
    QString ColumnsLine;
    TTableRows::TMetaColumns Meta;
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
    TTableRows::TColumns Columns;
    bool HeaderKnown = false;
    if (!Options.Columns.isEmpty()) {
        Columns = TTableRows::ColumnsNamed(Options.Columns);
        HeaderKnown = true;
    } else if (!ColumnsLine.isEmpty() &&
               TTableRows::ReadHeader(ColumnsLine.split(Separator), Columns)) {
        HeaderKnown = true;
    } else if (Meta.Any()) {
        Columns = Meta.Columns();
        HeaderKnown = true;
    } else if (!ColumnsLine.isEmpty()) {
        Columns = {};
        HeaderKnown = true;
    }
    using TTableRows::TRowBuilder;
    TRowBuilder Builder{Data, Columns, Meta, Options.UndoFormulaGuard, Html, HeaderKnown};
    SplitRecords(Rest, Separator, FirstLine, [&](TRecord& Record) { Builder.Take(Record); });
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
        return GuardFormulas ? TFormulaGuard::Guard(Text) : Text;
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
