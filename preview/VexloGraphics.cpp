#include "preview/VexloGraphics.h"

#include "preview/JpegCodec.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cstring>
#include <vector>

QColor ColorToQColor(TColor Color)
{
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& Color)
{
    return TColor(Color.red()) | (TColor(Color.green()) << 8) | (TColor(Color.blue()) << 16);
}

QFont TFont::ToQFont() const
{
    QFont F(Name);
    // Windows asks for the em height -MulDiv(Size, 96, 72) at 96 dots per inch.
    const int Pixels = std::max(1, (std::max(Size, 1) * 96 + 36) / 72);
    F.setPixelSize(Pixels);
    F.setBold(Bold);
    F.setUnderline(Underline);
    F.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    F.setHintingPreference(QFont::PreferFullHinting);
    F.setKerning(false);
    return F;
}

TBitmap::TBitmap(int Width, int Height, QImage::Format Format)
    : Image(std::max(Width, 0), std::max(Height, 0), Format)
{
    if (!Image.isNull())
        Image.fill(Qt::black);
}

TBitmap::TBitmap(QImage Picture) : Image(std::move(Picture)) {}

void TBitmap::SetSize(int NewWidth, int NewHeight)
{
    const QImage::Format Format =
        Image.isNull()
            ? QImage::Format_BGR888
            : (Image.format() == QImage::Format_Indexed8 ? QImage::Format_RGB32 : Image.format());
    QImage Sized(std::max(NewWidth, 0), std::max(NewHeight, 0), Format);
    if (Sized.isNull()) {
        Image = QImage();
        return;
    }
    Sized.fill(Qt::black);
    if (!Image.isNull()) {
        QPainter P(&Sized);
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.drawImage(0, 0, Image);
    }
    Image = std::move(Sized);
}

void TBitmap::ConvertTo24Bit()
{
    if (!Image.isNull() && Image.format() != QImage::Format_BGR888)
        Image = Image.convertToFormat(QImage::Format_BGR888);
}

QSize TBitmap::TextExtent(const QString& Text) const
{
    const QFontMetrics Metrics(Font.ToQFont());
    return QSize(Metrics.horizontalAdvance(Text), Metrics.height());
}

