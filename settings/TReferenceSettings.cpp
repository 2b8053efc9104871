#include "settings/TReferenceSettings.h"

#include "platform/TRegistry.h"
#include "reference/TReference.h"

namespace {

TReferenceSettings*& LiveSettings()
{
    static TReferenceSettings* Settings = nullptr;
    return Settings;
}

} // namespace

const TReferenceSettings& TReferenceSettings::Live()
{
    static const TReferenceSettings Defaults;
    return LiveSettings() ? *LiveSettings() : Defaults;
}

void TReferenceSettings::SetLive(TReferenceSettings* Settings)
{
    LiveSettings() = Settings;
}

void TReferenceSettings::SetLiveKeepAccents(bool Keep)
{
    if (LiveSettings())
        LiveSettings()->KeepAccents = Keep;
}

void TReferenceSettings::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    if (const auto N = Reg.ReadDword(QStringLiteral("Enabled")); N && *N <= 1)
        Enabled = *N != 0;
    if (const auto N = Reg.ReadDword(QStringLiteral("Keep Accents")); N && *N <= 1)
        KeepAccents = *N != 0;
    try {
        const std::optional<TRegValue> V = Reg.ReadValue(QStringLiteral("Index"));
        if (V && V->Type == REG_SZ)
            IndexPath = TRegData::ToString(V->Data);
    } catch (...) {
    }
    Reg.CloseKey();
}

void TReferenceSettings::Save() const
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), true))
        return;
    Reg.WriteBool(QStringLiteral("Enabled"), Enabled);
    Reg.WriteString(QStringLiteral("Index"), IndexPath);
    Reg.WriteBool(QStringLiteral("Keep Accents"), KeepAccents);
    Reg.CloseKey();
}

void TReferenceSettings::Apply() const
{
    TReference::Shared()->SetSource(Enabled, IndexPath);
}
