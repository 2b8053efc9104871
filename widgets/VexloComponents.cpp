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

