#include "speech/TSpeechEngine.h"

#include <espeak-ng/speak_lib.h>

#include <QByteArray>
#include <QStringList>

#include <mutex>

namespace {

std::mutex& EngineLock()
{
    static std::mutex Lock;
    return Lock;
}

struct TEngineState
{
    bool Loaded = false;
    bool Failed = false;
    QString Error;
    int Rate = 22050;
    const char* Voice = nullptr;
    const TSpeechEngine::TSampleSink* Sink = nullptr;
    bool Stopped = false;
};

TEngineState& State()
{
    static TEngineState S;
    return S;
}

int SynthCallback(short* Samples, int Count, espeak_EVENT*)
{
    TEngineState& S = State();
    if (!Samples || Count <= 0 || S.Stopped || !S.Sink)
        return S.Stopped ? 1 : 0;
    if (!(*S.Sink)(Samples, Count))
        S.Stopped = true;
    return S.Stopped ? 1 : 0;
}

// Under the lock.
bool LoadLocked()
{
    TEngineState& S = State();
    if (S.Loaded)
        return true;
    if (S.Failed)
        return false;
    // Synchronous output: espeak_Synth returns when the text is done, the samples having gone
    // through the callback on this thread. 100 ms buffers keep the first samples early.
    const int Rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (Rate <= 0) {
        S.Failed = true;
        S.Error = QStringLiteral("The speech data of espeak-ng could not be loaded.");
        return false;
    }
    S.Rate = Rate;
    espeak_SetSynthCallback(SynthCallback);
    S.Loaded = true;
    S.Voice = nullptr;
    return true;
}

bool SelectVoiceLocked(TSpeechVoice Voice)
{
    TEngineState& S = State();
    const char* Name = TSpeechEngine::VoiceName(Voice);
    if (S.Voice == Name)
        return true;
    // The British voice is the Received Pronunciation one; espeak-ng's general English, which is
    // British too, stands in where a data package lacks it.
    if (espeak_SetVoiceByName(Name) != EE_OK && espeak_SetVoiceByName("en") != EE_OK) {
        S.Voice = nullptr;
        return false;
    }
    S.Voice = Name;
    return true;
}

} // namespace

namespace TSpeechEngine {

bool Available(QString* Error)
{
    std::lock_guard Guard(EngineLock());
    const bool Ok = LoadLocked() && SelectVoiceLocked(TSpeechVoice::British);
    if (!Ok && Error)
        *Error = State().Error.isEmpty()
                     ? QStringLiteral("espeak-ng has no English voice installed.")
                     : State().Error;
    return Ok;
}

const char* VoiceName(TSpeechVoice Voice)
{
    return Voice == TSpeechVoice::American ? "en-us" : "en-gb-x-rp";
}

QString Phonemes(const QString& Text, TSpeechVoice Voice)
{
    const QByteArray Utf8 = Text.simplified().toUtf8();
    if (Utf8.isEmpty())
        return {};
    std::lock_guard Guard(EngineLock());
    if (!LoadLocked() || !SelectVoiceLocked(Voice))
        return {};
    QStringList Clauses;
    const void* Rest = Utf8.constData();
    // One clause per call; the pointer moves on, and becomes null at the end of the text.
    while (Rest) {
        const char* Clause = espeak_TextToPhonemes(&Rest, espeakCHARS_UTF8, espeakPHONEMES_IPA);
        if (!Clause)
            break;
        const QString Part = QString::fromUtf8(Clause).simplified();
        if (!Part.isEmpty())
            Clauses.append(Part);
    }
    return Clauses.join(QLatin1Char(' '));
}

int SampleRate()
{
    std::lock_guard Guard(EngineLock());
    LoadLocked();
    return State().Rate;
}

bool Synthesize(const QString& Text, TSpeechVoice Voice, const TSampleSink& Sink)
{
    const QByteArray Utf8 = Text.toUtf8();
    std::lock_guard Guard(EngineLock());
    if (!LoadLocked() || !SelectVoiceLocked(Voice))
        return false;
    TEngineState& S = State();
    S.Sink = &Sink;
    S.Stopped = false;
    const espeak_ERROR Result = espeak_Synth(Utf8.constData(), size_t(Utf8.size()) + 1, 0,
                                             POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    S.Sink = nullptr;
    return Result == EE_OK;
}

QString Version()
{
    if (!Available())
        return {};
    const char* Path = nullptr;
    const char* Text = espeak_Info(&Path);
    return Text ? QString::fromLatin1(Text).section(QLatin1Char(' '), 0, 0) : QString();
}

} // namespace TSpeechEngine
