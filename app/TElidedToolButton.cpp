#include "app/TElidedToolButton.h"

#include "widgets/TDisplayText.h"

#include <QHelpEvent>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolTip>

TElidedToolButton::TElidedToolButton(QWidget* Parent) : QToolButton(Parent)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString TElidedToolButton::FullText() const
{
    return TDisplayText::WithoutMnemonic(text());
}

QString TElidedToolButton::ShownText() const
{
    // What the full text needs beside the text itself: the style's margins.
    const int Margins =
        QToolButton::sizeHint().width() - fontMetrics().horizontalAdvance(FullText());
    return fontMetrics().elidedText(FullText(), Qt::ElideMiddle, width() - Margins);
}

QSize TElidedToolButton::minimumSizeHint() const
{
    // Room for a few characters either side of the "…".
    const QSize Full = QToolButton::sizeHint();
    const int Margins = Full.width() - fontMetrics().horizontalAdvance(FullText());
    return {std::min(Full.width(), Margins + fontMetrics().horizontalAdvance(QStringLiteral("Add \"a…a\"…"))),
            Full.height()};
}

bool TElidedToolButton::event(QEvent* Event)
{
    if (Event->type() == QEvent::ToolTip) {
        const QString Shown = ShownText();
        if (Shown != FullText())
            QToolTip::showText(static_cast<QHelpEvent*>(Event)->globalPos(), FullText(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QToolButton::event(Event);
}

void TElidedToolButton::paintEvent(QPaintEvent*)
{
    QStylePainter Painter(this);
    QStyleOptionToolButton Option;
    initStyleOption(&Option);
    Option.text = TDisplayText::KeepAmpersands(ShownText());
    Painter.drawComplexControl(QStyle::CC_ToolButton, Option);
}
