#include "widgets/VexloComponents.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>

namespace {
const char* const DoubleBufferedProperty = "DoubleBuffered";
}

void SetDoubleBuffered(QWidget* Control, bool On)
{
    // Qt paints every widget through the window's backing store; a control only escapes it when
    // it paints on screen, so buffering a control means keeping it off the screen-painting path.
    Control->setAttribute(Qt::WA_PaintOnScreen, false);
    Control->setProperty(DoubleBufferedProperty, On);
}

bool IsDoubleBuffered(const QWidget* Control)
{
    return Control->property(DoubleBufferedProperty).toBool();
}

void SetDoubleBufferedTree(QWidget* Control)
{
    if (!Control)
        return;
    SetDoubleBuffered(Control, true);
    for (QObject* Child : Control->children()) {
        if (auto* Windowed = qobject_cast<QWidget*>(Child); Windowed && !Windowed->isWindow()) {
            SetDoubleBuffered(Windowed, true);
            SetDoubleBufferedTree(Windowed);
        }
    }
}

void SetDialogFont(QWidget* Dialog)
{
    QFont DialogFont = Dialog->font();
    DialogFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Arial")});
    Dialog->setFont(DialogFont);
}

// A green check mark on a transparent ground; Qt greys it for the disabled button.
QIcon CheckMarkGlyph()
{
    QPixmap Glyph(16, 16);
    Glyph.fill(Qt::transparent);
    QPainter P(&Glyph);
    P.setRenderHint(QPainter::Antialiasing);
    QPainterPath Tick;
    Tick.moveTo(2.5, 8.5);
    Tick.lineTo(6.5, 12.5);
    Tick.lineTo(13.5, 3.5);
    P.setPen(QPen(QColor(0x0B, 0x5E, 0x12), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    P.drawPath(Tick);
    P.setPen(QPen(QColor(0x2E, 0xB8, 0x3A), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    P.drawPath(Tick);
    P.end();
    return QIcon(Glyph);
}
