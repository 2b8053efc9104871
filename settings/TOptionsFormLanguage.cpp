// The options dialog's interface-language group, below the look-up group: the dialog grows by
// its height and the two buttons move down with the bottom edge; everything else keeps its place.
#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "settings/TInterfaceLanguage.h"

#include <QComboBox>
#include <QGroupBox>

void TOptionsForm::CreateLanguagePage()
{
    LanguageGroupBox = new QGroupBox(tr("&Interface language"), this);
    LanguageGroupBox->setObjectName(QStringLiteral("LanguageGroupBox"));

    LanguageComboBox = new QComboBox(LanguageGroupBox);
    LanguageComboBox->setObjectName(QStringLiteral("LanguageComboBox"));
    LanguageComboBox->setGeometry(8, 16, 254, 21);
    // Each language by its own name, so that anyone finds theirs.
    LanguageComboBox->addItems({tr("System"), QStringLiteral("English"),
                                QStringLiteral("Български")});
    LanguageComboBox->setStatusTip(
        tr("The language of the windows, from the next start of the program"));
    LanguageComboBox->setCurrentIndex(TInterfaceLanguage().Choice);

    StackGroup(LanguageGroupBox, 45, LanguageComboBox, LanguageComboBox);
}

void TOptionsForm::SetInterfaceLanguage(TInterfaceLanguage* Language)
{
    FLanguage = Language;
    if (FLanguage)
        LanguageComboBox->setCurrentIndex(FLanguage->Choice);
}

void TOptionsForm::LanguagePageOK()
{
    if (FLanguage)
        FLanguage->Choice = LanguageComboBox->currentIndex();
}
