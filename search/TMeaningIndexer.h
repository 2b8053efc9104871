#pragma once

#include "search/TMeaningIndex.h"
#include "search/TWorkThread.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// Builds meaning indexes on a thread of its own from a connection of its own, opened read-only on
// the data file: the window never waits for it, and nothing is written to the file. (A second
// thread reads and folds the rows while the first indexes them.) Each build
// reads the whole table in one statement (in the write-ahead-log mode of the program's files a
// reader never holds up another program's writes).
//
// Rebuild may be asked for at any time; a build under way is dropped and the newest request
// wins. Built comes on the thread that owns this object (its event loop), carrying an index made
// after the request, or Failed with a message when the file could not be read.
class TMeaningIndexer : public QObject
{
    Q_OBJECT

public:
    explicit TMeaningIndexer(QObject* Parent = nullptr);
    ~TMeaningIndexer() override;

    // Reads table TableName of the data file Path, the IDs through IdExpression (see
    // TVexloTable::IdExpression).
    void Rebuild(const QString& Path, const QString& TableName, const QByteArray& IdExpression);
    // Drops any build under way.
    void Stop();
    bool Building() const { return FBuilding; }

    // Reads the index synchronously on the calling thread (the benchmarks and the worker use it).
    // Throws std::runtime_error with the engine's message when the file cannot be read.
    static std::shared_ptr<TMeaningIndex> Read(const QString& Path, const QString& TableName,
                                               const QByteArray& IdExpression,
                                               const std::atomic<bool>* Stop = nullptr);

signals:
    void Built(std::shared_ptr<const TMeaningIndex> Index);
    void Failed(const QString& Message);

private:
    TWorkThread FWork;
    bool FBuilding = false;
};
