#include "store/TVexloTable.h"

#include "store/TVexloConnection.h"
#include "store/TextCodec.h"

#include <QSet>

#include <algorithm>
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

// The order of SQLite's NOCASE collation: bytes compared with A-Z folded to a-z, then length.
int CompareNoCase(std::string_view A, std::string_view B)
{
    const size_t N = std::min(A.size(), B.size());
    for (size_t I = 0; I < N; ++I) {
        const int D = int(FoldAscii(A[I])) - int(FoldAscii(B[I]));
        if (D != 0)
            return D;
    }
    return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

bool StartsWithNoCase(std::string_view Text, std::string_view Prefix)
{
    if (Prefix.size() > Text.size())
        return false;
    for (size_t I = 0; I < Prefix.size(); ++I)
        if (FoldAscii(Text[I]) != FoldAscii(Prefix[I]))
            return false;
    return true;
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
        throw EVexloDatabaseError(
            QStringLiteral("The table must be closed before it changes its connection."));
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

sqlite3_stmt* TVexloTable::Statement(int Which, const char* Sql) const
{
    sqlite3_stmt*& Stmt = FStatements[static_cast<size_t>(Which)];
    if (!Stmt) {
        if (sqlite3_prepare_v3(FConnection->Handle(), Sql, -1, SQLITE_PREPARE_PERSISTENT, &Stmt,
                               nullptr) != SQLITE_OK) {
            Stmt = nullptr;
            FConnection->RaiseEngineError(QStringLiteral("The data file refused a statement"));
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
        throw EVexloDatabaseError(QStringLiteral("The table has no connection."));
    FConnection->CheckConnected();
    sqlite3* Db = FConnection->Handle();

    // The table and the five columns must be there.
    QSet<QString> Columns;
    {
        const QByteArray Sql = "PRAGMA table_info(\"" + TableName.toUtf8() + "\")";
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(Db, Sql.constData(), -1, &Stmt, nullptr) != SQLITE_OK)
            FConnection->RaiseEngineError(QStringLiteral("Cannot read the data file"));
        int Rc;
        while ((Rc = sqlite3_step(Stmt)) == SQLITE_ROW)
            Columns.insert(ColumnText(Stmt, 1).toUpper());
        sqlite3_finalize(Stmt);
        if (Rc != SQLITE_DONE)
            FConnection->RaiseEngineError(QStringLiteral("Cannot read the data file"));
    }
    if (Columns.isEmpty())
        throw EVexloDatabaseError(
            QStringLiteral("The file %1 is not a vocabulary data file: it has no table %2.")
                .arg(FConnection->FileName(), TableName));
    for (const char* Name : FieldNames) {
        if (!Columns.contains(QLatin1String(Name)))
            throw EVexloDatabaseError(
                QStringLiteral(
                    "The file %1 is not a vocabulary data file: table %2 has no column %3.")
                    .arg(FConnection->FileName(), TableName, QLatin1String(Name)));
    }

    LoadRows();
    FState = TDataSetState::dsBrowse;
    SetCurrent(FRows.empty() ? -1 : 0, false);
    FBof = true;
    Fire(OnDataChange);
    Fire(AfterScroll);
}

void TVexloTable::LoadRows()
{
    FRows.clear();
    FNames.clear();
    FDeadNameBytes = 0;
    InvalidateCache();
    sqlite3* Db = FConnection->Handle();
    const QByteArray Sql = "SELECT rowid, ID, ENAME, LEVEL FROM \"" + TableName.toUtf8() +
                           "\" ORDER BY ENAME COLLATE NOCASE, ID";
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(Db, Sql.constData(), -1, &Stmt, nullptr) != SQLITE_OK)
        FConnection->RaiseEngineError(QStringLiteral("Cannot read the table"));
    int Rc;
    while ((Rc = sqlite3_step(Stmt)) == SQLITE_ROW) {
        TRowKey Row;
        Row.RowId = sqlite3_column_int64(Stmt, 0);
        Row.ID = sqlite3_column_int(Stmt, 1);
        const auto* Name = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 2));
        Row.NameLength = static_cast<uint32_t>(sqlite3_column_bytes(Stmt, 2));
        Row.NameOffset = static_cast<uint32_t>(FNames.size());
        if (Name)
            FNames.append(Name, Row.NameLength);
        Row.Level = sqlite3_column_int(Stmt, 3);
        FRows.push_back(Row);
    }
    sqlite3_finalize(Stmt);
    if (Rc != SQLITE_DONE) {
        FRows.clear();
        FNames.clear();
        FConnection->RaiseEngineError(QStringLiteral("Cannot read the table"));
    }
    // Values of other types written by other tools may leave the engine's order different from
    // ours; the binary searches need ours.
    auto Less = [this](const TRowKey& A, const TRowKey& B) {
        const int C = CompareNoCase(NameOf(A), NameOf(B));
        return C != 0 ? C < 0 : A.ID < B.ID;
    };
    if (!std::is_sorted(FRows.begin(), FRows.end(), Less))
        std::stable_sort(FRows.begin(), FRows.end(), Less);
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
    const int64_t RowId = FCurrent >= 0 ? FRows[static_cast<size_t>(FCurrent)].RowId : -1;
    const int OldIndex = FCurrent;
    LoadRows();
    int Index = -1;
    for (size_t I = 0; I < FRows.size() && RowId >= 0; ++I)
        if (FRows[I].RowId == RowId) {
            Index = static_cast<int>(I);
            break;
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
        throw EVexloDatabaseError(QStringLiteral("The table %1 is not open.").arg(TableName));
}

void TVexloTable::CheckBrowseMode() const
{
    CheckActive();
    if (FState != TDataSetState::dsBrowse)
        throw EVexloDatabaseError(
            QStringLiteral("Finish or cancel the change of the current entry first."));
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

std::string_view TVexloTable::NameOf(const TRowKey& Row) const
{
    return std::string_view(FNames.data() + Row.NameOffset, Row.NameLength);
}

uint32_t TVexloTable::StoreName(const QByteArray& Name)
{
    // Updates leave dead bytes behind; compact the pool when they outweigh the live ones.
    if (FDeadNameBytes > 65536 && FDeadNameBytes * 2 > FNames.size()) {
        std::string Packed;
        Packed.reserve(FNames.size() - FDeadNameBytes + static_cast<size_t>(Name.size()));
        for (TRowKey& Row : FRows) {
            const std::string_view Old = NameOf(Row);
            Row.NameOffset = static_cast<uint32_t>(Packed.size());
            Packed.append(Old);
        }
        FNames.swap(Packed);
        FDeadNameBytes = 0;
    }
    const auto Offset = static_cast<uint32_t>(FNames.size());
    FNames.append(Name.constData(), static_cast<size_t>(Name.size()));
    return Offset;
}

TVexloField* TVexloTable::Fields(int Index) const
{
    if (Index < 0 || Index >= FieldCount())
        throw EVexloDatabaseError(QStringLiteral("The table has no field number %1.").arg(Index));
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
    throw EVexloDatabaseError(QStringLiteral("The table has no field %1.").arg(Name));
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
    sqlite3_stmt* Stmt = Statement(stDetails, "SELECT BULG, TRANS FROM English WHERE rowid = ?");
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
        FConnection->RaiseEngineError(QStringLiteral("Cannot read an entry"));
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
            QStringLiteral("The table is not being edited: field %1 cannot be set.")
                .arg(FFields[static_cast<size_t>(Index)]->FieldName()));
    bool Ok = true;
    switch (Index) {
    case 0: {
        const qlonglong V = Value.toLongLong(&Ok);
        if (!Ok || V < INT32_MIN || V > INT32_MAX)
            throw EVexloDatabaseError(QStringLiteral("The entry number %1 is not a 32-bit integer.")
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
                QStringLiteral("The level %1 is not a number from 0 to 65535.")
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
        throw EVexloDatabaseError(QStringLiteral("Finish or cancel the new entry first."));
    if (FCurrent < 0)
        throw EVexloDatabaseError(QStringLiteral("There is no entry to edit."));
    FBuffer = RowAt(FCurrent);
    FState = TDataSetState::dsEdit;
}

int TVexloTable::InsertPosition(std::string_view Name, int32_t ID) const
{
    const auto It = std::partition_point(FRows.begin(), FRows.end(), [&](const TRowKey& Row) {
        const int C = CompareNoCase(NameOf(Row), Name);
        return C != 0 ? C < 0 : Row.ID <= ID;
    });
    return static_cast<int>(It - FRows.begin());
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
    } Limits[] = {{&FBuffer.ENAME, 30, "The English word"},
                  {&FBuffer.BULG, 255, "The Bulgarian text"},
                  {&FBuffer.TRANS, 30, "The transcription"}};
    for (const TLimit& Limit : Limits) {
        if (Limit.Text->size() > Limit.Size)
            throw EVexloDatabaseError(
                QStringLiteral("%1 has %2 characters, but at most %3 fit. Nothing was saved.")
                    .arg(QLatin1String(Limit.What))
                    .arg(Limit.Text->size())
                    .arg(Limit.Size));
    }
    const QByteArray Name = FBuffer.ENAME.toUtf8();
    const bool Inserting = FState == TDataSetState::dsInsert;
    sqlite3_stmt* Stmt =
        Inserting
            ? Statement(
                  stInsert,
                  "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) VALUES (?, ?, ?, ?, ?)")
            : Statement(stUpdate, "UPDATE English SET ID = ?, ENAME = ?, BULG = ?, TRANS = ?, "
                                  "LEVEL = ? WHERE rowid = ?");
    {
        TStatementReset Reset{Stmt};
        sqlite3_bind_int(Stmt, 1, FBuffer.ID);
        sqlite3_bind_text(Stmt, 2, Name.constData(), static_cast<int>(Name.size()),
                          SQLITE_TRANSIENT);
        BindText(Stmt, 3, FBuffer.BULG);
        BindText(Stmt, 4, FBuffer.TRANS);
        sqlite3_bind_int(Stmt, 5, FBuffer.LEVEL);
        if (!Inserting)
            sqlite3_bind_int64(Stmt, 6, FRows[static_cast<size_t>(FCurrent)].RowId);
        if (sqlite3_step(Stmt) != SQLITE_DONE)
            FConnection->RaiseEngineError(QStringLiteral("The data file refused the entry"));
    }
    TRowKey Key;
    if (Inserting) {
        Key.RowId = sqlite3_last_insert_rowid(FConnection->Handle());
    } else {
        const size_t Old = static_cast<size_t>(FCurrent);
        Key.RowId = FRows[Old].RowId;
        FDeadNameBytes += FRows[Old].NameLength;
        FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(Old));
    }
    Key.ID = FBuffer.ID;
    Key.Level = FBuffer.LEVEL;
    Key.NameLength = static_cast<uint32_t>(Name.size());
    Key.NameOffset = StoreName(Name);
    const int Position = InsertPosition(std::string_view(Name.constData(), Name.size()), Key.ID);
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
        throw EVexloDatabaseError(QStringLiteral("There is no entry to delete."));
    FState = TDataSetState::dsBrowse;
    FBuffer = {};
    const size_t Index = static_cast<size_t>(FCurrent);
    sqlite3_stmt* Stmt = Statement(stDelete, "DELETE FROM English WHERE rowid = ?");
    {
        TStatementReset Reset{Stmt};
        sqlite3_bind_int64(Stmt, 1, FRows[Index].RowId);
        if (sqlite3_step(Stmt) != SQLITE_DONE)
            FConnection->RaiseEngineError(
                QStringLiteral("The data file refused to delete the entry"));
    }
    FDetailCache.erase(FRows[Index].RowId);
    FDeadNameBytes += FRows[Index].NameLength;
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(Index));
    SetCurrent(std::min(FCurrent, RecordCount() - 1), false);
    Fire(OnDataChange);
    Fire(AfterScroll);
}

void TVexloTable::ShiftIdsAbove(int32_t AfterID, int32_t Delta)
{
    for (TRowKey& Row : FRows)
        if (Row.ID > AfterID)
            Row.ID -= Delta;
    Fire(OnDataChange);
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
        // Rows matching without regard to case form one run starting at the lower bound.
        auto It = std::partition_point(FRows.begin(), FRows.end(), [&](const TRowKey& Row) {
            return CompareNoCase(NameOf(Row), K) < 0;
        });
        for (; It != FRows.end(); ++It) {
            const std::string_view Name = NameOf(*It);
            const bool Match = Partial ? StartsWithNoCase(Name, K) : CompareNoCase(Name, K) == 0;
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
        const QByteArray Sql = "SELECT rowid, " + Field->FieldName().toUtf8() + " FROM English";
        sqlite3_stmt* Stmt = nullptr;
        if (sqlite3_prepare_v2(FConnection->Handle(), Sql.constData(), -1, &Stmt, nullptr) !=
            SQLITE_OK)
            FConnection->RaiseEngineError(QStringLiteral("Cannot search the table"));
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
