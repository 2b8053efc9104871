#include "reports/TPageView.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

TPageView::TPageView(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    setPalette(PaperPalette());
    setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FFindTimer.setInterval(0);
    connect(&FFindTimer, &QTimer::timeout, this, &TPageView::FindSlice);
    FCopyTimer.setInterval(0);
    connect(&FCopyTimer, &QTimer::timeout, this, &TPageView::CopySlice);
    FPrefetchTimer.setInterval(0);
    connect(&FPrefetchTimer, &QTimer::timeout, this, &TPageView::PrefetchSlice);
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
    FBlocks = Blocks;
    FBodyColor = FBlocks.BodyColor();
    FDocuments.clear();
    const size_t N = size_t(FBlocks.Count());
    FHeights.assign(N, FEstimate);
    FMeasured.assign(N, false);
    FMeasuredSum = 0;
    FMeasuredCount = 0;
    FTop = 0;
    FTopOffset = 0;
    FAnchor = FCaret = TPlace{};
    FHoverLink.clear();
    ResetHeights(FEstimate);
    FLaidOutWidth = ContentWidth();
    Arrange();
    // Blocks not laid out yet count with the average of the first screen.
    if (FMeasuredCount > 0) {
        ResetHeights(int(FMeasuredSum / FMeasuredCount));
        Arrange();
    }
    viewport()->update();
}

