// The options dialog's look-up group, below the speech group: the dialog grows by its height and
// the two buttons move down with the bottom edge; everything else keeps its place.
#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "settings/TLookUpSettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>

void TOptionsForm::CreateLookUpPage()
{
    LookUpGroupBox = new QGroupBox(QCoreApplication::translate("TOptionsForm", "On loo&k-up"), this);
    LookUpGroupBox->setObjectName(QStringLiteral("LookUpGroupBox"));

    LookUpComboBox = new QComboBox(LookUpGroupBox);
    LookUpComboBox->setObjectName(QStringLiteral("LookUpComboBox"));
    LookUpComboBox->setGeometry(8, 16, 254, 21);
    LookUpComboBox->addItems(
        {QCoreApplication::translate("TOptionsForm", "Bring the window forward, take the keyboard"),
         QCoreApplication::translate("TOptionsForm", "Show the window, leave the keyboard")});
    LookUpComboBox->setStatusTip(QCoreApplication::translate(
        "TOptionsForm", "What the window does when copied text is looked up"));
    LookUpComboBox->setCurrentIndex(TLookUpSettings().TakeKeyboard ? 0 : 1);

    StackGroup(LookUpGroupBox, 45, LookUpComboBox, LookUpComboBox);
}

void TOptionsForm::SetLookUpSettings(TLookUpSettings* LookUp)
{
    FLookUp = LookUp;
    if (FLookUp)
        LookUpComboBox->setCurrentIndex(FLookUp->TakeKeyboard ? 0 : 1);
}

void TOptionsForm::LookUpPageOK()
{
    if (FLookUp)
        FLookUp->TakeKeyboard = LookUpComboBox->currentIndex() == 0;
}
