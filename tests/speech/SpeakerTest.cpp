// Speaking through the real espeak-ng library into memory, and into a sound device that does not
// exist through the real pcaudiolib.
#include "speech/TSpeaker.h"
#include "speech/TTranscription.h"

#include "MemoryOutput.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

QCoreApplication* TestApp()
{
    static int Argc = 1;
    static char Arg0[] = "speech-test";
    static char* Argv[] = {Arg0, nullptr};
    static QCoreApplication* App = new QCoreApplication(Argc, Argv);
    return App;
}

class SpeakerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        Speaker.SetOutputFactory(MemoryOutputFactory(Rec));
    }
    // Waits for the given number of Finished signals, the event loop running meanwhile.
    bool WaitFinished(QSignalSpy& Spy, int Count = 1)
    {
        for (int I = 0; I < 200 && Spy.count() < Count; ++I)
            Spy.wait(50);
        return Spy.count() >= Count;
    }

    TRecording Rec;
    TSpeaker Speaker;
};

TEST_F(SpeakerTest, WordsAreHeardWithAPlausibleLength)
{
    struct TWord
    {
        const char* Text;
        TSpeechVoice Voice;
        double Shortest, Longest; // seconds
    } const Words[] = {
        {"cat", TSpeechVoice::British, 0.2, 1.5},
        {"vocabulary", TSpeechVoice::British, 0.5, 2.5},
        {"vocabulary", TSpeechVoice::American, 0.5, 2.5},
        {"look after the children", TSpeechVoice::British, 1.0, 4.0},
    };
    QSignalSpy Done(&Speaker, &TSpeaker::Finished);
    QSignalSpy Failed(&Speaker, &TSpeaker::Failed);
    for (const TWord& W : Words) {
        Done.clear();
        Speaker.Speak(QString::fromUtf8(W.Text), W.Voice);
        ASSERT_TRUE(WaitFinished(Done)) << W.Text;
        EXPECT_TRUE(Rec.Finished) << W.Text;
        EXPECT_GT(Rec.Peak(), 3000) << W.Text;
        EXPECT_GE(Rec.Seconds(), W.Shortest) << W.Text;
        EXPECT_LE(Rec.Seconds(), W.Longest) << W.Text;
    }
    EXPECT_EQ(Failed.count(), 0);
    EXPECT_FALSE(Speaker.IsSpeaking());
}

TEST_F(SpeakerTest, SpeakReturnsWhileTheSoundIsStillBeingMade)
{
    // The output holds the speaking thread at Open: Speak must have returned all the same, and the
    // caller's event loop keeps running until the sound is let go.
    Rec.Hold = true;
    QSignalSpy Done(&Speaker, &TSpeaker::Finished);
    Speaker.Speak(QStringLiteral("pronunciation"), TSpeechVoice::British);
    EXPECT_TRUE(Speaker.IsSpeaking());
    {
        std::unique_lock Guard(Rec.Lock);
        ASSERT_TRUE(Rec.Changed.wait_for(Guard, std::chrono::seconds(10),
                                         [this] { return Rec.Opened == 1; }));
    }
    bool Ticked = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { Ticked = true; }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Ticked);
    EXPECT_EQ(Done.count(), 0);
    Rec.Release();
    ASSERT_TRUE(WaitFinished(Done));
    EXPECT_GT(Rec.Peak(), 3000);
}

TEST_F(SpeakerTest, ANewWordCutsShortTheOneBeingSaid)
{
    Rec.Hold = true;
    QSignalSpy Done(&Speaker, &TSpeaker::Finished);
    Speaker.Speak(QStringLiteral("incomprehensibilities"), TSpeechVoice::British);
    {
        std::unique_lock Guard(Rec.Lock);
        ASSERT_TRUE(Rec.Changed.wait_for(Guard, std::chrono::seconds(10),
                                         [this] { return Rec.Opened == 1; }));
    }
    Speaker.Speak(QStringLiteral("cat"), TSpeechVoice::British);
    Rec.Release();
    ASSERT_TRUE(WaitFinished(Done, 2));
    EXPECT_TRUE(Rec.Stopped);
    EXPECT_EQ(Rec.Opened, 2);
    // What is left is the short word alone.
    EXPECT_LE(Rec.Seconds(), 1.5);
    EXPECT_GT(Rec.Peak(), 3000);
}

