#include "search/TMeaningSearch.h"

#include "search/TMeaningText.h"
#include "store/TVexloTable.h"

#include <algorithm>
#include <bit>

void TMeaningSearch::SetIndex(std::shared_ptr<const TMeaningIndex> Index)
{
    FIndex = std::move(Index);
    MapRows();
    Refind();
}

void TMeaningSearch::SetTable(const TVexloTable* Table)
{
    FTable = Table;
    MapRows();
    Refind();
}

void TMeaningSearch::MapRows()
{
    FRowCount = FTable && FTable->Active() ? FTable->RecordCount() : 0;
    FRowOfEntry.assign(FIndex ? static_cast<size_t>(FIndex->EntryCount()) : 0, -1);
    if (!FIndex)
        return;
    for (int Row = 0; Row < FRowCount; ++Row) {
        const int Entry = FIndex->EntryOfId(FTable->IdAt(Row));
        if (Entry >= 0 && FRowOfEntry[static_cast<size_t>(Entry)] < 0)
            FRowOfEntry[static_cast<size_t>(Entry)] = Row;
    }
}

void TMeaningSearch::Refind()
{
    Find(FText);
}

int TMeaningSearch::Find(const QString& Text)
{
    FText = Text;
    FQuery = TMeaningText::FoldQuery(Text);
    FBits.assign((static_cast<size_t>(FRowCount) + 63) / 64, 0);
    FCount = 0;
    if (!FIndex || FQuery.isEmpty())
        return 0;
    const int32_t* RowOf = FRowOfEntry.data();
    uint64_t* Bits = FBits.data();
    FIndex->Matches(FQuery, [RowOf, Bits](int Entry) {
        const int32_t Row = RowOf[Entry];
        if (Row >= 0)
            Bits[Row >> 6] |= uint64_t(1) << (Row & 63);
    });
    for (const uint64_t Word : FBits)
        FCount += std::popcount(Word);
    return FCount;
}

bool TMeaningSearch::IsMatch(int Row) const
{
    return Row >= 0 && Row < FRowCount && (FBits[static_cast<size_t>(Row) >> 6] >> (Row & 63) & 1);
}

int TMeaningSearch::Next(int Row) const
{
    if (FCount == 0)
        return -1;
    auto From = [this](int Start) {
        for (int Word = Start >> 6; Word < static_cast<int>(FBits.size()); ++Word) {
            uint64_t Bits = FBits[static_cast<size_t>(Word)];
            if (Word == Start >> 6)
                Bits &= ~uint64_t(0) << (Start & 63);
            if (Bits)
                return Word * 64 + std::countr_zero(Bits);
        }
        return -1;
    };
    const int Found = Row + 1 < FRowCount ? From(std::max(Row + 1, 0)) : -1;
    return Found >= 0 ? Found : From(0);
}

int TMeaningSearch::Prior(int Row) const
{
    if (FCount == 0)
        return -1;
    auto Before = [this](int End) { // the last match below End
        for (int Word = (End - 1) >> 6; Word >= 0 && End > 0; --Word) {
            uint64_t Bits = FBits[static_cast<size_t>(Word)];
            if (Word == (End - 1) >> 6 && ((End - 1) & 63) != 63)
                Bits &= (uint64_t(1) << (((End - 1) & 63) + 1)) - 1;
            if (Bits)
                return Word * 64 + 63 - std::countl_zero(Bits);
        }
        return -1;
    };
    const int Found = Row > 0 ? Before(std::min(Row, FRowCount)) : -1;
    return Found >= 0 ? Found : Before(FRowCount);
}

int TMeaningSearch::Ordinal(int Row) const
{
    if (!IsMatch(Row))
        return 0;
    int Count = 0;
    for (int Word = 0; Word < (Row >> 6); ++Word)
        Count += std::popcount(FBits[static_cast<size_t>(Word)]);
    return Count + std::popcount(FBits[static_cast<size_t>(Row) >> 6] &
                                 ((uint64_t(2) << (Row & 63)) - 1));
}
