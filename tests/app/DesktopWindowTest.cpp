// The windows under a real X server with a window manager (openbox) and a tray host (trayer):
// where dialogs land once the window manager has framed them, the bounds a maximised window
// leaves behind, the wait window of a delete as the X server shows it, and the tray icon's tip.

#include "AppWindowFixture.h"

#include "app/TAdminForm.h"
#include "tests/support/FormControls.h"
#include "app/TDictionaryCommands.h"
#include "app/TInterchangeCommands.h"
#include "app/TSpeechCommands.h"
#include "app/TTrayControl.h"
#include "app/TWindowPlacement.h"
#include "widgets/TMessageForm.h"
#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"
#include "settings/TOptionsForm.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cmath>

namespace {


// Whether the window manager has framed Window and Qt knows the frame.
bool Framed(const QWidget* Window)
{
    return Window->isVisible() && Window->windowHandle() && Window->windowHandle()->isExposed() &&
           Window->frameGeometry() != Window->geometry();
}

// A window's outer rectangle as the X server has it: the inside's place and size (xwininfo) and
// the frame the window manager announces (_NET_FRAME_EXTENTS); invalid until it has one.
QRect XFrame(WId Window)
{
    const QString Info = Tool("xwininfo", {"-id", QString::number(Window)});
    const QString Extents = Tool("xprop", {"-id", QString::number(Window), "_NET_FRAME_EXTENTS"});
    const auto Number = [&Info](const char* Label) {
        const QRegularExpressionMatch M =
            QRegularExpression(QString(Label) + R"(:\s*(-?\d+))").match(Info);
        return M.hasMatch() ? M.captured(1).toInt() : 0;
    };
    const QRegularExpressionMatch E =
        QRegularExpression(R"(= (\d+), (\d+), (\d+), (\d+))").match(Extents);
    if (!E.hasMatch())
        return {};
    const int Left = E.captured(1).toInt(), Right = E.captured(2).toInt(),
              Top = E.captured(3).toInt(), Bottom = E.captured(4).toInt();
    return QRect(Number("Absolute upper-left X") - Left, Number("Absolute upper-left Y") - Top,
                 Number("Width") + Left + Right, Number("Height") + Top + Bottom);
}

// The outer rectangle once the window manager has framed the window and left it in place.
QRect SettledFrame(const QWidget* Window)
{
    QRect Last;
    WaitUntil([&] {
        const QRect Now = XFrame(Window->winId());
        const bool Still = Now.isValid() && Now == Last;
        Last = Now;
        return Still;
    });
    return Last;
}

// Waits until the window manager has placed Window and Qt has its frame as the X server has it.
bool Placed(const QWidget* Window)
{
    return WaitUntil([&] {
        const QRect Frame = SettledFrame(Window);
        return Frame.isValid() && Window->frameGeometry() == Frame;
    });
}

// A number of the program's settings as saved in the hive file HivePath; -1 when it is not there.
int SavedNumber(const QString& HivePath, const QString& Name)
{
    QFile Hive(HivePath);
    if (!Hive.open(QIODevice::ReadOnly))
        return -1;
    const QString Text = QString::fromUtf8(Hive.readAll());
    const QRegularExpressionMatch Match =
        QRegularExpression("\"" + Name + "\"=dword:([0-9a-f]{8})").match(Text);
    return Match.hasMatch() ? int(Match.captured(1).toUInt(nullptr, 16)) : -1;
}

bool HaveWindowManager()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") &&
           QGuiApplication::platformName() == QLatin1String("xcb");
}

#define NEED_WINDOW_MANAGER()                                                                      \
    if (!HaveWindowManager())                                                                      \
    GTEST_SKIP() << "needs an X server with a window manager"

