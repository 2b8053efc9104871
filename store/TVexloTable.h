#pragma once

#include "store/EVexloDatabaseError.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TVexloConnection;
class TVexloTable;
struct sqlite3_stmt;

enum class TDataSetState
{
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert
};

enum class TFieldType
{
    ftInteger,    // 32-bit signed
    ftWideString, // text of at most Size characters (UTF-16 code units)
    ftWord        // 16-bit unsigned
};

// Locate options; combine with |. No option means an exact, case-sensitive match.
enum TLocateOption : unsigned
{
    loCaseInsensitive = 1,
    loPartialKey = 2
};
using TLocateOptions = unsigned;

// One whole row of table English.
struct TEnglishRow
{
    int32_t ID = 0;
    QString ENAME;
    QString BULG;      // lines separated by CR LF; a database NULL reads as empty
    QString TRANS;     // a database NULL reads as empty
    int32_t LEVEL = 0; // as stored, even outside 0..9
};

// A field object of the table: reads the current row (or the row being edited or appended) and
// writes the edit buffer.
class TVexloField
{
public:
    const QString& FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    int Size() const { return FSize; } // characters for text fields, 0 otherwise
    int Index() const { return FIndex; }

    QVariant Value() const;
    QString AsString() const;
    int AsInteger() const;
    QByteArray AsAnsiString() const; // the text narrowed to 8 bits
    // Writing needs the table in edit or insert mode; widths are checked when the row is posted.
    void SetValue(const QVariant& Value);
    void SetAsString(const QString& Value) { SetValue(Value); }
    void SetAsInteger(int Value) { SetValue(Value); }

private:
    friend class TVexloTable;
    TVexloField(TVexloTable* Table, QString Name, TFieldType Type, int Size, int Index)
        : FTable(Table), FFieldName(std::move(Name)), FDataType(Type), FSize(Size), FIndex(Index)
    {}
    TVexloTable* FTable;
    QString FFieldName;
    TFieldType FDataType;
    int FSize;
    int FIndex;
};

// Table English on a connection, with a static cursor in table order: EName ascending ignoring
// case for all of Unicode (full case folding), ties by ID. Opening reads ID, ENAME and LEVEL of
// every row into memory (names in one pooled buffer); BULG and TRANS are fetched when a row is
// read and kept in a small cache. Moving, counting and prefix locates on ENAME never touch the
// database.
//
// Files made by other tools are taken as they are: IDs and levels are read and compared as
// integers whatever their declared type or storage class (text from a CSV import, REAL levels);
// rows are addressed by a row-id name the table does not shadow, or, when there is none (an ID
// that is the row id, a WITHOUT ROWID table, user columns named rowid, _rowid_ and oid), by their
// ID. Every update and delete must change exactly one row, else it fails and changes nothing.
// Posting an edit writes only the columns whose value changed, so text that is not valid UTF-8
// stays byte for byte in the others.
//
// Fields, in this order: ID (integer), ENAME (wide text 30), BULG (wide text 255), TRANS (wide
// text 30), LEVEL (word). A text longer than its field, or a LEVEL outside 0..65535, is refused
// when posting with an EVexloDatabaseError and nothing is stored.
//
// Events: AfterScroll after each change of the current row (also after Open, First, Last, Append,
// Cancel, Delete and a successful Locate); AfterPost after each post; OnDataChange whenever rows or
// their contents may have changed (open, close, post, delete, refresh, renumbering) so that a view
// model can reset itself. Each fires after the table's state is final.
class TVexloTable
{
public:
    explicit TVexloTable(TVexloConnection* Connection = nullptr);
    ~TVexloTable();
    TVexloTable(const TVexloTable&) = delete;
    TVexloTable& operator=(const TVexloTable&) = delete;

    TVexloConnection* Connection() const { return FConnection; }
    // Only while closed.
    void SetConnection(TVexloConnection* Connection);
    QString TableName = QStringLiteral("English");

    // Throws EVexloDatabaseError when the connection is closed, the table or a column is missing.
    void Open();
    void Close();
    bool Active() const { return FState != TDataSetState::dsInactive; }
    void SetActive(bool Value);
    TDataSetState State() const { return FState; }
    // Reloads the rows from the database, keeping the current entry by its English word (and ID
    // among entries of the same word) when it still exists, else its position.
    void Refresh();

    int RecordCount() const { return static_cast<int>(FRows.size()); }
    // 1-based position in table order; -1 when closed, empty or while appending.
    int RecNo() const;
    // Moves to the 1-based position (clamped into range).
    void SetRecNo(int Value);
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    bool IsEmpty() const { return FRows.empty(); }

    void First();
    void Prior();
    void Next();
    void Last();

    void Append();
    void Edit();
    void Post();
    void Cancel();
    // Deletes the current row; the next row (or the new last one) becomes current.
    void Delete();

