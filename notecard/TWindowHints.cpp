#include "notecard/TWindowHints.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

xcb_atom_t Atom(xcb_connection_t* Connection, const char* Name)
{
    const auto Cookie = xcb_intern_atom(Connection, 0, static_cast<uint16_t>(strlen(Name)), Name);
    xcb_intern_atom_reply_t* Reply = xcb_intern_atom_reply(Connection, Cookie, nullptr);
    const xcb_atom_t Result = Reply ? Reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(Reply);
    return Result;
}

} // namespace

void SkipTaskbarAndPager(QWidget* Window)
{
    auto* X11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!X11 || !X11->connection())
        return;
    xcb_connection_t* Connection = X11->connection();
    const auto Id = static_cast<xcb_window_t>(Window->winId());
    const xcb_atom_t State = Atom(Connection, "_NET_WM_STATE");
    const xcb_atom_t Wanted[] = {Atom(Connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 Atom(Connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (State == XCB_ATOM_NONE)
        return;

    // Keep whatever states the window already has.
    std::vector<xcb_atom_t> States;
    const auto Cookie = xcb_get_property(Connection, 0, Id, State, XCB_ATOM_ATOM, 0, 1024);
    if (xcb_get_property_reply_t* Reply = xcb_get_property_reply(Connection, Cookie, nullptr)) {
        if (Reply->format == 32 && Reply->type == XCB_ATOM_ATOM) {
            const auto* Value = static_cast<const xcb_atom_t*>(xcb_get_property_value(Reply));
            States.assign(Value, Value + xcb_get_property_value_length(Reply) / 4);
        }
        free(Reply);
    }
    for (const xcb_atom_t Atom : Wanted)
        if (Atom != XCB_ATOM_NONE && std::find(States.begin(), States.end(), Atom) == States.end())
            States.push_back(Atom);
    xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, Id, State, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(States.size()), States.data());
    xcb_flush(Connection);
}
