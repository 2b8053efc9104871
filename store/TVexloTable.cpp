#include "store/TVexloTable.h"

#include "store/TVexloConnection.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>
#include <new>
#include <sqlite3.h>
#include <unordered_set>

namespace {

enum TStatementSlot
{
    stDetails,
    stInsert,
    stUpdate,
    stDelete
};

constexpr size_t MaxCachedDetails = 4096;

inline unsigned char FoldAscii(char C)
{
    const auto U = static_cast<unsigned char>(C);
    return (U >= 'A' && U <= 'Z') ? static_cast<unsigned char>(U + 32) : U;
}

// Lengths in the name pool: seven bits a byte, the lowest first, the high bit set on every byte
// but the last.
void AppendLength(std::string& Out, uint64_t Value)
{
    while (Value >= 0x80) {
        Out.push_back(static_cast<char>((Value & 0x7F) | 0x80));
        Value >>= 7;
    }
    Out.push_back(static_cast<char>(Value));
}

uint64_t ReadLength(const char*& At)
{
    uint64_t Value = 0;
    for (int Shift = 0;; Shift += 7) {
        const auto Byte = static_cast<unsigned char>(*At++);
        Value |= uint64_t(Byte & 0x7F) << Shift;
        if (!(Byte & 0x80))
            return Value;
    }
}

bool IsAscii(std::string_view Text)
{
    for (const char C : Text)
        if (static_cast<unsigned char>(C) >= 0x80)
            return false;
    return true;
}

// Full Unicode case folding (so "Straße" and "STRASSE" fold alike), as UTF-8. Bytes that are not
// valid UTF-8 fold as U+FFFD.
std::string FoldCase(std::string_view Utf8)
{
    return TextCodec::FoldCase(
               QString::fromUtf8(Utf8.data(), static_cast<qsizetype>(Utf8.size())))
        .toStdString();
}

// Names are compared by their case-folded UTF-8 bytes (code point order), then by length. A plain
// ASCII name is folded on the fly (A-Z to a-z), which gives the same bytes.
struct TFoldedView
{
    std::string_view Bytes;
    bool FoldAsciiOnTheFly;
    unsigned char At(size_t I) const
    {
        return FoldAsciiOnTheFly ? FoldAscii(Bytes[I]) : static_cast<unsigned char>(Bytes[I]);
    }
};

int CompareFolded(TFoldedView A, TFoldedView B)
{
    const size_t N = std::min(A.Bytes.size(), B.Bytes.size());
    for (size_t I = 0; I < N; ++I) {
        const int D = int(A.At(I)) - int(B.At(I));
        if (D != 0)
            return D;
    }
    return A.Bytes.size() < B.Bytes.size() ? -1 : (A.Bytes.size() > B.Bytes.size() ? 1 : 0);
}

bool StartsWithFolded(TFoldedView Text, std::string_view FoldedPrefix)
{
    if (FoldedPrefix.size() > Text.Bytes.size())
        return false;
    for (size_t I = 0; I < FoldedPrefix.size(); ++I)
        if (Text.At(I) != static_cast<unsigned char>(FoldedPrefix[I]))
            return false;
    return true;
}

QByteArray QuoteName(const QString& Name)
{
    QByteArray Utf8 = Name.toUtf8();
    Utf8.replace('"', "\"\"");
    return '"' + Utf8 + '"';
}

QString ColumnText(sqlite3_stmt* Stmt, int Column)
{
    const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, Column));
    if (!Text)
        return {};
    return QString::fromUtf8(Text, sqlite3_column_bytes(Stmt, Column));
}

struct TStatementReset
{
    sqlite3_stmt* Stmt;
    ~TStatementReset()
    {
        sqlite3_reset(Stmt);
        sqlite3_clear_bindings(Stmt);
    }
};

void BindText(sqlite3_stmt* Stmt, int Index, const QString& Text)
{
    const QByteArray Utf8 = Text.toUtf8();
    sqlite3_bind_text(Stmt, Index, Utf8.constData(), static_cast<int>(Utf8.size()),
                      SQLITE_TRANSIENT);
}

const char* const FieldNames[] = {"ID", "ENAME", "BULG", "TRANS", "LEVEL"};

