#pragma once

#include "store/EVexloDatabaseError.h"

#include <QString>
#include <QStringList>

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
};

// A file that can be read only with an answer from the user: its encoding, or what the columns
// of a list without a header row hold. The message says what is unclear.
class EInterchangeQuestion : public EVexloDatabaseError
{
public:
    enum class TKind
    {
        Encoding,
        Columns
    };
    EInterchangeQuestion(TKind Kind, const QString& Message, QStringList Sample = {})
        : EVexloDatabaseError(Message), Kind(Kind), Sample(std::move(Sample))
    {}
    TKind Kind;
    QStringList Sample; // for Columns: the first rows, fields joined by " | "
};
