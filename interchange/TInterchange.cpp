#include "interchange/TInterchange.h"

#include "interchange/TAccessColumns.h"
#include "interchange/TAccessFile.h"
#include "interchange/TDelimitedText.h"
#include "interchange/TExportTarget.h"
#include "interchange/TImportRules.h"
#include "interchange/TKvtmlDocument.h"
#include "interchange/TSpreadsheet.h"
#include "interchange/TTextDecoding.h"
#include "interchange/TKvtmlExtras.h"
#include "store/EVexloDatabaseError.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloConnection.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <new>
#include <ostream>
#include <sqlite3.h>
#include <unordered_set>

namespace TInterchange {

namespace {

// The largest text or KDE vocabulary file an import reads: far more than any vocabulary needs, and
// little enough that reading it fits in memory.
constexpr qint64 MaxFileSize = qint64(256) << 20;

// Duplicates are found by a hash of the English word and the Bulgarian text; a hash seen before
// is then checked against the rows themselves, so only exact duplicates count.
uint64_t DuplicateHash(QStringView English, QStringView Bulgarian, QStringView Transcription,
                       int Level)
{
    const uint64_t A = qHash(English, size_t(0x51ED270B27E5A3F1));
    const uint64_t B = qHash(Bulgarian, size_t(0x2545F4914F6CDD1D)) ^
                       qHash(Transcription, size_t(0x9E3779B97F4A7C15)) ^
                       (uint64_t(Level) * 0xBF58476D1CE4E5B9ull);
    return A ^ (B * 0x9E3779B97F4A7C15ull + (A << 6) + (A >> 2));
}

class TStatement
{
public:
    TStatement(sqlite3* Db, const char* Sql) : FDb(Db)
    {
        if (sqlite3_prepare_v2(Db, Sql, -1, &FStmt, nullptr) != SQLITE_OK)
            Raise();
    }
    ~TStatement() { sqlite3_finalize(FStmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
    sqlite3_stmt* operator*() const { return FStmt; }
    [[noreturn]] void Raise() const
    {
        throw EVexloDatabaseError(
            QCoreApplication::translate("TInterchange",
                                        "The dictionary cannot be read or written: %1.")
                .arg(QString::fromUtf8(sqlite3_errmsg(FDb))));
    }

private:
    sqlite3* FDb;
    sqlite3_stmt* FStmt = nullptr;
};

QString ColumnText(sqlite3_stmt* Stmt, int Column)
{
    const auto* Text = static_cast<const char16_t*>(sqlite3_column_text16(Stmt, Column));
    if (!Text)
        return QString();
    return QString(reinterpret_cast<const QChar*>(Text), sqlite3_column_bytes16(Stmt, Column) / 2);
}

void BindText(sqlite3_stmt* Stmt, int Index, const QByteArray& Utf8)
{
    sqlite3_bind_text(Stmt, Index, Utf8.constData(), static_cast<int>(Utf8.size()), SQLITE_STATIC);
}

// The first character of Text that a file of Format cannot carry: a surrogate without its pair
// (UTF-8 has none), and in XML also U+FFFE and U+FFFF. -1 when there is none.
qsizetype FirstUnwritable(QStringView Text, TInterchangeFormat Format)
{
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const char16_t U = Text[I].unicode();
        if (QChar::isHighSurrogate(U) && I + 1 < Text.size() && Text[I + 1].isLowSurrogate()) {
            ++I;
            continue;
        }
        if (QChar::isSurrogate(U) ||
            (Format == TInterchangeFormat::Kvtml && (U == 0xFFFE || U == 0xFFFF)))
            return I;
    }
    return -1;
}

// Names the first entry that holds a character Format cannot carry: such an entry is never
// written changed or left out without a word.
void RefuseUnwritable(const std::vector<TEnBgRecord>& Entries, TInterchangeFormat Format)
{
    for (size_t N = 0; N < Entries.size(); ++N) {
        const TEnBgRecord& Entry = Entries[N];
        for (const QString* Text : {&Entry.EnglishWord, &Entry.Transcription, &Entry.BulgarianText})
            if (const qsizetype At = FirstUnwritable(*Text, Format); At >= 0)
                throw EVexloDatabaseError(
                    QCoreApplication::translate(
                        "TInterchange", "Entry %1 (%2) holds the character U+%3, which a %4 file "
                                        "cannot carry; nothing was written. Correct the entry and "
                                        "export again.")
                        .arg(N + 1)
                        .arg(Entry.EnglishWord.left(TImportRules::EnglishWidth))
                        .arg((*Text)[At].unicode(), 4, 16, QChar(u'0'))
                        .arg(Format == TInterchangeFormat::Kvtml
                                 ? QCoreApplication::translate("TInterchange", "KDE vocabulary")
                                 : QStringLiteral("UTF-8 text")));
    }
}

} // namespace

TInterchangeFormat FormatOf(const QString& Path)
{
    const QString Suffix = QFileInfo(Path).suffix().toLower();
    if (Suffix == "tsv" || Suffix == "tab" || Suffix == "txt")
        return TInterchangeFormat::Tsv;
    if (Suffix == "csv")
        return TInterchangeFormat::Csv;
    if (Suffix == "kvtml")
        return TInterchangeFormat::Kvtml;
    if (Suffix == "mdb" || Suffix == "accdb")
        return TInterchangeFormat::Access;
    if (Suffix == "ods")
        return TInterchangeFormat::Ods;
    if (Suffix == "xlsx")
        return TInterchangeFormat::Xlsx;
    return TInterchangeFormat::Unknown;
}

QString FormatName(TInterchangeFormat Format)
{
    switch (Format) {
    case TInterchangeFormat::Tsv:
        return QCoreApplication::translate("TInterchange", "tab-separated text");
    case TInterchangeFormat::Csv:
        return QCoreApplication::translate("TInterchange", "comma-separated text");
    case TInterchangeFormat::Kvtml:
        return QCoreApplication::translate("TInterchange", "KDE vocabulary document");
    case TInterchangeFormat::Access:
        return QCoreApplication::translate("TInterchange", "Access database");
    case TInterchangeFormat::AnkiFront:
    case TInterchangeFormat::AnkiBack:
        return QCoreApplication::translate("TInterchange", "flashcard notes (Basic)");
    case TInterchangeFormat::Ods:
        return QCoreApplication::translate("TInterchange", "OpenDocument spreadsheet");
    case TInterchangeFormat::Xlsx:
        return QCoreApplication::translate("TInterchange", "Excel workbook");
    case TInterchangeFormat::Unknown:
        break;
    }
    return QCoreApplication::translate("TInterchange", "unknown format");
}

TSourceData ReadFile(const QString& Path, TInterchangeFormat Format, const TReadOptions& Options)
{
    if (!QFileInfo(Path).isFile())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TInterchange", "The file %1 does not exist.").arg(Path));
    TVexloConnection::RefuseOpenStoreFile(Path);
    if (Format == TInterchangeFormat::Unknown || Format == TInterchangeFormat::Access)
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TInterchange",
            "Words are read from .tsv, .txt, .csv, .kvtml, .ods and .xlsx files here."));
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly))
        throw EVexloDatabaseError(
            QCoreApplication::translate("TInterchange", "The file %1 cannot be read: %2.")
                .arg(Path, File.errorString()));
    if (File.size() > MaxFileSize)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TInterchange",
                "The file %1 is too large to import (%2 MB): files of up to %3 MB are "
                "read.")
                .arg(Path)
                .arg(File.size() >> 20)
                .arg(MaxFileSize >> 20));
    try {
        QByteArray Bytes = File.readAll();
        File.close();
        if (Format == TInterchangeFormat::Kvtml)
            return TKvtmlDocument::Read(Bytes, Options);
        if (Format == TInterchangeFormat::Ods || Format == TInterchangeFormat::Xlsx)
            return TSpreadsheet::Read(Bytes, Format, Options);
        TReadOptions Reading = Options;
        Reading.UndoFormulaGuard = Format == TInterchangeFormat::Csv;
        return TDelimitedText::Read(std::move(Bytes), Reading);
    } catch (const std::bad_alloc&) {
        throw EVexloDatabaseError(
            QCoreApplication::translate("TInterchange",
                                        "There is not enough memory to read the file %1 (%2 MB).")
                .arg(Path)
                .arg(File.size() >> 20));
    }
}

