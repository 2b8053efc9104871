#include "interchange/TTextDecoding.h"

#include "interchange/TForeignText.h"
#include "interchange/TInterchangeTypes.h"
#include "store/EVexloDatabaseError.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace TTextDecoding {

qsizetype FirstBadUtf8(QByteArrayView Bytes, qsizetype From)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes.constData());
    const qsizetype N = Bytes.size();
    qsizetype I = From;
    while (I < N) {
        const unsigned char C = P[I];
        if (C < 0x80) {
            ++I;
            continue;
        }
        int Length = 0;
        uint32_t Code = 0;
        if ((C & 0xE0) == 0xC0) {
            Length = 2;
            Code = C & 0x1F;
        } else if ((C & 0xF0) == 0xE0) {
            Length = 3;
            Code = C & 0x0F;
        } else if ((C & 0xF8) == 0xF0) {
            Length = 4;
            Code = C & 0x07;
        } else {
            return I;
        }
        if (I + Length > N)
            return I;
        for (int K = 1; K < Length; ++K) {
            if ((P[I + K] & 0xC0) != 0x80)
                return I;
            Code = (Code << 6) | (P[I + K] & 0x3F);
        }
        static constexpr std::array<uint32_t, 5> Least{0, 0, 0x80, 0x800, 0x10000};
        if (Code < Least[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return I;
        I += Length;
    }
    return -1;
}

namespace {

int LineAt(const QByteArray& Bytes, qsizetype Offset)
{
    return static_cast<int>(QByteArrayView(Bytes).first(Offset).count('\n')) + 1;
}

QString DecodeUtf16(const QByteArray& Bytes, QStringConverter::Encoding Encoding)
{
    if ((Bytes.size() - 2) % 2 != 0)
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TDelimitedText", "The file is marked as UTF-16 text but ends in the middle of a "
                              "character."));
    QStringDecoder Decoder(Encoding, QStringConverter::Flag::Stateless);
    QString Text = Decoder.decode(QByteArrayView(Bytes).sliced(2));
    qsizetype Bad = Decoder.hasError() ? 0 : -1;
    // The decoder lets a surrogate without its pair through.
    for (qsizetype I = 0; Bad < 0 && I < Text.size(); ++I) {
        if (Text[I].isHighSurrogate() && I + 1 < Text.size() && Text[I + 1].isLowSurrogate())
            ++I;
        else if (Text[I].isSurrogate())
            Bad = I;
    }
    if (Bad >= 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TDelimitedText",
                "The file is marked as UTF-16 text but line %1 is not well-formed "
                "UTF-16 (half of a character pair stands alone).")
                .arg(QStringView(Text).first(Bad).count(u'\n') + 1));
    return Text;
}

// Whether Bytes look like UTF-32 text: a byte-order mark of UTF-32, or (without one) code units
// of four bytes whose upper half is zero.
bool LooksLikeUtf32(const QByteArray& Bytes)
{
    if (Bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        Bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return true;
    if (Bytes.size() < 4 || Bytes.size() % 4 != 0)
        return false;
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes.constData());
    const qsizetype Units = std::min<qsizetype>(Bytes.size() / 4, 64);
    bool LittleEndian = true;
    bool BigEndian = true;
    for (qsizetype I = 0; I < Units; ++I) {
        const unsigned char* U = P + 4 * I;
        LittleEndian = LittleEndian && U[3] == 0 && U[2] <= 0x10 && (U[0] | U[1]) != 0;
        BigEndian = BigEndian && U[0] == 0 && U[1] <= 0x10 && (U[2] | U[3]) != 0;
    }
    return LittleEndian || BigEndian;
}

} // namespace

QString DecodeText(const QByteArray& Bytes)
{
    if (Bytes.startsWith("\xEF\xBB\xBF")) {
        if (const qsizetype Bad = FirstBadUtf8(Bytes, 3); Bad >= 0)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TDelimitedText", "The file is marked as UTF-8 text but line %1 is not UTF-8.")
                    .arg(LineAt(Bytes, Bad)));
        return QString::fromUtf8(QByteArrayView(Bytes).sliced(3));
    }
    if (LooksLikeUtf32(Bytes))
        throw EVexloDatabaseError(QCoreApplication::translate(
            "TDelimitedText", "The file is UTF-32 text, not UTF-8 or UTF-16: save it as UTF-8 and "
                              "import it again."));
    if (Bytes.startsWith("\xFF\xFE"))
        return DecodeUtf16(Bytes, QStringConverter::Utf16LE);
    if (Bytes.startsWith("\xFE\xFF"))
        return DecodeUtf16(Bytes, QStringConverter::Utf16BE);
    if (const qsizetype Nul = Bytes.indexOf('\0'); Nul >= 0)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TDelimitedText",
                "Line %1 of the file holds a NUL byte: this is not a text file, or it "
                "is UTF-16 text without a byte-order mark. Save it as UTF-8.")
                .arg(LineAt(Bytes, Nul)));
    QStringDecoder Decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString Text = Decoder.decode(Bytes);
    if (!Decoder.hasError())
        return Text;
    // Find the first bad line only when there is one.
    const qsizetype Bad = std::max<qsizetype>(0, FirstBadUtf8(Bytes, 0));
    throw EVexloDatabaseError(
        QCoreApplication::translate(
            "TDelimitedText", "Line %1 of the file is not UTF-8 text. Save the file as UTF-8 (or "
                              "UTF-16 with a byte-order mark) and import it again.")
            .arg(LineAt(Bytes, Bad)));
}

QString DecodeAs(const QByteArray& Bytes, const QString& Encoding)
{
    if (!Encoding.isEmpty() && Encoding != "utf-8")
        return TForeignText::Decode(Bytes, Encoding);
    const bool Marked = Bytes.startsWith("\xEF\xBB\xBF") || Bytes.startsWith("\xFF\xFE") ||
                        Bytes.startsWith("\xFE\xFF") || LooksLikeUtf32(Bytes) ||
                        Bytes.contains('\0');
    if (Marked || !Encoding.isEmpty() || FirstBadUtf8(Bytes) < 0)
        return DecodeText(Bytes);
    if (TForeignText::LooksLikeWindows1251(Bytes))
        return TForeignText::FromWindows1251(Bytes);
    try {
        return DecodeText(Bytes);
    } catch (const EVexloDatabaseError& Error) {
        throw EInterchangeQuestion(EInterchangeQuestion::TKind::Encoding, Error.Message());
    }
}

} // namespace TTextDecoding
