// The main window on the screen: its first place, its normal bounds at the end, the dialog open
// over it.

#include "app/TWindowPlacement.h"

#include "platform/TRegistry.h"
#include "widgets/TScreenPlacement.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

void TWindowPlacement::BringDialogForward()
{
    QWidget* Dialog = QApplication::activeModalWidget();
    if (!Dialog || Dialog == &Window)
        return;
    // Minimised (the window manager may offer it), a modal dialog hides the only way on.
    if (Dialog->isMinimized())
        Dialog->setWindowState(Dialog->windowState() & ~Qt::WindowMinimized);
    Dialog->show();
    Dialog->raise();
    Dialog->activateWindow();
}

void TWindowPlacement::RestoreNormalBounds()
{
    // The window manager answers a change of state later, often after the program has ended: the
    // normal bounds are put back at once, so that they are the ones saved.
    // Qt keeps the inside's normal rectangle; the saved left and top are the frame's.
    const QRect Normal = Window.normalGeometry();
    // Only minimised, the window still has its normal frame.
    if (NormalFrame.isNull() && !Window.isMaximized())
        NoteNormalFrame();
    Window.setWindowState(Window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!Normal.isValid())
        return;
    if (Normal != Window.geometry())
        Window.setGeometry(Normal);
    // Without a known frame the window's own idea of its position is kept.
    if (!NormalFrame.isNull())
        ClosingBounds = QRect(Normal.topLeft() - QPoint(NormalFrame.left(), NormalFrame.top()),
                              Normal.size());
}

void TWindowPlacement::NoteNormalFrame()
{
    if (Window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QMargins Frame = TScreenPlacement::FrameMargins(&Window);
    if (!Frame.isNull())
        NormalFrame = Frame;
}

void TWindowPlacement::CentreWhenNeverPlaced()
{
    // A large scale factor (QT_SCALE_FACTOR=3 on 1280x1024 leaves 426x341) can leave less room
    // than the window's least size: it gives way to the screen.
    TScreenPlacement::FitOnScreen(&Window);
    {
        TRegistry Registry;
        if (Registry.OpenKey(TAppRegInfo::KeyName, false) && Registry.ValueExists("Left") &&
            Registry.ValueExists("Top"))
            return;
    }
    TScreenPlacement::CentreOnPrimaryScreen(&Window);
}

void TWindowPlacement::FitWhenFirstFramed()
{
    if (FramedFitDone || !Window.isVisible() || (Window.windowState() & ~Qt::WindowActive) != Qt::WindowNoState ||
        TScreenPlacement::FrameMargins(&Window).isNull())
        return;
    FramedFitDone = true;
    TScreenPlacement::FitOnScreen(&Window);
}

// The saved bounds are the screen's own pixels whatever scale Qt draws at (QT_SCALE_FACTOR, a
// desktop's scaling), so that a change of scale neither moves nor resizes the window on the
// screen.
qreal TWindowPlacement::PlaceScale() const
{
    const QScreen* Screen = Window.screen() ? Window.screen() : QGuiApplication::primaryScreen();
    return Screen ? Screen->devicePixelRatio() : 1.0;
}

QRect TWindowPlacement::PlaceBounds() const
{
    const QRect Bounds = ClosingBounds.isValid() ? ClosingBounds : QRect(Window.pos(), Window.size());
    const qreal Scale = PlaceScale();
    return QRect(qRound(Bounds.x() * Scale), qRound(Bounds.y() * Scale),
                 qRound(Bounds.width() * Scale), qRound(Bounds.height() * Scale));
}

void TWindowPlacement::PlaceWidth(int Width)
{
    Window.resize(std::max(qRound(Width / PlaceScale()), Window.minimumWidth()), Window.height());
}

void TWindowPlacement::PlaceHeight(int Height)
{
    Window.resize(Window.width(), std::max(qRound(Height / PlaceScale()), Window.minimumHeight()));
}

void TWindowPlacement::PlaceLeft(int Left)
{
    Window.move(qRound(Left / PlaceScale()), Window.pos().y());
}

void TWindowPlacement::PlaceTop(int Top)
{
    Window.move(Window.pos().x(), qRound(Top / PlaceScale()));
}

// Shows the window and puts it on top without giving it the keyboard: the program the user types
// in keeps the focus (the window manager is told not to activate the window when it maps it).
void TWindowPlacement::ShowWithoutTakingTheKeyboard()
{
    const bool Was = Window.testAttribute(Qt::WA_ShowWithoutActivating);
    Window.setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (Window.isMinimized())
        Window.setWindowState(Window.windowState() & ~Qt::WindowMinimized);
    Window.show();
    Window.raise();
    Window.setAttribute(Qt::WA_ShowWithoutActivating, Was);
}
