#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

class TVexloTable;

// The grid's view of the vocabulary table: column 0 the English word, column 1 the level, rows in
// table order. Rows are read from the table by index when the view paints them; nothing is
// copied, so a move or a search costs the same with a hundred entries as with a hundred thousand.
// The vertical header carries the row indicator of the current row.
class TEnglishTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TEnglishTableModel(QObject* Parent = nullptr);

    // Binds the model to Table (nullptr unbinds). The owner calls DataChanged and CurrentChanged
    // from the table's events.
    void SetTable(TVexloTable* Table);
    TVexloTable* Table() const { return FTable; }

    // The table's rows or their contents may have changed.
    void DataChanged();
    // The table's current row moved; refreshes the row indicator.
    void CurrentChanged();

    QFont WordFont;
    // The row indicator's colour; it follows the header's text colour, so it reads on any palette.
    QColor IndicatorColor = QColor(0x20, 0x20, 0x20);

    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation,
                        int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

private:
    TVexloTable* FTable = nullptr;
    int FIndicatorRow = -1;
    int FRowCount = 0;
};
