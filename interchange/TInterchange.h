#pragma once

#include "interchange/TAccessColumns.h"
#include "interchange/TImportRules.h"
#include "interchange/TInterchangeTypes.h"
#include "interchange/TKvtmlExtras.h"
#include "store/TEnBgRecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <iosfwd>
#include <optional>
#include <vector>

class TAccessFile;
class TScreenSaverDataModule;
class TVexloConnection;

// Words in and out of a dictionary: reading and writing the interchange formats, the rules every
// import follows, and the command-line options --import and --export.
//
// Every import runs in one transaction on the dictionary: rows are checked, rows without any text
// are counted apart and left out, exact duplicates (every part equal: English word, Bulgarian
// text, transcription and level, in the dictionary or earlier in the file) are counted and left
// out, rows that cannot be stored are listed with their line or row number and the reason, the
// rest get the numbers after the greatest one (so that the numbers stay 1..N), and nothing is kept
// unless the caller confirms at the end. Texts read from files are only ever stored as texts. What
// makes a row fit to be stored is in TImportRules.
namespace TInterchange {

// The format a file name stands for: .tsv .tab .txt, .csv, .kvtml, .mdb .accdb, .ods, .xlsx.
TInterchangeFormat FormatOf(const QString& Path);
QString FormatName(TInterchangeFormat Format);

// Reads a text, KDE vocabulary or spreadsheet file (every format but Access). Throws EVexloDatabaseError with
// a message for the user when the file cannot be read, is larger than 256 MB, does not fit in
// memory or is malformed as a whole.
// Options: see TReadOptions (a .csv file always has the formula guard taken off).
TSourceData ReadFile(const QString& Path, TInterchangeFormat Format,
                     const TReadOptions& Options = {});

struct TSkippedRow
{
    int Line = 0;
    QString Reason;
};

struct TImportSummary
{
    QString LineWord = QStringLiteral("line");
    int Read = 0;       // rows the file held
    int Added = 0;      // rows stored (or to be stored, until confirmed)
    int Duplicates = 0; // exact duplicates left out
    int EmptyRows = 0;  // rows without any text, left out
    // The reader's note (TSourceData::Note), and what was kept besides the rows (practice
    // records, lesson names; see TKvtmlExtras).
    QString Note;
    std::vector<TSkippedRow> Skipped;
    bool Cancelled = false; // stopped through the progress callback
    bool Committed = false; // the rows are in the dictionary

    // "Added 12 entries, skipped 2, duplicates 1." (with "Nothing was added" when not committed).
    QString OneLine() const;
    // Several lines: the counts and the first MaxListed skipped rows with their reasons.
    QString Report(int MaxListed = 30) const;
};

// Called as rows are stored; returning false cancels the import (nothing is kept).
using TProgress = std::function<bool(qsizetype Done, qsizetype Total)>;
// Called with the summary before the transaction ends; true keeps the rows. Not called when there
// is nothing to add.
using TConfirm = std::function<bool(const TImportSummary& Summary)>;

// Imports Data into the dictionary open on Connection. Throws EVexloDatabaseError on a database
// error, after rolling everything back.
TImportSummary Import(TVexloConnection& Connection, const TSourceData& Data,
                      const TProgress& Progress = {}, const TConfirm& Confirm = {});
// The same on the program's store; afterwards the browsing table shows the new entries.
TImportSummary ImportIntoStore(TScreenSaverDataModule& Store, const TSourceData& Data,
                               const TProgress& Progress = {}, const TConfirm& Confirm = {});

// Every entry of the dictionary in number order.
std::vector<TEnBgRecord> ReadEntries(TVexloConnection& Connection);
// Writes every entry to Path in Format (not Access); the file is replaced only when complete.
// Returns the number of entries written; throws EVexloDatabaseError.
// The target is never the open data file (by any name or link), and a pipe or device is written
// into, never replaced (see TExportTarget). An entry holding a character the format cannot carry
// is named in the error, and nothing is written.
struct TExportOptions
{
    // In .csv files, a text that begins with = + - or @ gets a leading apostrophe, so that a
    // spreadsheet shows it as text instead of running it as a formula; the import of a .csv file
    // takes such an apostrophe off again.
    bool GuardFormulas = true;
};
int Export(TVexloConnection& Connection, const QString& Path, TInterchangeFormat Format,
           const TExportOptions& Options = {});
// Extras (KDE vocabulary documents): empty, or the practice record and lesson of every entry.
QByteArray Encode(const std::vector<TEnBgRecord>& Entries, TInterchangeFormat Format,
                  const QString& Title = QStringLiteral("Vexlo Vocabulary"),
                  const TExportOptions& Options = {},
                  const std::vector<TKvtmlExtras::TEntryExtras>& Extras = {});

// Where a dictionary made from the Access file Source goes by default: beside it, with the same
// name and the suffix .sqlite ("words.mdb" -> "words.sqlite", then "words (2).sqlite", ... when
// taken).
QString ConvertedPath(const QString& Source);
// Makes a new vocabulary data file from an Access file: from its table English, or from the table
// and columns of Map. Target empty means ConvertedPath(Source). The Access file is only read; an
// existing Target is never replaced. Returns the path of the new file; throws EVexloDatabaseError
// (and leaves no new file behind). Summary, when given, receives what was added and skipped.
QString ConvertAccessFile(const QString& Source, const QString& Target = QString(),
                          const TAccessColumns::TColumnMap* Map = nullptr,
                          TImportSummary* Summary = nullptr);

} // namespace TInterchange
