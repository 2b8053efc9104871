#pragma once

#include <QColor>

// Colours that stay readable on any desktop palette, light or dark: the contrast between a text's
// colour and its ground as the web's accessibility guidelines measure it (1 to 21; 4.5 is enough
// for normal text).
namespace TReadableColours {

inline constexpr double Enough = 4.5;

double ContrastRatio(const QColor& A, const QColor& B);
// Preferred where it reads on Ground; else Other where that does; else black or white, whichever
// reads better.
QColor Readable(const QColor& Preferred, const QColor& Ground, const QColor& Other);
// The transcription's maroon, or a light rose on dark grounds.
QColor TranscriptionInk(const QColor& Ground);

} // namespace TReadableColours
