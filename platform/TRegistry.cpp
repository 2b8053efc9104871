#include "platform/TRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <utility>

namespace {

bool ValidName(const QString& Name)
{
    return !Name.contains(QLatin1Char('\r')) && !Name.contains(QLatin1Char('\n')) &&
           !Name.contains(QChar(0));
}

// Why the hive file is refused as it stands (too large, not a regular file); empty when it is not.
QString Refusal(const QString& Path)
{
    const QFileInfo Info(Path);
    if (!Info.exists())
        return {};
    if (!Info.isFile())
        return QCoreApplication::translate(
                   "TRegistry", "The settings file %1 is not a regular file; it was left as it is.")
            .arg(Path);
    if (Info.size() > TRegistry::MaxHiveSize)
        return QCoreApplication::translate(
                   "TRegistry", "The settings file %1 is larger than %2 MB; it was left as it is.")
            .arg(Path)
            .arg(TRegistry::MaxHiveSize / (1024 * 1024));
    return {};
}

// Reads the hive. A missing file is an empty hive; false when the file is there but cannot be read
// or is refused.
bool ReadHive(const QString& Path, TRegFile& File, QByteArray* Raw = nullptr,
              bool* Existed = nullptr)
{
    QFile F(Path);
    const bool Exists = F.exists();
    if (Existed)
        *Existed = Exists;
    if (!Exists) {
        File = TRegFile();
        return true;
    }
    // Never opened for reading unless it is a regular file of a sane size: a pipe would block, a
    // device would never end.
    if (!Refusal(Path).isEmpty())
        return false;
    if (!F.open(QIODevice::ReadOnly))
        return false;
    // The size may have grown since it was looked at: read no more than the limit.
    const QByteArray Bytes = F.read(TRegistry::MaxHiveSize + 1);
    if (Bytes.size() > TRegistry::MaxHiveSize)
        return false;
    if (F.error() != QFileDevice::NoError)
        return false;
    File = TRegFile::Parse(Bytes);
    if (Raw)
        *Raw = Bytes;
    return true;
}

// Copies a file that could not be read cleanly to the first free .bak name before it is replaced.
bool KeepOriginal(const QString& Path, const QByteArray& Raw)
{
    QString Backup = Path + QLatin1String(".bak");
    for (int N = 1; QFileInfo::exists(Backup) && N < 1000; ++N)
        Backup = Path + QLatin1String(".bak.") + QString::number(N);
    QSaveFile Out(Backup);
    if (!Out.open(QIODevice::WriteOnly))
        return false;
    // The copy is no more readable by others than the original.
    Out.setPermissions(QFile::permissions(Path));
    Out.write(Raw);
    return Out.commit();
}

// One write: under the inter-process lock, read the file as it is now, apply Change, and replace
// the file atomically when Change reports that something changed. On success File holds the new
// state; Changed tells what Change returned.
template <class F> bool Transact(TRegFile& File, F&& Change, bool* Changed = nullptr)
{
    const QString Path = TRegistry::HivePath();
    const QFileInfo Info(Path);
    if (!QDir().mkpath(Info.absolutePath()))
        return false;
    QLockFile Lock(Path + QLatin1String(".lock"));
    if (!Lock.tryLock(TRegistry::LockWaitMs))
        return false;
    TRegFile Current;
    QByteArray Raw;
    bool Existed = false;
    if (!ReadHive(Path, Current, &Raw, &Existed))
        return false;
    const bool Did = Change(Current);
    if (Changed)
        *Changed = Did;
    if (Did) {
        if (Existed && !Current.Lossless && !KeepOriginal(Path, Raw))
            return false;
        QSaveFile Out(Path);
        Out.setDirectWriteFallback(false);
        if (!Out.open(QIODevice::WriteOnly))
            return false;
        // A rewrite keeps the file's mode (QSaveFile copies it); a new file is the user's alone.
        if (!Existed)
            Out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Out.write(Current.Serialize());
        if (!Out.commit())
            return false;
        Current.Lossless = true;
    }
    File = std::move(Current);
    return true;
}

} // namespace

ERegistryException::ERegistryException(const QString& Message)
    : std::runtime_error(Message.toStdString())
{}

TRegistry::TRegistry(uint32_t AAccess) : Access(AAccess) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

QString TRegistry::HivePath()
{
    const QString FromEnv = qEnvironmentVariable("VEXLO_REGISTRY");
    return FromEnv.isEmpty() ? DefaultHivePath() : FromEnv;
}

QString TRegistry::DefaultHivePath()
{
    QString Config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (Config.isEmpty() || QDir::isRelativePath(Config))
        Config = QDir::homePath() + QLatin1String("/.config");
    return Config + QLatin1String("/vexlo-vocabulary/registry.reg");
}

QString TRegistry::RootName(TRootKey Root)
{
    switch (Root) {
    case TRootKey::HKEY_CLASSES_ROOT:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case TRootKey::HKEY_CURRENT_USER:
        return QStringLiteral("HKEY_CURRENT_USER");
    case TRootKey::HKEY_LOCAL_MACHINE:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case TRootKey::HKEY_USERS:
        return QStringLiteral("HKEY_USERS");
    case TRootKey::HKEY_CURRENT_CONFIG:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    }
    return QStringLiteral("HKEY_LOCAL_MACHINE");
}

