#include "preview/PictureFiles.h"
#include "preview/VexloGraphics.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace VexloGraphics;

namespace {

// A bitmap of one colour, 24 bits.
TBitmap Solid(int W, int H, QColor C)
{
    TBitmap B(W, H, QImage::Format_BGR888);
    B.Image.fill(C);
    return B;
}

QRgb PixelAt(const TBitmap& B, int X, int Y)
{
    return B.Image.pixel(X, Y);
}

// Screen size and depth fixed for the duration of a test.
class ScreenFixture : public testing::Test
{
protected:
    void SetUp() override { SetScreenOverride(QSize(1280, 1024), 24); }
    void TearDown() override { SetScreenOverride(QSize(), 0); }
};

} // namespace

struct EffectCase
{
    const char* Name;
    QColor Pixel;
    TColor FontColor;
    enum
    {
        Alpha,
        Blend,
        Shadow
    } Kind;
    int OldWeight;
    int ColourWeight;
    QColor Expected;
};

class EffectArithmetic : public testing::TestWithParam<EffectCase>
{
};

TEST_P(EffectArithmetic, GivesExactBytes)
{
    const EffectCase& C = GetParam();
    TBitmap B = Solid(16, 8, C.Pixel);
    B.Font.Color = C.FontColor;
    if (C.Kind == EffectCase::Alpha)
        AlphaEffect(B);
    else if (C.Kind == EffectCase::Shadow)
        ShadowEffect(B);
    else
        BlendEffect(B, uint16_t(C.OldWeight), uint16_t(C.ColourWeight));
    ASSERT_EQ(B.Image.format(), QImage::Format_BGR888);
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            ASSERT_EQ(QColor(PixelAt(B, X, Y)), C.Expected) << X << "," << Y;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectArithmetic,
    testing::Values(
        EffectCase{"AlphaWhiteOnBlack", Qt::black, clWhite, EffectCase::Alpha, 0, 0,
                   QColor(170, 170, 170)},
        EffectCase{"AlphaBlackOnWhite", Qt::white, clBlack, EffectCase::Alpha, 0, 0,
                   QColor(85, 85, 85)},
        // Bytes are taken one by one: red from the colour's low byte, blue from its third.
        EffectCase{"AlphaPerChannel", QColor(30, 60, 90), 0x0000FF, EffectCase::Alpha, 0, 0,
                   QColor(180, 20, 30)},
        EffectCase{"BlendOneTwoIsAlpha", Qt::black, clWhite, EffectCase::Blend, 1, 2,
                   QColor(170, 170, 170)},
        EffectCase{"BlendTwentyOneToOne", Qt::black, clWhite, EffectCase::Blend, 21, 1,
                   QColor(11, 11, 11)},
        EffectCase{"BlendTwentyOneToOneOnWhite", Qt::white, clBlack, EffectCase::Blend, 21, 1,
                   QColor(243, 243, 243)},
        EffectCase{"BlendColourOnly", QColor(1, 2, 3), 0x102030, EffectCase::Blend, 0, 5,
                   QColor(0x30, 0x20, 0x10)},
        // Weights whose 16-bit sum is zero leave the pixels alone instead of dividing by zero.
        EffectCase{"BlendZeroWeights", QColor(9, 8, 7), clWhite, EffectCase::Blend, 0, 0,
                   QColor(9, 8, 7)},
        EffectCase{"BlendWrappingSum", QColor(9, 8, 7), clWhite, EffectCase::Blend, 65535, 1,
                   QColor(9, 8, 7)},
        EffectCase{"ShadowOnWhite", Qt::white, clRed, EffectCase::Shadow, 0, 0,
                   QColor(127, 127, 127)},
        EffectCase{"ShadowOnBlack", Qt::black, clRed, EffectCase::Shadow, 0, 0, QColor(0, 0, 0)}),
    [](const testing::TestParamInfo<EffectCase>& Info) { return std::string(Info.param.Name); });

TEST(EffectArithmetic, AlphaEqualsBlendOneTwoOnEveryByte)
{
    // Every byte value against a few colours.
    TBitmap A(256, 4, QImage::Format_BGR888);
    for (int Y = 0; Y < 4; ++Y)
        for (int X = 0; X < 256; ++X)
            A.Image.setPixel(X, Y, qRgb(X, 255 - X, (X * 7) & 0xFF));
    for (TColor C : {clBlack, clWhite, TColor(0x123456), TColor(0xFE01FF)}) {
        TBitmap Alpha = A, Blend = A;
        Alpha.Font.Color = Blend.Font.Color = C;
        AlphaEffect(Alpha);
        BlendEffect(Blend, 1, 2);
        EXPECT_EQ(Alpha.Image, Blend.Image) << std::hex << C;
    }
}

