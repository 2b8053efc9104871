#include "preview/VexloGraphics.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>
#include <jpeglib.h>

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

// ---- JPEG through libjpeg, with errors that come back to us instead of ending the process ----

namespace {

struct TJpegError
{
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegErrorExit(j_common_ptr Info)
{
    auto* Error = reinterpret_cast<TJpegError*>(Info->err);
    (*Info->err->format_message)(Info, Error->Message);
    std::longjmp(Error->Jump, 1);
}

// Warnings: a file that ends early is an error; other corrupt data is tolerated, but not without
// end.
void JpegEmitMessage(j_common_ptr Info, int Level)
{
    if (Level >= 0)
        return;
    jpeg_error_mgr* Err = Info->err;
    ++Err->num_warnings;
    if (Err->msg_code == JWRN_JPEG_EOF || Err->num_warnings > 1000)
        JpegErrorExit(Info);
}

void JpegOutputMessage(j_common_ptr) {}

void JpegProgress(j_common_ptr Info)
{
    if (!Info->is_decompressor)
        return;
    auto* D = reinterpret_cast<j_decompress_ptr>(Info);
    if (D->input_scan_number > 500) {
        auto* Error = reinterpret_cast<TJpegError*>(Info->err);
        std::snprintf(Error->Message, sizeof Error->Message, "Too many scans in JPEG file");
        std::longjmp(Error->Jump, 1);
    }
}

void InstallErrorHandler(TJpegError& Error)
{
    jpeg_std_error(&Error.Pub);
    Error.Pub.error_exit = JpegErrorExit;
    Error.Pub.emit_message = JpegEmitMessage;
    Error.Pub.output_message = JpegOutputMessage;
    Error.Message[0] = 0;
}

// Everything the decoder touches after setjmp lives here, on the heap, so that nothing is lost
// or left indeterminate when libjpeg jumps back with an error.
struct TJpegDecode
{
    jpeg_decompress_struct Info;
    TJpegError Error;
    jpeg_progress_mgr Progress;
    QImage Out;
    std::vector<JSAMPLE> Row;
    bool TooLarge = false;
};

bool DecodeJpeg(TJpegDecode* Job, const uchar* Data, unsigned long Size, bool Grayscale)
{
    jpeg_decompress_struct* Info = &Job->Info;
    std::memset(Info, 0, sizeof *Info);
    Info->err = &Job->Error.Pub;
    InstallErrorHandler(Job->Error);
    if (setjmp(Job->Error.Jump)) {
        jpeg_destroy_decompress(Info);
        return false;
    }
    jpeg_create_decompress(Info);
    Info->mem->max_memory_to_use = 512L * 1024 * 1024;
    Job->Progress.progress_monitor = JpegProgress;
    Info->progress = &Job->Progress;
    jpeg_mem_src(Info, Data, Size);
    jpeg_read_header(Info, TRUE);
    if (Info->image_width == 0 || Info->image_height == 0 ||
        Info->image_width > unsigned(MaxPictureSide) ||
        Info->image_height > unsigned(MaxPictureSide) ||
        qint64(Info->image_width) * Info->image_height > MaxPicturePixels) {
        Job->TooLarge = true;
        std::snprintf(Job->Error.Message, sizeof Job->Error.Message,
                      "JPEG image too large (%u x %u)", Info->image_width, Info->image_height);
        jpeg_destroy_decompress(Info);
        return false;
    }
    const bool Cmyk = Info->jpeg_color_space == JCS_CMYK || Info->jpeg_color_space == JCS_YCCK;
    Info->out_color_space = Grayscale ? JCS_GRAYSCALE : (Cmyk ? JCS_CMYK : JCS_EXT_BGR);
    jpeg_start_decompress(Info);
    const int W = int(Info->output_width), H = int(Info->output_height);
    const int Components = Info->output_components;
    Job->Out = QImage(W, H, QImage::Format_BGR888);
    if (Job->Out.isNull()) {
        std::snprintf(Job->Error.Message, sizeof Job->Error.Message, "Out of memory");
        jpeg_destroy_decompress(Info);
        return false;
    }
    Job->Row.resize(size_t(W) * size_t(Components));
    while (Info->output_scanline < Info->output_height) {
        const int Y = int(Info->output_scanline);
        JSAMPROW RowPtr = Components == 3 ? Job->Out.scanLine(Y) : Job->Row.data();
        if (jpeg_read_scanlines(Info, &RowPtr, 1) != 1)
            break;
        if (Components == 3)
            continue;
        uchar* Out = Job->Out.scanLine(Y);
        const JSAMPLE* In = Job->Row.data();
        for (int X = 0; X < W; ++X, Out += 3) {
            if (Components == 1) {
                Out[0] = Out[1] = Out[2] = In[X];
            } else { // Adobe CMYK, stored inverted
                const JSAMPLE* P = In + X * 4;
                const int K = P[3];
                Out[0] = uchar(P[2] * K / 255);
                Out[1] = uchar(P[1] * K / 255);
                Out[2] = uchar(P[0] * K / 255);
            }
        }
    }
    jpeg_finish_decompress(Info);
    jpeg_destroy_decompress(Info);
    return true;
}

struct TJpegEncode
{
    jpeg_compress_struct Info;
    TJpegError Error;
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;
};

bool EncodeJpeg(TJpegEncode* Job, const QImage& Bgr)
{
    jpeg_compress_struct* Info = &Job->Info;
    std::memset(Info, 0, sizeof *Info);
    Info->err = &Job->Error.Pub;
    InstallErrorHandler(Job->Error);
    if (setjmp(Job->Error.Jump)) {
        jpeg_destroy_compress(Info);
        return false;
    }
    jpeg_create_compress(Info);
    jpeg_mem_dest(Info, &Job->Buffer, &Job->Size);
    Info->image_width = JDIMENSION(Bgr.width());
    Info->image_height = JDIMENSION(Bgr.height());
    Info->input_components = 3;
    Info->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(Info);
    jpeg_set_quality(Info, 100, TRUE);
    jpeg_start_compress(Info, TRUE);
    while (Info->next_scanline < Info->image_height) {
        JSAMPROW Row = const_cast<JSAMPROW>(Bgr.constScanLine(int(Info->next_scanline)));
        jpeg_write_scanlines(Info, &Row, 1);
    }
    jpeg_finish_compress(Info);
    jpeg_destroy_compress(Info);
    return true;
}

QString FileNameOf(const QString& Name)
{
    return QFileInfo(Name).fileName();
}

void CheckPictureSize(qint64 Width, qint64 Height, const QString& Name)
{
    if (Width <= 0 || Height <= 0 || Width > MaxPictureSide || Height > MaxPictureSide ||
        Width * Height > MaxPicturePixels)
        throw TPictureError(QCoreApplication::translate(
                                "VexloGraphics", "Picture %1 is too large or has no size (%2 x %3)")
                                .arg(FileNameOf(Name))
                                .arg(Width)
                                .arg(Height)
                                .toStdString());
}

} // namespace

void MakeGrayscale(TBitmap& Bitmap)
{
    if (Bitmap.IsEmpty())
        return;
    Bitmap.ConvertTo24Bit();
    auto Encode = std::make_unique<TJpegEncode>();
    const bool Encoded = EncodeJpeg(Encode.get(), Bitmap.Image);
    std::unique_ptr<unsigned char, void (*)(void*)> Buffer(Encode->Buffer, std::free);
    if (!Encoded)
        throw TPictureError(std::string("JPEG error: ") + Encode->Error.Message);
    auto Decode = std::make_unique<TJpegDecode>();
    if (!DecodeJpeg(Decode.get(), Buffer.get(), Encode->Size, true))
        throw TPictureError(std::string("JPEG error: ") + Decode->Error.Message);
    Bitmap.Image = std::move(Decode->Out);
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

TBitmapPtr LoadBmpData(const QByteArray& Data, const QString& Name)
{
    const QString File = FileNameOf(Name);
    // The header is checked by hand first: its size claims decide whether we decode at all.
    if (Data.size() < 26 || Data[0] != 'B' || Data[1] != 'M')
        throw TPictureError(
            QCoreApplication::translate("VexloGraphics", "%1 is not a valid Windows bitmap file")
                .arg(File)
                .toStdString());
    const auto HeaderInt = [&Data](int At) {
        return qint32(quint32(uchar(Data[At])) | quint32(uchar(Data[At + 1])) << 8 |
                      quint32(uchar(Data[At + 2])) << 16 | quint32(uchar(Data[At + 3])) << 24);
    };
    const qint32 HeaderSize = HeaderInt(14);
    if (HeaderSize >= 40 && Data.size() >= 34) {
        const qint64 Width = HeaderInt(18);
        const qint64 Height = HeaderInt(22);
        CheckPictureSize(Width, Height < 0 ? -Height : Height, Name);
        // Uncompressed pixels must all be there: a cut-off file is an error, not a partial picture.
        const int BitCount = quint16(uchar(Data[28]) | uchar(Data[29]) << 8);
        const qint32 Compression = HeaderInt(30);
        if (Compression == 0 || Compression == 3) {
            const qint64 RowBytes = (Width * BitCount + 31) / 32 * 4;
            const qint64 Needed =
                qint64(quint32(HeaderInt(10))) + RowBytes * (Height < 0 ? -Height : Height);
            if (Data.size() < Needed)
                throw TPictureError(
                    QCoreApplication::translate("VexloGraphics",
                                                "Windows bitmap %1 is truncated (%2 of %3 bytes)")
                        .arg(File)
                        .arg(Data.size())
                        .arg(Needed)
                        .toStdString());
        }
    }
    QBuffer Buffer;
    Buffer.setData(Data);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, "bmp");
    Reader.setDecideFormatFromContent(false);
    Reader.setAutoTransform(false);
    QSize Size = Reader.size();
    // A top-down bitmap stores its height negative, and the reader reports it so.
    if (Size.height() < 0)
        Size.setHeight(-Size.height());
    if (!Size.isValid())
        throw TPictureError(QCoreApplication::translate("VexloGraphics",
                                                        "%1 is not a valid Windows bitmap file: %2")
                                .arg(File, Reader.errorString())
                                .toStdString());
    CheckPictureSize(Size.width(), Size.height(), Name);
    QImage Image;
    if (!Reader.read(&Image) || Image.isNull())
        throw TPictureError(
            QCoreApplication::translate("VexloGraphics", "Cannot read Windows bitmap %1: %2")
                .arg(File, Reader.errorString())
                .toStdString());
    return std::make_unique<TBitmap>(std::move(Image));
}

TBitmapPtr LoadJpegData(const QByteArray& Data, const QString& Name)
{
    auto Job = std::make_unique<TJpegDecode>();
    if (!DecodeJpeg(Job.get(), reinterpret_cast<const uchar*>(Data.constData()),
                    static_cast<unsigned long>(Data.size()), false))
        throw TPictureError(QCoreApplication::translate("VexloGraphics", "JPEG error in %1: %2")
                                .arg(FileNameOf(Name), QString::fromLocal8Bit(Job->Error.Message))
                                .toStdString());
    return std::make_unique<TBitmap>(std::move(Job->Out));
}

namespace {

[[noreturn]] void NotARegularFile(const QString& Path)
{
    throw TPictureError(
        QCoreApplication::translate("VexloGraphics", "Picture file %1 is not a regular file")
            .arg(FileNameOf(Path))
            .toStdString());
}

// The whole file, when it is a regular file (after following links) of at most the cap. A pipe
// or a device is never opened for reading (it could block or never end), and the read stops at
// the cap whatever size the file claims.
QByteArray ReadPictureBytes(const QString& Path)
{
    constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;
    const QByteArray Native = QFile::encodeName(Path);
    struct stat St = {};
    if (::stat(Native.constData(), &St) == 0 && !S_ISREG(St.st_mode))
        NotARegularFile(Path);
    // Not blocking in open(), in case a pipe took the file's place meanwhile.
    const int Fd = ::open(Native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        throw TPictureError(
            QCoreApplication::translate("VexloGraphics", "Cannot open picture file %1: %2")
                .arg(FileNameOf(Path), QString::fromLocal8Bit(strerror(errno)))
                .toStdString());
    if (::fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
        ::close(Fd);
        NotARegularFile(Path);
    }
    ::fcntl(Fd, F_SETFL, ::fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
    QFile File;
    if (!File.open(Fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(Fd);
        throw TPictureError(
            QCoreApplication::translate("VexloGraphics", "Cannot open picture file %1: %2")
                .arg(FileNameOf(Path), File.errorString())
                .toStdString());
    }
    const QByteArray Data = File.read(MaxFileSize + 1);
    if (Data.size() > MaxFileSize)
        throw TPictureError(
            QCoreApplication::translate("VexloGraphics", "Picture file %1 is too large")
                .arg(FileNameOf(Path))
                .toStdString());
    return Data;
}

} // namespace

TBitmapPtr LoadPictureFile(const QString& Path)
{
    // The kind is decided on the lower-cased name; the file itself is opened by its real name,
    // which on this system is case-sensitive.
    const QString Lower = Path.toLower();
    const bool Bmp = Lower.contains(QLatin1String(".bmp"));
    const bool Jpeg =
        !Bmp && (Lower.contains(QLatin1String(".jpg")) || Lower.contains(QLatin1String(".jpeg")));
    if (!Bmp && !Jpeg)
        return nullptr;
    const QByteArray Data = ReadPictureBytes(Path);
    TBitmapPtr Result = Bmp ? LoadBmpData(Data, Path) : LoadJpegData(Data, Path);
    if (Result && ScreenColorDepth() < 16)
        ApplySystemPalette(*Result);
    return Result;
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
