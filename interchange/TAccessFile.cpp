#include "interchange/TAccessFile.h"

#include "store/EVexloDatabaseError.h"
#include "store/TVexloConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <vector>

namespace {

// Large enough for any memo field: the library truncates a value to the bind size.
constexpr size_t BindSize = 200000;

struct TTableDeleter
{
    void operator()(MdbTableDef* Table) const { mdb_free_tabledef(Table); }
};
using TTablePtr = std::unique_ptr<MdbTableDef, TTableDeleter>;

} // namespace

struct TAccessFile::TImpl
{
    MdbHandle* Mdb = nullptr;
    QString Path;

    TTablePtr Open(const QString& Table) const
    {
        QByteArray Name = Table.toUtf8();
        // The catalogue names are compared exactly; look the name up first so that a missing table
        // gives our own message.
        for (unsigned I = 0; I < Mdb->num_catalog; ++I) {
            auto* Entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(Mdb->catalog, I));
            if (Entry->object_type == MDB_TABLE && Name == Entry->object_name) {
                TTablePtr Def(mdb_read_table(Entry));
                if (!Def || !mdb_read_columns(Def.get()))
                    break;
                return Def;
            }
        }
        throw EVexloDatabaseError(
            QCoreApplication::translate("TAccessFile",
                                        "The Access file %1 has no table %2 that can be read.")
                .arg(Path, Table));
    }
};

TAccessFile::TAccessFile(const QString& Path) : FImpl(std::make_unique<TImpl>())
{
    FImpl->Path = Path;
    const QFileInfo Info(Path);
    if (!Info.isFile())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TAccessFile", "The file %1 does not exist.").arg(Path));
    if (!Info.isReadable())
        throw EVexloDatabaseError(
            QCoreApplication::translate("TAccessFile", "The file %1 cannot be read.").arg(Path));
    TVexloConnection::RefuseOpenStoreFile(Path);
    const QByteArray Name = QFile::encodeName(Path);
    // Read only: the library opens the file with O_RDONLY and never writes to it.
    FImpl->Mdb = mdb_open(Name.constData(), MDB_NOFLAGS);
    if (!FImpl->Mdb)
        throw EVexloDatabaseError(
            QCoreApplication::translate("TAccessFile",
                                        "The file %1 is not an Access database that can be read.")
                .arg(Path));
    if (!mdb_read_catalog(FImpl->Mdb, MDB_ANY)) {
        mdb_close(FImpl->Mdb);
        FImpl->Mdb = nullptr;
        throw EVexloDatabaseError(
            QCoreApplication::translate("TAccessFile",
                                        "The list of tables in the Access file %1 cannot be read.")
                .arg(Path));
    }
    mdb_set_bind_size(FImpl->Mdb, BindSize);
}

TAccessFile::~TAccessFile()
{
    if (FImpl->Mdb)
        mdb_close(FImpl->Mdb);
}

QStringList TAccessFile::TableNames() const
{
    QStringList Names;
    for (unsigned I = 0; I < FImpl->Mdb->num_catalog; ++I) {
        auto* Entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(FImpl->Mdb->catalog, I));
        if (mdb_is_user_table(Entry))
            Names << QString::fromUtf8(Entry->object_name);
    }
    return Names;
}

std::vector<TAccessFile::TColumn> TAccessFile::Columns(const QString& Table) const
{
    TTablePtr Def = FImpl->Open(Table);
    std::vector<TColumn> Result;
    for (unsigned I = 0; I < Def->num_cols; ++I) {
        auto* Column = static_cast<MdbColumn*>(g_ptr_array_index(Def->columns, I));
        TColumn C;
        C.Name = QString::fromUtf8(Column->name);
        C.Type = Column->col_type;
        C.Readable = Column->col_type != MDB_OLE && Column->col_type != MDB_BINARY &&
                     Column->col_type != MDB_COMPLEX;
        Result.push_back(C);
    }
    return Result;
}

void TAccessFile::ReadRows(
    const QString& Table, const std::function<bool(int Row, const QStringList& Values)>& Sink) const
{
    TTablePtr Def = FImpl->Open(Table);
    const unsigned Count = Def->num_cols;
    std::vector<std::vector<char>> Buffers(Count);
    std::vector<int> Lengths(Count, 0);
    std::vector<bool> Readable(Count, false);
    for (unsigned I = 0; I < Count; ++I) {
        auto* Column = static_cast<MdbColumn*>(g_ptr_array_index(Def->columns, I));
        Readable[I] = Column->col_type != MDB_OLE && Column->col_type != MDB_BINARY &&
                      Column->col_type != MDB_COMPLEX;
        if (!Readable[I])
            continue;
        Buffers[I].assign(BindSize + 1, '\0');
        mdb_bind_column(Def.get(), static_cast<int>(I) + 1, Buffers[I].data(), &Lengths[I]);
    }
    mdb_rewind_table(Def.get());
    QStringList Values;
    int Row = 0;
    while (mdb_fetch_row(Def.get())) {
        ++Row;
        Values.clear();
        for (unsigned I = 0; I < Count; ++I)
            Values << (Readable[I] ? QString::fromUtf8(Buffers[I].data()) : QString());
        if (!Sink(Row, Values))
            break;
    }
}

bool TAccessFile::HasAccessName(const QString& Path)
{
    const QString Suffix = QFileInfo(Path).suffix().toLower();
    return Suffix == QLatin1String("mdb") || Suffix == QLatin1String("accdb");
}
