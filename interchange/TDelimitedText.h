#pragma once

#include "interchange/TInterchangeTypes.h"
#include "interchange/TTextDecoding.h"
#include "store/TEnBgRecord.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Delimited text: tab-, comma- or semicolon-separated words, as spreadsheets and flashcard programs
// write them. Reading accepts UTF-8 with or without a byte-order mark and UTF-16 with one, RFC 4180
// quoting (a quoted field may hold separators, doubled quotes and line breaks), the header lines
// flashcard programs put first ("#separator:tab", "#columns:..."), and a header row that names the
// columns in any order. Without a header the columns are English, Transcription, Bulgarian, Level.
namespace TDelimitedText {

// One record of a delimited file: its fields and the line where it starts.
struct TRecord
{
    int Line = 0;
    QStringList Fields;
    QString Problem; // set when the record's quoting is broken
};

// Splits Text into records with Separator. A quoted field left open at the end of the text throws
// EVexloDatabaseError naming the line where it opened; stray text after a closing quote marks only
// its record. FirstLine is the line number of Text's first line.
std::vector<TRecord> SplitRecords(QStringView Text, QChar Separator, int FirstLine = 1);
// The same, handing each record to Sink as soon as it is complete.
void SplitRecords(QStringView Text, QChar Separator, int FirstLine,
                  const std::function<void(TRecord& Record)>& Sink);

// The separator of Text: the one of tab, semicolon and comma that occurs, outside quotes, the
// same number of times on most of the first lines; tab when nothing tells.
QChar DetectSeparator(QStringView Text);

// Reads a whole delimited file (Bytes are let go as soon as they are decoded). With
// UndoFormulaGuard (files WriteCsv wrote), a text of apostrophes and then = + - or @ loses its
// first apostrophe.
TSourceData Read(QByteArray Bytes, bool UndoFormulaGuard = false);
// The same as the user asked. Besides a header row: the title lines of KDE's lists ("Title:",
// "Author:") are left out; the meta columns of flashcard notes ("#guid column:1", "#deck
// column:", "#notetype column:", "#tags column:") are left out, the first two other columns are
// English and Bulgarian, and a tag level::N gives the level; with "#html:true" the fields are HTML
// (see TForeignText::HtmlToPlain). Without any header, two columns are English and Bulgarian;
// three are English, Bulgarian and Level when every third field is a number (or empty); four are
// English, Transcription, Bulgarian, Level. Throws EInterchangeQuestion when the encoding or three
// columns leave a doubt.
TSourceData Read(QByteArray Bytes, const TReadOptions& Options);

// Writes entries in the form flashcard programs import: UTF-8, tab-separated, the header lines
// "#separator:tab", "#html:false" and "#columns:English<TAB>Transcription<TAB>Bulgarian<TAB>Level",
// one entry a line; fields with a tab, a quote or a line break are quoted, multi-line meanings keep
// their lines (as LF). Whatever it writes, Read gives back as it was.
QByteArray WriteTsv(const std::vector<TEnBgRecord>& Entries);
// Writes notes for a flashcard program's Basic note type: the header lines "#separator:tab",
// "#html:false", "#notetype:Basic" and "#tags column:3", then Front, Back and the tag level::N
// a line. The transcription goes in brackets after the English word (TranscriptionOnFront) or
// before the Bulgarian text. Read gives back the words, meanings and levels.
QByteArray WriteAnki(const std::vector<TEnBgRecord>& Entries, bool TranscriptionOnFront);
// Writes RFC 4180 comma-separated text: UTF-8 with a byte-order mark (so that spreadsheets take it
// as UTF-8), a header row English,Transcription,Bulgarian,Level, CR LF line ends. With
// GuardFormulas, every text is quoted, and a text that begins (after any apostrophes) with = + -
// or @ gets one more apostrophe in front, so that spreadsheets show it as text instead of running
// it.
QByteArray WriteCsv(const std::vector<TEnBgRecord>& Entries, bool GuardFormulas = true);

} // namespace TDelimitedText
