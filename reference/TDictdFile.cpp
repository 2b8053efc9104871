#include "reference/TDictdFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <zlib.h>

namespace {

// dictd's own index notes ("00databaseinfo", "00databaseshort", ...), not words.
bool IsDatabaseNote(const char* Key, qsizetype Length)
{
    static constexpr char Prefix[] = "00database";
    constexpr qsizetype PrefixLength = sizeof(Prefix) - 1;
    return Length >= PrefixLength && std::equal(Prefix, Prefix + PrefixLength, Key);
}

// The headword in lower case; false when it is not UTF-8.
bool Fold(QByteArrayView Key, QByteArray* Out)
{
    const bool Ascii = std::all_of(Key.begin(), Key.end(),
                                   [](char C) { return static_cast<unsigned char>(C) < 0x80; });
    if (Ascii) {
        *Out = Key.toByteArray().toLower();
        return true;
    }
    QStringDecoder Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString Text = Decoder.decode(Key);
    if (Decoder.hasError())
        return false;
    *Out = Text.toLower().toUtf8();
    return true;
}

} // namespace

bool TDictdIndex::DecodeNumber(const QByteArray& Field, uint64_t* Value)
{
    if (Field.isEmpty() || Field.size() > 10)
        return false;
    uint64_t Result = 0;
    for (char C : Field) {
        int Digit;
        if (C >= 'A' && C <= 'Z')
            Digit = C - 'A';
        else if (C >= 'a' && C <= 'z')
            Digit = C - 'a' + 26;
        else if (C >= '0' && C <= '9')
            Digit = C - '0' + 52;
        else if (C == '+')
            Digit = 62;
        else if (C == '/')
            Digit = 63;
        else
            return false;
        Result = Result * 64 + static_cast<uint64_t>(Digit);
    }
    *Value = Result;
    return true;
}

bool TDictdIndex::Load(const QString& Path, QString* Error)
{
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) {
        *Error =
            QCoreApplication::translate("TDictdFile", "The reference index %1 cannot be read: %2.")
                .arg(QFileInfo(Path).fileName(), File.errorString());
        return false;
    }
    // An index of dictd holds tens of thousands of lines, a few MB at most.
    constexpr qint64 MaxIndexSize = 64 * 1024 * 1024;
    if (File.size() > MaxIndexSize) {
        *Error = QCoreApplication::translate(
                     "TDictdFile", "The reference index %1 is too large to be a dictd index.")
                     .arg(QFileInfo(Path).fileName());
        return false;
    }
    return LoadBytes(File.readAll(), QFileInfo(Path).fileName(), Error);
}

