#pragma once

#include "speech/TAudioOutput.h"
#include "speech/TSpeechEngine.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Says words aloud on a thread of its own, so that the window that asks never waits. A new word
// cuts short the one still being spoken. The signals come from the speaking thread; connected to
// a window they arrive on the window's thread.
class TSpeaker : public QObject
{
    Q_OBJECT
public:
    explicit TSpeaker(QObject* Parent = nullptr);
    // The program's speaker, made on first use and ended with the application object.
    static TSpeaker* Shared();
    // Stops what is being said and waits for the speaking thread to end.
    ~TSpeaker() override;

    // Where the sound goes; by default the sound device. Tests and measurements put memory there.
    void SetOutputFactory(TAudioOutputFactory Factory);

    // Returns at once; the word is synthesised and played on the speaking thread.
    void Speak(const QString& Text, TSpeechVoice Voice);
    // Cuts short what is being said.
    void Stop();
    // True from Speak until the utterance has ended.
    bool IsSpeaking() const { return FBusy.load(); }

signals:
    // An utterance ended: heard in full, cut short, or failed.
    void Finished();
    // The word could not be said: the speech library is missing or no sound device opens.
    void Failed(const QString& Message);
    // The speech engine stopped on the text (a text the library cannot cope with); the program
    // goes on, and the engine is started again for the next word.
    void Interrupted(const QString& Message);

private:
    void Run();
    void SayOne(const QString& Text, TSpeechVoice Voice, unsigned Generation);

    std::thread FThread;
    std::mutex FLock;
    std::condition_variable FWake;
    bool FQuit = false;
    bool FPending = false;
    QString FText;
    TSpeechVoice FVoice = TSpeechVoice::British;
    TAudioOutputFactory FFactory;
    std::atomic<unsigned> FGeneration{0};
    std::atomic<bool> FBusy{false};
};
