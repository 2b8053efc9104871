#include "preview/TPaintMachine.h"

#include "PreviewFixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTimeZone>

using namespace VexloGraphics;

namespace {

class PaintMachineTest : public testing::Test
{
protected:
    TPreviewEnvironment Env;

    std::unique_ptr<TPaintMachine> Make() { return std::make_unique<TPaintMachine>(168, 132, Env.Store.get()); }

    static int CountColour(const QImage& Image, QColor C, const QRect& Area = QRect())
    {
        const QRect R = Area.isNull() ? Image.rect() : Area;
        int N = 0;
        for (int Y = R.top(); Y <= R.bottom(); ++Y)
            for (int X = R.left(); X <= R.right(); ++X)
                N += QColor(Image.pixel(X, Y)) == C;
        return N;
    }
    static bool AnyReddish(const QImage& Image)
    {
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X) {
                const QColor C(Image.pixel(X, Y));
                if (C.red() > 120 && C.green() < 60 && C.blue() < 60)
                    return true;
            }
        return false;
    }
};

} // namespace

TEST(FadeTables, RunFromOneTwentySecondToTwoThirds)
{
    const double Shares[15] = {1. / 22, 1. / 21, 1. / 20, 1. / 19, 1. / 18,
                               1. / 17, 1. / 16, 1. / 14, 1. / 12, 1. / 10,
                               1. / 8,  1. / 6,  1. / 4,  1. / 2,  2. / 3};
    for (int S = 0; S < 15; ++S) {
        const double Share = double(TPaintMachine::FadeColourWeight[S]) /
                             (TPaintMachine::FadeOldWeight[S] + TPaintMachine::FadeColourWeight[S]);
        EXPECT_DOUBLE_EQ(Share, Shares[S]) << "step " << S;
    }
}

TEST_F(PaintMachineTest, WordFrameLaysOutTheThreeBlocks)
{
    Env.Settings({{"Wall", 0},
                  {"Shadow", 0},
                  {"ShowTime", 0},
                  {"ShowAuthorName", 0},
                  {"EnglishColor", 0xFFFFFF},
                  {"BulgarianColor", 0x00FF00}});
    // Three lines, the middle one empty: it keeps its slot.
    Env.OpenStore({TPreviewEnvironment::Word("house", "haus", "къща\r\n\r\nдом")});
    auto M = Make();
    M->NextFrame();
    EXPECT_EQ(M->Entry.EnglishWord, "house");
    EXPECT_EQ(M->FadeStep, 0);
    const QImage& F = M->FrameBitmap->Image;
    TBitmap Probe(168, 132);
    Probe.Font = M->BulgarianFont;
    const int LineHeight = Probe.TextHeight("|");
    const int Top = 20 + LineHeight;
    const auto Band = [&](int Line) { return QRect(0, Top + Line * LineHeight, 168, LineHeight); };
    EXPECT_GT(CountColour(F, QColor(0, 255, 0), Band(1)), 5);
    EXPECT_EQ(CountColour(F, QColor(0, 255, 0), Band(2)), 0);
    EXPECT_GT(CountColour(F, QColor(0, 255, 0), Band(3)), 5);
    EXPECT_GT(CountColour(F, Qt::white, QRect(0, 1, 168, 19)), 10); // the English word
}

TEST_F(PaintMachineTest, LongTextsKeepOnlyLinesThatEndInTheFrame)
{
    Env.Settings({{"Wall", 0}, {"Shadow", 0}, {"ShowTime", 0}, {"BulgarianColor", 0x00FF00}});
    QStringList Lines;
    for (int I = 0; I < 10; ++I)
        Lines << QStringLiteral("ред %1").arg(I);
    Env.OpenStore({TPreviewEnvironment::Word("many", "", Lines.join("\r\n"))});
    auto M = Make();
    M->NextFrame();
    TBitmap Probe(168, 132);
    Probe.Font = M->BulgarianFont;
    const int LineHeight = Probe.TextHeight("|");
    // Line i's cell is 20 + (i + 2) * LineHeight; the lowest one drawn ends at or above 132.
    const int LastBottom = 20 + (132 - 20) / LineHeight * LineHeight;
    ASSERT_LE(LastBottom, 132);
    EXPECT_EQ(CountColour(M->FrameBitmap->Image, QColor(0, 255, 0),
                          QRect(0, LastBottom, 168, 132 - LastBottom)),
              0);
    // The transcription of an empty text is "[]"; there is no crash on anything cut off.
    EXPECT_TRUE(M->Entry.Transcription.isEmpty());
}

