#include "search/TMeaningIndex.h"

#include "platform/LargePages.h"
#include "search/TMeaningText.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

uint32_t HashBytes(const char* P, size_t Length)
{
    uint64_t Hash = 0x9E3779B97F4A7C15ull ^ Length;
    for (; Length >= 8; P += 8, Length -= 8) {
        uint64_t Chunk;
        std::memcpy(&Chunk, P, 8);
        Hash = (Hash ^ Chunk) * 0xFF51AFD7ED558CCDull;
        Hash ^= Hash >> 32;
    }
    uint64_t Rest = 0;
    std::memcpy(&Rest, P, Length);
    Hash = (Hash ^ Rest) * 0xC4CEB9FE1A85EC53ull;
    Hash ^= Hash >> 29;
    return static_cast<uint32_t>(Hash >> 32);
}

uint32_t HashHead(uint64_t Head, uint64_t Head2, size_t Length)
{
    uint64_t Hash = (Head ^ (0x9E3779B97F4A7C15ull + Length)) * 0xFF51AFD7ED558CCDull;
    Hash ^= Hash >> 32;
    Hash = (Hash ^ Head2) * 0xFF51AFD7ED558CCDull;
    Hash ^= Hash >> 29;
    Hash *= 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(Hash >> 32);
}

void AppendNumber(std::string& Out, uint32_t Value)
{
    while (Value >= 0x80) {
        Out.push_back(static_cast<char>(Value | 0x80));
        Value >>= 7;
    }
    Out.push_back(static_cast<char>(Value));
}

size_t NumberBytes(uint32_t Value)
{
    size_t Bytes = 1;
    while (Value >= 0x80) {
        Value >>= 7;
        ++Bytes;
    }
    return Bytes;
}

} // namespace

void TMeaningIndex::Reserve(size_t Entries)
{
    FIds.reserve(Entries);
    FEntryStart.reserve(Entries + 1);
    // Room for about a dozen words an entry: pages never written take no memory.
    LargePages::Reserve(FEntryWords, Entries * 24);
}

void TMeaningIndex::AddFolded(int32_t ID, const char* Folded, size_t Bytes,
                              const TMeaningText::TFoldedWord* Words, size_t Count, uint32_t Origin)
{
    if (!FIds.empty() && ID <= FIds.back())
        FSorted = false;
    FIds.push_back(ID);
    ++FEntryCount;
    FPendingEntries.push_back(static_cast<uint32_t>(FPendingWords.size()));
    // Kept after the words waiting to be looked up (see Intern).
    const auto Base = static_cast<uint32_t>(FPendingText.size());
    FPendingText.append(Folded, Bytes);
    for (size_t I = 0; I < Count; ++I) {
        if (Words[I].AfterBreak)
            FPendingWords.push_back(0);
        FPending.push_back({Base + Words[I].Offset - Origin, Words[I].Length, 0, 0, 0, 0, 0});
        FPendingWords.push_back(static_cast<uint32_t>(FPending.size()));
    }
    if (FPending.size() >= 256)
        Intern();
}

void TMeaningIndex::Grow()
{
    std::vector<TSlot> Slots;
    LargePages::Reserve(Slots, std::max<size_t>(1024, FSlots.size() * 2));
    Slots.resize(Slots.capacity());
    const size_t Mask = Slots.size() - 1;
    for (const TSlot& Slot : FSlots)
        if (Slot.Number) {
            size_t At = (Slot.Tag >> 8) & Mask;
            while (Slots[At].Number)
                At = (At + 1) & Mask;
            Slots[At] = Slot;
        }
    FSlots.swap(Slots);
}

