#include "notecard/NoteCard.h"
#include "settings/TAppRegInfo.h"
#include "tests/notecard/NoteTestSupport.h"

#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A real X server with a window manager: the user types in a window of their own when a note
// appears; the keyboard focus must stay where it was, and the note must still close by its cross.
TEST(NoteFocusTest, ANoteNeverTakesTheFocus)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X server (tools/test.sh starts Xvfb)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    TestApp();

    QWidget Typing;
    Typing.setWindowTitle(QStringLiteral("Typing here"));
    auto* Edit = new QLineEdit(&Typing);
    (new QVBoxLayout(&Typing))->addWidget(Edit);
    Typing.resize(300, 80);
    Typing.move(400, 400);
    Typing.show();
    Typing.activateWindow();
    Edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Typing, 5000));
    QTest::keyClicks(Edit, QStringLiteral("abc"));

    TAppRegInfoData Settings;
    Settings.NotePosition = 1;
    ShowLearnForm(&Settings, u"focus", u"фокус", u"\u02C8f\u0259\u028Ak\u0259s", 1);
    QWidget* Note = FindNote();
    ASSERT_NE(Note, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Note, 5000));
    // The window manager has taken the note on (it writes WM_STATE when it manages a window):
    // whatever it does about the focus on mapping is done.
    ASSERT_TRUE(QTest::qWaitFor(
        [Note] {
            QProcess State;
            State.start(QStringLiteral("xprop"), {QStringLiteral("-id"),
                                                  QString::number(Note->winId()),
                                                  QStringLiteral("WM_STATE")});
            State.waitForFinished(5000);
            return State.readAllStandardOutput().contains("Normal");
        },
        5000));

    // What the window manager is told: the note takes no input focus.
    QProcess Xprop;
    Xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(Note->winId()),
                                          QStringLiteral("WM_HINTS")});
    ASSERT_TRUE(Xprop.waitForFinished(5000));
    EXPECT_TRUE(Xprop.readAllStandardOutput().contains("input focus: False"));
    // What the X server says: the keyboard focus is not on the note.
    QProcess Xdotool;
    Xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    ASSERT_TRUE(Xdotool.waitForFinished(5000));
    EXPECT_NE(Xdotool.readAllStandardOutput().trimmed().toULongLong(), Note->winId());

    EXPECT_FALSE(Note->isActiveWindow());
    EXPECT_EQ(QApplication::activeWindow(), &Typing);
    EXPECT_EQ(QApplication::focusWidget(), Edit);
    QTest::keyClicks(Edit, QStringLiteral("def"));
    EXPECT_EQ(Edit->text(), QStringLiteral("abcdef"));

    // The note has slid all the way in: its cross is where it stays.
    ASSERT_TRUE(QTest::qWaitFor([Note] { return Note->mask().isEmpty(); }, 5000));
    // Clicking the cross closes the note, and the focus still stays with the typing window.
    QTest::mouseClick(Note, Qt::LeftButton, Qt::NoModifier,
                      Note->property("CloseRect").toRect().center());
    EXPECT_TRUE(QTest::qWaitFor([] { return CanShow(); }, 2000));
    // The note has gone from the screen (it slides out first).
    EXPECT_TRUE(QTest::qWaitFor([] { return !FindNote(); }, 5000));
    EXPECT_EQ(QApplication::activeWindow(), &Typing);
}

} // namespace
