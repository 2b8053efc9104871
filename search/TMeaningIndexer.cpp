#include "search/TMeaningIndexer.h"

#include "search/TMeaningText.h"

#include <QMetaObject>
#include <QPointer>

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

TMeaningIndexer::TMeaningIndexer(QObject* Parent) : QObject(Parent)
{
    qRegisterMetaType<std::shared_ptr<const TMeaningIndex>>();
}

TMeaningIndexer::~TMeaningIndexer()
{
    Stop();
}

void TMeaningIndexer::Stop()
{
    FWork.Stop();
    FBuilding = false;
}

namespace {

// Rows read from the table, handed from the reading thread to the indexing one.
struct TRows
{
    std::vector<int32_t> Ids;
    std::string Folded;                              // the rows' texts folded
    std::vector<TMeaningText::TFoldedWord> Words;    // their words
    std::vector<std::pair<uint32_t, uint32_t>> Ends; // where each row ends in Folded and Words
    void Clear()
    {
        Ids.clear();
        Folded.clear();
        Words.clear();
        Ends.clear();
    }
};

// A few batches of rows between the two threads: the reader waits while all are full, the
// indexer while none is; either side ending wakes the other.
class TRowQueue
{
public:
    static constexpr size_t Batches = 4;
    static constexpr size_t RowsPerBatch = 2048;

    TRowQueue()
    {
        for (size_t I = 0; I < Batches; ++I)
            FFree.push_back(std::make_unique<TRows>());
    }
    // The reader: an empty batch to fill (nullptr once the indexer has ended).
    std::unique_ptr<TRows> TakeFree()
    {
        std::unique_lock Lock(FMutex);
        FChanged.wait(Lock, [this] { return !FFree.empty() || FIndexerEnded; });
        if (FIndexerEnded)
            return nullptr;
        auto Rows = std::move(FFree.front());
        FFree.pop_front();
        return Rows;
    }
    void PutFull(std::unique_ptr<TRows> Rows)
    {
        {
            std::lock_guard Lock(FMutex);
            FFull.push_back(std::move(Rows));
        }
        FChanged.notify_all();
    }
    void EndReading(const std::string& Problem)
    {
        {
            std::lock_guard Lock(FMutex);
            FReaderEnded = true;
            FProblem = Problem;
        }
        FChanged.notify_all();
    }
    // The indexer: the next full batch (nullptr once the reader has ended and all are taken).
    std::unique_ptr<TRows> TakeFull()
    {
        std::unique_lock Lock(FMutex);
        FChanged.wait(Lock, [this] { return !FFull.empty() || FReaderEnded; });
        if (FFull.empty())
            return nullptr;
        auto Rows = std::move(FFull.front());
        FFull.pop_front();
        return Rows;
    }
    void PutFree(std::unique_ptr<TRows> Rows)
    {
        Rows->Clear();
        {
            std::lock_guard Lock(FMutex);
            FFree.push_back(std::move(Rows));
        }
        FChanged.notify_all();
    }
    void EndIndexing()
    {
        {
            std::lock_guard Lock(FMutex);
            FIndexerEnded = true;
        }
        FChanged.notify_all();
    }
    std::string Problem()
    {
        std::lock_guard Lock(FMutex);
        return FProblem;
    }

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::unique_ptr<TRows>> FFree, FFull;
    bool FReaderEnded = false;
    bool FIndexerEnded = false;
    std::string FProblem;
};

// The reading thread: the table's rows in batches, then the end (with the engine's message when
// the file could not be read to the end).
void ReadRows(sqlite3* Db, const QByteArray& Sql, TRowQueue& Queue, const std::atomic<bool>* Stop)
{
    sqlite3_stmt* Statement = nullptr;
    int Result = sqlite3_prepare_v2(Db, Sql.constData(), -1, &Statement, nullptr);
    std::unique_ptr<TRows> Rows;
    try {
        while (Result == SQLITE_OK || Result == SQLITE_ROW) {
            if (!Rows && !(Rows = Queue.TakeFree()))
                break; // the indexer has ended
            Result = sqlite3_step(Statement);
            if (Result != SQLITE_ROW)
                break;
            const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Statement, 1));
            const int Bytes = sqlite3_column_bytes(Statement, 1);
            Rows->Ids.push_back(static_cast<int32_t>(sqlite3_column_int64(Statement, 0)));
            if (Text)
                TMeaningText::FoldUtf8(Text, static_cast<size_t>(Bytes), Rows->Folded,
                                       &Rows->Words);
            Rows->Ends.emplace_back(static_cast<uint32_t>(Rows->Folded.size()),
                                    static_cast<uint32_t>(Rows->Words.size()));
            if (Rows->Ids.size() == TRowQueue::RowsPerBatch) {
                Queue.PutFull(std::move(Rows));
                if (Stop && Stop->load(std::memory_order_relaxed)) {
                    Result = SQLITE_DONE;
                    break;
                }
            }
        }
        if (Rows && !Rows->Ids.empty())
            Queue.PutFull(std::move(Rows));
        Queue.EndReading(Result == SQLITE_DONE || Result == SQLITE_ROW || Result == SQLITE_OK
                             ? std::string()
                             : std::string(sqlite3_errmsg(Db)));
    } catch (...) {
        Queue.EndReading("out of memory");
    }
    sqlite3_finalize(Statement);
}

} // namespace