TEST(DesktopDialogs, OptionsAreCentredByTheirFramesAndKeptOnTheScreen)
{
    NEED_WINDOW_MANAGER();
    const QRect Available = QGuiApplication::primaryScreen()->availableGeometry();
    struct TCase
    {
        const char* Name;
        QRect Owner;
        bool Centred; // else held inside the available area
    };
    const TCase Cases[] = {
        {"in the middle", QRect(Available.left() + 200, Available.top() + 150, 700, 600), true},
        // Lower than the dialog, at the top: centred, the title bar would be above the screen.
        {"at the top", QRect(Available.left(), Available.top(), 500, 100), false},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        QWidget Owner;
        Owner.setGeometry(Case.Owner);
        Owner.show();
        ASSERT_TRUE(SettledFrame(&Owner).isValid());
        TAppRegInfoData Settings;
        QRect Frame, OwnerFrame;
        QTimer::singleShot(0, [&] {
            auto* Form = Owner.findChild<TOptionsForm*>();
            ASSERT_NE(Form, nullptr);
            Frame = SettledFrame(Form);
            OwnerFrame = XFrame(Owner.winId());
            Form->reject();
        });
        TOptionsForm::Execute(Settings, &Owner);
        ASSERT_TRUE(Frame.isValid());
        EXPECT_TRUE(Available.contains(Frame)) << Frame.x() << "," << Frame.y();
        if (Case.Centred) {
            // The dialog's frame is not known before it is shown: the owner's is taken, whose
            // bottom edge may be a few pixels deeper (a resize handle).
            EXPECT_LE(std::abs(Frame.center().x() - OwnerFrame.center().x()), 1) << Frame.x();
            EXPECT_LE(std::abs(Frame.center().y() - OwnerFrame.center().y()), 3) << Frame.y();
        } else {
            EXPECT_EQ(Frame.top(), Available.top());
        }
    }
}

// The main window in this process, on a data file and settings hive of its own.
class DesktopMainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HaveWindowManager())
            GTEST_SKIP() << "needs an X server with a window manager";
        ASSERT_TRUE(Dir.isValid());
        SavedRegistry = qgetenv("VEXLO_REGISTRY");
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
        const QString DataFile = Dir.filePath("words.mdb");
        ASSERT_NO_FATAL_FAILURE(MakeFruitDictionary(DataFile));
    }

    void TearDown() override
    {
        Form.reset();
        Store.reset();
        if (!IsSkipped())
            qputenv("VEXLO_REGISTRY", SavedRegistry);
    }

    void OpenForm()
    {
        Store = std::make_unique<TScreenSaverDataModule>();
        Form = std::make_unique<TAdminForm>(*Store, QStringList{"vexlo-vocabulary"});
        Form->ApplicationTerminate = [] {};
    }

    // A number of the program's settings as saved in the hive.
    int Saved(const QString& Name) { return SavedNumber(Dir.filePath("registry.reg"), Name); }

    QTemporaryDir Dir;
    QByteArray SavedRegistry;
    std::unique_ptr<TScreenSaverDataModule> Store;
    std::unique_ptr<TAdminForm> Form;
};

TEST_F(DesktopMainWindow, MaximisedByTheWindowManagerItSavesItsNormalBounds)
{
    {
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
        Registry.WriteInteger("Left", 150);
        Registry.WriteInteger("Top", 120);
        Registry.WriteInteger("Width", 560);
        Registry.WriteInteger("Height", 420);
    }
    OpenForm();
    Form->show();
    ASSERT_TRUE(WaitUntil([&] { return Framed(Form.get()); }));
    ASSERT_TRUE(Placed(Form.get()));
    const QRect Normal = Form->Placement->PlaceBounds();
    // The user double-clicks the title bar: the window manager maximises the window.
    const QRect Frame = SettledFrame(Form.get());
    ASSERT_TRUE(Frame.isValid());
    const QPoint Title(Frame.center().x(),
                       Frame.top() + (Frame.height() - Form->height()) / 3);
    // Two clicks make a double-click only within the window manager's double-click time; on a
    // busy machine they may come further apart, and then the user clicks again.
    for (int Try = 0; Try < 10 && !Form->isMaximized(); ++Try) {
        Tool("xdotool", {"mousemove", QString::number(Title.x()), QString::number(Title.y()),
                         "click", "--repeat", "2", "--delay", "80", "1"});
        WaitUntil([&] { return Form->isMaximized(); }, 2000);
    }
    ASSERT_TRUE(WaitUntil([&] { return Form->isMaximized(); })) << "not maximised";
    ASSERT_TRUE(WaitUntil([&] { return Form->size() != Normal.size(); }));

    UI(Form, Exit)->trigger();
    Form.reset();
    EXPECT_EQ(QRect(Saved("Left"), Saved("Top"), Saved("Width"), Saved("Height")), Normal);
}