namespace {

// Painting needs a format QPainter can draw on; paletted pictures become 32-bit first.
void MakePaintable(QImage& Image)
{
    if (Image.format() == QImage::Format_Indexed8 || Image.format() == QImage::Format_Mono ||
        Image.format() == QImage::Format_MonoLSB)
        Image = Image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

void TBitmap::TextOut(int X, int Y, const QString& Text)
{
    if (IsEmpty() || Text.isEmpty())
        return;
    MakePaintable(Image);
    const QFont F = Font.ToQFont();
    QPainter P(&Image);
    if (!BrushClear)
        P.fillRect(QRect(QPoint(X, Y), TextExtent(Text)), ColorToQColor(BrushColor));
    P.setFont(F);
    P.setPen(ColorToQColor(Font.Color));
    P.drawText(QPoint(X, Y + QFontMetrics(F).ascent()), Text);
}

void TBitmap::FillRect(const QRect& Rect, TColor Color)
{
    if (IsEmpty())
        return;
    MakePaintable(Image);
    QPainter P(&Image);
    P.fillRect(Rect, ColorToQColor(Color));
}

void TBitmap::Draw(int X, int Y, const TBitmap& Source)
{
    if (IsEmpty() || Source.IsEmpty())
        return;
    MakePaintable(Image);
    QPainter P(&Image);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.drawImage(X, Y, Source.Image);
}

void TBitmap::CopyRect(const QRect& Dest, const TBitmap& Source, const QRect& SourceRect)
{
    if (IsEmpty() || Source.IsEmpty() || Dest.isEmpty() || SourceRect.isEmpty())
        return;
    MakePaintable(Image);
    QPainter P(&Image);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.drawImage(Dest, Source.Image, SourceRect);
}

void TBitmap::StretchDraw(const QRect& Dest, const TBitmap& Source)
{
    if (IsEmpty() || Source.IsEmpty() || Dest.isEmpty())
        return;
    MakePaintable(Image);
    QPainter P(&Image);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.drawImage(Dest, Source.Image);
}

namespace VexloGraphics {
namespace {

QSize ScreenSizeOverride;
int ScreenDepthOverride = 0;

QScreen* PrimaryScreen()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::primaryScreen();
}

// Bytes per pixel of the formats whose pixels start with blue, green, red bytes.
int BgrStride(const QImage& Image)
{
    switch (Image.format()) {
    case QImage::Format_BGR888:
        return 3;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return 4;
    default:
        return 0;
    }
}

// The 1-bit glyph mask of Text in Font: white glyphs on black, no antialiased edges.
QImage GlyphMask(const TFont& Font, const QString& Text, int Width, int Height)
{
    TBitmap Canvas(Width, Height, QImage::Format_RGB32);
    Canvas.Font = Font;
    Canvas.Font.Color = clWhite;
    Canvas.BrushClear = false;
    Canvas.BrushColor = clBlack;
    Canvas.TextOut(0, 0, Text);
    QImage Mask(Width, Height, QImage::Format_Mono);
    Mask.setColor(0, qRgb(0, 0, 0));
    Mask.setColor(1, qRgb(255, 255, 255));
    Mask.fill(0);
    for (int Y = 0; Y < Height; ++Y) {
        const auto* Row = reinterpret_cast<const QRgb*>(Canvas.Image.constScanLine(Y));
        uchar* Bits = Mask.scanLine(Y);
        for (int X = 0; X < Width; ++X)
            if (qGray(Row[X]) >= 128)
                Bits[X >> 3] |= uchar(0x80 >> (X & 7));
    }
    return Mask;
}

inline bool MaskBit(const uchar* Bits, int X)
{
    return (Bits[X >> 3] & (0x80 >> (X & 7))) != 0;
}

template <typename TRunEffect>
void MaskedText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                TRunEffect RunEffect)
{
    if (Target.IsEmpty() || Text.isEmpty())
        return;
    // 1-3: a work bitmap of the text's extent, with Target's font.
    const QSize Extent = Target.TextExtent(Text);
    const int W = Extent.width(), H = Extent.height();
    if (W <= 0 || H <= 0)
        return;
    TBitmap Work(W, H, QImage::Format_BGR888);
    Work.Font = Target.Font;
    // 4: the source pixels under the text's cell (black where the cell leaves the source).
    if (!Source.IsEmpty())
        Work.CopyRect(QRect(0, 0, W, H), Source, QRect(X, Y, W, H));
    // 5: the effect, coloured by Target's font colour.
    RunEffect(Work);
    Work.ConvertTo24Bit();
    // 6: white glyphs on black.
    const QImage Mask = GlyphMask(Target.Font, Text, W, H);
    // 7: keep only the work pixels under the glyphs (AND with the mask).
    for (int Row = 0; Row < H; ++Row) {
        uchar* P = Work.Image.scanLine(Row);
        const uchar* Bits = Mask.constScanLine(Row);
        for (int Col = 0; Col < W; ++Col, P += 3)
            if (!MaskBit(Bits, Col))
                P[0] = P[1] = P[2] = 0;
    }
    // 8, 9: clear Target under the glyphs (AND NOT mask), then add the work pixels (OR).
    if (BgrStride(Target.Image) == 0)
        Target.Image = Target.Image.convertToFormat(QImage::Format_RGB32);
    const int Stride = BgrStride(Target.Image);
    const QRect Clip = QRect(X, Y, W, H).intersected(Target.Image.rect());
    for (int TY = Clip.top(); TY <= Clip.bottom(); ++TY) {
        uchar* T = Target.Image.scanLine(TY) + Clip.left() * Stride;
        const uchar* S = Work.Image.constScanLine(TY - Y) + (Clip.left() - X) * 3;
        const uchar* Bits = Mask.constScanLine(TY - Y);
        for (int TX = Clip.left(); TX <= Clip.right(); ++TX, T += Stride, S += 3) {
            const uchar M = MaskBit(Bits, TX - X) ? 0xFF : 0x00;
            for (int K = 0; K < 3; ++K)
                T[K] = uchar((T[K] & uchar(~M)) | S[K]);
        }
    }
}

} // namespace

void SetScreenOverride(QSize Size, int Depth)
{
    ScreenSizeOverride = Size;
    ScreenDepthOverride = Depth;
}

QSize ScreenSize()
{
    if (ScreenSizeOverride.isValid() && !ScreenSizeOverride.isEmpty())
        return ScreenSizeOverride;
    if (QScreen* Screen = PrimaryScreen()) {
        const QSize Size = Screen->size();
        if (!Size.isEmpty())
            return Size;
    }
    return QSize(1024, 768);
}

int ScreenColorDepth()
{
    if (ScreenDepthOverride > 0)
        return ScreenDepthOverride;
    if (QScreen* Screen = PrimaryScreen())
        return Screen->depth();
    return 24;
}

TBitmapPtr BlackScreen()
{
    const QSize S = ScreenSize();
    return std::make_unique<TBitmap>(S.width(), S.height(), QImage::Format_RGB32);
}

TBitmapPtr TileToScreen(const TBitmap& Picture)
{
    const QSize S = ScreenSize();
    auto Result = std::make_unique<TBitmap>(S.width(), S.height(), QImage::Format_BGR888);
    if (Picture.IsEmpty())
        return Result; // nothing to tile: stays black
    QPainter P(&Result->Image);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    for (int Y = 0; Y < S.height(); Y += Picture.Height())
        for (int X = 0; X < S.width(); X += Picture.Width())
            P.drawImage(X, Y, Picture.Image);
    return Result;
}

TBitmapPtr StretchToScreen(const TBitmap& Picture)
{
    const QSize S = ScreenSize();
    auto Result = std::make_unique<TBitmap>(S.width(), S.height(), QImage::Format_BGR888);
    Result->StretchDraw(QRect(0, 0, S.width(), S.height()), Picture);
    return Result;
}

TBitmapPtr CenterOnScreen(const TBitmap& Picture)
{
    auto Result = BlackScreen();
    Result->Draw((Result->Width() - Picture.Width()) / 2, (Result->Height() - Picture.Height()) / 2,
                 Picture);
    return Result;
}

TBitmapPtr FitToScreen(const TBitmap& Picture)
{
    auto Result = BlackScreen();
    const int W = Result->Width(), H = Result->Height();
    const double Kx = double(Picture.Width()) / W;
    const double Ky = double(Picture.Height()) / H;
    if (Kx == 0 || Ky == 0 || Picture.IsEmpty())
        return Result;
    QRect Dest;
    if (Kx > Ky) {
        const int Hh = int(Picture.Height() / Kx);
        Dest = QRect(QPoint(0, (H - Hh) / 2), QPoint(W - 1, (Hh + H) / 2 - 1));
    } else {
        const int Ww = int(Picture.Width() / Ky);
        Dest = QRect(QPoint((W - Ww) / 2, 0), QPoint((Ww + W) / 2 - 1, H - 1));
    }
    Result->StretchDraw(Dest, Picture);
    return Result;
}

TBitmapPtr CaptureDesktop()
{
    const QSize S = ScreenSize();
    auto Result = std::make_unique<TBitmap>(S.width(), S.height(), QImage::Format_BGR888);
    // Offscreen and minimal platforms have no real screen to read: the capture stays black.
    const QString Platform = QGuiApplication::platformName();
    if (Platform == QLatin1String("offscreen") || Platform == QLatin1String("minimal"))
        return Result;
    QScreen* Screen = PrimaryScreen();
    if (!Screen)
        return Result;
    const QPixmap Grab = Screen->grabWindow(0);
    if (Grab.isNull())
        return Result;
    Result->StretchDraw(QRect(0, 0, S.width(), S.height()), TBitmap(Grab.toImage()));
    return Result;
}

void MakeGrayscale(TBitmap& Bitmap)
{
    if (Bitmap.IsEmpty())
        return;
    Bitmap.ConvertTo24Bit();
    QByteArray Encoded;
    std::string Error;
    if (!JpegCodec::Encode(Bitmap.Image, Encoded, Error))
        throw TPictureError("JPEG error: " + Error);
    QImage Gray;
    if (!JpegCodec::Decode(reinterpret_cast<const uchar*>(Encoded.constData()),
                           static_cast<unsigned long>(Encoded.size()), true, Gray, Error))
        throw TPictureError("JPEG error: " + Error);
    Bitmap.Image = std::move(Gray);
}

void AlphaEffect(TBitmap& Bitmap)
{
    Bitmap.ConvertTo24Bit();
    const TColor C = Bitmap.Font.Color;
    const unsigned Cb = (C >> 16) & 0xFF, Cg = (C >> 8) & 0xFF, Cr = C & 0xFF;
    for (int Y = 0; Y < Bitmap.Height(); ++Y) {
        uchar* P = Bitmap.Image.scanLine(Y);
        for (int X = 0; X < Bitmap.Width(); ++X, P += 3) {
            P[0] = uchar((P[0] + 2 * Cb) / 3);
            P[1] = uchar((P[1] + 2 * Cg) / 3);
            P[2] = uchar((P[2] + 2 * Cr) / 3);
        }
    }
}

void BlendEffect(TBitmap& Bitmap, uint16_t OldWeight, uint16_t ColourWeight)
{
    Bitmap.ConvertTo24Bit();
    // Weights whose 16-bit sum is 0 (both 0, or a sum that wraps) would divide by zero: such a
    // blend leaves the pixels as they are.
    const uint16_t Sum = uint16_t(OldWeight + ColourWeight);
    if (Sum == 0)
        return;
    const TColor C = Bitmap.Font.Color;
    const uint16_t Cw[3] = {uint16_t(((C >> 16) & 0xFF) * ColourWeight),
                            uint16_t(((C >> 8) & 0xFF) * ColourWeight),
                            uint16_t((C & 0xFF) * ColourWeight)};
    for (int Y = 0; Y < Bitmap.Height(); ++Y) {
        uchar* P = Bitmap.Image.scanLine(Y);
        for (int X = 0; X < Bitmap.Width(); ++X, P += 3)
            for (int K = 0; K < 3; ++K) {
                const uint32_t V = (uint32_t(P[K]) * OldWeight + Cw[K]) / Sum;
                P[K] = uchar(std::min<uint32_t>(V, 255));
            }
    }
}

void ShadowEffect(TBitmap& Bitmap)
{
    MakeGrayscale(Bitmap);
    Bitmap.ConvertTo24Bit();
    for (int Y = 0; Y < Bitmap.Height(); ++Y) {
        uchar* P = Bitmap.Image.scanLine(Y);
        const int Bytes = Bitmap.Width() * 3;
        for (int X = 0; X < Bytes; ++X)
            P[X] = uchar(P[X] >> 1);
    }
}

void MaskedEffectTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                       EffectProc Effect)
{
    MaskedText(Target, Source, X, Y, Text, [Effect](TBitmap& Work) { Effect(Work); });
}

