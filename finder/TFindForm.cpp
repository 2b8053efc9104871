#include "finder/TFindForm.h"

#include "store/TScreenSaverDataModule.h"
#include "widgets/TDisplayText.h"
#include "widgets/TMessageBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QCoreApplication>

namespace {

QTableWidgetItem* Item(const QString& Text)
{
    auto* Cell = new QTableWidgetItem(TDisplayText::OneLine(Text, TDisplayText::WordChars));
    Cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return Cell;
}

QString FieldName(int Field)
{
    switch (Field) {
    case TTextSearch::fdEnglish:
        return QCoreApplication::translate("TFindForm", "English");
    case TTextSearch::fdTranscription:
        return QCoreApplication::translate("TFindForm", "Transcription");
    default:
        return QCoreApplication::translate("TFindForm", "Bulgarian");
    }
}

} // namespace

TFindForm::TFindForm(TScreenSaverDataModule* Store, QWidget* Parent)
    : QDialog(Parent), FStore(Store)
{
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QCoreApplication::translate("TFindForm", "Find"));
    FSearch = new TTextSearch(this);
    auto* Layout = new QGridLayout(this);
    auto* FindLabel = new QLabel(QCoreApplication::translate("TFindForm", "&Find:"), this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindLabel->setBuddy(FindEdit);
    FindButton = new QPushButton(QCoreApplication::translate("TFindForm", "Find"), this);
    FindButton->setDefault(true);
    StopButton = new QPushButton(QCoreApplication::translate("TFindForm", "Stop"), this);
    StopButton->setEnabled(false);
    auto* InLabel = new QLabel(QCoreApplication::translate("TFindForm", "&In:"), this);
    FieldBox = new QComboBox(this);
    FieldBox->addItem(QCoreApplication::translate("TFindForm", "Everywhere"), int(TTextSearch::fdAll));
    FieldBox->addItem(QCoreApplication::translate("TFindForm", "English"), int(TTextSearch::fdEnglish));
    FieldBox->addItem(QCoreApplication::translate("TFindForm", "Transcription"), int(TTextSearch::fdTranscription));
    FieldBox->addItem(QCoreApplication::translate("TFindForm", "Bulgarian"), int(TTextSearch::fdBulgarian));
    InLabel->setBuddy(FieldBox);
    WholeWordsBox = new QCheckBox(QCoreApplication::translate("TFindForm", "&Whole words"), this);
    ResultList = new QTableWidget(0, 3, this);
    ResultList->setObjectName(QStringLiteral("ResultList"));
    ResultList->setHorizontalHeaderLabels(
        {QCoreApplication::translate("TFindForm", "English"), QCoreApplication::translate("TFindForm", "Found in"), QCoreApplication::translate("TFindForm", "Text")});
    ResultList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ResultList->setSelectionMode(QAbstractItemView::SingleSelection);
    ResultList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultList->setWordWrap(false);
    ResultList->verticalHeader()->hide();
    ResultList->horizontalHeader()->setStretchLastSection(true);
    CountLabel = new QLabel(this);
    CountLabel->setTextFormat(Qt::PlainText);
    Layout->addWidget(FindLabel, 0, 0);
    Layout->addWidget(FindEdit, 0, 1, 1, 2);
    Layout->addWidget(FindButton, 0, 3);
    Layout->addWidget(InLabel, 1, 0);
    Layout->addWidget(FieldBox, 1, 1);
    Layout->addWidget(WholeWordsBox, 1, 2);
    Layout->addWidget(StopButton, 1, 3);
    Layout->addWidget(ResultList, 2, 0, 1, 4);
    Layout->addWidget(CountLabel, 3, 0, 1, 4);
    Layout->setColumnStretch(1, 1);
    resize(560, 420);

    connect(FindButton, &QPushButton::clicked, this, &TFindForm::FindExecute);
    connect(FindEdit, &QLineEdit::returnPressed, this, &TFindForm::FindExecute);
    connect(StopButton, &QPushButton::clicked, this, &TFindForm::StopExecute);
    connect(ResultList, &QTableWidget::activated, this,
            [this](const QModelIndex& Index) { emit EntryChosen(IdAt(Index.row())); });
    connect(FSearch, &TTextSearch::Found, this, &TFindForm::Add);
    connect(FSearch, &TTextSearch::Finished, this, &TFindForm::Done);
    connect(FSearch, &TTextSearch::Failed, this, [this](const QString& Message) {
        ShowRunning(false);
        TMessageBox::Error(this, QCoreApplication::translate("TFindForm", "Error"),
                           QCoreApplication::translate("TFindForm", "The dictionary cannot be searched: ") + Message);
    });
}

int32_t TFindForm::IdAt(int Row) const
{
    const QTableWidgetItem* Cell = ResultList->item(Row, 0);
    return Cell ? Cell->data(Qt::UserRole).toInt() : 0;
}

void TFindForm::FindExecute()
{
    FSearch->Stop();
    ResultList->setRowCount(0);
    FListed = 0;
    CountLabel->clear();
    const TVexloTable* Table = FStore ? FStore->ADOTable : nullptr;
    if (FindEdit->text().isEmpty() || !Table || !Table->Active())
        return;
    ShowRunning(true);
    CountLabel->setText(tr("Searching…"));
    FSearch->Start(FStore->ADOConnection->FileName(), Table->TableName,
                   Table->IdExpression(),
                   {FindEdit->text(), FieldBox->currentData().toInt(), WholeWordsBox->isChecked()});
}

void TFindForm::StopExecute()
{
    if (!FSearch->Running())
        return;
    FSearch->Stop();
    ShowRunning(false);
    CountLabel->setText(QCoreApplication::translate("TFindForm", "Stopped: %1 found so far").arg(FListed));
}

void TFindForm::Add(const QVector<TFoundEntry>& Entries, int Counted)
{
    ResultList->setUpdatesEnabled(false);
    for (const TFoundEntry& Entry : Entries) {
        const int Row = ResultList->rowCount();
        ResultList->insertRow(Row);
        QTableWidgetItem* Word = Item(Entry.English);
        Word->setData(Qt::UserRole, Entry.ID);
        ResultList->setItem(Row, 0, Word);
        ResultList->setItem(Row, 1, Item(FieldName(Entry.Field)));
        ResultList->setItem(Row, 2, Item(Entry.Text));
    }
    ResultList->setUpdatesEnabled(true);
    if (FListed == 0 && ResultList->rowCount() > 0)
        ResultList->selectRow(0);
    FListed = Counted;
    CountLabel->setText(tr("Searching… %1 found").arg(Counted));
}

void TFindForm::Done(int Count)
{
    ShowRunning(false);
    FListed = Count;
    if (Count == 0)
        CountLabel->setText(QCoreApplication::translate("TFindForm", "Nothing found"));
    else if (Count > ResultList->rowCount())
        CountLabel->setText(QCoreApplication::translate("TFindForm", "%1 found; the first %2 are listed")
                                .arg(Count)
                                .arg(ResultList->rowCount()));
    else
        CountLabel->setText(tr("%1 found").arg(Count));
}

void TFindForm::ShowRunning(bool Running)
{
    StopButton->setEnabled(Running);
}

void TFindForm::closeEvent(QCloseEvent* Event)
{
    FSearch->Stop();
    ShowRunning(false);
    QDialog::closeEvent(Event);
}