    // The first row in table order whose field matches becomes current and true is returned;
    // otherwise the current row stays and false is returned. Prefix and case-insensitive locates on
    // ENAME are binary searches; case is ignored by full Unicode case folding.
    bool Locate(const QString& KeyField, const QVariant& KeyValue, TLocateOptions Options);

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TVexloField* Fields(int Index) const;
    // Case-insensitive; throws EVexloDatabaseError when there is no such field.
    TVexloField* FieldByName(const QString& Name) const;
    TVexloField* FindField(const QString& Name) const;

    // Row access by index (0-based, table order) without moving the current row, for views.
    int32_t IdAt(int Index) const;
    QString ENameAt(int Index) const;
    QByteArray ENameAnsiAt(int Index) const;
    int32_t LevelAt(int Index) const;
    // The whole row; BULG and TRANS are fetched on demand and cached.
    TEnglishRow RowAt(int Index) const;
    // The position (0-based) of the first row carrying ID, or -1.
    int IndexOfId(int32_t ID) const;

    // Mirrors a renumbering done in the database by the command
    // "update english set ID = ID - Delta where ID > AfterID", so the table shows the new IDs
    // without reading every row again. The table order does not change.
    void ShiftIdsAbove(int32_t AfterID, int32_t Delta);
    // The number of rows whose ID is greater than AfterID.
    int CountIdsAbove(int32_t AfterID) const;
    // The position (0-based) of the row with the greatest ID, or -1 when empty.
    int IndexOfMaxId() const;

    // What the file was like when the rows were read: SQLite's data_version at that moment (see
    // TVexloConnection::DataVersion), the SQL expression that gives ID as an integer, and whether
    // a unique index or key holds the IDs (renumbering then goes through negative numbers).
    int64_t DataVersion() const { return FDataVersion; }
    const QByteArray& IdExpression() const { return FIdExpr; }
    bool UniqueIds() const { return FUniqueIds; }
    // How rows are addressed: a row-id name ("rowid", "_rowid_", "oid") or the ID expression.
    const QByteArray& RowKeyExpression() const { return FKeyExpr; }

    std::function<void()> AfterScroll;
    std::function<void()> AfterPost;
    std::function<void()> OnDataChange;

private:
    friend class TVexloField;
    friend class TVexloConnection;
    // 20 bytes a row: a million rows take 20 MB. The name and, for names that are not plain
    // ASCII, its case folding live in the pool at NameOffset, each behind its length (see
    // StoreName).
#pragma pack(push, 4)
    struct TRowKey
    {
        int64_t RowId; // the row's address: its row id, or its ID when rows go by ID
        int32_t ID;
        int32_t Level;
        uint32_t NameOffset;
    };
#pragma pack(pop)
    // A name's entry in the pool.
    struct TPooledName
    {
        std::string_view Name;
        std::string_view Fold; // empty for a plain ASCII name, folded A-Z on the fly
        bool Folded;
        size_t Size; // bytes of the whole entry
    };
    struct TStatement;

    QVariant FieldValue(int Index) const;
    void SetFieldValue(int Index, const QVariant& Value);
    TPooledName PooledName(uint32_t Offset) const;
    std::string_view NameOf(const TRowKey& Row) const;
    // The bytes the row sorts by, and whether they still need A-Z folded (plain ASCII names).
    std::pair<std::string_view, bool> KeyOf(const TRowKey& Row) const;
    // Puts the name (and its case folding) into the pool; ForgetName counts its bytes as dead.
    void StoreName(TRowKey& Row, const QByteArray& Name);
    void ForgetName(const TRowKey& Row);
    void ReadSchema();
    // A guess of the number of rows, for sizing what LoadRows fills; 0 when there is none.
    size_t EstimateRowCount() const;
    void LoadRows();
    void CheckActive() const;
    void CheckBrowseMode() const;
    void SetCurrent(int Index, bool Notify);
    void FixFlags();
    void Fire(const std::function<void()>& Event) const;
    int InsertPosition(const TRowKey& Key) const;
    void CheckChangedOneRow(const QString& What) const;
    void FetchDetails(int64_t RowId, QString& BULG, QString& TRANS) const;
    void InvalidateCache() const;
    void ConnectionClosing();
    void FinalizeStatements();
    sqlite3_stmt* Statement(int Which) const;

    TVexloConnection* FConnection = nullptr;
    std::vector<std::unique_ptr<TVexloField>> FFields;
    TDataSetState FState = TDataSetState::dsInactive;
    std::vector<TRowKey> FRows;
    std::string FNames; // pooled ENAME bytes (UTF-8)
    size_t FDeadNameBytes = 0;
    int FCurrent = -1;
    bool FBof = true;
    bool FEof = true;
    TEnglishRow FBuffer; // the row being edited or appended
    struct TDetails
    {
        QString BULG;
        QString TRANS;
    };
    mutable std::unordered_map<int64_t, TDetails> FDetailCache;
    mutable std::array<sqlite3_stmt*, 4> FStatements{};
    // Read from the file's schema when the table opens.
    QByteArray FKeyExpr;
    QByteArray FIdExpr = "ID";
    bool FKeyIsId = false;
    bool FUniqueIds = false;
    int64_t FDataVersion = -1;
};
