#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one place where text changes width. "8-bit text" is text in the locale's encoding, which is
// UTF-8 on current Linux systems (and what Qt 6 assumes on Unix), so narrowing loses nothing here;
// the English word is still stored, searched and returned in this narrowed form.
namespace TextCodec {

// Wide (UTF-16) text to 8-bit text in the locale's encoding.
QByteArray NarrowText(const QString& Wide);

// 8-bit text in the locale's encoding to wide text.
QString WidenText(QByteArrayView Narrow);

// Wide text narrowed and widened again: what survives a trip through an 8-bit column.
QString ThroughNarrow(const QString& Wide);

// Removes every character with a code up to and including the space (0..32) from both ends.
QByteArray TrimControls(const QByteArray& Text);
QString TrimControls(const QString& Text);

// 8-bit text without its last character. A multi-byte UTF-8 sequence counts as one character, so
// the result never ends in a broken sequence.
QByteArray DropLastCharacter(QByteArrayView Text);

// Full Unicode case folding ("Straße" and "STRASSE" fold alike): how the store compares words.
QString FoldCase(QStringView Text);

} // namespace TextCodec
