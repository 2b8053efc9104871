// A look-up from another program with "On look-up" set to leave the keyboard: the window comes up
// with the entry, and what the user types still goes to the program they type in. With the
// default setting the window takes the keyboard, as it always did.

#include "AppWindowFixture.h"

#include "platform/TRegistry.h"
#include "settings/TLookUpSettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// The X window ids of the managed windows, bottom to top.
QStringList Stacking()
{
    const QString Line = Tool("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    QStringList Ids;
    for (const QString& Hex : Line.section('#', 1).split(',', Qt::SkipEmptyParts))
        Ids << QString::number(Hex.trimmed().toULongLong(nullptr, 16));
    return Ids;
}

class LookUpKeyboardTest : public FruitWindowTest
{
protected:
    // The running copy listens for later starts.
    bool Listening() const
    {
        return !QDir(RuntimeDir).entryList({"*.socket"}, QDir::System | QDir::Files).isEmpty();
    }
};

TEST_F(LookUpKeyboardTest, LookUpTakesTheKeyboardOnlyWhenTheSettingSaysSo)
{
    struct TCase
    {
        bool TakeKeyboard;
        bool Hidden; // started in the tray, else its window is open behind the typing window
    };
    for (const TCase C : {TCase{true, false}, TCase{false, false}, TCase{false, true}}) {
        SCOPED_TRACE(QString("take keyboard %1, hidden %2").arg(C.TakeKeyboard).arg(C.Hidden).toStdString());
        {
            TRegistry Registry;
            ASSERT_TRUE(Registry.OpenKey(TLookUpSettings::KeyName, true));
            Registry.WriteBool("Take Keyboard", C.TakeKeyboard);
        }
        QProcess* Program = Start(C.Hidden ? QStringList{"startup"} : QStringList{});
        ASSERT_TRUE(WaitUntil([&] { return Listening(); }));
        if (!C.Hidden) {
            ASSERT_TRUE(WaitUntil([&] { return Windows(Program).size() == 1; }));
        }

        // Another program the user types in, in front.
        QWidget Typing;
        Typing.setWindowTitle("Typing here");
        auto* Edit = new QLineEdit(&Typing);
        (new QVBoxLayout(&Typing))->addWidget(Edit);
        Typing.setGeometry(300, 300, 300, 80);
        Typing.show();
        Typing.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Typing, 10000));
        Edit->setFocus();
        const QString Own = QString::number(Typing.winId());

        QProcess* LookUp = Start({"--lookup", "cherry"});
        ASSERT_TRUE(Finished(LookUp));
        QString Main;
        ASSERT_TRUE(WaitUntil([&] {
            const QStringList Found = Windows(Program, "^Vexlo Vocabulary - 3 records Pos:3$");
            Main = Found.isEmpty() ? QString() : Found.first();
            return !Main.isEmpty();
        }));
        // The window manager has put the window on top of the typing window: it has dealt with
        // what the program asked for when it showed its window.
        ASSERT_TRUE(WaitUntil([&] {
            const QStringList Order = Stacking();
            return Order.indexOf(Main) > Order.indexOf(Own);
        })) << Stacking().join(' ').toStdString();
        if (C.TakeKeyboard) {
            EXPECT_TRUE(WaitUntil([&] { return Tool("xdotool", {"getactivewindow"}) == Main; }));
        } else {
            EXPECT_EQ(Tool("xdotool", {"getactivewindow"}), Own);
            // Typing goes on where it was.
            Tool("xdotool", {"type", "--window", Own, "abc"});
            EXPECT_TRUE(QTest::qWaitFor([&] { return Edit->text() == "abc"; }, 5000))
                << Edit->text().toStdString();
            EXPECT_TRUE(Typing.isActiveWindow());
        }
        Program->kill();
        ASSERT_TRUE(Finished(Program));
        // What the killed copy left behind goes, so that the next one is seen listening anew.
        for (const QString& Name : QDir(RuntimeDir).entryList(QDir::System | QDir::Files))
            QFile::remove(QDir(RuntimeDir).filePath(Name));
    }
}

} // namespace
