#pragma once

#include "interchange/TInterchangeTypes.h"

#include <QObject>
#include <QString>

class QAction;
class TAdminForm;

// Words in and out: File > Import... and File > Export..., and Open Dictionary's converter for
// Access databases.
class TInterchangeCommands : public QObject
{
    Q_OBJECT

public:
    explicit TInterchangeCommands(TAdminForm& Form);

    QAction* ImportAction = nullptr;
    QAction* ExportAction = nullptr;
    void ImportExecute();
    void ExportExecute();
    // Imports Path in Format, asking for columns and confirmation; true when entries were added.
    bool ImportFile(const QString& Path, TInterchangeFormat Format);
    // While an import runs, says so and returns true: the entry commands call it first.
    bool RefusedWhileImporting();
    // Writes every entry to Path in Format; true when written.
    bool ExportFile(const QString& Path, TInterchangeFormat Format);
    // Reads an Access database (its table English, or the table and columns the user chooses)
    // into a new dictionary beside it, or where the user says when that folder cannot be
    // written. Returns the new file's path, empty when the user gave up.
    QString ConvertAccessWithDialogs(const QString& AccessPath);

private:
    TAdminForm& Form;
};
