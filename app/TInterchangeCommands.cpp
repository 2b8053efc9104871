// The main window's import and export commands.
#include "app/TInterchangeCommands.h"

#include "app/TAdminForm.h"

#include "app/TLookUp.h"

#include "app/TVexloApplication.h"
#include "interchange/TAccessFile.h"
#include "interchange/TInterchange.h"
#include "interchange/TInterchangeDialogs.h"
#include "store/EVexloDatabaseError.h"
#include "store/TScreenSaverDataModule.h"
#include "widgets/TFileDialog.h"
#include "widgets/TMessageBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScopeGuard>
#include <QTextDocument>

#include <new>

namespace {

// Asked for when shown, in the language of the windows.
QString ImportCaption()
{
    return QCoreApplication::translate("TInterchangeCommands", "Import");
}
QString ExportCaption()
{
    return QCoreApplication::translate("TInterchangeCommands", "Export");
}
QString ImportRunningText()
{
    return QCoreApplication::translate(
        "TInterchangeCommands",
        "An import is running. Wait for it to end, or cancel it, and try again.");
}

// Message boxes guess whether a text is markup; a text that names a file or carries a message
// from a file is shown as the plain text it is.
QString AsPlainText(const QString& Text)
{
    return Qt::mightBeRichText(Text) ? Qt::convertFromPlainText(Text, Qt::WhiteSpaceNormal) : Text;
}

QString ErrorMessage(const std::exception& Error)
{
    if (const auto* Database = dynamic_cast<const EVexloDatabaseError*>(&Error))
        return Database->Message();
    if (dynamic_cast<const std::bad_alloc*>(&Error))
        return QCoreApplication::translate(
            "TInterchangeCommands", "There is not enough memory for this; nothing was changed.");
    return QString::fromUtf8(Error.what());
}

} // namespace

TInterchangeCommands::TInterchangeCommands(TAdminForm& Form) : QObject(&Form), Form(Form)
{
    ImportAction =
        new QAction(QCoreApplication::translate("TInterchangeCommands", "&Import..."), &Form);
    ImportAction->setObjectName(QStringLiteral("ImportAction"));
    ImportAction->setStatusTip(QCoreApplication::translate(
        "TInterchangeCommands", "Add words from a text, KDE vocabulary or Access file"));
    ExportAction =
        new QAction(QCoreApplication::translate("TInterchangeCommands", "E&xport..."), &Form);
    ExportAction->setObjectName(QStringLiteral("ExportAction"));
    ExportAction->setStatusTip(QCoreApplication::translate(
        "TInterchangeCommands", "Write every word to a text or KDE vocabulary file"));
    Form.File1->insertAction(Form.HideWin, ImportAction);
    Form.File1->insertAction(Form.HideWin, ExportAction);
    Form.File1->insertSeparator(Form.HideWin);
    connect(ImportAction, &QAction::triggered, this, &TInterchangeCommands::ImportExecute);
    connect(ExportAction, &QAction::triggered, this, &TInterchangeCommands::ExportExecute);
}

QString TInterchangeCommands::ConvertAccessWithDialogs(const QString& AccessPath)
{
    // The new dictionary goes beside the Access file; where that folder cannot be written (a
    // read-only share, a CD), the user says where.
    QString Target;
    const QFileInfo Source(AccessPath);
    if (!QFileInfo(Source.absolutePath()).isWritable()) {
        Target = TFileDialog::SaveFileName(
            &Form, QCoreApplication::translate("TInterchangeCommands", "New Dictionary"),
            QDir::homePath() + u'/' + Source.completeBaseName() + QStringLiteral(".db"),
            QCoreApplication::translate("TInterchangeCommands", "Dictionaries (*.db *.sqlite)"));
        if (Target.isEmpty())
            return QString();
        if (QFileInfo(Target).suffix().isEmpty())
            Target += QStringLiteral(".db");
    }
    return TInterchangeDialogs::ConvertAccessFileAsking(&Form, AccessPath, Target);
}

void TInterchangeCommands::ImportExecute()
{
    QString Path;
    TInterchangeFormat Format = TInterchangeFormat::Unknown;
    TAdminForm::TDialogOpen Dialog(Form);
    if (TInterchangeDialogs::ChooseFile(&Form, false, Path, Format))
        ImportFile(Path, Format);
    Dialog.Close();
}

bool TInterchangeCommands::RefusedWhileImporting()
{
    if (Form.Store.ChangesHeldBy.isEmpty())
        return false;
    TMessageBox::Information(&Form, ImportCaption(), Form.Store.ChangesHeldBy);
    return true;
}

