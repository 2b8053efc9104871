#include "store/TextCodec.h"

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

} // namespace TextCodec
