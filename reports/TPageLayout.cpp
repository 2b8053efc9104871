#include "reports/TPageLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPalette>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

TPageLayout::TPageLayout() = default;
TPageLayout::~TPageLayout() = default;

void TPageLayout::SetPage(const TPageBlocks& Blocks, int ViewWidth)
{
    FBlocks = Blocks;
    FBodyColor = FBlocks.BodyColor();
    FDocuments.clear();
    FWidth = qMax(1, ViewWidth - 2 * Margin);
    const size_t N = size_t(FBlocks.Count());
    FHeights.assign(N, FEstimate);
    FMeasured.assign(N, false);
    FMeasuredSum = 0;
    FMeasuredCount = 0;
    ResetHeights(FEstimate);
}

void TPageLayout::Extend(const TPageBlocks& Blocks)
{
    // The block that ended the page no longer does: the page's margin below it goes.
    const size_t Last = size_t(FBlocks.Count()) - 1;
    if (Blocks.Count() > FBlocks.Count() && FBlocks.Count() > 0 && FMeasured[Last]) {
        FHeights[Last] = qMax(1, FHeights[Last] - Margin);
        FMeasuredSum -= Margin;
    }
    FBlocks = Blocks;
    const size_t N = size_t(FBlocks.Count());
    FHeights.resize(N, FEstimate);
    FMeasured.resize(N, false);
    ResetHeights(Average());
}

bool TPageLayout::SetViewWidth(int ViewWidth)
{
    const int Width = qMax(1, ViewWidth - 2 * Margin);
    if (Width == FWidth || FBlocks.Count() == 0)
        return false;
    FWidth = Width;
    for (auto& [Index, Cached] : FDocuments) {
        Cached.Document->setTextWidth(Width);
        Cached.Picture = QPixmap();
    }
    std::fill(FMeasured.begin(), FMeasured.end(), false);
    const int Estimate = Average();
    FMeasuredSum = 0;
    FMeasuredCount = 0;
    ResetHeights(Estimate);
    return true;
}

bool TPageLayout::SettleEstimate()
{
    if (FMeasuredCount == 0)
        return false;
    ResetHeights(Average());
    return true;
}

int TPageLayout::Average() const
{
    return FMeasuredCount > 0 ? int(FMeasuredSum / FMeasuredCount) : FEstimate;
}

void TPageLayout::ResetHeights(int Estimate)
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

void TPageLayout::SetHeight(qsizetype I, int Height)
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

qint64 TPageLayout::Prefix(qsizetype I) const
{
    qint64 Sum = 0;
    for (size_t J = size_t(I); J > 0; J -= J & (~J + 1))
        Sum += FTree[J];
    return Sum;
}

qsizetype TPageLayout::BlockAt(qint64 Y) const
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

QTextDocument* TPageLayout::Document(qsizetype I)
{
    TCached& Cached = FDocuments[I];
    Cached.Used = ++FUse;
    if (!Cached.Document) {
        auto Doc = std::make_unique<QTextDocument>();
        Doc->setUndoRedoEnabled(false);
        Doc->setDocumentMargin(0);
        Doc->setDefaultFont(FFont);
        Doc->setHtml(QString::fromLocal8Bit(FBlocks.Block(I)));
        Doc->setTextWidth(FWidth);
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

int TPageLayout::Top(qsizetype I)
{
    const auto It = FDocuments.find(I);
    if (It != FDocuments.end() && It->second.Document)
        return It->second.Top;
    Document(I);
    return FDocuments[I].Top;
}

void TPageLayout::Trim()
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

QColor TPageLayout::Paper(const QPalette& Palette) const
{
    const QColor Paper(FBodyColor);
    return FBodyColor.isEmpty() || !Paper.isValid() ? Palette.color(QPalette::Base) : Paper;
}

const QPixmap& TPageLayout::Picture(qsizetype I) const
{
    static const QPixmap None;
    const auto It = FDocuments.find(I);
    return It == FDocuments.end() ? None : It->second.Picture;
}

void TPageLayout::DropPictures()
{
    for (auto& [Index, Cached] : FDocuments)
        Cached.Picture = QPixmap();
}

bool TPageLayout::Prepare(qsizetype I, const QPalette& Palette, qreal Ratio)
{
    const auto It = FDocuments.find(I);
    if (It != FDocuments.end() && It->second.Document && !It->second.Picture.isNull())
        return false;
    QTextDocument* Doc = Document(I);
    const QSize Size(FWidth, qMax(1, int(std::ceil(Doc->size().height()))));
    QPixmap Picture(Size * Ratio);
    Picture.setDevicePixelRatio(Ratio);
    Picture.fill(Paper(Palette));
    QPainter P(&Picture);
    QAbstractTextDocumentLayout::PaintContext Context;
    Context.palette = Palette;
    Context.clip = QRectF(QPointF(0, 0), QSizeF(Size));
    Doc->documentLayout()->draw(&P, Context);
    FDocuments[I].Picture = std::move(Picture);
    return true;
}

QString TPageLayout::Text(const TPagePlace& From, const TPagePlace& To)
{
    QStringList Parts;
    for (qsizetype B = From.Block; B <= To.Block; ++B) {
        const int Start = B == From.Block ? From.Position : 0;
        const bool ToEnd = B != To.Block || To.Position == INT_MAX ||
                           To.Position >= Document(B)->characterCount() - 1;
        if (Start == 0 && ToEnd) {
            Parts.append(FBlocks.BlockText(B));
            continue;
        }
        // The text between the two places, paragraph by paragraph (a table's cells are
        // paragraphs of their own).
        QTextDocument* Doc = Document(B);
        const int First = qMax(0, Start);
        const int Until = ToEnd ? INT_MAX : To.Position;
        QStringList Lines;
        for (QTextBlock Block = Doc->begin(); Block.isValid(); Block = Block.next()) {
            const int Begin = qMax(First, Block.position());
            const int End = int(qMin<qint64>(Until, qint64(Block.position()) + Block.length() - 1));
            if (End <= Begin)
                continue;
            QString Line = Block.text().mid(Begin - Block.position(), End - Begin);
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
