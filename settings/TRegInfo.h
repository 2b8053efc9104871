#pragma once

#include <QString>

#include <cstdint>

// The sibling screen saver's settings, read from HKEY_LOCAL_MACHINE\Software\Norvane\ScreenSaver.
// This program only reads them; nothing here creates, writes or deletes anything under that key.
// Colours are 0x00BBGGRR (red in the low byte).
class TRegInfo
{
public:
    TRegInfo() = default;

    // Overwrites every field from the key. A missing key leaves all fields as they are; a missing
    // or malformed value gives that value's default.
    void Load();

    int32_t EnglishColor = 0xFF0000;
    int32_t TranscriptionColor = 0xFFFFFF;
    int32_t BulgarianColor = 0x0000FF;
    int32_t EnglishSize = 72;
    int32_t TranscriptionSize = 48;
    int32_t BulgarianSize = 48;
    bool AlphaColors = false;
    bool ShowAuthorName = false;
    bool ShowTime = false;
    int32_t Speed = 1;
    int32_t BGDelay = 0;
    int32_t Level = 0;
    int32_t Wall = 1;           // 0 black, 1 desktop capture, 2 picture from BackgroundFile
    int32_t BitmapPosition = 0; // 0 stretch, 1 tile, 2 centre, 3 fit
    int32_t Shadow = 1;         // 0 none, 1 black copy, 2 shadow effect
    QString DataFile = QStringLiteral("english.mdb");
    QString BackgroundFile;

    static constexpr const char* KeyName = "Software\\Norvane\\ScreenSaver";
};
