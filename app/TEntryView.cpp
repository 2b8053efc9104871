#include "app/TEntryView.h"

#include "app/TAdminForm.h"
#include "app/TEnglishTableModel.h"
#include "app/TMeaningFinder.h"
#include "store/TScreenSaverDataModule.h"
#include "widgets/TDisplayText.h"
#include "widgets/TMenuImages.h"
#include "widgets/TReadableColours.h"

#include <QHeaderView>

TEntryView::TEntryView(TAdminForm& AForm) : QObject(&AForm), Form(AForm), Store(AForm.Store)
{
    connect(Form.EnglishDBGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& Current) { GridCurrentRowChanged(Current.row()); });
    auto Navigate = [this](void (TVexloTable::*Move)()) {
        Form.Guarded([this, Move] {
            TVexloTable* Table = Store.ADOTable;
            if (Form.TableBound && Table->Active())
                (Table->*Move)();
        });
    };
    connect(Form.NavFirst, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::First); });
    connect(Form.NavPrior, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::Prior); });
    connect(Form.NavNext, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::Next); });
    connect(Form.NavLast, &QToolButton::clicked, this, [=] { Navigate(&TVexloTable::Last); });
}

void TEntryView::Bind()
{
    TVexloTable* Table = Store.DataSource->DataSet;
    Form.TableBound = true;
    Table->OnDataChange = [this] {
        Form.GridModel->DataChanged();
        ShowCurrent();
        Form.Meanings->DataChanged();
    };
    Form.GridModel->SetTable(Table);
    Form.Meanings->DataChanged();
    ShowCurrent();
}

void TEntryView::AttachTableEvents()
{
    TVexloTable* Table = Store.ADOTable;
    Table->AfterScroll = [this] {
        ShowCurrent();
        Form.TableAfterScroll();
    };
    Table->AfterPost = [this] { Form.TableAfterPost(); };
}

void TEntryView::DetachTableEvents()
{
    if (!Form.TableBound)
        return;
    TVexloTable* Table = Store.ADOTable;
    Table->AfterScroll = [this] { ShowCurrent(); };
    Table->AfterPost = nullptr;
}

void TEntryView::ShowCurrent()
{
    TVexloTable* Table = Form.TableBound ? Store.ADOTable : nullptr;
    const bool HasRow = Table && Table->Active() && Table->RecNo() > 0;
    if (HasRow) {
        // Only what can be seen is laid out, however long the stored texts are.
        Form.TransDBEdit->setText(
            TDisplayText::OneLine(Store.ADOTableTRANS->AsString(), TDisplayText::WordChars));
        Form.TransDBEdit->setCursorPosition(0);
        QString Bulgarian = Store.ADOTableBULG->AsString();
        Bulgarian.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        Form.BulgarianDBMemo->setPlainText(TDisplayText::Lines(Bulgarian, TDisplayText::MemoLines,
                                                               TDisplayText::MemoLineChars,
                                                               TDisplayText::MemoChars));
    } else {
        Form.TransDBEdit->clear();
        Form.BulgarianDBMemo->clear();
    }
    Form.GridModel->CurrentChanged();
    SyncingGrid = true;
    if (HasRow) {
        const QModelIndex Index = Form.GridModel->index(Table->RecNo() - 1, 0);
        Form.EnglishDBGrid->selectionModel()->setCurrentIndex(
            Index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        Form.EnglishDBGrid->scrollTo(Index);
    } else {
        Form.EnglishDBGrid->selectionModel()->clear();
    }
    SyncingGrid = false;
    UpdateNavigator();
}

void TEntryView::UpdateNavigator()
{
    TVexloTable* Table = Form.TableBound ? Store.ADOTable : nullptr;
    const int Pos = Table && Table->Active() ? Table->RecNo() : -1;
    const int Count = Table && Table->Active() ? Table->RecordCount() : 0;
    Form.NavFirst->setEnabled(Pos > 1);
    Form.NavPrior->setEnabled(Pos > 1);
    Form.NavNext->setEnabled(Pos > 0 && Pos < Count);
    Form.NavLast->setEnabled(Pos > 0 && Pos < Count);
}

void TEntryView::GridCurrentRowChanged(int Row)
{
    if (SyncingGrid || !Form.TableBound || Row < 0)
        return;
    Form.Guarded([this, Row] {
        TVexloTable* Table = Store.ADOTable;
        if (Table->Active() && Table->RecNo() != Row + 1)
            Table->SetRecNo(Row + 1);
    });
}

void TEntryView::ApplyReadableColours()
{
    // The controls take their grounds from the window's palette, which is already the new one
    // when it changes; theirs follow a moment later.
    const QPalette& Window = Form.palette();
    QPalette TransPalette = Form.TransDBEdit->palette();
    TransPalette.setColor(QPalette::Text,
                          TReadableColours::TranscriptionInk(Window.color(QPalette::Base)));
    Form.TransDBEdit->setPalette(TransPalette);
    // The navigator's arrows in their navy, or what reads on the buttons.
    const QColor Arrows = TReadableColours::Readable(TMenuImages::NavigatorInk,
                                                     Window.color(QPalette::Button),
                                                     Window.color(QPalette::ButtonText));
    Form.NavFirst->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngFirst, Arrows));
    Form.NavPrior->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngPrior, Arrows));
    Form.NavNext->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngNext, Arrows));
    Form.NavLast->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngLast, Arrows));
    if (Form.GridModel) {
        const QColor Indicator = Window.color(QPalette::ButtonText);
        if (Form.GridModel->IndicatorColor != Indicator) {
            Form.GridModel->IndicatorColor = Indicator;
            Form.EnglishDBGrid->verticalHeader()->viewport()->update();
        }
    }
}
