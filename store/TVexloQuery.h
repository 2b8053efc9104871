#pragma once

#include "store/EVexloDatabaseError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class TVexloConnection;

// One column value of a query row (or a null value when there is no row).
class TVexloValue
{
public:
    TVexloValue() = default;
    explicit TVexloValue(QVariant Value) : FValue(std::move(Value)) {}

    bool IsNull() const { return FValue.isNull(); }
    const QVariant& Value() const { return FValue; }
    int AsInteger() const { return FValue.toInt(); }
    QString AsString() const { return FValue.toString(); }
    // The text narrowed to 8 bits.
    QByteArray AsAnsiString() const;

private:
    QVariant FValue;
};

// A query with a static cursor: Open runs the SQL text and keeps every row it returns.
class TVexloQuery
{
public:
    explicit TVexloQuery(TVexloConnection* Connection = nullptr) : Connection(Connection) {}

    TVexloConnection* Connection;
    QString SQL;

    // Runs SQL; throws EVexloDatabaseError when the connection is closed or the engine refuses it.
    void Open();
    void Close();
    bool Active() const { return FActive; }

    int RecordCount() const { return static_cast<int>(FRows.size()); }
    // Value of the named column (case-insensitive) in the current row; throws when the query has
    // no such column. Without a current row the value is null.
    TVexloValue FieldByName(const QString& Name) const;
    void First();
    void Next();
    bool Eof() const;
    bool Bof() const { return FRecord <= 0; }

private:
    bool FActive = false;
    QStringList FColumns;
    std::vector<std::vector<QVariant>> FRows;
    int FRecord = 0;
};
