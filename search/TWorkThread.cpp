#include "search/TWorkThread.h"

#include <QFile>

#include <sqlite3.h>

void TWorkThread::Start(
    std::function<void(const std::atomic<bool>& Dropped, unsigned Generation)> Work)
{
    Join();
    auto Dropped = std::make_shared<std::atomic<bool>>(false);
    FDropped = Dropped;
    const unsigned Generation = ++FGeneration;
    FThread = std::thread([Dropped, Generation, Work = std::move(Work)] { Work(*Dropped, Generation); });
}

void TWorkThread::Join()
{
    if (FDropped)
        FDropped->store(true);
    if (FThread.joinable())
        FThread.join();
    FDropped.reset();
}

void TWorkThread::Stop()
{
    Join();
    ++FGeneration;
}

sqlite3* TWorkThread::OpenReadOnly(const QString& Path, QString& Problem)
{
    sqlite3* Db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(Path).constData(), &Db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        Problem = Db ? QString::fromUtf8(sqlite3_errmsg(Db)) : QStringLiteral("out of memory");
        sqlite3_close(Db);
        return nullptr;
    }
    sqlite3_busy_timeout(Db, 2000);
    return Db;
}
