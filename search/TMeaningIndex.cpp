#include "search/TMeaningIndex.h"

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

void TMeaningIndex::Add(int32_t ID, const char* Bulgarian, size_t Bytes)
{
    if (!FIds.empty() && ID <= FIds.back())
        FSorted = false;
    FIds.push_back(ID);
    ++FEntryCount;
    FTokenStart.push_back(static_cast<uint32_t>(FTokens.size()));
    TMeaningText::FoldUtf8(Bulgarian, Bytes, FFolded);
    const char* const Text = FFolded.data();
    const size_t Size = FFolded.size();
    const size_t First = FTokens.size();
    bool Break = false;
    for (size_t I = 0; I < Size;) {
        if (Text[I] == ' ' || Text[I] == '\n') {
            Break |= Text[I] == '\n' && FTokens.size() > First;
            ++I;
            continue;
        }
        size_t End = I + 1;
        while (End < Size && Text[End] != ' ' && Text[End] != '\n')
            ++End;
        if (Break)
            FTokens.push_back(0);
        Break = false;
        const uint32_t Number = Intern(Text + I, End - I);
        ++FCounts[Number];
        FTokens.push_back(Number + 1);
        I = End;
    }
}

void TMeaningIndex::Grow()
{
    std::vector<uint64_t> Slots(std::max<size_t>(1024, FSlots.size() * 2), 0);
    const size_t Mask = Slots.size() - 1;
    for (const uint64_t Slot : FSlots)
        if (Slot) {
            size_t At = (Slot >> 32) & Mask;
            while (Slots[At])
                At = (At + 1) & Mask;
            Slots[At] = Slot;
        }
    FSlots.swap(Slots);
}

uint32_t TMeaningIndex::Intern(const char* Text, size_t Length)
{
    if ((FCounts.size() + 1) * 2 > FSlots.size())
        Grow();
    const uint32_t Hash = HashBytes(Text, Length);
    const size_t Mask = FSlots.size() - 1;
    for (size_t At = Hash & Mask;; At = (At + 1) & Mask) {
        const uint64_t Slot = FSlots[At];
        if (!Slot) {
            const auto Number = static_cast<uint32_t>(FCounts.size());
            FSlots[At] = uint64_t(Hash) << 32 | (Number + 1);
            if (FWordStart.empty())
                FWordStart.push_back(0);
            FWordText.append(Text, Length);
            FWordStart.push_back(static_cast<uint32_t>(FWordText.size()));
            FCounts.push_back(0);
            return Number;
        }
        if (static_cast<uint32_t>(Slot >> 32) != Hash)
            continue;
        const uint32_t Number = static_cast<uint32_t>(Slot) - 1;
        const uint32_t Begin = FWordStart[Number];
        if (FWordStart[Number + 1] - Begin == Length &&
            std::memcmp(FWordText.data() + Begin, Text, Length) == 0)
            return Number;
    }
}

