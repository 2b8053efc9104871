#include "platform/TRegFile.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace {

const QString Header5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString Header4 = QStringLiteral("REGEDIT4");

const char* const RootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                 "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

bool SameName(const QString& A, const QString& B)
{
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

// "HKEY_LOCAL_MACHINE\Software\X" with the root spelled as usual, no empty parts. Empty when the
// path has no known root.
QString NormalPath(const QString& Path)
{
    const QStringList Parts = Path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (Parts.isEmpty())
        return {};
    QString Root;
    for (const char* Name : RootNames)
        if (SameName(Parts.first(), QLatin1String(Name)))
            Root = QLatin1String(Name);
    if (Root.isEmpty())
        return {};
    QStringList Out = Parts;
    Out.first() = Root;
    return Out.join(QLatin1Char('\\'));
}

// Replaces unpaired surrogates, which UTF-8 cannot carry, with U+FFFD.
QString PairedSurrogates(QString Text, bool& Clean)
{
    if (Text.isValidUtf16())
        return Text;
    Clean = false;
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C.isHighSurrogate() && I + 1 < Text.size() && Text[I + 1].isLowSurrogate()) {
            ++I;
            continue;
        }
        if (C.isSurrogate())
            Text[I] = QChar::ReplacementCharacter;
    }
    return Text;
}

QString DecodeText(const QByteArray& Bytes, bool& Clean);

// Decodes the file's bytes; Clean is false when some bytes were not valid text.
QString DecodeFile(const QByteArray& Bytes, bool& Clean)
{
    Clean = true;
    QString Text = DecodeText(Bytes, Clean);
    return PairedSurrogates(std::move(Text), Clean);
}

QString DecodeText(const QByteArray& Bytes, bool& Clean)
{
    Clean = true;
    if (Bytes.startsWith("\xFF\xFE")) {
        QByteArray Body = Bytes.mid(2);
        if (Body.size() % 2) {
            Body.chop(1);
            Clean = false;
        }
        QStringDecoder Decoder(QStringDecoder::Utf16LE);
        QString Text = Decoder(Body);
        if (Decoder.hasError())
            Clean = false;
        return Text;
    }
    if (Bytes.startsWith("\xFE\xFF")) {
        QByteArray Body = Bytes.mid(2);
        if (Body.size() % 2) {
            Body.chop(1);
            Clean = false;
        }
        QStringDecoder Decoder(QStringDecoder::Utf16BE);
        QString Text = Decoder(Body);
        if (Decoder.hasError())
            Clean = false;
        return Text;
    }
    const QByteArray Body = Bytes.startsWith("\xEF\xBB\xBF") ? Bytes.mid(3) : Bytes;
    QStringDecoder Decoder(QStringDecoder::Utf8);
    QString Text = Decoder(Body);
    if (!Decoder.hasError())
        return Text;
    // Not UTF-8: an 8-bit file from elsewhere. Keep every byte as one character.
    Clean = false;
    return QString::fromLatin1(Body);
}