// A change that must touch exactly one row runs under a savepoint, so that a statement that
// touched more (duplicate IDs in a foreign file) is undone, inside a transaction or not.
class TSavepoint
{
public:
    explicit TSavepoint(sqlite3* Db) : FDb(Db)
    {
        FActive = sqlite3_exec(FDb, "SAVEPOINT vexlo_row", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~TSavepoint()
    {
        if (FActive) {
            sqlite3_exec(FDb, "ROLLBACK TO vexlo_row", nullptr, nullptr, nullptr);
            sqlite3_exec(FDb, "RELEASE vexlo_row", nullptr, nullptr, nullptr);
        }
    }
    bool Release()
    {
        FActive = false;
        return sqlite3_exec(FDb, "RELEASE vexlo_row", nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3* FDb;
    bool FActive;
};

} // namespace

// ---- TVexloField ------------------------------------------------------------------------------

QVariant TVexloField::Value() const
{
    return FTable->FieldValue(FIndex);
}

QString TVexloField::AsString() const
{
    return Value().toString();
}

int TVexloField::AsInteger() const
{
    return Value().toInt();
}

QByteArray TVexloField::AsAnsiString() const
{
    return TextCodec::NarrowText(AsString());
}

void TVexloField::SetValue(const QVariant& Value)
{
    FTable->SetFieldValue(FIndex, Value);
}

// ---- TVexloTable ------------------------------------------------------------------------------

TVexloTable::TVexloTable(TVexloConnection* Connection)
{
    FFields.emplace_back(new TVexloField(this, "ID", TFieldType::ftInteger, 0, 0));
    FFields.emplace_back(new TVexloField(this, "ENAME", TFieldType::ftWideString, 30, 1));
    FFields.emplace_back(new TVexloField(this, "BULG", TFieldType::ftWideString, 255, 2));
    FFields.emplace_back(new TVexloField(this, "TRANS", TFieldType::ftWideString, 30, 3));
    FFields.emplace_back(new TVexloField(this, "LEVEL", TFieldType::ftWord, 0, 4));
    SetConnection(Connection);
}

TVexloTable::~TVexloTable()
{
    AfterScroll = nullptr;
    AfterPost = nullptr;
    OnDataChange = nullptr;
    Close();
    if (FConnection)
        FConnection->DetachTable(this);
}

void TVexloTable::SetConnection(TVexloConnection* Connection)
{
    if (Active())
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TVexloTable", "The table must be closed before it changes its connection."));
    if (FConnection)
        FConnection->DetachTable(this);
    FConnection = Connection;
    if (FConnection)
        FConnection->AttachTable(this);
}

void TVexloTable::Fire(const std::function<void()>& Event) const
{
    if (Event)
        Event();
}

sqlite3_stmt* TVexloTable::Statement(int Which) const
{
    sqlite3_stmt*& Stmt = FStatements[static_cast<size_t>(Which)];
    if (!Stmt) {
        const QByteArray Table = QuoteName(TableName);
        QByteArray Sql;
        switch (Which) {
        case stDetails:
            Sql = "SELECT BULG, TRANS FROM " + Table + " WHERE " + FKeyExpr + " = ?";
            break;
        case stInsert:
            Sql =
                "INSERT INTO " + Table + " (ID, ENAME, BULG, TRANS, LEVEL) VALUES (?, ?, ?, ?, ?)";
            break;
        case stUpdate:
            // A NULL parameter leaves its column exactly as it is.
            Sql = "UPDATE " + Table +
                  " SET ID = coalesce(?1, ID), ENAME = coalesce(?2, ENAME), "
                  "BULG = coalesce(?3, BULG), TRANS = coalesce(?4, TRANS), "
                  "LEVEL = coalesce(?5, LEVEL) WHERE " +
                  FKeyExpr + " = ?6";
            break;
        default:
            Sql = "DELETE FROM " + Table + " WHERE " + FKeyExpr + " = ?";
            break;
        }
        if (sqlite3_prepare_v3(FConnection->Handle(), Sql.constData(), -1,
                               SQLITE_PREPARE_PERSISTENT, &Stmt, nullptr) != SQLITE_OK) {
            Stmt = nullptr;
            FConnection->RaiseEngineError(
                QCoreApplication::translate("TVexloTable", "The data file refused a statement"));
        }
    }
    return Stmt;
}

void TVexloTable::FinalizeStatements()
{
    for (sqlite3_stmt*& Stmt : FStatements) {
        sqlite3_finalize(Stmt);
        Stmt = nullptr;
    }
}

void TVexloTable::ConnectionClosing()
{
    Close();
}

void TVexloTable::Open()
{
    if (Active())
        return;
    if (!FConnection)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "The table has no connection."));
    FConnection->CheckConnected();
    ReadSchema();
    LoadRows();
    FState = TDataSetState::dsBrowse;
    SetCurrent(FRows.empty() ? -1 : 0, false);
    FBof = true;
    Fire(OnDataChange);
    Fire(AfterScroll);
}

void TVexloTable::ReadSchema()
{
    sqlite3* Db = FConnection->Handle();
    const QByteArray Table = QuoteName(TableName);
    auto ForEachRow = [&](const QByteArray& Sql, const std::function<void(sqlite3_stmt*)>& Row) {
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(Db, Sql.constData(), -1, &Stmt, nullptr) != SQLITE_OK)
            FConnection->RaiseEngineError(
                QCoreApplication::translate("TVexloTable", "Cannot read the data file"));
        int Rc;
        while ((Rc = sqlite3_step(Stmt)) == SQLITE_ROW)
            Row(Stmt);
        sqlite3_finalize(Stmt);
        if (Rc != SQLITE_DONE)
            FConnection->RaiseEngineError(
                QCoreApplication::translate("TVexloTable", "Cannot read the data file"));
    };

