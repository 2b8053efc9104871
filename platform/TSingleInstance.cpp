#include "platform/TSingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
const char* const LockName = "VexloVocabularyMutex";
const char* const SocketName = "VexloVocabularyMutex.socket";
const QByteArray ShowRequest = "show\n";
} // namespace

TSingleInstance::TSingleInstance(const QString& Directory)
    : FDirectory(Directory.isEmpty() ? DefaultDirectory() : Directory)
{}

TSingleInstance::~TSingleInstance()
{
    Release();
}

QString TSingleInstance::DefaultDirectory()
{
    QString Dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (Dir.isEmpty())
        Dir = QDir::tempPath();
    return Dir;
}

QString TSingleInstance::LockFileName() const
{
    return QDir(FDirectory).filePath(LockName);
}

QString TSingleInstance::ServerName() const
{
    return QDir(FDirectory).filePath(SocketName);
}

bool TSingleInstance::Acquire()
{
    if (FOwner)
        return true;
    QDir().mkpath(FDirectory);
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

void TSingleInstance::Listen(std::function<void()> BringForward)
{
    FBringForward = std::move(BringForward);
    if (FServer)
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
            connect(Socket, &QLocalSocket::readyRead, this, [this, Socket] {
                const QByteArray Request = Socket->readAll();
                if (Request.startsWith(ShowRequest.trimmed()) && FBringForward)
                    FBringForward();
                Socket->disconnectFromServer();
            });
        }
    });
}

bool TSingleInstance::SignalRunningInstance(int TimeoutMs)
{
    QLocalSocket Socket;
    Socket.connectToServer(ServerName());
    if (!Socket.waitForConnected(TimeoutMs))
        return false;
    Socket.write(ShowRequest);
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
