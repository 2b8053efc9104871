#include "widgets/TFileDialog.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>

namespace {

// Names a file's type and picks its icon from the file's name alone. The standard provider reads
// files whose names say nothing (a database's "-wal" and "-shm" companions) to guess their type,
// and opening and closing any descriptor on a file drops every POSIX lock this process holds on
// it, SQLite's included: another program would then take the open data file's log for unused.
class TNameOnlyIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo& Info) const override
    {
        if (!Info.isFile())
            return QFileIconProvider::icon(Info);
        const QMimeType Type = ByName(Info);
        QIcon Icon = QIcon::fromTheme(Type.iconName());
        if (Icon.isNull())
            Icon = QIcon::fromTheme(Type.genericIconName());
        return Icon.isNull() ? QFileIconProvider::icon(QAbstractFileIconProvider::File) : Icon;
    }

    QString type(const QFileInfo& Info) const override
    {
        if (!Info.isFile())
            return QFileIconProvider::type(Info);
        const QMimeType Type = ByName(Info);
        return Type.comment().isEmpty() ? Type.name() : Type.comment();
    }

private:
    QMimeType ByName(const QFileInfo& Info) const
    {
        return Database.mimeTypeForFile(Info, QMimeDatabase::MatchExtension);
    }
    QMimeDatabase Database;
};

QList<QString>& Queue()
{
    static QList<QString> TheQueue;
    return TheQueue;
}

QList<TFileDialog::TShown>& Log()
{
    static QList<TFileDialog::TShown> TheLog;
    return TheLog;
}

bool Answer(bool Save, const QString& Caption, const QString& Directory, const QString& Filter,
            QString& Path)
{
    if (Queue().isEmpty())
        return false;
    Log().append({Save, Caption, Directory, Filter});
    Path = Queue().takeFirst();
    return true;
}

QString Ask(bool Save, QWidget* Parent, const QString& Caption, const QString& Directory,
            const QString& Filter, bool ConfirmReplace = false)
{
    QFileDialog Dialog(Parent, Caption, Directory, Filter);
    TFileDialog::KeepFilesClosed(Dialog);
    Dialog.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    Dialog.setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (Save && !ConfirmReplace)
        Dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return QString();
    return Dialog.selectedFiles().constFirst();
}

} // namespace

void TFileDialog::KeepFilesClosed(QFileDialog& Dialog)
{
    // A dialog of the platform would run its own type guessing inside this process.
    Dialog.setOption(QFileDialog::DontUseNativeDialog);
    static TNameOnlyIconProvider Provider;
    Dialog.setIconProvider(&Provider);
}

QString TFileDialog::OpenFileName(QWidget* Parent, const QString& Caption, const QString& Directory,
                                  const QString& Filter)
{
    if (QString Path; Answer(false, Caption, Directory, Filter, Path))
        return Path;
    return Ask(false, Parent, Caption, Directory, Filter);
}

QString TFileDialog::SaveFileName(QWidget* Parent, const QString& Caption, const QString& Directory,
                                  const QString& Filter, bool ConfirmReplace)
{
    if (QString Path; Answer(true, Caption, Directory, Filter, Path))
        return Path;
    return Ask(true, Parent, Caption, Directory, Filter, ConfirmReplace);
}

void TFileDialog::SetNextAnswer(const QString& Path)
{
    Queue().append(Path);
}

void TFileDialog::ClearAnswers()
{
    Queue().clear();
    Log().clear();
}

const QList<TFileDialog::TShown>& TFileDialog::Answered()
{
    return Log();
}
