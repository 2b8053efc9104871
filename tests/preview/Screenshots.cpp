// Renders the about box offscreen into docs/screenshots: a word frame, a fade in progress and a
// failure frame. Usage: preview_screenshots OUTPUT_DIR
#include "preview/TAboutForm.h"

#include "PreviewFixture.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    const QString Out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const QString Back = QStringLiteral("%1/background.bmp").arg(QDir::tempPath());
    QImage Picture(320, 240, QImage::Format_RGB32);
    for (int Y = 0; Y < 240; ++Y)
        for (int X = 0; X < 320; ++X)
            Picture.setPixel(X, Y, qRgb(30 + X / 4, 60 + Y / 3, 140 + (X + Y) / 8));
    Picture.save(Back, "BMP");
    const QList<QPair<const char*, int>> Look = {{"Wall", 2},
                                                 {"BitmapPosition", 0},
                                                 {"AlphaColors", 1},
                                                 {"Shadow", 2},
                                                 {"ShowTime", 1},
                                                 {"ShowAuthorName", 1},
                                                 {"Speed", 60},
                                                 {"EnglishColor", 0x00FFFF},
                                                 {"BulgarianColor", 0xFFFFFF}};
    const auto Shot = [&](const QString& Name, int BGDelay, bool Open, int Ticks,
                          const QString& Background) {
        TPreviewEnvironment Env;
        auto Settings = Look;
        Settings.append({"BGDelay", BGDelay});
        Env.Settings(Settings, Background);
        if (Open)
            Env.OpenStore({TPreviewEnvironment::Word("vocabulary", "vəˈkæbjʊləri",
                                                     "речник\r\nсловесен запас")});
        else
            Env.ClosedStore();
        TAboutForm Form(Env.Store.get());
        Form.show();
        for (int I = 0; I < Ticks; ++I) {
            Env.Now += 100;
            Form.TimeTimerTimer();
        }
        QApplication::processEvents();
        const bool Saved = Form.grab().save(Out + QLatin1Char('/') + Name);
        std::printf("%s %s\n", qPrintable(Name), Saved ? "written" : "FAILED");
    };
    Shot("about-word.png", 0, true, 0, Back);
    Shot("about-fading.png", 3, true, 12, Back);
    Shot("about-failure.png", 0, false, 0, Back);
    QFile::remove(Back);
    return 0;
}
