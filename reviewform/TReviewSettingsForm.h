#pragma once

#include "review/TReviewSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

// The review's settings, from the review window: desired retention, maximum interval, new words
// a day, direction, the two-button mode, interval spread and whether the review sets the level.
class TReviewSettingsForm : public QDialog
{
    Q_OBJECT

public:
    TReviewSettingsForm(const TReviewSettings& Settings, QWidget* Parent = nullptr);
    TReviewSettings Settings() const;

private:
    TReviewSettings FSettings;
    QSpinBox* FRetention;
    QSpinBox* FMaximum;
    QSpinBox* FNewPerDay;
    QComboBox* FDirection;
    QCheckBox* FTwoButtons;
    QCheckBox* FFuzz;
    QCheckBox* FLevel;
};
