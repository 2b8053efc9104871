#include "store/TVexloQuery.h"

#include "store/TVexloConnection.h"
#include "store/TextCodec.h"

#include <sqlite3.h>

#include <QCoreApplication>

QByteArray TVexloValue::AsAnsiString() const
{
    return TextCodec::NarrowText(FValue.toString());
}

void TVexloQuery::Open()
{
    Close();
    if (!Connection)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TVexloQuery", "The query has no connection."));
    Connection->CheckConnected();
    sqlite3* Db = Connection->Handle();
    const QByteArray Text = SQL.toUtf8();
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v2(Db, Text.constData(), static_cast<int>(Text.size()), &Stmt, nullptr) !=
        SQLITE_OK)
        Connection->RaiseEngineError(
            QCoreApplication::translate("TVexloQuery", "The data file refused a query"));
    const int Columns = sqlite3_column_count(Stmt);
    for (int C = 0; C < Columns; ++C)
        FColumns << QString::fromUtf8(sqlite3_column_name(Stmt, C));
    int Rc;
    while ((Rc = sqlite3_step(Stmt)) == SQLITE_ROW) {
        std::vector<QVariant> Row(static_cast<size_t>(Columns));
        for (int C = 0; C < Columns; ++C) {
            switch (sqlite3_column_type(Stmt, C)) {
            case SQLITE_INTEGER:
                Row[static_cast<size_t>(C)] = QVariant(qlonglong(sqlite3_column_int64(Stmt, C)));
                break;
            case SQLITE_FLOAT:
                Row[static_cast<size_t>(C)] = QVariant(sqlite3_column_double(Stmt, C));
                break;
            case SQLITE_NULL:
                break;
            default:
                Row[static_cast<size_t>(C)] = QVariant(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, C)),
                                      sqlite3_column_bytes(Stmt, C)));
                break;
            }
        }
        FRows.push_back(std::move(Row));
    }
    sqlite3_finalize(Stmt);
    if (Rc != SQLITE_DONE) {
        FRows.clear();
        FColumns.clear();
        Connection->RaiseEngineError(
            QCoreApplication::translate("TVexloQuery", "The data file refused a query"));
    }
    FActive = true;
    FRecord = 0;
}

void TVexloQuery::Close()
{
    FActive = false;
    FColumns.clear();
    FRows.clear();
    FRecord = 0;
}

TVexloValue TVexloQuery::FieldByName(const QString& Name) const
{
    for (int C = 0; C < FColumns.size(); ++C) {
        if (FColumns[C].compare(Name, Qt::CaseInsensitive) == 0) {
            if (FRecord < 0 || FRecord >= RecordCount())
                return {};
            return TVexloValue(FRows[static_cast<size_t>(FRecord)][static_cast<size_t>(C)]);
        }
    }
    throw EVexloDatabaseError(
        QCoreApplication::translate("TVexloQuery", "The query has no column %1.").arg(Name));
}

void TVexloQuery::First()
{
    FRecord = 0;
}

void TVexloQuery::Next()
{
    if (FRecord < RecordCount())
        ++FRecord;
}

bool TVexloQuery::Eof() const
{
    return FRecord >= RecordCount();
}
