#include "reports/TPageView.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr int Margin = TPageLayout::Margin;

} // namespace

TPageView::TPageView(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    setPalette(PaperPalette());
    setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FPrefetchTimer.setInterval(0);
    connect(&FPrefetchTimer, &QTimer::timeout, this, &TPageView::PrefetchSlice);
    // A hit is selected and scrolled into view.
    connect(&FJobs, &TPageTextJobs::Found, this, [this](const TPlace& From, const TPlace& To) {
        SetSelection(From, To);
        ScrollToPlace(From);
        emit FindFinished(true);
    });
    connect(&FJobs, &TPageTextJobs::NotFound, this, [this] { emit FindFinished(false); });
    connect(&FJobs, &TPageTextJobs::CopyStarted, this, &TPageView::CopyStarted);
    connect(&FJobs, &TPageTextJobs::CopyFinished, this, &TPageView::CopyFinished);
}

TPageView::~TPageView() = default;

QPalette TPageView::PaperPalette()
{
    QPalette P(QColor(0xF0, 0xF0, 0xF0));
    P.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    P.setColor(QPalette::WindowText, Qt::black);
    P.setColor(QPalette::Base, Qt::white);
    P.setColor(QPalette::AlternateBase, QColor(0xF5, 0xF5, 0xF5));
    P.setColor(QPalette::Text, Qt::black);
    P.setColor(QPalette::ButtonText, Qt::black);
    P.setColor(QPalette::Highlight, QColor(0x33, 0x99, 0xFF));
    P.setColor(QPalette::HighlightedText, Qt::white);
    P.setColor(QPalette::Link, QColor(0x00, 0x00, 0xEE));
    P.setColor(QPalette::LinkVisited, QColor(0x55, 0x1A, 0x8B));
    P.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    P.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    P.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    return P;
}

void TPageView::SetPage(const TPageBlocks& Blocks)
{
    CancelFind();
    // A copy of the page shown until now reads it to the end first.
    FJobs.FinishCopy();
    FLayout.SetFont(font());
    FLayout.SetPage(Blocks, ViewSize().width());
    FTop = 0;
    FTopOffset = 0;
    FAnchor = FCaret = TPlace{};
    FHoverLink.clear();
    Arrange();
    // Blocks not laid out yet count with the average of the first screen.
    if (FLayout.SettleEstimate())
        Arrange();
    viewport()->update();
}

void TPageView::ExtendPage(const TPageBlocks& Blocks)
{
    if (FLayout.Count() == 0 || Blocks.Count() < FLayout.Count()) {
        SetPage(Blocks);
        return;
    }
    FLayout.Extend(Blocks);
    Arrange();
    viewport()->update();
}

QSize TPageView::ViewSize() const
{
    if (isVisible())
        return viewport()->size();
    // A hidden view gets its viewport's geometry only when it is shown.
    const int Frame = 2 * frameWidth();
    return QSize(width() - Frame, height() - Frame);
}

void TPageView::ScrollBy(qint64 Delta)
{
    const qsizetype N = FLayout.Count();
    if (N == 0)
        return;
    qint64 Offset = FTopOffset + Delta;
    while (Offset > 0 && FTop < N - 1 && Offset >= FLayout.Height(FTop)) {
        Offset -= FLayout.Height(FTop);
        ++FTop;
    }
    while (Offset < 0 && FTop > 0) {
        --FTop;
        Offset += FLayout.Height(FTop);
    }
    const qsizetype OldTop = FTop;
    const int OldOffset = FTopOffset;
    FTopOffset = int(std::clamp<qint64>(Offset, 0, FLayout.Height(FTop)));
    Arrange();
    // A short move keeps what stays on screen and paints only the strip uncovered.
    const qint64 Moved = FLayout.Prefix(FTop) + FTopOffset - (FLayout.Prefix(OldTop) + OldOffset);
    if (Moved != 0 && qAbs(Moved) < ViewSize().height() / 2 && isVisible())
        viewport()->scroll(0, int(-Moved));
    else
        viewport()->update();
}

void TPageView::Arrange()
{
    const qsizetype N = FLayout.Count();
    const int ViewHeight = ViewSize().height();
    FVisibleCount = 0;
    if (N > 0) {
        for (int Round = 0; Round < 2; ++Round) {
            qint64 Y = -FTopOffset;
            qsizetype I = FTop;
            while (I < N && Y < ViewHeight)
                Y += FLayout.Height(I++);
            FVisibleCount = I - FTop;
            if (Y >= ViewHeight || (FTop == 0 && FTopOffset == 0))
                break;
            // The page ends above the bottom of the view: show its end at the bottom.
            qint64 Offset = FTopOffset - (ViewHeight - Y);
            while (Offset < 0 && FTop > 0) {
                --FTop;
                Offset += FLayout.Height(FTop);
            }
            FTopOffset = int(qMax<qint64>(0, Offset));
        }
    }
    SyncScrollBar();
}

