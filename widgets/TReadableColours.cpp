#include "widgets/TReadableColours.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double Channel)
{
    return Channel <= 0.03928 ? Channel / 12.92 : std::pow((Channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& Color)
{
    return 0.2126 * Linear(Color.redF()) + 0.7152 * Linear(Color.greenF()) +
           0.0722 * Linear(Color.blueF());
}

} // namespace

namespace TReadableColours {

double ContrastRatio(const QColor& A, const QColor& B)
{
    const double La = Luminance(A);
    const double Lb = Luminance(B);
    return (std::max(La, Lb) + 0.05) / (std::min(La, Lb) + 0.05);
}

QColor Readable(const QColor& Preferred, const QColor& Ground, const QColor& Other)
{
    if (ContrastRatio(Preferred, Ground) >= Enough)
        return Preferred;
    if (ContrastRatio(Other, Ground) >= Enough)
        return Other;
    const QColor Black(Qt::black), White(Qt::white);
    return ContrastRatio(Black, Ground) >= ContrastRatio(White, Ground) ? Black : White;
}

QColor TranscriptionInk(const QColor& Ground)
{
    return Readable(QColor(0x80, 0x00, 0x00), Ground, QColor(0xFF, 0x9C, 0x9C));
}

} // namespace TReadableColours