QString TImportSummary::OneLine() const
{
    QString Text =
        Committed
            ? (Added == 1 ? QCoreApplication::translate("TInterchange", "Added %1 entry")
                          : QCoreApplication::translate("TInterchange", "Added %1 entries"))
                  .arg(Added)
            : (Cancelled
                   ? QCoreApplication::translate("TInterchange", "Cancelled: nothing was added")
                   : QCoreApplication::translate("TInterchange", "Nothing was added"));
    Text += QCoreApplication::translate("TInterchange", ", skipped %1, duplicates %2")
                .arg(static_cast<qsizetype>(Skipped.size()))
                .arg(Duplicates);
    if (EmptyRows > 0)
        Text += QCoreApplication::translate("TInterchange", ", empty rows %1").arg(EmptyRows);
    return Text + u'.';
}

QString TImportSummary::Report(int MaxListed) const
{
    QString Text = QCoreApplication::translate(
                       "TInterchange", "Rows read: %1\nTo add: %2\nSkipped: %3\nDuplicates: %4")
                       .arg(Read)
                       .arg(Added)
                       .arg(static_cast<qsizetype>(Skipped.size()))
                       .arg(Duplicates);
    if (EmptyRows > 0)
        Text += QCoreApplication::translate("TInterchange", "\nEmpty rows (left out): %1")
                    .arg(EmptyRows);
    if (!Note.isEmpty())
        Text += u'\n' + Note;
    if (!Skipped.empty()) {
        Text += QCoreApplication::translate("TInterchange", "\n\nSkipped rows:");
        const int Shown = std::min<int>(MaxListed, static_cast<int>(Skipped.size()));
        for (int I = 0; I < Shown; ++I)
            Text += QStringLiteral("\n%1 %2: %3")
                        .arg(LineWord)
                        .arg(Skipped[I].Line)
                        .arg(Skipped[I].Reason);
        if (Shown < static_cast<int>(Skipped.size()))
            Text += QCoreApplication::translate("TInterchange", "\n... and %1 more")
                        .arg(Skipped.size() - Shown);
    }
    return Text;
}

