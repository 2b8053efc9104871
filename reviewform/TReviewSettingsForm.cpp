#include "reviewform/TReviewSettingsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

TReviewSettingsForm::TReviewSettingsForm(const TReviewSettings& Settings, QWidget* Parent)
    : QDialog(Parent), FSettings(Settings)
{
    setObjectName(QStringLiteral("ReviewSettingsForm"));
    setWindowTitle(tr("Review Settings"));
    auto* Form = new QFormLayout;
    FRetention = new QSpinBox(this);
    FRetention->setObjectName(QStringLiteral("RetentionSpin"));
    FRetention->setRange(70, 99);
    FRetention->setSuffix(QStringLiteral(" %"));
    FRetention->setValue((Settings.DesiredRetention + 5) / 10);
    Form->addRow(tr("&Desired retention:"), FRetention);
    FMaximum = new QSpinBox(this);
    FMaximum->setObjectName(QStringLiteral("MaximumSpin"));
    FMaximum->setRange(1, 36500);
    FMaximum->setSuffix(tr(" days"));
    FMaximum->setValue(Settings.MaximumInterval);
    Form->addRow(tr("&Maximum interval:"), FMaximum);
    FNewPerDay = new QSpinBox(this);
    FNewPerDay->setObjectName(QStringLiteral("NewPerDaySpin"));
    FNewPerDay->setRange(0, 9999);
    FNewPerDay->setValue(Settings.NewPerDay);
    Form->addRow(tr("&New words a day:"), FNewPerDay);
    FDirection = new QComboBox(this);
    FDirection->setObjectName(QStringLiteral("DirectionCombo"));
    FDirection->addItems({tr("English → Bulgarian"), tr("Bulgarian → English"), tr("Mixed")});
    FDirection->setCurrentIndex(Settings.Direction);
    Form->addRow(tr("&Ask:"), FDirection);
    FTwoButtons = new QCheckBox(tr("&Two buttons: Knew / Forgot"), this);
    FTwoButtons->setObjectName(QStringLiteral("TwoButtonsCheck"));
    FTwoButtons->setChecked(Settings.TwoButtons);
    Form->addRow(FTwoButtons);
    FFuzz = new QCheckBox(tr("&Spread the intervals a little"), this);
    FFuzz->setObjectName(QStringLiteral("FuzzCheck"));
    FFuzz->setChecked(Settings.Fuzz);
    Form->addRow(FFuzz);
    FLevel = new QCheckBox(tr("Set the &level from the review"), this);
    FLevel->setObjectName(QStringLiteral("LevelCheck"));
    FLevel->setChecked(Settings.LevelFromReview);
    Form->addRow(FLevel);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Form);
    Layout->addWidget(Buttons);
}

TReviewSettings TReviewSettingsForm::Settings() const
{
    TReviewSettings S = FSettings;
    S.DesiredRetention = FRetention->value() * 10;
    S.MaximumInterval = FMaximum->value();
    S.NewPerDay = FNewPerDay->value();
    S.Direction = FDirection->currentIndex();
    S.TwoButtons = FTwoButtons->isChecked();
    S.Fuzz = FFuzz->isChecked();
    S.LevelFromReview = FLevel->isChecked();
    return S;
}
