// The main window's import and export commands.
#include "app/TAdminForm.h"

#include "app/TLookUp.h"

#include "widgets/TFileDialog.h"
#include "widgets/TMessageBox.h"
#include "app/TVexloApplication.h"
#include "interchange/TAccessFile.h"
#include "interchange/TInterchange.h"
#include "interchange/TInterchangeDialogs.h"
#include "store/EVexloDatabaseError.h"
#include "store/TScreenSaverDataModule.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScopeGuard>
#include <QTextDocument>

#include <new>

namespace {

const QString ImportCaption = QStringLiteral("Import");
const QString ExportCaption = QStringLiteral("Export");
const QString ImportRunningText =
    QStringLiteral("An import is running. Wait for it to end, or cancel it, and try again.");

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
        return QStringLiteral("There is not enough memory for this; nothing was changed.");
    return QString::fromUtf8(Error.what());
}

} // namespace

void TAdminForm::AddInterchangeActions()
{
    ImportAction = new QAction(QStringLiteral("&Import..."), this);
    ImportAction->setObjectName(QStringLiteral("ImportAction"));
    ImportAction->setStatusTip(
        QStringLiteral("Add words from a text, KDE vocabulary or Access file"));
    ExportAction = new QAction(QStringLiteral("E&xport..."), this);
    ExportAction->setObjectName(QStringLiteral("ExportAction"));
    ExportAction->setStatusTip(
        QStringLiteral("Write every word to a text or KDE vocabulary file"));
    File1->insertAction(HideWin, ImportAction);
    File1->insertAction(HideWin, ExportAction);
    File1->insertSeparator(HideWin);
    connect(ImportAction, &QAction::triggered, this, &TAdminForm::ImportExecute);
    connect(ExportAction, &QAction::triggered, this, &TAdminForm::ExportExecute);
}

QString TAdminForm::ConvertAccessWithDialogs(const QString& AccessPath)
{
    // The new dictionary goes beside the Access file; where that folder cannot be written (a
    // read-only share, a CD), the user says where.
    QString Target;
    const QFileInfo Source(AccessPath);
    if (!QFileInfo(Source.absolutePath()).isWritable()) {
        Target = TFileDialog::SaveFileName(
            this, QStringLiteral("New Dictionary"),
            QDir::homePath() + u'/' + Source.completeBaseName() + QStringLiteral(".db"),
            QStringLiteral("Dictionaries (*.db *.sqlite)"));
        if (Target.isEmpty())
            return QString();
        if (QFileInfo(Target).suffix().isEmpty())
            Target += QStringLiteral(".db");
    }
    return TInterchangeDialogs::ConvertAccessFileAsking(this, AccessPath, Target);
}

void TAdminForm::ImportExecute()
{
    QString Path;
    TInterchangeFormat Format = TInterchangeFormat::Unknown;
    TDialogOpen Dialog(*this);
    if (TInterchangeDialogs::ChooseFile(this, false, Path, Format))
        ImportFile(Path, Format);
    Dialog.Close();
}

bool TAdminForm::RefusedWhileImporting()
{
    if (!ScreenSaverDataModule || ScreenSaverDataModule->ChangesHeldBy.isEmpty())
        return false;
    TMessageBox::Information(this, ImportCaption, ScreenSaverDataModule->ChangesHeldBy);
    return true;
}

void TAdminForm::ExportExecute()
{
    QString Path;
    TInterchangeFormat Format = TInterchangeFormat::Unknown;
    TDialogOpen Dialog(*this);
    if (TInterchangeDialogs::ChooseFile(this, true, Path, Format))
        ExportFile(Path, Format);
    Dialog.Close();
}

bool TAdminForm::ImportFile(const QString& Path, TInterchangeFormat Format)
{
    if (!ScreenSaverDataModule || !ScreenSaverDataModule->ADOTable->Active()) {
        TMessageBox::Error(this, ImportCaption, QStringLiteral("No dictionary is open."));
        return false;
    }
    TInterchange::TImportSummary Summary;
    // Until the import has ended, the entry commands are refused and a request to end the
    // program waits (answering "no" to the import's windows, which rolls it back).
    ScreenSaverDataModule->ChangesHeldBy = ImportRunningText;
    LookUps->EntryDialogOpened();
    const auto Release = qScopeGuard([this] {
        ScreenSaverDataModule->ChangesHeldBy.clear();
        LookUps->EntryDialogClosed();
    });
    Busy = true;
    try {
        TSourceData Data;
        if (Format == TInterchangeFormat::Access) {
            const TAccessFile File(Path);
            TInterchange::TColumnMap Map;
            if (!TInterchangeDialogs::ChooseAccessColumns(this, File, Map)) {
                Busy = false;
                return false;
            }
            Data = TInterchange::ReadAccess(File, Map);
        } else if (!TInterchangeDialogs::ReadFileAsking(this, Path, Format, Data)) {
            Busy = false;
            return false;
        }
        if (Data.Rows.empty()) {
            Busy = false;
            TMessageBox::Information(
                this, ImportCaption,
                AsPlainText(QStringLiteral("%1 holds no words.").arg(QFileInfo(Path).fileName())));
            return false;
        }
        Summary = TInterchangeDialogs::ImportWithProgress(
            this, *ScreenSaverDataModule, Data, [this](const TInterchange::TImportSummary& S) {
                return TMessageBox::Question(this, ImportCaption,
                                             S.Report() + QStringLiteral(
                                                              "\n\nAdd these entries to the "
                                                              "dictionary?"),
                                             QMessageBox::Yes | QMessageBox::No,
                                             QMessageBox::Yes) == QMessageBox::Yes;
            });
    } catch (const std::exception& Error) {
        Busy = false;
        TMessageBox::Error(this, ImportCaption, AsPlainText(ErrorMessage(Error)));
        return false;
    }
    Busy = false;
    if (Summary.Committed) {
        EnableEntryCommands();
        UpdateCaption();
        TMessageBox::Information(this, ImportCaption, Summary.OneLine());
    } else if (Summary.Cancelled) {
        TMessageBox::Information(
            this, ImportCaption,
            QStringLiteral("The import was cancelled; the dictionary is unchanged."));
    } else if (Summary.Added == 0) {
        TMessageBox::Information(this, ImportCaption,
                                 Summary.Report() +
                                     QStringLiteral("\n\nThere is nothing to add."));
    }
    return Summary.Committed;
}

bool TAdminForm::ExportFile(const QString& Path, TInterchangeFormat Format)
{
    if (!ScreenSaverDataModule || !ScreenSaverDataModule->ADOConnection->Connected()) {
        TMessageBox::Error(this, ExportCaption, QStringLiteral("No dictionary is open."));
        return false;
    }
    try {
        const int Count = TInterchange::Export(*ScreenSaverDataModule->ADOConnection, Path, Format);
        TMessageBox::Information(this, ExportCaption,
                                 AsPlainText(QStringLiteral("Exported %1 %2 to %3.")
                                                 .arg(Count)
                                                 .arg(Count == 1 ? "entry" : "entries")
                                                 .arg(Path)));
        return true;
    } catch (const std::exception& Error) {
        TMessageBox::Error(this, ExportCaption, AsPlainText(ErrorMessage(Error)));
        return false;
    }
}
