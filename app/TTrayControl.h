#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QTimer;
class TAdminForm;
class TTrayIcon;

// The main window's residency in the tray: the icon with its menu (Open, About, Start LM / Stop
// LM, Exit) and, for a start with "startup", the wait for a tray host before the window shows
// after all.
class TTrayControl : public QObject
{
    Q_OBJECT

public:
    explicit TTrayControl(TAdminForm& Form);

    TTrayIcon* TrayIcon = nullptr;
    QMenu* TrayPopupMenu = nullptr;
    QAction* OpenTMI = nullptr;
    QAction* AboutTMI = nullptr;
    QAction* StartStopTMI = nullptr;
    QAction* ExitTMI = nullptr;

    void AddTrayIcon();
    void RemoveTrayIcon();
    // The icon's mouse events: a right click pops up TrayPopupMenu, a double click runs Open.
    void TrayIconMessage(QSystemTrayIcon::ActivationReason Reason);
    // Whether hiding leaves a way back: the icon is up and a tray host shows it.
    bool TrayIconShown() const;
    // Whether Object is the tray icon or its window (its tip is not swallowed).
    static bool IsTrayIconObject(const QObject* Object);

    // A start with "startup" waits this long for a tray host before it shows the window after
    // all (so that it never runs unreachable); a store that failed to open shows at once.
    static inline int TrayWaitMs = 5000; // VEXLO_TRAY_WAIT_MS sets another
    QTimer* HiddenStartTimer = nullptr;
    void StartHidden();
    void HiddenStartTimerTimer();
    // Whether a hidden start still waits to decide if the window must show after all.
    bool HiddenStartPending();

private:
    TAdminForm& Form;
};
