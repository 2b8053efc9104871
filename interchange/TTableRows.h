#pragma once

#include "interchange/TDelimitedText.h"
#include "interchange/TInterchangeTypes.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// Rows of a table (the records of a delimited file, the rows of a spreadsheet) as entries' parts:
// which column holds English, Transcription, Bulgarian and Level, as the user named them, as a
// header row or a flashcard program's meta columns name them, or as the number of columns tells.
namespace TTableRows {

// Column positions for the four parts (English, Transcription, Bulgarian, Level); -1 where no
// column holds one.
struct TColumns
{
    std::array<int, 4> At{0, 1, 2, 3};
};

// Whether Fields look like a header row: every non-empty name is one we know, or at least two
// are. Fills Columns when they do.
bool ReadHeader(const QStringList& Fields, TColumns& Columns);

// The columns the user named, in order: English, Transcription, Bulgarian, Level, or "-" (or
// nothing) for a column to leave out. Throws EVexloDatabaseError for any other name, and when no
// column is English.
TColumns ColumnsNamed(const QStringList& Names);

// The meta columns of flashcard notes ("#guid column:1"), 0-based; -1 where absent.
struct TMetaColumns
{
    std::vector<int> Skipped;
    int Tags = -1;

    // Notes a header line "#Key:Value"; only the keys "... column" name meta columns.
    void Take(const QString& Key, const QString& Value);
    bool Any() const { return !Skipped.empty(); }
    // The first two other columns are the note's front and back.
    TColumns Columns() const;
    // "level::3" among the tags gives "3"; none gives an empty level.
    static QString LevelTag(const QString& Tags);
};

// Turns records into rows: the first record may be a header row naming the columns (unless they
// are known), blank records are left out, and without a header the number of columns decides.
struct TRowBuilder
{
    TSourceData& Data;
    TColumns Columns;
    TMetaColumns Meta;
    bool UndoFormulaGuard = false; // see TReadOptions
    bool Html = false;             // the fields are HTML (see TForeignText::HtmlToPlain)
    bool HeaderKnown = false;      // the columns are known: the first record is a row
    bool ByHeader = HeaderKnown;
    int MostFields = 0;

    void Take(TDelimitedText::TRecord& Record);
    // Without a header: two columns are English and Bulgarian, three are English, Bulgarian and
    // Level when every third field is a number (or empty), else a question (EInterchangeQuestion);
    // four or more stay English, Transcription, Bulgarian, Level.
    void Finish();
};

// Reads the rows of a table (a spreadsheet's cells, a record for each row): the columns as the user
// named them in Options, or as a header row in the first record names them, or by their number as
// TDelimitedText::Read takes them. Blank records (one empty field) are left out.
TSourceData ReadTable(std::vector<TDelimitedText::TRecord> Records, const TReadOptions& Options);

} // namespace TTableRows
