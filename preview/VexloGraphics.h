#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>

// Screen-size backgrounds, picture loading and text whose glyphs are filled with a pixel effect
// computed from a background. Bitmaps are QImages with a small canvas state (font and brush);
// 24-bit bitmaps are QImage::Format_BGR888 (blue, green, red bytes), the display's own format is
// QImage::Format_RGB32 (blue, green, red, unused). Glyph masks are 1-bit, without antialiasing.

// A colour value laid out as 0x00BBGGRR: red in the low byte.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;

QColor ColorToQColor(TColor Color);
TColor QColorToColor(const QColor& Color);

// A canvas font: face, size in points, colour and style.
struct TFont
{
    QString Name = QStringLiteral("Arial");
    int Size = 8;
    TColor Color = clBlack;
    bool Bold = false;
    bool Underline = false;
    int Charset = 1;

    // The font for painting: pixel size from the point size at 96 dots per inch, no antialiasing,
    // so that every glyph pixel is either covered or not.
    QFont ToQFont() const;
};

// The error of a picture that cannot be loaded, with a message for the user.
class TPictureError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A bitmap with its canvas: the image, the current font and the brush.
class TBitmap
{
public:
    TBitmap() = default;
    TBitmap(int Width, int Height, QImage::Format Format = QImage::Format_BGR888);
    explicit TBitmap(QImage Picture);

    QImage Image;
    TFont Font;
    bool BrushClear = true;
    TColor BrushColor = clWhite;

    int Width() const { return Image.width(); }
    int Height() const { return Image.height(); }
    bool IsEmpty() const { return Image.isNull() || Image.width() <= 0 || Image.height() <= 0; }

    // Gives the bitmap a new size; the top-left part that still fits is kept, the rest is black.
    void SetSize(int Width, int Height);
    // Converts the pixels to 24 bits (blue, green, red bytes).
    void ConvertTo24Bit();

    // Text extent with the current font.
    QSize TextExtent(const QString& Text) const;
    int TextWidth(const QString& Text) const { return TextExtent(Text).width(); }
    int TextHeight(const QString& Text) const { return TextExtent(Text).height(); }
    // Plain text with the current font and colour; the cell (X, Y) is the top-left corner. A
    // solid brush fills the text's cell first.
    void TextOut(int X, int Y, const QString& Text);

    void FillRect(const QRect& Rect, TColor Color);
    // Plain copies: Source's pixels at their own size / stretched into Dest.
    void Draw(int X, int Y, const TBitmap& Source);
    void CopyRect(const QRect& Dest, const TBitmap& Source, const QRect& SourceRect);
    void StretchDraw(const QRect& Dest, const TBitmap& Source);
};

using TBitmapPtr = std::unique_ptr<TBitmap>;

namespace VexloGraphics {

using EffectProc = void (*)(TBitmap& Bitmap);
using WeightedEffectProc = void (*)(TBitmap& Bitmap, uint16_t OldWeight, uint16_t ColourWeight);

// The screen the backgrounds are made for. Tests (and the benchmarks) may fix the screen's size and
// colour depth; an empty size / a depth of 0 asks the primary screen again.
void SetScreenOverride(QSize Size, int Depth);
QSize ScreenSize();
int ScreenColorDepth();

TBitmapPtr TileToScreen(const TBitmap& Picture);
TBitmapPtr StretchToScreen(const TBitmap& Picture);
TBitmapPtr CenterOnScreen(const TBitmap& Picture);
TBitmapPtr FitToScreen(const TBitmap& Picture);
TBitmapPtr BlackScreen();
// The screen's contents where the platform lets us read them; a black screen otherwise.
TBitmapPtr CaptureDesktop();

void MakeGrayscale(TBitmap& Bitmap);
void AlphaEffect(TBitmap& Bitmap);
void ShadowEffect(TBitmap& Bitmap);
void BlendEffect(TBitmap& Bitmap, uint16_t OldWeight, uint16_t ColourWeight);

void MaskedEffectText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QByteArray& Text,
                      EffectProc Effect);
void MaskedEffectTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                       EffectProc Effect);
void MaskedBlendTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                      WeightedEffectProc Effect, uint16_t OldWeight, uint16_t ColourWeight);

void ShadowText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QByteArray& Text);
void AlphaText(TBitmap& Target, const TBitmap& Source, int X, int Y, const QByteArray& Text);
void ShadowTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text);
void AlphaTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text);
void BlendTextW(TBitmap& Target, const TBitmap& Source, int X, int Y, const QString& Text,
                uint16_t OldWeight, uint16_t ColourWeight);

// The left X that centres Text on the bitmap; shrinks the canvas font (never below MinFontSize
// points) while the text is wider than the bitmap. The smaller font stays on the canvas.
constexpr int MinFontSize = 1;
int CenteredLeft(TBitmap& Bitmap, const QByteArray& Text);
int CenteredLeftW(TBitmap& Bitmap, const QString& Text);

void ApplySystemPalette(TBitmap& Bitmap);

} // namespace VexloGraphics
