#pragma once

#include "reports/TPageLayout.h"
#include "reports/TPageTextJobs.h"

#include <QAbstractScrollArea>
#include <QString>
#include <QTimer>
#include <QUrl>

class QTextDocument;

// Shows a generated page with work that follows the screen, not the page: every block of the page
// (see TPageBlocks) is laid out on its own when it first comes into view (see TPageLayout), and
// only the blocks on screen are painted. Blocks not yet laid out count with the average height of
// those that were, so the scroll bar's thumb is proportional from the start and settles as the
// reader moves.
//
// It reads like the browser view it replaces: wheel, scroll bar, arrows, Page Up/Down, Home/End,
// links (highlighted under the mouse, anchorClicked on a click), selection with the mouse, Ctrl+A
// and Copy (the whole page's text), and Find over the whole page, run in slices so the window
// never stops answering (see TPageTextJobs). The view is paper: it keeps a light palette of its
// own whatever the desktop's palette is.
class TPageView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using TPlace = TPagePlace;

    explicit TPageView(QWidget* Parent = nullptr);
    ~TPageView() override;

    // The light palette every page is painted with.
    static QPalette PaperPalette();

    void SetPage(const TPageBlocks& Blocks);
    // Shows Blocks, a page that begins with the blocks shown now (the start of a listing still
    // being built, grown or finished): the reader keeps the place, the selection and what was
    // laid out.
    void ExtendPage(const TPageBlocks& Blocks);
    const TPageBlocks& Blocks() const { return FLayout.Blocks(); }

    // The first block on screen and how far it is scrolled out at the top.
    qsizetype TopBlock() const { return FTop; }
    int TopOffset() const { return FTopOffset; }
    // Blocks at least partly on screen.
    qsizetype VisibleBlockCount() const { return FVisibleCount; }
    // Brings Block (and its text position Position, if given) into view.
    void ScrollToPlace(const TPlace& Place);
    // Laid out at the current width, kept while there is room for it.
    QTextDocument* BlockDocument(qsizetype I) { return FLayout.Document(I); }
    // Where a block's text position is on the viewport; empty when the block is not on screen.
    QRect PlaceRect(const TPlace& Place);

    bool HasSelection() const { return FAnchor != FCaret; }
    void SetSelection(const TPlace& Anchor, const TPlace& Caret);
    QString SelectedText();
    QString PageText() const;
    void SelectAll();
    // Puts the selected text on the clipboard. A long selection is read in slices, like a find,
    // between CopyStarted and CopyFinished.
    void Copy();
    bool Copying() const { return FJobs.Copying(); }

    // Looks for Text (ignoring case) after the selection, or before it when Backward, in the whole
    // page, wrapping round at its ends. The search runs in slices of at most a few milliseconds;
    // FindFinished tells the result, and a hit is selected and scrolled into view.
    void Find(const QString& Text, bool Backward = false);
    bool Searching() const { return FJobs.Searching(); }
    void CancelFind() { FJobs.CancelFind(); }

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
    // The viewport's size; before the view is first shown, the size it will have.
    QSize ViewSize() const;
    // Moves the top of the view by Delta pixels, laying out what it passes.
    void ScrollBy(qint64 Delta);
    // Lays out the blocks on screen and keeps the top inside the page; updates the scroll bar.
    void Arrange();
    void SyncScrollBar();
    bool HitTest(const QPoint& Point, TPlace& Place, QString* Anchor = nullptr);
    // While the program is idle, lays out and paints the screen below and the screen above the
    // view, a few milliseconds at a time, so that reading on by pages finds them ready.
    void PrefetchSlice();

    TPageLayout FLayout;
    TPageTextJobs FJobs{FLayout};
    QTimer FPrefetchTimer;
    qsizetype FTop = 0;
    int FTopOffset = 0;
    qsizetype FVisibleCount = 0;
    bool FSyncing = false;
    int FLastBarValue = 0;

    TPlace FAnchor;
    TPlace FCaret;
    bool FSelecting = false;
    QString FPressedLink;
    QString FHoverLink;
};