    // The table and the five columns must be there.
    QSet<QString> Columns;
    QString IdType;
    int IdKeyPart = 0;
    int KeyParts = 0;
    ForEachRow("PRAGMA table_info(" + Table + ")", [&](sqlite3_stmt* Stmt) {
        const QString Name = ColumnText(Stmt, 1).toUpper();
        Columns.insert(Name);
        const int KeyPart = sqlite3_column_int(Stmt, 5);
        if (KeyPart > 0)
            ++KeyParts;
        if (Name == QLatin1String("ID")) {
            IdType = ColumnText(Stmt, 2).toUpper();
            IdKeyPart = KeyPart;
        }
    });
    if (Columns.isEmpty())
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TVexloTable", "The file %1 is not a vocabulary data file: it has no table %2.")
                .arg(FConnection->FileName(), TableName));
    for (const char* Name : FieldNames) {
        if (!Columns.contains(QLatin1String(Name)))
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TVexloTable",
                    "The file %1 is not a vocabulary data file: table %2 has no column %3.")
                    .arg(FConnection->FileName(), TableName, QLatin1String(Name)));
    }

    // A row-id name that no user column shadows, unless the table has no row ids at all.
    QByteArray RowIdName;
    for (const char* Name : {"_rowid_", "rowid", "oid"}) {
        if (Columns.contains(QString::fromLatin1(Name).toUpper()))
            continue;
        const QByteArray Probe = "SELECT " + QByteArray(Name) + " FROM " + Table + " LIMIT 0";
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(Db, Probe.constData(), -1, &Stmt, nullptr) == SQLITE_OK)
            RowIdName = Name;
        sqlite3_finalize(Stmt);
        break; // a WITHOUT ROWID table knows none of the names
    }
    // Declared types decide how values compare: with INTEGER affinity every whole number is
    // stored as an integer, else (text from a CSV import, no type at all) only a cast compares
    // numbers as numbers.
    const bool IdIsKey = IdKeyPart > 0 && KeyParts == 1;
    const bool IdIsRowId = IdIsKey && IdType == QLatin1String("INTEGER") && !RowIdName.isEmpty();
    const bool IntegerIds = IdType.contains(QLatin1String("INT"));
    FIdExpr = IntegerIds ? QByteArray("ID") : QByteArray("CAST(ID AS INTEGER)");
    FKeyIsId = IdIsRowId || IdIsKey || RowIdName.isEmpty();
    FKeyExpr = FKeyIsId ? FIdExpr : RowIdName;
    FUniqueIds = IdIsKey;
    std::vector<QByteArray> UniqueIndexes;
    ForEachRow("PRAGMA index_list(" + Table + ")", [&](sqlite3_stmt* Stmt) {
        if (sqlite3_column_int(Stmt, 2) != 0)
            UniqueIndexes.push_back(QuoteName(ColumnText(Stmt, 1)));
    });
    for (const QByteArray& Index : UniqueIndexes)
        ForEachRow("PRAGMA index_info(" + Index + ")", [&](sqlite3_stmt* Stmt) {
            if (ColumnText(Stmt, 2).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
                FUniqueIds = true;
        });
    FinalizeStatements(); // their text depends on what was read here
}

size_t TVexloTable::EstimateRowCount() const
{
    // The greatest row id is found in the table's tree at once and, where rows were never
    // inserted with chosen row ids, is at least the number of rows.
    if (FKeyIsId)
        return 0;
    const QByteArray Sql = "SELECT max(" + FKeyExpr + ") FROM " + QuoteName(TableName);
    sqlite3_stmt* Stmt = nullptr;
    int64_t Greatest = 0;
    if (sqlite3_prepare_v2(FConnection->Handle(), Sql.constData(), -1, &Stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(Stmt) == SQLITE_ROW)
        Greatest = sqlite3_column_int64(Stmt, 0);
    sqlite3_finalize(Stmt);
    // Beyond four million rows the arrays grow as they are read.
    return static_cast<size_t>(std::clamp<int64_t>(Greatest, 0, int64_t(1) << 22));
}

void TVexloTable::LoadRows()
{
    FRows.clear();
    FNames.clear();
    FDeadNameBytes = 0;
    InvalidateCache();
    sqlite3* Db = FConnection->Handle();
    const QByteArray Sql = "SELECT " + FKeyExpr +
                           ", CAST(ID AS INTEGER), ENAME, "
                           "CAST(LEVEL AS INTEGER) FROM " +
                           QuoteName(TableName) + " ORDER BY ENAME COLLATE NOCASE, ID";
    // The rows and the data version come from one read transaction, so a change committed by
    // another program in between is always noticed before the next write.
    const bool OwnTransaction = !FConnection->InTransaction();
    if (OwnTransaction && sqlite3_exec(Db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        FConnection->RaiseEngineError(
            QCoreApplication::translate("TVexloTable", "Cannot read the table"));
    // Sized once, so that the rows are never copied while they are read; pages reserved beyond
    // the last row are never touched and take no memory.
    const size_t Expected = EstimateRowCount();
    try {
        FRows.reserve(Expected);
        FNames.reserve(Expected * 12);
    } catch (const std::bad_alloc&) {
        // Then they grow as they are read.
    }
    sqlite3_stmt* Stmt = nullptr;
    int Rc = sqlite3_prepare_v2(Db, Sql.constData(), -1, &Stmt, nullptr);
    if (Rc == SQLITE_OK) {
        while ((Rc = sqlite3_step(Stmt)) == SQLITE_ROW) {
            TRowKey Row;
            Row.RowId = sqlite3_column_int64(Stmt, 0);
            Row.ID = static_cast<int32_t>(
                std::clamp<int64_t>(sqlite3_column_int64(Stmt, 1), INT32_MIN, INT32_MAX));
            const auto* Name = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 2));
            const QByteArray Bytes =
                QByteArray::fromRawData(Name ? Name : "", sqlite3_column_bytes(Stmt, 2));
            StoreName(Row, Bytes);
            Row.Level = static_cast<int32_t>(
                std::clamp<int64_t>(sqlite3_column_int64(Stmt, 3), INT32_MIN, INT32_MAX));
            FRows.push_back(Row);
        }
    }
    sqlite3_finalize(Stmt);
    const bool Read = Rc == SQLITE_DONE;
    int64_t Version = -1;
    if (Read) {
        try {
            Version = FConnection->DataVersion();
        } catch (...) {
        }
    }
    QString Error = QString::fromUtf8(sqlite3_errmsg(Db));
    if (OwnTransaction)
        sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr);
    if (!Read || Version < 0) {
        FRows.clear();
        FNames.clear();
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "Cannot read the table: %1.").arg(Error));
    }
    FDataVersion = Version;
    // A guess far above the rows (row ids chosen by another program) gives its room back.
    if (FRows.capacity() > FRows.size() * 2 + 4096)
        FRows.shrink_to_fit();
    if (FNames.capacity() > FNames.size() * 2 + 65536)
        FNames.shrink_to_fit();
    // The engine orders by A-Z folding only; the binary searches need full case folding.
    auto Less = [this](const TRowKey& A, const TRowKey& B) {
        const auto [KA, FA] = KeyOf(A);
        const auto [KB, FB] = KeyOf(B);
        const int C = CompareFolded({KA, FA}, {KB, FB});
        return C != 0 ? C < 0 : A.ID < B.ID;
    };
    // The orders differ only around names with capital letters beyond A-Z, which the engine
    // puts after every other name: sort what follows the sorted start, then merge.
    const auto Sorted = std::is_sorted_until(FRows.begin(), FRows.end(), Less);
    if (Sorted != FRows.end()) {
        std::stable_sort(Sorted, FRows.end(), Less);
        std::inplace_merge(FRows.begin(), Sorted, FRows.end(), Less);
    }
}

