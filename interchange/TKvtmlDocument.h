#pragma once

#include "interchange/TInterchangeTypes.h"
#include "interchange/TKvtmlExtras.h"
#include "store/TEnBgRecord.h"

#include <QByteArray>

#include <vector>

// KDE vocabulary documents (.kvtml, version 2).
//
// Reading takes, for every entry, the English and the Bulgarian text and the English
// pronunciation: the languages are chosen by their locale (en*, bg*) or name (English,
// Bulgarian), else in document order (or as the options say), and the data's note names those
// left out. The level comes from the innermost lesson "Level N" (N from 0 to 9) that holds the
// entry; the other lessons around it are its lesson path. The grade of the Bulgarian translation
// (the record of practising English -> Bulgarian) is the row's practice record. Nothing in the
// document is run or fetched: no DTD, no external entity.
//
// Writing gives two identifiers, English (en) and Bulgarian (bg), one entry per word with the
// English text and pronunciation and the Bulgarian text (its lines joined by LF) and, for a word
// the review knows, its record as the grade of the Bulgarian translation (with the review's exact
// memory beside it, which KDE's programs pass over). The lessons keep the dictionary's order:
// each run of entries with the same lesson path is a lesson (nested as the path says), and each
// run of entries with the same level in it a lesson "Level N" inside it, except level 0 in a
// lesson path, whose entries the lesson holds itself. A lesson's entries come before the lessons
// inside it, so an entry after such a lesson opens its lesson anew (two lessons of one name).
namespace TKvtmlDocument {

// Throws EVexloDatabaseError for a document that is not well-formed (a truncated file, for
// instance) or not a version 2 vocabulary document, and EInterchangeQuestion (Languages) where
// Options asks for that. Options: Languages and AskLanguages.
TSourceData Read(const QByteArray& Bytes, const TReadOptions& Options = {});

// Extras: empty, or one for every entry.
QByteArray Write(const std::vector<TEnBgRecord>& Entries, const QString& Title,
                 const std::vector<TKvtmlExtras::TEntryExtras>& Extras = {});

} // namespace TKvtmlDocument
