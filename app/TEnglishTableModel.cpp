#include "app/TEnglishTableModel.h"

#include "widgets/TDisplayText.h"

#include "store/TVexloTable.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

QIcon RowIndicator(const QColor& Color)
{
    static QHash<QRgb, QIcon> Icons;
    if (const auto Found = Icons.constFind(Color.rgba()); Found != Icons.constEnd())
        return *Found;
    QIcon Result;
    for (int Scale : {1, 2}) {
        QPixmap Pixmap(10 * Scale, 10 * Scale);
        Pixmap.fill(Qt::transparent);
        QPainter Painter(&Pixmap);
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.scale(Scale, Scale);
        Painter.setPen(Qt::NoPen);
        Painter.setBrush(Color);
        Painter.drawPolygon(QPolygonF() << QPointF(2.5, 1.5) << QPointF(7.5, 5) << QPointF(2.5, 8.5));
        Painter.end();
        Result.addPixmap(Pixmap);
    }
    Icons.insert(Color.rgba(), Result);
    return Result;
}

} // namespace

TEnglishTableModel::TEnglishTableModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void TEnglishTableModel::SetTable(TVexloTable* Table)
{
    beginResetModel();
    FTable = Table;
    FRowCount = FTable && FTable->Active() ? FTable->RecordCount() : 0;
    FIndicatorRow = FTable && FTable->Active() ? FTable->RecNo() - 1 : -1;
    endResetModel();
}

void TEnglishTableModel::DataChanged()
{
    beginResetModel();
    FRowCount = FTable && FTable->Active() ? FTable->RecordCount() : 0;
    FIndicatorRow = FTable && FTable->Active() ? FTable->RecNo() - 1 : -1;
    endResetModel();
}

void TEnglishTableModel::CurrentChanged()
{
    const int Old = FIndicatorRow;
    FIndicatorRow = FTable && FTable->Active() ? FTable->RecNo() - 1 : -1;
    if (Old == FIndicatorRow)
        return;
    if (Old >= 0 && Old < FRowCount)
        emit headerDataChanged(Qt::Vertical, Old, Old);
    if (FIndicatorRow >= 0 && FIndicatorRow < FRowCount)
        emit headerDataChanged(Qt::Vertical, FIndicatorRow, FIndicatorRow);
}

int TEnglishTableModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : FRowCount;
}

int TEnglishTableModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : 2;
}

QVariant TEnglishTableModel::data(const QModelIndex& Index, int Role) const
{
    if (!FTable || !Index.isValid() || Index.row() >= FRowCount ||
        Index.row() >= FTable->RecordCount())
        return {};
    switch (Role) {
    case Qt::DisplayRole:
        if (Index.column() == 0)
            return TDisplayText::OneLine(FTable->ENameAt(Index.row()), TDisplayText::WordChars);
        return FTable->LevelAt(Index.row());
    case Qt::FontRole:
        if (Index.column() == 0)
            return WordFont;
        return {};
    case Qt::TextAlignmentRole:
        if (Index.column() == 1)
            return QVariant::fromValue(Qt::AlignCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TEnglishTableModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation == Qt::Horizontal) {
        if (Role == Qt::DisplayRole)
            return Section == 0 ? QStringLiteral("ENAME") : QStringLiteral("LEVEL");
        return {};
    }
    if (Role == Qt::DecorationRole && Section == FIndicatorRow)
        return RowIndicator(IndicatorColor);
    if (Role == Qt::DisplayRole)
        return QString();
    return {};
}

Qt::ItemFlags TEnglishTableModel::flags(const QModelIndex& Index) const
{
    if (!Index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
