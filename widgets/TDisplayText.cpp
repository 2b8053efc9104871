#include "widgets/TDisplayText.h"

#include <QRegularExpression>

#include <algorithm>

namespace TDisplayText {

namespace {

const QChar Ellipsis(0x2026);

bool IsBidiControl(char16_t C)
{
    return C == 0x061C || C == 0x200E || C == 0x200F || (C >= 0x202A && C <= 0x202E) ||
           (C >= 0x2066 && C <= 0x2069);
}

// Cuts Text to at most Max characters, the ellipsis included, never between the two halves of a
// surrogate pair.
QString Cut(QStringView Text, qsizetype Max)
{
    if (Text.size() <= Max)
        return Text.toString();
    qsizetype Keep = std::max<qsizetype>(Max - 1, 0);
    if (Keep > 0 && Text[Keep - 1].isHighSurrogate())
        --Keep;
    return Text.left(Keep).toString() + Ellipsis;
}

} // namespace

QString OneLine(const QString& Text, int MaxChars)
{
    const qsizetype Break = Text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (Break < 0)
        return Cut(Text, MaxChars);
    const QStringView First = QStringView(Text).left(Break);
    if (First.size() + 1 > MaxChars)
        return Cut(First, MaxChars);
    return First.toString() + Ellipsis;
}

QString Lines(const QString& Text, int MaxLines, int MaxLineChars, int MaxChars)
{
    QString Out;
    qsizetype Start = 0;
    int Count = 0;
    while (Start <= Text.size()) {
        qsizetype End = Text.indexOf(QLatin1Char('\n'), Start);
        const bool Last = End < 0;
        if (Last)
            End = Text.size();
        if (Count == MaxLines || Out.size() >= MaxChars) {
            // Lines are left over: mark where they were.
            if (!Out.endsWith(Ellipsis))
                Out += Ellipsis;
            break;
        }
        QStringView Line = QStringView(Text).mid(Start, End - Start);
        const bool Cr = Line.endsWith(QLatin1Char('\r'));
        if (Cr)
            Line.chop(1);
        const qsizetype Room = std::min<qsizetype>(MaxLineChars, MaxChars - Out.size());
        Out += Cut(Line, Room);
        ++Count;
        if (Last)
            break;
        if (Cr)
            Out += QLatin1Char('\r');
        Out += QLatin1Char('\n');
        Start = End + 1;
    }
    return Out;
}

QString KeepAmpersands(const QString& Text)
{
    QString Out = Text;
    return Out.replace(u'&', QStringLiteral("&&"));
}

QString WithoutMnemonic(const QString& Caption)
{
    QString Out;
    Out.reserve(Caption.size());
    for (qsizetype I = 0; I < Caption.size(); ++I) {
        if (Caption.at(I) == u'&' && I + 1 < Caption.size())
            ++I;
        Out += Caption.at(I);
    }
    return Out;
}

QString WithoutBidiControls(const QString& Text)
{
    QString Out = Text;
    Out.removeIf([](QChar C) { return IsBidiControl(C.unicode()); });
    return Out;
}

} // namespace TDisplayText
