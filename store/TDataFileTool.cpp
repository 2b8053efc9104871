#include "store/TDataFileTool.h"

#include "store/EVexloDatabaseError.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <ostream>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

extern const char VexloSampleVocabulary[];

namespace {

// Runs SQL on Db; on failure throws with the engine's message.
void Exec(sqlite3* Db, const char* Sql)
{
    if (sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TDataFileTool", "Cannot make the data file: %1.")
                .arg(QString::fromUtf8(sqlite3_errmsg(Db))));
}

void BindText(sqlite3_stmt* Stmt, int Index, const QString& Text)
{
    const QByteArray Utf8 = Text.toUtf8();
    sqlite3_bind_text(Stmt, Index, Utf8.constData(), static_cast<int>(Utf8.size()),
                      SQLITE_TRANSIENT);
}

// The engine's companion files of a database file.
const char* const CompanionSuffixes[] = {"-wal", "-shm", "-journal"};

void RemoveWithCompanions(const QString& Path)
{
    QFile::remove(Path);
    for (const char* Suffix : CompanionSuffixes)
        QFile::remove(Path + QLatin1String(Suffix));
}

// A write-ahead log or shared-memory file left at Path by an earlier file of that name would be
// taken for the new file's own. Empty ones hold nothing and are removed; anything else is refused.
void ClearLeftovers(const QString& Path)
{
    QStringList InTheWay;
    for (const char* Suffix : {"-wal", "-journal"}) {
        const QString Name = Path + QLatin1String(Suffix);
        struct stat St;
        if (::lstat(QFile::encodeName(Name).constData(), &St) != 0)
            continue;
        if (S_ISREG(St.st_mode) && St.st_size == 0)
            QFile::remove(Name);
        else
            InTheWay << Name;
    }
    if (!InTheWay.isEmpty())
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TDataFileTool",
                "The file %1 was not made: %2 is left over from an earlier data file "
                "of that name (a program may still have it open) and would be taken "
                "for part of the new one. Close that program, or remove the leftover "
                "file, and try again.")
                .arg(Path, InTheWay.join(QStringLiteral(" and "))));
    QFile::remove(Path + QStringLiteral("-shm")); // rebuilt by the engine from the log anyway
}

// Builds the file under a temporary name beside Path, then links it into place, which fails
// instead of replacing a file that appeared meanwhile.
void CreateDataFile(const QString& Path, const QList<TEnBgRecord>& Entries)
{
    if (Path.isEmpty())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TDataFileTool", "No file name was given."));
    const QFileInfo Info(Path);
    if (Info.exists() || Info.isSymLink())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TDataFileTool",
                                        "The file %1 already exists; it is left as it is.")
                .arg(Path));
    if (!QFileInfo(Info.absolutePath()).isDir())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TDataFileTool", "The folder %1 does not exist.")
                .arg(Info.absolutePath()));
    ClearLeftovers(Path);
    const QString Temp = Info.absolutePath() + QStringLiteral("/.") + Info.fileName() +
                         QStringLiteral(".%1.tmp").arg(::getpid());
    RemoveWithCompanions(Temp);
    const QByteArray TempName = QFile::encodeName(Temp);
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(TempName.constData(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString Reason = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) : QString();
        sqlite3_close_v2(Db);
        throw EVexloDatabaseError(
            QCoreApplication::translate("TDataFileTool", "Cannot create the file %1: %2.")
                .arg(Path, Reason));
    }
    try {
        // Write-ahead logging: a change costs one append to the log instead of two file syncs,
        // and a crash still leaves every change whole or absent.
        Exec(Db, "PRAGMA journal_mode = WAL");
        Exec(Db, "BEGIN");
        Exec(Db, TDataFileTool::SchemaSql());
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(Db,
                               "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                               "VALUES (?, ?, ?, ?, ?)",
                               -1, &Stmt, nullptr) != SQLITE_OK)
            Exec(Db, "SELECT error"); // raises with the engine's message
        int ID = 0;
        for (const TEnBgRecord& Entry : Entries) {
            sqlite3_bind_int(Stmt, 1, ++ID);
            BindText(Stmt, 2, TextCodec::ThroughNarrow(Entry.EnglishWord));
            BindText(Stmt, 3, Entry.BulgarianText);
            BindText(Stmt, 4, Entry.Transcription);
            sqlite3_bind_int(Stmt, 5, Entry.WordLevel);
            const int Rc = sqlite3_step(Stmt);
            sqlite3_reset(Stmt);
            if (Rc != SQLITE_DONE) {
                sqlite3_finalize(Stmt);
                Exec(Db, "SELECT error");
            }
        }
        sqlite3_finalize(Stmt);
        Exec(Db, "COMMIT");
    } catch (...) {
        sqlite3_close_v2(Db);
        // A full disk leaves the log behind too.
        RemoveWithCompanions(Temp);
        throw;
    }
    const int Closed = sqlite3_close_v2(Db);
    if (Closed != SQLITE_OK || QFileInfo::exists(Temp + QStringLiteral("-wal"))) {
        // The log could not be folded into the file (a full disk): the file is incomplete.
        RemoveWithCompanions(Temp);
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TDataFileTool",
                "Cannot make the data file %1: the disk is full or cannot be written.")
                .arg(Path));
    }
    const QByteArray Target = QFile::encodeName(Path);
    const int Linked = ::link(TempName.constData(), Target.constData());
    const int Error = errno;
    RemoveWithCompanions(Temp);
    if (Linked != 0)
        throw EVexloDatabaseError(
            Error == EEXIST
                ? QCoreApplication::translate("TDataFileTool",
                                              "The file %1 already exists; it is left as it is.")
                      .arg(Path)
                : QCoreApplication::translate("TDataFileTool", "Cannot create the file %1: %2.")
                      .arg(Path, QString::fromLocal8Bit(strerror(Error))));
}

} // namespace