void TInterchangeCommands::ExportExecute()
{
    QString Path;
    TInterchangeFormat Format = TInterchangeFormat::Unknown;
    TAdminForm::TDialogOpen Dialog(Form);
    if (TInterchangeDialogs::ChooseFile(&Form, true, Path, Format))
        ExportFile(Path, Format);
    Dialog.Close();
}

bool TInterchangeCommands::ImportFile(const QString& Path, TInterchangeFormat Format)
{
    if (!Form.Store.ADOTable->Active()) {
        TMessageBox::Error(
            &Form, ImportCaption(),
            QCoreApplication::translate("TInterchangeCommands", "No dictionary is open."));
        return false;
    }
    TInterchange::TImportSummary Summary;
    // Until the import has ended, the entry commands are refused and a request to end the
    // program waits (answering "no" to the import's windows, which rolls it back).
    Form.Store.ChangesHeldBy = ImportRunningText();
    Form.LookUps->EntryDialogOpened();
    const auto Release = qScopeGuard([this] {
        Form.Store.ChangesHeldBy.clear();
        Form.LookUps->EntryDialogClosed();
    });
    Form.Busy = true;
    try {
        TSourceData Data;
        if (Format == TInterchangeFormat::Access) {
            const TAccessFile File(Path);
            TAccessColumns::TColumnMap Map;
            if (!TInterchangeDialogs::ChooseAccessColumns(&Form, File, Map)) {
                Form.Busy = false;
                return false;
            }
            Data = TAccessColumns::ReadAccess(File, Map);
        } else if (!TInterchangeDialogs::ReadFileAsking(&Form, Path, Format, Data)) {
            Form.Busy = false;
            return false;
        }
        if (Data.Rows.empty()) {
            Form.Busy = false;
            TMessageBox::Information(&Form, ImportCaption(),
                                     AsPlainText(QCoreApplication::translate("TInterchangeCommands",
                                                                             "%1 holds no words.")
                                                     .arg(QFileInfo(Path).fileName())));
            return false;
        }
        Summary = TInterchangeDialogs::ImportWithProgress(
            &Form, Form.Store, Data, [this](const TInterchange::TImportSummary& S) {
                return TMessageBox::Question(
                           &Form, ImportCaption(),
                           S.Report() + QCoreApplication::translate("TInterchangeCommands",
                                                                    "\n\nAdd these entries to the "
                                                                    "dictionary?"),
                           QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::Yes) == QMessageBox::Yes;
            });
    } catch (const std::exception& Error) {
        Form.Busy = false;
        TMessageBox::Error(&Form, ImportCaption(), AsPlainText(ErrorMessage(Error)));
        return false;
    }
    Form.Busy = false;
    if (Summary.Committed) {
        Form.EnableEntryCommands();
        Form.UpdateCaption();
        TMessageBox::Information(&Form, ImportCaption(), Summary.OneLine());
    } else if (Summary.Cancelled) {
        TMessageBox::Information(
            &Form, ImportCaption(),
            QCoreApplication::translate("TInterchangeCommands",
                                        "The import was cancelled; the dictionary is unchanged."));
    } else if (Summary.Added == 0) {
        TMessageBox::Information(&Form, ImportCaption(),
                                 Summary.Report() +
                                     QCoreApplication::translate("TInterchangeCommands",
                                                                 "\n\nThere is nothing to add."));
    }
    return Summary.Committed;
}

bool TInterchangeCommands::ExportFile(const QString& Path, TInterchangeFormat Format)
{
    if (!Form.Store.ADOConnection->Connected()) {
        TMessageBox::Error(
            &Form, ExportCaption(),
            QCoreApplication::translate("TInterchangeCommands", "No dictionary is open."));
        return false;
    }
    try {
        const int Count = TInterchange::Export(*Form.Store.ADOConnection, Path, Format);
        TMessageBox::Information(
            &Form, ExportCaption(),
            AsPlainText((Count == 1 ? QCoreApplication::translate("TInterchangeCommands",
                                                                  "Exported %1 entry to %2.")
                                    : QCoreApplication::translate("TInterchangeCommands",
                                                                  "Exported %1 entries to %2."))
                            .arg(Count)
                            .arg(Path)));
        return true;
    } catch (const std::exception& Error) {
        TMessageBox::Error(&Form, ExportCaption(), AsPlainText(ErrorMessage(Error)));
        return false;
    }
}
