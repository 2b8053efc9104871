#pragma once

#include <QByteArray>
#include <QImage>

#include <string>

// JPEG data through libjpeg, with its errors coming back as messages instead of ending the
// process: a damaged, cut-short or endless file, or one larger than the picture limits, is an
// error, never a crash or a hang.
namespace JpegCodec {

// Decodes Size bytes at Data into a picture of blue, green and red bytes (grey ones when
// Grayscale); false with libjpeg's message in Error when it cannot.
bool Decode(const uchar* Data, unsigned long Size, bool Grayscale, QImage& Out, std::string& Error);

// Encodes a picture of blue, green and red bytes at the highest quality; false with libjpeg's
// message in Error when it cannot.
bool Encode(const QImage& Bgr, QByteArray& Out, std::string& Error);

} // namespace JpegCodec