void TPageView::SyncScrollBar()
{
    FSyncing = true;
    QScrollBar* Bar = verticalScrollBar();
    const int ViewHeight = ViewSize().height();
    const qint64 Total = FLayout.Prefix(FLayout.Count());
    Bar->setRange(0, int(std::clamp<qint64>(Total - ViewHeight, 0, INT_MAX)));
    Bar->setPageStep(qMax(1, ViewHeight));
    Bar->setSingleStep(qMax(1, fontMetrics().height() * 3));
    const qint64 Value = FLayout.Prefix(FTop) + FTopOffset;
    Bar->setValue(int(qMin<qint64>(Value, INT_MAX)));
    FLastBarValue = Bar->value();
    FSyncing = false;
}

void TPageView::scrollContentsBy(int, int)
{
    if (FSyncing)
        return;
    const int Value = verticalScrollBar()->value();
    const qint64 Delta = qint64(Value) - FLastBarValue;
    if (qAbs(Delta) <= 4 * qint64(qMax(1, ViewSize().height()))) {
        ScrollBy(Delta);
        return;
    }
    // A jump (the thumb dragged far, a click in the trough): the block at that place by the
    // heights known so far.
    FTop = FLayout.BlockAt(Value);
    FTopOffset = int(qMax<qint64>(0, Value - FLayout.Prefix(FTop)));
    Arrange();
    viewport()->update();
}

void TPageView::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    // Every height depends on the width: the layout keeps the documents and forgets what was
    // measured.
    if (FLayout.SetViewWidth(ViewSize().width())) {
        FTopOffset = qMin(FTopOffset, FLayout.Height(FTop));
        Arrange();
        // What is on screen now tells the height of the rest better.
        FLayout.SettleEstimate();
    }
    Arrange();
}

void TPageView::changeEvent(QEvent* Event)
{
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange)
        FLayout.DropPictures();
    if (Event->type() == QEvent::FontChange && FLayout.Count() > 0) {
        const TPageBlocks Blocks = FLayout.Blocks();
        const qsizetype Top = FTop;
        SetPage(Blocks);
        ScrollToPlace(TPlace{Top, 0});
    }
}

void TPageView::hideEvent(QHideEvent* Event)
{
    // Nothing runs on for a window that was closed.
    FJobs.Stop();
    FPrefetchTimer.stop();
    QAbstractScrollArea::hideEvent(Event);
}

void TPageView::paintEvent(QPaintEvent* Event)
{
    QPainter P(viewport());
    P.fillRect(Event->rect(), FLayout.Paper(palette()));
    const qsizetype N = FLayout.Count();
    const int ViewHeight = ViewSize().height();
    const auto [From, To] = std::minmax(FAnchor, FCaret);
    const bool Selection = HasSelection();
    qint64 Y = -FTopOffset;
    for (qsizetype I = FTop; I < N && Y < ViewHeight; ++I) {
        QTextDocument* Doc = FLayout.Document(I);
        const int Top = int(Y) + FLayout.Top(I);
        const bool Selected = Selection && I >= From.Block && I <= To.Block;
        const QPixmap& Picture = FLayout.Picture(I);
        if (!Selected && !Picture.isNull()) {
            P.drawPixmap(Margin, Top, Picture);
        } else if (Top + Doc->size().height() >= Event->rect().top() &&
                   Top <= Event->rect().bottom()) {
            QAbstractTextDocumentLayout::PaintContext Context;
            Context.palette = palette();
            Context.clip = QRectF(Event->rect().translated(-Margin, -Top));
            if (Selected) {
                // One selection per paragraph: a selection across a table's cells would stand
                // for those cells whole, and the reader sees what will be copied.
                const int End = Doc->characterCount() - 1;
                const int First = I == From.Block ? qBound(0, From.Position, End) : 0;
                const int Last = I == To.Block ? qBound(0, To.Position, End) : End;
                for (QTextBlock Block = Doc->findBlock(First);
                     Block.isValid() && Block.position() <= Last; Block = Block.next()) {
                    QTextCursor Cursor(Doc);
                    Cursor.setPosition(qMax(First, Block.position()));
                    Cursor.setPosition(qMin(Last, Block.position() + Block.length() - 1),
                                       QTextCursor::KeepAnchor);
                    if (!Cursor.hasSelection())
                        continue;
                    QAbstractTextDocumentLayout::Selection S;
                    S.cursor = Cursor;
                    S.format.setBackground(palette().color(QPalette::Highlight));
                    S.format.setForeground(palette().color(QPalette::HighlightedText));
                    Context.selections.append(S);
                }
            }
            P.save();
            P.translate(Margin, Top);
            P.setClipRect(Context.clip);
            Doc->documentLayout()->draw(&P, Context);
            P.restore();
        }
        Y += FLayout.KnownHeight(I);
    }
    FLayout.Trim();
    if (N > 0)
        FPrefetchTimer.start();
}

