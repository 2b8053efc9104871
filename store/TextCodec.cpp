#include "store/TextCodec.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <string>

namespace TextCodec {

QByteArray NarrowText(const QString& Wide)
{
    return Wide.toLocal8Bit();
}

QString WidenText(QByteArrayView Narrow)
{
    return QString::fromLocal8Bit(Narrow);
}

QString ThroughNarrow(const QString& Wide)
{
    return WidenText(NarrowText(Wide));
}

QByteArray TrimControls(const QByteArray& Text)
{
    qsizetype First = 0;
    qsizetype Last = Text.size();
    while (First < Last && static_cast<unsigned char>(Text[First]) <= 32)
        ++First;
    while (Last > First && static_cast<unsigned char>(Text[Last - 1]) <= 32)
        --Last;
    return Text.sliced(First, Last - First);
}

QString TrimControls(const QString& Text)
{
    qsizetype First = 0;
    qsizetype Last = Text.size();
    while (First < Last && Text[First].unicode() <= 32)
        ++First;
    while (Last > First && Text[Last - 1].unicode() <= 32)
        --Last;
    return Text.mid(First, Last - First);
}

QByteArray DropLastCharacter(QByteArrayView Text)
{
    qsizetype End = Text.size();
    if (End == 0)
        return {};
    --End;
    // Step back over UTF-8 continuation bytes to the lead byte of the last character.
    while (End > 0 && (static_cast<unsigned char>(Text[End]) & 0xC0) == 0x80)
        --End;
    return Text.first(End).toByteArray();
}

QString FoldCase(QStringView Text)
{
    std::u16string Folded(static_cast<size_t>(Text.size()) * 3 + 4, u'\0');
    UErrorCode Error = U_ZERO_ERROR;
    const int32_t Length =
        u_strFoldCase(Folded.data(), static_cast<int32_t>(Folded.size()),
                      reinterpret_cast<const UChar*>(Text.utf16()),
                      static_cast<int32_t>(Text.size()), U_FOLD_CASE_DEFAULT, &Error);
    if (U_FAILURE(Error))
        return Text.toString().toCaseFolded();
    return QString::fromUtf16(Folded.data(), Length);
}

} // namespace TextCodec
