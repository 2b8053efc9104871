#include "settings/TRegInfo.h"

#include "platform/TRegistry.h"

namespace {

// A REG_DWORD of exactly 4 bytes, else Default. Never throws.
int32_t ReadNumber(const TRegistry& Reg, const char* Name, int32_t Default)
{
    try {
        const std::optional<TRegValue> V = Reg.ReadValue(QLatin1String(Name));
        if (!V || V->Type != REG_DWORD || V->Data.size() != 4)
            return Default;
        uint32_t N = 0;
        for (int B = 3; B >= 0; --B)
            N = (N << 8) | static_cast<unsigned char>(V->Data[B]);
        return static_cast<int32_t>(N);
    } catch (...) {
        return Default;
    }
}

bool ReadFlag(const TRegistry& Reg, const char* Name, bool Default)
{
    return ReadNumber(Reg, Name, Default ? 1 : 0) != 0;
}

// REG_SZ or REG_EXPAND_SZ (taken literally), cut at the first NUL; Default when missing, of
// another type, or empty.
QString ReadText(const TRegistry& Reg, const char* Name, const QString& Default)
{
    try {
        const std::optional<TRegValue> V = Reg.ReadValue(QLatin1String(Name));
        if (!V || (V->Type != REG_SZ && V->Type != REG_EXPAND_SZ))
            return Default;
        const QString Text = TRegData::ToString(V->Data);
        return Text.isEmpty() ? Default : Text;
    } catch (...) {
        return Default;
    }
}

} // namespace

void TRegInfo::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    EnglishColor = ReadNumber(Reg, "EnglishColor", 0xFF0000);
    TranscriptionColor = ReadNumber(Reg, "TranscriptionColor", 0xFFFFFF);
    BulgarianColor = ReadNumber(Reg, "BulgarianColor", 0x0000FF);
    EnglishSize = ReadNumber(Reg, "EnglishSize", 72);
    TranscriptionSize = ReadNumber(Reg, "TranscriptionSize", 48);
    BulgarianSize = ReadNumber(Reg, "BulgarianSize", 48);
    AlphaColors = ReadFlag(Reg, "AlphaColors", false);
    ShowTime = ReadFlag(Reg, "ShowTime", true);
    ShowAuthorName = ReadFlag(Reg, "ShowAuthorName", true);
    Speed = ReadNumber(Reg, "Speed", 1);
    BGDelay = ReadNumber(Reg, "BGDelay", 0);
    Level = ReadNumber(Reg, "Level", 0);
    Wall = ReadNumber(Reg, "Wall", 1);
    Shadow = ReadNumber(Reg, "Shadow", 1);
    BitmapPosition = ReadNumber(Reg, "BitmapPosition", 0);
    DataFile = ReadText(Reg, "DataFile", QStringLiteral("english.mdb"));
    BackgroundFile = ReadText(Reg, "BackgroundFile", QString());
    Reg.CloseKey();
}
