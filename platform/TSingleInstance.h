#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include <QList>
#include <QLocalSocket>
#include <QPointer>

class QLockFile;
class QLocalServer;

// One running instance per user and settings file. The first start takes the lock file
// "VexloVocabularyMutex" (see NameFor) in
// the user's runtime directory and listens on a local socket beside it; a later start finds the
// lock taken, asks the running instance over that socket to come forward (or to look a text up),
// and ends. A lock left behind by an instance that died does not block the next start.
//
// The socket carries one request line per connection: "show", or "lookup " followed by the text
// in base64 (UTF-8). The running instance answers by hanging up once it has acted. "state" asks
// what the running instance is doing: it answers one line (see Listen) and hangs up; scripts and
// tests use it to know that the instance has started and settled.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    // Directory defaults to the user's runtime directory; Name names the lock and the socket.
    explicit TSingleInstance(const QString& Directory = QString(),
                             const QString& Name = DefaultName);

    static constexpr const char* DefaultName = "VexloVocabularyMutex";
    // One running copy per settings file: the usual settings file gives DefaultName, any other one
    // (a demo's, a second profile's) a name of its own, so that copies on different settings never
    // hand over to each other.
    static QString NameFor(const QString& SettingsFile, const QString& DefaultSettingsFile);
    ~TSingleInstance() override;

    // Takes the lock without waiting. True: this is the running instance (also when the lock
    // cannot be created at all, so that a broken runtime directory never keeps the program from
    // starting). False: another instance holds it.
    bool Acquire();
    bool IsRunningInstance() const { return FOwner; }

    // Running instance: starts listening for later starts; BringForward runs on the UI thread
    // for each one that asks to come forward, LookUp for each that hands over a text, State for
    // each that asks for the state (its answer, one line; "running" without it).
    void Listen(std::function<void()> BringForward,
                std::function<void(const QString&)> LookUp = nullptr,
                std::function<QByteArray()> State = nullptr);

    // Later start: asks the running instance to come forward. Returns whether it was reached.
    bool SignalRunningInstance(int TimeoutMs = 2000);
    // Later start: hands Text to the running instance to be looked up. Returns whether it was
    // reached.
    bool SendLookUp(const QString& Text, int TimeoutMs = 2000);

    // Longest request line accepted; a longer one is dropped with its connection.
    static constexpr int MaxRequestLength = 64 * 1024;
    // Connections kept open at once, and how long one may stay without finishing its request.
    static constexpr int MaxConnections = 32;
    static inline int IdleTimeoutMs = 2000;

    // Why single instance is off for this copy (its directory is not this user's alone); empty
    // when it works.
    QString Problem() const { return FProblem; }

    // Stops listening and releases the lock.
    void Release();

    QString LockFileName() const;
    QString ServerName() const;

    // $XDG_RUNTIME_DIR when it is this user's alone (a directory, not a link, owned by the user,
    // closed to others); else "vexlo-vocabulary-UID" in the temporary directory, made 0700.
    // Acquire checks the same of whichever directory is used and refuses to use one that fails.
    static QString DefaultDirectory();

private:
    QString FDirectory;
    QString FName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer* FServer = nullptr;
    std::function<void()> FBringForward;
    std::function<void(const QString&)> FLookUp;
    std::function<QByteArray()> FState;
    bool Send(const QByteArray& Request, int TimeoutMs);
    QByteArray Serve(const QByteArray& Request);
    bool FOwner = false;
    bool FUnsafe = false;
    QString FProblem;
    QList<QPointer<QLocalSocket>> FConnections;
    bool CheckDirectory();
};
