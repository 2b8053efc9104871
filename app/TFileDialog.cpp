#include "app/TFileDialog.h"

#include <QFileDialog>

namespace {

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

} // namespace

QString TFileDialog::OpenFileName(QWidget* Parent, const QString& Caption, const QString& Directory,
                                  const QString& Filter)
{
    if (QString Path; Answer(false, Caption, Directory, Filter, Path))
        return Path;
    return QFileDialog::getOpenFileName(Parent, Caption, Directory, Filter);
}

QString TFileDialog::SaveFileName(QWidget* Parent, const QString& Caption, const QString& Directory,
                                  const QString& Filter)
{
    if (QString Path; Answer(true, Caption, Directory, Filter, Path))
        return Path;
    return QFileDialog::getSaveFileName(Parent, Caption, Directory, Filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
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
