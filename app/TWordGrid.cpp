#include "app/TWordGrid.h"

#include "app/TEnglishTableModel.h"
#include "widgets/TFocusMark.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

// Draws the grid's column lines (and no row lines).
class TColumnLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override
    {
        QStyledItemDelegate::paint(Painter, Option, Index);
        Painter->save();
        Painter->setPen(Option.palette.color(QPalette::Mid));
        Painter->drawLine(Option.rect.topRight(), Option.rect.bottomRight());
        Painter->restore();
    }
};

// Hears double-clicks on the grid where the view itself reports none: on the row indicators and
// on the room below the rows. Cells report through the view's doubleClicked.
class TGridDoubleClicks : public QObject
{
public:
    TGridDoubleClicks(QTableView* Grid, std::function<void()> Action)
        : QObject(Grid), FGrid(Grid), FAction(std::move(Action))
    {
        Grid->viewport()->installEventFilter(this);
        Grid->verticalHeader()->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() != QEvent::MouseButtonDblClick)
            return false;
        const QPoint At = static_cast<QMouseEvent*>(Event)->position().toPoint();
        if (Watched == FGrid->verticalHeader()->viewport() ||
            (Watched == FGrid->viewport() && !FGrid->indexAt(At).isValid()))
            FAction();
        return false;
    }

private:
    QTableView* FGrid;
    std::function<void()> FAction;
};

} // namespace

QFont TWordGrid::DesignFont(const QString& Family, int Height, bool Bold)
{
    QFont Font(Family);
    Font.setPixelSize(Height);
    Font.setBold(Bold);
    return Font;
}

void TWordGrid::Design(QTableView* Grid, TEnglishTableModel* Model)
{
    Grid->setFont(DesignFont("Times New Roman", 15));
    Model->WordFont = DesignFont("Arial", 13);
    Grid->setModel(Model);
    Grid->setItemDelegate(new TColumnLineDelegate(Grid));
    QHeaderView* Rows = Grid->verticalHeader();
    Rows->setSectionResizeMode(QHeaderView::Fixed);
    Rows->setDefaultSectionSize(QFontMetrics(Model->WordFont).height() + 4);
    Rows->setMinimumSectionSize(1);
    Rows->setFixedWidth(12);
    Rows->setHighlightSections(false);
    QHeaderView* Columns = Grid->horizontalHeader();
    Columns->setSectionResizeMode(QHeaderView::Fixed);
    Columns->setMinimumSectionSize(1);
    Columns->resizeSection(0, 168);
    Columns->resizeSection(1, 16);
    // The selection stays visible when the grid has no focus.
    QPalette GridPalette = Grid->palette();
    for (auto Role : {QPalette::Highlight, QPalette::HighlightedText})
        GridPalette.setColor(QPalette::Inactive, Role, GridPalette.color(QPalette::Active, Role));
    Grid->setPalette(GridPalette);
    // The row shows where the entry is; the ring, where the keyboard is.
    TFocusMark::Attach(Grid);
}

void TWordGrid::WatchDoubleClicks(QTableView* Grid, std::function<void()> Action)
{
    if (Grid->findChild<QObject*>("GridDoubleClicks", Qt::FindDirectChildrenOnly))
        return;
    auto* Watcher = new TGridDoubleClicks(Grid, std::move(Action));
    Watcher->setObjectName("GridDoubleClicks");
}
