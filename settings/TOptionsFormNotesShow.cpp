// The options dialog's "Notes show" group, below the look-up group: the dialog grows by its height
// and the two buttons move down with the bottom edge; everything else keeps its place.
#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "review/TReviewSettings.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QGroupBox>

namespace {
constexpr int GroupHeight = 45;
constexpr int Grown = GroupHeight + 7;
} // namespace

void TOptionsForm::CreateNotesShowPage()
{
    NotesShowGroupBox = new QGroupBox(QCoreApplication::translate("TOptionsForm", "Notes show"), this);
    NotesShowGroupBox->setObjectName(QStringLiteral("NotesShowGroupBox"));
    NotesShowGroupBox->setGeometry(2, LookUpGroupBox->geometry().bottom() + 8, 270, GroupHeight);

    NotesShowComboBox = new QComboBox(NotesShowGroupBox);
    NotesShowComboBox->setObjectName(QStringLiteral("NotesShowComboBox"));
    NotesShowComboBox->setGeometry(8, 16, 254, 21);
    NotesShowComboBox->addItems(
        {QCoreApplication::translate("TOptionsForm", "A random word"), QCoreApplication::translate("TOptionsForm", "The next word due (Knew / Forgot)")});
    NotesShowComboBox->setStatusTip(
        QCoreApplication::translate("TOptionsForm", "What a learning note shows: a random word, or the next word to review"));
    NotesShowComboBox->setCurrentIndex(0);

    for (QWidget* Button :
         {static_cast<QWidget*>(ui->OKBitBtn), static_cast<QWidget*>(ui->CancelBitBtn)})
        Button->move(Button->x(), Button->y() + Grown);
    setFixedSize(width(), height() + Grown);
    setTabOrder(LookUpComboBox, NotesShowComboBox);
}

void TOptionsForm::SetReviewSettings(TReviewSettings* Review)
{
    FReview = Review;
    if (FReview)
        NotesShowComboBox->setCurrentIndex(FReview->NotesShowDue ? 1 : 0);
}

void TOptionsForm::NotesShowPageOK()
{
    if (FReview)
        FReview->NotesShowDue = NotesShowComboBox->currentIndex() == 1;
}
