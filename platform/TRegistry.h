#pragma once

#include "platform/TRegFile.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

// Raised when a value cannot be written; the message names the value.
class ERegistryException : public std::runtime_error
{
public:
    explicit ERegistryException(const QString& Message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// Access rights asked for when a key is opened. Kept for the callers' sake: the hive file's own
// permissions decide what can be done.
enum : uint32_t
{
    KEY_READ = 0x20019,
    KEY_WRITE = 0x20006,
    KEY_ALL_ACCESS = 0xF003F,
};

enum class TRootKey
{
    HKEY_CLASSES_ROOT,
    HKEY_CURRENT_USER,
    HKEY_LOCAL_MACHINE,
    HKEY_USERS,
    HKEY_CURRENT_CONFIG,
};

// Accessor to the program's registry hive, a `.reg` text file (see HivePath). One key is open at a
// time. Every write is one transaction: the file is locked against other processes, read again,
// changed, written to a temporary file and renamed over the old one, so concurrent writers lose
// nothing and a crash never leaves half a file. Keys and values this program does not know are
// kept. Before a file that could not be read cleanly is first rewritten, it is copied aside
// (registry.reg.bak, or .bak.1, .bak.2, ... when that exists).
class TRegistry
{
public:
    explicit TRegistry(uint32_t Access = KEY_ALL_ACCESS);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    TRootKey RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    uint32_t Access;

    // The hive file: $VEXLO_REGISTRY when set, else
    // $XDG_CONFIG_HOME/vexlo-vocabulary/registry.reg ($XDG_CONFIG_HOME defaults to ~/.config).
    static QString HivePath();
    // The settings file used when VEXLO_REGISTRY is not set.
    static QString DefaultHivePath();
    static QString RootName(TRootKey Root);
    // How long a write waits for another process's write to finish, in milliseconds.
    static inline int LockWaitMs = 10000;

    // Opens Key (relative to the open key unless it starts with a backslash). Fails, returning
    // false, when the key is missing and CanCreate is false, when the file cannot be read, or when
    // a missing key cannot be created because the file cannot be written.
    bool OpenKey(const QString& Key, bool CanCreate);
    void CloseKey();
    bool HasCurrentKey() const { return !CurrentPath.isEmpty(); }
    // Full path of the open key, e.g. "HKEY_LOCAL_MACHINE\Software\Norvane\Vocabulary".
    QString CurrentPath;

    bool KeyExists(const QString& Key) const;
    bool ValueExists(const QString& Name) const;
    QStringList GetValueNames() const;

    // The stored type and bytes, for readers that check both before they trust a value.
    std::optional<TRegValue> ReadValue(const QString& Name) const;
    // A REG_DWORD value; nothing when it is missing or of another type or size.
    std::optional<uint32_t> ReadDword(const QString& Name) const;

    // Writes into the open key; throw ERegistryException("Failed to set data for '<Name>'") when
    // no key is open or the hive file cannot be written.
    void WriteValue(const QString& Name, uint32_t Type, const QByteArray& Data);
    void WriteInteger(const QString& Name, int32_t Number);
    void WriteBool(const QString& Name, bool Flag);
    void WriteString(const QString& Name, const QString& Text);
    void WriteExpandString(const QString& Name, const QString& Text);
    void WriteBinaryData(const QString& Name, const QByteArray& Data);

    // Deletes a value of the open key; false when it was missing or the file cannot be written.
    bool DeleteValue(const QString& Name);

    // Between these two, writes to the open key are collected and then made together in one
    // transaction (one read and one rewrite of the file however many values there are). A
    // failure throws from CommitUpdate, naming the first value. Closing the key first drops them.
    void BeginUpdate();
    void CommitUpdate();

    // A settings file larger than this is refused, for reading and writing, and left untouched.
    static constexpr qint64 MaxHiveSize = 16 * 1024 * 1024;
    // Why the hive file is refused as it stands (too large, not a regular file); empty when not.
    static QString HiveProblem();

private:
    QString FullPath(const QString& Key) const;
    TRegFile Snapshot;
    bool Updating = false;
    QList<TRegValue> Pending;
};
