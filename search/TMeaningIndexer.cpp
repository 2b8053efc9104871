#include "search/TMeaningIndexer.h"

#include <QMetaObject>
#include <QPointer>

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

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
    const QByteArray Sql = "SELECT " + IdExpression + ", BULG FROM \"" + Table + "\"";
    sqlite3_stmt* Statement = nullptr;
    auto Index = std::make_shared<TMeaningIndex>();
    // The number of rows first (from the smallest index, at once), so that the lists are laid
    // out once rather than copied as they grow.
    const QByteArray CountSql = "SELECT count(*) FROM \"" + Table + "\"";
    if (sqlite3_prepare_v2(Db, CountSql.constData(), -1, &Statement, nullptr) == SQLITE_OK &&
        sqlite3_step(Statement) == SQLITE_ROW)
        Index->Reserve(
            static_cast<size_t>(std::max<sqlite3_int64>(0, sqlite3_column_int64(Statement, 0))));
    sqlite3_finalize(Statement);
    Statement = nullptr;
    int Result = sqlite3_prepare_v2(Db, Sql.constData(), -1, &Statement, nullptr);
    if (Result == SQLITE_OK) {
        int Count = 0;
        while ((Result = sqlite3_step(Statement)) == SQLITE_ROW) {
            const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Statement, 1));
            const int Bytes = sqlite3_column_bytes(Statement, 1);
            Index->Add(static_cast<int32_t>(sqlite3_column_int64(Statement, 0)), Text ? Text : "",
                       static_cast<size_t>(Bytes));
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