void TVexloTable::Close()
{
    if (!Active())
        return;
    FinalizeStatements();
    FRows.clear();
    FRows.shrink_to_fit();
    FNames.clear();
    FNames.shrink_to_fit();
    FDeadNameBytes = 0;
    InvalidateCache();
    FState = TDataSetState::dsInactive;
    FCurrent = -1;
    FBof = FEof = true;
    FBuffer = {};
    Fire(OnDataChange);
}

void TVexloTable::SetActive(bool Value)
{
    if (Value)
        Open();
    else
        Close();
}

void TVexloTable::Refresh()
{
    CheckBrowseMode();
    std::string Word;
    int32_t ID = 0;
    if (FCurrent >= 0) {
        Word = std::string(NameOf(FRows[static_cast<size_t>(FCurrent)]));
        ID = FRows[static_cast<size_t>(FCurrent)].ID;
    }
    const int OldIndex = FCurrent;
    try {
        LoadRows();
    } catch (...) {
        Close();
        throw;
    }
    int Index = -1;
    if (OldIndex >= 0) {
        for (size_t I = 0; I < FRows.size(); ++I) {
            if (NameOf(FRows[I]) != Word)
                continue;
            if (Index < 0 || FRows[I].ID == ID)
                Index = static_cast<int>(I);
            if (FRows[I].ID == ID)
                break;
        }
    }
    if (Index < 0)
        Index = std::min(std::max(OldIndex, 0), RecordCount() - 1);
    SetCurrent(Index, false);
    Fire(OnDataChange);
    Fire(AfterScroll);
}

void TVexloTable::CheckActive() const
{
    if (!Active())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "The table %1 is not open.").arg(TableName));
}

void TVexloTable::CheckBrowseMode() const
{
    CheckActive();
    if (FState != TDataSetState::dsBrowse)
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TVexloTable", "Finish or cancel the change of the current entry first."));
}

void TVexloTable::FixFlags()
{
    if (FRows.empty()) {
        FCurrent = -1;
        FBof = FEof = true;
    }
}

void TVexloTable::SetCurrent(int Index, bool Notify)
{
    const int Old = FCurrent;
    FCurrent = Index;
    FBof = FEof = false;
    FixFlags();
    if (Notify && FCurrent != Old)
        Fire(AfterScroll);
}

int TVexloTable::RecNo() const
{
    if (FState != TDataSetState::dsBrowse && FState != TDataSetState::dsEdit)
        return -1;
    return FCurrent < 0 ? -1 : FCurrent + 1;
}

void TVexloTable::SetRecNo(int Value)
{
    CheckBrowseMode();
    if (FRows.empty())
        return;
    SetCurrent(std::clamp(Value, 1, RecordCount()) - 1, true);
}

void TVexloTable::First()
{
    CheckBrowseMode();
    SetCurrent(FRows.empty() ? -1 : 0, false);
    FBof = true;
    Fire(AfterScroll);
}

void TVexloTable::Last()
{
    CheckBrowseMode();
    SetCurrent(RecordCount() - 1, false);
    FEof = true;
    Fire(AfterScroll);
}

void TVexloTable::Next()
{
    CheckBrowseMode();
    if (FEof)
        return;
    if (FCurrent + 1 < RecordCount()) {
        SetCurrent(FCurrent + 1, true);
    } else {
        FBof = false;
        FEof = true;
    }
}