void TPageView::PrefetchSlice()
{
    const qsizetype N = FLayout.Count();
    const int ViewHeight = ViewSize().height();
    QElapsedTimer Clock;
    Clock.start();
    // The screen below the view first, then the one above it.
    qsizetype Below = FTop + FVisibleCount;
    for (qint64 Y = 0; Below < N && Y < ViewHeight; ++Below) {
        if (Clock.elapsed() >= 4)
            return;
        FLayout.Prepare(Below, palette(), devicePixelRatioF());
        Y += FLayout.KnownHeight(Below);
    }
    // Heights found above the view move it in the page: the scroll bar follows.
    const qint64 Before = FLayout.Prefix(FTop);
    const auto Sync = qScopeGuard([this, Before] {
        if (FLayout.Prefix(FTop) != Before)
            SyncScrollBar();
    });
    qsizetype Above = FTop - 1;
    for (qint64 Y = 0; Above >= 0 && Y < ViewHeight; --Above) {
        if (Clock.elapsed() >= 4)
            return;
        FLayout.Prepare(Above, palette(), devicePixelRatioF());
        Y += FLayout.KnownHeight(Above);
    }
    FPrefetchTimer.stop();
}

void TPageView::keyPressEvent(QKeyEvent* Event)
{
    const int Line = verticalScrollBar()->singleStep();
    const int Page = qMax(Line, ViewSize().height() - Line);
    if (Event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (Event->matches(QKeySequence::Copy)) {
        Copy();
    } else if (Event->matches(QKeySequence::MoveToStartOfDocument) ||
               (Event->key() == Qt::Key_Home && Event->modifiers() == Qt::NoModifier)) {
        FTop = 0;
        FTopOffset = 0;
        Arrange();
        viewport()->update();
    } else if (Event->matches(QKeySequence::MoveToEndOfDocument) ||
               (Event->key() == Qt::Key_End && Event->modifiers() == Qt::NoModifier)) {
        if (FLayout.Count() > 0) {
            FTop = FLayout.Count() - 1;
            FTopOffset = FLayout.Height(FTop);
            Arrange();
            viewport()->update();
        }
    } else if (Event->key() == Qt::Key_Down) {
        ScrollBy(Line);
    } else if (Event->key() == Qt::Key_Up) {
        ScrollBy(-Line);
    } else if (Event->key() == Qt::Key_PageDown || Event->key() == Qt::Key_Space) {
        ScrollBy(Page);
    } else if (Event->key() == Qt::Key_PageUp) {
        ScrollBy(-Page);
    } else {
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    Event->accept();
}

bool TPageView::HitTest(const QPoint& Point, TPlace& Place, QString* Anchor)
{
    const qsizetype N = FLayout.Count();
    if (N == 0)
        return false;
    qint64 Y = -FTopOffset;
    qsizetype I = FTop;
    if (Point.y() < 0) {
        Place = TPlace{FTop, 0};
        return true;
    }
    while (I < N - 1 && Y + FLayout.Height(I) <= Point.y())
        Y += FLayout.Height(I++);
    QTextDocument* Doc = FLayout.Document(I);
    const QPointF Local(Point.x() - Margin, Point.y() - Y - FLayout.Top(I));
    if (Local.y() > Doc->size().height()) {
        Place = TPlace{I, Doc->characterCount() - 1};
        return true;
    }
    const int Position = Doc->documentLayout()->hitTest(Local, Qt::FuzzyHit);
    Place = TPlace{I, qMax(0, Position)};
    if (Anchor)
        *Anchor = Doc->documentLayout()->anchorAt(Local);
    return true;
}

void TPageView::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(Event);
        return;
    }
    TPlace Place;
    QString Link;
    if (!HitTest(Event->position().toPoint(), Place, &Link))
        return;
    FPressedLink = Link;
    if (Event->modifiers() & Qt::ShiftModifier)
        FCaret = Place;
    else
        FAnchor = FCaret = Place;
    FSelecting = true;
    viewport()->update();
    emit SelectionChanged();
}

void TPageView::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint Point = Event->position().toPoint();
    TPlace Place;
    QString Link;
    if (FSelecting && (Event->buttons() & Qt::LeftButton)) {
        // Dragging past the top or the bottom scrolls.
        if (Point.y() < 0)
            ScrollBy(Point.y());
        else if (Point.y() > ViewSize().height())
            ScrollBy(Point.y() - ViewSize().height());
        if (HitTest(Point, Place) && !(Place == FCaret)) {
            FCaret = Place;
            viewport()->update();
            emit SelectionChanged();
        }
        return;
    }
    if (!HitTest(Point, Place, &Link))
        return;
    if (Link != FHoverLink) {
        FHoverLink = Link;
        viewport()->setCursor(Link.isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
        emit highlighted(Link);
    }
}