TImportSummary Import(TVexloConnection& Connection, const TSourceData& Data,
                      const TProgress& Progress, const TConfirm& Confirm)
{
    Connection.CheckConnected();
    if (Connection.InTransaction())
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TInterchange", "The dictionary is busy with another change; try again."));
    sqlite3* Db = Connection.Handle();
    TImportSummary Summary;
    Summary.LineWord = Data.LineWord;
    Summary.Note = Data.Note;
    Summary.Read = static_cast<int>(Data.Rows.size());
    const qsizetype Total = static_cast<qsizetype>(Data.Rows.size());

    Connection.BeginTrans();
    try {
        std::unordered_set<uint64_t> Seen;
        qint64 NextId = 1;
        {
            TStatement Max(Db, "SELECT max(CAST(ID AS INTEGER)) FROM English");
            if (sqlite3_step(*Max) == SQLITE_ROW)
                NextId = sqlite3_column_int64(*Max, 0) + 1;
            TStatement Rows(Db, "SELECT ENAME, BULG, TRANS, CAST(LEVEL AS INTEGER) FROM English");
            int Rc;
            while ((Rc = sqlite3_step(*Rows)) == SQLITE_ROW)
                Seen.insert(DuplicateHash(ColumnText(*Rows, 0),
                                          TImportRules::WithCrLf(ColumnText(*Rows, 1)),
                                          ColumnText(*Rows, 2), sqlite3_column_int(*Rows, 3)));
            if (Rc != SQLITE_DONE)
                Rows.Raise();
        }
        Seen.reserve(Seen.size() + static_cast<size_t>(Total));
        // Rows with the same English word, ignoring case (what the word index answers fast).
        TStatement SameWord(Db, "SELECT ENAME, BULG, TRANS, CAST(LEVEL AS INTEGER) FROM English "
                                "WHERE ENAME = ?1 COLLATE NOCASE");
        auto IsStored = [&](const TEnBgRecord& Entry, const QByteArray& English) {
            BindText(*SameWord, 1, English);
            bool Found = false;
            int Rc;
            while (!Found && (Rc = sqlite3_step(*SameWord)) == SQLITE_ROW)
                Found = ColumnText(*SameWord, 0) == Entry.EnglishWord &&
                        TImportRules::WithCrLf(ColumnText(*SameWord, 1)) == Entry.BulgarianText &&
                        ColumnText(*SameWord, 2) == Entry.Transcription &&
                        sqlite3_column_int(*SameWord, 3) == Entry.WordLevel;
            sqlite3_reset(*SameWord);
            return Found;
        };
        TStatement Insert(Db, "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                              "VALUES (?, ?, ?, ?, ?)");
        TEnBgRecord Entry;
        QString Reason;
        TKvtmlExtras::TCollector Extras; // practice records and lessons
        for (qsizetype I = 0; I < Total; ++I) {
            if (Progress && (I & 255) == 0 && !Progress(I, Total)) {
                Summary.Cancelled = true;
                break;
            }
            const TSourceRow& Row = Data.Rows[static_cast<size_t>(I)];
            if (TImportRules::IsEmptyRow(Row)) {
                ++Summary.EmptyRows;
                continue;
            }
            if (!TImportRules::CheckRow(Row, Entry, Reason)) {
                Summary.Skipped.push_back({Row.Line, Reason});
                continue;
            }
            if (NextId > std::numeric_limits<int32_t>::max()) {
                Summary.Skipped.push_back(
                    {Row.Line,
                     QCoreApplication::translate("TInterchange", "the dictionary is full")});
                continue;
            }
            const QByteArray English = Entry.EnglishWord.toUtf8();
            const uint64_t Hash = DuplicateHash(Entry.EnglishWord, Entry.BulgarianText,
                                                Entry.Transcription, Entry.WordLevel);
            if (!Seen.insert(Hash).second && IsStored(Entry, English)) {
                ++Summary.Duplicates;
                continue;
            }
            const QByteArray Bulgarian = Entry.BulgarianText.toUtf8();
            const QByteArray Transcription = Entry.Transcription.toUtf8();
            sqlite3_bind_int64(*Insert, 1, NextId);
            BindText(*Insert, 2, English);
            BindText(*Insert, 3, Bulgarian);
            BindText(*Insert, 4, Transcription);
            sqlite3_bind_int(*Insert, 5, Entry.WordLevel);
            const int Rc = sqlite3_step(*Insert);
            sqlite3_reset(*Insert);
            if (Rc != SQLITE_DONE)
                Insert.Raise();
            Extras.Add(English, Bulgarian, Row);
            ++NextId;
            ++Summary.Added;
        }
        if (Progress && !Summary.Cancelled && !Progress(Total, Total))
            Summary.Cancelled = true;
        if (!Summary.Cancelled && Summary.Added > 0)
            if (const QString Kept = Extras.Store(Db, QDateTime::currentMSecsSinceEpoch());
                !Kept.isEmpty())
                Summary.Note += (Summary.Note.isEmpty() ? QString() : QStringLiteral("\n")) + Kept;
        const bool Keep = !Summary.Cancelled && Summary.Added > 0 && (!Confirm || Confirm(Summary));
        if (Keep) {
            Connection.CommitTrans();
            Summary.Committed = true;
        } else {
            Connection.RollbackTrans();
        }
    } catch (...) {
        Connection.RollbackTrans();
        throw;
    }
    return Summary;
}

TImportSummary ImportIntoStore(TScreenSaverDataModule& Store, const TSourceData& Data,
                               const TProgress& Progress, const TConfirm& Confirm)
{
    TImportSummary Summary;
    try {
        Summary = Import(*Store.ADOConnection, Data, Progress, Confirm);
    } catch (...) {
        Store.FMaxID = -1;
        throw;
    }
    if (Summary.Committed) {
        Store.FMaxID = -1;
        if (Store.ADOTable->Active())
            Store.ADOTable->Refresh();
    }
    return Summary;
}

std::vector<TEnBgRecord> ReadEntries(TVexloConnection& Connection)
{
    Connection.CheckConnected();
    TStatement Rows(Connection.Handle(), "SELECT ENAME, BULG, TRANS, CAST(LEVEL AS INTEGER), rowid "
                                         "FROM English ORDER BY CAST(ID AS INTEGER), rowid");
    std::vector<TEnBgRecord> Entries;
    // SQLite's conversion to UTF-16 turns U+FFFE, U+FFFF and bytes that are not UTF-8 into
    // U+FFFD without a word: where U+FFFD shows, the stored bytes tell what is there.
    TStatement Raw(Connection.Handle(), "SELECT ENAME, BULG, TRANS FROM English WHERE rowid = ?");
    auto StoredText = [&](int Column) {
        QString Text = ColumnText(*Rows, Column);
        if (!Text.contains(QChar::ReplacementCharacter))
            return Text;
        sqlite3_bind_int64(*Raw, 1, sqlite3_column_int64(*Rows, 4));
        if (sqlite3_step(*Raw) != SQLITE_ROW)
            Raw.Raise();
        const QByteArrayView Bytes(static_cast<const char*>(sqlite3_column_blob(*Raw, Column)),
                                   sqlite3_column_bytes(*Raw, Column));
        const bool Bad = TTextDecoding::FirstBadUtf8(Bytes) >= 0;
        Text = QString::fromUtf8(Bytes);
        const QString English = QString::fromUtf8(
            static_cast<const char*>(sqlite3_column_blob(*Raw, 0)), sqlite3_column_bytes(*Raw, 0));
        sqlite3_reset(*Raw);
        if (Bad)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TInterchange", "Entry %1 (%2) holds bytes that are not UTF-8 text (written by "
                                    "another program); nothing was written. Correct the entry and "
                                    "export again.")
                    .arg(Entries.size() + 1)
                    .arg(English));
        return Text;
    };
    int Rc;
    while ((Rc = sqlite3_step(*Rows)) == SQLITE_ROW) {
        TEnBgRecord Entry;
        Entry.EnglishWord = StoredText(0);
        Entry.BulgarianText = StoredText(1);
        Entry.Transcription = StoredText(2);
        Entry.WordLevel = sqlite3_column_int(*Rows, 3);
        Entries.push_back(std::move(Entry));
    }
    if (Rc != SQLITE_DONE)
        Rows.Raise();
    return Entries;
}