void TMeaningIndex::Intern()
{
    // The words waiting are hashed and their places in the table asked for all at once, so that
    // the memory is read for many of them together rather than one after another. Words are
    // numbered as first met: the frequent ones come early and take few bytes.
    while ((FWordCount + FPending.size()) * 4 > FSlots.size() * 3)
        Grow();
    const size_t Mask = FSlots.size() - 1;
    for (TPending& Word : FPending) {
        const char* Text = FPendingText.data() + Word.Offset;
        // The first sixteen bytes are kept in the slot: most words are no longer, and are told
        // apart there without reading the words' text.
        Word.Head = Word.Head2 = 0;
        std::memcpy(&Word.Head, Text, std::min<size_t>(Word.Length, 8));
        if (Word.Length > 8)
            std::memcpy(&Word.Head2, Text + 8, std::min<size_t>(Word.Length - 8, 8));
        const uint32_t Hash = Word.Length <= 16 ? HashHead(Word.Head, Word.Head2, Word.Length)
                                                : HashBytes(Text, Word.Length);
        Word.Tag = Hash << 8 | std::min<uint32_t>(Word.Length, 255);
        __builtin_prefetch(&FSlots[(Word.Tag >> 8) & Mask]);
    }
    for (TPending& Word : FPending) {
        const char* Text = FPendingText.data() + Word.Offset;
        const size_t Length = Word.Length;
        for (size_t At = (Word.Tag >> 8) & Mask;; At = (At + 1) & Mask) {
            TSlot& Slot = FSlots[At];
            if (!Slot.Number) {
                Slot = {Word.Head, Word.Head2, Word.Tag, ++FWordCount, ~uint32_t(0), 0};
                if (FWordStart.empty())
                    FWordStart.push_back(0);
                FWordText.append(Text, Length);
                FWordStart.push_back(static_cast<uint32_t>(FWordText.size()));
                Word.Number = Slot.Number;
                Word.Slot = static_cast<uint32_t>(At);
                break;
            }
            if (Slot.Tag != Word.Tag || Slot.Head != Word.Head || Slot.Head2 != Word.Head2)
                continue;
            if (Length > 16) {
                const uint32_t Begin = FWordStart[Slot.Number - 1];
                if (FWordStart[Slot.Number] - Begin != Length ||
                    std::memcmp(FWordText.data() + Begin + 16, Text + 16, Length - 16) != 0)
                    continue;
            }
            Word.Number = Slot.Number;
            Word.Slot = static_cast<uint32_t>(At);
            break;
        }
    }
    // The entries waiting, written out with the words' numbers.
    FPendingEntries.push_back(static_cast<uint32_t>(FPendingWords.size()));
    // The size of each word's list of entries is counted here too, while its slot is at hand
    // (see LayOutLists).
    for (size_t Entry = 0; Entry + 1 < FPendingEntries.size(); ++Entry) {
        const auto Added = static_cast<uint32_t>(FEntryStart.size());
        FEntryStart.push_back(static_cast<uint32_t>(FEntryWords.size()));
        for (uint32_t I = FPendingEntries[Entry]; I < FPendingEntries[Entry + 1]; ++I) {
            if (!FPendingWords[I]) {
                FEntryWords.push_back('\0');
                continue;
            }
            const TPending& Word = FPending[FPendingWords[I] - 1];
            AppendNumber(FEntryWords, Word.Number);
            TSlot& Slot = FSlots[Word.Slot];
            if (Slot.Last != Added) {
                Slot.ListBytes += static_cast<uint32_t>(NumberBytes(Added - Slot.Last));
                Slot.Last = Added;
            }
        }
    }
    FPending.clear();
    FPendingText.clear();
    FPendingWords.clear();
    FPendingEntries.clear();
}

void TMeaningIndex::Finish(const std::atomic<bool>* Stop)
{
    auto Stopped = [Stop] { return Stop && Stop->load(std::memory_order_relaxed); };
    Intern();
    FEntryStart.push_back(static_cast<uint32_t>(FEntryWords.size()));
    // The lists' sizes counted while adding hold where the entry numbers are the order added.
    std::vector<uint32_t> ListBytes;
    if (FSorted) {
        ListBytes.resize(FWordCount);
        for (const TSlot& Slot : FSlots)
            if (Slot.Number)
                ListBytes[Slot.Number - 1] = Slot.ListBytes;
    }
    std::vector<TSlot>().swap(FSlots);
    std::vector<TPending>().swap(FPending);
    std::string().swap(FPendingText);
    std::vector<uint32_t>().swap(FPendingWords);
    std::vector<uint32_t>().swap(FPendingEntries);
    // Entry numbers follow the IDs' order, so that an ID is found by a binary search; the
    // entries' words stay where they were added.
    if (!FSorted) {
        FOrder.resize(FIds.size());
        std::iota(FOrder.begin(), FOrder.end(), 0u);
        std::stable_sort(FOrder.begin(), FOrder.end(),
                         [this](uint32_t A, uint32_t B) { return FIds[A] < FIds[B]; });
        std::vector<int32_t> Ids(FIds.size());
        for (size_t I = 0; I < FOrder.size(); ++I)
            Ids[I] = FIds[FOrder[I]];
        FIds.swap(Ids);
        FSorted = true;
    }
    bool Dense = true;
    for (size_t I = 0; I < FIds.size() && Dense; ++I)
        Dense = FIds[I] == static_cast<int32_t>(I + 1);
    if (Dense)
        std::vector<int32_t>().swap(FIds);
    else
        FIds.shrink_to_fit();
    if (Stopped())
        return;
    LayOutWords();
    if (Stopped())
        return;
    LayOutLists(ListBytes);
}

