#include "speech/TSpeechHelper.h"

#include <espeak-ng/speak_lib.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>

namespace {

// The longest the helper may stay silent while it works on a request: far more than any text
// takes, so that only a helper that hangs meets it.
constexpr int SilenceLimitMs = 20000;

constexpr char KindPhonemes = 'P';
constexpr char KindSynthesize = 'S';
constexpr uint32_t EndOfClauses = 0xFFFFFFFFu;
constexpr int32_t EndDone = -1;
constexpr int32_t EndRefused = -2;

bool SendAll(int Fd, const void* Data, size_t Size)
{
    const char* At = static_cast<const char*>(Data);
    while (Size > 0) {
        const ssize_t Sent = ::send(Fd, At, Size, MSG_NOSIGNAL);
        if (Sent < 0 && errno == EINTR)
            continue;
        if (Sent <= 0)
            return false;
        At += Sent;
        Size -= size_t(Sent);
    }
    return true;
}

// TimeoutMs < 0: waits as long as it takes.
bool ReceiveAll(int Fd, void* Data, size_t Size, int TimeoutMs)
{
    char* At = static_cast<char*>(Data);
    while (Size > 0) {
        if (TimeoutMs >= 0) {
            pollfd Poll{Fd, POLLIN, 0};
            const int Ready = ::poll(&Poll, 1, TimeoutMs);
            if (Ready < 0 && errno == EINTR)
                continue;
            if (Ready <= 0)
                return false;
        }
        const ssize_t Got = ::recv(Fd, At, Size, 0);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0)
            return false;
        At += Got;
        Size -= size_t(Got);
    }
    return true;
}

template <typename T> bool Send(int Fd, T Value)
{
    return SendAll(Fd, &Value, sizeof Value);
}

template <typename T> bool Receive(int Fd, T& Value, int TimeoutMs)
{
    return ReceiveAll(Fd, &Value, sizeof Value, TimeoutMs);
}

bool SendBytes(int Fd, const char* Data, size_t Size)
{
    return Send(Fd, uint32_t(Size)) && SendAll(Fd, Data, Size);
}

bool ReceiveBytes(int Fd, std::string& Bytes, int TimeoutMs)
{
    uint32_t Size = 0;
    if (!Receive(Fd, Size, TimeoutMs) || Size > (64u << 20))
        return false;
    Bytes.resize(Size);
    return ReceiveAll(Fd, Bytes.data(), Size, TimeoutMs);
}

// ---- The helper's side. Plain C++ and the library only: nothing of Qt runs in the fork. ----

struct TServer
{
    int Fd = -1;
    std::string Voice;
    bool Stopped = false;
    bool Lost = false;
};

TServer Server;

bool SelectVoice(const std::string& Name)
{
    if (Server.Voice == Name)
        return true;
    // The British voice is the Received Pronunciation one; espeak-ng's general English, which is
    // British too, stands in where a data package lacks it.
    if (espeak_SetVoiceByName(Name.c_str()) != EE_OK && espeak_SetVoiceByName("en") != EE_OK) {
        Server.Voice.clear();
        return false;
    }
    Server.Voice = Name;
    return true;
}

int ServeSamples(short* Samples, int Count, espeak_EVENT*)
{
    if (Server.Stopped || Server.Lost)
        return 1;
    if (!Samples || Count <= 0)
        return 0;
    char Go = 0;
    if (!Send(Server.Fd, int32_t(Count)) ||
        !SendAll(Server.Fd, Samples, size_t(Count) * sizeof(short)) ||
        !Receive(Server.Fd, Go, -1)) {
        Server.Lost = true;
        return 1;
    }
    Server.Stopped = Go == 0;
    return Server.Stopped ? 1 : 0;
}

[[noreturn]] void Serve(int Fd)
{
    Server.Fd = Fd;
    const int Rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (Rate <= 0) {
        const char Why[] = "The speech data of espeak-ng could not be loaded.";
        Send(Fd, int32_t(0)) && SendBytes(Fd, Why, sizeof Why - 1);
        ::_exit(1);
    }
    if (!SelectVoice(TSpeechEngine::VoiceName(TSpeechVoice::British))) {
        const char Why[] = "espeak-ng has no English voice installed.";
        Send(Fd, int32_t(0)) && SendBytes(Fd, Why, sizeof Why - 1);
        ::_exit(1);
    }
    espeak_SetSynthCallback(ServeSamples);
    const char* Path = nullptr;
    const std::string Info = espeak_Info(&Path) ? espeak_Info(&Path) : "";
    const std::string Version = Info.substr(0, Info.find(' '));
    if (!Send(Fd, int32_t(Rate)) || !SendBytes(Fd, Version.data(), Version.size()))
        ::_exit(1);

    for (;;) {
        char Kind = 0;
        std::string Voice, Text;
        // The program closing its end (or ending) ends the helper.
        if (!Receive(Fd, Kind, -1) || !ReceiveBytes(Fd, Voice, -1) || !ReceiveBytes(Fd, Text, -1))
            ::_exit(0);
        const bool Voiced = SelectVoice(Voice);
        if (Kind == KindPhonemes) {
            if (!Send(Fd, char(Voiced)))
                ::_exit(0);
            const void* Rest = Voiced ? Text.c_str() : nullptr;
            // One clause per call; the pointer moves on, and becomes null at the end of the text.
            while (Rest) {
                const char* Clause =
                    espeak_TextToPhonemes(&Rest, espeakCHARS_UTF8, espeakPHONEMES_IPA);
                if (!Clause)
                    break;
                if (!SendBytes(Fd, Clause, std::strlen(Clause)))
                    ::_exit(0);
            }
            if (!Send(Fd, EndOfClauses))
                ::_exit(0);
        } else {
            Server.Stopped = false;
            Server.Lost = false;
            const bool Said =
                Voiced && espeak_Synth(Text.c_str(), Text.size() + 1, 0, POS_CHARACTER, 0,
                                       espeakCHARS_UTF8, nullptr, nullptr) == EE_OK;
            if (Server.Lost || !Send(Fd, Said ? EndDone : EndRefused))
                ::_exit(0);
        }
    }
}

