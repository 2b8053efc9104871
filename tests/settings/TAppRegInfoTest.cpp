#include "settings/TAppRegInfo.h"

#include "platform/TAutostart.h"
#include "platform/TRegistry.h"
#include "tests/platform/HiveTestSupport.h"
#include "tests/support/ScopedValue.h"

#include <QDir>

#include <algorithm>
#include <cstring>

namespace {

// The main window as far as the settings see it; records how it is placed.
class TFakeWindow : public TMainWindowPlace
{
public:
    QRect PlaceBounds() const override { return Bounds; }
    void PlaceWidth(int W) override
    {
        Calls << QStringLiteral("W%1").arg(W);
        Bounds.setWidth(std::max(W, Minimum.width()));
    }
    void PlaceHeight(int H) override
    {
        Calls << QStringLiteral("H%1").arg(H);
        Bounds.setHeight(std::max(H, Minimum.height()));
    }
    void PlaceLeft(int L) override
    {
        Calls << QStringLiteral("L%1").arg(L);
        Bounds.moveLeft(L);
    }
    void PlaceTop(int T) override
    {
        Calls << QStringLiteral("T%1").arg(T);
        Bounds.moveTop(T);
    }
    QRect Bounds;
    QSize Minimum; // the smallest size the window takes, as a real window enforces one
    QStringList Calls;
};

const char* const ValueOrder[] = {"Left",
                                  "Top",
                                  "Width",
                                  "Height",
                                  "RunOnWindowsStart",
                                  "Sequence Interval",
                                  "Duration Interval",
                                  "Delay Interval",
                                  "Transparent",
                                  "Level",
                                  "BgColor",
                                  "EnColor",
                                  "TrColor",
                                  "Note Color",
                                  "Resident Mode",
                                  "Note Position",
                                  "Animate",
                                  "HideOrClose",
                                  "CopyFromClipboard",
                                  "Axis"};

class TAppRegInfoTest : public THiveFixture
{
protected:
    void SetUp() override
    {
        THiveFixture::SetUp();
        TAppRegInfo::SetScreenSizeSource([this] { return Screen; });
        TAutostart::SetProgramPath(QStringLiteral("/opt/My Apps/vexlo-vocabulary"));
    }
    void TearDown() override
    {
        TAppRegInfo::SetScreenSizeSource({});
        TAutostart::SetProgramPath(QString());
        THiveFixture::TearDown();
    }

    void Put(const char* Name, int32_t Number)
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey(QLatin1String(TAppRegInfo::KeyName), true));
        Reg.WriteInteger(QLatin1String(Name), Number);
    }

    std::optional<TRegValue> Stored(const char* Key, const QString& Name)
    {
        TRegistry Reg;
        if (!Reg.OpenKey(QLatin1String(Key), false))
            return std::nullopt;
        return Reg.ReadValue(Name);
    }

    QSize Screen{1280, 768};
};

QByteArray Dword(uint32_t N)
{
    return TRegData::FromDword(N);
}

} // namespace

TEST_F(TAppRegInfoTest, FirstRunBytesAsTheNoteLibraryReadsThem)
{
    TFakeWindow Window;
    {
        TAppRegInfo Info(&Window);
        EXPECT_EQ(Window.Calls, (QStringList{"W0", "H0", "L0", "T0"}));
        // 84 bytes, little-endian, padding zero, pointer slots zero.
        QByteArray Expected(84, '\0');
        const auto Set32 = [&](int Offset, uint32_t N) { Expected.replace(Offset, 4, Dword(N)); };
        Set32(24, 30);       // Sequence Interval
        Set32(28, 10);       // Duration Interval
        Set32(32, 5);        // Delay Interval
        Set32(44, 0xFF0000); // BgColor
        Set32(48, 0xFFFFFF); // EnColor
        Set32(52, 0x0000FF); // TrColor
        Set32(56, 0x00FFFF); // Note Color
        Expected[72] = 1;    // Animate
        Expected[73] = 1;    // CopyFromClipboard
        const QByteArray Actual(reinterpret_cast<const char*>(Info.NoteData()), 84);
        EXPECT_EQ(Actual.toHex(' '), Expected.toHex(' '));
        EXPECT_EQ(static_cast<const void*>(Info.NoteData()), static_cast<const void*>(&Info));
        EXPECT_EQ(Info.Form, &Window);
        EXPECT_FALSE(QFile::exists(HivePath())) << "loading creates nothing";
        Window.Bounds = QRect(10, 20, 700, 500);
    }
    // The destructor took the window's bounds and saved everything in order.
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey(QLatin1String(TAppRegInfo::KeyName), false));
    QStringList Order;
    for (const char* N : ValueOrder)
        Order << QLatin1String(N);
    EXPECT_EQ(Reg.GetValueNames(), Order);
    for (const QString& N : Order)
        EXPECT_EQ(Reg.ReadValue(N)->Type, REG_DWORD) << N.toStdString();
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Left"))->Data, Dword(10));
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Top"))->Data, Dword(20));
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Width"))->Data, Dword(700));
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Height"))->Data, Dword(500));
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Animate"))->Data, Dword(1));
    EXPECT_EQ(Reg.ReadValue(QStringLiteral("Note Color"))->Data, Dword(0x00FFFF));
    EXPECT_FALSE(Stored(TAppRegInfo::RunKeyName, QLatin1String(TAppRegInfo::RunValueName)));
}

