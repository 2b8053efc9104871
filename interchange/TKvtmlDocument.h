#pragma once

#include "interchange/TInterchangeTypes.h"
#include "store/TEnBgRecord.h"

#include <QByteArray>

#include <vector>

// KDE vocabulary documents (.kvtml, version 2).
//
// Reading takes, for every entry, the English and the Bulgarian text and the English
// pronunciation: the languages are chosen by their locale (en*, bg*) or name (English,
// Bulgarian), else in document order, and the data's note names those left out; the level comes from the name of the lesson
// that holds the entry when that name is "Level N" (N from 0 to 9). Nothing in the document is
// run or fetched: no DTD, no external entity.
//
// Writing gives two identifiers, English (en) and Bulgarian (bg), one entry per word with the
// English text and pronunciation and the Bulgarian text (its lines joined by LF), and keeps each
// level as a lesson "Level N" holding that level's entries, which KDE's programs show and keep.
namespace TKvtmlDocument {

// Throws EVexloDatabaseError for a document that is not well-formed (a truncated file, for
// instance) or not a version 2 vocabulary document.
TSourceData Read(const QByteArray& Bytes);

QByteArray Write(const std::vector<TEnBgRecord>& Entries, const QString& Title);

} // namespace TKvtmlDocument