void TVexloTable::Prior()
{
    CheckBrowseMode();
    if (FBof)
        return;
    if (FCurrent > 0) {
        SetCurrent(FCurrent - 1, true);
    } else {
        FEof = false;
        FBof = true;
    }
}

// ---- fields and row access ------------------------------------------------------------------

TVexloTable::TPooledName TVexloTable::PooledName(uint32_t Offset) const
{
    const char* Start = FNames.data() + Offset;
    const char* At = Start;
    const uint64_t Head = ReadLength(At);
    TPooledName Entry;
    Entry.Name = std::string_view(At, static_cast<size_t>(Head >> 1));
    At += Entry.Name.size();
    Entry.Folded = Head & 1;
    if (Entry.Folded) {
        const uint64_t FoldLength = ReadLength(At);
        Entry.Fold = std::string_view(At, static_cast<size_t>(FoldLength));
        At += FoldLength;
    }
    Entry.Size = static_cast<size_t>(At - Start);
    return Entry;
}

std::string_view TVexloTable::NameOf(const TRowKey& Row) const
{
    const char* At = FNames.data() + Row.NameOffset;
    const uint64_t Head = ReadLength(At);
    return std::string_view(At, static_cast<size_t>(Head >> 1));
}

std::pair<std::string_view, bool> TVexloTable::KeyOf(const TRowKey& Row) const
{
    const char* At = FNames.data() + Row.NameOffset;
    const uint64_t Head = ReadLength(At);
    const auto Length = static_cast<size_t>(Head >> 1);
    if (!(Head & 1))
        return {std::string_view(At, Length), true};
    At += Length;
    const auto FoldLength = static_cast<size_t>(ReadLength(At));
    return {std::string_view(At, FoldLength), false};
}

// Each name is kept as the length of its bytes (times two, plus one when a case folding
// follows), the bytes, and for names that are not plain ASCII the folding's length and bytes.
void TVexloTable::StoreName(TRowKey& Row, const QByteArray& Name)
{
    // Updates leave dead bytes behind; compact the pool when they outweigh the live ones.
    if (FDeadNameBytes > 65536 && FDeadNameBytes * 2 > FNames.size()) {
        std::string Packed;
        Packed.reserve(FNames.size() - FDeadNameBytes + static_cast<size_t>(Name.size()) + 16);
        for (TRowKey& Kept : FRows) {
            const size_t Size = PooledName(Kept.NameOffset).Size;
            const size_t Offset = Packed.size();
            Packed.append(FNames, Kept.NameOffset, Size);
            Kept.NameOffset = static_cast<uint32_t>(Offset);
        }
        FNames.swap(Packed);
        FDeadNameBytes = 0;
    }
    const std::string_view Bytes(Name.constData(), static_cast<size_t>(Name.size()));
    Row.NameOffset = static_cast<uint32_t>(FNames.size());
    const bool Folded = !IsAscii(Bytes);
    AppendLength(FNames, (uint64_t(Bytes.size()) << 1) | (Folded ? 1 : 0));
    FNames.append(Bytes);
    if (Folded) {
        const std::string Folding = FoldCase(Bytes);
        AppendLength(FNames, Folding.size());
        FNames.append(Folding);
    }
}

void TVexloTable::ForgetName(const TRowKey& Row)
{
    FDeadNameBytes += PooledName(Row.NameOffset).Size;
}

TVexloField* TVexloTable::Fields(int Index) const
{
    if (Index < 0 || Index >= FieldCount())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "The table has no field number %1.")
                .arg(Index));
    return FFields[static_cast<size_t>(Index)].get();
}

TVexloField* TVexloTable::FindField(const QString& Name) const
{
    for (const auto& Field : FFields)
        if (Field->FieldName().compare(Name, Qt::CaseInsensitive) == 0)
            return Field.get();
    return nullptr;
}

TVexloField* TVexloTable::FieldByName(const QString& Name) const
{
    if (TVexloField* Field = FindField(Name))
        return Field;
    throw EVexloDatabaseError(
        QCoreApplication::translate("TVexloTable", "The table has no field %1.").arg(Name));
}

void TVexloTable::InvalidateCache() const
{
    FDetailCache.clear();
}

void TVexloTable::FetchDetails(int64_t RowId, QString& BULG, QString& TRANS) const
{
    if (auto It = FDetailCache.find(RowId); It != FDetailCache.end()) {
        BULG = It->second.BULG;
        TRANS = It->second.TRANS;
        return;
    }
    sqlite3_stmt* Stmt = Statement(stDetails);
    TStatementReset Reset{Stmt};
    sqlite3_bind_int64(Stmt, 1, RowId);
    const int Rc = sqlite3_step(Stmt);
    if (Rc == SQLITE_ROW) {
        BULG = ColumnText(Stmt, 0);
        TRANS = ColumnText(Stmt, 1);
    } else if (Rc == SQLITE_DONE) {
        BULG.clear();
        TRANS.clear();
    } else {
        FConnection->RaiseEngineError(
            QCoreApplication::translate("TVexloTable", "Cannot read an entry"));
    }
    if (FDetailCache.size() >= MaxCachedDetails)
        FDetailCache.clear();
    FDetailCache.emplace(RowId, TDetails{BULG, TRANS});
}

