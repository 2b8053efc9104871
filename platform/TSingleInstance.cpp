#include "platform/TSingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <memory>

namespace {
const char* const LockName = "VexloVocabularyMutex";
const char* const SocketName = "VexloVocabularyMutex.socket";
const QByteArray ShowRequest = "show";
const QByteArray LookUpRequest = "lookup ";
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

void TSingleInstance::Listen(std::function<void()> BringForward,
                             std::function<void(const QString&)> LookUp)
{
    FBringForward = std::move(BringForward);
    FLookUp = std::move(LookUp);
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
            // The request may arrive in pieces: it ends at the line break (or when the caller
            // hangs up).
            auto Buffer = std::make_shared<QByteArray>();
            auto Done = std::make_shared<bool>(false);
            auto Finish = [this, Socket, Buffer, Done] {
                if (*Done)
                    return;
                *Done = true;
                const qsizetype End = Buffer->indexOf('\n');
                Serve(End < 0 ? *Buffer : Buffer->left(End));
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

void TSingleInstance::Serve(const QByteArray& Request)
{
    if (Request.startsWith(LookUpRequest)) {
        if (FLookUp)
            FLookUp(QString::fromUtf8(QByteArray::fromBase64(Request.mid(LookUpRequest.size()))));
    } else if (Request.startsWith(ShowRequest)) {
        if (FBringForward)
            FBringForward();
    }
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
