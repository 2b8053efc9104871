// The single-instance lock and the hand-over socket, inside one process.

#include "platform/TSingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
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
