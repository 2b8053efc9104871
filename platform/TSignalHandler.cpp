#include "platform/TSignalHandler.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int Signals[] = {SIGTERM, SIGHUP, SIGINT};
int Pair[2] = {-1, -1};
struct sigaction Previous[NSIG];

void Caught(int Signal)
{
    const int SavedErrno = errno;
    const unsigned char Number = static_cast<unsigned char>(Signal);
    // Nothing but a write may happen here; a full pair loses nothing that matters.
    [[maybe_unused]] const ssize_t Written = ::write(Pair[0], &Number, 1);
    errno = SavedErrno;
}

} // namespace

TSignalHandler::TSignalHandler(std::function<void(int)> OnSignal, QObject* Parent)
    : QObject(Parent), FOnSignal(std::move(OnSignal))
{
    if (Pair[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Pair) != 0)
            return;
    }
    FNotifier = new QSocketNotifier(Pair[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        unsigned char Number = 0;
        while (::read(Pair[1], &Number, 1) == 1)
            if (FOnSignal)
                FOnSignal(Number);
    });
    for (int Signal : Signals) {
        struct sigaction Action = {};
        Action.sa_handler = Caught;
        sigemptyset(&Action.sa_mask);
        Action.sa_flags = SA_RESTART;
        ::sigaction(Signal, &Action, &Previous[Signal]);
    }
}

TSignalHandler::~TSignalHandler()
{
    for (int Signal : Signals)
        ::sigaction(Signal, &Previous[Signal], nullptr);
}
