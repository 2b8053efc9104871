#pragma once

#include "store/EVexloDatabaseError.h"

#include <QString>

#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

struct sqlite3;
class TVexloTable;

// The connection to a vocabulary data file (an SQLite 3 database). It keeps the ADO-style
// connection string and the default database as properties; the file it opens is DefaultDatabase
// (or, when that is empty, the DBQ= item of the connection string). The file is opened read-write
// and is never created: a missing file, a directory, a file that is not an SQLite database (an
// Access/Jet file, random bytes) or a file this user may not read or write fails with a clear
// message and nothing is written to it.
class TVexloConnection
{
public:
    TVexloConnection() = default;
    ~TVexloConnection();
    TVexloConnection(const TVexloConnection&) = delete;
    TVexloConnection& operator=(const TVexloConnection&) = delete;

    QString ConnectionString;
    QString DefaultDatabase;
    bool LoginPrompt = false; // kept for completeness; there is never a login prompt

    // Opens the file; throws EVexloDatabaseError with a message for the user on failure.
    void Open();
    // Closes every table attached to this connection, then the file. Harmless when closed.
    void Close();
    bool Connected() const { return FDb != nullptr; }
    // The file actually opened (empty while closed).
    const QString& FileName() const { return FFileName; }

    // Runs a command (one or more SQL statements); its results are dropped.
    void Execute(const QString& Sql);

    // Explicit transactions. BeginTrans takes the write lock at once (BEGIN IMMEDIATE).
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans(); // never throws
    bool InTransaction() const;

    // What became of the file at FileName() since it was opened.
    enum class TFileState
    {
        fsSame,     // the path still names the file that is open
        fsGone,     // nothing is at the path any more (deleted or moved away)
        fsReplaced  // the path names another file now (moved over it, or deleted and made anew)
    };
    // Compares the device and inode at the path with those of the file opened, without opening
    // anything. fsSame while closed.
    TFileState CheckFileIdentity() const;
    // Whether Path names (after links, by device and inode) a file of a connection open in this
    // process: its data file, or the log, index or journal beside it. Nothing but the engine may
    // open those: closing any other descriptor on them drops every lock the engine holds there,
    // and another program would then take the log for unused.
    static bool IsOpenStoreFile(const QString& Path);
    // The open store file (a data file, or the log, index or journal beside it) that the file
    // Target describes is, by device and inode; empty when it is none of them.
    static QString OpenStoreFileOf(const struct stat& Target);
    // Throws EVexloDatabaseError, naming Path, when IsOpenStoreFile(Path): for code about to read
    // a file the user chose.
    static void RefuseOpenStoreFile(const QString& Path);
    // SQLite's data_version of the main file: it changes whenever another connection (another
    // process, or another connection in this one) commits a change.
    int64_t DataVersion() const;

    // What the connection is waiting for while a statement has not returned yet.
    enum class TWait
    {
        wtWork, // a long statement is running (reported every few thousand engine steps)
        wtLock  // another program holds the lock the statement needs (reported about every 10 ms)
    };
    // Called while a statement runs long or waits for another program's lock, on the thread that
    // runs the statement, so that windows can be redrawn meanwhile; empty for none. The observer
    // must not use this connection. Kept across Close and Open.
    void SetWaitObserver(std::function<void(TWait)> Observer);
    // How long a statement waits for another program's lock before it fails as busy.
    static inline int LockWaitMs = 3000;

    // The engine handle for the store's own statements; nullptr while closed.
    sqlite3* Handle() const { return FDb; }

    // Throws EVexloDatabaseError when not connected.
    void CheckConnected() const;
    // Throws EVexloDatabaseError carrying the engine's current message, prefixed by What.
    [[noreturn]] void RaiseEngineError(const QString& What) const;

private:
    friend class TVexloTable;
    void AttachTable(TVexloTable* Table);
    void DetachTable(TVexloTable* Table);

    void InstallWaitHandlers();
    static int LockBusy(void* Context, int Count);
    static int StillWorking(void* Context);

    sqlite3* FDb = nullptr;
    std::function<void(TWait)> FWaitObserver;
    QElapsedTimer FLockWaited;
    QString FFileName;
    dev_t FDevice = 0;
    ino_t FInode = 0;
    std::vector<TVexloTable*> FTables;
};
