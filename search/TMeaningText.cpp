#include "search/TMeaningText.h"

#include <QChar>

#include <array>

namespace {

// Stress signs written as characters of their own inside a word.
bool IsStressSign(char32_t C)
{
    switch (C) {
    case U'\'':
    case U'`':
    case U'\u00B4': // acute accent
    case U'\u02B9': // modifier prime
    case U'\u02BC': // modifier apostrophe
    case U'\u02C8': // primary stress
    case U'\u02CC': // secondary stress
    case U'\u2019': // right single quotation mark
        return true;
    default:
        return false;
    }
}

bool IsMark(char32_t C)
{
    const QChar::Category Category = QChar::category(C);
    return Category == QChar::Mark_NonSpacing || Category == QChar::Mark_SpacingCombining ||
           Category == QChar::Mark_Enclosing;
}

// The letter without its accents, case-folded.
char32_t BareLetter(char32_t C)
{
    if (C == U'\u0419' || C == U'\u0439') // Й stays a letter of its own
        return U'\u0439';
    if (C == U'\u040E' || C == U'\u045E') // so does Ў
        return U'\u045E';
    for (int Depth = 0; Depth < 4 && QChar::decompositionTag(C) == QChar::Canonical; ++Depth) {
        const QString Parts = QChar::decomposition(C);
        if (Parts.isEmpty())
            break;
        const char32_t First = Parts.at(0).isHighSurrogate() && Parts.size() > 1
                                   ? QChar::surrogateToUcs4(Parts.at(0), Parts.at(1))
                                   : Parts.at(0).unicode();
        if (First == C)
            break;
        C = First;
    }
    return QChar::toCaseFolded(C);
}

void Encode(QByteArray& Out, char32_t C)
{
    if (C < 0x80) {
        Out.append(static_cast<char>(C));
    } else if (C >= 0x430 && C <= 0x45F) {
        Out.append(static_cast<char>(0x80 + (C - 0x430)));
    } else {
        // Any other character: a lead byte no single-byte character uses, then 21 bits in three
        // bytes that are never a separator or the end of a text.
        Out.append(static_cast<char>(0xF0));
        Out.append(static_cast<char>(0x80 | ((C >> 14) & 0x7F)));
        Out.append(static_cast<char>(0x80 | ((C >> 7) & 0x7F)));
        Out.append(static_cast<char>(0x80 | (C & 0x7F)));
    }
}

// What a character is to the folding: a letter or digit (its folded form), or one of these.
constexpr char32_t ctBreak = 0x110000;     // ends a line
constexpr char32_t ctDropped = 0x110001;   // a stress mark: as if it were not there
constexpr char32_t ctSeparator = 0x110002; // between words

char32_t Classify(char32_t C)
{
    if (C == U'\r' || C == U'\n' || C == U'\u2028' || C == U'\u2029')
        return ctBreak;
    if (IsMark(C) || IsStressSign(C))
        return ctDropped;
    if (!QChar::isLetterOrNumber(C))
        return ctSeparator;
    const char32_t Letter = BareLetter(C);
    return Letter == U'\u0451' ? U'\u0435' : Letter; // ё as е
}

// The same, from a table for Latin and Cyrillic text, which is nearly all a meaning holds.
char32_t ClassifyFast(char32_t C)
{
    static const std::array<char32_t, 0x460> Table = [] {
        std::array<char32_t, 0x460> Made{};
        for (char32_t Code = 0; Code < Made.size(); ++Code)
            Made[Code] = Classify(Code);
        return Made;
    }();
    return C < Table.size() ? Table[C] : Classify(C);
}

} // namespace

namespace TMeaningText {

QByteArray Fold(QStringView Text, std::vector<int>* Origins)
{
    QByteArray Out;
    Out.reserve(Text.size());
    if (Origins)
        Origins->clear();
    bool PendingSpace = false;
    bool LineHasText = false;
    bool AfterCr = false;
    const qsizetype Size = Text.size();
    for (qsizetype I = 0; I < Size;) {
        const int At = static_cast<int>(I);
        char32_t C = Text.at(I).unicode();
        ++I;
        if (QChar::isHighSurrogate(C) && I < Size && Text.at(I).isLowSurrogate())
            C = QChar::surrogateToUcs4(static_cast<char16_t>(C), Text.at(I++).unicode());
        const bool WasCr = AfterCr;
        AfterCr = C == U'\r';
        const char32_t Kind = ClassifyFast(C);
        if (Kind == ctBreak) {
            if (C == U'\n' && WasCr)
                continue;
            Out.append('\n');
            if (Origins)
                Origins->push_back(At);
            PendingSpace = false;
            LineHasText = false;
            continue;
        }
        if (Kind == ctDropped)
            continue;
        if (Kind == ctSeparator) {
            PendingSpace = LineHasText;
            continue;
        }
        if (PendingSpace) {
            Out.append(' ');
            if (Origins)
                Origins->push_back(At);
            PendingSpace = false;
        }
        const qsizetype Before = Out.size();
        Encode(Out, Kind);
        if (Origins)
            Origins->insert(Origins->end(), static_cast<size_t>(Out.size() - Before), At);
        LineHasText = true;
    }
    return Out;
}

QByteArray FoldQuery(QStringView Text)
{
    QByteArray Folded = Fold(Text);
    qsizetype Begin = 0;
    qsizetype End = Folded.size();
    while (Begin < End && (Folded.at(Begin) == ' ' || Folded.at(Begin) == '\n'))
        ++Begin;
    while (End > Begin && (Folded.at(End - 1) == ' ' || Folded.at(End - 1) == '\n'))
        --End;
    // A typed line break (pasted text) counts as a space: the query is one line.
    QByteArray Query = Folded.mid(Begin, End - Begin);
    Query.replace('\n', ' ');
    return Query;
}

bool HasCyrillic(QStringView Text)
{
    for (const QChar C : Text)
        if (C.script() == QChar::Script_Cyrillic && C.isLetter())
            return true;
    return false;
}

std::vector<std::pair<int, int>> MatchSpans(QStringView Text, const QByteArray& FoldedQuery)
{
    std::vector<std::pair<int, int>> Spans;
    if (FoldedQuery.isEmpty())
        return Spans;
    std::vector<int> Origins;
    const QByteArray Folded = Fold(Text, &Origins);
    const qsizetype Length = FoldedQuery.size();
    int CoveredTo = 0;
    for (qsizetype At = Folded.indexOf(FoldedQuery); At >= 0;
         At = Folded.indexOf(FoldedQuery, At + 1)) {
        if (!IsWordStart(Folded, static_cast<int>(At)))
            continue;
        const int Start = Origins[static_cast<size_t>(At)];
        if (Start < CoveredTo)
            continue;
        const int Last = Origins[static_cast<size_t>(At + Length - 1)];
        int End = Last + (Text.at(Last).isHighSurrogate() ? 2 : 1);
        while (End < Text.size() && (IsMark(Text.at(End).unicode()) ||
                                     IsStressSign(Text.at(End).unicode())))
            ++End;
        Spans.emplace_back(Start, End - Start);
        CoveredTo = End;
    }
    return Spans;
}

} // namespace TMeaningText