void TPageView::ExtendPage(const TPageBlocks& Blocks)
{
    if (FBlocks.Count() == 0 || Blocks.Count() < FBlocks.Count()) {
        SetPage(Blocks);
        return;
    }
    FBlocks = Blocks;
    const size_t N = size_t(FBlocks.Count());
    FHeights.resize(N, FEstimate);
    FMeasured.resize(N, false);
    ResetHeights(FMeasuredCount > 0 ? int(FMeasuredSum / FMeasuredCount) : FEstimate);
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

int TPageView::ContentWidth() const
{
    return qMax(1, ViewSize().width() - 2 * Margin);
}

void TPageView::ResetHeights(int Estimate)
{
    FEstimate = qMax(1, Estimate);
    const size_t N = FHeights.size();
    for (size_t I = 0; I < N; ++I) {
        if (!FMeasured[I])
            FHeights[I] = FEstimate;
    }
    FTree.assign(N + 1, 0);
    for (size_t I = 1; I <= N; ++I) {
        FTree[I] += FHeights[I - 1];
        const size_t J = I + (I & (~I + 1));
        if (J <= N)
            FTree[J] += FTree[I];
    }
}

void TPageView::SetHeight(qsizetype I, int Height)
{
    const qint64 Delta = Height - FHeights[size_t(I)];
    if (!FMeasured[size_t(I)]) {
        FMeasured[size_t(I)] = true;
        ++FMeasuredCount;
        FMeasuredSum += Height;
    } else {
        FMeasuredSum += Delta;
    }
    FHeights[size_t(I)] = Height;
    if (Delta == 0)
        return;
    for (size_t J = size_t(I) + 1; J < FTree.size(); J += J & (~J + 1))
        FTree[J] += Delta;
}

qint64 TPageView::Prefix(qsizetype I) const
{
    qint64 Sum = 0;
    for (size_t J = size_t(I); J > 0; J -= J & (~J + 1))
        Sum += FTree[J];
    return Sum;
}

qsizetype TPageView::BlockAt(qint64 Y) const
{
    const size_t N = FHeights.size();
    if (N == 0)
        return 0;
    size_t Pos = 0;
    size_t Step = 1;
    while (Step * 2 <= N)
        Step *= 2;
    for (; Step; Step /= 2) {
        if (Pos + Step <= N && FTree[Pos + Step] <= Y) {
            Pos += Step;
            Y -= FTree[Pos];
        }
    }
    return qsizetype(qMin(Pos, N - 1));
}

QTextDocument* TPageView::BlockDocument(qsizetype I)
{
    TCached& Cached = FDocuments[I];
    Cached.Used = ++FUse;
    if (!Cached.Document) {
        auto Doc = std::make_unique<QTextDocument>();
        Doc->setUndoRedoEnabled(false);
        Doc->setDocumentMargin(0);
        Doc->setDefaultFont(font());
        Doc->setHtml(QString::fromLocal8Bit(FBlocks.Block(I)));
        Doc->setTextWidth(ContentWidth());
        Cached.Top = I == 0 ? Margin : qMax(0, qRound(Doc->begin().blockFormat().topMargin()));
        Cached.Document = std::move(Doc);
    }
    if (!FMeasured[size_t(I)]) {
        int H = int(std::ceil(Cached.Document->size().height()));
        H += Cached.Top + (I == FBlocks.Count() - 1 ? Margin : 0);
        SetHeight(I, qMax(1, H));
    }
    return Cached.Document.get();
}

int TPageView::BlockTop(qsizetype I)
{
    const auto It = FDocuments.find(I);
    if (It != FDocuments.end() && It->second.Document)
        return It->second.Top;
    BlockDocument(I);
    return FDocuments[I].Top;
}

int TPageView::Height(qsizetype I)
{
    if (!FMeasured[size_t(I)])
        BlockDocument(I);
    return FHeights[size_t(I)];
}

void TPageView::Trim()
{
    if (FDocuments.size() <= KeepDocuments)
        return;
    std::vector<quint64> Stamps;
    Stamps.reserve(FDocuments.size());
    for (const auto& [Index, Cached] : FDocuments)
        Stamps.push_back(Cached.Used);
    const size_t Drop = FDocuments.size() - KeepDocuments / 2;
    std::nth_element(Stamps.begin(), Stamps.begin() + long(Drop), Stamps.end());
    const quint64 Limit = Stamps[Drop];
    for (auto It = FDocuments.begin(); It != FDocuments.end();) {
        if (It->second.Used < Limit)
            It = FDocuments.erase(It);
        else
            ++It;
    }
}

void TPageView::ScrollBy(qint64 Delta)
{
    const qsizetype N = FBlocks.Count();
    if (N == 0)
        return;
    qint64 Offset = FTopOffset + Delta;
    while (Offset > 0 && FTop < N - 1 && Offset >= Height(FTop)) {
        Offset -= Height(FTop);
        ++FTop;
    }
    while (Offset < 0 && FTop > 0) {
        --FTop;
        Offset += Height(FTop);
    }
    const qsizetype OldTop = FTop;
    const int OldOffset = FTopOffset;
    FTopOffset = int(std::clamp<qint64>(Offset, 0, Height(FTop)));
    Arrange();
    // A short move keeps what stays on screen and paints only the strip uncovered.
    const qint64 Moved = Prefix(FTop) + FTopOffset - (Prefix(OldTop) + OldOffset);
    if (Moved != 0 && qAbs(Moved) < ViewSize().height() / 2 && isVisible())
        viewport()->scroll(0, int(-Moved));
    else
        viewport()->update();
}

void TPageView::Arrange()
{
    const qsizetype N = FBlocks.Count();
    const int ViewHeight = ViewSize().height();
    FVisibleCount = 0;
    if (N > 0) {
        for (int Round = 0; Round < 2; ++Round) {
            qint64 Y = -FTopOffset;
            qsizetype I = FTop;
            while (I < N && Y < ViewHeight)
                Y += Height(I++);
            FVisibleCount = I - FTop;
            if (Y >= ViewHeight || (FTop == 0 && FTopOffset == 0))
                break;
            // The page ends above the bottom of the view: show its end at the bottom.
            qint64 Offset = FTopOffset - (ViewHeight - Y);
            while (Offset < 0 && FTop > 0) {
                --FTop;
                Offset += Height(FTop);
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
    const qint64 Total = Prefix(FBlocks.Count());
    Bar->setRange(0, int(std::clamp<qint64>(Total - ViewHeight, 0, INT_MAX)));
    Bar->setPageStep(qMax(1, ViewHeight));
    Bar->setSingleStep(qMax(1, fontMetrics().height() * 3));
    const qint64 Value = Prefix(FTop) + FTopOffset;
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
    FTop = BlockAt(Value);
    FTopOffset = int(qMax<qint64>(0, Value - Prefix(FTop)));
    Arrange();
    viewport()->update();
}

void TPageView::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    const int Width = ContentWidth();
    if (Width != FLaidOutWidth && FBlocks.Count() > 0) {
        // Every height depends on the width: keep the documents, forget what was measured.
        FLaidOutWidth = Width;
        for (auto& [Index, Cached] : FDocuments) {
            Cached.Document->setTextWidth(Width);
            Cached.Picture = QPixmap();
        }
        std::fill(FMeasured.begin(), FMeasured.end(), false);
        const int Estimate = FMeasuredCount ? int(FMeasuredSum / FMeasuredCount) : FEstimate;
        FMeasuredSum = 0;
        FMeasuredCount = 0;
        ResetHeights(Estimate);
        FTopOffset = qMin(FTopOffset, Height(FTop));
        Arrange();
        // What is on screen now tells the height of the rest better.
        if (FMeasuredCount > 0)
            ResetHeights(int(FMeasuredSum / FMeasuredCount));
    }
    Arrange();
}

void TPageView::changeEvent(QEvent* Event)
{
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::PaletteChange)
        DropPictures();
    if (Event->type() == QEvent::FontChange && FBlocks.Count() > 0) {
        const TPageBlocks Blocks = FBlocks;
        const qsizetype Top = FTop;
        SetPage(Blocks);
        ScrollToPlace(TPlace{Top, 0});
    }
}

void TPageView::hideEvent(QHideEvent* Event)
{
    // Nothing runs on for a window that was closed.
    if (Searching()) {
        CancelFind();
        emit FindFinished(false);
    }
    if (Copying()) {
        FCopyTimer.stop();
        FCopyParts.clear();
        emit CopyFinished();
    }
    FPrefetchTimer.stop();
    QAbstractScrollArea::hideEvent(Event);
}

void TPageView::paintEvent(QPaintEvent* Event)
{
    QPainter P(viewport());
    P.fillRect(Event->rect(), PaperColor());
    const qsizetype N = FBlocks.Count();
    const int ViewHeight = ViewSize().height();
    TPlace From = FAnchor;
    TPlace To = FCaret;
    if (To.Block < From.Block || (To.Block == From.Block && To.Position < From.Position))
        std::swap(From, To);
    const bool Selection = HasSelection();
    qint64 Y = -FTopOffset;
    for (qsizetype I = FTop; I < N && Y < ViewHeight; ++I) {
        QTextDocument* Doc = BlockDocument(I);
        const int Top = int(Y) + BlockTop(I);
        const bool Selected = Selection && I >= From.Block && I <= To.Block;
        const QPixmap& Picture = FDocuments[I].Picture;
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
        Y += FHeights[size_t(I)];
    }
    Trim();
    if (N > 0)
        FPrefetchTimer.start();
}

QColor TPageView::PaperColor() const
{
    const QColor Paper(FBodyColor);
    return FBodyColor.isEmpty() || !Paper.isValid() ? palette().color(QPalette::Base) : Paper;
}

void TPageView::DropPictures()
{
    for (auto& [Index, Cached] : FDocuments)
        Cached.Picture = QPixmap();
}

bool TPageView::Prepare(qsizetype I)
{
    const auto It = FDocuments.find(I);
    if (It != FDocuments.end() && It->second.Document && !It->second.Picture.isNull())
        return false;
    QTextDocument* Doc = BlockDocument(I);
    const qreal Ratio = devicePixelRatioF();
    const QSize Size(ContentWidth(), qMax(1, int(std::ceil(Doc->size().height()))));
    QPixmap Picture(Size * Ratio);
    Picture.setDevicePixelRatio(Ratio);
    Picture.fill(PaperColor());
    QPainter P(&Picture);
    QAbstractTextDocumentLayout::PaintContext Context;
    Context.palette = palette();
    Context.clip = QRectF(QPointF(0, 0), QSizeF(Size));
    Doc->documentLayout()->draw(&P, Context);
    FDocuments[I].Picture = std::move(Picture);
    return true;
}

void TPageView::PrefetchSlice()
{
    const qsizetype N = FBlocks.Count();
    const int ViewHeight = ViewSize().height();
    QElapsedTimer Clock;
    Clock.start();
    // The screen below the view first, then the one above it.
    qsizetype Below = FTop + FVisibleCount;
    for (qint64 Y = 0; Below < N && Y < ViewHeight; ++Below) {
        if (Clock.elapsed() >= 4)
            return;
        Prepare(Below);
        Y += FHeights[size_t(Below)];
    }
    // Heights found above the view move it in the page: the scroll bar follows.
    const qint64 Before = Prefix(FTop);
    const auto Sync = qScopeGuard([this, Before] {
        if (Prefix(FTop) != Before)
            SyncScrollBar();
    });
    qsizetype Above = FTop - 1;
    for (qint64 Y = 0; Above >= 0 && Y < ViewHeight; --Above) {
        if (Clock.elapsed() >= 4)
            return;
        Prepare(Above);
        Y += FHeights[size_t(Above)];
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
        if (FBlocks.Count() > 0) {
            FTop = FBlocks.Count() - 1;
            FTopOffset = Height(FTop);
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
    const qsizetype N = FBlocks.Count();
    if (N == 0)
        return false;
    qint64 Y = -FTopOffset;
    qsizetype I = FTop;
    if (Point.y() < 0) {
        Place = TPlace{FTop, 0};
        return true;
    }
    while (I < N - 1 && Y + Height(I) <= Point.y())
        Y += Height(I++);
    QTextDocument* Doc = BlockDocument(I);
    const QPointF Local(Point.x() - Margin, Point.y() - Y - BlockTop(I));
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
    QTextCursor Cursor(BlockDocument(Place.Block));
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
    if (FBlocks.Count() == 0)
        return;
    SetSelection(TPlace{0, 0}, TPlace{FBlocks.Count() - 1, INT_MAX});
}

int TPageView::EndPosition(qsizetype Block)
{
    return BlockDocument(Block)->characterCount() - 1;
}

QString TPageView::TextBetween(const TPlace& From, const TPlace& To)
{
    QStringList Parts;
    for (qsizetype B = From.Block; B <= To.Block; ++B) {
        const int Start = B == From.Block ? From.Position : 0;
        const bool ToEnd = B != To.Block || To.Position == INT_MAX || To.Position >= EndPosition(B);
        if (Start == 0 && ToEnd) {
            Parts.append(FBlocks.BlockText(B));
            continue;
        }
        // The text between the two places, paragraph by paragraph (a table's cells are
        // paragraphs of their own).
        QTextDocument* Doc = BlockDocument(B);
        const int From = qMax(0, Start);
        const int Until = ToEnd ? INT_MAX : To.Position;
        QStringList Lines;
        for (QTextBlock Block = Doc->begin(); Block.isValid(); Block = Block.next()) {
            const int First = qMax(From, Block.position());
            const int Last = int(qMin<qint64>(Until, qint64(Block.position()) + Block.length() - 1));
            if (Last <= First)
                continue;
            QString Line = Block.text().mid(First - Block.position(), Last - First);
            Line.replace(QChar::Nbsp, u' ');
            Line.replace(QChar::LineSeparator, u'\n');
            Line = Line.trimmed();
            if (!Line.isEmpty())
                Lines.append(Line);
        }
        Parts.append(Lines.join(u'\n'));
    }
    return Parts.join(u'\n');
}

QString TPageView::SelectedText()
{
    if (!HasSelection() || FBlocks.Count() == 0)
        return {};
    TPlace From = FAnchor;
    TPlace To = FCaret;
    if (To.Block < From.Block || (To.Block == From.Block && To.Position < From.Position))
        std::swap(From, To);
    return TextBetween(From, To);
}

QString TPageView::PageText() const
{
    QString Text;
    for (qsizetype B = 0; B < FBlocks.Count(); ++B) {
        if (B)
            Text.append(u'\n');
        Text.append(FBlocks.BlockText(B));
    }
    return Text;
}

void TPageView::Copy()
{
    if (!HasSelection() || FBlocks.Count() == 0)
        return;
    FCopyTimer.stop();
    TPlace From = FAnchor;
    TPlace To = FCaret;
    if (To.Block < From.Block || (To.Block == From.Block && To.Position < From.Position))
        std::swap(From, To);
    if (To.Block - From.Block < 2000) {
        QGuiApplication::clipboard()->setText(TextBetween(From, To));
        emit CopyFinished();
        return;
    }
    FCopyFrom = From;
    FCopyTo = To;
    FCopyNext = From.Block;
    FCopyParts.clear();
    emit CopyStarted();
    FCopyTimer.start();
}

void TPageView::CopySlice()
{
    QElapsedTimer Clock;
    Clock.start();
    while (FCopyNext <= FCopyTo.Block) {
        if (Clock.elapsed() >= 10)
            return;
        const qsizetype Last = qMin(FCopyTo.Block, FCopyNext + 255);
        for (; FCopyNext <= Last; ++FCopyNext) {
            const TPlace From = FCopyNext == FCopyFrom.Block ? FCopyFrom : TPlace{FCopyNext, 0};
            const TPlace To = FCopyNext == FCopyTo.Block ? FCopyTo : TPlace{FCopyNext, INT_MAX};
            FCopyParts.append(TextBetween(From, To));
        }
    }
    FCopyTimer.stop();
    QGuiApplication::clipboard()->setText(FCopyParts.join(u'\n'));
    FCopyParts.clear();
    emit CopyFinished();
}

QRect TPageView::PlaceRect(const TPlace& Place)
{
    if (Place.Block < FTop || Place.Block >= FTop + FVisibleCount)
        return {};
    qint64 Y = -FTopOffset;
    for (qsizetype I = FTop; I < Place.Block; ++I)
        Y += Height(I);
    QTextDocument* Doc = BlockDocument(Place.Block);
    const int Position = qBound(0, Place.Position, Doc->characterCount() - 1);
    const QTextBlock Block = Doc->findBlock(Position);
    const QRectF Box = Doc->documentLayout()->blockBoundingRect(Block);
    const QTextLine Line = Block.layout()->lineForTextPosition(Position - Block.position());
    if (!Line.isValid())
        return QRect(Margin + int(Box.left()), int(Y) + BlockTop(Place.Block) + int(Box.top()), 1,
                     int(Box.height()));
    const qreal X = Line.cursorToX(Position - Block.position());
    return QRect(Margin + int(Box.left() + X),
                 int(Y) + BlockTop(Place.Block) + int(Box.top() + Line.y()), 1,
                 qMax(1, int(Line.height())));
}

void TPageView::ScrollToPlace(const TPlace& Place)
{
    if (FBlocks.Count() == 0)
        return;
    const qsizetype Block = qBound<qsizetype>(0, Place.Block, FBlocks.Count() - 1);
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
    CancelFind();
    const qsizetype N = FBlocks.Count();
    if (Text.isEmpty() || N == 0) {
        emit FindFinished(false);
        return;
    }
    FFindText = Text;
    FFindBackward = Backward;
    TPlace From = FAnchor;
    TPlace To = FCaret;
    if (To.Block < From.Block || (To.Block == From.Block && To.Position < From.Position))
        std::swap(From, To);
    qsizetype Block = FTop;
    int Position = Backward ? INT_MAX : 0;
    if (HasSelection()) {
        Block = Backward ? From.Block : To.Block;
        Position = Backward ? From.Position : To.Position;
    }
    // First the rest of the block the search starts in.
    if (Position != (Backward ? 0 : INT_MAX) && Block < N) {
        QTextDocument* Doc = BlockDocument(Block);
        const int End = Doc->characterCount() - 1;
        const QTextCursor Hit =
            Doc->find(Text, qBound(0, Position, End),
                      Backward ? QTextDocument::FindBackward : QTextDocument::FindFlags());
        if (!Hit.isNull()) {
            SetSelection(TPlace{Block, Hit.selectionStart()}, TPlace{Block, Hit.selectionEnd()});
            ScrollToPlace(TPlace{Block, Hit.selectionStart()});
            emit FindFinished(true);
            return;
        }
    }
    FFindStart = Block;
    FFindBlock = Block;
    FFindWrapped = false;
    FindSlice();
    if (!FFindText.isEmpty())
        FFindTimer.start();
}

void TPageView::CancelFind()
{
    FFindTimer.stop();
    FFindText.clear();
}

void TPageView::FindSlice()
{
    const qsizetype N = FBlocks.Count();
    QElapsedTimer Clock;
    Clock.start();
    while (Clock.elapsed() < 10) {
        for (int Step = 0; Step < 64; ++Step) {
            if (FFindWrapped && FFindBlock == FFindStart) {
                CancelFind();
                emit FindFinished(false);
                return;
            }
            FFindBlock = FFindBackward ? (FFindBlock + N - 1) % N : (FFindBlock + 1) % N;
            if (FFindBlock == FFindStart)
                FFindWrapped = true;
            if (!FBlocks.BlockText(FFindBlock).contains(FFindText, Qt::CaseInsensitive))
                continue;
            const qsizetype B = FFindBlock;
            QTextDocument* Doc = BlockDocument(B);
            const QTextCursor Hit =
                Doc->find(FFindText, FFindBackward ? Doc->characterCount() - 1 : 0,
                          FFindBackward ? QTextDocument::FindBackward : QTextDocument::FindFlags());
            CancelFind();
            if (Hit.isNull())
                SetSelection(TPlace{B, 0}, TPlace{B, INT_MAX}); // a text across cells
            else
                SetSelection(TPlace{B, Hit.selectionStart()}, TPlace{B, Hit.selectionEnd()});
            ScrollToPlace(TPlace{B, Hit.isNull() ? 0 : Hit.selectionStart()});
            emit FindFinished(true);
            return;
        }
    }
}