int32_t TVexloTable::IdAt(int Index) const
{
    return FRows.at(static_cast<size_t>(Index)).ID;
}

QByteArray TVexloTable::ENameAnsiAt(int Index) const
{
    const std::string_view Name = NameOf(FRows.at(static_cast<size_t>(Index)));
    return QByteArray(Name.data(), static_cast<qsizetype>(Name.size()));
}

QString TVexloTable::ENameAt(int Index) const
{
    const std::string_view Name = NameOf(FRows.at(static_cast<size_t>(Index)));
    return QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
}

int32_t TVexloTable::LevelAt(int Index) const
{
    return FRows.at(static_cast<size_t>(Index)).Level;
}

TEnglishRow TVexloTable::RowAt(int Index) const
{
    const TRowKey& Key = FRows.at(static_cast<size_t>(Index));
    TEnglishRow Row;
    Row.ID = Key.ID;
    Row.ENAME = ENameAt(Index);
    Row.LEVEL = Key.Level;
    FetchDetails(Key.RowId, Row.BULG, Row.TRANS);
    return Row;
}

int TVexloTable::IndexOfId(int32_t ID) const
{
    for (size_t I = 0; I < FRows.size(); ++I)
        if (FRows[I].ID == ID)
            return static_cast<int>(I);
    return -1;
}

QVariant TVexloTable::FieldValue(int Index) const
{
    const TEnglishRow* Row = nullptr;
    TEnglishRow Current;
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) {
        Row = &FBuffer;
    } else if (FState == TDataSetState::dsBrowse && FCurrent >= 0) {
        const TRowKey& Key = FRows[static_cast<size_t>(FCurrent)];
        switch (Index) {
        case 0:
            return Key.ID;
        case 1:
            return ENameAt(FCurrent);
        case 4:
            return Key.Level;
        default:
            Current = RowAt(FCurrent);
            Row = &Current;
        }
    } else {
        return {};
    }
    switch (Index) {
    case 0:
        return Row->ID;
    case 1:
        return Row->ENAME;
    case 2:
        return Row->BULG;
    case 3:
        return Row->TRANS;
    default:
        return Row->LEVEL;
    }
}

void TVexloTable::SetFieldValue(int Index, const QVariant& Value)
{
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable",
                                        "The table is not being edited: field %1 cannot be set.")
                .arg(FFields[static_cast<size_t>(Index)]->FieldName()));
    bool Ok = true;
    switch (Index) {
    case 0: {
        const qlonglong V = Value.toLongLong(&Ok);
        if (!Ok || V < INT32_MIN || V > INT32_MAX)
            throw EVexloDatabaseError(
                QCoreApplication::translate("TVexloTable",
                                            "The entry number %1 is not a 32-bit integer.")
                    .arg(Value.toString()));
        FBuffer.ID = static_cast<int32_t>(V);
        break;
    }
    case 1:
        FBuffer.ENAME = Value.toString();
        break;
    case 2:
        FBuffer.BULG = Value.toString();
        break;
    case 3:
        FBuffer.TRANS = Value.toString();
        break;
    default: {
        const qlonglong V = Value.toLongLong(&Ok);
        if (!Ok || V < 0 || V > 65535)
            throw EVexloDatabaseError(
                QCoreApplication::translate("TVexloTable",
                                            "The level %1 is not a number from 0 to 65535.")
                    .arg(Value.toString()));
        FBuffer.LEVEL = static_cast<int32_t>(V);
        break;
    }
    }
}

// ---- changes --------------------------------------------------------------------------------

void TVexloTable::Append()
{
    CheckActive();
    if (FState != TDataSetState::dsBrowse)
        Post();
    FBuffer = {};
    FState = TDataSetState::dsInsert;
    Fire(AfterScroll);
}

void TVexloTable::Edit()
{
    CheckActive();
    if (FState == TDataSetState::dsEdit)
        return;
    if (FState == TDataSetState::dsInsert)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "Finish or cancel the new entry first."));
    if (FCurrent < 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "There is no entry to edit."));
    FBuffer = RowAt(FCurrent);
    FState = TDataSetState::dsEdit;
}

int TVexloTable::InsertPosition(const TRowKey& Key) const
{
    const auto [KeyBytes, KeyAscii] = KeyOf(Key);
    const auto It = std::partition_point(FRows.begin(), FRows.end(), [&](const TRowKey& Row) {
        const auto [RowBytes, RowAscii] = KeyOf(Row);
        const int C = CompareFolded({RowBytes, RowAscii}, {KeyBytes, KeyAscii});
        return C != 0 ? C < 0 : Row.ID <= Key.ID;
    });
    return static_cast<int>(It - FRows.begin());
}

void TVexloTable::CheckChangedOneRow(const QString& What) const
{
    const int Changed = sqlite3_changes(FConnection->Handle());
    if (Changed != 1)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TVexloTable", "%1: the data file holds %2 rows for this entry instead of one. "
                               "Nothing was saved.")
                .arg(What)
                .arg(Changed));
}

