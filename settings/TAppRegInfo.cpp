#include "settings/TAppRegInfo.h"

#include "platform/TAutostart.h"
#include "platform/TRegistry.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace {

std::function<QSize()>& ScreenSource()
{
    static std::function<QSize()> Source;
    return Source;
}

// Stores a REG_DWORD of exactly 4 bytes in Field; anything else leaves Field as it is.
void ReadNumber(const TRegistry& Reg, const char* Name, int32_t& Field)
{
    try {
        const std::optional<TRegValue> V = Reg.ReadValue(QLatin1String(Name));
        if (!V || V->Type != REG_DWORD || V->Data.size() != 4)
            return;
        uint32_t N = 0;
        for (int B = 3; B >= 0; --B)
            N = (N << 8) | static_cast<unsigned char>(V->Data[B]);
        Field = static_cast<int32_t>(N);
    } catch (...) {
    }
}

void ReadFlag(const TRegistry& Reg, const char* Name, bool& Field)
{
    int32_t N = Field ? 1 : 0;
    ReadNumber(Reg, Name, N);
    Field = N != 0;
}

// The values of the key in the order they are written, each with its field: the one list that
// loading and saving share.
struct TField
{
    const char* Name;
    int32_t TAppRegInfoData::*Number = nullptr;
    bool TAppRegInfoData::*Flag = nullptr;
};
const TField Fields[] = {
    {"Left", &TAppRegInfoData::Left},
    {"Top", &TAppRegInfoData::Top},
    {"Width", &TAppRegInfoData::Width},
    {"Height", &TAppRegInfoData::Height},
    {"RunOnWindowsStart", nullptr, &TAppRegInfoData::RunOnWindowsStart},
    {"Sequence Interval", &TAppRegInfoData::SequenceInterval},
    {"Duration Interval", &TAppRegInfoData::DurationInterval},
    {"Delay Interval", &TAppRegInfoData::DelayInterval},
    {"Transparent", nullptr, &TAppRegInfoData::Transparent},
    {"Level", &TAppRegInfoData::Level},
    {"BgColor", &TAppRegInfoData::BgColor},
    {"EnColor", &TAppRegInfoData::EnColor},
    {"TrColor", &TAppRegInfoData::TrColor},
    {"Note Color", &TAppRegInfoData::NoteColor},
    {"Resident Mode", nullptr, &TAppRegInfoData::ResidentMode},
    {"Note Position", &TAppRegInfoData::NotePosition},
    {"Animate", nullptr, &TAppRegInfoData::Animate},
    {"HideOrClose", nullptr, &TAppRegInfoData::HideOrClose},
    {"CopyFromClipboard", nullptr, &TAppRegInfoData::CopyFromClipboard},
    {"Axis", &TAppRegInfoData::Axis},
};

