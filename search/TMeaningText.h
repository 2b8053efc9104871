#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// How Bulgarian meanings are compared when they are searched by the beginnings of their lines and
// words. A text is folded into a compact byte form:
// - letters are case-folded, and stress marks are dropped: combining accents (U+0300, U+0301 and
//   the other combining marks), precomposed letters that are a letter with accents (ѐ, ѝ, é) count
//   as the bare letter, and apostrophes and stress signs inside a word (', ’, ʼ, ˈ, ˌ, ´, `) are
//   dropped without splitting the word;
// - й stays apart from и (it is a letter of its own); ё counts as е and ї as і;
// - every other character that is neither a letter nor a digit (spaces, punctuation, brackets,
//   dashes) separates words, and a run of them counts as one space;
// - a line break ends a line: a text found by its beginning never runs across one.
// Cyrillic letters take one byte each in the folded form, so a meaning costs about as many bytes
// as it has letters.
namespace TMeaningText {

// The folded form of Text. Origins, when given, receives for every byte of the result the
// position in Text of the character it came from (separators: of the character that caused them).
QByteArray Fold(QStringView Text, std::vector<int>* Origins = nullptr);

// A word of a folded text: where it is, and whether a line break of the text comes between it
// and the word before it.
struct TFoldedWord
{
    uint32_t Offset;
    uint32_t Length;
    bool AfterBreak;
};

// The same for UTF-8 text as the engine stores it, appended to Out. Malformed
// bytes are read as the engine reads them when it hands the text over in UTF-16, so both forms of
// one stored text fold alike. Words, when given, gets the words of the text as they are folded
// (their offsets in Out).
void FoldUtf8(const char* Text, size_t Bytes, std::string& Out,
              std::vector<TFoldedWord>* Words = nullptr);

// The folded form of a typed search text: folded as above, with separators at either end dropped.
QByteArray FoldQuery(QStringView Text);

// Whether Text holds a Cyrillic letter: such a search text is searched for among the meanings.
bool HasCyrillic(QStringView Text);

// Whether a folded byte at Offset in Folded begins a word (the start, or after a separator).
inline bool IsWordStart(const QByteArray& Folded, int Offset)
{
    if (Offset == 0)
        return true;
    const char Before = Folded.at(Offset - 1);
    return Before == ' ' || Before == '\n';
}

// The parts of Text (position and length, in UTF-16 units) where a line or a word begins with the
// folded query, in text order. Stress marks right after the last matched letter are included.
std::vector<std::pair<int, int>> MatchSpans(QStringView Text, const QByteArray& FoldedQuery);

} // namespace TMeaningText