TEST_F(DesktopMainWindow, FirstStartCentresTheWindowOnTheAvailableArea)
{
    OpenForm();
    Form->show();
    ASSERT_TRUE(WaitUntil([&] { return Framed(Form.get()); }));
    ASSERT_TRUE(Placed(Form.get()));
    const QRect Available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect Frame = Form->frameGeometry();
    EXPECT_TRUE(Available.contains(Frame));
    // Give or take the frame, unknown until the window manager has put it on.
    const int Slack = Frame.height() - Form->height();
    EXPECT_LE(std::abs(Frame.center().x() - Available.center().x()), Slack);
    EXPECT_LE(std::abs(Frame.center().y() - Available.center().y()), Slack);
}

// The real program on the fruit dictionary, started as a child process.
class DesktopProgram : public FruitWindowTest
{
protected:
    void SetUp() override
    {
        FruitWindowTest::SetUp();
        if (!IsSkipped() && !HaveWindowManager())
            GTEST_SKIP() << "needs an X server with a window manager";
    }
};

// The share of pixels of two pictures of the same size that match within a small tolerance.
double Likeness(const QImage& A, const QImage& B)
{
    if (A.size() != B.size() || A.isNull())
        return 0;
    qint64 Same = 0;
    for (int Y = 0; Y < A.height(); ++Y)
        for (int X = 0; X < A.width(); ++X) {
            const QRgb P = A.pixel(X, Y), Q = B.pixel(X, Y);
            Same += std::abs(qRed(P) - qRed(Q)) + std::abs(qGreen(P) - qGreen(Q)) +
                        std::abs(qBlue(P) - qBlue(Q)) <
                    24;
        }
    return double(Same) / (qint64(A.width()) * A.height());
}

// The delete of the current entry (cherry) while the sqlite3 shell holds the data file's write
// lock: the program waits for the lock (as long as LockWaitMs says) with its wait window up. The
// lock is released, or kept, by the test once it has looked, so the delete is long on purpose.
class LockedDelete : public DesktopProgram
{
protected:
    // Starts the program with the given lock wait, takes the lock in another process, asks for the
    // delete and answers Yes; returns the wait window (or, when the test does not look for it,
    // since a short wait may be over before it could be seen, an empty text).
    QString StartDeleteUnderLock(int LockWaitMs, bool LookForWaitWindow = true)
    {
        Environment.insert("VEXLO_LOCK_WAIT_MS", QString::number(LockWaitMs));
        Program = Start({});
        Main = WaitForWindow(Program, "^Vexlo Vocabulary - ");
        if (Main.isEmpty())
            return Failed("no main window");
        Processes.push_back(std::make_unique<QProcess>());
        Locker = Processes.back().get();
        Locker->start("sqlite3", {DataFile});
        if (!Locker->waitForStarted(5000))
            return Failed("the sqlite3 shell did not start");
        Locker->write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        if (!WaitUntil([&] {
                Locker->waitForReadyRead(100);
                return Locker->readAllStandardOutput().contains("locked");
            }))
            return Failed("the sqlite3 shell did not take the lock");
        QString Confirm;
        // The keys go to the active window: the main window, once the window manager made it so.
        for (int Try = 0; Try < 5 && Confirm.isEmpty(); ++Try) {
            Tool("xdotool", {"windowactivate", "--sync", Main});
            WaitUntil([&] { return Tool("xdotool", {"getactivewindow"}) == Main; }, 3000);
            Tool("xdotool", {"key", "ctrl+d"});
            Confirm = WaitForWindow(Program, "^Confirm$");
        }
        if (Confirm.isEmpty())
            return Failed("no question before the delete");
        Tool("xdotool", {"windowactivate", "--sync", Confirm});
        WaitUntil([&] { return Tool("xdotool", {"getactivewindow"}) == Confirm; }, 3000);
        Tool("xdotool", {"key", "Return"});
        if (!LookForWaitWindow)
            return {};
        const QString Wait = WaitForWindow(Program, "^Message$");
        return Wait.isEmpty() ? Failed("no wait window") : Wait;
    }
    static QString Failed(const char* What)
    {
        ADD_FAILURE() << What;
        return {};
    }

    void ReleaseLock()
    {
        Locker->write("COMMIT;\n");
        Locker->closeWriteChannel();
        Locker->waitForFinished(10000);
    }

