// The tray icon on a StatusNotifierItem tray (KDE Plasma, GNOME with the AppIndicator extension),
// played by a private D-Bus session bus that tools/test.sh starts and a StatusNotifierWatcher
// this test registers on it; the program runs in an X server without any other tray.

#include "AppWindowFixture.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QRegularExpression>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// The watcher a tray host keeps: items register with it, hosts read its properties.
class TWatcher : public QObject
{
    Q_OBJECT

public:
    QStringList Items;
};

class TWatcherAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)

public:
    explicit TWatcherAdaptor(TWatcher* Watcher) : QDBusAbstractAdaptor(Watcher), FWatcher(Watcher)
    {}
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList RegisteredStatusNotifierItems() const { return FWatcher->Items; }

public slots:
    void RegisterStatusNotifierItem(const QString& Service, const QDBusMessage& Message)
    {
        // An item names its service, or only its path on the caller's own connection.
        FWatcher->Items << (Service.startsWith('/') ? Message.service() + Service : Service);
        emit StatusNotifierItemRegistered(Service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& Service);
    void StatusNotifierItemUnregistered(const QString& Service);
    void StatusNotifierHostRegistered();

private:
    TWatcher* FWatcher;
};


// Labels of a com.canonical.dbusmenu layout (ia{sv}av), depth first.
void CollectLabels(const QDBusArgument& Layout, QStringList& Labels)
{
    int Id = 0;
    QVariantMap Properties;
    Layout.beginStructure();
    Layout >> Id >> Properties;
    // The host reads "_" before an item's Alt letter ("__" is an "_" of the text).
    if (Properties.contains("label"))
        Labels << Properties.value("label").toString().replace(QRegularExpression("_(.)"), "\\1");
    Layout.beginArray();
    while (!Layout.atEnd()) {
        QDBusVariant Child;
        Layout >> Child;
        CollectLabels(Child.variant().value<QDBusArgument>(), Labels);
    }
    Layout.endArray();
    Layout.endStructure();
}

class StatusNotifierTest : public AppWindowTest
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("VEXLO_PRIVATE_SESSION_BUS"))
            GTEST_SKIP() << "needs the private session bus tools/test.sh starts";
        AppWindowTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(Bus().isConnected());
        Environment.insert("XDG_DATA_DIRS", Dir.filePath("no-theme"));
    }

    void TearDown() override
    {
        AppWindowTest::TearDown();
        if (WatcherUp) {
            Bus().unregisterObject("/StatusNotifierWatcher");
            Bus().unregisterService(WatcherService);
        }
    }

    static QDBusConnection Bus() { return QDBusConnection::sessionBus(); }

    void StartWatcher()
    {
        new TWatcherAdaptor(&Watcher);
        ASSERT_TRUE(Bus().registerObject("/StatusNotifierWatcher", &Watcher,
                                         QDBusConnection::ExportAdaptors));
        ASSERT_TRUE(Bus().registerService(WatcherService));
        WatcherUp = true;
    }

    QVariant ItemProperty(const QString& Name)
    {
        const QString Item = Watcher.Items.value(0);
        const QString Service = Item.section('/', 0, 0);
        const QString Path =
            Item.contains('/') ? "/" + Item.section('/', 1) : "/StatusNotifierItem";
        QDBusMessage Get =
            QDBusMessage::createMethodCall(Service, Path, "org.freedesktop.DBus.Properties", "Get");
        Get << "org.kde.StatusNotifierItem" << Name;
        const QDBusMessage Reply = Bus().call(Get, QDBus::BlockWithGui, 5000);
        if (Reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return Reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    QDBusMessage CallItem(const QString& Interface, const QString& Path, const QString& Method,
                          const QVariantList& Arguments)
    {
        QDBusMessage Call = QDBusMessage::createMethodCall(
            Watcher.Items.value(0).section('/', 0, 0), Path, Interface, Method);
        Call.setArguments(Arguments);
        return Bus().call(Call, QDBus::BlockWithGui, 5000);
    }

    TWatcher Watcher;
    bool WatcherUp = false;
};

TEST_F(StatusNotifierTest, IconRegistersWithItsTipAndMenuAndItsClickOpensTheWindow)
{
    StartWatcher();
    // The hidden start decides at once whether it has a tray to stay in (the watcher is up).
    Environment.insert("VEXLO_TRAY_WAIT_MS", "0");
    QProcess* Program = Start(DemoArguments() + QStringList{"startup"});
    ASSERT_TRUE(WaitUntil([&] { return !Watcher.Items.isEmpty(); }))
        << "the program registered no StatusNotifierItem";

    // Tip: (icon name, icon pixmaps, title, text).
    const QDBusArgument Tip = ItemProperty("ToolTip").value<QDBusArgument>();
    QString TipIcon, Title, Text;
    Tip.beginStructure();
    Tip >> TipIcon;
    Tip.beginArray();
    while (!Tip.atEnd()) {
        int Width = 0, Height = 0;
        QByteArray Pixels;
        Tip.beginStructure();
        Tip >> Width >> Height >> Pixels;
        Tip.endStructure();
    }
    Tip.endArray();
    Tip >> Title >> Text;
    Tip.endStructure();
    EXPECT_EQ(Title, "Vexlo Vocabulary 2007");
    EXPECT_FALSE(ItemProperty("IconPixmap").isNull());

    // The menu, as the host reads it.
    const QString MenuPath = ItemProperty("Menu").value<QDBusObjectPath>().path();
    ASSERT_FALSE(MenuPath.isEmpty());
    ASSERT_NE(MenuPath, "/NO_DBUSMENU");
    const QDBusMessage Layout =
        CallItem("com.canonical.dbusmenu", MenuPath, "GetLayout", {0, -1, QStringList()});
    ASSERT_EQ(Layout.type(), QDBusMessage::ReplyMessage) << Layout.errorMessage().toStdString();
    QStringList Labels;
    CollectLabels(Layout.arguments().value(1).value<QDBusArgument>(), Labels);
    for (const char* Label : {"Open", "About", "Start LM", "Exit"})
        EXPECT_TRUE(Labels.contains(Label)) << Label << " in " << Labels.join(", ").toStdString();

    // With a tray to come back from, the hidden start stays hidden: it decided before it served
    // the host's calls above.
    EXPECT_TRUE(Windows(Program).isEmpty());
    EXPECT_EQ(Program->state(), QProcess::Running);

    // The host's click (Activate) opens the window.
    const QDBusMessage Click =
        CallItem("org.kde.StatusNotifierItem", "/StatusNotifierItem", "Activate", {0, 0});
    EXPECT_EQ(Click.type(), QDBusMessage::ReplyMessage) << Click.errorMessage().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return !Windows(Program).isEmpty(); }));
}

TEST_F(StatusNotifierTest, WithoutAnyTrayTheHiddenStartShowsTheWindowAfterAll)
{
    ASSERT_FALSE(Bus().interface()->isServiceRegistered(WatcherService));
    QProcess* Program = Start(DemoArguments() + QStringList{"startup"});
    EXPECT_TRUE(WaitUntil([&] { return !Windows(Program).isEmpty(); }, 15000))
        << "a hidden start without a tray must not stay unreachable";
}

} // namespace

#include "StatusNotifierTest.moc"
