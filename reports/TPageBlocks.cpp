#include "reports/TPageBlocks.h"

#include "reports/TReportPages.h"

#include <QIODevice>

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

// Records of a compact page: a kind byte, then lengths (7 bits a byte, lowest first) each followed
// by that many bytes.
enum : char { HeadingRecord = 'H', OddEntryRecord = 'E', EvenEntryRecord = 'e', RawRecord = 'R' };

void AppendPiece(QByteArray& Out, QByteArrayView Bytes)
{
    auto Length = quint64(Bytes.size());
    do {
        const char Low = char(Length & 0x7F);
        Length >>= 7;
        Out.append(Length ? char(Low | 0x80) : Low);
    } while (Length);
    Out.append(Bytes);
}

QByteArrayView TakePiece(const char*& P)
{
    quint64 Length = 0;
    for (int Shift = 0;; Shift += 7) {
        const auto Byte = uchar(*P++);
        Length |= quint64(Byte & 0x7F) << Shift;
        if (!(Byte & 0x80))
            break;
    }
    const QByteArrayView Piece(P, qsizetype(Length));
    P += Length;
    return Piece;
}

} // namespace

TPageBlocks::TPageBlocks() : D(std::make_shared<TData>()) {}

TPageBlocks::TPageBlocks(const QByteArray& Page) : D(std::make_shared<TData>())
{
    D->Page = Page;
    std::vector<qsizetype>& Starts = D->Starts;
    const QByteArray& Bytes = D->Page;
    const char* const Begin = Bytes.constData();
    const char* const End = Begin + Bytes.size();
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
                Starts.push_back(Rest.trimmed().isEmpty() ? Next - Begin
                                                           : Rest.data() - Begin);
                InOther = true; // the first block may begin with any line
            }
        } else if (InTable) {
            if (StartsWith(Line, Next, "</table>"))
                InTable = false;
        } else if (StartsWith(Line, Next, "<h2")) {
            Starts.push_back(Line - Begin);
            InOther = false;
        } else if (StartsWith(Line, Next, "<table width=\"100%\"")) {
            Starts.push_back(Line - Begin);
            InTable = true;
            InOther = false;
        } else if (!InOther) {
            Starts.push_back(Line - Begin);
            InOther = true;
        }
        Line = Next;
    }
    if (InHead) {
        // No body line: the whole page is one block.
        Starts.assign(1, 0);
    } else if (!Starts.empty() && Starts.back() == Bytes.size()) {
        // The start recorded after the body line, with nothing following it.
        Starts.pop_back();
    } else if (Starts.size() >= 2 && Starts[0] == Starts[1]) {
        // The body line was followed at once by a heading or an entry.
        Starts.erase(Starts.begin());
    }
    if (Bytes.isEmpty())
        Starts.clear();
}

TPageBlocks TPageBlocks::Compact(const QByteArray& Head, qsizetype ExpectedBlocks)
{
    TPageBlocks Blocks;
    Blocks.D->Compact = true;
    Blocks.D->Page = Head;
    Blocks.D->Size = Head.size();
    Blocks.D->Starts.reserve(size_t(qMax<qsizetype>(0, ExpectedBlocks)));
    // About 200 bytes an entry with a two-line Bulgarian text.
    Blocks.D->Records.reserve(qMax<qsizetype>(0, ExpectedBlocks) * 200);
    return Blocks;
}

TPageBlocks TPageBlocks::First(qsizetype Blocks) const
{
    Blocks = qBound<qsizetype>(0, Blocks, Count());
    TPageBlocks Part;
    TData& P = *Part.D;
    P.Compact = D->Compact;
    P.Starts.assign(D->Starts.begin(), D->Starts.begin() + Blocks);
    const qsizetype End = Blocks < Count() ? D->Starts[size_t(Blocks)]
                                           : (D->Compact ? D->Records.size() : D->Page.size());
    if (!D->Compact) {
        P.Page = QByteArray(D->Page.constData(), Blocks == 0 ? Head().size() : End);
        return Part;
    }
    P.Page = D->Page;
    P.Records = QByteArray(D->Records.constData(), End);
    P.Size = P.Page.size();
    QByteArray Scratch;
    for (qsizetype I = 0; I < Blocks; ++I) {
        Scratch.clear();
        AppendBlock(Scratch, I);
        P.Size += Scratch.size();
    }
    return Part;
}

TPageBlocks::TData& TPageBlocks::Writable()
{
    if (D.use_count() > 1)
        D = std::make_shared<TData>(*D);
    return *D;
}

void TPageBlocks::AddHeading(QByteArrayView Letter)
{
    TData& W = Writable();
    W.Starts.push_back(W.Records.size());
    W.Records.append(HeadingRecord);
    AppendPiece(W.Records, Letter);
    W.Size += HeadingBlockSize(Letter);
}