int HexDigit(QChar C)
{
    const char16_t U = C.unicode();
    if (U >= '0' && U <= '9')
        return U - '0';
    if (U >= 'a' && U <= 'f')
        return U - 'a' + 10;
    if (U >= 'A' && U <= 'F')
        return U - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at Text[Pos] == '"'; Pos ends after the closing quote. Backslash
// escapes the next character; a backslash before anything but '\' or '"' is kept as it stands.
bool ReadQuoted(const QString& Text, qsizetype& Pos, QString& Out)
{
    if (Pos >= Text.size() || Text[Pos] != QLatin1Char('"'))
        return false;
    ++Pos;
    Out.clear();
    while (Pos < Text.size()) {
        const QChar C = Text[Pos++];
        if (C == QLatin1Char('"'))
            return true;
        if (C == QLatin1Char('\\') && Pos < Text.size()) {
            const QChar Next = Text[Pos];
            if (Next == QLatin1Char('\\') || Next == QLatin1Char('"')) {
                Out += Next;
                ++Pos;
                continue;
            }
        }
        Out += C;
    }
    return false;
}

void SkipSpaces(const QString& Text, qsizetype& Pos)
{
    while (Pos < Text.size() && (Text[Pos] == QLatin1Char(' ') || Text[Pos] == QLatin1Char('\t')))
        ++Pos;
}

// Comma-separated bytes of one or two hex digits; blanks anywhere, one trailing comma allowed.
bool ReadHexList(QStringView List, QByteArray& Out)
{
    Out.clear();
    Out.reserve(List.size() / 3 + 1);
    int Digits = 0;
    int Byte = 0;
    for (QChar C : List) {
        if (C == QLatin1Char(' ') || C == QLatin1Char('\t'))
            continue;
        if (C == QLatin1Char(',')) {
            if (Digits == 0)
                return false;
            Out.append(static_cast<char>(Byte));
            Digits = 0;
            Byte = 0;
            continue;
        }
        const int D = HexDigit(C);
        if (D < 0 || ++Digits > 2)
            return false;
        Byte = Byte * 16 + D;
    }
    if (Digits > 0)
        Out.append(static_cast<char>(Byte));
    return true;
}

// 8-bit text (REGEDIT4) to UTF-16LE, NULs kept where they are.
QByteArray WideFrom8Bit(const QByteArray& Bytes)
{
    QByteArray Out;
    const QList<QByteArray> Pieces = Bytes.split('\0');
    for (qsizetype I = 0; I < Pieces.size(); ++I) {
        if (I > 0)
            Out.append(2, '\0');
        const QString Piece = QString::fromLocal8Bit(Pieces[I]);
        Out.append(reinterpret_cast<const char*>(Piece.utf16()), Piece.size() * 2);
    }
    return Out;
}

// Parses the data after '='. False when it cannot be read.
bool ReadData(const QString& Text, bool Regedit4, TRegValue& Value)
{
    if (Text.startsWith(QLatin1Char('"'))) {
        qsizetype Pos = 0;
        QString S;
        if (!ReadQuoted(Text, Pos, S))
            return false;
        SkipSpaces(Text, Pos);
        if (Pos != Text.size())
            return false;
        Value.Type = REG_SZ;
        Value.Data = TRegData::FromString(S);
        return true;
    }
    if (Text.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString Digits = Text.mid(6).trimmed();
        if (Digits.isEmpty() || Digits.size() > 8)
            return false;
        uint32_t N = 0;
        for (QChar C : Digits) {
            const int D = HexDigit(C);
            if (D < 0)
                return false;
            N = N * 16 + static_cast<uint32_t>(D);
        }
        Value.Type = REG_DWORD;
        Value.Data = TRegData::FromDword(N);
        return true;
    }
    if (!Text.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
        return false;
    qsizetype Pos = 3;
    uint32_t Type = REG_BINARY;
    if (Pos < Text.size() && Text[Pos] == QLatin1Char('(')) {
        const qsizetype Close = Text.indexOf(QLatin1Char(')'), Pos);
        if (Close < 0)
            return false;
        const QString Digits = Text.mid(Pos + 1, Close - Pos - 1);
        if (Digits.isEmpty() || Digits.size() > 8)
            return false;
        Type = 0;
        for (QChar C : Digits) {
            const int D = HexDigit(C);
            if (D < 0)
                return false;
            Type = Type * 16 + static_cast<uint32_t>(D);
        }
        Pos = Close + 1;
    }
    if (Pos >= Text.size() || Text[Pos] != QLatin1Char(':'))
        return false;
    QByteArray Bytes;
    if (!ReadHexList(QStringView(Text).mid(Pos + 1), Bytes))
        return false;
    if (Regedit4 && (Type == REG_SZ || Type == REG_EXPAND_SZ || Type == REG_MULTI_SZ))
        Bytes = WideFrom8Bit(Bytes);
    Value.Type = Type;
    Value.Data = Bytes;
    return true;
}

QString Quote(const QString& Text)
{
    QString Out = QStringLiteral("\"");
    for (QChar C : Text) {
        if (C == QLatin1Char('\\') || C == QLatin1Char('"'))
            Out += QLatin1Char('\\');
        Out += C;
    }
    Out += QLatin1Char('"');
    return Out;
}

// True when a REG_SZ can be written as a quoted string and read back to the same bytes.
bool PlainString(const QByteArray& Data)
{
    if (Data.size() < 2 || Data.size() % 2 || Data.at(Data.size() - 1) != 0 ||
        Data.at(Data.size() - 2) != 0)
        return false;
    const QString Text = QString::fromUtf16(reinterpret_cast<const char16_t*>(Data.constData()),
                                            Data.size() / 2 - 1);
    for (QChar C : Text)
        if (C.unicode() == 0 || C == QLatin1Char('\r') || C == QLatin1Char('\n'))
            return false;
    // Unpaired surrogates do not survive UTF-8.
    return Text.isValidUtf16();
}

void AppendHex(QString& Out, const QString& Prefix, const QByteArray& Data)
{
    QString Line = Prefix;
    for (qsizetype I = 0; I < Data.size(); ++I) {
        QString Item = QString::asprintf("%02x", static_cast<unsigned char>(Data[I]));
        if (I + 1 < Data.size())
            Item += QLatin1Char(',');
        if (Line.size() + Item.size() > 78 && Line.size() > 2) {
            Out += Line + QLatin1String("\\\r\n");
            Line = QStringLiteral("  ");
        }
        Line += Item;
    }
    Out += Line + QLatin1String("\r\n");
}

bool Writable(const QString& Name)
{
    return !Name.contains(QLatin1Char('\r')) && !Name.contains(QLatin1Char('\n'));
}

} // namespace

const TRegValue* TRegKey::FindValue(const QString& Name) const
{
    for (const TRegValue& V : Values)
        if (SameName(V.Name, Name))
            return &V;
    return nullptr;
}

TRegValue* TRegKey::FindValue(const QString& Name)
{
    for (TRegValue& V : Values)
        if (SameName(V.Name, Name))
            return &V;
    return nullptr;
}

const TRegKey* TRegFile::FindKey(const QString& Path) const
{
    const QString Normal = NormalPath(Path);
    for (const TRegKey& K : Keys)
        if (SameName(K.Path, Normal))
            return &K;
    return nullptr;
}

TRegKey* TRegFile::FindKey(const QString& Path)
{
    return const_cast<TRegKey*>(std::as_const(*this).FindKey(Path));
}

bool TRegFile::KeyExists(const QString& Path) const
{
    const QString Normal = NormalPath(Path);
    if (Normal.isEmpty())
        return false;
    if (!Normal.contains(QLatin1Char('\\')))
        return true; // a root
    const QString Below = Normal + QLatin1Char('\\');
    for (const TRegKey& K : Keys)
        if (SameName(K.Path, Normal) || K.Path.startsWith(Below, Qt::CaseInsensitive))
            return true;
    return false;
}

TRegKey& TRegFile::AddKey(const QString& Path)
{
    if (TRegKey* K = FindKey(Path))
        return *K;
    Keys.append(TRegKey{NormalPath(Path), {}});
    return Keys.last();
}

void TRegFile::SetValue(const QString& KeyPath, const TRegValue& Value)
{
    TRegKey& K = AddKey(KeyPath);
    if (TRegValue* Old = K.FindValue(Value.Name)) {
        Old->Type = Value.Type;
        Old->Data = Value.Data;
    } else {
        K.Values.append(Value);
    }
}

bool TRegFile::DeleteValue(const QString& KeyPath, const QString& Name)
{
    TRegKey* K = FindKey(KeyPath);
    if (!K)
        return false;
    for (qsizetype I = 0; I < K->Values.size(); ++I)
        if (SameName(K->Values[I].Name, Name)) {
            K->Values.removeAt(I);
            return true;
        }
    return false;
}

namespace {

// Finds keys and values by name in constant time while a file is parsed, so that a file with many
// keys or values reads in time proportional to its size. Deleted values are only marked and are
// dropped once at the end.
class TParseIndex
{
public:
    explicit TParseIndex(TRegFile& AFile) : File(AFile) {}

    qsizetype Key(const QString& Path)
    {
        const QString Folded = Path.toCaseFolded();
        if (const auto Found = Keys.constFind(Folded); Found != Keys.cend())
            return *Found;
        File.Keys.append(TRegKey{Path, {}});
        Values.append(QHash<QString, qsizetype>());
        Gone.append(QSet<qsizetype>());
        KeyGone.append(false);
        Keys.insert(Folded, File.Keys.size() - 1);
        return File.Keys.size() - 1;
    }

    void Set(qsizetype KeyAt, const TRegValue& Value)
    {
        TRegKey& K = File.Keys[KeyAt];
        const QString Folded = Value.Name.toCaseFolded();
        if (const auto Found = Values[KeyAt].constFind(Folded); Found != Values[KeyAt].cend()) {
            K.Values[*Found].Type = Value.Type;
            K.Values[*Found].Data = Value.Data;
            return;
        }
        K.Values.append(Value);
        Values[KeyAt].insert(Folded, K.Values.size() - 1);
    }

    void Delete(qsizetype KeyAt, const QString& Name)
    {
        const auto Found = Values[KeyAt].constFind(Name.toCaseFolded());
        if (Found == Values[KeyAt].cend())
            return;
        Gone[KeyAt].insert(*Found);
        Values[KeyAt].erase(Found);
    }

    // A deletion entry: the key and everything below it go.
    void DeleteTree(const QString& Path)
    {
        const QString Below = Path + QLatin1Char('\\');
        for (qsizetype I = 0; I < File.Keys.size(); ++I) {
            const QString& P = File.Keys[I].Path;
            if (KeyGone[I] || !(SameName(P, Path) || P.startsWith(Below, Qt::CaseInsensitive)))
                continue;
            KeyGone[I] = true;
            Keys.remove(P.toCaseFolded());
        }
    }

    void Finish()
    {
        for (qsizetype I = 0; I < File.Keys.size(); ++I) {
            if (Gone[I].isEmpty())
                continue;
            QList<TRegValue> Kept;
            const QList<TRegValue>& All = File.Keys[I].Values;
            for (qsizetype V = 0; V < All.size(); ++V)
                if (!Gone[I].contains(V))
                    Kept.append(All[V]);
            File.Keys[I].Values = std::move(Kept);
        }
        qsizetype I = 0;
        File.Keys.removeIf([&](const TRegKey&) { return KeyGone[I++]; });
    }

private:
    TRegFile& File;
    QHash<QString, qsizetype> Keys;
    QList<QHash<QString, qsizetype>> Values;
    QList<QSet<qsizetype>> Gone;
    QList<bool> KeyGone;
};

} // namespace

TRegFile TRegFile::Parse(const QByteArray& Bytes)
{
    TRegFile File;
    TParseIndex Index(File);
    bool Clean = true;
    const QString Text = DecodeFile(Bytes, Clean);
    File.Lossless = Clean;

    QStringList Lines = Text.split(QLatin1Char('\n'));
    for (QString& L : Lines)
        if (L.endsWith(QLatin1Char('\r')))
            L.chop(1);

    bool HeaderSeen = false;
    bool Regedit4 = false;
    qsizetype CurrentKey = -1; // no key to put values in
    for (qsizetype I = 0; I < Lines.size(); ++I) {
        QString Line = Lines[I].trimmed();
        if (Line.isEmpty())
            continue;
        if (Line.contains(QLatin1Char('\r'))) { // a stray carriage return inside a line
            File.Lossless = false;
            continue;
        }
        if (!HeaderSeen) {
            HeaderSeen = true;
            if (Line == Header5)
                continue;
            if (Line == Header4) {
                Regedit4 = true;
                continue;
            }
            File.Lossless = false; // no header: read on, but keep the original when rewriting
        }
        if (Line.startsWith(QLatin1Char(';'))) {
            File.Lossless = false;
            continue;
        }
        if (Line.startsWith(QLatin1Char('['))) {
            CurrentKey = -1;
            if (!Line.endsWith(QLatin1Char(']'))) {
                File.Lossless = false;
                continue;
            }
            const QString Inner = Line.mid(1, Line.size() - 2);
            if (Inner.startsWith(QLatin1Char('-'))) {
                // A deletion entry: the key and everything below it go.
                const QString Gone = NormalPath(Inner.mid(1));
                if (!Gone.isEmpty())
                    Index.DeleteTree(Gone);
                File.Lossless = false;
                continue;
            }
            const QString Path = NormalPath(Inner);
            if (Path.isEmpty()) {
                File.Lossless = false;
                continue;
            }
            CurrentKey = Index.Key(Path);
            continue;
        }
        if (Line.startsWith(QLatin1Char('"')) || Line.startsWith(QLatin1Char('@'))) {
            // Hex lists go on over several lines, each but the last ending in a backslash.
            while (Line.endsWith(QLatin1Char('\\')) && I + 1 < Lines.size()) {
                Line.chop(1);
                Line += Lines[++I].trimmed();
            }
            if (Line.contains(QLatin1Char('\r'))) {
                File.Lossless = false;
                continue;
            }
            if (CurrentKey < 0) {
                File.Lossless = false;
                continue;
            }
            TRegValue Value;
            qsizetype Pos = 0;
            if (Line.startsWith(QLatin1Char('@'))) {
                Pos = 1;
            } else if (!ReadQuoted(Line, Pos, Value.Name)) {
                File.Lossless = false;
                continue;
            }
            SkipSpaces(Line, Pos);
            if (Pos >= Line.size() || Line[Pos] != QLatin1Char('=')) {
                File.Lossless = false;
                continue;
            }
            ++Pos;
            SkipSpaces(Line, Pos);
            const QString Data = Line.mid(Pos);
            if (Data == QLatin1String("-")) {
                Index.Delete(CurrentKey, Value.Name);
                File.Lossless = false;
                continue;
            }
            if (!ReadData(Data, Regedit4, Value)) {
                File.Lossless = false;
                continue;
            }
            Index.Set(CurrentKey, Value);
            continue;
        }
        File.Lossless = false;
    }
    Index.Finish();
    if (!HeaderSeen && !Text.trimmed().isEmpty())
        File.Lossless = false;
    return File;
}

QByteArray TRegFile::Serialize() const
{
    QString Out = Header5 + QLatin1String("\r\n");
    for (const TRegKey& K : Keys) {
        if (!Writable(K.Path))
            continue;
        Out += QLatin1String("\r\n[") + K.Path + QLatin1String("]\r\n");
        for (const TRegValue& V : K.Values) {
            if (!Writable(V.Name))
                continue;
            const QString Name = V.Name.isEmpty() ? QStringLiteral("@") : Quote(V.Name);
            if (V.Type == REG_DWORD && V.Data.size() == 4) {
                uint32_t N = 0;
                for (int B = 3; B >= 0; --B)
                    N = (N << 8) | static_cast<unsigned char>(V.Data[B]);
                Out += Name + QString::asprintf("=dword:%08x\r\n", N);
            } else if (V.Type == REG_SZ && PlainString(V.Data)) {
                Out += Name + QLatin1Char('=') + Quote(TRegData::ToString(V.Data)) +
                       QLatin1String("\r\n");
            } else if (V.Type == REG_BINARY) {
                AppendHex(Out, Name + QLatin1String("=hex:"), V.Data);
            } else {
                AppendHex(Out, Name + QString::asprintf("=hex(%x):", V.Type), V.Data);
            }
        }
    }
    return Out.toUtf8();
}

namespace TRegData {

QByteArray FromDword(uint32_t Number)
{
    QByteArray Out(4, '\0');
    for (int B = 0; B < 4; ++B)
        Out[B] = static_cast<char>((Number >> (8 * B)) & 0xFF);
    return Out;
}

QByteArray FromString(const QString& Text)
{
    QByteArray Out(reinterpret_cast<const char*>(Text.utf16()), Text.size() * 2);
    Out.append(2, '\0');
    return Out;
}

QString ToString(const QByteArray& Data)
{
    const qsizetype Units = Data.size() / 2;
    QString Out;
    Out.reserve(Units);
    for (qsizetype I = 0; I < Units; ++I) {
        const char16_t U =
            static_cast<char16_t>(static_cast<unsigned char>(Data[2 * I]) |
                                  (static_cast<unsigned char>(Data[2 * I + 1]) << 8));
        if (U == 0)
            break;
        Out += QChar(U);
    }
    return Out;
}

} // namespace TRegData
