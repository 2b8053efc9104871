// The single-instance lock and the hand-over socket, inside one process.

#include "platform/TSingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

TEST(SingleInstanceTest, SecondAcquireFailsUntilTheFirstReleases)
{
    QTemporaryDir Dir;
    TSingleInstance First(Dir.path());
    TSingleInstance Second(Dir.path());
    ASSERT_TRUE(First.Acquire());
    EXPECT_TRUE(QFile::exists(Dir.filePath("VexloVocabularyMutex")));
    EXPECT_FALSE(Second.Acquire());
    First.Release();
    EXPECT_TRUE(Second.Acquire());
}

TEST(SingleInstanceTest, LaterStartAsksTheRunningInstanceToComeForward)
{
    QTemporaryDir Dir;
    TSingleInstance Running(Dir.path());
    ASSERT_TRUE(Running.Acquire());
    int Calls = 0;
    Running.Listen([&Calls] { ++Calls; });

    TSingleInstance Later(Dir.path());
    ASSERT_FALSE(Later.Acquire());
    std::atomic<bool> Done = false;
    std::atomic<bool> Reached = false;
    std::thread Caller([&] {
        Reached = Later.SignalRunningInstance(5000);
        Done = true;
    });
    QDeadlineTimer Deadline(5000);
    while (!Done && !Deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    Caller.join();
    EXPECT_TRUE(Reached);
    EXPECT_EQ(Calls, 1);
}

// Runs Send on another thread while this one serves the running instance's socket.
bool ServeWhile(const std::function<bool()>& Send)
{
    std::atomic<bool> Done = false;
    std::atomic<bool> Reached = false;
    std::thread Caller([&] {
        Reached = Send();
        Done = true;
    });
    QDeadlineTimer Deadline(5000);
    while (!Done && !Deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    Caller.join();
    return Reached;
}

TEST(SingleInstanceTest, LookUpHandsTheTextOverUnchanged)
{
    QTemporaryDir Dir;
    TSingleInstance Running(Dir.path());
    ASSERT_TRUE(Running.Acquire());
    int Shown = 0;
    QStringList LookedUp;
    Running.Listen([&Shown] { ++Shown; }, [&LookedUp](const QString& Text) { LookedUp << Text; });
    TSingleInstance Later(Dir.path());
    ASSERT_FALSE(Later.Acquire());
    const QString Texts[] = {"apple", "ябълка ˈæpl", "two\nlines", "", QString(20000, 'x')};
    for (const QString& Text : Texts)
        EXPECT_TRUE(ServeWhile([&] { return Later.SendLookUp(Text, 5000); }));
    EXPECT_TRUE(ServeWhile([&] { return Later.SignalRunningInstance(5000); }));
    ASSERT_EQ(LookedUp.size(), std::size(Texts));
    for (qsizetype I = 0; I < LookedUp.size() - 1; ++I)
        EXPECT_EQ(LookedUp[I], Texts[I]);
    // A very long text arrives cut, not lost.
    EXPECT_EQ(LookedUp.last(), QString(8192, 'x'));
    EXPECT_EQ(Shown, 1);
}

TEST(SingleInstanceTest, OverlongRequestIsDropped)
{
    QTemporaryDir Dir;
    TSingleInstance Running(Dir.path());
    ASSERT_TRUE(Running.Acquire());
    int Calls = 0;
    Running.Listen([&Calls] { ++Calls; }, [&Calls](const QString&) { ++Calls; });
    const bool Refused = ServeWhile([&] {
        QLocalSocket Socket;
        Socket.connectToServer(Running.ServerName());
        if (!Socket.waitForConnected(5000))
            return false;
        Socket.write("lookup " + QByteArray(TSingleInstance::MaxRequestLength + 10, 'A'));
        Socket.waitForBytesWritten(5000);
        // The instance hangs up without acting.
        return Socket.state() != QLocalSocket::ConnectedState || Socket.waitForDisconnected(5000);
    });
    EXPECT_TRUE(Refused);
    EXPECT_EQ(Calls, 0);
}

TEST(SingleInstanceTest, NobodyListeningIsReportedNotFatal)
{
    QTemporaryDir Dir;
    TSingleInstance Later(Dir.path());
    EXPECT_FALSE(Later.SignalRunningInstance(200));
}

TEST(SingleInstanceTest, LockOfADeadProcessDoesNotBlock)
{
    QTemporaryDir Dir;
    // A process that has ended leaves its number behind in a lock file.
    QProcess Gone;
    Gone.start("sh", {"-c", "echo $$"});
    ASSERT_TRUE(Gone.waitForFinished(5000));
    const qint64 DeadPid = Gone.readAllStandardOutput().trimmed().toLongLong();
    ASSERT_GT(DeadPid, 0);
    QFile Lock(Dir.filePath("VexloVocabularyMutex"));
    ASSERT_TRUE(Lock.open(QIODevice::WriteOnly));
    Lock.write(QByteArray::number(DeadPid) + "\nvexlo-vocabulary\n" +
               QHostInfo::localHostName().toUtf8() + "\n");
    Lock.close();

    TSingleInstance Next(Dir.path());
    EXPECT_TRUE(Next.Acquire());
}

TEST(SingleInstanceTest, UnusableDirectoryNeverKeepsTheProgramFromStarting)
{
    TSingleInstance Instance("/proc/no-such-place/vexlo");
    EXPECT_TRUE(Instance.Acquire());
}

} // namespace
