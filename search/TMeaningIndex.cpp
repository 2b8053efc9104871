#include "search/TMeaningIndex.h"

#include "search/TMeaningText.h"

#include <algorithm>
#include <numeric>
#include <utility>

void TMeaningIndex::Add(int32_t ID, QStringView Bulgarian)
{
    if (!FIds.empty() && ID <= FIds.back())
        FSorted = false;
    FIds.push_back(ID);
    const QByteArray Folded = TMeaningText::Fold(Bulgarian);
    const auto Base = static_cast<uint32_t>(FText.size());
    FText.append(Folded.constData(), static_cast<size_t>(Folded.size()));
    FText.push_back('\0');
    const auto Entry = static_cast<uint32_t>(FIds.size() - 1);
    for (int I = 0; I < Folded.size(); ++I) {
        const char C = Folded.at(I);
        if (C != ' ' && C != '\n' && TMeaningText::IsWordStart(Folded, I)) {
            FStarts.push_back(Base + static_cast<uint32_t>(I));
            FEntries.push_back(Entry);
        }
    }
}

uint64_t TMeaningIndex::KeyAt(uint32_t Offset) const
{
    uint64_t Key = 0;
    const char* P = FText.data() + Offset;
    int I = 0;
    for (; I < 8 && P[I] != '\0'; ++I)
        Key = (Key << 8) | static_cast<unsigned char>(P[I]);
    return Key << (8 * (8 - I));
}

void TMeaningIndex::Finish(const std::atomic<bool>* Stop)
{
    auto Stopped = [Stop] { return Stop && Stop->load(std::memory_order_relaxed); };
    if (!FSorted) {
        // Entry numbers follow the IDs' order, so that an ID is found by a binary search.
        std::vector<uint32_t> Order(FIds.size());
        std::iota(Order.begin(), Order.end(), 0u);
        std::stable_sort(Order.begin(), Order.end(),
                         [this](uint32_t A, uint32_t B) { return FIds[A] < FIds[B]; });
        std::vector<uint32_t> NewNumber(FIds.size());
        std::vector<int32_t> Ids(FIds.size());
        for (size_t I = 0; I < Order.size(); ++I) {
            NewNumber[Order[I]] = static_cast<uint32_t>(I);
            Ids[I] = FIds[Order[I]];
        }
        FIds.swap(Ids);
        for (uint32_t& Entry : FEntries)
            Entry = NewNumber[Entry];
        FSorted = true;
    }
    if (Stopped())
        return;
    FDense = true;
    for (size_t I = 0; I < FIds.size() && FDense; ++I)
        FDense = FIds[I] == static_cast<int32_t>(I + 1);
    // Sorting by the first eight bytes is enough: longer texts are checked within the range.
    struct TItem
    {
        uint64_t Key;
        uint32_t Start;
        uint32_t Entry;
    };
    std::vector<TItem> Items(FStarts.size());
    for (size_t I = 0; I < Items.size(); ++I)
        Items[I] = {KeyAt(FStarts[I]), FStarts[I], FEntries[I]};
    if (Stopped())
        return;
    // Least significant digit first, 16 bits a pass: four passes over the items.
    std::vector<TItem> Spare(Items.size());
    std::vector<uint32_t> Counts(65536);
    for (int Shift = 0; Shift < 64; Shift += 16) {
        std::fill(Counts.begin(), Counts.end(), 0u);
        for (const TItem& Item : Items)
            ++Counts[(Item.Key >> Shift) & 0xFFFF];
        uint32_t Sum = 0;
        for (uint32_t& Count : Counts)
            Sum += std::exchange(Count, Sum);
        for (const TItem& Item : Items)
            Spare[Counts[(Item.Key >> Shift) & 0xFFFF]++] = Item;
        Items.swap(Spare);
        if (Stopped())
            return;
    }
    for (size_t I = 0; I < Items.size(); ++I) {
        FStarts[I] = Items[I].Start;
        FEntries[I] = Items[I].Entry;
    }
    FStarts.shrink_to_fit();
    FEntries.shrink_to_fit();
    FText.shrink_to_fit();
    FIds.shrink_to_fit();
}

int TMeaningIndex::EntryOfId(int32_t ID) const
{
    if (FDense)
        return ID >= 1 && ID <= static_cast<int32_t>(FIds.size()) ? ID - 1 : -1;
    const auto It = std::lower_bound(FIds.begin(), FIds.end(), ID);
    return It != FIds.end() && *It == ID ? static_cast<int>(It - FIds.begin()) : -1;
}

std::pair<size_t, size_t> TMeaningIndex::Range(const QByteArray& FoldedQuery) const
{
    const int Length = static_cast<int>(std::min<qsizetype>(8, FoldedQuery.size()));
    uint64_t Low = 0;
    for (int I = 0; I < 8; ++I)
        Low = (Low << 8) | (I < Length ? static_cast<unsigned char>(FoldedQuery.at(I)) : 0u);
    const uint64_t Mask = Length == 8 ? ~uint64_t(0) : ~(~uint64_t(0) >> (8 * Length));
    auto Head = [&](uint32_t Start) { return KeyAt(Start) & Mask; };
    const auto Begin = std::partition_point(FStarts.begin(), FStarts.end(),
                                            [&](uint32_t S) { return Head(S) < Low; });
    const auto End =
        std::partition_point(Begin, FStarts.end(), [&](uint32_t S) { return Head(S) == Low; });
    return {static_cast<size_t>(Begin - FStarts.begin()),
            static_cast<size_t>(End - FStarts.begin())};
}

bool TMeaningIndex::RestMatches(uint32_t Offset, const QByteArray& FoldedQuery) const
{
    // The text ends with a zero byte, which no query holds: the comparison stops there.
    const char* P = FText.data() + Offset;
    for (qsizetype I = 8; I < FoldedQuery.size(); ++I)
        if (P[I] != FoldedQuery.at(I))
            return false;
    return true;
}

void TMeaningIndex::ForEachMatch(const QByteArray& FoldedQuery,
                                 const std::function<void(int)>& Found) const
{
    Matches(FoldedQuery, Found);
}

size_t TMeaningIndex::MemoryBytes() const
{
    return FText.capacity() + FIds.capacity() * sizeof(int32_t) +
           (FStarts.capacity() + FEntries.capacity()) * sizeof(uint32_t);
}
