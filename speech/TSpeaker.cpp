#include "speech/TSpeaker.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <vector>

TSpeaker::TSpeaker(QObject* Parent) : QObject(Parent)
{
    FFactory = [] { return CreateDeviceOutput(); };
    FThread = std::thread([this] { Run(); });
}

TSpeaker* TSpeaker::Shared()
{
    static QPointer<TSpeaker> Speaker;
    if (!Speaker)
        Speaker = new TSpeaker(QCoreApplication::instance());
    return Speaker;
}

TSpeaker::~TSpeaker()
{
    {
        std::lock_guard Guard(FLock);
        FQuit = true;
        ++FGeneration;
    }
    FWake.notify_all();
    FThread.join();
}

void TSpeaker::SetOutputFactory(TAudioOutputFactory Factory)
{
    std::lock_guard Guard(FLock);
    FFactory = Factory ? std::move(Factory) : [] { return CreateDeviceOutput(); };
}

void TSpeaker::Speak(const QString& Text, TSpeechVoice Voice)
{
    {
        std::lock_guard Guard(FLock);
        FText = Text;
        FVoice = Voice;
        FPending = true;
        FBusy = true;
        ++FGeneration;
    }
    FWake.notify_all();
}

void TSpeaker::Stop()
{
    std::lock_guard Guard(FLock);
    FPending = false;
    ++FGeneration;
}

void TSpeaker::Run()
{
    for (;;) {
        QString Text;
        TSpeechVoice Voice;
        unsigned Generation;
        {
            std::unique_lock Guard(FLock);
            FWake.wait(Guard, [this] { return FQuit || FPending; });
            if (FQuit)
                return;
            Text = FText;
            Voice = FVoice;
            Generation = FGeneration;
            FPending = false;
        }
        SayOne(Text, Voice, Generation);
        {
            std::lock_guard Guard(FLock);
            if (!FPending)
                FBusy = false;
        }
        emit Finished();
    }
}

void TSpeaker::SayOne(const QString& Text, TSpeechVoice Voice, unsigned Generation)
{
    const auto Current = [this, Generation] { return FGeneration.load() == Generation; };
    QString Error;
    if (!TSpeechEngine::Available(&Error)) {
        emit Failed(Error);
        return;
    }
    // The whole word is made first: it takes a few milliseconds, and the library stays free for
    // transcriptions asked for meanwhile.
    std::vector<int16_t> Samples;
    bool Ended = false;
    const bool Made = TSpeechEngine::Synthesize(
        Text, Voice,
        [&](const int16_t* Chunk, int Count) {
            Samples.insert(Samples.end(), Chunk, Chunk + Count);
            return Current();
        },
        &Error, &Ended);
    if (!Current())
        return;
    if (Ended) {
        emit Interrupted(Error);
        return;
    }
    if (!Made) {
        emit Failed(Error);
        return;
    }
    if (Samples.empty())
        return;

    TAudioOutputFactory Factory;
    {
        std::lock_guard Guard(FLock);
        Factory = FFactory;
    }
    std::unique_ptr<TAudioOutput> Output = Factory();
    const int Rate = TSpeechEngine::SampleRate();
    if (!Output || !Output->Open(Rate, Error)) {
        emit Failed(Error.isEmpty() ? QCoreApplication::translate(
                                          "TSpeaker", "No sound device could be opened.")
                                    : Error);
        return;
    }
    // Written in pieces of 50 ms, so that a new word or Stop cuts this one short soon.
    const size_t Piece = size_t(std::max(Rate / 20, 1));
    for (size_t At = 0; At < Samples.size(); At += Piece) {
        if (!Current()) {
            Output->Stop();
            return;
        }
        const int Count = int(std::min(Piece, Samples.size() - At));
        if (!Output->Write(Samples.data() + At, Count)) {
            Output->Stop();
            return;
        }
    }
    Output->Finish();
}
