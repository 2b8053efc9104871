#include "search/TTextSearch.h"

#include "store/TextCodec.h"

#include <QElapsedTimer>
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

// Text folded as TextCodec::FoldCase folds it, into Out (whose room is used again). ASCII and
// Cyrillic, which fold one character to one, are folded here; anything else by the full folding.
void FoldInto(QStringView Text, QString& Out)
{
    Out.resize(Text.size());
    QChar* Folded = Out.data();
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I].unicode();
        if (C < 0x80)
            Folded[I] = QChar(C >= u'A' && C <= u'Z' ? char16_t(C + 32) : C);
        else if (C >= 0x400 && C < 0x500)
            Folded[I] = QChar(char16_t(QChar::toCaseFolded(C)));
        else {
            Out = TextCodec::FoldCase(Text);
            return;
        }
    }
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

void TTextSearch::Stop()
{
    FWork.Stop();
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
    FRunning = true;
    QPointer<TTextSearch> Self(this);
    FWork.Start([this, Self, Path, TableName, IdExpression, Query](
                    const std::atomic<bool>& Dropped, unsigned Generation) {
        // Hands something over to this object's thread, unless the search was dropped meanwhile.
        auto Send = [this, Self, Generation](auto Work) {
            QMetaObject::invokeMethod(
                this,
                [Self, Generation, Work] {
                    if (Self && Self->FWork.Generation() == Generation)
                        Work(*Self);
                },
                Qt::QueuedConnection);
        };
        const QString Folded = TextCodec::FoldCase(Query.Text);
        QString Problem;
        int Count = 0;
        if (sqlite3* Db = TWorkThread::OpenReadOnly(Path, Problem)) {
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
            QString FoldedText;
            while (Result == SQLITE_OK || Result == SQLITE_ROW) {
                Result = sqlite3_step(Statement);
                if (Result != SQLITE_ROW || Dropped.load(std::memory_order_relaxed))
                    break;
                for (int I = 0; I < 3; ++I) {
                    const int Field = 1 << I;
                    if (!(Query.Fields & Field))
                        continue;
                    const QStringView Text = Column(Statement, Columns[I]);
                    FoldInto(Text, FoldedText);
                    if (!Holds(FoldedText, Folded, Query.WholeWords))
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
            if (Result != SQLITE_DONE && !Dropped.load())
                Problem = QString::fromUtf8(sqlite3_errmsg(Db));
            sqlite3_finalize(Statement);
            if (!Batch.isEmpty())
                Send([Found = std::move(Batch), Count](TTextSearch& Self) {
                    emit Self.Found(Found, Count);
                });
            sqlite3_close(Db);
        }
        if (Dropped.load())
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