QString TRegistry::FullPath(const QString& Key) const
{
    QStringList Parts;
    if (!Key.startsWith(QLatin1Char('\\')) && HasCurrentKey())
        Parts = CurrentPath.split(QLatin1Char('\\'));
    else
        Parts << RootName(RootKey);
    for (const QString& P : Key.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (!ValidName(P))
            return {};
        Parts << P;
    }
    return Parts.join(QLatin1Char('\\'));
}

bool TRegistry::OpenKey(const QString& Key, bool CanCreate)
{
    const QString Path = FullPath(Key);
    if (Path.isEmpty())
        return false;
    TRegFile File;
    if (!ReadHive(HivePath(), File))
        return false;
    if (!File.KeyExists(Path)) {
        if (!CanCreate)
            return false;
        const bool Created = Transact(File, [&](TRegFile& Hive) {
            if (Hive.KeyExists(Path))
                return false;
            Hive.AddKey(Path);
            return true;
        });
        if (!Created)
            return false;
    }
    Snapshot = std::move(File);
    CurrentPath = Path;
    return true;
}

void TRegistry::CloseKey()
{
    Updating = false;
    Pending.clear();
    CurrentPath.clear();
    Snapshot = TRegFile();
}

bool TRegistry::KeyExists(const QString& Key) const
{
    const QString Path = FullPath(Key);
    TRegFile File;
    return !Path.isEmpty() && ReadHive(HivePath(), File) && File.KeyExists(Path);
}

std::optional<TRegValue> TRegistry::ReadValue(const QString& Name) const
{
    if (!HasCurrentKey())
        return std::nullopt;
    const TRegKey* K = Snapshot.FindKey(CurrentPath);
    const TRegValue* V = K ? K->FindValue(Name) : nullptr;
    if (!V)
        return std::nullopt;
    return *V;
}

std::optional<uint32_t> TRegistry::ReadDword(const QString& Name) const
{
    const std::optional<TRegValue> V = ReadValue(Name);
    if (!V || V->Type != REG_DWORD || V->Data.size() != 4)
        return std::nullopt;
    uint32_t N = 0;
    for (int B = 3; B >= 0; --B)
        N = (N << 8) | static_cast<unsigned char>(V->Data[B]);
    return N;
}

bool TRegistry::ValueExists(const QString& Name) const
{
    return ReadValue(Name).has_value();
}

QStringList TRegistry::GetValueNames() const
{
    QStringList Names;
    if (const TRegKey* K = HasCurrentKey() ? Snapshot.FindKey(CurrentPath) : nullptr)
        for (const TRegValue& V : K->Values)
            Names << V.Name;
    return Names;
}

QString TRegistry::HiveProblem()
{
    return Refusal(HivePath());
}

namespace {

[[noreturn]] void FailedToSet(const QString& Name)
{
    QString Message =
        QCoreApplication::translate("TRegistry", "Failed to set data for '%1'").arg(Name);
    if (const QString Problem = TRegistry::HiveProblem(); !Problem.isEmpty())
        Message += QStringLiteral(": ") + Problem;
    throw ERegistryException(Message);
}

} // namespace

void TRegistry::WriteValue(const QString& Name, uint32_t Type, const QByteArray& Data)
{
    const QString Path = CurrentPath;
    if (Updating && HasCurrentKey() && ValidName(Name)) {
        Pending.append(TRegValue{Name, Type, Data});
        Snapshot.SetValue(Path, Pending.last());
        return;
    }
    const bool Written =
        HasCurrentKey() && ValidName(Name) && Transact(Snapshot, [&](TRegFile& Hive) {
            Hive.SetValue(Path, TRegValue{Name, Type, Data});
            return true;
        });
    if (!Written)
        FailedToSet(Name);
}

void TRegistry::BeginUpdate()
{
    Updating = true;
    Pending.clear();
}

void TRegistry::CommitUpdate()
{
    Updating = false;
    const QList<TRegValue> Values = std::exchange(Pending, {});
    if (Values.isEmpty())
        return;
    const QString Path = CurrentPath;
    const bool Written = HasCurrentKey() && Transact(Snapshot, [&](TRegFile& Hive) {
                             for (const TRegValue& V : Values)
                                 Hive.SetValue(Path, V);
                             return true;
                         });
    if (!Written)
        FailedToSet(Values.first().Name);
}

void TRegistry::WriteInteger(const QString& Name, int32_t Number)
{
    WriteValue(Name, REG_DWORD, TRegData::FromDword(static_cast<uint32_t>(Number)));
}

void TRegistry::WriteBool(const QString& Name, bool Flag)
{
    WriteInteger(Name, Flag ? 1 : 0);
}

void TRegistry::WriteString(const QString& Name, const QString& Text)
{
    WriteValue(Name, REG_SZ, TRegData::FromString(Text));
}

void TRegistry::WriteExpandString(const QString& Name, const QString& Text)
{
    WriteValue(Name, REG_EXPAND_SZ, TRegData::FromString(Text));
}

void TRegistry::WriteBinaryData(const QString& Name, const QByteArray& Data)
{
    WriteValue(Name, REG_BINARY, Data);
}

bool TRegistry::DeleteValue(const QString& Name)
{
    if (!HasCurrentKey())
        return false;
    const QString Path = CurrentPath;
    bool Deleted = false;
    const bool Ok = Transact(
        Snapshot, [&](TRegFile& Hive) { return Hive.DeleteValue(Path, Name); }, &Deleted);
    return Ok && Deleted;
}
