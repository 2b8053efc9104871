#pragma once

#include "reports/TPageBlocks.h"

#include <QFont>
#include <QPixmap>
#include <QString>

#include <climits>
#include <compare>
#include <memory>
#include <unordered_map>
#include <vector>

class QPalette;
class QTextDocument;

// A place in a page's text: a block and a character position inside its laid-out text.
struct TPagePlace
{
    qsizetype Block = 0;
    int Position = 0; // INT_MAX: the block's end
    // Page order: by block, then by position.
    auto operator<=>(const TPagePlace&) const = default;
};

// A page laid out block by block at one width, for the view that shows it: each block is laid
// out on its own by Qt's HTML layout when it is first asked for, and its height is kept. Blocks
// not yet laid out count with an estimate (the average of those that were), and the heights are
// summed in a Fenwick tree, so that where a block begins and which block holds a place in the
// page are quick to tell on a page of a million blocks. A limited number of laid-out blocks is
// kept (see Trim), each with a picture of it painted ahead of need once asked for.
class TPageLayout
{
public:
    // The space around the page.
    static constexpr int Margin = 4;

    TPageLayout();
    ~TPageLayout();

    // Starts again on a new page, for a view ViewWidth pixels wide: nothing laid out, every block
    // at the estimate.
    void SetPage(const TPageBlocks& Blocks, int ViewWidth);
    // Takes Blocks, a page that begins with the blocks held now, keeping what was laid out.
    void Extend(const TPageBlocks& Blocks);
    const TPageBlocks& Blocks() const { return FBlocks; }
    qsizetype Count() const { return FBlocks.Count(); }

    // The font blocks are laid out in from now on.
    void SetFont(const QFont& Font) { FFont = Font; }
    // Lays the page out for a view ViewWidth pixels wide; false when that is the width it has (or
    // there is no page). A new width keeps the laid-out blocks but forgets every height measured
    // at the old one.
    bool SetViewWidth(int ViewWidth);
    // Blocks not laid out yet count with the average height of those that were; false when none
    // was.
    bool SettleEstimate();

    // The block laid out (now, if it was not), kept while there is room for it.
    QTextDocument* Document(qsizetype I);
    // The space above a block's document: the page's margin above the first block, and above any
    // other the top margin of its first paragraph (a heading's), which a document of its own
    // would drop.
    int Top(qsizetype I);
    // A block's height, laid out first if it was not.
    int Height(qsizetype I)
    {
        if (!FMeasured[size_t(I)])
            Document(I);
        return FHeights[size_t(I)];
    }
    // The height counted for a block so far: measured, or the estimate.
    int KnownHeight(qsizetype I) const { return FHeights[size_t(I)]; }
    // Heights of blocks 0..I-1.
    qint64 Prefix(qsizetype I) const;
    // The block holding page coordinate Y by the heights known so far.
    qsizetype BlockAt(qint64 Y) const;

    // The background of the page: its body's colour, or Palette's base colour.
    QColor Paper(const QPalette& Palette) const;
    // The picture of a laid-out block, or a null one when it has none yet.
    const QPixmap& Picture(qsizetype I) const;
    // Lays out a block and paints its picture (without a selection); true when it had to.
    bool Prepare(qsizetype I, const QPalette& Palette, qreal Ratio);
    void DropPictures();
    // Forgets the blocks used longest ago once too many are kept.
    void Trim();

    // The text between two places as the reader sees it: whole blocks by their plain text, parts
    // of blocks paragraph by paragraph, blocks and paragraphs on lines of their own.
    QString Text(const TPagePlace& From, const TPagePlace& To);

private:
    struct TCached
    {
        std::unique_ptr<QTextDocument> Document;
        quint64 Used = 0;
        int Top = 0;     // space above the document inside the block's height
        QPixmap Picture; // the document painted ahead of need, without a selection
    };

    static constexpr size_t KeepDocuments = 400;

    void ResetHeights(int Estimate);
    void SetHeight(qsizetype I, int Height);
    int Average() const;

    TPageBlocks FBlocks;
    QString FBodyColor;
    QFont FFont;
    int FWidth = 1; // the width blocks are laid out at
    std::unordered_map<qsizetype, TCached> FDocuments;
    quint64 FUse = 0;
    std::vector<int> FHeights;
    std::vector<bool> FMeasured;
    std::vector<qint64> FTree; // Fenwick tree over FHeights
    int FEstimate = 24;
    qint64 FMeasuredSum = 0;
    qsizetype FMeasuredCount = 0;
};
