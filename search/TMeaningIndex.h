#pragma once

#include <QByteArray>
#include <QString>

#include "search/TMeaningText.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The in-memory index of the Bulgarian meanings, built from their folded forms (see TMeaningText),
// kept as words rather than text:
// - every distinct folded word once, in byte order, so that the words beginning with a text are
//   one range found by a binary search;
// - for every word, the entries that hold it (ascending, as differences in a variable number of
//   bytes);
// - every entry's words in order (word numbers in a variable number of bytes, the words met first,
//   which are mostly the frequent ones, taking one or two), with the line breaks between them, to
//   check texts of several words.
// A text of one word finds the entries of every word in its range; a text of several words finds
// the entries of its rarest whole word and checks their words in order (the last one only by its
// beginning, never across a line break).
//
// An index is built once (off the interface thread) and never changed; a changed dictionary gets
// a new one. Entries are identified by their ID.
class TMeaningIndex
{
public:
    // Makes room for about so many entries (to be called before the first AddFolded).
    void Reserve(size_t Entries);
    // Adds one entry from its text folded by TMeaningText::FoldUtf8: its Bytes at Folded, and its
    // Count words, whose offsets count from Origin. Called for every entry before Finish.
    void AddFolded(int32_t ID, const char* Folded, size_t Bytes,
                   const TMeaningText::TFoldedWord* Words, size_t Count, uint32_t Origin);
    // Orders the words and lays out their lists; Stop, when set, ends the work early (the index is
    // then unusable).
    void Finish(const std::atomic<bool>* Stop = nullptr);

    int EntryCount() const { return FEntryCount; }
    // The entry number of ID (entry numbers follow the IDs' ascending order), or -1.
    int EntryOfId(int32_t ID) const;

    // Calls Found(entry number) for the entries with a line or word that begins with the query
    // folded by TMeaningText::FoldQuery (an entry may be reported more than once).
    void ForEachMatch(const QByteArray& FoldedQuery, const std::function<void(int)>& Found) const;
    // The same, for a caller whose Found is inlined.
    template <typename TFound> void Matches(const QByteArray& FoldedQuery, TFound&& Found) const;

    // Bytes held, for the memory figures.
    size_t MemoryBytes() const;

private:
    std::string_view Word(uint32_t Position) const; // the word at a position in byte order
    void Grow();
    void Intern(); // looks up the words waiting and writes out their entries
    // The range of positions in byte order whose words begin with Prefix, or equal it.
    std::pair<uint32_t, uint32_t> Range(std::string_view Prefix, bool Whole) const;
    void PhraseMatches(const QByteArray& FoldedQuery, std::vector<uint32_t>& Entries) const;
    template <typename TFound> void ForEachEntryOf(uint32_t WordNumber, TFound&& Found) const;
    void LayOutWords();
    void LayOutLists(const std::vector<uint32_t>& ListBytes);

    int FEntryCount = 0;
    std::vector<int32_t> FIds;    // ascending after Finish; empty when they are exactly 1..N
    bool FSorted = true;          // whether IDs came in ascending order
    std::vector<uint32_t> FOrder; // which entry as added each entry number is; empty if the same

    // Words are numbered as first met.
    uint32_t FWordCount = 0;
    std::string FWordText;             // the words back to back (after Finish: in byte order)
    std::vector<uint32_t> FWordStart;  // where each begins, and the end
    std::vector<uint32_t> FWordAt;     // the number of the word at each position in byte order
    std::vector<uint32_t> FPositionOf; // the position in byte order of each word number
    std::string FLists;                // each word's entries, as differences
    std::vector<uint32_t> FListStart;  // where each word number's list begins, and the end
    std::string FEntryWords;           // each entry's words as added: number + 1, 0 a line break
    std::vector<uint32_t> FEntryStart; // where each added entry's words begin, and the end

    // While adding: the hash table of the words, and the words and entries waiting for it.
    struct TSlot
    {
        uint64_t Head = 0;      // the word's first eight bytes
        uint64_t Head2 = 0;     // and the eight after them (zero past its end)
        uint32_t Tag = 0;       // the hash's low 24 bits (where the slot is), then the length
        uint32_t Number = 0;    // the word's number + 1; 0 where the slot is free
        uint32_t Last = 0;      // the last entry (as added) that holds it
        uint32_t ListBytes = 0; // the size of its list of entries
    };
    std::vector<TSlot> FSlots;
    struct TPending
    {
        uint32_t Offset; // in FPendingText
        uint32_t Length;
        uint32_t Tag;
        uint32_t Number; // + 1, once looked up
        uint32_t Slot;   // where it is in FSlots
        uint64_t Head;
        uint64_t Head2;
    };
    std::vector<TPending> FPending;
    std::string FPendingText;              // their entries folded
    std::vector<uint32_t> FPendingWords;   // the entries' words: FPending index + 1, 0 a break
    std::vector<uint32_t> FPendingEntries; // where each entry's words begin in FPendingWords
};

namespace MeaningIndexBytes {
// Variable-length numbers: seven bits a byte, the high bit set on all but the last.
inline uint32_t Read(const unsigned char*& P)
{
    uint32_t Value = *P & 0x7F;
    for (int Shift = 7; *P++ & 0x80; Shift += 7)
        Value |= uint32_t(*P & 0x7F) << Shift;
    return Value;
}
} // namespace MeaningIndexBytes

template <typename TFound>
void TMeaningIndex::ForEachEntryOf(uint32_t WordNumber, TFound&& Found) const
{
    const auto* P = reinterpret_cast<const unsigned char*>(FLists.data()) + FListStart[WordNumber];
    const auto* End =
        reinterpret_cast<const unsigned char*>(FLists.data()) + FListStart[WordNumber + 1];
    uint32_t Entry = ~uint32_t(0);
    while (P < End) {
        Entry += MeaningIndexBytes::Read(P);
        Found(static_cast<int>(Entry));
    }
}

template <typename TFound>
void TMeaningIndex::Matches(const QByteArray& FoldedQuery, TFound&& Found) const
{
    if (FoldedQuery.isEmpty() || FWordStart.empty())
        return;
    const std::string_view Query(FoldedQuery.constData(), static_cast<size_t>(FoldedQuery.size()));
    if (Query.find(' ') == std::string_view::npos) {
        const auto [Begin, End] = Range(Query, false);
        for (uint32_t Position = Begin; Position < End; ++Position)
            ForEachEntryOf(FWordAt[Position], Found);
        return;
    }
    std::vector<uint32_t> Entries;
    PhraseMatches(FoldedQuery, Entries);
    for (const uint32_t Entry : Entries)
        Found(static_cast<int>(Entry));
}
