#include "platform/TSessionPlatform.h"

namespace TSessionPlatform {

QString PreferredPlatform(const QProcessEnvironment& Environment)
{
    if (!Environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return {};
    const bool Wayland =
        !Environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
        Environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    // Without an X server to talk to (no XWayland), Wayland is the only way to a window.
    if (!Wayland || Environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return {};
    return QStringLiteral("xcb");
}

} // namespace TSessionPlatform
