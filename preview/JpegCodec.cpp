#include "preview/JpegCodec.h"

#include "preview/PictureFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

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
        Info->image_width > unsigned(VexloGraphics::MaxPictureSide) ||
        Info->image_height > unsigned(VexloGraphics::MaxPictureSide) ||
        qint64(Info->image_width) * Info->image_height > VexloGraphics::MaxPicturePixels) {
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

} // namespace

namespace JpegCodec {

bool Decode(const uchar* Data, unsigned long Size, bool Grayscale, QImage& Out, std::string& Error)
{
    auto Job = std::make_unique<TJpegDecode>();
    if (!DecodeJpeg(Job.get(), Data, Size, Grayscale)) {
        Error = Job->Error.Message;
        return false;
    }
    Out = std::move(Job->Out);
    return true;
}

bool Encode(const QImage& Bgr, QByteArray& Out, std::string& Error)
{
    auto Job = std::make_unique<TJpegEncode>();
    const bool Encoded = EncodeJpeg(Job.get(), Bgr);
    const std::unique_ptr<unsigned char, void (*)(void*)> Buffer(Job->Buffer, std::free);
    if (!Encoded) {
        Error = Job->Error.Message;
        return false;
    }
    Out =
        QByteArray(reinterpret_cast<const char*>(Buffer.get()), static_cast<qsizetype>(Job->Size));
    return true;
}

} // namespace JpegCodec
