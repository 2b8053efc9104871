#include "speech/TSpeechEngine.h"

#include "speech/TSpeechHelper.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

#include <mutex>

namespace {

std::mutex& EngineLock()
{
    static std::mutex Lock;
    return Lock;
}

// espeak-ng runs in a helper process of its own (TSpeechHelper): some texts make the library
// overrun its buffers and abort, and that must end the helper, never the program. A helper that
// ended is started again for the next request.
struct TEngineState
{
    TSpeechHelper Helper;
    bool Failed = false; // the data or the voice cannot be loaded: no use trying again
    QString Error;
    int Rate = 22050;
    QString Version;
};

TEngineState& State()
{
    static TEngineState S;
    return S;
}

const QString EngineStopped = QCoreApplication::translate(
    "TSpeechEngine",
    "The speech engine stopped on this text; it is started again for the next one.");

// Under the lock.
bool LoadLocked()
{
    TEngineState& S = State();
    if (S.Helper.Running())
        return true;
    if (S.Failed)
        return false;
    TSpeechHelper::THello Hello;
    if (!S.Helper.Start(Hello)) {
        S.Failed = true;
        S.Error = Hello.Error.isEmpty()
                      ? QCoreApplication::translate(
                            "TSpeechEngine", "The speech data of espeak-ng could not be loaded.")
                      : Hello.Error;
        return false;
    }
    S.Rate = Hello.Rate;
    S.Version = Hello.Version;
    return true;
}

} // namespace

namespace TSpeechEngine {

bool Available(QString* Error)
{
    std::lock_guard Guard(EngineLock());
    const bool Ok = LoadLocked();
    if (!Ok && Error)
        *Error = State().Error;
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
    if (!LoadLocked())
        return {};
    QList<QByteArray> Clauses;
    if (!State().Helper.Phonemes(Utf8, VoiceName(Voice), Clauses))
        return {};
    QStringList Parts;
    for (const QByteArray& Clause : Clauses) {
        const QString Part = QString::fromUtf8(Clause).simplified();
        if (!Part.isEmpty())
            Parts.append(Part);
    }
    return Parts.join(QLatin1Char(' '));
}

int SampleRate()
{
    std::lock_guard Guard(EngineLock());
    LoadLocked();
    return State().Rate;
}

bool Synthesize(const QString& Text, TSpeechVoice Voice, const TSampleSink& Sink, QString* Error,
                bool* Ended)
{
    if (Ended)
        *Ended = false;
    const QByteArray Utf8 = Text.toUtf8();
    std::lock_guard Guard(EngineLock());
    if (!LoadLocked()) {
        if (Error)
            *Error = State().Error;
        return false;
    }
    switch (State().Helper.Synthesize(Utf8, VoiceName(Voice), Sink)) {
    case TSpeechHelper::TOutcome::Done:
        return true;
    case TSpeechHelper::TOutcome::Refused:
        if (Error)
            *Error = QCoreApplication::translate("TSpeechEngine",
                                                 "espeak-ng could not pronounce this text.");
        return false;
    case TSpeechHelper::TOutcome::Ended:
        break;
    }
    if (Error)
        *Error = EngineStopped;
    if (Ended)
        *Ended = true;
    return false;
}

QString Version()
{
    std::lock_guard Guard(EngineLock());
    return LoadLocked() ? State().Version : QString();
}

} // namespace TSpeechEngine
