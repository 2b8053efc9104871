// Tray residency, clipboard capture, --lookup and learning notes of the real program under a real
// X server with a window manager and a tray host (trayer): the clipboard is set by another
// process (xclip), as a user's copy in another program would set it.

#include "AppWindowFixture.h"

#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

namespace {

class TrayWindowTest : public FruitWindowTest
{
protected:
    void SetAppSetting(const QString& Name, int Value)
    {
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
        Registry.WriteInteger(Name, Value);
    }
    void SetAppFlag(const QString& Name, bool Value)
    {
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
        Registry.WriteBool(Name, Value);
    }

    // The windows of the tray host; empty when none runs.
    static QStringList TrayHostWindows()
    {
        const QString Found = Tool("xdotool", {"search", "--class", "trayer"});
        return Found.isEmpty() ? QStringList() : Found.split('\n');
    }

    // Whether a window of Process sits inside the tray host.
    static bool IconInTray(QProcess* Process)
    {
        const QString Own =
            Tool("xdotool", {"search", "--pid", QString::number(Process->processId())});
        if (Own.isEmpty())
            return false;
        for (const QString& Host : TrayHostWindows()) {
            const QString Tree = Tool("xwininfo", {"-id", Host, "-tree"});
            for (const QString& Window : Own.split('\n'))
                if (Tree.contains(QString("0x%1 ").arg(Window.toULongLong(), 0, 16)))
                    return true;
        }
        return false;
    }

    // Starts the program hidden with "startup" and waits for its icon in the tray.
    QProcess* StartHidden()
    {
        QProcess* Process = Start({"startup"});
        EXPECT_TRUE(WaitUntil([&] { return IconInTray(Process); }))
            << "no icon of the program in the tray host";
        return Process;
    }

    // The visible window of Process captioned exactly Caption (which holds no pattern characters).
    QString CaptionWindow(QProcess* Process, const QString& Caption)
    {
        const QStringList Found = Windows(Process, "^" + Caption + "$");
        return Found.isEmpty() ? QString() : Found.first();
    }
};

#define NEED_TRAY_HOST()                                                                           \
    if (TrayHostWindows().isEmpty())                                                               \
    GTEST_SKIP() << "needs a tray host (trayer)"

TEST_F(TrayWindowTest, CopyWhileHiddenBringsTheWindowUpWithTheEntry)
{
    NEED_TRAY_HOST();
    // What is on the clipboard at the start is not captured.
    CopyToClipboard("cherry");
    QProcess* Program = StartHidden();
    EXPECT_TRUE(SettledState().startsWith("hidden ")) << InstanceState().toStdString();
    EXPECT_TRUE(Windows(Program, "^Vexlo Vocabulary - ").isEmpty());

    CopyToClipboard("banana");
    EXPECT_TRUE(WaitUntil([&] {
        return !CaptionWindow(Program, "Vexlo Vocabulary - 3 records Pos:2").isEmpty();
    })) << Windows(Program, ".").join(',').toStdString();
    EXPECT_EQ(Program->state(), QProcess::Running);
}

TEST_F(TrayWindowTest, CopyWithCopyFromClipboardOffChangesNothingButLookUpWorks)
{
    NEED_TRAY_HOST();
    SetAppFlag("CopyFromClipboard", false);
    QProcess* Program = StartHidden();
    const QString Before = SettledState();
    ASSERT_TRUE(Before.startsWith("hidden clipboard ")) << Before.toStdString();
    const int Seen = Before.section(' ', 2).toInt();
    CopyToClipboard("banana");
    // The copy was seen and left alone.
    EXPECT_TRUE(WaitUntil([&] {
        return InstanceState() == "hidden clipboard " + QString::number(Seen + 1);
    })) << InstanceState().toStdString();
    EXPECT_TRUE(Windows(Program, "^Vexlo Vocabulary - ").isEmpty());

    // The user asked explicitly: --lookup works whatever the setting.
    QProcess* LookUp = Start({"--lookup", "cherry"});
    ASSERT_TRUE(Finished(LookUp));
    EXPECT_EQ(LookUp->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] {
        return !CaptionWindow(Program, "Vexlo Vocabulary - 3 records Pos:3").isEmpty();
    })) << Windows(Program, ".").join(',').toStdString();
}

TEST_F(TrayWindowTest, LookUpStartsTheProgramWhenNoneRuns)
{
    QProcess* Program = Start({"--lookup", "-banana-"});
    // "-banana-" finds nothing, nor any beginning of it: the first entry stays current.
    ASSERT_TRUE(WaitUntil(
        [&] { return !CaptionWindow(Program, "Vexlo Vocabulary - 3 records Pos:1").isEmpty(); }));
    QProcess* LookUp = Start({"--lookup", "bananas"});
    ASSERT_TRUE(Finished(LookUp));
    EXPECT_EQ(LookUp->exitCode(), 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return !CaptionWindow(Program, "Vexlo Vocabulary - 3 records Pos:2").isEmpty(); }));
}

TEST_F(TrayWindowTest, LearningNoteAppearsWithoutTakingTheFocus)
{
    SetAppFlag("Resident Mode", true);
    SetAppSetting("Sequence Interval", 1);
    SetAppFlag("Animate", false);
    QProcess* Program = nullptr;
    QString Main;
    Program = Start({});
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList Found = Windows(Program, "^Vexlo Vocabulary - ");
        Main = Found.isEmpty() ? QString() : Found.first();
        return !Main.isEmpty();
    }));
    Tool("xdotool", {"windowactivate", "--sync", Main});
    ASSERT_TRUE(WaitUntil([&] { return Tool("xdotool", {"getactivewindow"}) == Main; }));
    QString Note;
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList Found = Windows(Program, "^LearnForm$");
        Note = Found.isEmpty() ? QString() : Found.first();
        return !Note.isEmpty();
    })) << "no note window";
    // Once the note is on the screen and the program has served a request after showing it, the
    // main window still has the focus.
    ASSERT_TRUE(WaitUntil([&] {
        return Tool("xdotool", {"search", "--onlyvisible", "--name", "^LearnForm$"}).contains(Note);
    }));
    EXPECT_TRUE(SettledState().startsWith("shown"));
    EXPECT_EQ(Tool("xdotool", {"getactivewindow"}), Main);
}

} // namespace