    // What the screen shows where Window is now, other windows over it included.
    static QImage Shown(const QString& Window)
    {
        const QString Info = Tool("xwininfo", {"-id", Window});
        const auto Number = [&Info](const char* Label) {
            const QRegularExpressionMatch M =
                QRegularExpression(QString(Label) + R"(:\s*(-?\d+))").match(Info);
            return M.hasMatch() ? M.captured(1).toInt() : 0;
        };
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, Number("Absolute upper-left X"), Number("Absolute upper-left Y"),
                         Number("Width"), Number("Height"))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    static QImage Drawn()
    {
        TMessageForm Reference(nullptr, "Please wait for a moment");
        return Reference.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QProcess* Program = nullptr;
    QProcess* Locker = nullptr;
    QString Main;
};

TEST_F(LockedDelete, DeleteShowsItsWaitWindowDrawnWhileTheStoreIsBusy)
{
    const QString Wait = StartDeleteUnderLock(10 * 60 * 1000);
    ASSERT_FALSE(Wait.isEmpty());
    // What the X server shows of the window, against the window drawn here.
    const QImage Reference = Drawn();
    EXPECT_TRUE(WaitUntil([&] { return Likeness(Shown(Wait), Reference) > 0.97; }, 10000));
    ReleaseLock();
    EXPECT_TRUE(WaitUntil([&] { return WindowName(Main).startsWith("Vexlo Vocabulary - 2 records"); }))
        << WindowName(Main).toStdString();
}

TEST_F(LockedDelete, LongDeleteRedrawsItsWaitWindowWhenUncovered)
{
    const QString Wait = StartDeleteUnderLock(10 * 60 * 1000);
    ASSERT_FALSE(Wait.isEmpty());
    const QImage Reference = Drawn();
    ASSERT_TRUE(WaitUntil([&] { return Likeness(Shown(Wait), Reference) > 0.97; }, 10000));

    // Another program's window passes over the wait window, then goes.
    const QRect Under = XFrame(Wait.toULongLong());
    ASSERT_TRUE(Under.isValid());
    QWidget Cover(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                               Qt::WindowStaysOnTopHint);
    QPalette Magenta;
    Magenta.setColor(QPalette::Window, QColor(255, 0, 255));
    Cover.setPalette(Magenta);
    Cover.setAutoFillBackground(true);
    Cover.setGeometry(Under);
    Cover.show();
    // The X server shows the cover where the wait window is.
    const QImage Covered(Reference.size(), QImage::Format_RGB32);
    QImage Pink = Covered;
    Pink.fill(QColor(255, 0, 255));
    ASSERT_TRUE(WaitUntil([&] { return Likeness(Shown(Wait), Pink) > 0.9; }, 10000))
        << Likeness(Shown(Wait), Pink) << " " << Shown(Wait).save("/tmp/shown.png") << " "
        << Cover.geometry().x() << "," << Cover.geometry().y() << " " << Under.x() << ","
        << Under.y();
    Cover.hide();
    // Still waiting for the lock: what shows now is what the program drew meanwhile.
    EXPECT_TRUE(WaitUntil([&] { return Likeness(Shown(Wait), Reference) > 0.97; }, 10000))
        << "the wait window kept the cover's picture";
    EXPECT_FALSE(Windows(Program, "^Message$").isEmpty());

    ReleaseLock();
    EXPECT_TRUE(WaitUntil([&] { return WindowName(Main).startsWith("Vexlo Vocabulary - 2 records"); }))
        << WindowName(Main).toStdString();
}

// The lock holds beyond the wait: the delete fails with a message and deletes nothing.
TEST_F(LockedDelete, DeleteThatCannotGetTheLockSaysSoAndDeletesNothing)
{
    StartDeleteUnderLock(200, false);
    ASSERT_FALSE(Main.isEmpty());
    const QString Error = WaitForWindow(Program, "^Vexlo Vocabulary 2007$");
    ASSERT_FALSE(Error.isEmpty());
    Tool("xdotool", {"windowactivate", "--sync", Error});
    WaitUntil([&] { return Tool("xdotool", {"getactivewindow"}) == Error; }, 3000);
    Tool("xdotool", {"key", "Return"});
    ReleaseLock();
    EXPECT_TRUE(WaitUntil([&] { return Windows(Program, "^Vexlo Vocabulary 2007$").isEmpty(); }));
    EXPECT_TRUE(WindowName(Main).startsWith("Vexlo Vocabulary - 3 records"))
        << WindowName(Main).toStdString();
}

// The program's icon in the tray host, or an invalid rectangle where none shows it.
QRect TrayIconRect(QProcess* Program)
{
    // The icon's window carries the program's title.
    const QString Found =
        Tool("xdotool", {"search", "--pid", QString::number(Program->processId())});
    if (Found.isEmpty() || Tool("xdotool", {"search", "--class", "trayer"}).isEmpty())
        return {};
    for (const QString& Window : Found.split('\n', Qt::SkipEmptyParts)) {
        const QString Info = Tool("xwininfo", {"-id", Window});
        const auto Number = [&Info](const char* Label) {
            const QRegularExpressionMatch M =
                QRegularExpression(QString(Label) + R"(:\s*(-?\d+))").match(Info);
            return M.hasMatch() ? M.captured(1).toInt() : 0;
        };
        const QRect Rect(Number("Absolute upper-left X"), Number("Absolute upper-left Y"),
                         Number("Width"), Number("Height"));
        if (Info.contains("IsViewable") && Rect.width() > 1 &&
            Tool("xdotool", {"getwindowname", Window}) == "Vexlo Vocabulary 2007")
            return Rect;
    }
    return {};
}

// Visible windows of Program, and those whose window type names Kind (TOOLTIP, ...).
QStringList VisibleWindows(QProcess* Program)
{
    return Tool("xdotool", {"search", "--onlyvisible", "--pid",
                            QString::number(Program->processId())})
        .split('\n', Qt::SkipEmptyParts);
}

QStringList WindowsOfType(QProcess* Program, const QString& Kind)
{
    QStringList Result;
    for (const QString& Window : VisibleWindows(Program))
        if (Tool("xprop", {"-id", Window, "_NET_WM_WINDOW_TYPE"}).contains(Kind))
            Result << Window;
    return Result;
}

// Under a scale factor that leaves less room than the window's least size (QT_SCALE_FACTOR=3 on
// 1280x1024: 426x341), the main window gives way to the screen: its frame is all on it, on the
// first start and with bounds saved by an unscaled session.
TEST_F(DesktopProgram, LargeScaleFactorKeepsTheWholeMainWindowOnTheScreen)
{
    QScreen* Screen = QGuiApplication::primaryScreen();
    const qreal Ratio = Screen->devicePixelRatio();
    const QRect Available(Screen->availableGeometry().topLeft() * Ratio,
                          Screen->availableGeometry().size() * Ratio);
    const int Factor = std::max(3, int(std::ceil(Available.width() / 420.0)));
    Environment.insert("QT_SCALE_FACTOR", QString::number(Factor));
    struct TCase
    {
        const char* Name;
        QRect Saved; // null: never placed
    };
    const TCase Cases[] = {
        {"first start", {}},
        {"bounds saved unscaled", QRect(300, 200, 900, 700)},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        if (!Case.Saved.isNull()) {
            TRegistry Registry;
            ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
            Registry.WriteInteger("Left", Case.Saved.left());
            Registry.WriteInteger("Top", Case.Saved.top());
            Registry.WriteInteger("Width", Case.Saved.width());
            Registry.WriteInteger("Height", Case.Saved.height());
        }
        QProcess* Program = Start({});
        const QString Main = WaitForWindow(Program, "^Vexlo Vocabulary - ");
        ASSERT_FALSE(Main.isEmpty());
        QRect Frame;
        EXPECT_TRUE(WaitUntil([&] {
            Frame = XFrame(Main.toULongLong());
            return Frame.isValid() && Available.contains(Frame);
        })) << "frame " << Frame.x() << "," << Frame.y() << " " << Frame.width() << "x"
            << Frame.height() << " on " << Available.width() << "x" << Available.height();
        Program->terminate();
        ASSERT_TRUE(Finished(Program));
    }
}

// The saved bounds are the screen's pixels: at another scale the window stands where it stood,
// as large as it was, and closing it saves the same values again.
TEST_F(DesktopProgram, ScaleFactorNeitherMovesNorResizesTheSavedWindow)
{
    const QRect Bounds(100, 80, 1000, 700); // above the least size at either scale
    const auto Stored = [this](const char* Name) {
        return SavedNumber(Dir.filePath("registry.reg"), Name);
    };
    QRect Unscaled;
    for (const int Factor : {1, 2}) {
        SCOPED_TRACE(Factor);
        {
            TRegistry Registry;
            ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
            Registry.WriteInteger("Left", Bounds.left());
            Registry.WriteInteger("Top", Bounds.top());
            Registry.WriteInteger("Width", Bounds.width());
            Registry.WriteInteger("Height", Bounds.height());
        }
        Environment.insert("QT_SCALE_FACTOR", QString::number(Factor));
        QProcess* Program = Start({});
        const QString Main = WaitForWindow(Program, "^Vexlo Vocabulary - ");
        ASSERT_FALSE(Main.isEmpty());
        // Once the window manager has framed it and it stands still.
        QRect Frame, Last;
        ASSERT_TRUE(WaitUntil([&] {
            Frame = XFrame(Main.toULongLong());
            const bool Still = Frame.isValid() && Frame == Last &&
                               Tool("xprop", {"-id", Main, "_NET_FRAME_EXTENTS"}).contains("=");
            Last = Frame;
            return Still;
        }));
        if (Factor == 1)
            Unscaled = Frame;
        else
            EXPECT_LE((Frame.topLeft() - Unscaled.topLeft()).manhattanLength() +
                          std::abs(Frame.width() - Unscaled.width()) +
                          std::abs(Frame.height() - Unscaled.height()),
                      4)
                << "at scale 2: " << Frame.x() << "," << Frame.y() << " " << Frame.width() << "x"
                << Frame.height() << "; at scale 1: " << Unscaled.x() << "," << Unscaled.y()
                << " " << Unscaled.width() << "x" << Unscaled.height();
        Program->terminate();
        ASSERT_TRUE(Finished(Program));
        EXPECT_LE(std::abs(Stored("Left") - Bounds.left()) + std::abs(Stored("Top") - Bounds.top()) +
                      std::abs(Stored("Width") - Bounds.width()) +
                      std::abs(Stored("Height") - Bounds.height()),
                  2)
            << Stored("Left") << "," << Stored("Top") << " " << Stored("Width") << "x"
            << Stored("Height");
    }
}

TEST_F(DesktopProgram, TrayIconShowsItsTipAndARightClickBringsTheWindowForward)
{
    QProcess* Program = Start({});
    const QString Main = WaitForWindow(Program, "^Vexlo Vocabulary - ");
    ASSERT_FALSE(Main.isEmpty());
    QRect Icon;
    WaitUntil([&] { return (Icon = TrayIconRect(Program)).isValid(); }, 5000);
    if (!Icon.isValid())
        GTEST_SKIP() << "needs a tray host (trayer)";

    // Resting the pointer on the icon shows the program's title.
    Tool("xdotool", {"mousemove", QString::number(Icon.left() + 2), QString::number(Icon.top() + 2)});
    QThread::msleep(200);
    Tool("xdotool", {"mousemove", QString::number(Icon.center().x()),
                     QString::number(Icon.center().y())});
    EXPECT_TRUE(WaitUntil([&] { return !WindowsOfType(Program, "TOOLTIP").isEmpty(); }, 5000))
        << "no tip";

    // Another program's window is in front; a right click on the icon brings the main window
    // forward and pops up the menu.
    QWidget Other;
    Other.setWindowTitle("Other");
    Other.setGeometry(100, 100, 300, 200);
    Other.show();
    WaitUntil([&] { return XFrame(Other.winId()).isValid(); });
    Tool("xdotool", {"windowactivate", "--sync", QString::number(Other.winId())});
    ASSERT_TRUE(WaitUntil(
        [&] { return Tool("xdotool", {"getactivewindow"}) == QString::number(Other.winId()); }));
    const QStringList Before = VisibleWindows(Program);
    Tool("xdotool", {"mousemove", QString::number(Icon.center().x()),
                     QString::number(Icon.center().y()), "click", "3"});
    const auto MenuShows = [&] {
        for (const QString& Window : VisibleWindows(Program))
            if (!Before.contains(Window) && WindowsOfType(Program, "TOOLTIP").indexOf(Window) < 0)
                return true;
        return false;
    };
    // The window is active with the menu open on it: the activation did not close the menu.
    EXPECT_TRUE(WaitUntil([&] {
        return Tool("xdotool", {"getactivewindow"}) == Main && MenuShows();
    })) << "no menu on the active window: active " << Tool("xdotool", {"getactivewindow"}).toStdString()
        << " main " << Main.toStdString() << " menu " << MenuShows();
    Tool("xdotool", {"key", "Escape"});
}

} // namespace