TEST(EffectArithmetic, ShadowTurnsColoursToHalfGrey)
{
    TBitmap B = Solid(24, 24, QColor(200, 40, 40));
    ShadowEffect(B);
    const QRgb P = PixelAt(B, 12, 12);
    EXPECT_EQ(qRed(P), qGreen(P));
    EXPECT_EQ(qGreen(P), qBlue(P));
    // The luminance of (200, 40, 40) is about 87: half of it, give or take the JPEG coding.
    EXPECT_NEAR(qRed(P), 87 / 2, 2);
}

class MaskedTextTest : public ScreenFixture
{
};

TEST_F(MaskedTextTest, ChangesNoPixelOutsideTheGlyphs)
{
    // A target with a pattern, a source of another colour; only glyph pixels may change.
    for (QImage::Format Format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
        TBitmap Target(120, 40, Format);
        for (int Y = 0; Y < 40; ++Y)
            for (int X = 0; X < 120; ++X)
                Target.Image.setPixel(X, Y, qRgb(X * 2, Y * 5, 100));
        const TBitmap Before = Target;
        const TBitmap Source = Solid(120, 40, QColor(10, 200, 30));
        Target.Font.Size = 14;
        Target.Font.Color = clWhite;
        const QString Text = QStringLiteral("Wql мир");
        MaskedEffectTextW(Target, Source, 5, 3, Text, AlphaEffect);

        // The same glyphs drawn plainly tell which pixels are glyph pixels.
        TBitmap Glyphs(120, 40, QImage::Format_RGB32);
        Glyphs.Font = Target.Font;
        Glyphs.TextOut(5, 3, Text);
        int Changed = 0;
        for (int Y = 0; Y < 40; ++Y)
            for (int X = 0; X < 120; ++X) {
                const bool Glyph = qGray(Glyphs.Image.pixel(X, Y)) >= 128;
                const QRgb Now = Target.Image.pixel(X, Y);
                if (Glyph) {
                    // (source + 2 * white) div 3, byte by byte.
                    ASSERT_EQ(QColor(Now), QColor((10 + 510) / 3, (200 + 510) / 3, (30 + 510) / 3));
                    ++Changed;
                } else {
                    ASSERT_EQ(Now, Before.Image.pixel(X, Y)) << X << "," << Y;
                }
            }
        EXPECT_GT(Changed, 20);
    }
}

TEST_F(MaskedTextTest, TextReachingPastTheEdgesIsClipped)
{
    TBitmap Target(30, 10, QImage::Format_RGB32);
    const TBitmap Source = Solid(30, 10, Qt::white);
    Target.Font.Size = 20;
    Target.Font.Color = clWhite;
    MaskedEffectTextW(Target, Source, -7, -5, QStringLiteral("MMMMMM"), AlphaEffect);
    MaskedEffectTextW(Target, Source, 25, 8, QStringLiteral("MMMMMM"), ShadowEffect);
    MaskedBlendTextW(Target, TBitmap(), 0, 0, QStringLiteral("M"), BlendEffect, 0, 0);
    SUCCEED();
}

TEST_F(MaskedTextTest, BelowSixteenBitsTextIsPlain)
{
    SetScreenOverride(QSize(1280, 1024), 8);
    TBitmap Target = Solid(60, 20, Qt::white);
    const TBitmap Source = Solid(60, 20, Qt::blue);
    Target.Font.Size = 12;
    Target.Font.Color = clRed;
    AlphaTextW(Target, Source, 0, 0, QStringLiteral("Hi"));
    ShadowTextW(Target, Source, 20, 0, QStringLiteral("Hi"));
    EXPECT_EQ(Target.Font.Color, clRed); // the shadow's black is given back
    bool Red = false, Black = false;
    for (int Y = 0; Y < 20; ++Y)
        for (int X = 0; X < 60; ++X) {
            const QColor C(Target.Image.pixel(X, Y));
            Red |= C == QColor(255, 0, 0);
            Black |= C == QColor(0, 0, 0);
            ASSERT_NE(C, QColor(0, 0, 255)) << "no pixel comes from the source";
        }
    EXPECT_TRUE(Red);
    EXPECT_TRUE(Black);
}