void TPageView::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(Event);
        return;
    }
    FSelecting = false;
    const QString Pressed = std::exchange(FPressedLink, QString());
    TPlace Place;
    QString Link;
    if (!Pressed.isEmpty() && !HasSelection() &&
        HitTest(Event->position().toPoint(), Place, &Link) && Link == Pressed)
        emit anchorClicked(QUrl(Link));
}

void TPageView::mouseDoubleClickEvent(QMouseEvent* Event)
{
    TPlace Place;
    if (Event->button() != Qt::LeftButton || !HitTest(Event->position().toPoint(), Place))
        return;
    QTextCursor Cursor(FLayout.Document(Place.Block));
    Cursor.setPosition(Place.Position);
    Cursor.select(QTextCursor::WordUnderCursor);
    SetSelection(TPlace{Place.Block, Cursor.selectionStart()},
                 TPlace{Place.Block, Cursor.selectionEnd()});
}

void TPageView::leaveEvent(QEvent* Event)
{
    QAbstractScrollArea::leaveEvent(Event);
    if (!FHoverLink.isEmpty()) {
        FHoverLink.clear();
        emit highlighted(QString());
    }
}

void TPageView::SetSelection(const TPlace& Anchor, const TPlace& Caret)
{
    FAnchor = Anchor;
    FCaret = Caret;
    viewport()->update();
    emit SelectionChanged();
}

void TPageView::SelectAll()
{
    if (FLayout.Count() == 0)
        return;
    SetSelection(TPlace{0, 0}, TPlace{FLayout.Count() - 1, INT_MAX});
}

QString TPageView::SelectedText()
{
    if (!HasSelection() || FLayout.Count() == 0)
        return {};
    const auto [From, To] = std::minmax(FAnchor, FCaret);
    return FLayout.Text(From, To);
}

QString TPageView::PageText() const
{
    QString Text;
    for (qsizetype B = 0; B < FLayout.Count(); ++B) {
        if (B)
            Text.append(u'\n');
        Text.append(FLayout.Blocks().BlockText(B));
    }
    return Text;
}

void TPageView::Copy()
{
    if (!HasSelection() || FLayout.Count() == 0)
        return;
    const auto [From, To] = std::minmax(FAnchor, FCaret);
    FJobs.Copy(From, To);
}

QRect TPageView::PlaceRect(const TPlace& Place)
{
    if (Place.Block < FTop || Place.Block >= FTop + FVisibleCount)
        return {};
    qint64 Y = -FTopOffset;
    for (qsizetype I = FTop; I < Place.Block; ++I)
        Y += FLayout.Height(I);
    QTextDocument* Doc = FLayout.Document(Place.Block);
    const int Position = qBound(0, Place.Position, Doc->characterCount() - 1);
    const QTextBlock Block = Doc->findBlock(Position);
    const QRectF Box = Doc->documentLayout()->blockBoundingRect(Block);
    const QTextLine Line = Block.layout()->lineForTextPosition(Position - Block.position());
    if (!Line.isValid())
        return QRect(Margin + int(Box.left()), int(Y) + FLayout.Top(Place.Block) + int(Box.top()),
                     1, int(Box.height()));
    const qreal X = Line.cursorToX(Position - Block.position());
    return QRect(Margin + int(Box.left() + X),
                 int(Y) + FLayout.Top(Place.Block) + int(Box.top() + Line.y()), 1,
                 qMax(1, int(Line.height())));
}

void TPageView::ScrollToPlace(const TPlace& Place)
{
    if (FLayout.Count() == 0)
        return;
    const qsizetype Block = qBound<qsizetype>(0, Place.Block, FLayout.Count() - 1);
    const QRect Shown = PlaceRect(TPlace{Block, Place.Position});
    if (!Shown.isEmpty() && Shown.top() >= 0 && Shown.bottom() < ViewSize().height())
        return;
    FTop = Block;
    FTopOffset = 0;
    Arrange();
    const QRect At = PlaceRect(TPlace{Block, Place.Position});
    if (!At.isEmpty())
        ScrollBy(qMax(0, At.top() - ViewSize().height() / 3));
    viewport()->update();
}

void TPageView::Find(const QString& Text, bool Backward)
{
    // From the selection on, or from the top of the view.
    TPlace Start{FTop, Backward ? INT_MAX : 0};
    if (HasSelection()) {
        const auto [From, To] = std::minmax(FAnchor, FCaret);
        Start = Backward ? From : To;
    }
    FJobs.Find(Text, Backward, Start);
}
