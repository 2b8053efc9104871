#include "settings/TRegInfo.h"

#include "platform/TRegistry.h"
#include "tests/platform/HiveTestSupport.h"

namespace {

class TRegInfoTest : public THiveFixture
{
protected:
    // Puts a value under the screen saver's key, as its own settings dialog would.
    void Put(const QString& Name, uint32_t Type, const QByteArray& Data)
    {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey(QLatin1String(TRegInfo::KeyName), true));
        Reg.WriteValue(Name, Type, Data);
    }
};

// A loaded object with every field set to something no default has.
TRegInfo Scribbled()
{
    TRegInfo Info;
    Info.EnglishColor = Info.TranscriptionColor = Info.BulgarianColor = 0x123456;
    Info.EnglishSize = Info.TranscriptionSize = Info.BulgarianSize = 99;
    Info.AlphaColors = true;
    Info.ShowAuthorName = Info.ShowTime = false;
    Info.Speed = Info.BGDelay = Info.Level = Info.Wall = Info.BitmapPosition = Info.Shadow = 42;
    Info.DataFile = Info.BackgroundFile = QStringLiteral("scribbled");
    return Info;
}

void ExpectDefaults(const TRegInfo& I, bool Shown)
{
    EXPECT_EQ(I.EnglishColor, 0xFF0000);
    EXPECT_EQ(I.TranscriptionColor, 0xFFFFFF);
    EXPECT_EQ(I.BulgarianColor, 0x0000FF);
    EXPECT_EQ(I.EnglishSize, 72);
    EXPECT_EQ(I.TranscriptionSize, 48);
    EXPECT_EQ(I.BulgarianSize, 48);
    EXPECT_FALSE(I.AlphaColors);
    EXPECT_EQ(I.ShowAuthorName, Shown);
    EXPECT_EQ(I.ShowTime, Shown);
    EXPECT_EQ(I.Speed, 1);
    EXPECT_EQ(I.BGDelay, 0);
    EXPECT_EQ(I.Level, 0);
    EXPECT_EQ(I.Wall, 1);
    EXPECT_EQ(I.BitmapPosition, 0);
    EXPECT_EQ(I.Shadow, 1);
    EXPECT_EQ(I.BackgroundFile, QString());
}

} // namespace

TEST_F(TRegInfoTest, NoKeyKeepsEveryFieldAndCreatesNothing)
{
    TRegInfo Fresh;
    Fresh.Load();
    ExpectDefaults(Fresh, false);
    EXPECT_EQ(Fresh.DataFile, QStringLiteral("english.mdb"));
    EXPECT_FALSE(QFile::exists(HivePath()));

    const QByteArray Other =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Norvane]\r\n";
    WriteHive(Other);
    TRegInfo Kept = Scribbled();
    Kept.Load();
    EXPECT_EQ(Kept.Speed, 42);
    EXPECT_EQ(Kept.DataFile, QStringLiteral("scribbled"));
    EXPECT_EQ(HiveBytes(), Other) << "the key is never created";
}

TEST_F(TRegInfoTest, KeyWithOnlyDataFileGivesDefaultsEverywhereElse)
{
    Put(QStringLiteral("DataFile"), REG_SZ, TRegData::FromString(QStringLiteral("/srv/words.mdb")));
    const QByteArray Before = HiveBytes();
    TRegInfo Info = Scribbled();
    Info.Load();
    ExpectDefaults(Info, true);
    EXPECT_EQ(Info.DataFile, QStringLiteral("/srv/words.mdb"));
    EXPECT_EQ(HiveBytes(), Before) << "loading writes nothing";
}

TEST_F(TRegInfoTest, GuardedReaders)
{
    struct TCase
    {
        const char* Name;
        uint32_t Type;
        QByteArray Data;
        std::function<void(const TRegInfo&)> Check;
    };
    const TCase Cases[] = {
        {"EnglishSize", REG_SZ, TRegData::FromString(QStringLiteral("100")),
         [](const TRegInfo& I) { EXPECT_EQ(I.EnglishSize, 72); }},
        {"Speed", REG_BINARY, TRegData::FromDword(5),
         [](const TRegInfo& I) { EXPECT_EQ(I.Speed, 1); }},
        {"Speed", REG_DWORD, QByteArray(8, '\x05'),
         [](const TRegInfo& I) { EXPECT_EQ(I.Speed, 1); }},
        {"Speed", REG_DWORD, QByteArray(2, '\x05'),
         [](const TRegInfo& I) { EXPECT_EQ(I.Speed, 1); }},
        {"Speed", REG_DWORD, TRegData::FromDword(7),
         [](const TRegInfo& I) { EXPECT_EQ(I.Speed, 7); }},
        {"EnglishColor", REG_DWORD, TRegData::FromDword(0xFFFFFFFF),
         [](const TRegInfo& I) { EXPECT_EQ(I.EnglishColor, -1); }},
        {"ShowTime", REG_DWORD, TRegData::FromDword(2),
         [](const TRegInfo& I) { EXPECT_TRUE(I.ShowTime); }},
        {"ShowTime", REG_DWORD, TRegData::FromDword(0),
         [](const TRegInfo& I) { EXPECT_FALSE(I.ShowTime); }},
        {"ShowTime", REG_SZ, TRegData::FromString(QStringLiteral("0")),
         [](const TRegInfo& I) { EXPECT_TRUE(I.ShowTime); }},
        {"AlphaColors", REG_DWORD, TRegData::FromDword(0x100),
         [](const TRegInfo& I) { EXPECT_TRUE(I.AlphaColors); }},
        {"Wall", REG_DWORD, TRegData::FromDword(7),
         [](const TRegInfo& I) { EXPECT_EQ(I.Wall, 7); }},
        {"Shadow", REG_DWORD, TRegData::FromDword(0xFFFFFFFE),
         [](const TRegInfo& I) { EXPECT_EQ(I.Shadow, -2); }},
        {"DataFile", REG_SZ, TRegData::FromString(QString()),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("english.mdb")); }},
        {"DataFile", REG_SZ, QByteArray(),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("english.mdb")); }},
        {"DataFile", REG_EXPAND_SZ, TRegData::FromString(QStringLiteral("%HOME%/words.mdb")),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("%HOME%/words.mdb")); }},
        {"DataFile", REG_SZ, QByteArray("a\0b\0\0\0c\0\0\0", 10),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("ab")); }},
        {"DataFile", REG_SZ, QByteArray("\0\0c\0\0\0", 6),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("english.mdb")); }},
        {"DataFile", REG_DWORD, TRegData::FromDword(1),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("english.mdb")); }},
        {"DataFile", REG_MULTI_SZ, TRegData::FromString(QStringLiteral("x.mdb")),
         [](const TRegInfo& I) { EXPECT_EQ(I.DataFile, QStringLiteral("english.mdb")); }},
        {"BackgroundFile", REG_SZ, TRegData::FromString(QStringLiteral("/pics/sky.jpg")),
         [](const TRegInfo& I) { EXPECT_EQ(I.BackgroundFile, QStringLiteral("/pics/sky.jpg")); }},
        {"backgroundfile", REG_SZ, TRegData::FromString(QStringLiteral("/pics/any case.jpg")),
         [](const TRegInfo& I) {
             EXPECT_EQ(I.BackgroundFile, QStringLiteral("/pics/any case.jpg"));
         }},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(testing::Message()
                     << C.Name << " type " << C.Type << " " << C.Data.toHex().constData());
        QFile::remove(HivePath());
        Put(QLatin1String(C.Name), C.Type, C.Data);
        TRegInfo Info;
        Info.Load();
        C.Check(Info);
    }
}
