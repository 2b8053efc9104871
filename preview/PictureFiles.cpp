#include "preview/PictureFiles.h"

#include "preview/JpegCodec.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace VexloGraphics {
namespace {

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
    QImage Picture;
    std::string Error;
    if (!JpegCodec::Decode(reinterpret_cast<const uchar*>(Data.constData()),
                           static_cast<unsigned long>(Data.size()), false, Picture, Error))
        throw TPictureError(QCoreApplication::translate("VexloGraphics", "JPEG error in %1: %2")
                                .arg(FileNameOf(Name), QString::fromLocal8Bit(Error.c_str()))
                                .toStdString());
    return std::make_unique<TBitmap>(std::move(Picture));
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

} // namespace VexloGraphics
