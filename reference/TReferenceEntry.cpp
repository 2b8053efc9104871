#include "reference/TReferenceEntry.h"

#include "speech/TTranscription.h"

#include <QRegularExpression>
#include <QSet>

namespace {

constexpr QChar Acute(0x0301);
constexpr QChar Grave(0x0300);

QString WithoutAccents(QString Text)
{
    Text.remove(Acute);
    Text.remove(Grave);
    return Text;
}

// The comma-separated parts of a sense, each once (compared without accents), the first
// spelling of each kept.
QString Unique(const QString& Bulgarian, bool Accents)
{
    QStringList Out;
    QSet<QString> Seen;
    for (const QString& Part : Bulgarian.split(QLatin1Char(','))) {
        const QString Trimmed = Part.trimmed();
        const QString Bare = WithoutAccents(Trimmed);
        if (Trimmed.isEmpty() || Seen.contains(Bare.toLower()))
            continue;
        Seen.insert(Bare.toLower());
        Out.append(Accents ? Trimmed : Bare);
    }
    return Out.join(QStringLiteral(", "));
}

void ParseFirstLine(const QString& Line, TReferenceEntry* Entry)
{
    static const QRegularExpression Slashed(QStringLiteral("(?:^|\\s)(//?)(\\S(?:.*?\\S)?)\\1(?=\\s|$)"));
    static const QRegularExpression Part(QStringLiteral("<([^<>]+)>\\s*$"));
    qsizetype HeadEnd = Line.size();
    auto Matches = Slashed.globalMatch(Line);
    while (Matches.hasNext()) {
        const QRegularExpressionMatch M = Matches.next();
        HeadEnd = std::min(HeadEnd, M.capturedStart(1));
        const QString Ipa = M.captured(2).trimmed();
        if (!Ipa.startsWith(QLatin1Char('[')) && !Entry->Transcriptions.contains(Ipa))
            Entry->Transcriptions.append(Ipa);
    }
    const QRegularExpressionMatch P = Part.match(Line);
    if (P.hasMatch()) {
        HeadEnd = std::min(HeadEnd, P.capturedStart(0));
        Entry->PartOfSpeech = P.captured(1).trimmed();
    }
    Entry->Headword = Line.left(HeadEnd).trimmed();
}

} // namespace

TReferenceEntry TReferenceEntry::Parse(const QString& Text)
{
    TReferenceEntry Entry;
    QStringList Lines = Text.split(QLatin1Char('\n'));
    while (!Lines.isEmpty() && Lines.first().trimmed().isEmpty())
        Lines.removeFirst();
    if (Lines.isEmpty())
        return Entry;
    ParseFirstLine(Lines.takeFirst(), &Entry);

    static const QRegularExpression Numbered(QStringLiteral("^\\s*(\\d+)\\.(?:\\s+(.*))?$"));
    static const QRegularExpression TrailingNumber(QStringLiteral("\\s+\\d+\\.$"));
    bool Pending = false; // a number at the end of the last text: the next sense shares it
    bool NewParagraph = true;
    for (const QString& Raw : Lines) {
        const QString Line = Raw.trimmed();
        if (Line.isEmpty()) {
            NewParagraph = true;
            continue;
        }
        const QRegularExpressionMatch M = Numbered.match(Line);
        TReferenceSense* Last = Entry.Senses.isEmpty() ? nullptr : &Entry.Senses.last();
        if (M.hasMatch()) {
            QString Bulgarian = M.captured(2).trimmed();
            if (Bulgarian.isEmpty() && Last)
                Bulgarian = Last->Bulgarian;
            const QRegularExpressionMatch T = TrailingNumber.match(Bulgarian);
            Pending = T.hasMatch();
            if (Pending)
                Bulgarian.truncate(T.capturedStart());
            Entry.Senses.append({Bulgarian, QString()});
        } else if (!Last || (NewParagraph && !Last->Gloss.isEmpty())) {
            Entry.Senses.append({Line, QString()});
        } else if (Pending && !Last->Gloss.isEmpty()) {
            Entry.Senses.append({Last->Bulgarian, Line});
            Pending = false;
        } else {
            Last->Gloss = Last->Gloss.isEmpty() ? Line : Last->Gloss + QLatin1Char(' ') + Line;
        }
        NewParagraph = false;
    }
    return Entry;
}

namespace TReferenceText {

QString DropStress(const QString& Bulgarian)
{
    return Unique(Bulgarian, false);
}

QString KeepStress(const QString& Bulgarian)
{
    return Unique(Bulgarian, true);
}

QString HouseTranscription(const QString& ReferenceIpa)
{
    static const QString Vowels = QStringLiteral("iɪeɛæaɑɒɔʌəɜʊuoɐɚɝᵻyøœɘɵɤɯɨʉɞ");
    QString Ipa = ReferenceIpa;
    Ipa.remove(QLatin1Char('.'));
    Ipa.remove(QLatin1Char('-'));
    Ipa.remove(QLatin1Char('['));
    Ipa.remove(QLatin1Char(']'));
    Ipa.replace(QLatin1Char('\''), QChar(0x02C8));
    // The reference puts a stress mark where its syllable begins, the speech engine before the
    // vowel; moved to the vowel, the mark is placed again by the dictionary's own rule.
    QString Out;
    QString HeldMark;
    for (QChar C : Ipa) {
        if (C == QChar(0x02C8) || C == QChar(0x02CC)) {
            HeldMark = C;
            continue;
        }
        if (C.isSpace()) {
            Out += HeldMark;
            HeldMark.clear();
        } else if (!HeldMark.isEmpty() && Vowels.contains(C)) {
            Out += HeldMark;
            HeldMark.clear();
        }
        Out += C;
    }
    Out += HeldMark;
    return TTranscription::FromEspeak(Out);
}

QString FirstWords(const QList<TReferenceEntry>& Entries, int MaxWords)
{
    QStringList Words;
    QSet<QString> Seen;
    bool More = false;
    for (const TReferenceEntry& Entry : Entries) {
        for (const TReferenceSense& Sense : Entry.Senses) {
            for (const QString& Word : DropStress(Sense.Bulgarian).split(QStringLiteral(", "))) {
                if (Word.isEmpty() || Seen.contains(Word.toLower()))
                    continue;
                if (Words.size() == MaxWords) {
                    More = true;
                    break;
                }
                Seen.insert(Word.toLower());
                Words.append(Word);
            }
        }
    }
    QString Result = Words.join(QStringLiteral(", "));
    if (More)
        Result += QChar(0x2026);
    return Result;
}

} // namespace TReferenceText