TEST_F(PaintMachineTest, FadeStepFourteenEqualsTheUnfadedWord)
{
    // Same entry, same background: a word frame with BGDelay = 0 against fade step 14.
    const QList<QPair<const char*, int>> Common = {
        {"Wall", 2}, {"AlphaColors", 1}, {"Shadow", 0}, {"ShowTime", 0}, {"BitmapPosition", 0}};
    QImage Picture(64, 48, QImage::Format_RGB32);
    for (int Y = 0; Y < 48; ++Y)
        for (int X = 0; X < 64; ++X)
            Picture.setPixel(X, Y, qRgb(X * 4, Y * 5, 128));
    const QString Path = Env.Dir.filePath("back.bmp");
    ASSERT_TRUE(Picture.save(Path, "BMP"));
    Env.OpenStore({TPreviewEnvironment::Word("tree", "tri:", "дърво\r\nдървета")});

    auto Plain = Common;
    Plain.append({"BGDelay", 0});
    Env.Settings(Plain, Path);
    auto Reference = Make();
    Reference->NextFrame();

    auto Faded = Common;
    Faded.append({"BGDelay", 3});
    Env.Settings(Faded, Path);
    auto M = Make();
    M->NextFrame();
    EXPECT_NE(M->FrameBitmap->Image, Reference->FrameBitmap->Image); // starts faint
    QRect Changed;
    for (int Step = 1; Step <= 14; ++Step)
        Changed = M->DrawFadeStep(Step);
    EXPECT_FALSE(Changed.isEmpty());
    EXPECT_EQ(M->FrameBitmap->Image, Reference->FrameBitmap->Image);
    // Jumping straight to a step gives the same pixels as walking there.
    auto Jump = Make();
    Jump->NextFrame();
    Jump->DrawFadeStep(9);
    auto Walk = Make();
    Walk->NextFrame();
    for (int Step = 1; Step <= 9; ++Step)
        Walk->DrawFadeStep(Step);
    EXPECT_EQ(Jump->FrameBitmap->Image, Walk->FrameBitmap->Image);
    EXPECT_TRUE(Jump->DrawFadeStep(15).isEmpty());
    EXPECT_TRUE(Jump->DrawFadeStep(-1).isEmpty());
}

TEST_F(PaintMachineTest, WithoutAlphaColorsLinesWaitForTheLastStep)
{
    Env.Settings({{"Wall", 0},
                  {"Shadow", 0},
                  {"ShowTime", 0},
                  {"BGDelay", 10},
                  {"BulgarianColor", 0x00FF00}});
    Env.OpenStore({TPreviewEnvironment::Word("sun", "sʌn", "слънце")});
    auto M = Make();
    M->NextFrame();
    EXPECT_EQ(M->FadeStep, 0);
    EXPECT_EQ(CountColour(M->FrameBitmap->Image, QColor(0, 255, 0)), 0);
    EXPECT_TRUE(M->DrawFadeStep(5).isEmpty());
    const QRect R = M->DrawFadeStep(14);
    ASSERT_FALSE(R.isEmpty());
    EXPECT_GT(CountColour(M->FrameBitmap->Image, QColor(0, 255, 0), R), 5);
    EXPECT_EQ(R.left() + R.right() + 1, 168); // a band centred on the frame
}

TEST_F(PaintMachineTest, FailureFrames)
{
    // No database: the two red lines, no words.
    Env.Settings({{"Wall", 0}, {"ShowTime", 1}});
    Env.ClosedStore();
    auto NoDb = Make();
    NoDb->NextFrame();
    EXPECT_TRUE(AnyReddish(NoDb->FrameBitmap->Image));
    EXPECT_TRUE(NoDb->DrawFadeStep(14).isEmpty());
    EXPECT_EQ(NoDb->FadeStep, -1);

    // No store at all is the same frame, and nothing crashes.
    Env.Store.reset();
    auto NoStore = Make();
    NoStore->NextFrame();
    EXPECT_EQ(NoStore->FrameBitmap->Image, NoDb->FrameBitmap->Image);

    // An empty store: its message, and FadeStep keeps its value.
    Env.OpenStore({});
    auto Empty = Make();
    Empty->FadeStep = 7;
    Empty->NextFrame();
    EXPECT_EQ(Empty->FadeStep, 7);
    EXPECT_TRUE(AnyReddish(Empty->FrameBitmap->Image));
    EXPECT_NE(Empty->FrameBitmap->Image, NoDb->FrameBitmap->Image);
}