void TMeaningIndex::LayOutWords()
{
    if (FWordStart.empty())
        FWordStart.push_back(0);
    auto WordOf = [this](uint32_t Number) {
        return std::string_view(FWordText.data() + FWordStart[Number],
                                FWordStart[Number + 1] - FWordStart[Number]);
    };
    std::vector<uint32_t> Sorted(FWordCount);
    std::iota(Sorted.begin(), Sorted.end(), 0u);
    std::sort(Sorted.begin(), Sorted.end(),
              [&](uint32_t A, uint32_t B) { return WordOf(A) < WordOf(B); });
    std::string Text;
    Text.reserve(FWordText.size());
    std::vector<uint32_t> Start;
    Start.reserve(FWordCount + 1);
    FWordAt.resize(FWordCount);
    FPositionOf.resize(FWordCount);
    for (uint32_t Position = 0; Position < FWordCount; ++Position) {
        Start.push_back(static_cast<uint32_t>(Text.size()));
        Text.append(WordOf(Sorted[Position]));
        FWordAt[Position] = Sorted[Position];
        FPositionOf[Sorted[Position]] = Position;
    }
    Start.push_back(static_cast<uint32_t>(Text.size()));
    FWordText.swap(Text);
    FWordStart.swap(Start);
}

void TMeaningIndex::LayOutLists(const std::vector<uint32_t>& ListBytes)
{
    // The size of each word's list (unless known), then the lists: rounds over the entries'
    // words. An entry that holds a word twice is listed once.
    struct TList
    {
        uint32_t Last; // the last entry listed
        uint32_t At;   // the size so far, then where the list goes on
    };
    std::vector<TList> Lists(FWordCount, {~uint32_t(0), 0});
    auto EachWord = [&](auto&& Visit) {
        const auto* Base = reinterpret_cast<const unsigned char*>(FEntryWords.data());
        for (uint32_t Entry = 0; Entry < static_cast<uint32_t>(FEntryCount); ++Entry) {
            const uint32_t Added = FOrder.empty() ? Entry : FOrder[Entry];
            const auto* P = Base + FEntryStart[Added];
            const auto* End = Base + FEntryStart[Added + 1];
            while (P < End) {
                const uint32_t Value = MeaningIndexBytes::Read(P);
                if (!Value)
                    continue;
                TList& List = Lists[Value - 1];
                if (List.Last == Entry)
                    continue;
                Visit(List, Entry - List.Last); // the first: Entry + 1
                List.Last = Entry;
            }
        }
    };
    if (ListBytes.empty())
        EachWord([](TList& List, uint32_t Step) {
            List.At += static_cast<uint32_t>(NumberBytes(Step));
        });
    else
        for (uint32_t Number = 0; Number < FWordCount; ++Number)
            Lists[Number].At = ListBytes[Number];
    FListStart.resize(FWordCount + 1);
    uint32_t Sum = 0;
    for (uint32_t Number = 0; Number < FWordCount; ++Number) {
        FListStart[Number] = Sum;
        Sum += std::exchange(Lists[Number], {~uint32_t(0), Sum}).At;
    }
    FListStart[FWordCount] = Sum;
    LargePages::Reserve(FLists, Sum);
    FLists.assign(Sum, '\0');
    char* const Out = FLists.data();
    EachWord([Out](TList& List, uint32_t Step) {
        char* P = Out + List.At;
        while (Step >= 0x80) {
            *P++ = static_cast<char>(Step | 0x80);
            Step >>= 7;
        }
        *P++ = static_cast<char>(Step);
        List.At = static_cast<uint32_t>(P - Out);
    });
}

