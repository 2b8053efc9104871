#pragma once

class QWidget;

// Asks the window manager to keep a window out of the taskbar and the pager, as a tool window
// should be. On X11 this sets _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER on the
// window before it is first mapped (Qt keeps states set there when it maps the window); on other
// window systems it does nothing.
void SkipTaskbarAndPager(QWidget* Window);
