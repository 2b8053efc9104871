#pragma once

#include "speech/TSpeechEngine.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

// espeak-ng in a process of its own, forked from this one and talking over a socket pair. The
// library aborts on some texts (a long run of letters it spells one by one, such as s's's'...),
// and hangs or crashes there must end the helper only: every call that finds the helper gone (or
// silent for longer than any text takes) ends it and says so; Start makes a new one.
// Not thread-safe: the engine calls it under its lock.
class TSpeechHelper
{
public:
    TSpeechHelper() = default;
    TSpeechHelper(const TSpeechHelper&) = delete;
    TSpeechHelper& operator=(const TSpeechHelper&) = delete;
    // Ends the helper.
    ~TSpeechHelper();

    struct THello
    {
        int Rate = 0;    // samples per second
        QString Version; // espeak-ng's, "1.51"
        QString Error;   // why the library or its English voice could not be loaded
    };
    // Starts a helper and waits for it to load the library. False (the helper ended, Error said
    // when it could) when it cannot.
    bool Start(THello& Hello);
    bool Running() const { return FPid > 0; }

    // espeak-ng's IPA for Text (UTF-8), one string per clause. False when the helper failed.
    bool Phonemes(const QByteArray& Text, const char* Voice, QList<QByteArray>& Clauses);

    enum class TOutcome
    {
        Done,    // said in full, or stopped by Sink
        Refused, // the library turned the text or the voice down
        Ended    // the helper died or hung on it, and was ended
    };
    TOutcome Synthesize(const QByteArray& Text, const char* Voice,
                        const TSpeechEngine::TSampleSink& Sink);

private:
    void End();
    bool Request(char Kind, const char* Voice, const QByteArray& Text);

    pid_t FPid = -1;
    int FSocket = -1;
};
