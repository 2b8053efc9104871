#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The in-memory index of the Bulgarian meanings: every entry's folded meaning (see TMeaningText)
// in one buffer, and the places where its lines and words begin, ordered by the eight bytes that
// follow them. Finding the entries with a line or word that begins with a text is a binary search
// for the range of those places, then a check of the rest of the text within the range.
//
// An index is built once (off the interface thread) and never changed; a changed dictionary gets
// a new one. Entries are identified by their ID.
class TMeaningIndex
{
public:
    // Adds one entry; called for every entry before Finish.
    void Add(int32_t ID, QStringView Bulgarian);
    // Orders the word beginnings; Stop, when set, ends the work early (the index is then unusable).
    void Finish(const std::atomic<bool>* Stop = nullptr);

    int EntryCount() const { return static_cast<int>(FIds.size()); }
    // The IDs in ascending order; entry numbers below are positions in this list.
    const std::vector<int32_t>& Ids() const { return FIds; }
    // The entry number of ID, or -1.
    int EntryOfId(int32_t ID) const;

    // Calls Found(entry number) for every word beginning that starts with the folded query (an
    // entry may be reported more than once).
    void ForEachMatch(const QByteArray& FoldedQuery, const std::function<void(int)>& Found) const;
    // The same, over a plain list the caller fills: the entry numbers, with repeats.
    template <typename TFound> void Matches(const QByteArray& FoldedQuery, TFound&& Found) const;

    // Bytes held, for the memory figures.
    size_t MemoryBytes() const;

private:
    uint64_t KeyAt(uint32_t Offset) const;
    // The range of Starts whose first min(8, |Query|) bytes equal the query's.
    std::pair<size_t, size_t> Range(const QByteArray& FoldedQuery) const;
    bool RestMatches(uint32_t Offset, const QByteArray& FoldedQuery) const;

    std::string FText;              // the folded meanings, each ended by a zero byte
    std::vector<int32_t> FIds;      // ascending after Finish
    std::vector<uint32_t> FStarts;  // offsets of word beginnings into FText, ordered by key
    std::vector<uint32_t> FEntries; // the entry number of each of FStarts
    bool FSorted = true;            // whether IDs came in ascending order
    bool FDense = false;            // whether the IDs are exactly 1..N
};

template <typename TFound>
void TMeaningIndex::Matches(const QByteArray& FoldedQuery, TFound&& Found) const
{
    if (FoldedQuery.isEmpty())
        return;
    const auto [Begin, End] = Range(FoldedQuery);
    const bool Long = FoldedQuery.size() > 8;
    for (size_t I = Begin; I < End; ++I)
        if (!Long || RestMatches(FStarts[I], FoldedQuery))
            Found(static_cast<int>(FEntries[I]));
}
