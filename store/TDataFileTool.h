#pragma once

#include "store/TEnBgRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <iosfwd>

// Creating vocabulary data files: an empty one, or one holding the sample vocabulary that is
// built into the program (its source is data/sample-vocabulary.txt).
class TDataFileTool
{
public:
    // Handles "--create-empty FILE" and "--create-sample FILE" (Arguments without the program
    // name). Returns -1 when Arguments hold neither option, so the caller starts the program as
    // usual; else the exit code: 0 done, 1 the file could not be made, 2 usage error.
    static int Run(const QStringList& Arguments, std::ostream& Out, std::ostream& Err);

    // Create a new data file; an existing file is never overwritten. Throw EVexloDatabaseError.
    static void CreateEmptyDataFile(const QString& Path);
    static void CreateSampleDataFile(const QString& Path);

    // The built-in sample vocabulary, in file order.
    static QList<TEnBgRecord> SampleVocabulary();
    // Parses the sample format: "word | transcription | level | line 1 [| line 2 [| line 3]]",
    // '#' starts a comment line, blank lines are skipped. Throws EVexloDatabaseError with the line
    // number on a malformed line.
    static QList<TEnBgRecord> ParseVocabulary(const QString& Text);

    // The SQL that makes the table and its indexes in a new file.
    static const char* SchemaSql();
};
