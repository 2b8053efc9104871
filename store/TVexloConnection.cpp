#include "store/TVexloConnection.h"

#include "store/TVexloTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString DataFileFromConnectionString(const QString& ConnectionString)
{
    const int At = ConnectionString.indexOf(QLatin1String("DBQ="), 0, Qt::CaseInsensitive);
    if (At < 0)
        return {};
    const int Start = At + 4;
    const int End = ConnectionString.indexOf(QLatin1Char(';'), Start);
    return ConnectionString.mid(Start, End < 0 ? -1 : End - Start);
}

// Recognises a Microsoft Access (Jet or ACE) database by its header.
// Opened without blocking, and read only when it is a regular file.
bool IsAccessFile(const QString& Path)
{
    const int Fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        return false;
    struct stat St;
    char Head[32] = {};
    const bool Read = ::fstat(Fd, &St) == 0 && S_ISREG(St.st_mode) &&
                      ::read(Fd, Head, sizeof Head) == static_cast<ssize_t>(sizeof Head);
    ::close(Fd);
    const QByteArray Bytes(Head, sizeof Head);
    return Read && (Bytes.mid(4, 15) == "Standard Jet DB" || Bytes.mid(4, 16) == "Standard ACE DB");
}

bool StatPath(const QString& Path, struct stat& St)
{
    return ::stat(QFile::encodeName(Path).constData(), &St) == 0;
}

bool IsWalFile(sqlite3* Db)
{
    sqlite3_stmt* Stmt = nullptr;
    bool Wal = false;
    if (sqlite3_prepare_v2(Db, "PRAGMA journal_mode", -1, &Stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(Stmt) == SQLITE_ROW)
        Wal = sqlite3_stricmp(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 0)), "wal") ==
              0;
    sqlite3_finalize(Stmt);
    return Wal;
}

// The connections open in this process.
std::mutex OpenConnectionsGuard;
std::set<const TVexloConnection*>& OpenConnections()
{
    static std::set<const TVexloConnection*> Connections;
    return Connections;
}

QString Problem(const QString& Path, const QString& What)
{
    return QCoreApplication::translate("TVexloConnection", "Cannot open the data file %1: %2")
        .arg(Path, What);
}

} // namespace

TVexloConnection::~TVexloConnection()
{
    Close();
    for (TVexloTable* Table : FTables)
        Table->FConnection = nullptr;
}

