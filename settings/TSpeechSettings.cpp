#include "settings/TSpeechSettings.h"

#include "platform/TRegistry.h"

namespace {

const TSpeechSettings*& LiveSettings()
{
    static const TSpeechSettings* Settings = nullptr;
    return Settings;
}

} // namespace

const TSpeechSettings& TSpeechSettings::Live()
{
    static const TSpeechSettings Defaults;
    return LiveSettings() ? *LiveSettings() : Defaults;
}

void TSpeechSettings::SetLive(const TSpeechSettings* Settings)
{
    LiveSettings() = Settings;
}

void TSpeechSettings::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    if (const auto N = Reg.ReadDword(QStringLiteral("Voice")); N && *N <= 1)
        Voice = static_cast<TSpeechVoice>(*N);
    if (const auto N = Reg.ReadDword(QStringLiteral("Notes Speak")))
        NotesSpeak = *N != 0;
    Reg.CloseKey();
}

void TSpeechSettings::Save() const
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), true))
        return;
    Reg.WriteInteger(QStringLiteral("Voice"), static_cast<int32_t>(Voice));
    Reg.WriteBool(QStringLiteral("Notes Speak"), NotesSpeak);
    Reg.CloseKey();
}
