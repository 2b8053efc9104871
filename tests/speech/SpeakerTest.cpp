// Speaking through the real espeak-ng library into memory, and into a sound device that does not
// exist through the real pcaudiolib.
#include "speech/TSpeaker.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

QCoreApplication* TestApp()
{
    static int Argc = 1;
    static char Arg0[] = "speech-test";
    static char* Argv[] = {Arg0, nullptr};
    static QCoreApplication* App = new QCoreApplication(Argc, Argv);
    return App;
}

// What the speaking thread wrote, shared with the test. Open can be held until the test lets go.
struct TRecording
{
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<int16_t> Samples;
    int Rate = 0;
    int Opened = 0;
    bool Finished = false;
    bool Stopped = false;
    bool Hold = false;

    void Release()
    {
        std::lock_guard Guard(Lock);
        Hold = false;
        Changed.notify_all();
    }
};

class TMemoryOutput final : public TAudioOutput
{
public:
    explicit TMemoryOutput(TRecording& R) : FR(R) {}
    bool Open(int SampleRate, QString&) override
    {
        std::unique_lock Guard(FR.Lock);
        ++FR.Opened;
        FR.Rate = SampleRate;
        FR.Samples.clear();
        FR.Changed.notify_all();
        FR.Changed.wait(Guard, [this] { return !FR.Hold; });
        return true;
    }
    bool Write(const int16_t* Samples, int Count) override
    {
        std::lock_guard Guard(FR.Lock);
        FR.Samples.insert(FR.Samples.end(), Samples, Samples + Count);
        return true;
    }
    void Finish() override
    {
        std::lock_guard Guard(FR.Lock);
        FR.Finished = true;
    }
    void Stop() override
    {
        std::lock_guard Guard(FR.Lock);
        FR.Stopped = true;
    }

private:
    TRecording& FR;
};

class SpeakerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        Speaker.SetOutputFactory([this] { return std::make_unique<TMemoryOutput>(Rec); });
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

double Seconds(const TRecording& R)
{
    return R.Rate > 0 ? double(R.Samples.size()) / R.Rate : 0.0;
}

int Peak(const std::vector<int16_t>& Samples)
{
    int Result = 0;
    for (int16_t S : Samples)
        Result = std::max(Result, std::abs(int(S)));
    return Result;
}

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
        std::lock_guard Guard(Rec.Lock);
        EXPECT_TRUE(Rec.Finished) << W.Text;
        EXPECT_GT(Peak(Rec.Samples), 3000) << W.Text;
        EXPECT_GE(Seconds(Rec), W.Shortest) << W.Text;
        EXPECT_LE(Seconds(Rec), W.Longest) << W.Text;
        Rec.Finished = false;
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
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { Ticked = true; },
                              Qt::QueuedConnection);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Ticked);
    EXPECT_EQ(Done.count(), 0);
    Rec.Release();
    ASSERT_TRUE(WaitFinished(Done));
    std::lock_guard Guard(Rec.Lock);
    EXPECT_GT(Peak(Rec.Samples), 3000);
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
    std::lock_guard Guard(Rec.Lock);
    EXPECT_TRUE(Rec.Stopped);
    EXPECT_EQ(Rec.Opened, 2);
    // What is left is the short word alone.
    EXPECT_LE(Seconds(Rec), 1.5);
    EXPECT_GT(Peak(Rec.Samples), 3000);
}

TEST_F(SpeakerTest, NoSoundDeviceIsReportedAndNothingElseBreaks)
{
    // The real output library, asked for a device that no machine has.
    Speaker.SetOutputFactory([] { return CreateDeviceOutput(QStringLiteral("vexlo-no-such-device")); });
    QSignalSpy Done(&Speaker, &TSpeaker::Finished);
    QSignalSpy Failed(&Speaker, &TSpeaker::Failed);
    Speaker.Speak(QStringLiteral("cat"), TSpeechVoice::British);
    ASSERT_TRUE(WaitFinished(Done));
    ASSERT_EQ(Failed.count(), 1);
    const QString Message = Failed.at(0).at(0).toString();
    EXPECT_TRUE(Message.contains(QStringLiteral("sound device"))) << Message.toStdString();
    EXPECT_FALSE(Speaker.IsSpeaking());
    // The speaker goes on working once a device is there.
    Speaker.SetOutputFactory([this] { return std::make_unique<TMemoryOutput>(Rec); });
    Speaker.Speak(QStringLiteral("cat"), TSpeechVoice::British);
    ASSERT_TRUE(WaitFinished(Done, 2));
    EXPECT_EQ(Failed.count(), 1);
    std::lock_guard Guard(Rec.Lock);
    EXPECT_GT(Peak(Rec.Samples), 3000);
}

} // namespace
