// The single-instance lock and the hand-over socket, inside one process.

#include "platform/TSingleInstance.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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
    WaitUntil([&] { return Done.load(); }, 5000);
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
    WaitUntil([&] { return Done.load(); }, 5000);
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

// "state" is answered with one line and acts on nothing; a copy that gives no state says it runs.
TEST(SingleInstanceTest, StateIsAnsweredWithoutActing)
{
    for (const bool Given : {true, false}) {
        QTemporaryDir Dir;
        TSingleInstance Running(Dir.path());
        ASSERT_TRUE(Running.Acquire());
        int Calls = 0;
        Running.Listen([&Calls] { ++Calls; }, [&Calls](const QString&) { ++Calls; },
                       Given ? std::function<QByteArray()>([] { return "hidden clipboard 2"; })
                             : nullptr);
        QByteArray Answer;
        EXPECT_TRUE(ServeWhile([&] {
            QLocalSocket Socket;
            Socket.connectToServer(Running.ServerName());
            if (!Socket.waitForConnected(5000))
                return false;
            Socket.write("state\n");
            while (!Answer.contains('\n') && Socket.waitForReadyRead(5000))
                Answer += Socket.readAll();
            return Answer.endsWith('\n');
        }));
        EXPECT_EQ(Answer, Given ? "hidden clipboard 2\n" : "running\n");
        EXPECT_EQ(Calls, 0);
    }
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

// The lock and the socket live only in a directory that is this user's alone. Any other is
// refused with a message, and then nothing is handed over (nor listened for) there.
TEST(SingleInstanceTest, DirectoryMustBeTheUsersAlone)
{
    QTemporaryDir Dir;
    const QString Own = Dir.filePath("own");
    ASSERT_TRUE(QDir().mkdir(Own));
    QFile::setPermissions(Own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const bool Root = geteuid() == 0;
    struct TCase
    {
        const char* Name;
        std::function<QString()> Make; // returns the directory to use; empty: skip
        const char* Problem;           // part of the message; empty: accepted
    };
    const TCase Cases[] = {
        {"own and closed", [&] { return Own; }, ""},
        {"missing: made for us alone", [&] { return Dir.filePath("new"); }, ""},
        {"open to others",
         [&] {
             const QString D = Dir.filePath("open");
             QDir().mkdir(D);
             chmod(QFile::encodeName(D).constData(), 0755);
             return D;
         },
         "others have access to it"},
        {"a link to our own",
         [&] {
             QFile::link(Own, Dir.filePath("link"));
             return Dir.filePath("link");
         },
         "it is a symbolic link"},
        {"a file",
         [&] {
             QFile F(Dir.filePath("file"));
             F.open(QIODevice::WriteOnly);
             return F.fileName();
         },
         "it is not a directory"},
        {"made first by another user",
         [&]() -> QString {
             if (!Root)
                 return {};
             // A second real user makes the directory, closed, before we start.
             chmod(QFile::encodeName(Dir.path()).constData(), 0777);
             const QString D = Dir.filePath("taken");
             QProcess Other;
             Other.start("runuser", {"-u", "nobody", "--", "mkdir", "-m", "0700", D});
             if (!Other.waitForFinished(10000) || Other.exitCode() != 0)
                 return {};
             return D;
         },
         "it belongs to another user"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const QString Path = C.Make();
        if (Path.isEmpty()) {
            std::printf("skipped \"%s\": needs root and runuser\n", C.Name);
            continue;
        }
        TSingleInstance Instance(Path);
        EXPECT_TRUE(Instance.Acquire()) << "the program runs in any case";
        int Calls = 0;
        Instance.Listen([&] { ++Calls; });
        if (!*C.Problem) {
            EXPECT_TRUE(Instance.Problem().isEmpty()) << Instance.Problem().toStdString();
            struct stat St = {};
            ASSERT_EQ(lstat(QFile::encodeName(Path).constData(), &St), 0);
            EXPECT_EQ(St.st_mode & 0777, 0700u);
            EXPECT_TRUE(QFile::exists(Instance.LockFileName()));
            continue;
        }
        EXPECT_TRUE(Instance.Problem().contains(Path)) << Instance.Problem().toStdString();
        EXPECT_TRUE(Instance.Problem().contains(C.Problem)) << Instance.Problem().toStdString();
        EXPECT_FALSE(QFile::exists(Instance.LockFileName()));
        EXPECT_FALSE(QFile::exists(Instance.ServerName()));
        // A later start never talks to whatever listens there.
        TSingleInstance Later(Path);
        EXPECT_FALSE(Later.SendLookUp("my secret search", 500));
        EXPECT_FALSE(Later.Problem().isEmpty());
    }
}

// Without a runtime directory the fallback carries the user's id and is made closed.
TEST(SingleInstanceTest, FallbackDirectoryIsNamedAfterTheUser)
{
    QTemporaryDir Tmp;
    const QByteArray SavedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray SavedTmp = qgetenv("TMPDIR");
    for (const char* Runtime : {"", "relative/dir", "/proc/self"}) {
        SCOPED_TRACE(Runtime);
        if (*Runtime)
            qputenv("XDG_RUNTIME_DIR", Runtime);
        else
            qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(Tmp.path()));
        EXPECT_EQ(TSingleInstance::DefaultDirectory(),
                  Tmp.filePath(QStringLiteral("vexlo-vocabulary-%1").arg(geteuid())));
    }
    qputenv("XDG_RUNTIME_DIR", SavedRuntime);
    qputenv("TMPDIR", SavedTmp);
}

// Connections that never finish a request are dropped after a while, and never more than a few
// are kept: thousands of them from another process neither use up this one's file handles nor
// keep a real request out.
TEST(SingleInstanceTest, IdleConnectionsTimeOutAndAreCapped)
{
    QTemporaryDir Dir;
    TSingleInstance Running(Dir.path());
    ASSERT_TRUE(Running.Acquire());
    QStringList LookedUp;
    Running.Listen([] {}, [&](const QString& Text) { LookedUp << Text; });
    const TScopedValue Timeout(TSingleInstance::IdleTimeoutMs, 500);
    auto OpenHandles = [] { return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot).size(); };
    const qsizetype HandlesBefore = OpenHandles();

    // The other process opens its connections and says nothing.
    constexpr int Idle = 2000;
    int Ready[2];
    ASSERT_EQ(pipe(Ready), 0);
    const QByteArray Name = QFile::encodeName(Running.ServerName());
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        sockaddr_un Address = {};
        Address.sun_family = AF_UNIX;
        std::strncpy(Address.sun_path, Name.constData(), sizeof(Address.sun_path) - 1);
        int Opened = 0;
        for (int I = 0; I < Idle; ++I) {
            const int S = socket(AF_UNIX, SOCK_STREAM, 0);
            if (S < 0 || connect(S, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) != 0)
                break;
            ++Opened;
        }
        [[maybe_unused]] auto W = write(Ready[1], &Opened, sizeof(Opened));
        pause();
        _exit(0);
    }
    close(Ready[1]);
    int Opened = 0;
    qsizetype MostHandles = 0;
    QDeadlineTimer Deadline(60000);
    while (!Deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        MostHandles = std::max(MostHandles, OpenHandles());
        pollfd P = {Ready[0], POLLIN, 0};
        if (poll(&P, 1, 0) == 1) {
            [[maybe_unused]] auto R = read(Ready[0], &Opened, sizeof(Opened));
            break;
        }
    }
    close(Ready[0]);
    EXPECT_EQ(Opened, Idle);
    // A real request gets through while they are held.
    TSingleInstance Later(Dir.path());
    EXPECT_TRUE(ServeWhile([&] { return Later.SendLookUp("advice", 5000); }));
    EXPECT_EQ(LookedUp, QStringList{"advice"});
    MostHandles = std::max(MostHandles, OpenHandles());
    EXPECT_LE(MostHandles - HandlesBefore, TSingleInstance::MaxConnections + 8);
    // And after the timeout none of them is left here.
    WaitUntil([&] { return OpenHandles() - HandlesBefore <= 2; },
              TSingleInstance::IdleTimeoutMs + 5000);
    EXPECT_LE(OpenHandles() - HandlesBefore, 2);
    kill(Child, SIGKILL);
    waitpid(Child, nullptr, 0);
}

} // namespace