TEST_F(TAppRegInfoTest, LoadedValuesSitAtTheirOffsets)
{
    const std::pair<const char*, int32_t> Values[] = {{"Left", 11},
                                                      {"Top", 12},
                                                      {"Width", 300},
                                                      {"Height", 200},
                                                      {"RunOnWindowsStart", 5},
                                                      {"Sequence Interval", -3},
                                                      {"Duration Interval", 0},
                                                      {"Delay Interval", -1},
                                                      {"Transparent", 1},
                                                      {"Level", 77},
                                                      {"BgColor", 0x010203},
                                                      {"EnColor", 0x040506},
                                                      {"TrColor", 0x070809},
                                                      {"Note Color", 0x0A0B0C},
                                                      {"Resident Mode", 1},
                                                      {"Note Position", 3},
                                                      {"Animate", 0},
                                                      {"HideOrClose", 1},
                                                      {"CopyFromClipboard", 0},
                                                      {"Axis", 1}};
    for (const auto& [Name, N] : Values)
        Put(Name, N);
    TAppRegInfo Info(nullptr);
    const auto* Bytes = reinterpret_cast<const unsigned char*>(Info.NoteData());
    const auto At32 = [&](int Offset) {
        int32_t N;
        std::memcpy(&N, Bytes + Offset, 4);
        return N;
    };
    EXPECT_EQ(At32(0), 0);
    EXPECT_EQ(At32(4), 11);
    EXPECT_EQ(At32(8), 12);
    EXPECT_EQ(At32(12), 300);
    EXPECT_EQ(At32(16), 200);
    EXPECT_EQ(Bytes[20], 1) << "Booleans are stored as 0 or 1";
    EXPECT_EQ(At32(24), -3);
    EXPECT_EQ(At32(28), 0);
    EXPECT_EQ(At32(32), -1);
    EXPECT_EQ(Bytes[36], 1);
    EXPECT_EQ(At32(40), 77);
    EXPECT_EQ(At32(44), 0x010203);
    EXPECT_EQ(At32(48), 0x040506);
    EXPECT_EQ(At32(52), 0x070809);
    EXPECT_EQ(At32(56), 0x0A0B0C);
    EXPECT_EQ(Bytes[60], 1);
    EXPECT_EQ(At32(64), 0);
    EXPECT_EQ(At32(68), 3);
    EXPECT_EQ(Bytes[72], 0);
    EXPECT_EQ(Bytes[73], 0);
    EXPECT_EQ(At32(76), 1);
    EXPECT_EQ(Bytes[80], 1);
    for (int Pad : {21, 22, 23, 37, 38, 39, 61, 62, 63, 74, 75, 81, 82, 83})
        EXPECT_EQ(Bytes[Pad], 0) << "padding at " << Pad;
}