bool TDictdIndex::LoadBytes(const QByteArray& Bytes, const QString& Name, QString* Error)
{
    FKeys.clear();
    FEntries.clear();
    FEnd = 0;
    QByteArray Keys;
    Keys.reserve(Bytes.size());
    std::vector<TEntry> Entries;
    Entries.reserve(static_cast<size_t>(Bytes.count('\n')) + 1);
    uint64_t End = 0;
    qsizetype LineStart = 0;
    int LineNumber = 0;
    while (LineStart < Bytes.size()) {
        qsizetype LineEnd = Bytes.indexOf('\n', LineStart);
        if (LineEnd < 0)
            LineEnd = Bytes.size();
        ++LineNumber;
        const QByteArrayView Line(Bytes.constData() + LineStart, LineEnd - LineStart);
        LineStart = LineEnd + 1;
        if (Line.isEmpty())
            continue;
        const qsizetype Tab1 = Line.indexOf('\t');
        const qsizetype Tab2 = Tab1 < 0 ? -1 : Line.indexOf('\t', Tab1 + 1);
        qsizetype Tab3 = Tab2 < 0 ? -1 : Line.indexOf('\t', Tab2 + 1);
        if (Tab3 < 0)
            Tab3 = Line.size();
        uint64_t Offset = 0, Length = 0;
        if (Tab1 <= 0 || Tab2 < 0 ||
            !DecodeNumber(Line.sliced(Tab1 + 1, Tab2 - Tab1 - 1).toByteArray(), &Offset) ||
            !DecodeNumber(Line.sliced(Tab2 + 1, Tab3 - Tab2 - 1).toByteArray(), &Length) ||
            Length > UINT32_MAX || Offset > (uint64_t(1) << 40)) {
            *Error = QCoreApplication::translate(
                         "TDictdFile", "The reference index %1 is damaged or not a dictd index "
                                       "(line %2 is not \"headword<TAB>offset<TAB>length\").")
                         .arg(Name)
                         .arg(LineNumber);
            return false;
        }
        const QByteArrayView Key = Line.first(Tab1);
        if (IsDatabaseNote(Key.data(), Key.size()))
            continue;
        QByteArray Folded;
        if (!Fold(Key, &Folded)) {
            *Error = QCoreApplication::translate(
                         "TDictdFile", "The reference index %1 is damaged: line %2 is not UTF-8.")
                         .arg(Name)
                         .arg(LineNumber);
            return false;
        }
        Entries.push_back({static_cast<uint32_t>(Keys.size()),
                           static_cast<uint32_t>(Folded.size()), Offset,
                           static_cast<uint32_t>(Length)});
        Keys += Folded;
        End = std::max(End, Offset + Length);
    }
    if (Entries.empty()) {
        *Error =
            QCoreApplication::translate("TDictdFile", "The reference index %1 holds no headwords.")
                .arg(Name);
        return false;
    }
    const char* Base = Keys.constData();
    std::stable_sort(Entries.begin(), Entries.end(), [Base](const TEntry& A, const TEntry& B) {
        return QByteArrayView(Base + A.KeyStart, A.KeyLength) <
               QByteArrayView(Base + B.KeyStart, B.KeyLength);
    });
    Keys.squeeze();
    FKeys = std::move(Keys);
    FEntries = std::move(Entries);
    FEnd = End;
    return true;
}

std::vector<TDictdIndex::TEntry> TDictdIndex::Find(const QString& Headword) const
{
    const QByteArray Key = Headword.toLower().toUtf8();
    const char* Base = FKeys.constData();
    auto KeyOf = [Base](const TEntry& E) { return QByteArrayView(Base + E.KeyStart, E.KeyLength); };
    const auto Range = std::equal_range(
        FEntries.begin(), FEntries.end(), Key,
        [&KeyOf](const auto& A, const auto& B) {
            if constexpr (std::is_same_v<std::decay_t<decltype(A)>, TEntry>)
                return KeyOf(A) < QByteArrayView(B);
            else
                return QByteArrayView(A) < KeyOf(B);
        });
    return std::vector<TEntry>(Range.first, Range.second);
}

QString TDictdData::Damaged(const QString& What) const
{
    return QCoreApplication::translate(
               "TDictdFile", "The reference dictionary %1 is damaged or not a dictd file (%2).")
        .arg(FName, What);
}

bool TDictdData::Open(const QString& Path, QString* Error)
{
    FFile.close();
    FFile.setFileName(Path);
    FName = QFileInfo(Path).fileName();
    FPlain = false;
    FWhole.clear();
    FChunkStarts.clear();
    FCache.clear();
    FSize = 0;
    if (!FFile.open(QIODevice::ReadOnly)) {
        *Error = QCoreApplication::translate("TDictdFile",
                                             "The reference dictionary %1 cannot be read: %2.")
                     .arg(FName, FFile.errorString());
        return false;
    }
    const QByteArray Magic = FFile.peek(2);
    if (Magic != QByteArray("\x1f\x8b", 2)) {
        FPlain = true;
        FSize = static_cast<uint64_t>(FFile.size());
        return true;
    }
    return ReadHeader(Error);
}