std::shared_ptr<TMeaningIndex> TMeaningIndexer::Read(const QString& Path, const QString& TableName,
                                                     const QByteArray& IdExpression,
                                                     const std::atomic<bool>* Stop)
{
    QString Problem;
    sqlite3* Db = TWorkThread::OpenReadOnly(Path, Problem);
    if (!Db)
        throw std::runtime_error(Problem.toStdString());
    QByteArray Table = TableName.toUtf8();
    Table.replace('"', "\"\"");
    auto Index = std::make_shared<TMeaningIndex>();
    // The number of rows first (from the smallest index, at once), so that the lists are laid
    // out once rather than copied as they grow.
    const QByteArray CountSql = "SELECT count(*) FROM \"" + Table + "\"";
    sqlite3_stmt* Statement = nullptr;
    if (sqlite3_prepare_v2(Db, CountSql.constData(), -1, &Statement, nullptr) == SQLITE_OK &&
        sqlite3_step(Statement) == SQLITE_ROW)
        Index->Reserve(
            static_cast<size_t>(std::max<sqlite3_int64>(0, sqlite3_column_int64(Statement, 0))));
    sqlite3_finalize(Statement);
    // The rows are read and folded on a thread of their own while this one indexes them: the
    // index is ready about when the last row is indexed, not read and then indexed.
    const QByteArray Sql = "SELECT " + IdExpression + ", BULG FROM \"" + Table + "\"";
    TRowQueue Queue;
    std::thread Reader;
    try {
        Reader = std::thread(ReadRows, Db, std::cref(Sql), std::ref(Queue), Stop);
    } catch (...) {
        sqlite3_close(Db);
        throw;
    }
    struct TJoin
    {
        TRowQueue& Queue;
        std::thread& Reader;
        sqlite3* Db;
        ~TJoin()
        {
            Queue.EndIndexing();
            Reader.join();
            sqlite3_close(Db);
        }
    } Join{Queue, Reader, Db};
    while (auto Rows = Queue.TakeFull()) {
        uint32_t Begin = 0, FirstWord = 0;
        for (size_t Row = 0; Row < Rows->Ids.size(); ++Row) {
            const auto [End, EndWord] = Rows->Ends[Row];
            Index->AddFolded(Rows->Ids[Row], Rows->Folded.data() + Begin, End - Begin,
                             Rows->Words.data() + FirstWord, EndWord - FirstWord, Begin);
            Begin = End;
            FirstWord = EndWord;
        }
        Queue.PutFree(std::move(Rows));
        if (Stop && Stop->load(std::memory_order_relaxed))
            break;
    }
    if (const std::string Message = Queue.Problem(); !Message.empty())
        throw std::runtime_error(Message);
    Index->Finish(Stop);
    return Index;
}

void TMeaningIndexer::Rebuild(const QString& Path, const QString& TableName,
                              const QByteArray& IdExpression)
{
    FBuilding = true;
    QPointer<TMeaningIndexer> Self(this);
    FWork.Start([this, Self, Path, TableName, IdExpression](const std::atomic<bool>& Dropped,
                                                             unsigned Generation) {
        std::shared_ptr<const TMeaningIndex> Index;
        QString Problem;
        try {
            Index = Read(Path, TableName, IdExpression, &Dropped);
        } catch (const std::exception& Error) {
            Problem = QString::fromUtf8(Error.what());
        } catch (...) {
            Problem = QStringLiteral("out of memory");
        }
        if (Dropped.load())
            return;
        // Handed to the owner's thread; a build that was dropped meanwhile is forgotten there.
        QMetaObject::invokeMethod(
            this,
            [Self, Generation, Index, Problem] {
                if (!Self || Self->FWork.Generation() != Generation)
                    return;
                Self->FBuilding = false;
                if (Index)
                    emit Self->Built(Index);
                else
                    emit Self->Failed(Problem);
            },
            Qt::QueuedConnection);
    });
}
