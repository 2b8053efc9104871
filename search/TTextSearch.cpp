#include "search/TTextSearch.h"

#include "store/TextCodec.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QPointer>

#include <sqlite3.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsWordChar(QChar C)
{
    return C.isLetterOrNumber() || C.category() == QChar::Mark_NonSpacing;
}

std::string_view Utf8Column(sqlite3_stmt* Statement, int Index)
{
    const auto* Text = reinterpret_cast<const char*>(sqlite3_column_text(Statement, Index));
    return Text
               ? std::string_view(Text, static_cast<size_t>(sqlite3_column_bytes(Statement, Index)))
               : std::string_view();
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

// Each character of the Basic Multilingual Plane folded as TextCodec::FoldCase folds it, or 0
// where that gives more than one character (ß, ŉ and the like) or the character is a surrogate.
const std::vector<char16_t>& FoldTable()
{
    static const std::vector<char16_t> Table = [] {
        std::vector<char16_t> Made(0x10000, 0);
        for (char32_t C = 1; C < 0x10000; ++C) {
            if (QChar::isSurrogate(C))
                continue;
            const QString Folded = TextCodec::FoldCase(QString(QChar(static_cast<char16_t>(C))));
            if (Folded.size() == 1 && !Folded.at(0).isSurrogate())
                Made[C] = Folded.at(0).unicode();
        }
        return Made;
    }();
    return Table;
}

void AppendUtf8(std::string& Out, char32_t C)
{
    if (C < 0x80) {
        Out.push_back(static_cast<char>(C));
    } else if (C < 0x800) {
        Out.push_back(static_cast<char>(0xC0 | (C >> 6)));
        Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    } else {
        Out.push_back(static_cast<char>(0xE0 | (C >> 12)));
        Out.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
        Out.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    }
}

// UTF-8 text as the engine stores it, folded as TextCodec::FoldCase folds it, into Out (UTF-8,
// whose room is used again). False where the text is not plain UTF-8 of the Basic Multilingual
// Plane, or holds a character that folds to several: such texts are folded the long way.
bool FoldCaseUtf8(const unsigned char* P, size_t Bytes, const std::vector<char16_t>& Table,
                  std::string& Out)
{
    Out.clear();
    const unsigned char* const End = P + Bytes;
    while (P < End) {
        const unsigned char Lead = *P;
        if (Lead < 0x80) {
            Out.push_back(static_cast<char>(Lead >= 'A' && Lead <= 'Z' ? Lead + 32 : Lead));
            ++P;
            continue;
        }
        char32_t C;
        if (Lead >= 0xC2 && Lead <= 0xDF && End - P >= 2 && (P[1] & 0xC0) == 0x80) {
            C = char32_t(Lead & 0x1F) << 6 | (P[1] & 0x3F);
            P += 2;
        } else if (Lead >= 0xE0 && Lead <= 0xEF && End - P >= 3 && (P[1] & 0xC0) == 0x80 &&
                   (P[2] & 0xC0) == 0x80) {
            C = char32_t(Lead & 0x0F) << 12 | char32_t(P[1] & 0x3F) << 6 | (P[2] & 0x3F);
            P += 3;
            // Too long a form, a surrogate, or a character the engine reads as U+FFFD.
            if (C < 0x800 || QChar::isSurrogate(C) || C >= 0xFFFE)
                return false;
        } else {
            return false;
        }
        const char16_t Folded = Table[C];
        if (!Folded)
            return false;
        AppendUtf8(Out, Folded);
    }
    return true;
}

// The character (of the Basic Multilingual Plane) whose UTF-8 form begins at P.
char32_t Utf8At(const unsigned char* P)
{
    if (P[0] < 0x80)
        return P[0];
    if (P[0] < 0xE0)
        return char32_t(P[0] & 0x1F) << 6 | (P[1] & 0x3F);
    return char32_t(P[0] & 0x0F) << 12 | char32_t(P[1] & 0x3F) << 6 | (P[2] & 0x3F);
}

bool IsWordChar(char32_t C)
{
    return QChar::isLetterOrNumber(C) || QChar::category(C) == QChar::Mark_NonSpacing;
}

// Holds for text FoldCaseUtf8 folded: FoldedQuery is the query folded, in UTF-8, and its first and
// last characters tell whether it begins and ends inside a word.
bool HoldsUtf8(std::string_view Text, std::string_view Query, bool QueryStartsInWord,
               bool QueryEndsInWord, bool WholeWords)
{
    const auto* Base = reinterpret_cast<const unsigned char*>(Text.data());
    for (size_t From = 0; From + Query.size() <= Text.size();) {
        const void* Found =
            memmem(Text.data() + From, Text.size() - From, Query.data(), Query.size());
        if (!Found)
            return false;
        const size_t At = static_cast<size_t>(static_cast<const char*>(Found) - Text.data());
        if (!WholeWords)
            return true;
        size_t Before = At;
        while (Before > 0 && (Base[--Before] & 0xC0) == 0x80) {
        }
        const size_t End = At + Query.size();
        const bool StartsWord = At == 0 || !QueryStartsInWord || !IsWordChar(Utf8At(Base + Before));
        const bool EndsWord =
            End == Text.size() || !QueryEndsInWord || !IsWordChar(Utf8At(Base + End));
        if (StartsWord && EndsWord)
            return true;
        From = At + 1;
    }
    return false;
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
        const bool StartsWord =
            At == 0 || !IsWordChar(FoldedText.at(At - 1)) || !IsWordChar(FoldedQuery.front());
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
    FWork.Start([this, Self, Path, TableName, IdExpression, Query](const std::atomic<bool>& Dropped,
                                                                   unsigned Generation) {
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
            const std::vector<char16_t>& Folding = FoldTable();
            const QByteArray FoldedQueryUtf8 = Folded.toUtf8();
            const std::string_view FoldedQuery(FoldedQueryUtf8.constData(),
                                               static_cast<size_t>(FoldedQueryUtf8.size()));
            // A query that does not come back whole from UTF-8 (a lone surrogate) goes the
            // long way with every text.
            const bool Quick = !Folded.isEmpty() && QString::fromUtf8(FoldedQueryUtf8) == Folded;
            const bool StartsInWord = Quick && IsWordChar(Folded.front());
            const bool EndsInWord = Quick && IsWordChar(Folded.back());
            std::string FoldedUtf8;
            while (Result == SQLITE_OK || Result == SQLITE_ROW) {
                Result = sqlite3_step(Statement);
                if (Result != SQLITE_ROW || Dropped.load(std::memory_order_relaxed))
                    break;
                for (int I = 0; I < 3; ++I) {
                    const int Field = 1 << I;
                    if (!(Query.Fields & Field))
                        continue;
                    // Most texts are folded and searched as the UTF-8 the engine holds; the few
                    // that cannot be folded that way go the long way through UTF-16.
                    const std::string_view Utf8 = Utf8Column(Statement, Columns[I]);
                    bool Holding;
                    if (Quick && FoldCaseUtf8(reinterpret_cast<const unsigned char*>(Utf8.data()),
                                              Utf8.size(), Folding, FoldedUtf8)) {
                        Holding = HoldsUtf8(FoldedUtf8, FoldedQuery, StartsInWord, EndsInWord,
                                            Query.WholeWords);
                    } else {
                        FoldInto(Column(Statement, Columns[I]), FoldedText);
                        Holding = Holds(FoldedText, Folded, Query.WholeWords);
                    }
                    if (!Holding)
                        continue;
                    if (Count < MaxListed)
                        Batch.append({static_cast<int32_t>(sqlite3_column_int64(Statement, 0)),
                                      Column(Statement, 1).toString(), Field,
                                      Column(Statement, Columns[I]).toString()});
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
