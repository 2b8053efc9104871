#pragma once

#include "search/TWorkThread.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>

// One entry found by a search in everything.
struct TFoundEntry
{
    int32_t ID = 0;
    QString English;
    int Field = 0;  // the first field that matched (a TTextSearch::TField)
    QString Text;   // that field's text as stored
};

// A search for a text anywhere in the entries: in the English word, the transcription or the
// Bulgarian text, as a part of a word or as whole words, ignoring case as the store does (full
// Unicode case folding). It reads the data file on a thread of its own through a read-only
// connection of its own, in the file's order, and hands what it finds over in batches while it
// reads, so the first entries show long before the whole file is read; Stop ends it at once.
class TTextSearch : public QObject
{
    Q_OBJECT

public:
    enum TField : int
    {
        fdEnglish = 1,
        fdTranscription = 2,
        fdBulgarian = 4,
        fdAll = 7
    };
    struct TQuery
    {
        QString Text;
        int Fields = fdAll;
        bool WholeWords = false;
    };

    explicit TTextSearch(QObject* Parent = nullptr);
    ~TTextSearch() override;

    // At most this many entries are handed over; the rest are only counted.
    static inline int MaxListed = 5000;

    // Starts a search of table TableName in the file Path (a search under way is dropped).
    void Start(const QString& Path, const QString& TableName, const QByteArray& IdExpression,
               const TQuery& Query);
    // Ends the search under way; nothing more comes of it.
    void Stop();
    bool Running() const { return FRunning; }

    // Whether Text holds the folded query FoldedQuery (see TextCodec::FoldCase) as a part or as
    // whole words. Public for the tests.
    static bool Holds(QStringView FoldedText, QStringView FoldedQuery, bool WholeWords);

signals:
    // A batch of entries found, in the file's order; Counted entries found so far.
    void Found(const QVector<TFoundEntry>& Entries, int Counted);
    // The whole file is read: Count entries found.
    void Finished(int Count);
    void Failed(const QString& Message);

private:
    TWorkThread FWork;
    bool FRunning = false;
};
