#pragma once

#include "interchange/TInterchange.h"

#include <QStringList>

#include <iosfwd>

// The command-line options that bring words in and out of the configured data file.
namespace TCommandLine {

// "Table=Products,English=ProductName,Bulgarian=QuantityPerUnit,Level=CategoryID" (the names are
// the table's; Transcription may be given too). Throws EVexloDatabaseError when malformed.
TAccessColumns::TColumnMap ParseColumnMap(const QString& Text);

// Handles "--import FILE [--columns MAP] [--encoding NAME]" and "--export FILE [--csv-as-is]
// [--anki front|back]" on the configured data file (--columns of a text file: what its columns
// hold, "English,Bulgarian,Level") (Arguments without the program name). Returns -1 when neither is present; else the exit
// code: 0 done, 1 failed, 2 usage error. Prints a one-line summary to Out, skipped rows and errors
// to Err.
int RunInterchange(const QStringList& Arguments, std::ostream& Out, std::ostream& Err);

} // namespace TCommandLine
