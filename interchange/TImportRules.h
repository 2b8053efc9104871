#pragma once

#include "interchange/TInterchangeTypes.h"
#include "store/TEnBgRecord.h"

#include <QString>

// The rules every import follows for one row: which rows are left out as empty, and what makes a
// row fit to be stored as an entry (texts within the dictionary's widths, no control characters
// but tab and line breaks, a level from 0 to 9).
namespace TImportRules {

// The widths of the dictionary's columns, in characters.
constexpr int EnglishWidth = 30;
constexpr int BulgarianWidth = 255;
constexpr int TranscriptionWidth = 30;

// Any line break (CR LF, LF, CR) as CR LF, the form the dictionary keeps.
QString WithCrLf(const QString& Text);

// A row without any text: an empty grid row of a flashcard program.
bool IsEmptyRow(const TSourceRow& Row);

// Checks one row and turns it into an entry; returns false with Reason when it cannot be stored.
bool CheckRow(const TSourceRow& Row, TEnBgRecord& Entry, QString& Reason);

} // namespace TImportRules