const char* TDataFileTool::SchemaSql()
{
    // The browsing order (ENAME ignoring case, then ID) has an index that also holds LEVEL, so the
    // table opens by reading that index alone.
    // ID is an ordinary column rather than the row key: renumbering rewrites it for many rows at
    // once, and a unique index would make that depend on the order the engine visits the rows.
    // The program keeps the numbers 1..N itself, in transactions.
    return "PRAGMA application_id = 1448627279;\n" // 'VXLO'
           "PRAGMA user_version = 1;\n"
           "CREATE TABLE English (\n"
           "    ID INTEGER NOT NULL,\n"
           "    ENAME VARCHAR(30) NOT NULL DEFAULT '',\n"
           "    BULG VARCHAR(255),\n"
           "    TRANS VARCHAR(30),\n"
           "    LEVEL SMALLINT NOT NULL DEFAULT 0\n"
           ");\n"
           "CREATE INDEX EnglishID ON English (ID);\n"
           "CREATE INDEX EnglishENAME ON English (ENAME COLLATE NOCASE, ID, LEVEL);\n";
}

void TDataFileTool::CreateEmptyDataFile(const QString& Path)
{
    CreateDataFile(Path, {});
}

void TDataFileTool::CreateSampleDataFile(const QString& Path)
{
    CreateDataFile(Path, SampleVocabulary());
}

QList<TEnBgRecord> TDataFileTool::SampleVocabulary()
{
    return ParseVocabulary(QString::fromUtf8(VexloSampleVocabulary));
}

QList<TEnBgRecord> TDataFileTool::ParseVocabulary(const QString& Text)
{
    QList<TEnBgRecord> Result;
    const QStringList Lines = Text.split(QLatin1Char('\n'));
    for (int I = 0; I < Lines.size(); ++I) {
        const QString Line = Lines[I].trimmed();
        if (Line.isEmpty() || Line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList Parts = Line.split(QLatin1Char('|'));
        auto Fail = [&](const QString& Why) {
            throw EVexloDatabaseError(
                QCoreApplication::translate("TDataFileTool", "Sample vocabulary, line %1: %2")
                    .arg(I + 1)
                    .arg(Why));
        };
        if (Parts.size() < 4 || Parts.size() > 6)
            Fail(QCoreApplication::translate(
                "TDataFileTool", "expected word | transcription | level | one to three lines."));
        TEnBgRecord Entry;
        Entry.EnglishWord = Parts[0].trimmed();
        Entry.Transcription = Parts[1].trimmed();
        bool Ok = false;
        Entry.WordLevel = Parts[2].trimmed().toInt(&Ok);
        if (!Ok || Entry.WordLevel < 0 || Entry.WordLevel > 9)
            Fail(QCoreApplication::translate("TDataFileTool",
                                             "the level must be a number from 0 to 9."));
        QStringList Meaning;
        for (int P = 3; P < Parts.size(); ++P)
            Meaning << Parts[P].trimmed();
        Entry.BulgarianText = Meaning.join(QStringLiteral("\r\n"));
        if (Entry.EnglishWord.isEmpty() || Entry.EnglishWord.size() > 30 ||
            Entry.Transcription.size() > 30 || Entry.BulgarianText.size() > 255 ||
            Meaning.contains(QString()))
            Fail(QCoreApplication::translate("TDataFileTool", "a text is empty or too long."));
        Result.append(Entry);
    }
    return Result;
}

int TDataFileTool::Run(const QStringList& Arguments, std::ostream& Out, std::ostream& Err)
{
    const int At = static_cast<int>(Arguments.indexOf(QStringLiteral("--create-empty")));
    const int AtSample = static_cast<int>(Arguments.indexOf(QStringLiteral("--create-sample")));
    if (At < 0 && AtSample < 0)
        return -1;
    const bool Sample = At < 0 || (AtSample >= 0 && AtSample < At);
    const int Option = Sample ? AtSample : At;
    if (Option + 1 >= Arguments.size() || Arguments[Option + 1].startsWith(QLatin1String("--"))) {
        Err << "Usage: vexlo-vocabulary --create-empty FILE | --create-sample FILE\n";
        return 2;
    }
    const QString Path = Arguments[Option + 1];
    try {
        if (Sample)
            CreateSampleDataFile(Path);
        else
            CreateEmptyDataFile(Path);
    } catch (const EVexloDatabaseError& E) {
        Err << E.Message().toLocal8Bit().constData() << '\n';
        return 1;
    }
    Out << (Sample ? "Created the data file " : "Created the empty data file ")
        << Path.toLocal8Bit().constData();
    if (Sample)
        Out << " with " << SampleVocabulary().size() << " entries";
    Out << ".\n";
    return 0;
}
