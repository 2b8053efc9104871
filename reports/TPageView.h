#pragma once

#include "reports/TPageBlocks.h"

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <climits>
#include <memory>
#include <unordered_map>
#include <vector>

class QTextDocument;

// Shows a generated page with work that follows the screen, not the page: every block of the page
// (see TPageBlocks) is laid out on its own by Qt's HTML layout when it first comes into view, its
// height is kept, and only the blocks on screen are painted. Blocks not yet laid out count with
// the average height of those that were, so the scroll bar's thumb is proportional from the start
// and settles as the reader moves. A limited number of laid-out blocks is kept.
//
// It reads like the browser view it replaces: wheel, scroll bar, arrows, Page Up/Down, Home/End,
// links (highlighted under the mouse, anchorClicked on a click), selection with the mouse, Ctrl+A
// and Copy (the whole page's text), and Find over the whole page, run in slices so the window
// never stops answering. The view is paper: it keeps a light palette of its own whatever the
// desktop's palette is.
class TPageView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // A place in the page's text: a block and a character position inside its laid-out text.
    struct TPlace
    {
        qsizetype Block = 0;
        int Position = 0; // INT_MAX: the block's end
        bool operator==(const TPlace&) const = default;
    };

    explicit TPageView(QWidget* Parent = nullptr);
    ~TPageView() override;

    // The light palette every page is painted with.
    static QPalette PaperPalette();

    void SetPage(const TPageBlocks& Blocks);
    // Shows Blocks, a page that begins with the blocks shown now (the start of a listing still
    // being built, grown or finished): the reader keeps the place, the selection and what was
    // laid out.
    void ExtendPage(const TPageBlocks& Blocks);
    const TPageBlocks& Blocks() const { return FBlocks; }

    // The first block on screen and how far it is scrolled out at the top.
    qsizetype TopBlock() const { return FTop; }
    int TopOffset() const { return FTopOffset; }
    // Blocks at least partly on screen.
    qsizetype VisibleBlockCount() const { return FVisibleCount; }
    // Brings Block (and its text position Position, if given) into view.
    void ScrollToPlace(const TPlace& Place);
    // Laid out at the current width, kept while there is room for it.
    QTextDocument* BlockDocument(qsizetype I);
    // Where a block's text position is on the viewport; empty when the block is not on screen.
    QRect PlaceRect(const TPlace& Place);

    bool HasSelection() const { return !(FAnchor == FCaret); }
    void SetSelection(const TPlace& Anchor, const TPlace& Caret);
    QString SelectedText();
    QString PageText() const;
    void SelectAll();
    // Puts the selected text on the clipboard. A long selection is read in slices, like a find,
    // between CopyStarted and CopyFinished.
    void Copy();
    bool Copying() const { return FCopyTimer.isActive(); }

    // Looks for Text (ignoring case) after the selection, or before it when Backward, in the whole
    // page, wrapping round at its ends. The search runs in slices of at most a few milliseconds;
    // FindFinished tells the result, and a hit is selected and scrolled into view.
    void Find(const QString& Text, bool Backward = false);
    bool Searching() const { return FFindTimer.isActive(); }
    void CancelFind();

signals:
    // The target of the link under the mouse, or empty text once the mouse leaves it.
    void highlighted(const QString& Url);
    void anchorClicked(const QUrl& Url);
    void FindFinished(bool Found);
    void CopyStarted();
    void CopyFinished();
    void SelectionChanged();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    struct TCached
    {
        std::unique_ptr<QTextDocument> Document;
        quint64 Used = 0;
        int Top = 0; // space above the document inside the block's height
        QPixmap Picture; // the document painted ahead of need, without a selection
    };

    static constexpr int Margin = 4;  // around the page, as the browser view had
    static constexpr size_t KeepDocuments = 400;

    // The viewport's size; before the view is first shown, the size it will have.
    QSize ViewSize() const;
    int ContentWidth() const;
    int Height(qsizetype I);
    qint64 Prefix(qsizetype I) const; // heights of blocks 0..I-1
    void SetHeight(qsizetype I, int Height);
    void ResetHeights(int Estimate);
    qsizetype BlockAt(qint64 Y) const; // the block holding page coordinate Y
    // The space above a block's document: the page's margin above the first block, and above
    // any other the top margin of its first paragraph (a heading's), which a document of its
    // own would drop.
    int BlockTop(qsizetype I);
    // Moves the top of the view by Delta pixels, laying out what it passes.
    void ScrollBy(qint64 Delta);
    // Lays out the blocks on screen and keeps the top inside the page; updates the scroll bar.
    void Arrange();
    void SyncScrollBar();
    void Trim();
    bool HitTest(const QPoint& Point, TPlace& Place, QString* Anchor = nullptr);
    int EndPosition(qsizetype Block);
    QString TextBetween(const TPlace& From, const TPlace& To);
    void FindSlice();
    void CopySlice();
    // While the program is idle, lays out and paints the screen below and the screen above the
    // view, a few milliseconds at a time, so that reading on by pages finds them ready.
    void PrefetchSlice();
    // Lays out a block and paints it ahead of need; true when it had to.
    bool Prepare(qsizetype I);
    QColor PaperColor() const;
    void DropPictures();

    TPageBlocks FBlocks;
    QString FBodyColor;
    std::unordered_map<qsizetype, TCached> FDocuments;
    quint64 FUse = 0;
    std::vector<int> FHeights;
    std::vector<bool> FMeasured;
    std::vector<qint64> FTree; // Fenwick tree over FHeights
    int FEstimate = 24;
    qint64 FMeasuredSum = 0;
    qsizetype FMeasuredCount = 0;
    qsizetype FTop = 0;
    int FTopOffset = 0;
    qsizetype FVisibleCount = 0;
    int FLaidOutWidth = -1;
    bool FSyncing = false;
    int FLastBarValue = 0;

    TPlace FAnchor;
    TPlace FCaret;
    bool FSelecting = false;
    QString FPressedLink;
    QString FHoverLink;

    QString FFindText;
    bool FFindBackward = false;
    qsizetype FFindBlock = 0;
    qsizetype FFindStart = 0;
    bool FFindWrapped = false;
    QTimer FFindTimer;
    QTimer FPrefetchTimer;

    TPlace FCopyFrom;
    TPlace FCopyTo;
    qsizetype FCopyNext = 0;
    QStringList FCopyParts;
    QTimer FCopyTimer;
};
