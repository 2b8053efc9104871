// Speaking through the real espeak-ng library into memory, and into a sound device that does not
// exist through the real pcaudiolib.
#include "speech/TSpeaker.h"

#include "MemoryOutput.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

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

} // namespace