TEST(CenteredLeft, EmptyTextAndShrinking)
{
    TBitmap B(168, 132);
    EXPECT_EQ(CenteredLeft(B, QByteArray()), 83);

    B.Font.Size = 40;
    const QString Long = QStringLiteral("Extraordinarily long caption");
    const int X = CenteredLeftW(B, Long);
    EXPECT_LT(B.Font.Size, 40);
    EXPECT_GE(X, 0);
    EXPECT_LT(B.TextWidth(Long), B.Width());
    // One size larger would not have fitted.
    TBitmap Larger(168, 132);
    Larger.Font = B.Font;
    ++Larger.Font.Size;
    EXPECT_GE(Larger.TextWidth(Long), Larger.Width() - 1);

    // A bitmap too narrow for any text: the shrinking stops at the lower bound.
    TBitmap Narrow(1, 10);
    Narrow.Font.Size = 12;
    EXPECT_EQ(CenteredLeft(Narrow, "Anything"), 0);
    EXPECT_EQ(Narrow.Font.Size, MinFontSize);
}

struct FitCase
{
    QSize Screen;
    QSize Picture;
    QRect Covered; // empty: all black
};

class FitToScreenGeometry : public testing::TestWithParam<FitCase>
{
protected:
    void TearDown() override { SetScreenOverride(QSize(), 0); }
};

TEST_P(FitToScreenGeometry, StretchesIntoTheBand)
{
    const FitCase& C = GetParam();
    SetScreenOverride(C.Screen, 24);
    const TBitmap Picture =
        C.Picture.isEmpty() ? TBitmap() : Solid(C.Picture.width(), C.Picture.height(), Qt::white);
    const TBitmapPtr Result = FitToScreen(Picture);
    ASSERT_EQ(Result->Image.size(), C.Screen);
    for (int Y = 0; Y < C.Screen.height(); ++Y)
        for (int X = 0; X < C.Screen.width(); ++X)
            ASSERT_EQ(qGray(Result->Image.pixel(X, Y)), C.Covered.contains(X, Y) ? 255 : 0)
                << X << "," << Y;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitToScreenGeometry,
    testing::Values(
        // kx = 1.25 > ky ~ 1.17: black bands of 32 rows above and below.
        FitCase{QSize(1280, 1024), QSize(1600, 1200), QRect(QPoint(0, 32), QPoint(1279, 991))},
        // Exactly the screen's proportions: the second branch, the whole screen.
        FitCase{QSize(1280, 1024), QSize(640, 512), QRect(0, 0, 1280, 1024)},
        // Relatively taller: bands left and right.
        FitCase{QSize(400, 300), QSize(100, 300), QRect(QPoint(150, 0), QPoint(249, 299))},
        FitCase{QSize(400, 300), QSize(), QRect()}));

