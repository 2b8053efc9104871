#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

class QIODevice;

// A page this program generates, as the pieces the report view lays out one at a time: the head
// (every line up to and including the <body> line), then blocks of whole lines. A letter heading
// (<h2>) is a block of its own, so is an entry's table (from <table width="100%"> to </table>),
// and so is every run of other lines. A page without a <body> line is one block after an empty
// head.
//
// Two forms hold the same bytes. A page given as bytes is split where its lines say and shares
// the caller's bytes. The dictionary listing is kept compact by its builder: for each block only
// what varies (the letter; the row colour, word, transcription and Bulgarian text already in page
// form), the fixed markup being written again whenever a block or the page is asked for, which
// makes a page of a million entries fit in a fraction of its size. Copies share the data.
class TPageBlocks
{
public:
    TPageBlocks();
    explicit TPageBlocks(const QByteArray& Page);

    // A compact page with this head and no blocks yet; the builder adds them in page order.
    static TPageBlocks Compact(const QByteArray& Head, qsizetype ExpectedBlocks = 0);
    void AddHeading(QByteArrayView Letter);
    void AddEntry(bool Odd, QByteArrayView Word, QByteArrayView Transcription,
                  QByteArrayView Bulgarian);
    void AddRaw(QByteArrayView Bytes);

    qsizetype Count() const { return qsizetype(D->Starts.size()); }
    // A page of the head and the first Blocks blocks, holding its own copy of them.
    TPageBlocks First(qsizetype Blocks) const;
    QByteArray Head() const;
    QByteArray Block(qsizetype I) const;
    // The whole page, byte for byte.
    QByteArray Page() const;
    qsizetype PageSize() const;
    // The bytes held for the page: the page itself, or a compact page's head and records.
    qsizetype KeptSize() const { return D->Page.size() + D->Records.size(); }
    // Writes the page in pieces, without ever holding all of it. False on a write error.
    bool WriteTo(QIODevice& Device) const;
    // The body's background colour as written in its bgcolor attribute, or empty.
    QString BodyColor() const;
    // For checking the split: where each block begins in the page.
    std::vector<qsizetype> Starts() const;

    // A block as the reader sees it, without markup: character references and entities decoded,
    // white space collapsed, the cells of a row separated by a tab and rows, paragraphs, headings
    // and line breaks by a line end (none at the very end).
    static QString PlainText(QByteArrayView Html);
    // PlainText of a block; for an entry of a compact page, read from its parts alone.
    QString BlockText(qsizetype I) const;

private:
    struct TData
    {
        bool Compact = false;
        QByteArray Page;               // the page, or a compact page's head
        QByteArray Records;            // a compact page's blocks
        std::vector<qsizetype> Starts; // where each block begins in Page or in Records
        qsizetype Size = 0;            // a compact page's size in bytes
    };
    void AppendBlock(QByteArray& Out, qsizetype I) const;
    TData& Writable();

    std::shared_ptr<TData> D;
};
