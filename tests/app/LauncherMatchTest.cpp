// A dock or task switcher ties a window to its launcher by the window's class (X11) or its
// desktop file name (Wayland): both must name the launcher that is installed.

#include "AppWindowFixture.h"
#include "VexloVersion.h"

#include <QRegularExpression>

namespace {

QString LauncherValue(const QString& Key)
{
    QFile Launcher(QStringLiteral(VEXLO_SOURCE_DIR "/dist/" VEXLO_APP_ID ".desktop"));
    if (!Launcher.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& Line : Launcher.readAll().split('\n'))
        if (Line.startsWith(Key.toUtf8() + '='))
            return QString::fromUtf8(Line.mid(Key.size() + 1));
    return {};
}

TEST_F(AppWindowTest, WindowClassIsTheLaunchersStartupWMClass)
{
    QProcess* Program = nullptr;
    const QString Window = StartMainWindow(Program);
    ASSERT_FALSE(Window.isEmpty());
    const QString Class = Tool("xprop", {"-id", Window, "WM_CLASS"});
    // WM_CLASS(STRING) = "instance", "class"
    const QRegularExpressionMatch Match =
        QRegularExpression(QStringLiteral("= \"([^\"]*)\", \"([^\"]*)\"")).match(Class);
    ASSERT_TRUE(Match.hasMatch()) << Class.toStdString();
    EXPECT_EQ(Match.captured(2), LauncherValue("StartupWMClass"));
    // The instance name is the program's, as the launcher's Exec starts it.
    EXPECT_EQ(Match.captured(1), LauncherValue("Exec"));
}

} // namespace
