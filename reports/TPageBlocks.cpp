#include "reports/TPageBlocks.h"

#include <cstring>

namespace {

bool StartsWith(const char* Line, const char* End, const char* Prefix)
{
    const size_t Length = std::strlen(Prefix);
    return size_t(End - Line) >= Length && std::memcmp(Line, Prefix, Length) == 0;
}

bool IsTagChar(QChar C)
{
    return C.isLetterOrNumber();
}

// Tags after which (or before which) the reader sees a new line.
bool BreaksLine(QStringView Name)
{
    static const char* const Names[] = {"br", "p",  "div", "tr", "table", "hr", "h1",
                                        "h2", "h3", "h4",  "h5", "h6",    "li", "title"};
    for (const char* N : Names) {
        if (Name.compare(QLatin1String(N), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool HidesContent(QStringView Name)
{
    return Name.compare(QLatin1String("title"), Qt::CaseInsensitive) == 0 ||
           Name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0 ||
           Name.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0;
}

// The character an entity or character reference at Text[I] ('&') stands for; Length gets its
// length. A lone '&' stands for itself.
char32_t Entity(QStringView Text, qsizetype I, qsizetype& Length)
{
    Length = 1;
    const qsizetype Semicolon = Text.indexOf(u';', I);
    if (Semicolon < 0 || Semicolon - I > 10)
        return U'&';
    const QStringView Name = Text.mid(I + 1, Semicolon - I - 1);
    char32_t Value = 0;
    if (Name.startsWith(u'#')) {
        bool Ok = false;
        const bool Hex = Name.size() > 1 && (Name[1] == u'x' || Name[1] == u'X');
        Value = Name.mid(Hex ? 2 : 1).toUInt(&Ok, Hex ? 16 : 10);
        if (!Ok)
            return U'&';
    } else if (Name == u"amp") {
        Value = U'&';
    } else if (Name == u"lt") {
        Value = U'<';
    } else if (Name == u"gt") {
        Value = U'>';
    } else if (Name == u"quot") {
        Value = U'"';
    } else if (Name == u"apos") {
        Value = U'\'';
    } else if (Name == u"nbsp") {
        Value = U' ';
    } else {
        return U'&';
    }
    Length = Semicolon - I + 1;
    return Value;
}

} // namespace

TPageBlocks::TPageBlocks(const QByteArray& Page) : FPage(Page)
{
    const char* const Begin = FPage.constData();
    const char* const End = Begin + FPage.size();
    bool InHead = true;
    bool InTable = false;
    bool InOther = false;
    for (const char* Line = Begin; Line < End;) {
        const char* Next = static_cast<const char*>(std::memchr(Line, '\n', size_t(End - Line)));
        Next = Next ? Next + 1 : End;
        if (InHead) {
            const QByteArrayView Text(Line, Next - Line);
            if (const qsizetype Body = Text.indexOf("<body"); Body >= 0) {
                InHead = false;
                // The first block starts after the body tag: on the next line, unless the page
                // goes on in the same line.
                const qsizetype Close = Text.indexOf('>', Body);
                const QByteArrayView Rest = Close < 0 ? QByteArrayView() : Text.sliced(Close + 1);
                FStarts.push_back(Rest.trimmed().isEmpty() ? Next - Begin
                                                           : Rest.data() - Begin);
                InOther = true; // the first block may begin with any line
            }
        } else if (InTable) {
            if (StartsWith(Line, Next, "</table>"))
                InTable = false;
        } else if (StartsWith(Line, Next, "<h2")) {
            FStarts.push_back(Line - Begin);
            InOther = false;
        } else if (StartsWith(Line, Next, "<table width=\"100%\"")) {
            FStarts.push_back(Line - Begin);
            InTable = true;
            InOther = false;
        } else if (!InOther) {
            FStarts.push_back(Line - Begin);
            InOther = true;
        }
        Line = Next;
    }
    if (InHead) {
        // No body line: the whole page is one block.
        FStarts.assign(1, 0);
    } else if (!FStarts.empty() && FStarts.back() == FPage.size()) {
        // The start recorded after the body line, with nothing following it.
        FStarts.pop_back();
    } else if (FStarts.size() >= 2 && FStarts[0] == FStarts[1]) {
        // The body line was followed at once by a heading or an entry.
        FStarts.erase(FStarts.begin());
    }
    if (FPage.isEmpty())
        FStarts.clear();
}

TPageBlocks::TPageBlocks(const QByteArray& Page, std::vector<qsizetype> Starts)
    : FPage(Page), FStarts(std::move(Starts))
{
}

QByteArrayView TPageBlocks::Head() const
{
    return QByteArrayView(FPage).first(FStarts.empty() ? FPage.size() : FStarts.front());
}

QByteArrayView TPageBlocks::Block(qsizetype I) const
{
    const qsizetype From = FStarts[size_t(I)];
    const qsizetype To = I + 1 < Count() ? FStarts[size_t(I + 1)] : FPage.size();
    return QByteArrayView(FPage).sliced(From, To - From);
}

QString TPageBlocks::BodyColor() const
{
    const QByteArrayView H = Head();
    const qsizetype Body = H.lastIndexOf(QByteArrayView("<body"));
    if (Body < 0)
        return {};
    const QByteArrayView Tag = H.sliced(Body);
    const qsizetype Attr = Tag.indexOf(QByteArrayView("bgcolor="));
    if (Attr < 0)
        return {};
    QByteArrayView Value = Tag.sliced(Attr + 8);
    if (Value.startsWith('"')) {
        Value = Value.sliced(1);
        return QString::fromLatin1(Value.first(qMax<qsizetype>(0, Value.indexOf('"'))));
    }
    qsizetype Length = 0;
    while (Length < Value.size() && Value[Length] != '>' && Value[Length] != ' ' &&
           Value[Length] != '\r' && Value[Length] != '\n')
        ++Length;
    return QString::fromLatin1(Value.first(Length));
}

QString TPageBlocks::PlainText(QByteArrayView Html)
{
    const QString Text = QString::fromLocal8Bit(Html);
    QString Out;
    Out.reserve(Text.size() / 4);
    bool Space = false;   // white space seen since the last character
    bool NewLine = false; // a line break is due before the next character
    bool LineHasText = false;
    int Cells = 0; // cells ended in this row since its last character
    bool Hidden = false;
    for (qsizetype I = 0; I < Text.size();) {
        const QChar C = Text[I];
        if (C == u'<') {
            const qsizetype Close = Text.indexOf(u'>', I);
            if (Close < 0)
                break;
            qsizetype N = I + 1;
            const bool Ending = N < Close && Text[N] == u'/';
            if (Ending)
                ++N;
            const qsizetype NameStart = N;
            while (N < Close && IsTagChar(Text[N]))
                ++N;
            const QStringView Name = QStringView(Text).sliced(NameStart, N - NameStart);
            if (HidesContent(Name))
                Hidden = !Ending;
            if (Ending && (Name.compare(u"td", Qt::CaseInsensitive) == 0 ||
                           Name.compare(u"th", Qt::CaseInsensitive) == 0)) {
                ++Cells;
            } else if (BreaksLine(Name)) {
                NewLine = NewLine || !Out.isEmpty();
                Cells = 0;
            }
            I = Close + 1;
            continue;
        }
        if (Hidden) {
            ++I;
            continue;
        }
        char32_t Value = C.unicode();
        qsizetype Length = 1;
        if (C == u'&')
            Value = Entity(Text, I, Length);
        I += Length;
        if (Value == U' ' || Value == U'\t' || Value == U'\r' || Value == U'\n') {
            Space = true;
            continue;
        }
        if (NewLine) {
            Out.append(u'\n');
            LineHasText = false;
            NewLine = false;
        }
        if (Cells > 0) {
            Out.append(QString(Cells, u'\t'));
        } else if (Space && LineHasText) {
            Out.append(u' ');
        }
        Cells = 0;
        Space = false;
        if (Value > 0xFFFF) {
            const char16_t Pair[2] = {QChar::highSurrogate(Value), QChar::lowSurrogate(Value)};
            Out.append(QStringView(Pair, 2));
        } else {
            Out.append(QChar(char16_t(Value)));
        }
        LineHasText = true;
    }
    return Out;
}
