#include "review/TReviewSettings.h"

#include "platform/TRegistry.h"

namespace {

// The values of the subkey, each with its field and the range it may take.
struct TValue
{
    const char* Name;
    int32_t TReviewSettings::*Number;
    bool TReviewSettings::*Flag;
    int32_t Low;
    int32_t High;
};
const TValue Values[] = {
    {"Desired Retention", &TReviewSettings::DesiredRetention, nullptr, 700, 990},
    {"Maximum Interval", &TReviewSettings::MaximumInterval, nullptr, 1, 36500},
    {"Fuzz", nullptr, &TReviewSettings::Fuzz, 0, 1},
    {"New Per Day", &TReviewSettings::NewPerDay, nullptr, 0, 9999},
    {"Direction", &TReviewSettings::Direction, nullptr, 0, 2},
    {"Two Buttons", nullptr, &TReviewSettings::TwoButtons, 0, 1},
    {"Notes Show", nullptr, &TReviewSettings::NotesShowDue, 0, 1},
    {"Level From Review", nullptr, &TReviewSettings::LevelFromReview, 0, 1},
};

} // namespace

TFsrsParameters TReviewSettings::Parameters() const
{
    TFsrsParameters P;
    P.DesiredRetention = DesiredRetention / 1000.0;
    P.MaximumInterval = MaximumInterval;
    P.Fuzz = Fuzz;
    return P;
}

void TReviewSettings::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    for (const TValue& V : Values) {
        const auto N = Reg.ReadDword(QLatin1String(V.Name));
        if (!N || static_cast<int64_t>(*N) < V.Low || static_cast<int64_t>(*N) > V.High)
            continue;
        if (V.Number)
            this->*V.Number = static_cast<int32_t>(*N);
        else
            this->*V.Flag = *N != 0;
    }
    Reg.CloseKey();
}

void TReviewSettings::Save() const
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), true))
        return;
    for (const TValue& V : Values) {
        if (V.Number)
            Reg.WriteInteger(QLatin1String(V.Name), this->*V.Number);
        else
            Reg.WriteBool(QLatin1String(V.Name), this->*V.Flag);
    }
    Reg.CloseKey();
}
