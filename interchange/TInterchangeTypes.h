#pragma once

#include <QString>

#include <vector>

// The file formats words come in and go out in.
enum class TInterchangeFormat
{
    Unknown,
    Tsv,   // tab-separated text as flashcard programs write it (also read: any detected separator)
    Csv,   // comma-separated text (RFC 4180)
    Kvtml, // KDE vocabulary document, version 2
    Access // Access database (.mdb, .accdb), read only
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
    // What Line counts: "line" for text and XML files, "row" for database tables.
    QString LineWord = QStringLiteral("line");
};