QByteArray Encode(const std::vector<TEnBgRecord>& Entries, TInterchangeFormat Format,
                  const QString& Title, const TExportOptions& Options,
                  const std::vector<TKvtmlExtras::TEntryExtras>& Extras)
{
    if (Format != TInterchangeFormat::Unknown && Format != TInterchangeFormat::Access)
        RefuseUnwritable(Entries, Format);
    switch (Format) {
    case TInterchangeFormat::Tsv:
        return TDelimitedText::WriteTsv(Entries);
    case TInterchangeFormat::Csv:
        return TDelimitedText::WriteCsv(Entries, Options.GuardFormulas);
    case TInterchangeFormat::Kvtml:
        return TKvtmlDocument::Write(Entries, Title, Extras);
    case TInterchangeFormat::AnkiFront:
    case TInterchangeFormat::AnkiBack:
        return TDelimitedText::WriteAnki(Entries, Format == TInterchangeFormat::AnkiFront);
    case TInterchangeFormat::Ods:
    case TInterchangeFormat::Xlsx:
        return TSpreadsheet::Write(Entries, Format);
    case TInterchangeFormat::Access:
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TInterchange", "Access files are only read, never written."));
    case TInterchangeFormat::Unknown:
        break;
    }
    throw EVexloDatabaseError(QCoreApplication::translate(
        "TInterchange",
        "The file name does not tell the format: end it in .tsv, .txt, .csv, .kvtml, .ods or "
        ".xlsx."));
}

