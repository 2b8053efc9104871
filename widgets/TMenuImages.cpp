#include "widgets/TMenuImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace TMenuImages {

namespace {

using TDraw = std::function<void(QPainter&)>;

const QColor Green(0x1e, 0x9e, 0x3a);
const QColor DarkGreen(0x10, 0x6b, 0x24);
const QColor Red(0xd8, 0x24, 0x24);
const QColor DarkRed(0x9a, 0x12, 0x12);
const QColor Blue(0x1f, 0x5f, 0xc8);
const QColor DarkBlue(0x12, 0x3c, 0x86);
const QColor Frame(0x4a, 0x55, 0x66);

// Renders a drawing made on a 16 x 16 grid at the usual sizes.
QIcon Render(const TDraw& Draw, int Base = 16)
{
    QIcon Icon;
    for (int Size : {Base, Base * 2, Base * 3}) {
        QPixmap Pixmap(Size, Size);
        Pixmap.fill(Qt::transparent);
        QPainter Painter(&Pixmap);
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.scale(Size / 16.0, Size / 16.0);
        Draw(Painter);
        Painter.end();
        Icon.addPixmap(Pixmap);
    }
    return Icon;
}

void Plus(QPainter& P, const QColor& Fill, const QColor& Edge)
{
    QPainterPath Path;
    Path.addRoundedRect(QRectF(6, 1.5, 4, 13), 1, 1);
    Path.addRoundedRect(QRectF(1.5, 6, 13, 4), 1, 1);
    P.setPen(QPen(Edge, 1));
    P.setBrush(Fill);
    P.drawPath(Path.simplified());
}

void Cross(QPainter& P, QRectF Box, qreal Width)
{
    P.setPen(QPen(DarkRed, Width + 1.2, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(Box.topLeft(), Box.bottomRight());
    P.drawLine(Box.topRight(), Box.bottomLeft());
    P.setPen(QPen(Red, Width, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(Box.topLeft(), Box.bottomRight());
    P.drawLine(Box.topRight(), Box.bottomLeft());
}

void Window(QPainter& P, QRectF Box)
{
    P.setPen(QPen(Frame, 1));
    P.setBrush(Qt::white);
    P.drawRect(Box);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0x3a, 0x6e, 0xd0));
    P.drawRect(QRectF(Box.left() + 0.5, Box.top() + 0.5, Box.width() - 1, 3));
}

void Letter(QPainter& P, const QString& Text, const QColor& Fill)
{
    P.setPen(QPen(DarkBlue, 1));
    P.setBrush(Fill);
    P.drawEllipse(QRectF(1, 1, 14, 14));
    QFont Font("DejaVu Serif");
    Font.setBold(true);
    Font.setPixelSize(12);
    P.setFont(Font);
    P.setPen(Qt::white);
    P.drawText(QRectF(1, 1, 14, 14.5), Qt::AlignCenter, Text);
}

void Arrow(QPainter& P, qreal Y, bool Right)
{
    QPolygonF Shape;
    if (Right)
        Shape << QPointF(2, Y - 1.5) << QPointF(9, Y - 1.5) << QPointF(9, Y - 4) << QPointF(14.5, Y)
              << QPointF(9, Y + 4) << QPointF(9, Y + 1.5) << QPointF(2, Y + 1.5);
    else
        Shape << QPointF(14, Y - 1.5) << QPointF(7, Y - 1.5) << QPointF(7, Y - 4) << QPointF(1.5, Y)
              << QPointF(7, Y + 4) << QPointF(7, Y + 1.5) << QPointF(14, Y + 1.5);
    P.setPen(QPen(DarkGreen, 1));
    P.setBrush(Green);
    P.drawPolygon(Shape);
}

TDraw MenuDrawing(int Index)
{
    switch (Index) {
    case miPlus:
        return [](QPainter& P) { Plus(P, Green, DarkGreen); };
    case miPencil:
        return [](QPainter& P) {
            P.translate(8, 8);
            P.rotate(45);
            P.setPen(QPen(QColor(0x80, 0x5a, 0x10), 1));
            P.setBrush(QColor(0xf2, 0xc0, 0x3a));
            P.drawRect(QRectF(-2.5, -7, 5, 10));
            P.setBrush(QColor(0xf0, 0xa0, 0xa8));
            P.drawRect(QRectF(-2.5, -7.5, 5, 2));
            QPolygonF Tip;
            Tip << QPointF(-2.5, 3) << QPointF(2.5, 3) << QPointF(0, 7.5);
            P.setBrush(QColor(0xf3, 0xdc, 0xb0));
            P.drawPolygon(Tip);
        };
    case miCross:
        return [](QPainter& P) { Cross(P, QRectF(3, 3, 10, 10), 2.6); };
    case miTableCross:
        return [](QPainter& P) {
            P.setPen(QPen(Frame, 1));
            P.setBrush(Qt::white);
            P.drawRect(QRectF(0.5, 1.5, 13, 11));
            P.setBrush(QColor(0xc8, 0xd8, 0xf0));
            P.drawRect(QRectF(0.5, 1.5, 13, 3));
            P.setPen(QPen(QColor(0x9a, 0xa8, 0xba), 1));
            for (qreal Y : {7.5, 10.0})
                P.drawLine(QPointF(1, Y), QPointF(13, Y));
            P.drawLine(QPointF(5, 5), QPointF(5, 12));
            Cross(P, QRectF(8.5, 8.5, 6, 6), 2);
        };
    case miArrows:
        return [](QPainter& P) {
            Arrow(P, 4.5, true);
            Arrow(P, 11.5, false);
        };
    case miWindowWrench:
        return [](QPainter& P) {
            Window(P, QRectF(0.5, 0.5, 12, 11));
            P.translate(10, 10);
            P.rotate(-45);
            P.setPen(QPen(QColor(0x44, 0x44, 0x4c), 1));
            P.setBrush(QColor(0xb8, 0xbc, 0xc4));
            P.drawRoundedRect(QRectF(-1.3, -1, 2.6, 8), 1, 1);
            QPainterPath Head;
            Head.addEllipse(QPointF(0, -2), 3.2, 3.2);
            QPainterPath Jaw;
            Jaw.addRect(QRectF(-1.2, -6, 2.4, 4));
            P.drawPath(Head.subtracted(Jaw));
        };
    case miInformation:
        return [](QPainter& P) { Letter(P, "i", Blue); };
    case miQuestion:
        return [](QPainter& P) { Letter(P, "?", Blue); };
    case miPage:
        return [](QPainter& P) {
            QPolygonF Sheet;
            Sheet << QPointF(2.5, 0.5) << QPointF(10, 0.5) << QPointF(13.5, 4)
                  << QPointF(13.5, 15.5) << QPointF(2.5, 15.5);
            P.setPen(QPen(Frame, 1));
            P.setBrush(Qt::white);
            P.drawPolygon(Sheet);
            P.setBrush(QColor(0xdd, 0xe2, 0xea));
            QPolygonF Fold;
            Fold << QPointF(10, 0.5) << QPointF(10, 4) << QPointF(13.5, 4);
            P.drawPolygon(Fold);
            P.setPen(QPen(QColor(0x55, 0x66, 0x88), 1));
            for (qreal Y : {6.5, 8.5, 10.5, 12.5})
                P.drawLine(QPointF(4.5, Y), QPointF(Y > 12 ? 9 : 11.5, Y));
        };
    case miHouse:
        return [](QPainter& P) {
            QPolygonF Roof;
            Roof << QPointF(0.5, 8) << QPointF(8, 1) << QPointF(15.5, 8);
            P.setPen(QPen(QColor(0x6b, 0x4a, 0x2a), 1));
            P.setBrush(QColor(0xf4, 0xe6, 0xc8));
            P.drawRect(QRectF(2.5, 7, 11, 8));
            P.setBrush(QColor(0xc0, 0x3a, 0x2a));
            P.setPen(QPen(DarkRed, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            P.drawPolyline(Roof);
            P.setPen(QPen(QColor(0x6b, 0x4a, 0x2a), 1));
            P.setBrush(QColor(0x8a, 0x5a, 0x2c));
            P.drawRect(QRectF(6.5, 10, 3, 5));
        };
    case miWindowCross:
        return [](QPainter& P) {
            Window(P, QRectF(0.5, 0.5, 13, 12));
            Cross(P, QRectF(9, 9, 5.5, 5.5), 2);
        };
    }
    return [](QPainter&) {};
}

} // namespace

QIcon MenuImage(int Index)
{
    static QIcon Cache[MenuImageCount];
    if (Index < 0 || Index >= MenuImageCount)
        return {};
    if (Cache[Index].isNull())
        Cache[Index] = Render(MenuDrawing(Index));
    return Cache[Index];
}

QIcon IconsListImage(int Index)
{
    static QIcon Cache[IconsListCount];
    if (Index < 0 || Index >= IconsListCount)
        return {};
    if (!Cache[Index].isNull())
        return Cache[Index];
    switch (Index) {
    case iiStart:
        Cache[Index] = Render([](QPainter& P) {
            QPolygonF Triangle;
            Triangle << QPointF(4, 2) << QPointF(13.5, 8) << QPointF(4, 14);
            P.setPen(QPen(DarkGreen, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            P.setBrush(Green);
            P.drawPolygon(Triangle);
        });
        break;
    case iiStop:
        Cache[Index] = Render([](QPainter& P) {
            P.setPen(QPen(DarkRed, 1));
            P.setBrush(Red);
            P.drawEllipse(QRectF(2, 2, 12, 12));
        });
        break;
    case iiHouse:
        Cache[Index] = MenuImage(miHouse);
        break;
    case iiQuestion:
        Cache[Index] = MenuImage(miQuestion);
        break;
    case iiWindow:
        Cache[Index] = Render([](QPainter& P) { Window(P, QRectF(0.5, 1.5, 15, 13)); });
        break;
    case iiWindowCross:
        Cache[Index] = MenuImage(miWindowCross);
        break;
    }
    return Cache[Index];
}

QIcon NavigatorGlyph(TNavigateGlyph Glyph, const QColor& Ink)
{
    return Render([Glyph, Ink](QPainter& P) {
        const bool Back = Glyph == ngFirst || Glyph == ngPrior;
        const bool Bar = Glyph == ngFirst || Glyph == ngLast;
        if (Back) {
            P.translate(16, 0);
            P.scale(-1, 1);
        }
        P.setPen(Qt::NoPen);
        P.setBrush(Ink);
        QPolygonF Triangle;
        const qreal X = Bar ? 4 : 5.5;
        Triangle << QPointF(X, 3.5) << QPointF(X + 6, 8) << QPointF(X, 12.5);
        P.drawPolygon(Triangle);
        if (Bar)
            P.drawRect(QRectF(10.5, 3.5, 2, 9));
    });
}

QIcon ApplicationIcon()
{
    static QIcon Painted = Render([](QPainter& P) {
        // An open book: blue cover, two pages, a red bookmark.
        P.setPen(QPen(DarkBlue, 0.8));
        P.setBrush(Blue);
        P.drawRoundedRect(QRectF(0.5, 2.5, 15, 12), 1.2, 1.2);
        P.setPen(QPen(QColor(0x9a, 0xa4, 0xb4), 0.5));
        P.setBrush(Qt::white);
        QPolygonF Left, Right;
        Left << QPointF(1.8, 2) << QPointF(7.8, 3) << QPointF(7.8, 13.4) << QPointF(1.8, 12.6);
        Right << QPointF(14.2, 2) << QPointF(8.2, 3) << QPointF(8.2, 13.4) << QPointF(14.2, 12.6);
        P.drawPolygon(Left);
        P.drawPolygon(Right);
        P.setPen(QPen(QColor(0x55, 0x66, 0x88), 0.7));
        for (qreal Y : {5.0, 7.0, 9.0, 11.0}) {
            P.drawLine(QPointF(3, Y), QPointF(6.8, Y + 0.4));
            P.drawLine(QPointF(9.2, Y + 0.4), QPointF(13, Y));
        }
        P.setPen(Qt::NoPen);
        P.setBrush(Red);
        QPolygonF Mark;
        Mark << QPointF(11, 2.4) << QPointF(12.6, 2.2) << QPointF(12.6, 7) << QPointF(11.8, 6)
             << QPointF(11, 7);
        P.drawPolygon(Mark);
    });
    // The installed icon where the desktop's theme has it (dist/icons holds the same drawing).
    static QIcon Icon = QIcon::fromTheme(QStringLiteral("vexlo-vocabulary"), Painted);
    return Icon;
}

// A loudspeaker with two sound waves.
QIcon SpeakerGlyph()
{
    return Render([](QPainter& P) {
        QPainterPath Body;
        Body.moveTo(1.5, 6);
        Body.lineTo(4.5, 6);
        Body.lineTo(8.5, 2.5);
        Body.lineTo(8.5, 13.5);
        Body.lineTo(4.5, 10);
        Body.lineTo(1.5, 10);
        Body.closeSubpath();
        P.setPen(QPen(QColor(0x2B, 0x3A, 0x55), 1));
        P.setBrush(QColor(0x5A, 0x7F, 0xB8));
        P.drawPath(Body);
        P.setBrush(Qt::NoBrush);
        P.setPen(QPen(QColor(0x2B, 0x3A, 0x55), 1.3, Qt::SolidLine, Qt::RoundCap));
        P.drawArc(QRectF(6.5, 5, 5, 6), -50 * 16, 100 * 16);
        P.drawArc(QRectF(6, 2.5, 9, 11), -55 * 16, 110 * 16);
    });
}

// A green check mark on a transparent ground; Qt greys it for the disabled button.
QIcon CheckMarkGlyph()
{
    return Render([](QPainter& P) {
        QPainterPath Tick;
        Tick.moveTo(2.5, 8.5);
        Tick.lineTo(6.5, 12.5);
        Tick.lineTo(13.5, 3.5);
        P.setPen(QPen(QColor(0x0B, 0x5E, 0x12), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        P.drawPath(Tick);
        P.setPen(QPen(QColor(0x2E, 0xB8, 0x3A), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        P.drawPath(Tick);
    });
}

} // namespace TMenuImages
