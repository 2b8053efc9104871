#pragma once

#include "interchange/TInterchangeTypes.h"
#include "store/TEnBgRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct sqlite3;

// What a KDE vocabulary document carries besides the words, kept beside table English: the
// practice record of each entry (as the review's memory) and the lessons the entries came in.
//
// A practice record becomes the review's starting memory thus: Leitner box b (1..7) is a
// stability of 2^(b-1) days (1, 2, 4, ... 64); the difficulty goes from that of a first "Good"
// answer with no errors up to 10 when every answer was wrong (errors / times practised); the last
// review is the practice date (the time of the import when the file gives none, never later than
// it), and the word is due the stability's days after it. Times practised and errors become the
// repetitions and lapses. Box 0 (not practised) leaves the word new. The way back takes the box
// whose stability is the greatest not above the word's (1 below one day, 7 from 64 days on).
namespace TKvtmlExtras {

std::optional<TMemoryState> StartingState(const TSourceGrade& Grade, int64_t Now);
// The record a reviewed word's memory is written as; none for a word not reviewed yet.
std::optional<TSourceGrade> GradeOf(const TMemoryState& State);

// The lesson path as the lesson table keeps it (a JSON array of names), and back.
QByteArray LessonText(const QStringList& Lesson);
QStringList LessonOf(const QByteArray& Text);

// Collects the extras of the rows an import stores, and writes them in the import's transaction.
class TCollector
{
public:
    // Row was stored with these texts (as bound, UTF-8).
    void Add(const QByteArray& English, const QByteArray& Bulgarian, const TSourceRow& Row);
    // Writes the review's memory of words that have none yet (making the review's tables when the
    // first is written) and the lessons of words that have none yet. Returns a line for the
    // import report, or an empty string when there was nothing to write. Throws
    // EVexloDatabaseError.
    QString Store(sqlite3* Db, int64_t Now) const;

private:
    struct TItem
    {
        QByteArray English;
        QByteArray Bulgarian;
        std::optional<TSourceGrade> Grade;
        QStringList Lesson;
    };
    std::vector<TItem> FItems;
};

struct TEntryExtras
{
    std::optional<TMemoryState> Memory;
    QStringList Lesson;
};
// The extras of Entries (as TInterchange::ReadEntries gives them), in their order; empty when
// the file keeps none.
std::vector<TEntryExtras> Read(sqlite3* Db, const std::vector<TEnBgRecord>& Entries);

} // namespace TKvtmlExtras