int Export(TVexloConnection& Connection, const QString& Path, TInterchangeFormat Format,
           const TExportOptions& Options)
{
    if (Format == TInterchangeFormat::Unknown || Format == TInterchangeFormat::Access)
        Encode({}, Format); // throws the message for the format
    Connection.CheckConnected();
    std::vector<TEnBgRecord> Entries;
    QByteArray Bytes;
    try {
        Entries = ReadEntries(Connection);
        Bytes = Encode(Entries, Format, QFileInfo(Path).completeBaseName(), Options,
                       Format == TInterchangeFormat::Kvtml
                           ? TKvtmlExtras::Read(Connection.Handle(), Entries)
                           : std::vector<TKvtmlExtras::TEntryExtras>());
    } catch (const std::bad_alloc&) {
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TInterchange", "There is not enough memory to export the dictionary to %1.")
                .arg(Path));
    }
    TExportTarget::Write(Path, Bytes);
    return static_cast<int>(Entries.size());
}

QString ConvertedPath(const QString& Source)
{
    const QFileInfo Info(Source);
    const QString Base = Info.absolutePath() + u'/' + Info.completeBaseName();
    QString Path = Base + QStringLiteral(".sqlite");
    for (int N = 2; QFileInfo::exists(Path) || QFileInfo(Path).isSymLink(); ++N)
        Path = Base + QStringLiteral(" (%1).sqlite").arg(N);
    return Path;
}

QString ConvertAccessFile(const QString& Source, const QString& Target,
                          const TAccessColumns::TColumnMap* Map, TImportSummary* Summary)
{
    const TAccessFile File(Source);
    TAccessColumns::TColumnMap Columns;
    if (Map) {
        Columns = *Map;
    } else if (const auto English = TAccessColumns::EnglishTableMap(File)) {
        Columns = *English;
    } else {
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TInterchange", "The Access file %1 has no vocabulary table English (with a column "
                                "ENAME); choose a table and its columns.")
                .arg(Source));
    }
    const TSourceData Data = TAccessColumns::ReadAccess(File, Columns);
    const QString Path = Target.isEmpty() ? ConvertedPath(Source) : Target;
    TDataFileTool::CreateEmptyDataFile(Path);
    try {
        TVexloConnection Connection;
        Connection.DefaultDatabase = Path;
        Connection.Open();
        TImportSummary Result = Import(Connection, Data);
        Connection.Close();
        if (Summary)
            *Summary = Result;
    } catch (...) {
        QFile::remove(Path);
        QFile::remove(Path + QStringLiteral("-wal"));
        QFile::remove(Path + QStringLiteral("-shm"));
        throw;
    }
    return Path;
}

} // namespace TInterchange
