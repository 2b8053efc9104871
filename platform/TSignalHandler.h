#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns the signals that ask a program to end (SIGTERM from a logout or `kill`, SIGHUP when its
// terminal goes, SIGINT from Ctrl+C) into a call on the event loop, where the program can end as
// its own close command does. The signal handler itself only writes the signal's number into a
// socket pair; a notifier on the other end runs OnSignal. One handler per process.
class TSignalHandler : public QObject
{
    Q_OBJECT

public:
    explicit TSignalHandler(std::function<void(int Signal)> OnSignal, QObject* Parent = nullptr);
    // Restores the signals' previous handlers.
    ~TSignalHandler() override;
    TSignalHandler(const TSignalHandler&) = delete;
    TSignalHandler& operator=(const TSignalHandler&) = delete;

private:
    std::function<void(int)> FOnSignal;
    QSocketNotifier* FNotifier = nullptr;
};