TEST(Backgrounds, TileCenterStretchAndBlack)
{
    SetScreenOverride(QSize(50, 40), 24);
    TBitmap Picture = Solid(20, 15, Qt::white);
    Picture.Image.setPixel(0, 0, qRgb(255, 0, 0));
    const TBitmapPtr Tiled = TileToScreen(Picture);
    EXPECT_EQ(Tiled->Image.format(), QImage::Format_BGR888);
    for (QPoint P : {QPoint(0, 0), QPoint(20, 0), QPoint(40, 30), QPoint(0, 15)})
        EXPECT_EQ(QColor(Tiled->Image.pixel(P)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(Tiled->Image.pixel(49, 39)), QColor(Qt::white));
    EXPECT_EQ(QColor(TileToScreen(TBitmap())->Image.pixel(3, 3)), QColor(Qt::black));

    const TBitmapPtr Centered = CenterOnScreen(Picture); // at ((50-20) div 2, (40-15) div 2)
    EXPECT_EQ(QColor(Centered->Image.pixel(15, 12)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(Centered->Image.pixel(14, 12)), QColor(Qt::black));
    const TBitmapPtr Big = CenterOnScreen(Solid(500, 500, Qt::white));
    EXPECT_EQ(QColor(Big->Image.pixel(0, 0)), QColor(Qt::white));

    const TBitmapPtr Stretched = StretchToScreen(Solid(3, 3, Qt::white));
    EXPECT_EQ(Stretched->Image.size(), QSize(50, 40));
    EXPECT_EQ(QColor(Stretched->Image.pixel(49, 39)), QColor(Qt::white));

    const TBitmapPtr Black = BlackScreen();
    EXPECT_EQ(Black->Image.size(), QSize(50, 40));
    EXPECT_EQ(QColor(Black->Image.pixel(25, 20)), QColor(Qt::black));
    // No real screen offscreen: the capture is black and screen-size.
    const TBitmapPtr Capture = CaptureDesktop();
    EXPECT_EQ(Capture->Image.size(), QSize(50, 40));
    SetScreenOverride(QSize(), 0);
}

// ---- picture files ----

namespace {

QByteArray EncodedImage(const char* Format, int W = 40, int H = 30)
{
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(QColor(200, 100, 50));
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, Format, 100);
    return Bytes;
}

class PictureFiles : public testing::Test
{
protected:
    QTemporaryDir Dir;
    QString Write(const QString& Name, const QByteArray& Bytes)
    {
        const QString Path = Dir.filePath(Name);
        QFile F(Path);
        EXPECT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(Bytes);
        return Path;
    }
};

} // namespace

TEST_F(PictureFiles, KindIsDecidedByTheName)
{
    const QByteArray Jpeg = EncodedImage("JPG");
    const QByteArray Bmp = EncodedImage("BMP");

    const TBitmapPtr Photo = LoadPictureFile(Write("photo.JPG", Jpeg));
    ASSERT_TRUE(Photo);
    EXPECT_EQ(Photo->Image.size(), QSize(40, 30));
    EXPECT_NEAR(qRed(Photo->Image.pixel(20, 15)), 200, 4);

    ASSERT_TRUE(LoadPictureFile(Write("Image.JPEG.old", Jpeg)));
    ASSERT_TRUE(LoadPictureFile(Write("plain.BMP", Bmp)));
    // ".bmp" is looked for first, anywhere in the name.
    ASSERT_TRUE(LoadPictureFile(Write("image.bmp.jpg", Bmp)));
    EXPECT_THROW(LoadPictureFile(Write("other.bmp.jpg", Jpeg)), TPictureError);
    // Any other name: no bitmap and no error, whatever the file holds (or if it is missing).
    EXPECT_EQ(LoadPictureFile(Write("picture.png", EncodedImage("PNG"))), nullptr);
    EXPECT_EQ(LoadPictureFile(Dir.filePath("missing.gif")), nullptr);
    EXPECT_EQ(LoadPictureFile(QString()), nullptr);
}

TEST_F(PictureFiles, BadFilesRaiseAClearError)
{
    const QByteArray Jpeg = EncodedImage("JPG", 64, 64);
    const QByteArray Bmp = EncodedImage("BMP", 64, 64);
    // A JPEG header claiming 65000 x 65000 pixels.
    QByteArray HugeJpeg = Jpeg;
    const qsizetype Sof = HugeJpeg.indexOf("\xFF\xC0");
    ASSERT_GT(Sof, 0);
    HugeJpeg[Sof + 5] = char(0xFD);
    HugeJpeg[Sof + 6] = char(0xE8);
    HugeJpeg[Sof + 7] = char(0xFD);
    HugeJpeg[Sof + 8] = char(0xE8);
    // A BMP header claiming 1000000 x 1000000 pixels.
    QByteArray HugeBmp = Bmp;
    for (int I = 0; I < 4; ++I)
        HugeBmp[18 + I] = HugeBmp[22 + I] = char((1000000 >> (8 * I)) & 0xFF);

    const struct
    {
        const char* Name;
        QByteArray Bytes;
        const char* MessagePart;
    } Cases[] = {
        {"truncated.jpg", Jpeg.left(Jpeg.size() / 2), "truncated.jpg"},
        {"empty.jpg", QByteArray(), "empty.jpg"},
        {"garbage.jpg", QByteArray(3000, 'x'), "JPEG"},
        {"huge.jpg", HugeJpeg, "too large"},
        {"truncated.bmp", Bmp.left(Bmp.size() / 2), "truncated.bmp"},
        {"header-only.bmp", Bmp.left(30), "header-only.bmp"},
        {"empty.bmp", QByteArray(), "not a valid Windows bitmap"},
        {"huge.bmp", HugeBmp, "too large"},
        {"really-png.bmp", EncodedImage("PNG"), "not a valid Windows bitmap"},
    };
    for (const auto& C : Cases) {
        try {
            LoadPictureFile(Write(C.Name, C.Bytes));
            ADD_FAILURE() << C.Name << " loaded";
        } catch (const TPictureError& E) {
            EXPECT_NE(std::string(E.what()).find(C.MessagePart), std::string::npos)
                << C.Name << ": " << E.what();
        }
    }
    try {
        LoadPictureFile(Dir.filePath("missing.jpg"));
        ADD_FAILURE() << "a missing file loaded";
    } catch (const TPictureError& E) {
        EXPECT_NE(std::string(E.what()).find("missing.jpg"), std::string::npos) << E.what();
    }
}

// Devices, pipes and folders under a picture's name are refused before anything is read from
// them; a link to a real picture still loads.
TEST_F(PictureFiles, OnlyRegularFilesAreRead)
{
    const QString Fifo = Dir.filePath("fifo.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.jpg"));
    ASSERT_TRUE(QFile::link("/dev/zero", Dir.filePath("zero.bmp")));
    ASSERT_TRUE(QFile::link("/dev/urandom", Dir.filePath("noise.jpg")));
    ASSERT_TRUE(QFile::link(Fifo, Dir.filePath("to-fifo.jpeg")));
    for (const char* Name : {"fifo.bmp", "folder.jpg", "zero.bmp", "noise.jpg", "to-fifo.jpeg"}) {
        SCOPED_TRACE(Name);
        try {
            LoadPictureFile(Dir.filePath(Name));
            ADD_FAILURE() << "loaded";
        } catch (const TPictureError& E) {
            EXPECT_STREQ(E.what(),
                         (QStringLiteral("Picture file %1 is not a regular file").arg(Name))
                             .toStdString()
                             .c_str());
        }
    }
    ASSERT_TRUE(QFile::link(Write("real.bmp", EncodedImage("BMP")), Dir.filePath("link.bmp")));
    EXPECT_TRUE(LoadPictureFile(Dir.filePath("link.bmp")));
}

