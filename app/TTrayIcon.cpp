#include "app/TTrayIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMenu>

namespace {

std::function<bool()>& AvailabilitySource()
{
    static std::function<bool()> Source;
    return Source;
}

} // namespace

TTrayIcon::TTrayIcon(QObject* Parent) : QObject(Parent) {}

TTrayIcon::~TTrayIcon()
{
    Remove();
}

void TTrayIcon::Add(const QIcon& Icon, const QString& Tip)
{
    if (FIcon)
        return;
    FIcon = new QSystemTrayIcon(Icon, this);
    FIcon->setToolTip(Tip);
    FOnHost = IsStatusNotifierHost();
    if (FOnHost && HostMenu) {
        FIcon->setContextMenu(HostMenu);
        connect(HostMenu, &QMenu::aboutToShow, FIcon, [this] {
            const bool Allowed = !MenuAllowed || MenuAllowed();
            for (QAction* Item : HostMenu->actions())
                Item->setEnabled(Allowed);
        });
    }
    connect(FIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason Reason) { Activate(Reason); });
    FIcon->show();
}

void TTrayIcon::Remove()
{
    if (!FIcon)
        return;
    FIcon->hide();
    delete FIcon;
    FIcon = nullptr;
}

QString TTrayIcon::ToolTip() const
{
    return FIcon ? FIcon->toolTip() : QString();
}

QIcon TTrayIcon::Icon() const
{
    return FIcon ? FIcon->icon() : QIcon();
}

void TTrayIcon::Activate(QSystemTrayIcon::ActivationReason Reason)
{
    if (FOnHost && Reason == QSystemTrayIcon::Trigger)
        Reason = QSystemTrayIcon::DoubleClick;
    if (OnActivated)
        OnActivated(Reason);
}

bool TTrayIcon::IsSystemTrayAvailable()
{
    const std::function<bool()>& Source = AvailabilitySource();
    return Source ? Source() : QSystemTrayIcon::isSystemTrayAvailable();
}

bool TTrayIcon::IsStatusNotifierHost()
{
    QDBusConnection Bus = QDBusConnection::sessionBus();
    if (!Bus.isConnected() || !Bus.interface())
        return false;
    const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    if (!Bus.interface()->isServiceRegistered(Watcher))
        return false;
    QDBusMessage Get = QDBusMessage::createMethodCall(
        Watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    Get << Watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    // A watcher that does not answer at once is as good as none: the start must not wait.
    const QDBusMessage Reply = Bus.call(Get, QDBus::Block, 1000);
    if (Reply.type() != QDBusMessage::ReplyMessage || Reply.arguments().isEmpty())
        return false;
    return Reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

void TTrayIcon::SetAvailabilitySource(std::function<bool()> Source)
{
    AvailabilitySource() = std::move(Source);
}
