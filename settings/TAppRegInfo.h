#pragma once

#include "review/TReviewSettings.h"
#include "settings/TInterfaceLanguage.h"
#include "settings/TLookUpSettings.h"
#include "settings/TReferenceSettings.h"
#include "settings/TSpeechSettings.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

// The main window as the settings see it: its bounds are restored at start and saved at exit.
// Left/top are the window's position as QWidget::pos()/move() take it, width/height its size as
// QWidget::size()/resize() take it. The main window implements this.
class TMainWindowPlace
{
public:
    virtual ~TMainWindowPlace() = default;
    // Current left, top, width and height.
    virtual QRect PlaceBounds() const = 0;
    // Applied one at a time, in the order width, height, left, top; the window may enforce its
    // own minimum size.
    virtual void PlaceWidth(int Width) = 0;
    virtual void PlaceHeight(int Height) = 0;
    virtual void PlaceLeft(int Left) = 0;
    virtual void PlaceTop(int Top) = 0;
};

// The settings exactly as the note library reads them: 84 bytes, 32-bit little-endian layout,
// Booleans one byte holding 0 or 1, every padding byte zero. The two pointer slots of that layout
// (the object header at 0 and the main window at 64) always hold 0 here; the main window itself
// is TAppRegInfo::Form, which lies after these 84 bytes.
struct TAppRegInfoData
{
    uint32_t ClassSlot = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool RunOnWindowsStart = false;
    uint8_t Padding21[3] = {};
    int32_t SequenceInterval = 30;
    int32_t DurationInterval = 10;
    int32_t DelayInterval = 5;
    bool Transparent = false;
    uint8_t Padding37[3] = {};
    int32_t Level = 0;
    int32_t BgColor = 0xFF0000;   // colour of the Bulgarian text on a note
    int32_t EnColor = 0xFFFFFF;   // English word
    int32_t TrColor = 0x0000FF;   // transcription
    int32_t NoteColor = 0x00FFFF; // the note window
    bool ResidentMode = false;
    uint8_t Padding61[3] = {};
    uint32_t FormSlot = 0;
    int32_t NotePosition = 0; // 0 upper left, 1 upper right, 2 down left, 3 down right
    bool Animate = true;
    bool CopyFromClipboard = true;
    uint8_t Padding74[2] = {};
    int32_t Axis = 0; // 0 X axis, 1 Y axis
    bool HideOrClose = false;
    uint8_t Padding81[3] = {};
};

static_assert(sizeof(bool) == 1);
static_assert(offsetof(TAppRegInfoData, ClassSlot) == 0);
static_assert(offsetof(TAppRegInfoData, Left) == 4);
static_assert(offsetof(TAppRegInfoData, Top) == 8);
static_assert(offsetof(TAppRegInfoData, Width) == 12);
static_assert(offsetof(TAppRegInfoData, Height) == 16);
static_assert(offsetof(TAppRegInfoData, RunOnWindowsStart) == 20);
static_assert(offsetof(TAppRegInfoData, SequenceInterval) == 24);
static_assert(offsetof(TAppRegInfoData, DurationInterval) == 28);
static_assert(offsetof(TAppRegInfoData, DelayInterval) == 32);
static_assert(offsetof(TAppRegInfoData, Transparent) == 36);
static_assert(offsetof(TAppRegInfoData, Level) == 40);
static_assert(offsetof(TAppRegInfoData, BgColor) == 44);
static_assert(offsetof(TAppRegInfoData, EnColor) == 48);
static_assert(offsetof(TAppRegInfoData, TrColor) == 52);
static_assert(offsetof(TAppRegInfoData, NoteColor) == 56);
static_assert(offsetof(TAppRegInfoData, ResidentMode) == 60);
static_assert(offsetof(TAppRegInfoData, FormSlot) == 64);
static_assert(offsetof(TAppRegInfoData, NotePosition) == 68);
static_assert(offsetof(TAppRegInfoData, Animate) == 72);
static_assert(offsetof(TAppRegInfoData, CopyFromClipboard) == 73);
static_assert(offsetof(TAppRegInfoData, Axis) == 76);
static_assert(offsetof(TAppRegInfoData, HideOrClose) == 80);
static_assert(sizeof(TAppRegInfoData) == 84);

// The program's own settings, kept in HKEY_LOCAL_MACHINE\Software\Norvane\Vocabulary, and the
// start-with-logon entry. Created by the main window (which loads them and places the window),
// changed in memory while the program runs, written back when the window closes.
//
// The note library gets NoteData(), the 84 bytes at the start of this object.
class TAppRegInfo final : public TAppRegInfoData
{
public:
    // Sets the initial values, loads, fits the stored bounds to the screen and applies them to
    // AForm (when given).
    explicit TAppRegInfo(TMainWindowPlace* AForm);
    // When Form is set, takes the window's bounds; then saves. Throws ERegistryException as Save
    // does. Called by the owner when the window closes; afterwards the destructor saves nothing.
    void Close();
    // Closes, when Close was not called, without reporting a failure.
    ~TAppRegInfo();
    TAppRegInfo(const TAppRegInfo&) = delete;
    TAppRegInfo& operator=(const TAppRegInfo&) = delete;

    // Reads the key over the current field values; a missing key changes nothing.
    void Load();
    // Writes the twenty values, then the Run value and the desktop's autostart entry. Throws
    // ERegistryException("Failed to set data for '<name>'") when a value cannot be written.
    void Save();

    TMainWindowPlace* Form = nullptr;

    // Voice and spoken notes; loaded and saved with the rest, in a subkey of their own.
    TSpeechSettings Speech;
    // Whether a look-up takes the keyboard; also in a subkey of its own.
    TLookUpSettings LookUp;
    // The reference dictionary; in a subkey of its own.
    TReferenceSettings Reference;
    // The review's settings (what notes show among them); in a subkey of their own.
    TReviewSettings Review;
    // The language of the windows; in a subkey of its own too.
    TInterfaceLanguage Interface;

    const TAppRegInfoData* NoteData() const { return this; }
    TAppRegInfoData* NoteData() { return this; }

    // Size of the primary screen used to fit the window, in the screen's own pixels (as the
    // bounds are kept, whatever scale Qt draws at). Tests set their own source; an empty
    // function restores the real screen (the primary QScreen; an invalid size when there is
    // none, and then nothing is fitted).
    static QSize ScreenSize();
    static void SetScreenSizeSource(std::function<QSize()> Source);

    static constexpr const char* KeyName = "Software\\Norvane\\Vocabulary";
    static constexpr const char* RunKeyName = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const char* RunValueName = "Vexlo Vocabulary 2007";

private:
    bool Closed = false;
};
