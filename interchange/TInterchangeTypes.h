#pragma once

#include "review/TFsrs.h"
#include "store/EVexloDatabaseError.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The file formats words come in and go out in.
enum class TInterchangeFormat
{
    Unknown,
    Tsv,   // tab-separated text as flashcard programs write it (also read: any detected separator)
    Csv,   // comma-separated text (RFC 4180)
    Kvtml, // KDE vocabulary document, version 2
    Access, // Access database (.mdb, .accdb), read only
    // Notes of a flashcard program's Basic note type (written only; read back as Tsv): Front
    // and Back, the transcription folded into the one named.
    AnkiFront,
    AnkiBack,
    Ods,  // OpenDocument spreadsheet: the first sheet
    Xlsx  // Office Open XML workbook (Excel 2007 and later): the first sheet
};

// A flashcard program's record of practising a row English -> Bulgarian, as a KDE vocabulary
// document keeps it on the Bulgarian translation.
struct TSourceGrade
{
    int Box = 0;      // Leitner box 1..7; 0: not practised yet
    int Count = 0;    // times practised
    int Errors = 0;   // wrong answers
    int64_t Date = 0; // the last practice, milliseconds since 1970 UTC; 0 when not given
    // The review's own memory of the row, where this program wrote the document and nobody has
    // changed the grade since.
    std::optional<TMemoryState> Memory;
    bool operator==(const TSourceGrade&) const = default;
};

// One row as a reader found it, before any check: the texts exactly as the file holds them.
struct TSourceRow
{
    int Line = 0; // the file's line (text, XML) or row number (Access) where the row starts
    QString English;
    QString Transcription;
    QString Bulgarian;
    QString Level; // empty for "not given"
    // Why the reader could not take the row apart (broken quoting, for instance); such a row is
    // listed as skipped.
    QString Problem;
    // The practice record, where the file has one (KDE vocabulary documents).
    std::optional<TSourceGrade> Grade;
    // The lesson (unit) that holds the row and the lessons around it, outermost first, where the
    // file has them; lessons named "Level N" give the level instead and are not part of it.
    QStringList Lesson;
};

struct TSourceData
{
    std::vector<TSourceRow> Rows;
    // What the reader left out of the file besides rows ("Languages left out: German."), or
    // empty.
    QString Note;
    // What Line counts: "line" for text and XML files, "row" for database tables.
    QString LineWord = QStringLiteral("line");
};

// How to read a text file, where the user said.
struct TReadOptions
{
    // Take off the apostrophe a .csv export puts before a text that begins like a formula.
    bool UndoFormulaGuard = false;
    // The file's encoding ("windows-1251", ...); empty: UTF-8 or UTF-16 by their marks, or
    // Windows-1251 when the bytes can only be that.
    QString Encoding;
    // What the columns hold, in order: English, Transcription, Bulgarian, Level, or "-" for a
    // column to leave out. Empty: a header tells, or the number of columns.
    QStringList Columns;
    // KDE vocabulary documents: the positions (in the document's order) of the languages that are
    // English and Bulgarian. Empty: chosen by locale or name, else by order.
    QList<int> Languages;
    // KDE vocabulary documents: with Languages empty, a document with more than two languages, or
    // with language codes that name neither English nor Bulgarian, is a question (Languages).
    bool AskLanguages = false;
};

// A file that can be read only with an answer from the user: its encoding, or what the columns
// of a list without a header row hold. The message says what is unclear.
class EInterchangeQuestion : public EVexloDatabaseError
{
public:
    enum class TKind
    {
        Encoding,
        Columns,
        Languages
    };
    EInterchangeQuestion(TKind Kind, const QString& Message, QStringList Sample = {})
        : EVexloDatabaseError(Message), Kind(Kind), Sample(std::move(Sample))
    {}
    TKind Kind;
    // For Columns: the first rows, fields joined by " | "; for Languages: the document's
    // languages, each as "name (code)".
    QStringList Sample;
    // For Languages: the positions in Sample the reader would take for English and Bulgarian.
    QList<int> Suggested;
};