bool TDictdData::ReadHeader(QString* Error)
{
    // The gzip header is short: its extra field is at most 65535 bytes, the names end at a zero.
    const QByteArray Head = FFile.peek(10 + 2 + 65535 + 4096);
    auto Byte = [&Head](qsizetype I) { return static_cast<uint8_t>(Head[I]); };
    if (Head.size() < 10 || Byte(2) != 8) {
        *Error =
            Damaged(QCoreApplication::translate("TDictdFile", "the gzip header is incomplete"));
        return false;
    }
    const uint8_t Flags = Byte(3);
    qsizetype Pos = 10;
    if (Flags & 0x04) {
        if (Head.size() < Pos + 2) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "the gzip header is incomplete"));
            return false;
        }
        const qsizetype ExtraLength = Byte(Pos) | (Byte(Pos + 1) << 8);
        Pos += 2;
        const qsizetype ExtraEnd = Pos + ExtraLength;
        if (Head.size() < ExtraEnd) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "the gzip header is incomplete"));
            return false;
        }
        while (Pos + 4 <= ExtraEnd) {
            const bool RandomAccess = Head[Pos] == 'R' && Head[Pos + 1] == 'A';
            const qsizetype Length = Byte(Pos + 2) | (Byte(Pos + 3) << 8);
            const qsizetype Data = Pos + 4;
            if (Data + Length > ExtraEnd) {
                *Error = Damaged(
                    QCoreApplication::translate("TDictdFile", "the gzip extra field is malformed"));
                return false;
            }
            if (RandomAccess && Length >= 6) {
                FChunkLength = Byte(Data + 2) | (Byte(Data + 3) << 8);
                const qsizetype Count = Byte(Data + 4) | (Byte(Data + 5) << 8);
                if (FChunkLength == 0 || Length < 6 + 2 * Count) {
                    *Error = Damaged(QCoreApplication::translate(
                        "TDictdFile", "the dictzip chunk table is malformed"));
                    return false;
                }
                FChunkStarts.assign(static_cast<size_t>(Count) + 1, 0);
                for (qsizetype I = 0; I < Count; ++I)
                    FChunkStarts[I + 1] = Byte(Data + 6 + 2 * I) | (Byte(Data + 7 + 2 * I) << 8);
            }
            Pos = Data + Length;
        }
        Pos = ExtraEnd;
    }
    for (uint8_t Flag : {uint8_t(0x08), uint8_t(0x10)}) {
        if (!(Flags & Flag))
            continue;
        const qsizetype Zero = Head.indexOf('\0', Pos);
        if (Zero < 0) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "the gzip header is incomplete"));
            return false;
        }
        Pos = Zero + 1;
    }
    if (Flags & 0x02)
        Pos += 2;

    if (FChunkStarts.empty()) {
        // A gzip file without a chunk table: inflated once, whole.
        if (FFile.size() > MaxWholeSize) {
            *Error = QCoreApplication::translate(
                         "TDictdFile", "The reference dictionary %1 is too large to read without "
                                       "dictzip's chunk table.")
                         .arg(FName);
            return false;
        }
        const QByteArray All = FFile.readAll();
        z_stream Stream{};
        if (inflateInit2(&Stream, 15 + 16) != Z_OK) {
            *Error = Damaged(QCoreApplication::translate("TDictdFile", "zlib cannot start"));
            return false;
        }
        Stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(All.constData()));
        Stream.avail_in = static_cast<uInt>(All.size());
        int Result = Z_OK;
        QByteArray Out;
        while (Result == Z_OK) {
            if (Out.size() >= MaxWholeSize) {
                inflateEnd(&Stream);
                *Error = Damaged(QCoreApplication::translate(
                    "TDictdFile", "it inflates beyond any dictionary's size"));
                return false;
            }
            const qsizetype Before = Out.size();
            Out.resize(Before + 256 * 1024);
            Stream.next_out = reinterpret_cast<Bytef*>(Out.data() + Before);
            Stream.avail_out = 256 * 1024;
            Result = inflate(&Stream, Z_NO_FLUSH);
            Out.resize(Out.size() - Stream.avail_out);
        }
        inflateEnd(&Stream);
        if (Result != Z_STREAM_END) {
            *Error = Damaged(QCoreApplication::translate(
                "TDictdFile", "the compressed data is cut short or corrupt"));
            return false;
        }
        FWhole = std::move(Out);
        FSize = static_cast<uint64_t>(FWhole.size());
        return true;
    }

    // The chunk table holds sizes; turn them into file offsets.
    FChunkStarts[0] = Pos;
    for (size_t I = 1; I < FChunkStarts.size(); ++I)
        FChunkStarts[I] += FChunkStarts[I - 1];
    // The gzip trailer (CRC and size, 8 bytes) follows the last chunk.
    if (FChunkStarts.back() + 8 > FFile.size()) {
        *Error = Damaged(QCoreApplication::translate(
            "TDictdFile", "the file is shorter than its chunk table says; "
                          "it may have been cut short"));
        return false;
    }
    FSize = uint64_t(FChunkLength) * (FChunkStarts.size() - 1);
    return true;
}

