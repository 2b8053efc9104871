#pragma once

#include "preview/VexloGraphics.h"
#include "settings/TRegInfo.h"
#include "store/TEnBgRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>

// Renders the screen saver's word display into a small bitmap: a background (black, the desktop
// or a picture), one random entry as English word, transcription and Bulgarian lines, shadows and
// blending chosen by the screen saver's settings, a clock in the lower left corner and the author
// caption in the lower right one. A host decides when to compose and copies the results.
class TScreenSaverDataModule;
class TPaintMachine
{
public:
    // The words come from Store, which outlives the machine; none counts as a database that is
    // not connected.
    TPaintMachine(int Width, int Height, TScreenSaverDataModule* Store);
    virtual ~TPaintMachine();
    TPaintMachine(const TPaintMachine&) = delete;
    TPaintMachine& operator=(const TPaintMachine&) = delete;

    // Composes a complete frame with a new random entry. Does not change WordTick.
    void NextFrame();
    // Redraws the clock; returns the rectangle it covers, in frame coordinates.
    QRect DrawClock();
    // Redraws the Bulgarian lines of Entry at fade step Step (0..14); returns the union of the
    // changed line bands, empty when nothing was drawn.
    QRect DrawFadeStep(int Step);

    // The current local date and time as the clock shows it.
    static QByteArray ClockText();
    // Where ClockText takes the time from; tests fix it. Empty: the system clock.
    static std::function<QDateTime()> ClockSource;

    static constexpr const char* AuthorCaption = "Vexlo Software";
    static constexpr uint16_t FadeOldWeight[15] = {21, 20, 19, 18, 17, 16, 15, 13,
                                                   11, 9,  7,  5,  3,  1,  1};
    static constexpr uint16_t FadeColourWeight[15] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
    // The caption never shrinks below this size, even in a frame too narrow for it.
    static constexpr int MinCaptionSize = 4;

    std::unique_ptr<TBitmap> FrameBitmap;
    std::unique_ptr<TBitmap> Background;
    std::unique_ptr<TRegInfo> Settings;
    int32_t ShadowOffset = 1;
    TFont EnglishFont;
    TFont BulgarianFont;
    TFont TranscriptionFont;
    QList<QByteArray> Messages;
    uint32_t WordTick = 0;
    uint32_t ClockTick = 0;
    int32_t FadeStep = -1;
    TEnBgRecord Entry;

private:
    void CreateFonts();
    void CreateBackground();
    void LoadBackgroundPicture();
    void StampCaption();
    void DrawAuthorCaption(TBitmap& Target, const TBitmap& Source);
    QRect ClockRect(const QByteArray& Text);
    void DrawWordLine(int X, int Y, const QString& Text);
    void DrawFadingLine(int X, int Y, const QString& Text, uint16_t OldWeight,
                        uint16_t ColourWeight);
    void DrawMessageShadow(int X, int Y, const QByteArray& Text);
    void DrawMessages();
    void DrawTextCentred(const QByteArray& Text, int Y);
    QRect DrawBulgarianLines(int Step, bool InFrame);

    int Width;
    int Height;
    TScreenSaverDataModule* Store;
    bool StoreConnected() const;
};
