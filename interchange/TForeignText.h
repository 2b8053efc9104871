#pragma once

#include <QByteArray>
#include <QString>

// Texts as other programs write them: 8-bit Cyrillic files saved by spreadsheets on Windows, and
// the HTML that flashcard programs keep in their fields.
namespace TForeignText {

// Whether Bytes (not UTF-8) read as Windows-1251 text that holds Cyrillic words: every byte has a
// character there, at least one word of two Cyrillic letters stands in it, and no word mixes
// Cyrillic and Latin letters (as a Latin-1 "café" would).
bool LooksLikeWindows1251(QByteArrayView Bytes);
QString FromWindows1251(QByteArrayView Bytes);

// The canonical name of an encoding the user may name ("utf-8", "windows-1251", "iso-8859-1"
// and what the system's converters know); empty when it is not known.
QString EncodingName(const QString& Name);
// Bytes decoded from the encoding EncodingName gave. Throws EVexloDatabaseError naming the first
// line that the encoding cannot read.
QString Decode(const QByteArray& Bytes, const QString& Encoding);

// The plain text of a field that a flashcard program stored as HTML: <br> and the start of a
// <div> or <p> become line breaks (CR LF), every other tag is dropped, character references and
// the named entities of HTML's core (&amp; &lt; &gt; &quot; &apos; &nbsp;) are decoded (&nbsp; as
// a space). Nothing is rendered or fetched.
QString HtmlToPlain(const QString& Html);

} // namespace TForeignText
