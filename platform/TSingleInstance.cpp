#include "platform/TSingleInstance.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

#include <memory>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray ShowRequest = "show";
const QByteArray LookUpRequest = "lookup ";
const QByteArray StateRequest = "state";
} // namespace

TSingleInstance::TSingleInstance(const QString& Directory, const QString& Name)
    : FDirectory(Directory.isEmpty() ? DefaultDirectory() : Directory), FName(Name)
{}

QString TSingleInstance::NameFor(const QString& SettingsFile, const QString& DefaultSettingsFile)
{
    const QString Settings = QDir::cleanPath(QFileInfo(SettingsFile).absoluteFilePath());
    if (Settings == QDir::cleanPath(QFileInfo(DefaultSettingsFile).absoluteFilePath()))
        return QLatin1String(DefaultName);
    const QByteArray Hash =
        QCryptographicHash::hash(Settings.toUtf8(), QCryptographicHash::Sha256).toHex().left(12);
    return QLatin1String(DefaultName) + QLatin1Char('-') + QString::fromLatin1(Hash);
}

TSingleInstance::~TSingleInstance()
{
    Release();
}

namespace {

// Why Path cannot hold the lock and the socket: they are safe only in a directory that is this
// user's alone. Empty when it can.
QString UnsafeBecause(const QString& Path)
{
    const QByteArray Native = QFile::encodeName(Path);
    struct stat St = {};
    if (lstat(Native.constData(), &St) != 0)
        return QCoreApplication::translate("TSingleInstance", "it cannot be looked at (%1)")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    if (S_ISLNK(St.st_mode))
        return QCoreApplication::translate("TSingleInstance", "it is a symbolic link");
    if (!S_ISDIR(St.st_mode))
        return QCoreApplication::translate("TSingleInstance", "it is not a directory");
    if (St.st_uid != geteuid())
        return QCoreApplication::translate("TSingleInstance", "it belongs to another user");
    if (St.st_mode & 077)
        return QCoreApplication::translate("TSingleInstance", "others have access to it");
    return {};
}

} // namespace

QString TSingleInstance::DefaultDirectory()
{
    // The session's runtime directory when it is a sound one; else a directory of our own, named
    // after the user's id, in the temporary directory.
    const QString Runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!Runtime.isEmpty() && QDir::isAbsolutePath(Runtime) && UnsafeBecause(Runtime).isEmpty())
        return Runtime;
    return QDir(QDir::tempPath()).filePath(QStringLiteral("vexlo-vocabulary-%1").arg(geteuid()));
}

