#include "interchange/TForeignText.h"

#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <utility>

namespace TForeignText {

namespace {

// Windows-1251 from 0x80 to 0xBF (0x98 has no character); 0xC0..0xFF are А..я.
constexpr std::array<char16_t, 64> Upper1251{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t Char1251(unsigned char C)
{
    if (C < 0x80)
        return C;
    if (C >= 0xC0)
        return static_cast<char16_t>(0x0410 + (C - 0xC0));
    return Upper1251[C - 0x80];
}

bool IsAsciiLetter(unsigned char C)
{
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
}

// The named entities a flashcard program writes; &nbsp; stands for an ordinary space there.
constexpr std::pair<QLatin1StringView, char16_t> NamedEntities[] = {
    {QLatin1StringView("amp"), u'&'},   {QLatin1StringView("lt"), u'<'},
    {QLatin1StringView("gt"), u'>'},    {QLatin1StringView("quot"), u'"'},
    {QLatin1StringView("apos"), u'\''}, {QLatin1StringView("nbsp"), u' '}};

int LineAt(QByteArrayView Bytes, qsizetype Offset)
{
    return static_cast<int>(Bytes.first(Offset).count('\n')) + 1;
}

} // namespace

bool LooksLikeWindows1251(QByteArrayView Bytes)
{
    bool Word = false;
    int Run = 0;       // Cyrillic letters in a row
    bool Latin = false; // the current word has a Latin letter
    bool Cyrillic = false;
    for (const char Byte : Bytes) {
        const auto C = static_cast<unsigned char>(Byte);
        if (C == 0x98 || C == 0)
            return false;
        const char16_t U = Char1251(C);
        const bool IsCyrillic = U >= 0x0400 && U <= 0x04FF;
        if (IsCyrillic) {
            Cyrillic = true;
            Word = Word || ++Run >= 2;
        } else {
            Run = 0;
            Latin = Latin || IsAsciiLetter(C);
        }
        if (Latin && Cyrillic)
            return false;
        if (!IsCyrillic && !IsAsciiLetter(C) && C != '\'' && C != '-') {
            Latin = false;
            Cyrillic = false;
        }
    }
    return Word;
}

QString FromWindows1251(QByteArrayView Bytes)
{
    QString Text(Bytes.size(), Qt::Uninitialized);
    QChar* Out = Text.data();
    for (const char Byte : Bytes)
        *Out++ = QChar(Char1251(static_cast<unsigned char>(Byte)));
    return Text;
}

QString EncodingName(const QString& Name)
{
    const QString Key = Name.trimmed().toLower().remove(u'_');
    if (Key == "utf-8" || Key == "utf8")
        return QStringLiteral("utf-8");
    if (Key == "windows-1251" || Key == "cp1251" || Key == "windows1251")
        return QStringLiteral("windows-1251");
    if (Key == "iso-8859-1" || Key == "latin1" || Key == "latin-1")
        return QStringLiteral("iso-8859-1");
    if (!Key.isEmpty() && QStringDecoder(Key.toLatin1().constData()).isValid())
        return Key;
    return QString();
}

QString Decode(const QByteArray& Bytes, const QString& Encoding)
{
    if (Encoding == "windows-1251") {
        if (const qsizetype Bad = Bytes.indexOf('\x98'); Bad >= 0)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TForeignText", "Line %1 of the file holds a byte that is no character in "
                                    "Windows-1251: the file has another encoding.")
                    .arg(LineAt(Bytes, Bad)));
        return FromWindows1251(Bytes);
    }
    QStringDecoder Decoder(Encoding.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!Decoder.isValid())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TForeignText", "The encoding %1 is not known.")
                .arg(Encoding));
    QString Text = Decoder.decode(Bytes);
    if (Decoder.hasError() || Text.contains(QChar::ReplacementCharacter))
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TForeignText", "The file is not %1 text: line %2 cannot be read in that encoding.")
                .arg(Encoding)
                .arg(Text.first(std::max<qsizetype>(0, Text.indexOf(QChar::ReplacementCharacter)))
                         .count(u'\n') +
                     1));
    return Text;
}

QString HtmlToPlain(const QString& Html)
{
    if (!Html.contains(u'<') && !Html.contains(u'&'))
        return Html;
    QString Out;
    Out.reserve(Html.size());
    const auto Break = [&Out] { Out += QLatin1StringView("\r\n"); };
    const qsizetype N = Html.size();
    for (qsizetype I = 0; I < N; ++I) {
        const QChar C = Html[I];
        if (C == u'<') {
            const qsizetype End = Html.indexOf(u'>', I + 1);
            if (End < 0) {
                Out += QStringView(Html).sliced(I); // not a tag: kept as text
                break;
            }
            QString Name = Html.sliced(I + 1, End - I - 1).trimmed().toLower();
            Name = Name.section(u' ', 0, 0).remove(u'/');
            if (Name == "br")
                Break();
            else if ((Name == "div" || Name == "p") && Html[I + 1] != u'/' && !Out.isEmpty() &&
                     !Out.endsWith(u'\n'))
                Break();
            I = End;
            continue;
        }
        if (C == u'&') {
            const qsizetype End = Html.indexOf(u';', I + 1);
            if (End > I + 1 && End - I <= 10) {
                const QString Name = Html.sliced(I + 1, End - I - 1);
                char32_t Code = 0;
                if (Name.startsWith(u'#')) {
                    bool Ok = false;
                    const uint Value = Name.startsWith(QLatin1StringView("#x"), Qt::CaseInsensitive)
                                           ? Name.sliced(2).toUInt(&Ok, 16)
                                           : Name.sliced(1).toUInt(&Ok, 10);
                    if (Ok && Value > 0 && Value <= 0x10FFFF && (Value < 0xD800 || Value > 0xDFFF))
                        Code = Value;
                } else {
                    for (const auto& [Entity, Character] : NamedEntities)
                        if (Name == Entity)
                            Code = Character;
                }
                if (Code != 0) {
                    Out += QString::fromUcs4(&Code, 1);
                    I = End;
                    continue;
                }
            }
        }
        Out += C;
    }
    return Out;
}

} // namespace TForeignText
