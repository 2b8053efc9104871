#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// Where spoken samples go: 16-bit signed mono at a given rate. One object plays one utterance:
// Open, Write as often as needed, Finish (waits until everything has been heard) or Stop (drops
// what is queued). Used from the speaking thread only.
class TAudioOutput
{
public:
    virtual ~TAudioOutput() = default;
    // False, with a message for the user in Error, when no sound device can be opened.
    virtual bool Open(int SampleRate, QString& Error) = 0;
    virtual bool Write(const int16_t* Samples, int Count) = 0;
    virtual void Finish() = 0;
    virtual void Stop() = 0;
};

using TAudioOutputFactory = std::function<std::unique_ptr<TAudioOutput>()>;

// The sound device through pcaudiolib: PulseAudio when a server runs, else ALSA. Device names the
// output (a PulseAudio sink or an ALSA device); empty is the default one.
std::unique_ptr<TAudioOutput> CreateDeviceOutput(const QString& Device = QString());
