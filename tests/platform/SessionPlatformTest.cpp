// The window-system plugin the program asks for, by session.

#include "platform/TSessionPlatform.h"

#include <gtest/gtest.h>

namespace {

TEST(SessionPlatformTest, WaylandSessionsGoThroughXWaylandUnlessTheUserChose)
{
    struct TCase
    {
        const char* Name;
        QStringList Environment;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"X11 session", {"DISPLAY=:0", "XDG_SESSION_TYPE=x11"}, ""},
        {"Wayland session with XWayland",
         {"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0", "XDG_SESSION_TYPE=wayland"},
         "xcb"},
        {"compositor without a session type", {"DISPLAY=:1", "WAYLAND_DISPLAY=/run/w"}, "xcb"},
        {"session type only", {"DISPLAY=:0", "XDG_SESSION_TYPE=wayland"}, "xcb"},
        {"Wayland without XWayland", {"WAYLAND_DISPLAY=wayland-0", "XDG_SESSION_TYPE=wayland"}, ""},
        {"user asked for Wayland",
         {"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0", "QT_QPA_PLATFORM=wayland"},
         ""},
        {"user asked for xcb",
         {"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0", "QT_QPA_PLATFORM=xcb"},
         ""},
        {"empty QT_QPA_PLATFORM is no choice",
         {"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0", "QT_QPA_PLATFORM="},
         "xcb"},
        {"nothing", {}, ""},
    };
    for (const TCase& Case : Cases) {
        QProcessEnvironment Environment;
        for (const QString& Pair : Case.Environment)
            Environment.insert(Pair.section('=', 0, 0), Pair.section('=', 1));
        EXPECT_EQ(TSessionPlatform::PreferredPlatform(Environment), QString(Case.Expected))
            << Case.Name;
    }
}

} // namespace