TEST(PictureFilesPalette, BelowSixteenBitsPicturesTakeThePalette)
{
    SetScreenOverride(QSize(100, 100), 8);
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("p.bmp");
    QImage Image(8, 8, QImage::Format_RGB32);
    Image.fill(QColor(13, 77, 141));
    ASSERT_TRUE(Image.save(Path, "BMP"));
    const TBitmapPtr P = LoadPictureFile(Path);
    ASSERT_TRUE(P);
    const QColor C(P->Image.pixel(4, 4));
    EXPECT_NE(C, QColor(13, 77, 141));
    EXPECT_LT(std::abs(C.red() - 13) + std::abs(C.green() - 77) + std::abs(C.blue() - 141), 90);
    SetScreenOverride(QSize(), 0);
}

TEST(PictureFilesBmp, TopDownAndBottomUpBitmapsReadTheRightWayUp)
{
    // Three by two pixels, 24 bits, rows padded to four bytes, written byte by byte as Windows
    // writes them. A negative height means the first row in the file is the top row.
    const auto Bitmap = [](qint32 Height) {
        QByteArray B;
        const auto Put = [&B](quint32 Value, int Bytes) {
            for (int I = 0; I < Bytes; ++I)
                B.append(char((Value >> (8 * I)) & 0xFF));
        };
        B.append("BM");
        Put(54 + 24, 4);
        Put(0, 4);
        Put(54, 4);
        Put(40, 4);
        Put(3, 4);
        Put(quint32(Height), 4);
        Put(1, 2);
        Put(24, 2);
        Put(0, 4);
        Put(24, 4);
        Put(2835, 4);
        Put(2835, 4);
        Put(0, 4);
        Put(0, 4);
        // First stored row: red, green, blue (as B, G, R); second: three white pixels.
        B.append(QByteArray::fromHex("0000ff" "00ff00" "ff0000" "000000"));
        B.append(QByteArray::fromHex("ffffff" "ffffff" "ffffff" "000000"));
        return B;
    };
    struct TCase
    {
        const char* Name;
        qint32 Height;
        int ColouredRow; // where the first stored row shows
    };
    QTemporaryDir Dir;
    for (const TCase& Case : {TCase{"top-down.bmp", -2, 0}, TCase{"bottom-up.bmp", 2, 1}}) {
        SCOPED_TRACE(Case.Name);
        const QString Path = Dir.filePath(Case.Name);
        {
            QFile F(Path);
            ASSERT_TRUE(F.open(QIODevice::WriteOnly));
            F.write(Bitmap(Case.Height));
        }
        const TBitmapPtr P = LoadPictureFile(Path);
        ASSERT_TRUE(P);
        EXPECT_EQ(P->Image.size(), QSize(3, 2));
        EXPECT_EQ(QColor(P->Image.pixel(0, Case.ColouredRow)), QColor(Qt::red));
        EXPECT_EQ(QColor(P->Image.pixel(1, Case.ColouredRow)), QColor(Qt::green));
        EXPECT_EQ(QColor(P->Image.pixel(2, Case.ColouredRow)), QColor(Qt::blue));
        EXPECT_EQ(QColor(P->Image.pixel(0, 1 - Case.ColouredRow)), QColor(Qt::white));
    }
}
