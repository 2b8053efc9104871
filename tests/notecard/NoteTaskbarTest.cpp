#include "notecard/NoteCard.h"
#include "settings/TAppRegInfo.h"
#include "tests/notecard/NoteTestSupport.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray WindowState(WId Window)
{
    QProcess Xprop;
    Xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(Window), QStringLiteral("_NET_WM_STATE")});
    Xprop.waitForFinished(5000);
    return Xprop.readAllStandardOutput();
}

// A note is no window of its own to switch to: a taskbar or pager (tint2, a desktop's panel) shows
// no button for it. What they read is the state the window manager keeps on the managed window.
TEST(NoteTaskbarTest, ANoteStaysOutOfTheTaskbarAndThePager)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X server (tools/test.sh starts Xvfb)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    TestApp();
    DeleteAllNotes();

    TAppRegInfoData Settings;
    ShowLearnForm(&Settings, u"taskbar", u"лента", u"", 1);
    QWidget* Note = FindNote();
    ASSERT_NE(Note, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Note, 5000));
    QByteArray State;
    // The window manager writes the state once it manages the window; wait for it to say both.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            State = WindowState(Note->winId());
            return State.contains("_NET_WM_STATE_SKIP_TASKBAR") &&
                   State.contains("_NET_WM_STATE_SKIP_PAGER");
        },
        5000))
        << State.toStdString();
    // The note's own states are still there.
    EXPECT_TRUE(State.contains("_NET_WM_STATE_ABOVE")) << State.toStdString();
    DeleteAllNotes();
}

} // namespace
