#include "settings/TLookUpSettings.h"

#include "platform/TRegistry.h"

void TLookUpSettings::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    if (const auto N = Reg.ReadDword(QStringLiteral("Take Keyboard")); N && *N <= 1)
        TakeKeyboard = *N != 0;
    Reg.CloseKey();
}

void TLookUpSettings::Save() const
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), true))
        return;
    Reg.WriteBool(QStringLiteral("Take Keyboard"), TakeKeyboard);
    Reg.CloseKey();
}
