#include "app/TTrayIcon.h"

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
    if (OnActivated)
        OnActivated(Reason);
}

bool TTrayIcon::IsSystemTrayAvailable()
{
    const std::function<bool()>& Source = AvailabilitySource();
    return Source ? Source() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::SetAvailabilitySource(std::function<bool()> Source)
{
    AvailabilitySource() = std::move(Source);
}