bool TSingleInstance::CheckDirectory()
{
    FProblem.clear();
    // Made by us, for us alone, when it is not there yet.
    if (mkdir(QFile::encodeName(FDirectory).constData(), 0700) != 0 && errno != EEXIST) {
        FProblem =
            QCoreApplication::translate(
                "TSingleInstance", "The directory %1 for the single-instance lock cannot be made "
                                   "(%2); this copy runs on its own.")
                .arg(FDirectory, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (const QString Why = UnsafeBecause(FDirectory); !Why.isEmpty()) {
        FProblem =
            QCoreApplication::translate(
                "TSingleInstance", "The directory %1 for the single-instance lock is not safe: %2. "
                                   "This copy runs on its own and hands nothing over.")
                .arg(FDirectory, Why);
        return false;
    }
    return true;
}

QString TSingleInstance::LockFileName() const
{
    return QDir(FDirectory).filePath(FName);
}

QString TSingleInstance::ServerName() const
{
    return QDir(FDirectory).filePath(FName + QLatin1String(".socket"));
}

bool TSingleInstance::Acquire()
{
    if (FOwner)
        return true;
    if (!CheckDirectory()) {
        // Never a lock or a socket where another user could reach them; run without them.
        FUnsafe = true;
        FOwner = true;
        return true;
    }
    FLock = std::make_unique<QLockFile>(LockFileName());
    // Never give up a live instance's lock because of its age; a lock whose process is gone is
    // still recognised as stale and taken over.
    FLock->setStaleLockTime(0);
    if (FLock->tryLock(0)) {
        FOwner = true;
        return true;
    }
    if (FLock->error() == QLockFile::LockFailedError) {
        // Held by a live process, unless its owner died: then remove and take it.
        if (FLock->removeStaleLockFile() && FLock->tryLock(0)) {
            FOwner = true;
            return true;
        }
        FLock.reset();
        return false;
    }
    // The lock file cannot be made (no permission, no directory): run anyway.
    FLock.reset();
    FOwner = true;
    return true;
}

void TSingleInstance::Listen(std::function<void()> BringForward,
                             std::function<void(const QString&)> LookUp,
                             std::function<QByteArray()> State)
{
    FBringForward = std::move(BringForward);
    FLookUp = std::move(LookUp);
    FState = std::move(State);
    if (FServer || FUnsafe)
        return;
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // We own the lock, so a socket file left here belongs to a dead instance.
    QLocalServer::removeServer(ServerName());
    if (!FServer->listen(ServerName()))
        return;
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* Socket = FServer->nextPendingConnection()) {
            connect(Socket, &QLocalSocket::disconnected, Socket, &QObject::deleteLater);
            // A connection that says nothing is dropped after a while, and no more than a few are
            // kept: when more come, the oldest goes, so that a real request always gets through.
            FConnections.removeIf([](const QPointer<QLocalSocket>& S) { return S.isNull(); });
            while (FConnections.size() >= MaxConnections) {
                if (QLocalSocket* Oldest = FConnections.takeFirst())
                    Oldest->abort();
            }
            FConnections.append(Socket);
            auto* Idle = new QTimer(Socket);
            Idle->setSingleShot(true);
            connect(Idle, &QTimer::timeout, Socket, [Socket] {
                Socket->abort();
                Socket->deleteLater();
            });
            Idle->start(IdleTimeoutMs);
            // The request may arrive in pieces: it ends at the line break (or when the caller
            // hangs up).
            auto Buffer = std::make_shared<QByteArray>();
            auto Done = std::make_shared<bool>(false);
            auto Finish = [this, Socket, Buffer, Done] {
                if (*Done)
                    return;
                *Done = true;
                const qsizetype End = Buffer->indexOf('\n');
                const QByteArray Answer = Serve(End < 0 ? *Buffer : Buffer->left(End));
                if (!Answer.isEmpty())
                    Socket->write(Answer + '\n');
                Socket->disconnectFromServer();
            };
            connect(Socket, &QLocalSocket::readyRead, this, [Socket, Buffer, Done, Finish] {
                if (*Done)
                    return;
                Buffer->append(Socket->readAll());
                if (Buffer->contains('\n')) {
                    Finish();
                } else if (Buffer->size() > MaxRequestLength) {
                    *Done = true;
                    Socket->abort();
                }
            });
            connect(Socket, &QLocalSocket::disconnected, this, [Buffer, Done, Finish] {
                if (!*Done && !Buffer->isEmpty())
                    Finish();
            });
        }
    });
}

QByteArray TSingleInstance::Serve(const QByteArray& Request)
{
    if (Request.startsWith(LookUpRequest)) {
        if (FLookUp)
            FLookUp(QString::fromUtf8(QByteArray::fromBase64(Request.mid(LookUpRequest.size()))));
    } else if (Request.startsWith(ShowRequest)) {
        if (FBringForward)
            FBringForward();
    } else if (Request == StateRequest) {
        return FState ? FState() : QByteArray("running");
    }
    return {};
}

bool TSingleInstance::SignalRunningInstance(int TimeoutMs)
{
    return Send(ShowRequest + '\n', TimeoutMs);
}

bool TSingleInstance::SendLookUp(const QString& Text, int TimeoutMs)
{
    // Only the first line is ever looked up; a text of any length still fits the request.
    const QByteArray Request = LookUpRequest + Text.left(8192).toUtf8().toBase64() + '\n';
    if (Request.size() > MaxRequestLength)
        return false;
    return Send(Request, TimeoutMs);
}

bool TSingleInstance::Send(const QByteArray& Request, int TimeoutMs)
{
    if (FUnsafe || (!FOwner && !CheckDirectory()))
        return false;
    QLocalSocket Socket;
    Socket.connectToServer(ServerName());
    if (!Socket.waitForConnected(TimeoutMs))
        return false;
    Socket.write(Request);
    if (!Socket.waitForBytesWritten(TimeoutMs))
        return false;
    // Wait for the running instance to hang up, so that it has acted before this copy ends.
    if (Socket.state() == QLocalSocket::ConnectedState)
        Socket.waitForDisconnected(TimeoutMs);
    return true;
}

void TSingleInstance::Release()
{
    if (FServer) {
        FServer->close();
        delete FServer;
        FServer = nullptr;
    }
    if (FLock) {
        FLock->unlock();
        FLock.reset();
    }
    FOwner = false;
}
