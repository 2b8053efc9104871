#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// A page this program generates, cut into the pieces the report view lays out one at a time: the
// head (every line up to and including the <body> line), then blocks of whole lines. A letter
// heading (<h2>) is a block of its own, so is an entry's table (from <table width="100%"> to
// </table>), and so is every run of other lines. A page without a <body> line is one block after
// an empty head. The bytes are shared with the caller, never copied.
class TPageBlocks
{
public:
    TPageBlocks() = default;
    explicit TPageBlocks(const QByteArray& Page);
    // With the block starts its builder recorded (the offset of every block's first byte,
    // ascending; the first one ends the head).
    TPageBlocks(const QByteArray& Page, std::vector<qsizetype> Starts);

    const QByteArray& Page() const { return FPage; }
    qsizetype Count() const { return qsizetype(FStarts.size()); }
    QByteArrayView Head() const;
    QByteArrayView Block(qsizetype I) const;
    const std::vector<qsizetype>& Starts() const { return FStarts; }
    // The body's background colour as written in its bgcolor attribute, or empty.
    QString BodyColor() const;

    // A block as the reader sees it, without markup: character references and entities decoded,
    // white space collapsed, the cells of a row separated by a tab and rows, paragraphs, headings
    // and line breaks by a line end (none at the very end).
    static QString PlainText(QByteArrayView Html);
    QString BlockText(qsizetype I) const { return PlainText(Block(I)); }

private:
    QByteArray FPage;
    std::vector<qsizetype> FStarts;
};