int TMeaningIndex::EntryOfId(int32_t ID) const
{
    if (FIds.empty())
        return ID >= 1 && ID <= FEntryCount ? ID - 1 : -1;
    const auto It = std::lower_bound(FIds.begin(), FIds.end(), ID);
    return It != FIds.end() && *It == ID ? static_cast<int>(It - FIds.begin()) : -1;
}

std::string_view TMeaningIndex::Word(uint32_t Position) const
{
    return std::string_view(FWordText.data() + FWordStart[Position],
                            FWordStart[Position + 1] - FWordStart[Position]);
}

std::pair<uint32_t, uint32_t> TMeaningIndex::Range(std::string_view Prefix, bool Whole) const
{
    const auto Count = static_cast<uint32_t>(FWordAt.size());
    uint32_t Low = 0, High = Count;
    while (Low < High) {
        const uint32_t Middle = Low + (High - Low) / 2;
        if (Word(Middle) < Prefix)
            Low = Middle + 1;
        else
            High = Middle;
    }
    if (Whole)
        return Low < Count && Word(Low) == Prefix ? std::pair{Low, Low + 1} : std::pair{Low, Low};
    uint32_t End = Low;
    High = Count;
    while (End < High) {
        const uint32_t Middle = End + (High - End) / 2;
        if (Word(Middle).substr(0, Prefix.size()) == Prefix)
            End = Middle + 1;
        else
            High = Middle;
    }
    return {Low, End};
}

void TMeaningIndex::PhraseMatches(const QByteArray& FoldedQuery,
                                  std::vector<uint32_t>& Entries) const
{
    // The whole words before the last space, and the range of the last word's beginning.
    std::string_view Rest(FoldedQuery.constData(), static_cast<size_t>(FoldedQuery.size()));
    std::vector<uint32_t> Whole;
    for (size_t Space = Rest.find(' '); Space != std::string_view::npos; Space = Rest.find(' ')) {
        const auto [Begin, End] = Range(Rest.substr(0, Space), true);
        if (Begin == End)
            return; // no such word (or two spaces in a row, which no text holds)
        Whole.push_back(FWordAt[Begin]);
        Rest.remove_prefix(Space + 1);
    }
    const auto [Begin, End] = Range(Rest, false);
    if (Begin == End)
        return;
    uint32_t Rarest = Whole.front();
    for (const uint32_t Number : Whole)
        if (FListStart[Number + 1] - FListStart[Number] <
            FListStart[Rarest + 1] - FListStart[Rarest])
            Rarest = Number;
    const size_t Length = Whole.size() + 1;
    std::vector<uint32_t> Words;
    ForEachEntryOf(Rarest, [&](int Entry) {
        const auto* Base = reinterpret_cast<const unsigned char*>(FEntryWords.data());
        const size_t Added =
            FOrder.empty() ? static_cast<size_t>(Entry) : FOrder[static_cast<size_t>(Entry)];
        const auto* P = Base + FEntryStart[Added];
        const auto* Stop = Base + FEntryStart[Added + 1];
        Words.clear();
        while (P < Stop)
            Words.push_back(MeaningIndexBytes::Read(P));
        for (size_t At = 0; At + Length <= Words.size(); ++At) {
            size_t I = 0;
            while (I < Whole.size() && Words[At + I] == Whole[I] + 1)
                ++I;
            if (I < Whole.size() || !Words[At + I])
                continue;
            const uint32_t Position = FPositionOf[Words[At + I] - 1];
            if (Position >= Begin && Position < End) {
                Entries.push_back(static_cast<uint32_t>(Entry));
                break;
            }
        }
    });
}

void TMeaningIndex::ForEachMatch(const QByteArray& FoldedQuery,
                                 const std::function<void(int)>& Found) const
{
    Matches(FoldedQuery, Found);
}

size_t TMeaningIndex::MemoryBytes() const
{
    const size_t Numbers = FIds.capacity() + FWordStart.capacity() + FWordAt.capacity() +
                           FPositionOf.capacity() + FListStart.capacity() + FEntryStart.capacity() +
                           FOrder.capacity();
    // The room made for the entries' words beyond their size was never written: it takes no
    // memory.
    return Numbers * sizeof(uint32_t) + FWordText.capacity() + FLists.capacity() +
           FEntryWords.size();
}
