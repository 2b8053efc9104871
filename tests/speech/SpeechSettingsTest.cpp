// The speech settings in a hand-written settings file, read and written back.
#include "settings/TSpeechSettings.h"

#include "tests/platform/HiveTestSupport.h"

namespace {

class SpeechSettingsTest : public THiveFixture
{
protected:
    QByteArray Hive(const QByteArray& Values) const
    {
        return "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary\\Speech]\r\n" +
               Values;
    }
};

TEST_F(SpeechSettingsTest, LoadTakesWhatIsValidAndKeepsTheRest)
{
    struct TCase
    {
        const char* Name;
        QByteArray Values;
        TSpeechVoice Voice;
        bool NotesSpeak;
    } const Cases[] = {
        {"american, notes speak", "\"Voice\"=dword:00000001\r\n\"Notes Speak\"=dword:00000001\r\n",
         TSpeechVoice::American, true},
        {"british, quiet notes", "\"Voice\"=dword:00000000\r\n\"Notes Speak\"=dword:00000000\r\n",
         TSpeechVoice::British, false},
        {"unknown voice number", "\"Voice\"=dword:00000007\r\n", TSpeechVoice::British, false},
        {"voice as text", "\"Voice\"=\"1\"\r\n", TSpeechVoice::British, false},
        {"empty key", "", TSpeechVoice::British, false},
    };
    for (const TCase& C : Cases) {
        WriteHive(Hive(C.Values));
        TSpeechSettings S;
        S.Load();
        EXPECT_EQ(S.Voice, C.Voice) << C.Name;
        EXPECT_EQ(S.NotesSpeak, C.NotesSpeak) << C.Name;
    }
}

TEST_F(SpeechSettingsTest, SaveWritesBothValuesAndLoadReadsThemBack)
{
    TSpeechSettings S;
    S.Voice = TSpeechVoice::American;
    S.NotesSpeak = true;
    S.Save();
    const QByteArray Text = HiveBytes();
    EXPECT_TRUE(Text.contains("[HKEY_LOCAL_MACHINE\\Software\\Norvane\\Vocabulary\\Speech]"))
        << Text.toStdString();
    EXPECT_TRUE(Text.contains("\"Voice\"=dword:00000001")) << Text.toStdString();
    EXPECT_TRUE(Text.contains("\"Notes Speak\"=dword:00000001")) << Text.toStdString();
    TSpeechSettings Back;
    Back.Load();
    EXPECT_EQ(Back.Voice, TSpeechVoice::American);
    EXPECT_TRUE(Back.NotesSpeak);
}

} // namespace