TEST_F(TAppRegInfoTest, LoadClampsAndGuards)
{
    struct TStored
    {
        const char* Name;
        QByteArray Data;
        uint32_t Type = REG_DWORD;
    };
    struct TCase
    {
        std::vector<TStored> Stored;
        std::function<void(const TAppRegInfo&)> Check;
    };
    const TCase Cases[] = {
        {{{"Delay Interval", Dword(20)}, {"Duration Interval", Dword(10)}},
         [](const TAppRegInfo& I) {
             EXPECT_EQ(I.DelayInterval, 10);
             EXPECT_EQ(I.DurationInterval, 10);
         }},
        {{{"Delay Interval", Dword(7)}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.DelayInterval, 7); }},
        {{{"Delay Interval", Dword(20)}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.DelayInterval, 10); }},
        {{{"Note Position", Dword(4)}}, [](const TAppRegInfo& I) { EXPECT_EQ(I.NotePosition, 0); }},
        {{{"Note Position", Dword(uint32_t(-1))}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.NotePosition, 0); }},
        {{{"Note Position", Dword(3)}}, [](const TAppRegInfo& I) { EXPECT_EQ(I.NotePosition, 3); }},
        {{{"Axis", Dword(uint32_t(-1))}}, [](const TAppRegInfo& I) { EXPECT_EQ(I.Axis, 0); }},
        {{{"Axis", Dword(2)}}, [](const TAppRegInfo& I) { EXPECT_EQ(I.Axis, 0); }},
        {{{"Axis", Dword(1)}}, [](const TAppRegInfo& I) { EXPECT_EQ(I.Axis, 1); }},
        {{{"Sequence Interval", Dword(0)}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.SequenceInterval, 0); }},
        {{{"Animate", Dword(2)}}, [](const TAppRegInfo& I) { EXPECT_TRUE(I.Animate); }},
        {{{"CopyFromClipboard", Dword(0)}},
         [](const TAppRegInfo& I) { EXPECT_FALSE(I.CopyFromClipboard); }},
        // Not a 4-byte REG_DWORD: the field keeps its initial value.
        {{{"Sequence Interval", TRegData::FromString(QStringLiteral("5")), REG_SZ}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.SequenceInterval, 30); }},
        {{{"Note Color", QByteArray(8, '\x01')}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.NoteColor, 0x00FFFF); }},
        {{{"Level", TRegData::FromDword(5), REG_BINARY}},
         [](const TAppRegInfo& I) { EXPECT_EQ(I.Level, 0); }},
        {{{"Animate", QByteArray(1, '\0')}}, [](const TAppRegInfo& I) { EXPECT_TRUE(I.Animate); }},
    };
    for (const TCase& C : Cases) {
        QFile::remove(HivePath());
        {
            TRegistry Reg;
            ASSERT_TRUE(Reg.OpenKey(QLatin1String(TAppRegInfo::KeyName), true));
            for (const TStored& V : C.Stored)
                Reg.WriteValue(QLatin1String(V.Name), V.Type, V.Data);
        }
        SCOPED_TRACE(C.Stored.front().Name);
        TAppRegInfo Info(nullptr);
        C.Check(Info);
    }
}

TEST_F(TAppRegInfoTest, FitsTheWindowToTheScreen)
{
    struct TCase
    {
        int Left, Top, Width, Height;
        QSize Screen;
        QStringList Placed;
    };
    const TCase Cases[] = {
        {0, 0, 2000, 500, {1280, 768}, {"W1280", "H500", "L0", "T0"}},
        {900, 0, 600, 400, {1280, 768}, {"W600", "H400", "L680", "T0"}},
        {0, 700, 400, 300, {1280, 768}, {"W400", "H300", "L0", "T468"}},
        {-50, -20, 400, 300, {1280, 768}, {"W400", "H300", "L-50", "T-20"}},
        {100, 100, 3000, 2000, {1280, 768}, {"W1280", "H768", "L0", "T0"}},
        // A negative size is no size; the window's minimum (300 x 200) is what must fit.
        {2147483647,
         2147483647,
         -2147483647 - 1,
         10,
         {1280, 768},
         {"W0", "H10", "L980", "T568"}},
        {5000, 5000, 0, 0, {1280, 768}, {"W0", "H0", "L980", "T568"}},
        {900, 700, 600, 300, QSize(), {"W600", "H300", "L900", "T700"}}, // no screen known
    };
    for (const TCase& C : Cases) {
        QFile::remove(HivePath());
        Put("Left", C.Left);
        Put("Top", C.Top);
        Put("Width", C.Width);
        Put("Height", C.Height);
        Screen = C.Screen;
        TFakeWindow Window;
        Window.Minimum = QSize(300, 200);
        TAppRegInfo Info(&Window);
        EXPECT_EQ(Window.Calls, C.Placed);
        Info.Form = nullptr; // do not save
    }
}

