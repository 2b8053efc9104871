// Random and mutated JPEG and BMP data through the picture loaders: each input either loads or
// raises TPictureError; nothing crashes, hangs or grows without bound. Bounded to a few seconds.
#include "preview/PictureFiles.h"
#include "preview/VexloGraphics.h"
#include "tests/support/FuzzSeed.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>

#include <random>

using namespace VexloGraphics;

namespace {

QByteArray Encoded(const char* Format, int W, int H, int Quality)
{
    QImage Image(W, H, QImage::Format_RGB32);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            Image.setPixel(X, Y, qRgb(X * 9, Y * 5, (X ^ Y) * 3));
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, Format, Quality);
    return Bytes;
}

QByteArray Mutate(QByteArray Data, std::mt19937& Random)
{
    std::uniform_int_distribution<int> Kind(0, 5);
    const int Changes = 1 + int(Random() % 8);
    for (int I = 0; I < Changes && !Data.isEmpty(); ++I) {
        const qsizetype At = qsizetype(Random() % quint32(Data.size()));
        switch (Kind(Random)) {
        case 0: // flip a byte
            Data[At] = char(Random());
            break;
        case 1: // cut the file short
            Data.truncate(At);
            break;
        case 2: // an extreme value in the header area
            Data[std::min<qsizetype>(At, 40)] = char(0xFF);
            break;
        case 3: // duplicate a block
            Data.insert(At, Data.mid(At, qsizetype(Random() % 64)));
            break;
        case 4: // remove a block
            Data.remove(At, qsizetype(Random() % 32));
            break;
        default: // a small number in a header field
            Data[std::min<qsizetype>(At, 30)] = char(Random() % 4);
            break;
        }
    }
    return Data;
}

void Feed(const QByteArray& Data, bool Jpeg)
{
    try {
        const TBitmapPtr B = Jpeg ? LoadJpegData(Data, "fuzz.jpg") : LoadBmpData(Data, "fuzz.bmp");
        ASSERT_TRUE(B);
        ASSERT_FALSE(B->IsEmpty());
        ASSERT_LE(qint64(B->Width()) * B->Height(), MaxPicturePixels);
    } catch (const TPictureError& E) {
        ASSERT_GT(std::strlen(E.what()), 0u);
    }
}

} // namespace

TEST(FuzzPictures, MutatedAndRandomDataNeverCrash)
{
    const QList<QByteArray> JpegSeeds = {Encoded("JPG", 33, 17, 90), Encoded("JPG", 8, 8, 100),
                                         Encoded("JPG", 64, 3, 20)};
    const QList<QByteArray> BmpSeeds = {Encoded("BMP", 13, 7, -1), Encoded("BMP", 1, 1, -1),
                                        Encoded("BMP", 40, 2, -1)};
    const uint32_t Seed = FuzzSeed();
    SCOPED_TRACE(testing::Message() << "VEXLO_FUZZ_SEED=" << Seed);
    std::mt19937 Random(Seed);
    int Runs = 0;
    while (Runs < 50000) {
        const bool Jpeg = Runs % 2 == 0;
        const QList<QByteArray>& Seeds = Jpeg ? JpegSeeds : BmpSeeds;
        QByteArray Data;
        if (Runs % 10 == 9) {
            Data.resize(qsizetype(Random() % 512));
            for (char& C : Data)
                C = char(Random());
            if (Data.size() >= 2 && Random() % 2) { // make it look like the right kind
                Data[0] = Jpeg ? char(0xFF) : 'B';
                Data[1] = Jpeg ? char(0xD8) : 'M';
            }
        } else {
            Data = Mutate(Seeds[Runs % Seeds.size()], Random);
        }
        Feed(Data, Jpeg);
        if (HasFatalFailure())
            return;
        ++Runs;
    }
    RecordProperty("Runs", Runs);
}
