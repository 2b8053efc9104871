#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

// Value types of the hive, numbered as on Windows so that exported files keep their meaning.
enum : uint32_t
{
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11,
};

// One value: its name (empty for a key's default value), its type and its raw bytes exactly as
// Windows keeps them (REG_DWORD: 4 bytes little-endian; strings: UTF-16LE with a closing NUL).
struct TRegValue
{
    QString Name;
    uint32_t Type = REG_NONE;
    QByteArray Data;

    bool operator==(const TRegValue&) const = default;
};

// One key with its full path from the root ("HKEY_LOCAL_MACHINE\Software\...") and its values in
// file order.
struct TRegKey
{
    QString Path;
    QList<TRegValue> Values;

    const TRegValue* FindValue(const QString& Name) const;
    TRegValue* FindValue(const QString& Name);
    bool operator==(const TRegKey&) const = default;
};

// The whole hive as one `.reg` text file. Names of keys and values compare without regard to case,
// as on Windows. Parse never fails: what it cannot read it skips and reports through Lossless.
class TRegFile
{
public:
    QList<TRegKey> Keys;

    // False when parsing dropped anything that a rewrite would lose: unreadable lines, comments,
    // a missing header, bytes that are not valid text, deletion entries.
    bool Lossless = true;

    // Reads UTF-8 (with or without a byte-order mark), UTF-16LE with its byte-order mark, and the
    // older REGEDIT4 form, whose strings are 8-bit text.
    static TRegFile Parse(const QByteArray& Bytes);
    // Writes "Windows Registry Editor Version 5.00" as UTF-8 with CR LF line ends.
    QByteArray Serialize() const;

    // Path without surrounding backslashes; a key also exists when a deeper key lies below it.
    const TRegKey* FindKey(const QString& Path) const;
    TRegKey* FindKey(const QString& Path);
    bool KeyExists(const QString& Path) const;
    // Finds or appends the key.
    TRegKey& AddKey(const QString& Path);

    // Sets (replacing a value of the same name, whose spelling is kept) or appends a value.
    void SetValue(const QString& KeyPath, const TRegValue& Value);
    // True when the value was there.
    bool DeleteValue(const QString& KeyPath, const QString& Name);
};

// Helpers for the raw forms of the common types.
namespace TRegData {
QByteArray FromDword(uint32_t Number);
QByteArray FromString(const QString& Text); // UTF-16LE with the closing NUL
// UTF-16LE bytes as text; stops at the first NUL, ignores a trailing odd byte.
QString ToString(const QByteArray& Data);
} // namespace TRegData