TEST_F(SpeakerTest, NoSoundDeviceIsReportedAndNothingElseBreaks)
{
    // The real output library, asked for a device that no machine has.
    Speaker.SetOutputFactory(
        [] { return CreateDeviceOutput(QStringLiteral("vexlo-no-such-device")); });
    QSignalSpy Done(&Speaker, &TSpeaker::Finished);
    QSignalSpy Failed(&Speaker, &TSpeaker::Failed);
    Speaker.Speak(QStringLiteral("cat"), TSpeechVoice::British);
    ASSERT_TRUE(WaitFinished(Done));
    ASSERT_EQ(Failed.count(), 1);
    const QString Message = Failed.at(0).at(0).toString();
    EXPECT_TRUE(Message.contains(QStringLiteral("sound device"))) << Message.toStdString();
    EXPECT_FALSE(Speaker.IsSpeaking());
    // The speaker goes on working once a device is there.
    Speaker.SetOutputFactory(MemoryOutputFactory(Rec));
    Speaker.Speak(QStringLiteral("cat"), TSpeechVoice::British);
    ASSERT_TRUE(WaitFinished(Done, 2));
    EXPECT_EQ(Failed.count(), 1);
    EXPECT_GT(Rec.Peak(), 3000);
}

// Texts on which espeak-ng 1.51 overruns a buffer and aborts: a long run of letters it spells one
// by one inside one word (s's's'..., s.s.s..., S?S?...). Speaking them and asking for their
// transcription must leave the program running and the engine working for the next word. The
// whole run happens in a child process (a death test), so that an abort fails this test instead
// of ending the test program.
int SayHostileTextsThenAWord()
{
    TestApp();
    const QString Texts[] = {
        QStringLiteral("s'").repeated(70),
        QStringLiteral("s.").repeated(100),
        QStringLiteral("S?").repeated(100),
        QStringLiteral("look up ") + QStringLiteral("s'").repeated(120) + QStringLiteral(" now"),
    };
    TRecording Rec;
    TSpeaker Speaker;
    Speaker.SetOutputFactory(MemoryOutputFactory(Rec));
    QSignalSpy Done(&Speaker, &TSpeaker::Finished);
    QSignalSpy Interrupted(&Speaker, &TSpeaker::Interrupted);
    const auto Wait = [&](int Count) {
        for (int I = 0; I < 400 && Done.count() < Count; ++I)
            Done.wait(50);
        return Done.count() >= Count;
    };
    int Said = 0;
    for (const QString& Text : Texts) {
        // The transcription is asked for on this thread, the way the editor asks.
        TTranscription::Suggest(Text, TSpeechVoice::British);
        if (TTranscription::Suggest(QStringLiteral("cat"), TSpeechVoice::British) !=
            QStringLiteral("kæt")) {
            std::fprintf(stderr, "no transcription after %s\n", qPrintable(Text.left(20)));
            return 2;
        }
        Speaker.Speak(Text, TSpeechVoice::British);
        if (!Wait(++Said))
            return 3;
        Speaker.Speak(QStringLiteral("cat"), TSpeechVoice::British);
        if (!Wait(++Said) || Rec.Peak() < 3000) {
            std::fprintf(stderr, "nothing said after %s\n", qPrintable(Text.left(20)));
            return 4;
        }
    }
    // Each stop was told once, with what happens next.
    if (Interrupted.count() < 1 || Interrupted.count() > int(std::size(Texts)) ||
        !Interrupted.at(0).at(0).toString().contains(QStringLiteral("started again")))
        return 5;
    return 0;
}

TEST(HostileSpeech, TextsThatBreakTheLibraryNeverEndTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(SayHostileTextsThenAWord()), ::testing::ExitedWithCode(0), "");
}

} // namespace
