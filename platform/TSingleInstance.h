#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLockFile;
class QLocalServer;

// One running instance per user. The first start takes the lock file "VexloVocabularyMutex" in
// the user's runtime directory and listens on a local socket beside it; a later start finds the
// lock taken, asks the running instance over that socket to come forward, and ends. A lock left
// behind by an instance that died does not block the next start.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    // Directory defaults to the user's runtime directory.
    explicit TSingleInstance(const QString& Directory = QString());
    ~TSingleInstance() override;

    // Takes the lock without waiting. True: this is the running instance (also when the lock
    // cannot be created at all, so that a broken runtime directory never keeps the program from
    // starting). False: another instance holds it.
    bool Acquire();
    bool IsRunningInstance() const { return FOwner; }

    // Running instance: starts listening for later starts; BringForward runs on the UI thread
    // for each one.
    void Listen(std::function<void()> BringForward);

    // Later start: asks the running instance to come forward. Returns whether it was reached.
    bool SignalRunningInstance(int TimeoutMs = 2000);

    // Stops listening and releases the lock.
    void Release();

    QString LockFileName() const;
    QString ServerName() const;

    static QString DefaultDirectory();

private:
    QString FDirectory;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer* FServer = nullptr;
    std::function<void()> FBringForward;
    bool FOwner = false;
};
