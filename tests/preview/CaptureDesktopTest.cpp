// The desktop capture on a real X server: what a window shows on screen comes back in the capture,
// scaled to the screen size the preview works with.

#include "preview/VexloGraphics.h"

#include <QColor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace VexloGraphics;

namespace {

// A borderless window filling the primary screen with one colour.
class TColourWindow : public QRasterWindow
{
public:
    explicit TColourWindow(QColor Colour) : Colour(Colour)
    {
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowDoesNotAcceptFocus);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(0, 0), size()), Colour);
    }

private:
    QColor Colour;
};

bool Near(QColor A, QColor B)
{
    return std::abs(A.red() - B.red()) <= 8 && std::abs(A.green() - B.green()) <= 8 &&
           std::abs(A.blue() - B.blue()) <= 8;
}

QColor PixelAt(const TBitmap& Capture, std::optional<QPoint> At = std::nullopt)
{
    const QPoint P = At.value_or(QPoint(Capture.Width() / 2, Capture.Height() / 2));
    return QColor(Capture.Image.pixel(P));
}

// Captures the desktop until the point At (in capture pixels, the middle if none) shows Colour:
// the window manager maps and the server paints in their own time. Gives up after 5 s.
TBitmapPtr CaptureShowing(QColor Colour, std::optional<QPoint> At = std::nullopt)
{
    TBitmapPtr Capture;
    QElapsedTimer Waited;
    Waited.start();
    do {
        QCoreApplication::processEvents();
        QThread::msleep(20);
        Capture = CaptureDesktop();
    } while (!Near(PixelAt(*Capture, At), Colour) && Waited.elapsed() < 5000);
    return Capture;
}

TEST(CaptureDesktopTest, TheCaptureShowsWhatIsOnScreen)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    for (const QColor Colour : {QColor(200, 40, 90), QColor(20, 180, 60)}) {
        SCOPED_TRACE(Colour.name().toStdString());
        TColourWindow Window(Colour);
        Window.show();
        const TBitmapPtr Capture = CaptureShowing(Colour);
        const QColor Middle = PixelAt(*Capture);
        EXPECT_EQ(Capture->Image.size(), ScreenSize());
        EXPECT_EQ(Capture->Image.format(), QImage::Format_BGR888);
        EXPECT_TRUE(Near(Middle, Colour)) << Middle.name().toStdString();
    }
}

TEST(CaptureDesktopTest, AScreenSizeOverrideScalesTheCapture)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    TColourWindow Window(QColor(30, 60, 220));
    Window.show();
    SetScreenOverride(QSize(64, 48), 24);
    const TBitmapPtr Capture = CaptureShowing(QColor(30, 60, 220), QPoint(32, 24));
    SetScreenOverride(QSize(), 0);
    EXPECT_EQ(Capture->Image.size(), QSize(64, 48));
    EXPECT_TRUE(Near(QColor(Capture->Image.pixel(32, 24)), QColor(30, 60, 220)));
}

} // namespace
