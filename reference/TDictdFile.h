#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

// A dictd dictionary on disk: the ".index" file (one line per headword: the headword, the offset
// and the length of its text in the data file, the numbers in dictd's base64 digits
// A-Z a-z 0-9 + /, fields separated by tabs) and the data file, either plain (".dict") or
// compressed with dictzip (".dict.dz", gzip with a table of independently inflatable chunks in
// the header's extra field). A headword may stand on several lines (one per part of speech).
//
// Both classes report a damaged or foreign file by returning false with a message that names the
// file and what is wrong; nothing they read is trusted to be in range.

// The index, kept as one copy of the file's headwords folded to lower case and a table sorted by
// them. Headwords beginning with "00database" (the dictionary's own notes) are left out.
class TDictdIndex
{
public:
    struct TEntry
    {
        uint32_t KeyStart;  // in Keys
        uint32_t KeyLength; // bytes
        uint64_t Offset;    // in the uncompressed data
        uint32_t Length;
    };

    bool Load(const QString& Path, QString* Error);
    bool LoadBytes(const QByteArray& Bytes, const QString& Name, QString* Error);

    // The entries of a headword (ignoring case), in the order of the file.
    std::vector<TEntry> Find(const QString& Headword) const;
    size_t Count() const { return FEntries.size(); }
    // The largest offset + length any line names: the data must be at least this long.
    uint64_t End() const { return FEnd; }

    // One base64 number of dictd; false for an empty field, a foreign digit or an overflow.
    static bool DecodeNumber(const QByteArray& Field, uint64_t* Value);

private:
    QByteArray FKeys;
    std::vector<TEntry> FEntries;
    uint64_t FEnd = 0;
};

// The data file. A dictzip file is read chunk by chunk as asked; a plain gzip file is inflated as
// a whole (refused above MaxWholeSize); a file without the gzip signature is plain text.
class TDictdData
{
public:
    static constexpr qint64 MaxWholeSize = 64 * 1024 * 1024;
    // A single text asked for is never longer than this (dictd's longest entries are a few KB).
    static constexpr uint32_t MaxTextLength = 1024 * 1024;

    bool Open(const QString& Path, QString* Error);
    // The bytes [Offset, Offset + Length) of the uncompressed data.
    bool Read(uint64_t Offset, uint32_t Length, QByteArray* Out, QString* Error);
    bool IsDictzip() const { return !FChunkStarts.empty(); }
    // The uncompressed size where it is known (dictzip, whole or plain files), else 0.
    uint64_t Size() const { return FSize; }

private:
    bool ReadHeader(QString* Error);
    bool Chunk(size_t Index, const QByteArray** Out, QString* Error);
    QString Damaged(const QString& What) const;

    QFile FFile;
    QString FName;
    bool FPlain = false;
    QByteArray FWhole;                   // a gzip file without a chunk table, inflated
    uint32_t FChunkLength = 0;           // uncompressed bytes per chunk
    std::vector<qint64> FChunkStarts;    // file offset of each chunk, and the end of the last
    uint64_t FSize = 0;
    // The last chunks inflated, for the entries that follow each other.
    struct TCached
    {
        size_t Index;
        QByteArray Bytes;
    };
    QList<TCached> FCache;
};