void TMeaningIndex::Finish(const std::atomic<bool>* Stop)
{
    auto Stopped = [Stop] { return Stop && Stop->load(std::memory_order_relaxed); };
    FTokenStart.push_back(static_cast<uint32_t>(FTokens.size()));
    std::vector<uint64_t>().swap(FSlots);
    std::string().swap(FFolded);
    // Entry numbers follow the IDs' order, so that an ID is found by a binary search.
    std::vector<uint32_t> Order(FIds.size());
    std::iota(Order.begin(), Order.end(), 0u);
    if (!FSorted) {
        std::stable_sort(Order.begin(), Order.end(),
                         [this](uint32_t A, uint32_t B) { return FIds[A] < FIds[B]; });
        std::vector<int32_t> Ids(FIds.size());
        for (size_t I = 0; I < Order.size(); ++I)
            Ids[I] = FIds[Order[I]];
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
    // Word numbers by frequency, so that the most frequent take the fewest bytes.
    std::vector<uint32_t> ByCount(FCounts.size());
    std::iota(ByCount.begin(), ByCount.end(), 0u);
    std::sort(ByCount.begin(), ByCount.end(), [this](uint32_t A, uint32_t B) {
        return FCounts[A] != FCounts[B] ? FCounts[A] > FCounts[B] : A < B;
    });
    std::vector<uint32_t> Rank(FCounts.size());
    for (size_t I = 0; I < ByCount.size(); ++I)
        Rank[ByCount[I]] = static_cast<uint32_t>(I);
    std::vector<uint32_t>().swap(ByCount);
    LayOutWords(Rank);
    if (Stopped())
        return;
    LayOutEntries(Order, Rank);
    if (Stopped())
        return;
    LayOutLists(Order, Rank);
    TTokens().swap(FTokens);
    std::vector<uint32_t>().swap(FTokenStart);
    std::vector<uint32_t>().swap(FCounts);
}

void TMeaningIndex::LayOutWords(const std::vector<uint32_t>& Rank)
{
    const auto WordCount = static_cast<uint32_t>(FCounts.size());
    if (FWordStart.empty())
        FWordStart.push_back(0);
    auto WordOf = [this](uint32_t Number) {
        return std::string_view(FWordText.data() + FWordStart[Number],
                                FWordStart[Number + 1] - FWordStart[Number]);
    };
    std::vector<uint32_t> Sorted(WordCount);
    std::iota(Sorted.begin(), Sorted.end(), 0u);
    std::sort(Sorted.begin(), Sorted.end(),
              [&](uint32_t A, uint32_t B) { return WordOf(A) < WordOf(B); });
    std::string Text;
    Text.reserve(FWordText.size());
    std::vector<uint32_t> Start;
    Start.reserve(WordCount + 1);
    FWordAt.resize(WordCount);
    FPositionOf.resize(WordCount);
    for (uint32_t Position = 0; Position < WordCount; ++Position) {
        Start.push_back(static_cast<uint32_t>(Text.size()));
        Text.append(WordOf(Sorted[Position]));
        FWordAt[Position] = Rank[Sorted[Position]];
        FPositionOf[Rank[Sorted[Position]]] = Position;
    }
    Start.push_back(static_cast<uint32_t>(Text.size()));
    FWordText.swap(Text);
    FWordStart.swap(Start);
}

void TMeaningIndex::LayOutEntries(const std::vector<uint32_t>& Order,
                                  const std::vector<uint32_t>& Rank)
{
    FEntryWords.clear();
    FEntryWords.reserve(FTokens.size() * 2);
    FEntryStart.resize(Order.size() + 1);
    for (size_t Entry = 0; Entry < Order.size(); ++Entry) {
        FEntryStart[Entry] = static_cast<uint32_t>(FEntryWords.size());
        const uint32_t Old = Order[Entry];
        for (uint32_t I = FTokenStart[Old]; I < FTokenStart[Old + 1]; ++I)
            AppendNumber(FEntryWords, FTokens[I] ? Rank[FTokens[I] - 1] + 1 : 0);
    }
    FEntryStart[Order.size()] = static_cast<uint32_t>(FEntryWords.size());
    FEntryWords.shrink_to_fit();
}

void TMeaningIndex::LayOutLists(const std::vector<uint32_t>& Order,
                                const std::vector<uint32_t>& Rank)
{
    // Two rounds over the entries: the size of each list, then the lists. An entry that holds a
    // word twice is listed once.
    const size_t WordCount = Rank.size();
    std::vector<uint32_t> Last(WordCount);
    FListStart.assign(WordCount + 1, 0);
    auto EachWord = [&](auto&& Visit) {
        std::fill(Last.begin(), Last.end(), ~uint32_t(0));
        for (uint32_t Entry = 0; Entry < Order.size(); ++Entry) {
            const uint32_t Old = Order[Entry];
            for (uint32_t I = FTokenStart[Old]; I < FTokenStart[Old + 1]; ++I) {
                if (!FTokens[I])
                    continue;
                const uint32_t Number = Rank[FTokens[I] - 1];
                if (Last[Number] == Entry)
                    continue;
                Visit(Number, Entry - Last[Number]); // from "before 0" the first is Entry + 1
                Last[Number] = Entry;
            }
        }
    };
    EachWord([&](uint32_t Number, uint32_t Step) { FListStart[Number] += NumberBytes(Step); });
    uint32_t Sum = 0;
    for (uint32_t& Start : FListStart)
        Sum += std::exchange(Start, Sum);
    FLists.assign(Sum, '\0');
    std::vector<uint32_t> At(FListStart.begin(), FListStart.end() - 1);
    EachWord([&](uint32_t Number, uint32_t Step) {
        char* P = FLists.data() + At[Number];
        while (Step >= 0x80) {
            *P++ = static_cast<char>(Step | 0x80);
            Step >>= 7;
        }
        *P++ = static_cast<char>(Step);
        At[Number] = static_cast<uint32_t>(P - FLists.data());
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
        if (FListStart[Number + 1] - FListStart[Number] < FListStart[Rarest + 1] - FListStart[Rarest])
            Rarest = Number;
    const size_t Length = Whole.size() + 1;
    std::vector<uint32_t> Words;
    ForEachEntryOf(Rarest, [&](int Entry) {
        const auto* Base = reinterpret_cast<const unsigned char*>(FEntryWords.data());
        const auto* P = Base + FEntryStart[static_cast<size_t>(Entry)];
        const auto* Stop = Base + FEntryStart[static_cast<size_t>(Entry) + 1];
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
                           FPositionOf.capacity() + FListStart.capacity() +
                           FEntryStart.capacity();
    return Numbers * sizeof(uint32_t) + FWordText.capacity() + FLists.capacity() +
           FEntryWords.capacity();
}