TEST_F(TAppRegInfoTest, RunValueAndDesktopEntryFollowTheSetting)
{
    Put("Level", 77);
    {
        TAppRegInfo Info(nullptr);
        Info.RunOnWindowsStart = true;
    }
    const std::optional<TRegValue> Run =
        Stored(TAppRegInfo::RunKeyName, QLatin1String(TAppRegInfo::RunValueName));
    ASSERT_TRUE(Run.has_value());
    EXPECT_EQ(Run->Type, REG_SZ);
    EXPECT_EQ(TRegData::ToString(Run->Data),
              QStringLiteral("\"/opt/My Apps/vexlo-vocabulary\" startup"));
    EXPECT_EQ(Stored(TAppRegInfo::KeyName, QStringLiteral("Level"))->Data, Dword(77));
    QFile Entry(TAutostart::DesktopEntryPath());
    ASSERT_TRUE(Entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(Entry.readAll().contains("\nExec=\"/opt/My Apps/vexlo-vocabulary\" startup\n"));
    Entry.close();

    {
        TAppRegInfo Info(nullptr);
        EXPECT_TRUE(Info.RunOnWindowsStart);
        EXPECT_EQ(Info.Level, 77);
        Info.RunOnWindowsStart = false;
    }
    EXPECT_FALSE(Stored(TAppRegInfo::RunKeyName, QLatin1String(TAppRegInfo::RunValueName)));
    EXPECT_FALSE(TAutostart::DesktopEntryExists());
    EXPECT_NO_THROW({ TAppRegInfo Again(nullptr); }) << "a missing Run value is no error";
}

TEST_F(TAppRegInfoTest, ChangesAreNotStoredBeforeTheDestructor)
{
    Put("Sequence Interval", 45);
    const QByteArray Before = HiveBytes();
    auto* Info = new TAppRegInfo(nullptr);
    Info->SequenceInterval = 99;
    Info->ResidentMode = true;
    EXPECT_EQ(HiveBytes(), Before);
    delete Info;
    EXPECT_EQ(Stored(TAppRegInfo::KeyName, QStringLiteral("Sequence Interval"))->Data, Dword(99));
}

TEST_F(TAppRegInfoTest, SaveFailures)
{
    // The hive cannot be created at all: both keys are skipped without a word.
    qputenv("VEXLO_REGISTRY", Dir.filePath(QStringLiteral("file/registry.reg")).toLocal8Bit());
    QFile Blocker(Dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(Blocker.open(QIODevice::WriteOnly));
    Blocker.close();
    {
        TAppRegInfo Info(nullptr);
        Info.RunOnWindowsStart = true;
        EXPECT_NO_THROW(Info.Save());
    }
    EXPECT_FALSE(TAutostart::DesktopEntryExists()) << "left as it was with the Run value";

    // The key opens but no value can be written: the first value's name is reported.
    qputenv("VEXLO_REGISTRY", HivePath().toLocal8Bit());
    Put("Left", 1);
    ASSERT_TRUE(QDir().mkpath(HivePath() + ".lock"));
    const TScopedValue Wait(TRegistry::LockWaitMs, 200);
    {
        TAppRegInfo Info(nullptr);
        try {
            Info.Close();
            ADD_FAILURE() << "closing must report the failure";
        } catch (const ERegistryException& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("Failed to set data for 'Left'"));
        }
        // Closed once: the destructor tries nothing more.
    }
    QDir(HivePath() + ".lock").removeRecursively();

    // The desktop entry cannot be written: reported under the Run value's name.
    ASSERT_TRUE(QDir().mkpath(Dir.filePath(QStringLiteral("config"))));
    QFile AutostartBlocker(Dir.filePath(QStringLiteral("config/autostart")));
    ASSERT_TRUE(AutostartBlocker.open(QIODevice::WriteOnly));
    AutostartBlocker.close();
    TAppRegInfo Started(nullptr);
    Started.RunOnWindowsStart = true;
    try {
        Started.Save();
        FAIL() << "the autostart entry cannot be written";
    } catch (const ERegistryException& E) {
        EXPECT_EQ(E.Message(), QStringLiteral("Failed to set data for 'Vexlo Vocabulary 2007'"));
    }
    Started.RunOnWindowsStart = false; // the destructor's save now succeeds
}
