#include "search/TTextSearch.h"

#include "store/TextCodec.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QPointer>

#include <sqlite3.h>

#include <string>

namespace {

bool IsWordChar(QChar C)
{
    return C.isLetterOrNumber() || C.category() == QChar::Mark_NonSpacing;
}

QStringView Column(sqlite3_stmt* Statement, int Index)
{
    const auto* Text = static_cast<const char16_t*>(sqlite3_column_text16(Statement, Index));
    return QStringView(Text, sqlite3_column_bytes16(Statement, Index) / 2);
}

} // namespace

TTextSearch::TTextSearch(QObject* Parent) : QObject(Parent)
{
    qRegisterMetaType<QVector<TFoundEntry>>();
}

TTextSearch::~TTextSearch()
{
    Stop();
}

void TTextSearch::Join()
{
    if (FStop)
        FStop->store(true);
    if (FWorker.joinable())
        FWorker.join();
    FStop.reset();
}

void TTextSearch::Stop()
{
    Join();
    ++FGeneration;
    FRunning = false;
}

bool TTextSearch::Holds(QStringView FoldedText, QStringView FoldedQuery, bool WholeWords)
{
    if (FoldedQuery.isEmpty())
        return false;
    for (qsizetype At = FoldedText.indexOf(FoldedQuery); At >= 0;
         At = FoldedText.indexOf(FoldedQuery, At + 1)) {
        if (!WholeWords)
            return true;
        const qsizetype End = At + FoldedQuery.size();
        const bool StartsWord = At == 0 || !IsWordChar(FoldedText.at(At - 1)) ||
                                !IsWordChar(FoldedQuery.front());
        const bool EndsWord = End == FoldedText.size() || !IsWordChar(FoldedText.at(End)) ||
                              !IsWordChar(FoldedQuery.back());
        if (StartsWord && EndsWord)
            return true;
    }
    return false;
}

void TTextSearch::Start(const QString& Path, const QString& TableName,
                        const QByteArray& IdExpression, const TQuery& Query)
{
    Join();
    const unsigned Generation = ++FGeneration;
    FRunning = true;
    auto StopFlag = std::make_shared<std::atomic<bool>>(false);
    FStop = StopFlag;
    QPointer<TTextSearch> Self(this);
    // Hands something over to this object's thread, unless the search was dropped meanwhile.
    auto Send = [this, Self, Generation](auto Work) {
        QMetaObject::invokeMethod(
            this,
            [Self, Generation, Work] {
                if (Self && Self->FGeneration == Generation)
                    Work(*Self);
            },
            Qt::QueuedConnection);
    };
    FWorker = std::thread([StopFlag, Send, Path, TableName, IdExpression, Query] {
        const QString Folded = TextCodec::FoldCase(Query.Text);
        sqlite3* Db = nullptr;
        QString Problem;
        int Count = 0;
        if (sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(Db, 2000);
            QByteArray Table = TableName.toUtf8();
            Table.replace('"', "\"\"");
            const QByteArray Sql =
                "SELECT " + IdExpression + ", ENAME, TRANS, BULG FROM \"" + Table + "\"";
            sqlite3_stmt* Statement = nullptr;
            int Result = sqlite3_prepare_v2(Db, Sql.constData(), -1, &Statement, nullptr);
            QVector<TFoundEntry> Batch;
            QElapsedTimer SinceBatch;
            SinceBatch.start();
            const int Columns[] = {1, 2, 3};
            int Rows = 0;
            int Sent = 0;
            while (Result == SQLITE_OK || Result == SQLITE_ROW) {
                Result = sqlite3_step(Statement);
                if (Result != SQLITE_ROW || StopFlag->load(std::memory_order_relaxed))
                    break;
                for (int I = 0; I < 3; ++I) {
                    const int Field = 1 << I;
                    if (!(Query.Fields & Field))
                        continue;
                    const QStringView Text = Column(Statement, Columns[I]);
                    if (!Holds(TextCodec::FoldCase(Text), Folded, Query.WholeWords))
                        continue;
                    if (Count < MaxListed)
                        Batch.append({static_cast<int32_t>(sqlite3_column_int64(Statement, 0)),
                                      Column(Statement, 1).toString(), Field, Text.toString()});
                    ++Count;
                    break;
                }
                // The first entries go at once, the rest (and the count) ten times a second.
                ++Rows;
                const bool Early = !Batch.isEmpty() && Count <= 50;
                if (Early || ((Rows & 255) == 0 && SinceBatch.elapsed() >= 100)) {
                    if (Count != Sent)
                        Send([Found = std::move(Batch), Count](TTextSearch& Self) {
                            emit Self.Found(Found, Count);
                        });
                    Batch = {};
                    Sent = Count;
                    SinceBatch.restart();
                }
            }
            if (Result != SQLITE_DONE && !StopFlag->load())
                Problem = QString::fromUtf8(sqlite3_errmsg(Db));
            sqlite3_finalize(Statement);
            if (!Batch.isEmpty())
                Send([Found = std::move(Batch), Count](TTextSearch& Self) {
                    emit Self.Found(Found, Count);
                });
        } else {
            Problem = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) : QStringLiteral("out of memory");
        }
        sqlite3_close(Db);
        if (StopFlag->load())
            return;
        Send([Problem, Count](TTextSearch& Self) {
            Self.FRunning = false;
            if (Problem.isEmpty())
                emit Self.Finished(Count);
            else
                emit Self.Failed(Problem);
        });
    });
}