void TVexloTable::Post()
{
    CheckActive();
    if (FState == TDataSetState::dsBrowse)
        return;
    struct TLimit
    {
        const QString* Text;
        int Size;
        const char* What;
    } Limits[] = {{&FBuffer.ENAME, 30, QT_TRANSLATE_NOOP("TVexloTable", "The English word")},
                  {&FBuffer.BULG, 255, QT_TRANSLATE_NOOP("TVexloTable", "The Bulgarian text")},
                  {&FBuffer.TRANS, 30, QT_TRANSLATE_NOOP("TVexloTable", "The transcription")}};
    for (const TLimit& Limit : Limits) {
        if (Limit.Text->size() > Limit.Size)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TVexloTable", "%1 has %2 characters, but at most %3 fit. Nothing was saved.")
                    .arg(QCoreApplication::translate("TVexloTable", Limit.What))
                    .arg(Limit.Text->size())
                    .arg(Limit.Size));
    }
    const bool Inserting = FState == TDataSetState::dsInsert;
    QByteArray Name = FBuffer.ENAME.toUtf8();
    TRowKey Key{};
    if (Inserting) {
        sqlite3_stmt* Stmt = Statement(stInsert);
        TStatementReset Reset{Stmt};
        sqlite3_bind_int(Stmt, 1, FBuffer.ID);
        sqlite3_bind_text(Stmt, 2, Name.constData(), static_cast<int>(Name.size()),
                          SQLITE_TRANSIENT);
        BindText(Stmt, 3, FBuffer.BULG);
        BindText(Stmt, 4, FBuffer.TRANS);
        sqlite3_bind_int(Stmt, 5, FBuffer.LEVEL);
        if (sqlite3_step(Stmt) != SQLITE_DONE)
            FConnection->RaiseEngineError(
                QCoreApplication::translate("TVexloTable", "The data file refused the entry"));
        Key.RowId = FKeyIsId ? FBuffer.ID : sqlite3_last_insert_rowid(FConnection->Handle());
    } else {
        // Only what changed is written: the other columns keep their bytes and storage class.
        const TRowKey& Old = FRows[static_cast<size_t>(FCurrent)];
        const TEnglishRow Before = RowAt(FCurrent);
        sqlite3_stmt* Stmt = Statement(stUpdate);
        TSavepoint Savepoint(FConnection->Handle());
        {
            TStatementReset Reset{Stmt};
            if (FBuffer.ID != Old.ID)
                sqlite3_bind_int(Stmt, 1, FBuffer.ID);
            if (FBuffer.ENAME != Before.ENAME)
                sqlite3_bind_text(Stmt, 2, Name.constData(), static_cast<int>(Name.size()),
                                  SQLITE_TRANSIENT);
            else
            {
                const std::string_view OldName = NameOf(Old);
                Name = QByteArray(OldName.data(), static_cast<qsizetype>(OldName.size()));
            }
            if (FBuffer.BULG != Before.BULG)
                BindText(Stmt, 3, FBuffer.BULG);
            if (FBuffer.TRANS != Before.TRANS)
                BindText(Stmt, 4, FBuffer.TRANS);
            if (FBuffer.LEVEL != Old.Level)
                sqlite3_bind_int(Stmt, 5, FBuffer.LEVEL);
            sqlite3_bind_int64(Stmt, 6, Old.RowId);
            if (sqlite3_step(Stmt) != SQLITE_DONE)
                FConnection->RaiseEngineError(
                    QCoreApplication::translate("TVexloTable", "The data file refused the entry"));
            CheckChangedOneRow(
                QCoreApplication::translate("TVexloTable", "The entry could not be changed"));
        }
        if (!Savepoint.Release())
            FConnection->RaiseEngineError(QCoreApplication::translate(
                "TVexloTable", "Cannot save the change to the data file"));
        Key.RowId = FKeyIsId ? FBuffer.ID : Old.RowId;
        FDetailCache.erase(Old.RowId);
        ForgetName(Old);
        FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(FCurrent));
    }
    Key.ID = FBuffer.ID;
    Key.Level = FBuffer.LEVEL;
    StoreName(Key, Name);
    const int Position = InsertPosition(Key);
    FRows.insert(FRows.begin() + Position, Key);
    if (FDetailCache.size() >= MaxCachedDetails)
        FDetailCache.clear();
    FDetailCache[Key.RowId] = TDetails{FBuffer.BULG, FBuffer.TRANS};
    FBuffer = {};
    FState = TDataSetState::dsBrowse;
    SetCurrent(Position, false);
    Fire(OnDataChange);
    Fire(AfterPost);
}

void TVexloTable::Cancel()
{
    CheckActive();
    if (FState == TDataSetState::dsBrowse)
        return;
    const bool WasInserting = FState == TDataSetState::dsInsert;
    FBuffer = {};
    FState = TDataSetState::dsBrowse;
    FixFlags();
    if (WasInserting)
        Fire(AfterScroll);
}

