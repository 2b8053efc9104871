#pragma once

#include "review/TReviewProgress.h"

#include <QByteArray>

// The review's progress as a report page: three bar charts drawn as tables (words due over the
// next 30 days, answers over the last 90 days, recall achieved against the desired retention),
// printable and savable like the other reports.
QByteArray BuildReviewProgressPage(const TReviewProgress& Progress);
