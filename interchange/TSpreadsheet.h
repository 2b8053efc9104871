#pragma once

#include "interchange/TDelimitedText.h"
#include "interchange/TInterchangeTypes.h"
#include "store/TEnBgRecord.h"

#include <QByteArray>

#include <vector>

// Spreadsheet files: OpenDocument spreadsheets (.ods) and Office Open XML workbooks (.xlsx).
//
// Reading takes the cells of the first sheet as a table of texts and hands it to the rules of
// delimited text (a header row naming the columns, or their number, or the columns the user
// named). A cell gives the text it shows; a number gives its value ("3", "2.5"); a formula gives
// the result the file keeps, and is never worked out. Paragraphs and line breaks in a cell
// become line breaks; rows without any text are left out. Only the parts of the zip archive
// itself are read: the file's XML may not declare a document type, and no part may unpack to
// more than the limit together, so a small damaged or hostile file cannot fill the memory.
//
// Writing gives one sheet Words with the header row English, Transcription, Bulgarian, Level;
// the level is a number cell, every other part a text cell (so a text beginning with = stays a
// text), and a meaning of several lines keeps its lines inside the cell.
namespace TSpreadsheet {

// The texts of the first sheet, a record a row (Line: the row's number, Fields from column A).
// Throws EVexloDatabaseError with a message for the user when the file is damaged, encrypted,
// of another kind, or unpacks to too much.
std::vector<TDelimitedText::TRecord> ReadCells(const QByteArray& Bytes, TInterchangeFormat Format);
// The rows of the first sheet (Line is the row's number; LineWord "row").
TSourceData Read(const QByteArray& Bytes, TInterchangeFormat Format,
                 const TReadOptions& Options = {});

// The file of Format (Ods or Xlsx) holding Entries. Throws EVexloDatabaseError naming an entry
// with a character the format cannot carry.
QByteArray Write(const std::vector<TEnBgRecord>& Entries, TInterchangeFormat Format);

} // namespace TSpreadsheet
