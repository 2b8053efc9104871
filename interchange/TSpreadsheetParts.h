#pragma once

// The pieces the spreadsheet formats share: the zip archive, the rows of a sheet, the guarded XML
// reader. Only for interchange/TSpreadsheet*.cpp.

#include "interchange/TDelimitedText.h"
#include "interchange/TInterchangeTypes.h"
#include "store/TEnBgRecord.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <memory>
#include <utility>
#include <vector>

class QuaZip;

namespace TSpreadsheetParts {

using TRecords = std::vector<TDelimitedText::TRecord>;

// The most that the parts read from one file may unpack to, together.
constexpr qint64 MaxUnpacked = qint64(256) << 20;
// The sheet's extent that is read: rows and columns past these hold nothing a word list needs.
constexpr qint64 MaxRows = 1 << 20;
constexpr qint64 MaxColumns = 256;
// Cells kept in all (a row of 256 cells repeated a million times is refused, not expanded).
constexpr qint64 MaxCells = qint64(1) << 22;
// The longest text one cell gives.
constexpr qsizetype MaxCellText = 1 << 20;

// "OpenDocument spreadsheet", "Excel workbook": the kind named in messages.
QString KindName(TInterchangeFormat Format);
// Throws the message that the file is not a readable one of its kind, with Detail saying why.
[[noreturn]] void Broken(TInterchangeFormat Format, const QString& Detail);

// The zip archive held in Bytes, its parts read with the limit above.
class TZipArchive
{
public:
    TZipArchive(const QByteArray& Bytes, TInterchangeFormat Format);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    bool Has(const QString& Name);
    // The bytes of part Name; throws when it is missing, encrypted, damaged or too large.
    QByteArray Read(const QString& Name);

private:
    QByteArray FBytes;
    QBuffer FBuffer;
    std::unique_ptr<QuaZip> FZip;
    TInterchangeFormat FFormat;
    qint64 FUnpacked = 0;
};

// Builds a new zip archive in memory.
class TZipWriter
{
public:
    TZipWriter();
    ~TZipWriter();
    TZipWriter(const TZipWriter&) = delete;
    TZipWriter& operator=(const TZipWriter&) = delete;

    // Adds part Name; Stored keeps it uncompressed.
    void Add(const QString& Name, const QByteArray& Bytes, bool Stored = false);
    QByteArray Finish();

private:
    QByteArray FBytes;
    QBuffer FBuffer;
    std::unique_ptr<QuaZip> FZip;
};

// Gathers the rows of a sheet as the formats describe them: cells at their columns (gaps are
// empty texts, empty cells at the end are dropped), runs of repeated cells and rows, rows
// without any text left out.
class TSheetRows
{
public:
    explicit TSheetRows(TInterchangeFormat Format) : FFormat(Format) {}
    // Row Number (1-based) begins.
    void StartRow(qint64 Number);
    // Column (0-based) holds Text, Repeat times over.
    void Cell(qint64 Column, const QString& Text, qint64 Repeat = 1);
    // The row ends; it stands for Repeat rows.
    void EndRow(qint64 Repeat = 1);
    TRecords Take() { return std::move(FRecords); }

private:
    TInterchangeFormat FFormat;
    TRecords FRecords;
    QStringList FFields;
    qint64 FRow = 0;
    qint64 FCells = 0;
};

// An XML reader over one part that refuses a document type declaration (and with it every
// entity of the file's own) and names the part when the XML is broken.
class TPartReader : public QXmlStreamReader
{
public:
    TPartReader(const QByteArray& Bytes, TInterchangeFormat Format, QString Part);
    // The next token; throws on a document type declaration or broken XML.
    TokenType Next();
    // Moves to the next child of the current element: true at its start, false at the current
    // element's end. Throws when the part ends first.
    bool NextChild();
    // Throws when the XML ended broken.
    void CheckEnd();
    [[noreturn]] void Fail(const QString& Detail) const;

private:
    TInterchangeFormat FFormat;
    QString FPart;
};

// An attribute that counts something: a whole number from 1 to Max, 1 when absent or malformed.
qint64 Count(QStringView Value, qint64 Max);

TRecords ReadOdsCells(TZipArchive& Zip);
TRecords ReadXlsxCells(TZipArchive& Zip);
QByteArray WriteOds(const std::vector<TEnBgRecord>& Entries);
QByteArray WriteXlsx(const std::vector<TEnBgRecord>& Entries);

} // namespace TSpreadsheetParts