void TVexloTable::Delete()
{
    CheckActive();
    if (FState == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (FCurrent < 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloTable", "There is no entry to delete."));
    FState = TDataSetState::dsBrowse;
    FBuffer = {};
    const size_t Index = static_cast<size_t>(FCurrent);
    sqlite3_stmt* Stmt = Statement(stDelete);
    {
        TSavepoint Savepoint(FConnection->Handle());
        {
            TStatementReset Reset{Stmt};
            sqlite3_bind_int64(Stmt, 1, FRows[Index].RowId);
            if (sqlite3_step(Stmt) != SQLITE_DONE)
                FConnection->RaiseEngineError(QCoreApplication::translate(
                    "TVexloTable", "The data file refused to delete the entry"));
            CheckChangedOneRow(
                QCoreApplication::translate("TVexloTable", "The entry could not be deleted"));
        }
        if (!Savepoint.Release())
            FConnection->RaiseEngineError(QCoreApplication::translate(
                "TVexloTable", "The data file refused to delete the entry"));
    }
    FDetailCache.erase(FRows[Index].RowId);
    ForgetName(FRows[Index]);
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(Index));
    SetCurrent(std::min(FCurrent, RecordCount() - 1), false);
    Fire(OnDataChange);
    Fire(AfterScroll);
}

void TVexloTable::ShiftIdsAbove(int32_t AfterID, int32_t Delta)
{
    for (TRowKey& Row : FRows)
        if (Row.ID > AfterID) {
            Row.ID -= Delta;
            if (FKeyIsId)
                Row.RowId = Row.ID;
        }
    if (FKeyIsId)
        InvalidateCache();
    Fire(OnDataChange);
}

int TVexloTable::CountIdsAbove(int32_t AfterID) const
{
    return static_cast<int>(std::count_if(
        FRows.begin(), FRows.end(), [AfterID](const TRowKey& Row) { return Row.ID > AfterID; }));
}

int TVexloTable::IndexOfMaxId() const
{
    int Best = -1;
    for (size_t I = 0; I < FRows.size(); ++I)
        if (Best < 0 || FRows[I].ID > FRows[static_cast<size_t>(Best)].ID)
            Best = static_cast<int>(I);
    return Best;
}

// ---- locate ---------------------------------------------------------------------------------

bool TVexloTable::Locate(const QString& KeyField, const QVariant& KeyValue, TLocateOptions Options)
{
    CheckBrowseMode();
    const TVexloField* Field = FieldByName(KeyField);
    const bool Partial = Options & loPartialKey;
    const bool NoCase = Options & loCaseInsensitive;
    int Found = -1;
    switch (Field->Index()) {
    case 1: {
        const QByteArray Key = TextCodec::NarrowText(KeyValue.toString());
        const std::string_view K(Key.constData(), static_cast<size_t>(Key.size()));
        const std::string Folded = IsAscii(K) ? std::string() : FoldCase(K);
        const TFoldedView FK = Folded.empty() ? TFoldedView{K, true} : TFoldedView{Folded, false};
        std::string FoldedPrefix(FK.Bytes.size(), '\0');
        for (size_t I = 0; I < FoldedPrefix.size(); ++I)
            FoldedPrefix[I] = static_cast<char>(FK.At(I));
        // Rows matching without regard to case form one run starting at the lower bound.
        auto It = std::partition_point(FRows.begin(), FRows.end(), [&](const TRowKey& Row) {
            const auto [Bytes, Ascii] = KeyOf(Row);
            return CompareFolded({Bytes, Ascii}, FK) < 0;
        });
        for (; It != FRows.end(); ++It) {
            const std::string_view Name = NameOf(*It);
            const auto [Bytes, Ascii] = KeyOf(*It);
            const bool Match = Partial ? StartsWithFolded({Bytes, Ascii}, FoldedPrefix)
                                       : CompareFolded({Bytes, Ascii}, FK) == 0;
            if (!Match)
                break;
            if (NoCase || (Partial ? Name.substr(0, K.size()) == K : Name == K)) {
                Found = static_cast<int>(It - FRows.begin());
                break;
            }
        }
        break;
    }
    case 0:
    case 4: {
        bool Ok = false;
        const qlonglong V = KeyValue.toLongLong(&Ok);
        if (!Ok)
            return false;
        for (size_t I = 0; I < FRows.size(); ++I) {
            if ((Field->Index() == 0 ? FRows[I].ID : FRows[I].Level) == V) {
                Found = static_cast<int>(I);
                break;
            }
        }
        break;
    }
    default: {
        const QString Key = KeyValue.toString();
        const Qt::CaseSensitivity Cs = NoCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
        std::unordered_set<int64_t> Matching;
        const QByteArray Sql = "SELECT " + FKeyExpr + ", " + Field->FieldName().toUtf8() +
                               " FROM " + QuoteName(TableName);
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(FConnection->Handle(), Sql.constData(), -1, &Stmt, nullptr) !=
            SQLITE_OK)
            FConnection->RaiseEngineError(
                QCoreApplication::translate("TVexloTable", "Cannot search the table"));
        while (sqlite3_step(Stmt) == SQLITE_ROW) {
            const QString Text = ColumnText(Stmt, 1);
            if (Partial ? Text.startsWith(Key, Cs) : Text.compare(Key, Cs) == 0)
                Matching.insert(sqlite3_column_int64(Stmt, 0));
        }
        sqlite3_finalize(Stmt);
        for (size_t I = 0; I < FRows.size() && !Matching.empty(); ++I)
            if (Matching.count(FRows[I].RowId)) {
                Found = static_cast<int>(I);
                break;
            }
        break;
    }
    }
    if (Found < 0)
        return false;
    SetCurrent(Found, false);
    Fire(AfterScroll);
    return true;
}
