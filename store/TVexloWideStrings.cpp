#include "store/TVexloWideStrings.h"

#include "store/TextCodec.h"

void TVexloWideStrings::Add(const QString& S)
{
    FList.push_back(std::make_unique<QString>(S));
}

int TVexloWideStrings::Count() const
{
    return static_cast<int>(FList.size());
}

QString TVexloWideStrings::Get(int Index) const
{
    if (Index < 0 || Index >= Count())
        return {};
    return *FList[static_cast<size_t>(Index)];
}

void TVexloWideStrings::Clear()
{
    FList.clear();
}

void TVexloWideStrings::SetText(const QString& T)
{
    Clear();
    if (T.isEmpty())
        return;
    const QChar* P = T.constData(); // QString data is always terminated by U+0000
    while (P->unicode() != 0) {
        const QChar* Start = P;
        while (P->unicode() != 0 && P->unicode() != 0x0A && P->unicode() != 0x0D)
            ++P;
        Add(TextCodec::TrimControls(QString(Start, P - Start)));
        if (P->unicode() == 0x0D)
            ++P;
        if (P->unicode() == 0x0A)
            ++P;
    }
}
