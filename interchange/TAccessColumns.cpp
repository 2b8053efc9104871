#include "interchange/TAccessColumns.h"

#include "interchange/TAccessFile.h"
#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace TAccessColumns {

std::optional<TColumnMap> EnglishTableMap(const TAccessFile& File)
{
    for (const QString& Table : File.TableNames()) {
        if (Table.compare(QLatin1String("English"), Qt::CaseInsensitive) != 0)
            continue;
        TColumnMap Map;
        Map.Table = Table;
        for (const TAccessFile::TColumn& Column : File.Columns(Table)) {
            const QString Name = Column.Name.toUpper();
            if (Name == "ENAME")
                Map.English = Column.Name;
            else if (Name == "TRANS")
                Map.Transcription = Column.Name;
            else if (Name == "BULG")
                Map.Bulgarian = Column.Name;
            else if (Name == "LEVEL")
                Map.Level = Column.Name;
        }
        if (!Map.English.isEmpty())
            return Map;
    }
    return std::nullopt;
}

TColumnMap GuessColumnMap(const TAccessFile& File, const QString& Table)
{
    TColumnMap Map;
    Map.Table = Table;
    static const QStringList EnglishNames{"ename", "english", "word", "term", "front"};
    static const QStringList TranscriptionNames{"trans", "transcription", "pronunciation",
                                                "phonetic", "ipa"};
    static const QStringList BulgarianNames{"bulg",        "bulgarian", "meaning",
                                            "translation", "back",      "definition"};
    static const QStringList LevelNames{"level", "grade"};
    for (const TAccessFile::TColumn& Column : File.Columns(Table)) {
        if (!Column.Readable)
            continue;
        const QString Name = Column.Name.trimmed().toLower();
        if (Map.English.isEmpty() && EnglishNames.contains(Name))
            Map.English = Column.Name;
        else if (Map.Transcription.isEmpty() && TranscriptionNames.contains(Name))
            Map.Transcription = Column.Name;
        else if (Map.Bulgarian.isEmpty() && BulgarianNames.contains(Name))
            Map.Bulgarian = Column.Name;
        else if (Map.Level.isEmpty() && LevelNames.contains(Name))
            Map.Level = Column.Name;
    }
    return Map;
}

TSourceData ReadAccess(const TAccessFile& File, const TColumnMap& Map)
{
    if (Map.English.isEmpty())
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TInterchange", "Choose the column that holds the English word."));
    const std::vector<TAccessFile::TColumn> Columns = File.Columns(Map.Table);
    auto IndexOf = [&](const QString& Name) {
        if (Name.isEmpty())
            return -1;
        for (size_t I = 0; I < Columns.size(); ++I)
            if (Columns[I].Name == Name) {
                if (!Columns[I].Readable)
                    break;
                return static_cast<int>(I);
            }
        throw EVexloDatabaseError(
            QCoreApplication::translate("TInterchange",
                                        "The table %1 has no column %2 that holds text or numbers.")
                .arg(Map.Table, Name));
    };
    const int English = IndexOf(Map.English);
    const int Transcription = IndexOf(Map.Transcription);
    const int Bulgarian = IndexOf(Map.Bulgarian);
    const int Level = IndexOf(Map.Level);
    int Id = -1;
    for (size_t I = 0; I < Columns.size(); ++I)
        if (Columns[I].Name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 &&
            Columns[I].Readable)
            Id = static_cast<int>(I);

    TSourceData Data;
    Data.LineWord = QStringLiteral("row");
    std::vector<std::pair<qint64, int>> Order; // (ID, index) for tables numbered by ID
    File.ReadRows(Map.Table, [&](int RowNumber, const QStringList& Values) {
        TSourceRow Row;
        Row.Line = RowNumber;
        auto Take = [&](int At) { return At >= 0 ? Values[At] : QString(); };
        Row.English = Take(English);
        Row.Transcription = Take(Transcription);
        Row.Bulgarian = Take(Bulgarian);
        Row.Level = Take(Level);
        if (Id >= 0) {
            bool Ok = false;
            const qint64 Number = Values[Id].trimmed().toLongLong(&Ok);
            Order.emplace_back(Ok ? Number : std::numeric_limits<qint64>::max(),
                               static_cast<int>(Data.Rows.size()));
        }
        Data.Rows.push_back(std::move(Row));
        return true;
    });
    if (Id >= 0) {
        std::stable_sort(Order.begin(), Order.end(),
                         [](const auto& A, const auto& B) { return A.first < B.first; });
        std::vector<TSourceRow> Sorted;
        Sorted.reserve(Data.Rows.size());
        for (const auto& [Number, Index] : Order)
            Sorted.push_back(std::move(Data.Rows[Index]));
        Data.Rows = std::move(Sorted);
    }
    return Data;
}

} // namespace TAccessColumns
