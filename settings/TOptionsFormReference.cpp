// The options dialog's reference group, below the look-up group: the dialog grows by its height
// and the two buttons move down with the bottom edge; everything else keeps its place.
#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "reference/TReference.h"
#include "settings/TReferenceSettings.h"
#include "widgets/TFileDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

void TOptionsForm::CreateReferencePage()
{
    ReferenceGroupBox =
        new QGroupBox(QCoreApplication::translate("TOptionsForm", "Reference dictionary"), this);
    ReferenceGroupBox->setObjectName(QStringLiteral("ReferenceGroupBox"));

    ReferenceCheckBox =
        new QCheckBox(QCoreApplication::translate("TOptionsForm", "Suggest &meanings for new words"),
                      ReferenceGroupBox);
    ReferenceCheckBox->setObjectName(QStringLiteral("ReferenceCheckBox"));
    ReferenceCheckBox->setGeometry(8, 17, 254, 17);
    ReferenceCheckBox->setStatusTip(QCoreApplication::translate(
        "TOptionsForm",
        "Show the senses of a reference dictionary in the word editor and for words not found"));

    ReferenceEdit = new QLineEdit(ReferenceGroupBox);
    ReferenceEdit->setObjectName(QStringLiteral("ReferenceEdit"));
    ReferenceEdit->setGeometry(8, 38, 226, 21);
    ReferenceEdit->setPlaceholderText(TReference::DefaultIndexPath());
    ReferenceEdit->setStatusTip(QCoreApplication::translate(
        "TOptionsForm",
        "The .index file of a dictd dictionary; empty for FreeDict's English–Bulgarian"));
    ReferenceBrowseButton = new QToolButton(ReferenceGroupBox);
    ReferenceBrowseButton->setObjectName(QStringLiteral("ReferenceBrowseButton"));
    ReferenceBrowseButton->setText(QStringLiteral("..."));
    ReferenceBrowseButton->setGeometry(238, 38, 24, 21);
    ReferenceBrowseButton->setStatusTip(
        QCoreApplication::translate("TOptionsForm", "Choose a dictd dictionary's index file"));
    connect(ReferenceBrowseButton, &QToolButton::clicked, this,
            &TOptionsForm::ReferenceBrowseClick);

    ReferenceStatusLabel = new QLabel(ReferenceGroupBox);
    ReferenceStatusLabel->setObjectName(QStringLiteral("ReferenceStatusLabel"));
    ReferenceStatusLabel->setGeometry(8, 62, 254, 34);
    ReferenceStatusLabel->setTextFormat(Qt::PlainText);
    ReferenceStatusLabel->setWordWrap(true);
    ReferenceStatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(ReferenceEdit, &QLineEdit::textChanged, this, &TOptionsForm::ShowReferenceStatus);
    connect(ReferenceCheckBox, &QCheckBox::toggled, this, [this](bool On) {
        ReferenceEdit->setEnabled(On);
        ReferenceBrowseButton->setEnabled(On);
        ShowReferenceStatus();
    });

    const TReferenceSettings Defaults;
    ReferenceCheckBox->setChecked(Defaults.Enabled);
    ShowReferenceStatus();

    StackGroup(ReferenceGroupBox, 100, ReferenceCheckBox, ReferenceBrowseButton);
    setTabOrder(ReferenceCheckBox, ReferenceEdit);
    setTabOrder(ReferenceEdit, ReferenceBrowseButton);
}

void TOptionsForm::ShowReferenceStatus()
{
    const QString Path = ReferenceEdit->text().trimmed();
    const bool Default = Path.isEmpty() || Path == TReference::DefaultIndexPath();
    QString Status;
    if (!ReferenceCheckBox->isChecked())
        Status = QCoreApplication::translate("TOptionsForm",
                                             "Off: new words get no suggested meanings.");
    else if (QFileInfo::exists(Default ? TReference::DefaultIndexPath() : Path))
        Status = Default
                     ? QCoreApplication::translate(
                           "TOptionsForm", "FreeDict English–Bulgarian (CC BY-SA) is installed.")
                     : QCoreApplication::translate(
                           "TOptionsForm", "A dictd dictionary; it is read when first needed.");
    else if (Default)
        Status = QCoreApplication::translate("TOptionsForm",
                                             "Not installed. To get it: sudo apt install %1")
                     .arg(QLatin1String(TReference::PackageName));
    else
        Status = QCoreApplication::translate("TOptionsForm", "There is no such file.");
    ReferenceStatusLabel->setText(Status);
}

void TOptionsForm::ReferenceBrowseClick()
{
    const QString Current = ReferenceEdit->text().trimmed();
    const QString Path = TFileDialog::OpenFileName(
        this, QCoreApplication::translate("TOptionsForm", "Reference dictionary"),
        QFileInfo(Current.isEmpty() ? TReference::DefaultIndexPath() : Current).absolutePath(),
        QCoreApplication::translate("TOptionsForm", "dictd index (*.index);;All files (*)"));
    if (!Path.isEmpty())
        ReferenceEdit->setText(Path == TReference::DefaultIndexPath() ? QString() : Path);
}

void TOptionsForm::SetReferenceSettings(TReferenceSettings* Reference)
{
    FReference = Reference;
    if (!FReference)
        return;
    ReferenceCheckBox->setChecked(FReference->Enabled);
    ReferenceEdit->setText(FReference->IndexPath);
    ShowReferenceStatus();
}

void TOptionsForm::ReferencePageOK()
{
    if (!FReference)
        return;
    FReference->Enabled = ReferenceCheckBox->isChecked();
    FReference->IndexPath = ReferenceEdit->text().trimmed();
    if (FReference->IndexPath == TReference::DefaultIndexPath())
        FReference->IndexPath.clear();
}
