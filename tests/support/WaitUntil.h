#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// The one way tests wait: until Condition holds, or TimeoutMs has passed (a bound for a test that
// fails, never what decides a test that passes). Meanwhile this process's event loop runs, when it
// has one, so that its own windows, sockets and bus connections are served. Returns whether
// Condition holds.
inline bool WaitUntil(const std::function<bool()>& Condition, int TimeoutMs = 10000)
{
    const QDeadlineTimer Deadline(TimeoutMs);
    while (!Deadline.hasExpired()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (Condition())
            return true;
        QThread::msleep(10);
    }
    return Condition();
}