void TVexloConnection::Open()
{
    if (Connected())
        return;
    QString Path = DefaultDatabase.isEmpty() ? DataFileFromConnectionString(ConnectionString)
                                             : DefaultDatabase;
    if (Path.isEmpty())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloConnection", "No data file is given to open."));
    const QFileInfo Info(Path);
    if (!Info.exists())
        throw EVexloDatabaseError(Problem(
            Path, QCoreApplication::translate("TVexloConnection", "the file does not exist.")));
    if (Info.isDir())
        throw EVexloDatabaseError(
            Problem(Path, QCoreApplication::translate(
                              "TVexloConnection", "it is a folder, not a vocabulary data file.")));
    // A pipe, a device or a socket would block or never end; they are never opened.
    struct stat Before;
    if (!StatPath(Path, Before) || !S_ISREG(Before.st_mode))
        throw EVexloDatabaseError(
            Problem(Path, QCoreApplication::translate(
                              "TVexloConnection",
                              "it is not a regular file (a pipe, a device or a socket), so it "
                              "cannot be a vocabulary data file.")));
    if (!Info.isReadable())
        throw EVexloDatabaseError(
            Problem(Path, QCoreApplication::translate("TVexloConnection",
                                                      "you have no permission to read it.")));
    if (!Info.isWritable())
        throw EVexloDatabaseError(
            Problem(Path, QCoreApplication::translate("TVexloConnection",
                                                      "you have no permission to change it.")));
    if (!QFileInfo(Info.absolutePath()).isWritable())
        throw EVexloDatabaseError(Problem(
            Path,
            QCoreApplication::translate("TVexloConnection",
                                        "its folder is not writable, so changes could not be saved "
                                        "safely.")));
    if (!IsOpenStoreFile(Path) && IsAccessFile(Path))
        throw EVexloDatabaseError(
            Problem(Path, QCoreApplication::translate(
                              "TVexloConnection",
                              "it is a Microsoft Access database; this program reads SQLite "
                              "vocabulary files (create one with --create-empty).")));
    if (Info.size() > 0 && Info.size() < 100)
        throw EVexloDatabaseError(Problem(
            Path, QCoreApplication::translate("TVexloConnection", "it is not a database file.")));

    sqlite3* Db = nullptr;
    const QByteArray Name = QFile::encodeName(Path);
    int Rc = sqlite3_open_v2(Name.constData(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    QString Failure;
    if (Rc == SQLITE_OK) {
        sqlite3_extended_result_codes(Db, 1);
        sqlite3_busy_handler(Db, &TVexloConnection::LockBusy, this);
        // Reading the schema makes the engine look at the file's header.
        Rc = sqlite3_exec(Db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        if ((Rc & 0xFF) == SQLITE_NOTADB)
            Failure = QCoreApplication::translate("TVexloConnection", "it is not a database file.");
        else if (Rc != SQLITE_OK)
            Failure = QString::fromUtf8(sqlite3_errmsg(Db)) + QLatin1Char('.');
        else if (sqlite3_db_readonly(Db, "main") == 1)
            Failure = QCoreApplication::translate("TVexloConnection",
                                                  "you have no permission to change it.");
        else {
            // The file the engine opened must be the one looked at above.
            struct stat After;
            int Moved = 0;
            if (sqlite3_file_control(Db, "main", SQLITE_FCNTL_HAS_MOVED, &Moved) != SQLITE_OK)
                Moved = 0;
            if (Moved || !StatPath(Path, After) || After.st_dev != Before.st_dev ||
                After.st_ino != Before.st_ino)
                Failure = QCoreApplication::translate(
                    "TVexloConnection", "another program replaced it while it was being opened.");
        }
        if (Failure.isEmpty() && IsWalFile(Db))
            // With the write-ahead log, syncing at checkpoints only still keeps every change
            // atomic; only the last changes before a power cut may be lost.
            sqlite3_exec(Db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    } else {
        Failure = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) + QLatin1Char('.')
                     : QCoreApplication::translate("TVexloConnection", "out of memory.");
    }
    if (!Failure.isEmpty()) {
        sqlite3_close_v2(Db);
        throw EVexloDatabaseError(Problem(Path, Failure));
    }
    FDb = Db;
    InstallWaitHandlers();
    FFileName = Path;
    FDevice = Before.st_dev;
    FInode = Before.st_ino;
    const std::lock_guard Lock(OpenConnectionsGuard);
    OpenConnections().insert(this);
}

void TVexloConnection::RefuseOpenStoreFile(const QString& Path)
{
    if (IsOpenStoreFile(Path))
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TVexloConnection",
                "The file %1 is the dictionary open in this program (or a file the "
                "database keeps beside it); its words are already here.")
                .arg(Path));
}

bool TVexloConnection::IsOpenStoreFile(const QString& Path)
{
    struct stat Target;
    return StatPath(Path, Target) && !OpenStoreFileOf(Target).isEmpty();
}

QString TVexloConnection::OpenStoreFileOf(const struct stat& Target)
{
    const std::lock_guard Lock(OpenConnectionsGuard);
    for (const TVexloConnection* Connection : OpenConnections()) {
        if (Target.st_dev == Connection->FDevice && Target.st_ino == Connection->FInode)
            return Connection->FFileName;
        for (const char* Suffix : {"-wal", "-shm", "-journal"}) {
            const QString Companion = Connection->FFileName + QLatin1String(Suffix);
            struct stat St;
            if (StatPath(Companion, St) && St.st_dev == Target.st_dev && St.st_ino == Target.st_ino)
                return Companion;
        }
    }
    return {};
}

TVexloConnection::TFileState TVexloConnection::CheckFileIdentity() const
{
    if (!FDb)
        return TFileState::fsSame;
    struct stat Now;
    if (!StatPath(FFileName, Now))
        return errno == ENOENT || errno == ENOTDIR ? TFileState::fsGone : TFileState::fsSame;
    int Moved = 0;
    if (sqlite3_file_control(FDb, "main", SQLITE_FCNTL_HAS_MOVED, &Moved) != SQLITE_OK)
        Moved = 0;
    if (Now.st_dev != FDevice || Now.st_ino != FInode || Moved)
        return TFileState::fsReplaced;
    return TFileState::fsSame;
}

int64_t TVexloConnection::DataVersion() const
{
    CheckConnected();
    sqlite3_stmt* Stmt = nullptr;
    int64_t Version = -1;
    if (sqlite3_prepare_v2(FDb, "PRAGMA main.data_version", -1, &Stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(Stmt) == SQLITE_ROW)
        Version = sqlite3_column_int64(Stmt, 0);
    sqlite3_finalize(Stmt);
    if (Version < 0)
        RaiseEngineError(
            QCoreApplication::translate("TVexloConnection", "Cannot read the data file"));
    return Version;
}

void TVexloConnection::SetWaitObserver(std::function<void(TWait)> Observer)
{
    FWaitObserver = std::move(Observer);
    InstallWaitHandlers();
}

void TVexloConnection::InstallWaitHandlers()
{
    if (!FDb)
        return;
    // Our own wait for locks instead of the engine's timeout, so that the wait can be observed.
    sqlite3_busy_handler(FDb, &TVexloConnection::LockBusy, this);
    if (FWaitObserver)
        sqlite3_progress_handler(FDb, 10000, &TVexloConnection::StillWorking, this);
    else
        sqlite3_progress_handler(FDb, 0, nullptr, nullptr);
}

int TVexloConnection::LockBusy(void* Context, int Count)
{
    auto* Self = static_cast<TVexloConnection*>(Context);
    if (Count == 0)
        Self->FLockWaited.start();
    const qint64 Left = LockWaitMs - Self->FLockWaited.elapsed();
    if (Left <= 0)
        return 0; // give up: the statement fails as busy
    if (Self->FWaitObserver) {
        try {
            Self->FWaitObserver(TWait::wtLock);
        } catch (...) {
            // Observing never stops the wait.
        }
    }
    sqlite3_sleep(int(std::min<qint64>(Left, 10)));
    return 1;
}

int TVexloConnection::StillWorking(void* Context)
{
    auto* Self = static_cast<TVexloConnection*>(Context);
    if (Self->FWaitObserver) {
        try {
            Self->FWaitObserver(TWait::wtWork);
        } catch (...) {
        }
    }
    return 0; // never interrupts the statement
}

void TVexloConnection::Close()
{
    if (!FDb)
        return;
    const std::vector<TVexloTable*> Tables = FTables;
    for (TVexloTable* Table : Tables)
        Table->ConnectionClosing();
    if (InTransaction())
        RollbackTrans();
    {
        const std::lock_guard Lock(OpenConnectionsGuard);
        OpenConnections().erase(this);
    }
    sqlite3_close_v2(FDb);
    FDb = nullptr;
    FFileName.clear();
}

void TVexloConnection::CheckConnected() const
{
    if (!FDb)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloConnection", "The data file is not open."));
}

void TVexloConnection::RaiseEngineError(const QString& What) const
{
    const QString Reason =
        FDb ? QString::fromUtf8(sqlite3_errmsg(FDb))
            : QCoreApplication::translate("TVexloConnection", "the data file is not open");
    throw EVexloDatabaseError(What + QStringLiteral(": ") + Reason + QLatin1Char('.'));
}

void TVexloConnection::Execute(const QString& Sql)
{
    CheckConnected();
    const QByteArray Text = Sql.toUtf8();
    if (sqlite3_exec(FDb, Text.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseEngineError(
            QCoreApplication::translate("TVexloConnection", "The data file refused a command"));
}

void TVexloConnection::BeginTrans()
{
    CheckConnected();
    if (sqlite3_exec(FDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseEngineError(QCoreApplication::translate("TVexloConnection",
                                                     "Cannot start a change of the data file"));
}

void TVexloConnection::CommitTrans()
{
    CheckConnected();
    if (sqlite3_exec(FDb, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseEngineError(QCoreApplication::translate("TVexloConnection",
                                                     "Cannot save the change to the data file"));
}

void TVexloConnection::RollbackTrans()
{
    if (FDb && !sqlite3_get_autocommit(FDb))
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool TVexloConnection::InTransaction() const
{
    return FDb && !sqlite3_get_autocommit(FDb);
}

void TVexloConnection::AttachTable(TVexloTable* Table)
{
    if (std::find(FTables.begin(), FTables.end(), Table) == FTables.end())
        FTables.push_back(Table);
}

void TVexloConnection::DetachTable(TVexloTable* Table)
{
    FTables.erase(std::remove(FTables.begin(), FTables.end(), Table), FTables.end());
}
