#include "widgets/TFocusMark.h"

#include "widgets/TReadableColours.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

// The ring, a child of the control laid over the whole of it and shown while it has the focus.
class TMarkRing : public QWidget
{
public:
    explicit TMarkRing(QWidget* Control) : QWidget(Control), FControl(Control)
    {
        setObjectName(QStringLiteral("FocusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        Control->installEventFilter(this);
        Follow();
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Watched == FControl) {
            switch (Event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::Resize:
            case QEvent::Show:
                Follow();
                break;
            case QEvent::PaletteChange:
                update();
                break;
            default:
                break;
            }
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        const QPalette& Colours = FControl->palette();
        // A mark is not text: 3 to 1 against the ground is enough for it to be seen.
        QColor Ink = Colours.color(QPalette::Active, QPalette::Highlight);
        const QColor Ground = Colours.color(QPalette::Active, QPalette::Base);
        if (TReadableColours::ContrastRatio(Ink, Ground) < 3.0)
            Ink = TReadableColours::Readable(Colours.color(QPalette::Active, QPalette::Text), Ground,
                                             Colours.color(QPalette::Active, QPalette::WindowText));
        QPainter Painter(this);
        Painter.setPen(QPen(Ink, 2));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }

private:
    void Follow()
    {
        setGeometry(FControl->rect());
        setVisible(FControl->hasFocus());
        raise();
    }

    QWidget* FControl;
};

} // namespace

void TFocusMark::Attach(QWidget* Control)
{
    if (!Control->findChild<QWidget*>(QStringLiteral("FocusMark"), Qt::FindDirectChildrenOnly))
        new TMarkRing(Control);
}
