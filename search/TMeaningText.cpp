#include "search/TMeaningText.h"

#include <QChar>

#include <array>
#include <cstdint>
#include <string>
#include <utility>

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

template <typename TOut> void Encode(TOut& Out, char32_t C)
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
using TKinds = std::array<char32_t, 0x460>;
const TKinds& KindTable()
{
    static const TKinds Table = [] {
        TKinds Made{};
        for (char32_t Code = 0; Code < Made.size(); ++Code)
            Made[Code] = Classify(Code);
        return Made;
    }();
    return Table;
}

// Folds the characters Next hands over (false at the end; At is where the character began) into
// Out, which has append(char).
template <typename TNext, typename TOut>
void FoldCharacters(TNext&& Next, TOut& Out, std::vector<int>* Origins)
{
    bool PendingSpace = false;
    bool LineHasText = false;
    bool AfterCr = false;
    char32_t C = 0;
    int At = 0;
    const TKinds& Kinds = KindTable();
    while (Next(C, At)) {
        const bool WasCr = AfterCr;
        AfterCr = C == U'\r';
        const char32_t Kind = C < Kinds.size() ? Kinds[C] : Classify(C);
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
        const auto Before = Out.size();
        Encode(Out, Kind);
        if (Origins)
            Origins->insert(Origins->end(), static_cast<size_t>(Out.size() - Before), At);
        LineHasText = true;
    }
}

// The lead bytes' payload as SQLite reads them (its sqlite3Utf8Trans1).
constexpr unsigned char Utf8Lead[64] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f,
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00,
};

// Room made beforehand, with the calls the folding makes.
struct TRawOut
{
    char* Start;
    char* At;
    void append(char C) { *At++ = C; }
    size_t size() const { return static_cast<size_t>(At - Start); }
};

// The same, noting the words as they are written.
struct TWordsOut : TRawOut
{
    char* Base;
    std::vector<TMeaningText::TFoldedWord>& Words;
    char* WordAt = nullptr;
    bool Break = false;     // a line break since the last word
    bool WordBreak = false; // the word being written comes after a line break
    bool AnyWord = false;
    void append(char C)
    {
        if (C == ' ' || C == '\n') {
            EndWord();
            Break |= C == '\n' && AnyWord;
        } else if (!WordAt) {
            WordAt = At;
            WordBreak = std::exchange(Break, false);
        }
        *At++ = C;
    }
    void EndWord()
    {
        if (!WordAt)
            return;
        Words.push_back(
            {static_cast<uint32_t>(WordAt - Base), static_cast<uint32_t>(At - WordAt), WordBreak});
        WordAt = nullptr;
        AnyWord = true;
    }
};

template <typename TOut> void FoldUtf8Into(const char* Text, size_t Bytes, TOut& Sink)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Text);
    const unsigned char* const End = P + Bytes;
    FoldCharacters(
        [&](char32_t& C, int&) {
            if (P == End)
                return false;
            uint32_t Code = *P++;
            if (Code >= 0xC0) {
                // Decoded as SQLite decodes it when it hands text over in UTF-16: any run of
                // continuation bytes is taken, and what is no character becomes U+FFFD.
                Code = Utf8Lead[Code - 0xC0];
                while (P != End && (*P & 0xC0) == 0x80)
                    Code = (Code << 6) + (0x3F & *P++);
                if (Code < 0x80 || (Code & 0xFFFFF800) == 0xD800 || (Code & 0xFFFFFFFE) == 0xFFFE)
                    Code = 0xFFFD;
                if (Code > 0xFFFF) {
                    // The two halves SQLite writes, taken together again (as the UTF-16 path
                    // does): beyond U+10FFFF they keep only some of the bits.
                    const uint32_t High =
                        (((Code - 0x10000) >> 18) & 0x03) << 8 |
                        (((Code >> 10) & 0x3F) + (((Code - 0x10000) >> 10) & 0xC0));
                    const uint32_t Low = ((Code >> 8) & 0x03) << 8 | (Code & 0xFF);
                    Code = 0x10000 + (High << 10) + Low;
                }
            }
            C = Code;
            return true;
        },
        Sink, nullptr);
}

} // namespace

namespace TMeaningText {

QByteArray Fold(QStringView Text, std::vector<int>* Origins)
{
    QByteArray Out;
    Out.reserve(Text.size());
    if (Origins)
        Origins->clear();
    const qsizetype Size = Text.size();
    qsizetype I = 0;
    FoldCharacters(
        [&](char32_t& C, int& At) {
            if (I >= Size)
                return false;
            At = static_cast<int>(I);
            C = Text.at(I).unicode();
            ++I;
            if (QChar::isHighSurrogate(C) && I < Size && Text.at(I).isLowSurrogate())
                C = QChar::surrogateToUcs4(static_cast<char16_t>(C), Text.at(I++).unicode());
            return true;
        },
        Out, Origins);
    return Out;
}

void FoldUtf8(const char* Text, size_t Bytes, std::string& Out, std::vector<TFoldedWord>* Words)
{
    // A character of one to four bytes folds to at most four, a separator before it to one.
    const size_t Base = Out.size();
    Out.resize(Base + 2 * Bytes + 1);
    char* const Begin = Out.data() + Base;
    size_t Size = 0;
    if (Words) {
        TWordsOut Sink{{Begin, Begin}, Out.data(), *Words};
        FoldUtf8Into(Text, Bytes, Sink);
        Sink.EndWord();
        Size = Sink.size();
    } else {
        TRawOut Sink{Begin, Begin};
        FoldUtf8Into(Text, Bytes, Sink);
        Size = Sink.size();
    }
    Out.resize(Base + Size);
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
