#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// An Access database (.mdb from Access 97 on, .accdb), opened read only through mdbtools' library.
// The file is never written. Values come out as text: numbers in decimal, dates as the library
// prints them, memo fields whole; OLE objects and binary columns are not read (they read empty).
class TAccessFile
{
public:
    // Throws EVexloDatabaseError when the file cannot be opened as an Access database.
    explicit TAccessFile(const QString& Path);
    ~TAccessFile();
    TAccessFile(const TAccessFile&) = delete;
    TAccessFile& operator=(const TAccessFile&) = delete;

    struct TColumn
    {
        QString Name;
        int Type = 0;     // mdbtools' column type (MDB_TEXT, MDB_MEMO, ...)
        bool Readable = true; // false for OLE objects and binary data
    };

    // The user tables, in the file's catalogue order.
    QStringList TableNames() const;
    // Throws EVexloDatabaseError for a table that does not exist.
    std::vector<TColumn> Columns(const QString& Table) const;
    // Calls Sink with every row's values in column order and its 1-based row number; stops early
    // when Sink returns false. Throws EVexloDatabaseError for a table that does not exist.
    void ReadRows(const QString& Table,
                  const std::function<bool(int Row, const QStringList& Values)>& Sink) const;

    // Whether Path looks like an Access file by its name (.mdb, .accdb).
    static bool HasAccessName(const QString& Path);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