void MaskedEffectText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QByteArray& Text,
                      EffectProc Effect)
{
    MaskedEffectTextW(Target, Source, X, Y, QString::fromLocal8Bit(Text), Effect);
}

void MaskedBlendTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                      WeightedEffectProc Effect, uint16_t OldWeight, uint16_t ColourWeight)
{
    MaskedText(Target, Source, X, Y, Text,
               [=](TBitmap& Work) { Effect(Work, OldWeight, ColourWeight); });
}

void ShadowTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text)
{
    if (ScreenColorDepth() >= 16) {
        MaskedEffectTextW(Target, Source, X, Y, Text, ShadowEffect);
        return;
    }
    const TColor Saved = Target.Font.Color;
    Target.Font.Color = clBlack;
    Target.TextOut(X, Y, Text);
    Target.Font.Color = Saved;
}

void ShadowText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QByteArray& Text)
{
    ShadowTextW(Target, Source, X, Y, QString::fromLocal8Bit(Text));
}

void AlphaTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text)
{
    if (ScreenColorDepth() >= 16)
        MaskedEffectTextW(Target, Source, X, Y, Text, AlphaEffect);
    else
        Target.TextOut(X, Y, Text);
}

void AlphaText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QByteArray& Text)
{
    AlphaTextW(Target, Source, X, Y, QString::fromLocal8Bit(Text));
}

void BlendTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                uint16_t OldWeight, uint16_t ColourWeight)
{
    if (ScreenColorDepth() >= 16)
        MaskedBlendTextW(Target, Source, X, Y, Text, BlendEffect, OldWeight, ColourWeight);
    else
        Target.TextOut(X, Y, Text);
}

int CenteredLeftW(TBitmap& Bitmap, const QString& Text)
{
    for (;;) {
        const int X = (Bitmap.Width() - Bitmap.TextWidth(Text) - 2) / 2;
        if (X >= 0)
            return X;
        if (Bitmap.Font.Size <= MinFontSize)
            return 0; // as small as it gets: start at the left edge
        --Bitmap.Font.Size;
    }
}

int CenteredLeft(TBitmap& Bitmap, const QByteArray& Text)
{
    return CenteredLeftW(Bitmap, QString::fromLocal8Bit(Text));
}

void ApplySystemPalette(TBitmap& Bitmap)
{
    if (Bitmap.IsEmpty())
        return;
    // A 256-entry palette like a paletted display's: the sixteen standard colours, a 6x6x6
    // colour cube and a ramp of greys.
    static const QList<QRgb> Palette = [] {
        QList<QRgb> Table;
        const int Standard[16][3] = {
            {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (const auto& C : Standard)
            Table.append(qRgb(C[0], C[1], C[2]));
        for (int R = 0; R < 6; ++R)
            for (int G = 0; G < 6; ++G)
                for (int B = 0; B < 6; ++B)
                    Table.append(qRgb(R * 51, G * 51, B * 51));
        for (int I = 0; Table.size() < 256; ++I)
            Table.append(qRgb(8 + I * 10, 8 + I * 10, 8 + I * 10));
        return Table;
    }();
    // The pixels take the palette's colours; the bitmap keeps a format that can be painted on.
    const QImage::Format Format = Bitmap.Image.format() == QImage::Format_Indexed8
                                      ? QImage::Format_RGB32
                                      : Bitmap.Image.format();
    Bitmap.Image =
        Bitmap.Image.convertToFormat(QImage::Format_Indexed8, Palette, Qt::ThresholdDither)
            .convertToFormat(Format);
}

} // namespace VexloGraphics
