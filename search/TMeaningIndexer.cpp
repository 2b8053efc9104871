#include "search/TMeaningIndexer.h"

#include <QFile>
#include <QMetaObject>
#include <QPointer>

#include <sqlite3.h>

#include <stdexcept>

TMeaningIndexer::TMeaningIndexer(QObject* Parent) : QObject(Parent)
{
    qRegisterMetaType<std::shared_ptr<const TMeaningIndex>>();
}

TMeaningIndexer::~TMeaningIndexer()
{
    Stop();
}

void TMeaningIndexer::Join()
{
    if (FStop)
        FStop->store(true);
    if (FWorker.joinable())
        FWorker.join();
    FStop.reset();
}

void TMeaningIndexer::Stop()
{
    Join();
    ++FGeneration;
    FBuilding = false;
}

std::shared_ptr<TMeaningIndex> TMeaningIndexer::Read(const QString& Path, const QString& TableName,
                                                     const QByteArray& IdExpression,
                                                     const std::atomic<bool>* Stop)
{
    sqlite3* Db = nullptr;
    const QByteArray Name = QFile::encodeName(Path);
    if (sqlite3_open_v2(Name.constData(), &Db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string Message = Db ? sqlite3_errmsg(Db) : "out of memory";
        sqlite3_close(Db);
        throw std::runtime_error(Message);
    }
    sqlite3_busy_timeout(Db, 2000);
    QByteArray Table = TableName.toUtf8();
    Table.replace('"', "\"\"");
    const QByteArray Sql = "SELECT " + IdExpression + ", BULG FROM \"" + Table + "\"";
    sqlite3_stmt* Statement = nullptr;
    auto Index = std::make_shared<TMeaningIndex>();
    int Result = sqlite3_prepare_v2(Db, Sql.constData(), -1, &Statement, nullptr);
    if (Result == SQLITE_OK) {
        int Count = 0;
        while ((Result = sqlite3_step(Statement)) == SQLITE_ROW) {
            const auto* Text = static_cast<const char16_t*>(sqlite3_column_text16(Statement, 1));
            const int Bytes = sqlite3_column_bytes16(Statement, 1);
            Index->Add(static_cast<int32_t>(sqlite3_column_int64(Statement, 0)),
                       QStringView(Text, Bytes / 2));
            if ((++Count & 4095) == 0 && Stop && Stop->load(std::memory_order_relaxed)) {
                Result = SQLITE_DONE;
                break;
            }
        }
    }
    std::string Message;
    if (Result != SQLITE_DONE)
        Message = sqlite3_errmsg(Db);
    sqlite3_finalize(Statement);
    sqlite3_close(Db);
    if (!Message.empty())
        throw std::runtime_error(Message);
    Index->Finish(Stop);
    return Index;
}

void TMeaningIndexer::Rebuild(const QString& Path, const QString& TableName,
                              const QByteArray& IdExpression)
{
    Join();
    const unsigned Generation = ++FGeneration;
    FBuilding = true;
    auto StopFlag = std::make_shared<std::atomic<bool>>(false);
    FStop = StopFlag;
    QPointer<TMeaningIndexer> Self(this);
    FWorker = std::thread([this, Self, Generation, StopFlag, Path, TableName, IdExpression] {
        std::shared_ptr<const TMeaningIndex> Index;
        QString Problem;
        try {
            Index = Read(Path, TableName, IdExpression, StopFlag.get());
        } catch (const std::exception& Error) {
            Problem = QString::fromUtf8(Error.what());
        } catch (...) {
            Problem = QStringLiteral("out of memory");
        }
        if (StopFlag->load())
            return;
        // Handed to the owner's thread; a build that was dropped meanwhile is forgotten there.
        QMetaObject::invokeMethod(
            this,
            [Self, Generation, Index, Problem] {
                if (!Self || Self->FGeneration != Generation)
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
