#pragma once

#include "interchange/TInterchangeTypes.h"

#include <QString>

#include <optional>

class TAccessFile;

// The words of an Access table: which of its columns hold the entry's parts, and the rows read
// from them.
namespace TAccessColumns {

// Which columns of an Access table hold the entry's parts (names as the table spells them; empty
// for none). English is required.
struct TColumnMap
{
    QString Table;
    QString English;
    QString Transcription;
    QString Bulgarian;
    QString Level;
};
// The map of a dictionary's own table English (ENAME, TRANS, BULG, LEVEL), when File has one.
std::optional<TColumnMap> EnglishTableMap(const TAccessFile& File);
// A first guess for any table: columns named like the parts (English, Word, Transcription, ...).
TColumnMap GuessColumnMap(const TAccessFile& File, const QString& Table);
// Reads the mapped columns of a table; rows of a table with an ID column come in ID order. Throws
// EVexloDatabaseError for a table or column that is not there.
TSourceData ReadAccess(const TAccessFile& File, const TColumnMap& Map);

} // namespace TAccessColumns
