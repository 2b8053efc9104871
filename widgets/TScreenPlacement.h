#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

// Where a top-level window's frame (its outer rectangle, title bar included) goes on the screen.
// Windows are placed by their frames, the way a user sees them; the frame is kept inside the
// available area of its screen so that the title bar can always be reached and dragged.
namespace TScreenPlacement {

// The window manager's frame around Window: its own once the window has been framed, else that
// of Reference (a framed window of the same program, for example the owner), else none.
QMargins FrameMargins(const QWidget* Window, const QWidget* Reference = nullptr);

// Frame moved (never resized) into Available; where it does not fit, its top-left corner (with
// the title bar) stays inside.
QRect KeepOnScreen(const QRect& Frame, const QRect& Available);

// Puts Window's frame at FrameTopLeft, kept on the available area of the screen it lands on.
void PlaceFrame(QWidget* Window, const QPoint& FrameTopLeft, const QWidget* Reference = nullptr);

// Centres Window's frame on Owner's frame: left = owner's left + (owner's outer width - outer
// width) div 2, likewise the top; then kept on the screen as PlaceFrame does.
void CentreFrameOn(QWidget* Window, const QWidget* Owner);

// Centres Window's frame on the available area of the primary screen.
void CentreOnPrimaryScreen(QWidget* Window);

// Makes Window's frame fit the available area of its screen (in the screen's logical units, which
// a scale factor makes smaller): where it is larger, the window, and its minimum size where that
// is larger too, shrinks to the room there is; then the frame is moved onto the area.
void FitOnScreen(QWidget* Window);

} // namespace TScreenPlacement
