#include "preview/TAboutForm.h"

#include "PreviewFixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace {

class TUrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl& Url) { Opened.append(Url); }
};

struct ScheduleCase
{
    int Speed;
    int BGDelay;
    bool AlphaColors;
    // Ticks (100 ms apart) at which a new word is expected, within the first 40 ticks.
    QList<int> WordTicks;
    // Fade step after each of the first ticks (empty: no check).
    QList<int> Steps;
};

class AboutSchedule : public testing::TestWithParam<ScheduleCase>
{
protected:
    TPreviewEnvironment Env;
};

} // namespace

TEST_P(AboutSchedule, FollowsTheTickArithmetic)
{
    const ScheduleCase& C = GetParam();
    Env.Settings({{"Wall", 0},
                  {"Speed", C.Speed},
                  {"BGDelay", C.BGDelay},
                  {"AlphaColors", C.AlphaColors},
                  {"ShowTime", 1}});
    Env.OpenStore({TPreviewEnvironment::Word("one", "w", "едно\r\nдве")});
    TAboutForm Form(Env.Store.get());
    TPaintMachine& M = *Form.PaintMachine();
    EXPECT_EQ(M.WordTick, Env.Now);
    QList<int> Words;
    QList<int> Steps;
    uint32_t LastClock = M.ClockTick;
    for (int Tick = 1; Tick <= 40; ++Tick) {
        Env.Now += 100; // wraps past 2^32 on the way
        const uint32_t Before = M.WordTick;
        Form.TimeTimerTimer();
        if (M.WordTick != Before)
            Words.append(Tick);
        Steps.append(M.FadeStep);
        if (M.ClockTick != LastClock) {
            EXPECT_GT(uint32_t(Env.Now - LastClock), 500u);
            LastClock = M.ClockTick;
        }
    }
    EXPECT_EQ(Words, C.WordTicks);
    if (!C.Steps.isEmpty()) {
        EXPECT_EQ(Steps.mid(0, C.Steps.size()), C.Steps);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AboutSchedule,
    testing::Values(
        // Speed 0: a new word on every tick; BGDelay 0: no fade steps.
        ScheduleCase{0, 0, true,
                     [] {
                         QList<int> All;
                         for (int I = 1; I <= 40; ++I)
                             All.append(I);
                         return All;
                     }(),
                     QList<int>(40, 0)},
        // Speed 3: the first tick more than 3 s after the last word (31, not 30).
        // BGDelay 3: L = 200 ms, step d = elapsed div 200, one step per two ticks up to 14.
        ScheduleCase{3, 3, true, {31}, {0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,
                                        6,  6,  7,  7,  8,  8,  9,  9,  10, 10, 11,
                                        11, 12, 12, 13, 13, 14, 14, 14, 0,  0,  1}},
        ScheduleCase{3, 0, false, {31}, QList<int>(30, 0)}));

TEST(AboutForm, WebLabelHoverAndClick)
{
    TPreviewEnvironment Env;
    Env.Settings({{"Wall", 0}});
    TAboutForm Form(Env.Store.get());
    EXPECT_EQ(Form.windowTitle(), "About Vexlo Vocabulary");
    EXPECT_EQ(Form.size(), QSize(341, 279));
    EXPECT_EQ(Form.MonitorRect(), QRect(70, 8, 200, 200));
    Form.WebLabelMouseEnter();
    EXPECT_EQ(Form.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(Form.findChild<QLabel*>("WebLabel")->font().underline());
    Form.WebLabelMouseLeave();
    EXPECT_EQ(Form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(Form.findChild<QLabel*>("WebLabel")->font().underline());

    TUrlCatcher Catcher;
    QDesktopServices::setUrlHandler("http", &Catcher, "Open");
    Form.WebLabelClick();
    QDesktopServices::unsetUrlHandler("http");
    ASSERT_EQ(Catcher.Opened.size(), 1);
    EXPECT_EQ(Catcher.Opened[0], QUrl("http://" + Form.findChild<QLabel*>("WebLabel")->text()));
}

TEST(AboutForm, MonitorPictureKeepsItsScreenAndTransparentSurround)
{
    const QImage Picture = TAboutForm::MakeMonitorPicture();
    ASSERT_EQ(Picture.size(), QSize(200, 200));
    EXPECT_EQ(QColor(Picture.pixel(0, 199)), QColor(255, 0, 255));
    for (int Y = 12; Y < 144; ++Y)
        for (int X = 16; X < 184; ++X)
            ASSERT_EQ(QColor(Picture.pixel(X, Y)), QColor(Qt::black));

    TPreviewEnvironment Env;
    Env.Settings({{"Wall", 0}});
    Env.OpenStore({});
    TAboutForm Form(Env.Store.get()); // an empty store: constructed safely, shows its message frame
    EXPECT_TRUE(Form.PreviewError.isEmpty());
    EXPECT_EQ(qAlpha(Form.MonitorPicture().pixel(0, 199)), 0);
    EXPECT_EQ(qAlpha(Form.MonitorPicture().pixel(100, 100)), 255);
    const QImage Frame = Form.PaintMachine()->FrameBitmap->Image;
    EXPECT_EQ(Form.MonitorPicture().copy(16, 12, 168, 132).convertToFormat(QImage::Format_RGB32),
              Frame.convertToFormat(QImage::Format_RGB32));
}

TEST(AboutForm, MonitorIsCentredOnTheOuterWidthOnceFramed)
{
    TPreviewEnvironment Env;
    Env.Settings({{"Wall", 0}});
    TAboutForm Form(Env.Store.get());
    Form.show();
    QCoreApplication::processEvents();
    const int Outer = Form.frameGeometry().width();
    ASSERT_GT(Outer, Form.width()); // the window is framed
    EXPECT_EQ(Form.MonitorRect(), QRect((Outer - 200) / 2, 8, 200, 200));
}

#include "AboutFormTest.moc"
