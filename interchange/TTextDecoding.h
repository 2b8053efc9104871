#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The bytes of a text file as text: UTF-8 with or without a byte-order mark, UTF-16 with one, an
// encoding the user named, or Windows-1251 where the bytes can only be that. Bytes that are none
// of these get a message naming the first bad line.
namespace TTextDecoding {

// Turns file bytes into text. Throws EVexloDatabaseError when the bytes are not UTF-8 (nor
// well-formed UTF-16 with a byte-order mark), naming the first bad line; UTF-32 text gets one
// message saying so.
QString DecodeText(const QByteArray& Bytes);

// The offset of the first byte of Bytes (from From on) that does not belong to well-formed UTF-8,
// or -1.
qsizetype FirstBadUtf8(QByteArrayView Bytes, qsizetype From = 0);

// Text of Bytes in Encoding (empty: UTF-8, UTF-16 by its mark, or Windows-1251 when the bytes
// are no UTF-8 and read as Cyrillic text there). Throws EInterchangeQuestion when the bytes are
// no UTF-8 and nothing tells their encoding.
QString DecodeAs(const QByteArray& Bytes, const QString& Encoding);

} // namespace TTextDecoding
