#include "store/TVexloConnection.h"

#include "store/TVexloTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sqlite3.h>

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
bool IsAccessFile(const QString& Path)
{
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly))
        return false;
    const QByteArray Head = File.read(32);
    return Head.mid(4, 15) == "Standard Jet DB" || Head.mid(4, 16) == "Standard ACE DB";
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

QString Problem(const QString& Path, const QString& What)
{
    return QStringLiteral("Cannot open the data file %1: %2").arg(Path, What);
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
        throw EVexloDatabaseError(QStringLiteral("No data file is given to open."));
    const QFileInfo Info(Path);
    if (!Info.exists())
        throw EVexloDatabaseError(Problem(Path, QStringLiteral("the file does not exist.")));
    if (Info.isDir())
        throw EVexloDatabaseError(
            Problem(Path, QStringLiteral("it is a folder, not a vocabulary data file.")));
    if (!Info.isReadable())
        throw EVexloDatabaseError(
            Problem(Path, QStringLiteral("you have no permission to read it.")));
    if (!Info.isWritable())
        throw EVexloDatabaseError(
            Problem(Path, QStringLiteral("you have no permission to change it.")));
    if (!QFileInfo(Info.absolutePath()).isWritable())
        throw EVexloDatabaseError(Problem(
            Path, QStringLiteral("its folder is not writable, so changes could not be saved "
                                 "safely.")));
    if (IsAccessFile(Path))
        throw EVexloDatabaseError(Problem(
            Path, QStringLiteral("it is a Microsoft Access database; this program reads SQLite "
                                 "vocabulary files (create one with --create-empty).")));
    if (Info.size() > 0 && Info.size() < 100)
        throw EVexloDatabaseError(Problem(Path, QStringLiteral("it is not a database file.")));

    sqlite3* Db = nullptr;
    const QByteArray Name = QFile::encodeName(Path);
    int Rc = sqlite3_open_v2(Name.constData(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    QString Failure;
    if (Rc == SQLITE_OK) {
        sqlite3_extended_result_codes(Db, 1);
        sqlite3_busy_timeout(Db, 3000);
        // Reading the schema makes the engine look at the file's header.
        Rc = sqlite3_exec(Db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        if ((Rc & 0xFF) == SQLITE_NOTADB)
            Failure = QStringLiteral("it is not a database file.");
        else if (Rc != SQLITE_OK)
            Failure = QString::fromUtf8(sqlite3_errmsg(Db)) + QLatin1Char('.');
        else if (sqlite3_db_readonly(Db, "main") == 1)
            Failure = QStringLiteral("you have no permission to change it.");
        else if (IsWalFile(Db))
            // With the write-ahead log, syncing at checkpoints only still keeps every change
            // atomic; only the last changes before a power cut may be lost.
            sqlite3_exec(Db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    } else {
        Failure = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) + QLatin1Char('.')
                     : QStringLiteral("out of memory.");
    }
    if (!Failure.isEmpty()) {
        sqlite3_close_v2(Db);
        throw EVexloDatabaseError(Problem(Path, Failure));
    }
    FDb = Db;
    FFileName = Path;
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
    sqlite3_close_v2(FDb);
    FDb = nullptr;
    FFileName.clear();
}

void TVexloConnection::CheckConnected() const
{
    if (!FDb)
        throw EVexloDatabaseError(QStringLiteral("The data file is not open."));
}

void TVexloConnection::RaiseEngineError(const QString& What) const
{
    const QString Reason =
        FDb ? QString::fromUtf8(sqlite3_errmsg(FDb)) : QStringLiteral("the data file is not open");
    throw EVexloDatabaseError(What + QStringLiteral(": ") + Reason + QLatin1Char('.'));
}

void TVexloConnection::Execute(const QString& Sql)
{
    CheckConnected();
    const QByteArray Text = Sql.toUtf8();
    if (sqlite3_exec(FDb, Text.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseEngineError(QStringLiteral("The data file refused a command"));
}

void TVexloConnection::BeginTrans()
{
    CheckConnected();
    if (sqlite3_exec(FDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseEngineError(QStringLiteral("Cannot start a change of the data file"));
}

void TVexloConnection::CommitTrans()
{
    CheckConnected();
    if (sqlite3_exec(FDb, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        RaiseEngineError(QStringLiteral("Cannot save the change to the data file"));
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
