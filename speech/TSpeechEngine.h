#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// The English voices the program speaks with.
enum class TSpeechVoice : int32_t
{
    British = 0,
    American = 1
};

// espeak-ng's library, loaded on first use in a helper process of its own (TSpeechHelper), so
// that a text the library cannot cope with ends the helper, never the program; the next call
// starts a new one. Every call here is serialised; callers on any thread are safe. Nothing here plays
// sound: synthesis hands out samples, the caller decides where they go (TSpeaker, tests).
namespace TSpeechEngine {

// Loads the library's data on first call. False, with a message in Error, when the data cannot be
// found or the voice cannot be loaded.
bool Available(QString* Error = nullptr);

// The library's version ("1.51"); empty when it is not available.
QString Version();

// espeak-ng's name of a voice.
const char* VoiceName(TSpeechVoice Voice);

// The pronunciation of Text in espeak-ng's IPA, words separated by single blanks, clauses too.
// Empty when Text has nothing to say or the library is not available.
QString Phonemes(const QString& Text, TSpeechVoice Voice);

// Samples per second of the synthesised sound (16-bit signed, mono).
int SampleRate();

// Synthesises Text and hands the samples to Sink as they are made; Sink returns false to stop.
// False when the library is not available or the synthesis failed, with the reason in Error;
// Ended tells whether the engine's process stopped on the text (it is started again next time).
using TSampleSink = std::function<bool(const int16_t* Samples, int Count)>;
bool Synthesize(const QString& Text, TSpeechVoice Voice, const TSampleSink& Sink,
                QString* Error = nullptr, bool* Ended = nullptr);

} // namespace TSpeechEngine
