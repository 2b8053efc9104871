#include "widgets/TScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace TScreenPlacement {

namespace {

QMargins OwnFrame(const QWidget* Window)
{
    if (!Window || !Window->testAttribute(Qt::WA_WState_Created))
        return {};
    const QRect Outer = Window->frameGeometry();
    const QRect Inner = Window->geometry();
    return {Inner.left() - Outer.left(), Inner.top() - Outer.top(), Outer.right() - Inner.right(),
            Outer.bottom() - Inner.bottom()};
}

QSize FrameSize(const QWidget* Window, const QMargins& Frame)
{
    return Window->size() + QSize(Frame.left() + Frame.right(), Frame.top() + Frame.bottom());
}

} // namespace

QMargins FrameMargins(const QWidget* Window, const QWidget* Reference)
{
    if (const QMargins Own = OwnFrame(Window); !Own.isNull())
        return Own;
    if (Reference && Reference->isVisible())
        return OwnFrame(Reference);
    return {};
}

QRect KeepOnScreen(const QRect& Frame, const QRect& Available)
{
    if (!Available.isValid())
        return Frame;
    QRect Kept = Frame;
    const int Left = std::max(std::min(Frame.left(), Available.right() + 1 - Frame.width()),
                              Available.left());
    const int Top = std::max(std::min(Frame.top(), Available.bottom() + 1 - Frame.height()),
                             Available.top());
    Kept.moveTopLeft(QPoint(Left, Top));
    return Kept;
}

void PlaceFrame(QWidget* Window, const QPoint& FrameTopLeft, const QWidget* Reference)
{
    const QMargins Frame = FrameMargins(Window, Reference);
    QRect Outer(FrameTopLeft, FrameSize(Window, Frame));
    QScreen* Screen = QGuiApplication::screenAt(Outer.center());
    if (!Screen && Reference)
        Screen = Reference->screen();
    if (!Screen)
        Screen = QGuiApplication::primaryScreen();
    if (Screen)
        Outer = KeepOnScreen(Outer, Screen->availableGeometry());
    if (Window->testAttribute(Qt::WA_WState_Created)) {
        // A window that exists may not be framed yet: Qt would take a position given for the
        // frame as that of the inside, and the title bar would land above the place meant. The
        // inside is placed instead, inside the frame the window manager is going to add.
        Window->setGeometry(QRect(Outer.topLeft() + QPoint(Frame.left(), Frame.top()),
                                  Window->size()));
    } else {
        // Before the window exists, a move is taken for the frame's corner.
        Window->move(Outer.topLeft());
    }
}

void CentreFrameOn(QWidget* Window, const QWidget* Owner)
{
    if (!Owner)
        return;
    const QRect Outer = Owner->frameGeometry();
    const QSize Size = FrameSize(Window, FrameMargins(Window, Owner));
    PlaceFrame(Window,
               QPoint(Outer.left() + (Outer.width() - Size.width()) / 2,
                      Outer.top() + (Outer.height() - Size.height()) / 2),
               Owner);
}

void CentreOnPrimaryScreen(QWidget* Window)
{
    QScreen* Screen = QGuiApplication::primaryScreen();
    if (!Screen)
        return;
    const QRect Available = Screen->availableGeometry();
    const QSize Size = FrameSize(Window, FrameMargins(Window));
    PlaceFrame(Window, QPoint(Available.left() + (Available.width() - Size.width()) / 2,
                              Available.top() + (Available.height() - Size.height()) / 2));
}

void FitOnScreen(QWidget* Window)
{
    const QMargins Frame = FrameMargins(Window);
    const QRect Outer = Window->frameGeometry();
    QScreen* Screen = QGuiApplication::screenAt(Outer.center());
    if (!Screen)
        Screen = Window->screen();
    if (!Screen)
        return;
    // Scaled, the area and the frame are the screen's pixels divided and rounded (1280 / 3 gives
    // 427, a border of 1 pixel gives 0): a pixel is kept back all round, so that the rounding
    // never takes an edge off the screen.
    const int Rounding = Screen->devicePixelRatio() == 1.0 ? 0 : 1;
    const QRect Area =
        Screen->availableGeometry().adjusted(Rounding, Rounding, -Rounding, -Rounding);
    if (!Area.isValid() || Area.contains(Outer))
        return;
    const QSize FrameExtra(Frame.left() + Frame.right(), Frame.top() + Frame.bottom());
    const QSize Room = (Area.size() - FrameExtra).expandedTo(QSize(1, 1));
    if (Window->minimumWidth() > Room.width() || Window->minimumHeight() > Room.height())
        Window->setMinimumSize(Window->minimumSize().boundedTo(Room));
    if (Window->width() > Room.width() || Window->height() > Room.height())
        Window->resize(Window->size().boundedTo(Room));
    PlaceFrame(Window, KeepOnScreen(QRect(Outer.topLeft(), Window->size() + FrameExtra), Area)
                           .topLeft());
}

} // namespace TScreenPlacement
