#pragma once

#include <QProcessEnvironment>
#include <QString>

// Which of Qt's window-system plugins the program asks for. In a Wayland session it runs through
// XWayland: a native Wayland client hears of clipboard changes only while it has the keyboard
// focus, and cannot place a window (a learning note in a screen corner) at all, while an X11
// client of XWayland can do both. The user's own QT_QPA_PLATFORM always wins.
namespace TSessionPlatform {

// "xcb" when the program should ask for it; empty to leave the choice to Qt.
QString PreferredPlatform(const QProcessEnvironment& Environment);

} // namespace TSessionPlatform
