#pragma once

// Picture files for the background: Windows bitmaps and JPEG images, read with limits on their
// size, their pictures' size and the kind of file (never a pipe or a device).

#include "preview/VexloGraphics.h"

#include <QByteArray>
#include <QString>

namespace VexloGraphics {

// Loads a picture by the kind its name names: ".bmp" anywhere in the lower-cased path loads a
// Windows bitmap, else ".jpg" or ".jpeg" a JPEG image; any other name gives no bitmap and no error.
// A missing, unreadable, corrupt, truncated or oversized file raises TPictureError.
TBitmapPtr LoadPictureFile(const QString& Path);

// The decoders behind LoadPictureFile, for data in memory. Name only goes into error messages.
TBitmapPtr LoadBmpData(const QByteArray& Data, const QString& Name);
TBitmapPtr LoadJpegData(const QByteArray& Data, const QString& Name);

// Pictures larger than this (either side, or in total pixels) are refused before decoding.
constexpr int MaxPictureSide = 16384;
constexpr qint64 MaxPicturePixels = 50'000'000;

} // namespace VexloGraphics