void TPageBlocks::AddEntry(bool Odd, QByteArrayView Word, QByteArrayView Transcription,
                           QByteArrayView Bulgarian)
{
    TData& W = Writable();
    W.Starts.push_back(W.Records.size());
    W.Records.append(Odd ? OddEntryRecord : EvenEntryRecord);
    AppendPiece(W.Records, Word);
    AppendPiece(W.Records, Transcription);
    AppendPiece(W.Records, Bulgarian);
    W.Size += EntryBlockSize(Odd, Word, Transcription, Bulgarian);
}

void TPageBlocks::AddRaw(QByteArrayView Bytes)
{
    TData& W = Writable();
    W.Starts.push_back(W.Records.size());
    W.Records.append(RawRecord);
    AppendPiece(W.Records, Bytes);
    W.Size += Bytes.size();
}

QByteArray TPageBlocks::Head() const
{
    if (D->Compact)
        return D->Page;
    return D->Page.first(D->Starts.empty() ? D->Page.size() : D->Starts.front());
}

void TPageBlocks::AppendBlock(QByteArray& Out, qsizetype I) const
{
    if (!D->Compact) {
        const qsizetype From = D->Starts[size_t(I)];
        const qsizetype To = I + 1 < Count() ? D->Starts[size_t(I + 1)] : D->Page.size();
        Out.append(QByteArrayView(D->Page).sliced(From, To - From));
        return;
    }
    const char* P = D->Records.constData() + D->Starts[size_t(I)];
    const char Kind = *P++;
    switch (Kind) {
    case HeadingRecord:
        AppendHeadingBlock(Out, TakePiece(P));
        break;
    case OddEntryRecord:
    case EvenEntryRecord: {
        const QByteArrayView Word = TakePiece(P);
        const QByteArrayView Transcription = TakePiece(P);
        const QByteArrayView Bulgarian = TakePiece(P);
        AppendEntryBlock(Out, Kind == OddEntryRecord, Word, Transcription, Bulgarian);
        break;
    }
    default:
        Out.append(TakePiece(P));
    }
}

QString TPageBlocks::BlockText(qsizetype I) const
{
    if (!D->Compact)
        return PlainText(Block(I));
    const char* P = D->Records.constData() + D->Starts[size_t(I)];
    const char Kind = *P++;
    if (Kind != OddEntryRecord && Kind != EvenEntryRecord)
        return PlainText(TakePiece(P));
    // The cells' contents with the cells' ends between them read as the whole table does: the
    // rest of its markup only breaks lines before and after the row.
    QByteArray Cells;
    const QByteArrayView Word = TakePiece(P);
    const QByteArrayView Transcription = TakePiece(P);
    const QByteArrayView Bulgarian = TakePiece(P);
    Cells.reserve(Word.size() + Transcription.size() + Bulgarian.size() + 10);
    Cells.append(Word).append("</td>").append(Transcription).append("</td>").append(Bulgarian);
    return PlainText(Cells);
}

QByteArray TPageBlocks::Block(qsizetype I) const
{
    QByteArray Out;
    AppendBlock(Out, I);
    return Out;
}

qsizetype TPageBlocks::PageSize() const
{
    return D->Compact ? D->Size : D->Page.size();
}

QByteArray TPageBlocks::Page() const
{
    if (!D->Compact)
        return D->Page;
    QByteArray Out;
    Out.reserve(D->Size);
    Out.append(D->Page);
    for (qsizetype I = 0; I < Count(); ++I)
        AppendBlock(Out, I);
    return Out;
}

bool TPageBlocks::WriteTo(QIODevice& Device) const
{
    if (!D->Compact)
        return Device.write(D->Page) == D->Page.size();
    QByteArray Buffer = D->Page;
    for (qsizetype I = 0; I < Count(); ++I) {
        AppendBlock(Buffer, I);
        if (Buffer.size() >= (1 << 20) || I + 1 == Count()) {
            if (Device.write(Buffer) != Buffer.size())
                return false;
            Buffer.clear();
        }
    }
    return Buffer.isEmpty() || Device.write(Buffer) == Buffer.size();
}

std::vector<qsizetype> TPageBlocks::Starts() const
{
    if (!D->Compact)
        return D->Starts;
    std::vector<qsizetype> Starts;
    qsizetype At = D->Page.size();
    QByteArray Block;
    for (qsizetype I = 0; I < Count(); ++I) {
        Starts.push_back(At);
        Block.clear();
        AppendBlock(Block, I);
        At += Block.size();
    }
    return Starts;
}

QString TPageBlocks::BodyColor() const
{
    const QByteArray HeadBytes = Head();
    const QByteArrayView H = HeadBytes;
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