bool TDictdData::Chunk(size_t Index, const QByteArray** Out, QString* Error)
{
    for (qsizetype I = 0; I < FCache.size(); ++I) {
        if (FCache[I].Index == Index) {
            FCache.move(I, 0);
            *Out = &FCache.first().Bytes;
            return true;
        }
    }
    const qint64 Start = FChunkStarts[Index];
    const qint64 Length = FChunkStarts[Index + 1] - Start;
    QByteArray Compressed;
    if (!FFile.seek(Start) || (Compressed = FFile.read(Length)).size() != Length) {
        *Error = Damaged(
            QCoreApplication::translate("TDictdFile", "chunk %1 cannot be read").arg(Index + 1));
        return false;
    }
    QByteArray Bytes(FChunkLength, Qt::Uninitialized);
    z_stream Stream{};
    if (inflateInit2(&Stream, -15) != Z_OK) {
        *Error = Damaged(QCoreApplication::translate("TDictdFile", "zlib cannot start"));
        return false;
    }
    Stream.next_in = reinterpret_cast<Bytef*>(Compressed.data());
    Stream.avail_in = static_cast<uInt>(Compressed.size());
    Stream.next_out = reinterpret_cast<Bytef*>(Bytes.data());
    Stream.avail_out = FChunkLength;
    const int Result = inflate(&Stream, Z_SYNC_FLUSH);
    const uInt Left = Stream.avail_out;
    inflateEnd(&Stream);
    const bool Last = Index + 2 == FChunkStarts.size();
    if ((Result != Z_OK && Result != Z_STREAM_END) || (!Last && Left != 0)) {
        *Error = Damaged(
            QCoreApplication::translate("TDictdFile", "chunk %1 does not inflate").arg(Index + 1));
        return false;
    }
    Bytes.resize(FChunkLength - Left);
    if (FCache.size() >= 4)
        FCache.removeLast();
    FCache.prepend({Index, std::move(Bytes)});
    *Out = &FCache.first().Bytes;
    return true;
}

bool TDictdData::Read(uint64_t Offset, uint32_t Length, QByteArray* Out, QString* Error)
{
    Out->clear();
    if (Length > MaxTextLength) {
        *Error = QCoreApplication::translate(
                     "TDictdFile", "An entry of the reference dictionary %1 is longer than any "
                                   "entry can be (%2 bytes).")
                     .arg(FName)
                     .arg(Length);
        return false;
    }
    if (FPlain) {
        if (Offset + Length > FSize || !FFile.seek(static_cast<qint64>(Offset))) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "an entry lies beyond its end"));
            return false;
        }
        *Out = FFile.read(Length);
        if (Out->size() != qsizetype(Length)) {
            *Error = Damaged(QCoreApplication::translate("TDictdFile", "an entry cannot be read"));
            return false;
        }
        return true;
    }
    if (!IsDictzip()) {
        if (Offset + Length > FSize) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "an entry lies beyond its end"));
            return false;
        }
        *Out = FWhole.mid(static_cast<qsizetype>(Offset), Length);
        return true;
    }
    uint64_t Position = Offset;
    const uint64_t End = Offset + Length;
    while (Position < End) {
        const size_t Index = static_cast<size_t>(Position / FChunkLength);
        if (Index + 1 >= FChunkStarts.size()) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "an entry lies beyond its end"));
            return false;
        }
        const QByteArray* Bytes = nullptr;
        if (!Chunk(Index, &Bytes, Error))
            return false;
        const uint64_t Within = Position - uint64_t(Index) * FChunkLength;
        const uint64_t Take = std::min<uint64_t>(End - Position, uint64_t(Bytes->size()) - Within);
        if (Within >= uint64_t(Bytes->size()) || Take == 0) {
            *Error =
                Damaged(QCoreApplication::translate("TDictdFile", "an entry lies beyond its end"));
            return false;
        }
        Out->append(Bytes->constData() + Within, static_cast<qsizetype>(Take));
        Position += Take;
    }
    return true;
}
