#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;

// The notification-area icon of the main window, behind a seam: the window hears the icon's mouse
// events through OnActivated, whether they come from the desktop's tray host or from a test that
// calls Activate. The icon has no context menu of its own; the window decides when to pop one up.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TTrayIcon(QObject* Parent = nullptr);
    ~TTrayIcon() override;

    // Puts the icon into the notification area. Whether a tray host takes it is not checked here
    // (the program runs on without the icon when none does); see IsSystemTrayAvailable.
    void Add(const QIcon& Icon, const QString& Tip);
    void Remove();
    bool IsAdded() const { return FIcon != nullptr; }
    QString ToolTip() const;
    QIcon Icon() const;

    // The icon's mouse events: a right click (Context), a double click (DoubleClick), ...
    std::function<void(QSystemTrayIcon::ActivationReason)> OnActivated;
    void Activate(QSystemTrayIcon::ActivationReason Reason);

    // Whether the desktop has a tray host right now. Tests set their own answer; an empty function
    // restores QSystemTrayIcon::isSystemTrayAvailable().
    static bool IsSystemTrayAvailable();
    static void SetAvailabilitySource(std::function<bool()> Source);

    // Trays that are StatusNotifierItem hosts on the D-Bus session bus (KDE Plasma, GNOME with the
    // AppIndicator extension) show the icon's menu themselves and send a single click where an
    // X11 tray sends a double click. For them the icon carries HostMenu, offered only while
    // MenuAllowed says so, and their click reaches OnActivated as a DoubleClick.
    QMenu* HostMenu = nullptr;
    std::function<bool()> MenuAllowed;
    // Whether a StatusNotifierWatcher with a host is on the session bus (what Qt checks too).
    static bool IsStatusNotifierHost();

private:
    QSystemTrayIcon* FIcon = nullptr;
    bool FOnHost = false;
};