int32_t Clamp32(int64_t N)
{
    return static_cast<int32_t>(std::clamp<int64_t>(N, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

TAppRegInfo::TAppRegInfo(TMainWindowPlace* AForm) : Form(AForm)
{
    TSpeechSettings::SetLive(&Speech);
    TReferenceSettings::SetLive(&Reference);
    Load();
    const QSize Screen = ScreenSize();
    if (Screen.isValid()) {
        if (Width > Screen.width())
            Width = Screen.width();
        if (Height > Screen.height())
            Height = Screen.height();
    }
    // A negative size stands for no size: the window takes its minimum. Left as it was, it moved
    // the left and top edges below by more than the screen is wide and put the window off screen.
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    int64_t PlacedWidth = Width;
    int64_t PlacedHeight = Height;
    if (Form) {
        Form->PlaceWidth(Width);
        Form->PlaceHeight(Height);
        // The window may enforce a minimum size; it is the size it really took that must fit.
        const QRect Placed = Form->PlaceBounds();
        PlacedWidth = std::max<int64_t>(Width, Placed.width());
        PlacedHeight = std::max<int64_t>(Height, Placed.height());
    }
    if (Screen.isValid()) {
        // Keep the far edges on the screen; a negative left or top stays as it is.
        const int64_t MaxTop = int64_t(Screen.height()) - PlacedHeight;
        if (MaxTop < Top)
            Top = Clamp32(MaxTop);
        const int64_t MaxLeft = int64_t(Screen.width()) - PlacedWidth;
        if (MaxLeft < Left)
            Left = Clamp32(MaxLeft);
    }
    if (Form) {
        Form->PlaceLeft(Left);
        Form->PlaceTop(Top);
    }
}

void TAppRegInfo::Close()
{
    Closed = true;
    if (Form) {
        const QRect Bounds = Form->PlaceBounds();
        Left = Bounds.left();
        Top = Bounds.top();
        Width = Bounds.width();
        Height = Bounds.height();
    }
    Save();
}

TAppRegInfo::~TAppRegInfo()
{
    if (&TSpeechSettings::Live() == &Speech)
        TSpeechSettings::SetLive(nullptr);
    if (&TReferenceSettings::Live() == &Reference)
        TReferenceSettings::SetLive(nullptr);
    if (Closed)
        return;
    try {
        Close();
    } catch (const ERegistryException&) {
        // Nobody is left to tell: the owner that wants to know calls Close first.
    }
}

void TAppRegInfo::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    for (const TField& Field : Fields) {
        if (Field.Number)
            ReadNumber(Reg, Field.Name, this->*Field.Number);
        else
            ReadFlag(Reg, Field.Name, this->*Field.Flag);
    }
    if (DelayInterval > DurationInterval)
        DelayInterval = DurationInterval;
    if (NotePosition < 0 || NotePosition > 3)
        NotePosition = 0;
    if (Axis < 0 || Axis > 1)
        Axis = 0;
    Reg.CloseKey();
    Speech.Load();
    LookUp.Load();
    Reference.Load();
    Review.Load();
    Interface.Load();
}

void TAppRegInfo::Save()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (Reg.OpenKey(QLatin1String(KeyName), true)) {
        Reg.BeginUpdate(); // one rewrite of the file for all of them
        for (const TField& Field : Fields) {
            if (Field.Number)
                Reg.WriteInteger(QLatin1String(Field.Name), this->*Field.Number);
            else
                Reg.WriteBool(QLatin1String(Field.Name), this->*Field.Flag);
        }
        Reg.CommitUpdate();
        Reg.CloseKey();
        Speech.Save();
        LookUp.Save();
        Reference.Save();
        Review.Save();
        Interface.Save();
    } else if (const QString Problem = TRegistry::HiveProblem(); !Problem.isEmpty()) {
        throw ERegistryException(Problem);
    }
    if (!Reg.OpenKey(QLatin1String(RunKeyName), true))
        return;
    const QString RunName = QLatin1String(RunValueName);
    if (RunOnWindowsStart) {
        Reg.WriteString(RunName, TAutostart::RunCommand(TAutostart::ProgramPath()));
    } else {
        Reg.DeleteValue(RunName);
    }
    Reg.CloseKey();
    // The desktop acts on its own autostart entry, kept in step with the Run value.
    if (!TAutostart::SetDesktopEntry(RunOnWindowsStart))
        throw ERegistryException(
            QCoreApplication::translate("TAppRegInfo", "Failed to set data for '%1'").arg(RunName));
}

QSize TAppRegInfo::ScreenSize()
{
    if (ScreenSource())
        return ScreenSource()();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    // In the screen's own pixels, as the bounds are kept.
    const QScreen* Screen = QGuiApplication::primaryScreen();
    return Screen ? Screen->size() * Screen->devicePixelRatio() : QSize();
}

void TAppRegInfo::SetScreenSizeSource(std::function<QSize()> Source)
{
    ScreenSource() = std::move(Source);
}