TEST_F(PaintMachineTest, BadPictureShowsItsMessageOnEveryFrame)
{
    Env.OpenStore({TPreviewEnvironment::Word("cat", "kæt", "котка")});
    QFile Broken(Env.Dir.filePath("broken.jpg"));
    ASSERT_TRUE(Broken.open(QIODevice::WriteOnly));
    Broken.write("\xFF\xD8\xFF\xE0 this is not really a JPEG");
    Broken.close();
    for (const QString& File : {Env.Dir.filePath("missing.jpg"), Broken.fileName()}) {
        Env.Settings({{"Wall", 2}, {"ShowTime", 1}, {"AlphaColors", 1}, {"BGDelay", 3}}, File);
        auto M = Make();
        ASSERT_EQ(M->Messages.size(), 1) << File.toStdString();
        EXPECT_TRUE(M->Messages[0].contains(QFileInfo(File).fileName().toLocal8Bit()))
            << M->Messages[0].toStdString();
        M->NextFrame();
        EXPECT_TRUE(M->Entry.EnglishWord.isEmpty()); // no words
        EXPECT_TRUE(AnyReddish(M->FrameBitmap->Image));
        EXPECT_TRUE(M->DrawFadeStep(3).isEmpty());
        EXPECT_FALSE(M->DrawClock().isEmpty()); // the clock still runs
    }
    // No supported kind in the name: black background, words as usual, no message.
    Env.Settings({{"Wall", 2}}, Env.Dir.filePath("picture.png"));
    auto M = Make();
    EXPECT_TRUE(M->Messages.isEmpty());
    M->NextFrame();
    EXPECT_EQ(M->Entry.EnglishWord, "cat");
}

TEST_F(PaintMachineTest, ClockAndCaption)
{
    Env.Settings(
        {{"Wall", 0}, {"ShowTime", 1}, {"ShowAuthorName", 1}, {"Shadow", 2}, {"AlphaColors", 1}});
    Env.OpenStore({TPreviewEnvironment::Word("a", "", "")});
    auto M = Make();
    const QRect R = M->DrawClock();
    EXPECT_EQ(R.left(), 1);
    EXPECT_EQ(R.bottom(), 132 - 1 - 1);
    EXPECT_FALSE(TPaintMachine::ClockText().isEmpty());
    EXPECT_TRUE(TPaintMachine::ClockText().endsWith(' '));
    // The caption is stamped into the background, right of the clock, in green-ish pixels.
    int Green = 0, LeftOfClock = 0;
    for (int Y = 0; Y < 132; ++Y)
        for (int X = 0; X < 168; ++X) {
            const QColor C(M->Background->Image.pixel(X, Y));
            if (C.green() > 100 && C.red() < 50) {
                ++Green;
                LeftOfClock += X <= R.right();
            }
        }
    EXPECT_GT(Green, 10);
    EXPECT_EQ(LeftOfClock, 0);
    // Midnight leaves the time out.
    TPaintMachine::ClockSource = [] { return QDateTime(QDate(2024, 1, 2), QTime(0, 0)); };
    const QByteArray Midnight = TPaintMachine::ClockText();
    TPaintMachine::ClockSource = [] { return QDateTime(QDate(2024, 1, 2), QTime(0, 0, 1)); };
    EXPECT_LT(Midnight.size(), TPaintMachine::ClockText().size());
}

TEST(PaintMachineClock, TimeWithoutTheZoneNameAndOneSpace)
{
    // 14:05:07 in zones named in different ways: none of the names shows.
    struct TCase
    {
        const char* Name;
        QDateTime Now;
    };
    const QDate Day(2024, 3, 9);
    const QTime Time(14, 5, 7);
    const TCase Cases[] = {
        {"UTC", QDateTime(Day, Time, QTimeZone::utc())},
        {"Europe/Sofia", QDateTime(Day, Time, QTimeZone("Europe/Sofia"))},
        {"an offset", QDateTime(Day, Time, QTimeZone(5 * 3600 + 1800))},
        {"local time", QDateTime(Day, Time)},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TPaintMachine::ClockSource = [&Case] { return Case.Now; };
        const QString Text = QString::fromLocal8Bit(TPaintMachine::ClockText());
        TPaintMachine::ClockSource = nullptr;
        EXPECT_TRUE(Text.contains(QLatin1String(":07"))) << Text.toStdString();
        EXPECT_TRUE(Text.endsWith(QLatin1Char(' ')) && !Text.endsWith(QLatin1String("  ")))
            << Text.toStdString();
        const QString Zone = Case.Now.timeZoneAbbreviation();
        ASSERT_FALSE(Zone.isEmpty());
        EXPECT_FALSE(Text.contains(Zone)) << Text.toStdString();
        EXPECT_FALSE(Text.contains(QLatin1String("UTC"))) << Text.toStdString();
    }
}