// In the fork: the program's signal handlers and descriptors are not the helper's.
void BecomeHelper(int Fd)
{
    for (int Signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGCHLD, SIGUSR1, SIGUSR2})
        ::signal(Signal, SIG_DFL);
    sigset_t None;
    sigemptyset(&None);
    ::pthread_sigmask(SIG_SETMASK, &None, nullptr);
    // Every descriptor but the standard ones and the socket: the data file, the window system's
    // connection, locks and pipes stay the program's alone.
    if (Fd > 3)
        ::close_range(3, unsigned(Fd - 1), 0);
    ::close_range(unsigned(Fd + 1), ~0u, 0);
    Serve(Fd);
}

} // namespace

TSpeechHelper::~TSpeechHelper()
{
    End();
}

void TSpeechHelper::End()
{
    if (FSocket >= 0)
        ::close(FSocket);
    FSocket = -1;
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        while (::waitpid(FPid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    FPid = -1;
}

bool TSpeechHelper::Start(THello& Hello)
{
    End();
    int Pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Pair) != 0) {
        Hello.Error = QCoreApplication::translate("TSpeechHelper",
                                                  "The speech engine could not be started: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const pid_t Pid = ::fork();
    if (Pid == 0) {
        ::close(Pair[0]);
        BecomeHelper(Pair[1]);
    }
    const int ForkError = errno;
    ::close(Pair[1]);
    if (Pid < 0) {
        ::close(Pair[0]);
        Hello.Error = QCoreApplication::translate("TSpeechHelper",
                                                  "The speech engine could not be started: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(ForkError)));
        return false;
    }
    FPid = Pid;
    FSocket = Pair[0];
    int32_t Rate = 0;
    std::string Text;
    if (!Receive(FSocket, Rate, SilenceLimitMs) || !ReceiveBytes(FSocket, Text, SilenceLimitMs)) {
        End();
        return false;
    }
    if (Rate <= 0) {
        Hello.Error = QString::fromStdString(Text);
        End();
        return false;
    }
    Hello.Rate = Rate;
    Hello.Version = QString::fromStdString(Text);
    return true;
}

bool TSpeechHelper::Request(char Kind, const char* Voice, const QByteArray& Text)
{
    return Running() && Send(FSocket, Kind) && SendBytes(FSocket, Voice, std::strlen(Voice)) &&
           SendBytes(FSocket, Text.constData(), size_t(Text.size()));
}

bool TSpeechHelper::Phonemes(const QByteArray& Text, const char* Voice, QList<QByteArray>& Clauses)
{
    char Voiced = 0;
    if (!Request(KindPhonemes, Voice, Text) || !Receive(FSocket, Voiced, SilenceLimitMs)) {
        End();
        return false;
    }
    for (;;) {
        uint32_t Size = 0;
        if (!Receive(FSocket, Size, SilenceLimitMs) ||
            (Size != EndOfClauses && Size > (64u << 20))) {
            End();
            return false;
        }
        if (Size == EndOfClauses)
            return Voiced != 0;
        QByteArray Clause(qsizetype(Size), Qt::Uninitialized);
        if (!ReceiveAll(FSocket, Clause.data(), Size, SilenceLimitMs)) {
            End();
            return false;
        }
        Clauses.append(Clause);
    }
}

TSpeechHelper::TOutcome TSpeechHelper::Synthesize(const QByteArray& Text, const char* Voice,
                                                  const TSpeechEngine::TSampleSink& Sink)
{
    if (!Request(KindSynthesize, Voice, Text)) {
        End();
        return TOutcome::Ended;
    }
    std::vector<int16_t> Samples;
    for (;;) {
        int32_t Count = 0;
        if (!Receive(FSocket, Count, SilenceLimitMs) || Count < EndRefused || Count > (1 << 24)) {
            End();
            return TOutcome::Ended;
        }
        if (Count == EndDone)
            return TOutcome::Done;
        if (Count == EndRefused)
            return TOutcome::Refused;
        Samples.resize(size_t(Count));
        if (!ReceiveAll(FSocket, Samples.data(), size_t(Count) * sizeof(int16_t), SilenceLimitMs) ||
            !Send(FSocket, char(Sink(Samples.data(), Count) ? 1 : 0))) {
            End();
            return TOutcome::Ended;
        }
    }
}
