// The options dialog's "Notes show" group, below the look-up group: the dialog grows by its height
// and the two buttons move down with the bottom edge; everything else keeps its place.
#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "review/TReviewSettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>

void TOptionsForm::CreateNotesShowPage()
{
    NotesShowGroupBox =
        new QGroupBox(QCoreApplication::translate("TOptionsForm", "&Notes show"), this);
    NotesShowGroupBox->setObjectName(QStringLiteral("NotesShowGroupBox"));

    NotesShowComboBox = new QComboBox(NotesShowGroupBox);
    NotesShowComboBox->setObjectName(QStringLiteral("NotesShowComboBox"));
    NotesShowComboBox->setGeometry(8, 16, 254, 21);
    NotesShowComboBox->addItems(
        {QCoreApplication::translate("TOptionsForm", "A random word"),
         QCoreApplication::translate("TOptionsForm", "The next word due (Knew / Forgot)")});
    NotesShowComboBox->setStatusTip(QCoreApplication::translate(
        "TOptionsForm", "What a learning note shows: a random word, or the next word to review"));
    NotesShowComboBox->setCurrentIndex(0);

    StackGroup(NotesShowGroupBox, 45, NotesShowComboBox, NotesShowComboBox);
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
