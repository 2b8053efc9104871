// The tray icon and its menu, and the hidden start that waits for a tray host.
#include "app/TTrayControl.h"

#include "app/TAdminForm.h"
#include "app/TTrayIcon.h"
#include "app/TVexloApplication.h"
#include "widgets/TMenuImages.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QTimer>

namespace {

// Pops Menu up at At over Window, which has just been asked to become active. The window manager
// may make it active only after the menu has opened, and that activation closes the menu: when
// the menu closes that way (nothing chosen, the window active now), it opens once more.
void PopUpSurvivingActivation(QMenu* Menu, const QPoint& At, QWidget* Window)
{
    auto* Watch = new QObject(Menu);
    bool* Chosen = new bool(false);
    QObject::connect(Watch, &QObject::destroyed, [Chosen] { delete Chosen; });
    QObject::connect(Menu, &QMenu::triggered, Watch, [Chosen] { *Chosen = true; });
    QObject::connect(Menu, &QMenu::aboutToHide, Watch, [Menu, At, Window, Watch, Chosen] {
        const bool Reopen = !*Chosen && Window->isActiveWindow();
        Watch->deleteLater();
        if (Reopen)
            QTimer::singleShot(0, Menu, [Menu, At] { Menu->popup(At); });
    });
    // Only a closing soon after opening can be the activation's.
    QTimer::singleShot(1000, Watch, [Watch] { Watch->deleteLater(); });
    Menu->popup(At);
}

} // namespace

TTrayControl::TTrayControl(TAdminForm& Form) : QObject(&Form), Form(Form)
{
    using namespace TMenuImages;
    // The tray icon's menu, with its own images (IconsList).
    TrayIcon = new TTrayIcon(this);
    TrayIcon->OnActivated = [this](QSystemTrayIcon::ActivationReason Reason) {
        TrayIconMessage(Reason);
    };
    TrayPopupMenu = new QMenu(&Form);
    TrayPopupMenu->setObjectName("TrayPopupMenu");
    OpenTMI = TrayPopupMenu->addAction(IconsListImage(iiWindow), Form.Open->text());
    OpenTMI->setObjectName("OpenTMI");
    QFont DefaultItemFont = OpenTMI->font();
    DefaultItemFont.setBold(true);
    OpenTMI->setFont(DefaultItemFont);
    TrayPopupMenu->setDefaultAction(OpenTMI);
    AboutTMI = TrayPopupMenu->addAction(IconsListImage(iiQuestion), Form.About->text());
    AboutTMI->setObjectName("AboutTMI");
    TrayPopupMenu->addSeparator();
    StartStopTMI = TrayPopupMenu->addAction(
        IconsListImage(iiStart), QCoreApplication::translate("TTrayControl", "&Start LM"));
    StartStopTMI->setObjectName("StartStopTMI");
    TrayPopupMenu->addSeparator();
    ExitTMI = TrayPopupMenu->addAction(IconsListImage(iiHouse), Form.Exit->text());
    ExitTMI->setObjectName("ExitTMI");
    // The menu's items run the window's commands.
    connect(OpenTMI, &QAction::triggered, Form.Open, &QAction::trigger);
    connect(AboutTMI, &QAction::triggered, Form.About, &QAction::trigger);
    connect(ExitTMI, &QAction::triggered, Form.Exit, &QAction::trigger);
    TrayIcon->HostMenu = TrayPopupMenu;
    TrayIcon->MenuAllowed = [&Form] { return Form.NoDialogOpen(); };

    HiddenStartTimer = new QTimer(this);
    HiddenStartTimer->setSingleShot(true);
    connect(HiddenStartTimer, &QTimer::timeout, this, &TTrayControl::HiddenStartTimerTimer);
}

void TTrayControl::AddTrayIcon()
{
    TrayIcon->Add(TMenuImages::ApplicationIcon(), TVexloApplication::Title.left(63));
}

void TTrayControl::RemoveTrayIcon()
{
    TrayPopupMenu->hide();
    TrayIcon->Remove();
}

bool TTrayControl::TrayIconShown() const
{
    return TrayIcon->IsAdded() && TTrayIcon::IsSystemTrayAvailable();
}

bool TTrayControl::IsTrayIconObject(const QObject* Object)
{
    // The icon's own window (where a tray host embeds it) passes the tip on to the icon.
    return qobject_cast<const QSystemTrayIcon*>(Object) ||
           (Object && Object->inherits("QSystemTrayIconSys"));
}

void TTrayControl::TrayIconMessage(QSystemTrayIcon::ActivationReason Reason)
{
    switch (Reason) {
    case QSystemTrayIcon::Context:
        if (!Form.NoDialogOpen()) {
            Form.BringForward();
            break;
        }
        // The window comes forward first, so that the menu belongs to the foreground window.
        if (Form.isVisible() && !Form.isMinimized()) {
            Form.raise();
            Form.activateWindow();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            PopUpSurvivingActivation(TrayPopupMenu, QCursor::pos(), &Form);
        } else {
            TrayPopupMenu->popup(QCursor::pos());
        }
        break;
    case QSystemTrayIcon::DoubleClick:
        if (!Form.NoDialogOpen())
            Form.BringForward();
        else
            Form.Open->trigger();
        break;
    default:
        break;
    }
}

void TTrayControl::StartHidden()
{
    // A hidden start must leave a way back: without an icon in a tray the window shows after all.
    HiddenStartTimer->start(TrayIcon->IsAdded() ? TrayWaitMs : 0);
}

bool TTrayControl::HiddenStartPending()
{
    // A hidden start with its icon in a tray stays hidden: nothing is left to wait for.
    if (HiddenStartTimer->isActive() && TrayIconShown())
        HiddenStartTimer->stop();
    return HiddenStartTimer->isActive();
}

void TTrayControl::HiddenStartTimerTimer()
{
    if (!Form.isVisible() && !TrayIconShown())
        Form.BringForward();
}
