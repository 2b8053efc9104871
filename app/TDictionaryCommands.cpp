// The main window's dictionaries: the data file of a first start without settings, and opening
// or creating another data file from the File menu.

#include "app/TDictionaryCommands.h"
#include "app/TEntryView.h"

#include "app/TAdminForm.h"

#include "app/TEnglishTableModel.h"
#include "app/TInterchangeCommands.h"
#include "app/TLearnNotes.h"
#include "app/TTrayControl.h"
#include "platform/TRegistry.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "widgets/TFileDialog.h"
#include "widgets/TMessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>

#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString DictionaryFilter = QCoreApplication::translate(
    "TDictionaryCommands", "Dictionaries (*.db *.mdb *.sqlite);;All files (*)");

QString FailureText(const std::exception& Failure)
{
    if (auto* Db = dynamic_cast<const EVexloDatabaseError*>(&Failure))
        return Db->Message();
    if (auto* Reg = dynamic_cast<const ERegistryException*>(&Failure))
        return Reg->Message();
    return QString::fromUtf8(Failure.what());
}

void ShowError(QWidget* Parent, const QString& Text)
{
    TMessageBox::Error(Parent, QCoreApplication::translate("TDictionaryCommands", "Error"), Text);
}

// Whether the screen saver's key names a data file at all (a value of any type counts).
bool DataFileConfigured()
{
    try {
        TRegistry Reg(KEY_READ);
        Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
        if (!Reg.OpenKey(QLatin1String(TRegInfo::KeyName), false))
            return false;
        return Reg.ValueExists(QStringLiteral("DataFile"));
    } catch (...) {
        return false;
    }
}

} // namespace

TDictionaryCommands::TDictionaryCommands(TAdminForm& Form) : QObject(&Form), Form(Form)
{
    NewDictionary =
        new QAction(QCoreApplication::translate("TDictionaryCommands", "Ne&w Dictionary…"), &Form);
    NewDictionary->setObjectName("NewDictionary");
    NewDictionary->setStatusTip(
        QCoreApplication::translate("TDictionaryCommands", "Create a new, empty dictionary file"));
    OpenDictionary =
        new QAction(QCoreApplication::translate("TDictionaryCommands", "&Open Dictionary…"), &Form);
    OpenDictionary->setObjectName("OpenDictionary");
    OpenDictionary->setStatusTip(
        QCoreApplication::translate("TDictionaryCommands", "Open another dictionary file"));
    QAction* First = Form.File1->actions().value(0);
    Form.File1->insertAction(First, NewDictionary);
    Form.File1->insertAction(First, OpenDictionary);
    Form.File1->insertSeparator(First);
    connect(NewDictionary, &QAction::triggered, this, &TDictionaryCommands::NewDictionaryExecute);
    connect(OpenDictionary, &QAction::triggered, this, &TDictionaryCommands::OpenDictionaryExecute);

    UnifyStressMarksAction = new QAction(
        QCoreApplication::translate("TDictionaryCommands", "&Unify Stress Marks\u2026"), &Form);
    UnifyStressMarksAction->setObjectName("UnifyStressMarks");
    UnifyStressMarksAction->setStatusTip(QCoreApplication::translate(
        "TDictionaryCommands",
        "Write every transcription's stress mark the dictionary's way (\u02CB)"));
    Form.Tools1->insertAction(Form.Options, UnifyStressMarksAction);
    Form.Tools1->insertSeparator(Form.Options);
    connect(UnifyStressMarksAction, &QAction::triggered, this,
            &TDictionaryCommands::UnifyStressMarksExecute);
}

void TDictionaryCommands::UnifyStressMarksExecute()
{
    if (!Form.TableBound || Form.Interchange->RefusedWhileImporting())
        return;
    TAdminForm::TDialogOpen Dialog(Form);
    try {
        const int Count = Form.Store.CountForeignStressMarks();
        if (Count == 0) {
            TMessageBox::Information(
                &Form, QCoreApplication::translate("TDictionaryCommands", "Unify Stress Marks"),
                QCoreApplication::translate("TDictionaryCommands",
                                            "Every transcription already writes its stress "
                                            "mark as \u02CB."));
            return;
        }
        const QString Question =
            (Count == 1
                 ? QCoreApplication::translate("TDictionaryCommands", "1 transcription writes")
                 : QCoreApplication::translate("TDictionaryCommands", "%1 transcriptions write")
                       .arg(Count)) +
            QCoreApplication::translate(
                "TDictionaryCommands",
                " the stress mark as \u02C8. Write it as \u02CB, as the rest of the "
                "dictionary does?");
        if (TMessageBox::Question(
                &Form, QCoreApplication::translate("TDictionaryCommands", "Unify Stress Marks"),
                Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        const int Changed = Form.Store.UnifyStressMarks();
        Form.StatusPanel->setText(
            Changed == 1
                ? QCoreApplication::translate("TDictionaryCommands", "1 transcription changed.")
                : QCoreApplication::translate("TDictionaryCommands", "%1 transcriptions changed.")
                      .arg(Changed));
    } catch (const std::exception& Failure) {
        ShowError(&Form, FailureText(Failure));
    }
}

QString TDictionaryCommands::FirstRunDataFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("vexlo-vocabulary/english.db"));
}

bool TDictionaryCommands::IsAccessDatabase(const QString& Path)
{
    // The open dictionary is ours; reading it outside the engine would drop its locks.
    if (TVexloConnection::IsOpenStoreFile(Path))
        return false;
    // Only a regular file is read: opening a pipe for reading waits for a writer, for ever. The
    // open itself does not wait, and what was opened is checked again (the name may have been
    // replaced meanwhile).
    struct stat Named;
    if (::stat(QFile::encodeName(Path).constData(), &Named) != 0 || !S_ISREG(Named.st_mode))
        return false;
    const int Fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        return false;
    struct stat Opened;
    char Head[4 + 15] = {};
    const bool Read = ::fstat(Fd, &Opened) == 0 && S_ISREG(Opened.st_mode) &&
                      ::read(Fd, Head, sizeof Head) == static_cast<ssize_t>(sizeof Head);
    ::close(Fd);
    const QByteArray Name = QByteArray(Head + 4, 15);
    return Read && (Name == "Standard Jet DB" || Name == "Standard ACE DB");
}

// Without a configured DataFile, the dictionary is a file of our own, made empty on the first
// start; a configured one is used exactly as stored.
void TDictionaryCommands::PrepareFirstRun()
{
    if (DataFileConfigured())
        return;
    const QString Path = FirstRunDataFile();
    Form.ScreenSaverSettings->DataFile = Path;
    if (QFileInfo::exists(Path))
        return;
    try {
        const QString Folder = QFileInfo(Path).absolutePath();
        std::error_code Failure;
        std::filesystem::create_directories(QFile::encodeName(Folder).toStdString(), Failure);
        if (Failure) {
            FirstRunProblem =
                QCoreApplication::translate("TDictionaryCommands",
                                            "The folder %1 for your dictionary cannot be made: %2.")
                    .arg(Folder, QString::fromLocal8Bit(std::strerror(Failure.value())));
            return;
        }
        TDataFileTool::CreateEmptyDataFile(Path);
        FirstRunCreated = true;
    } catch (const std::exception&) {
        // Not made: opening it reports why.
    }
}

void TDictionaryCommands::OfferAnotherDictionary()
{
    if (FirstRunProblem.isEmpty() || Form.Store.ADOConnection->Connected())
        return;
    const QString Problem = FirstRunProblem;
    FirstRunProblem.clear();
    // The file was never made: that it is missing says nothing new, and there is none to go
    // back to when another does not open.
    Form.OpenErrors.clear();
    Form.ScreenSaverSettings->DataFile.clear();
    const QString Text = Problem + QCoreApplication::translate(
                                       "TDictionaryCommands",
                                       "\n\nOpen a dictionary you have, make a new one (Save), or "
                                       "close the program?");
    while (!Form.Store.ADOConnection->Connected()) {
        TAdminForm::TDialogOpen Dialog(Form);
        const auto Answer = TMessageBox::Show(
            &Form, QMessageBox::Warning,
            QCoreApplication::translate("TDictionaryCommands", "Error"), Text,
            QMessageBox::Open | QMessageBox::Save | QMessageBox::Close, QMessageBox::Open);
        Dialog.Close();
        if (Answer == QMessageBox::Open)
            OpenDictionaryExecute();
        else if (Answer == QMessageBox::Save)
            NewDictionaryExecute();
        else
            return;
    }
}

void TDictionaryCommands::OfferSampleVocabulary()
{
    if (!FirstRunCreated)
        return;
    FirstRunCreated = false;
    TVexloTable* Table = Form.Store.ADOTable;
    if (!Form.TableBound || !Table->Active() || !Form.Store.IsStoreEmpty())
        return;
    TAdminForm::TDialogOpen Dialog(Form);
    const bool Fill =
        TMessageBox::Question(
            &Form, QCoreApplication::translate("TDictionaryCommands", "Confirm"),
            QCoreApplication::translate(
                "TDictionaryCommands",
                "Your new dictionary %1 is empty. Fill it with the sample vocabulary ?")
                .arg(Form.ScreenSaverSettings->DataFile)) == QMessageBox::Yes;
    Dialog.Close();
    if (!Fill)
        return;
    const QString Path = Form.ScreenSaverSettings->DataFile;
    try {
        // Still empty, so nothing is lost: the file is made again with the sample in it.
        Form.Store.CloseData();
        QFile::remove(Path);
        TDataFileTool::CreateSampleDataFile(Path);
    } catch (const std::exception& Failure) {
        ShowError(&Form, FailureText(Failure));
    }
    if (!QFileInfo::exists(Path)) {
        try {
            TDataFileTool::CreateEmptyDataFile(Path);
        } catch (const std::exception&) {
        }
    }
    SwitchDictionary(Path, false);
}

void TDictionaryCommands::OpenDictionaryExecute()
{
    if (!Form.NoDialogOpen())
        return;
    TAdminForm::TDialogOpen Dialog(Form);
    QString Path = TFileDialog::OpenFileName(
        &Form, QCoreApplication::translate("TDictionaryCommands", "Open Dictionary"),
        QFileInfo(Form.ScreenSaverSettings->DataFile).absolutePath(), DictionaryFilter);
    Dialog.Close();
    if (Path.isEmpty())
        return;
    if (IsAccessDatabase(Path)) {
        if (!ConvertAccessDatabase) {
            ShowError(&Form,
                      QCoreApplication::translate(
                          "TDictionaryCommands",
                          "The file %1 is an Access database, which this program cannot open.")
                          .arg(Path));
            return;
        }
        TAdminForm::TDialogOpen Dialog2(Form);
        try {
            Path = ConvertAccessDatabase(Path);
        } catch (const std::exception& Failure) {
            Path.clear();
            ShowError(&Form, FailureText(Failure));
        }
        Dialog2.Close();
        if (Path.isEmpty())
            return;
    }
    SwitchDictionary(QFileInfo(Path).absoluteFilePath());
}

void TDictionaryCommands::NewDictionaryExecute()
{
    if (!Form.NoDialogOpen())
        return;
    TAdminForm::TDialogOpen Dialog(Form);
    QString Path = TFileDialog::SaveFileName(
        &Form, QCoreApplication::translate("TDictionaryCommands", "New Dictionary"),
        QFileInfo(Form.ScreenSaverSettings->DataFile).absolutePath(), DictionaryFilter);
    Dialog.Close();
    if (Path.isEmpty())
        return;
    QFileInfo Info(Path);
    if (Info.suffix().isEmpty() && !Info.exists())
        Info.setFile(Path + QStringLiteral(".db"));
    Path = Info.absoluteFilePath();
    // A new dictionary never replaces a file, whatever it holds.
    if (Info.exists() || Info.isSymLink()) {
        ShowError(&Form,
                  QCoreApplication::translate("TDictionaryCommands", "The file %1 already exists !")
                      .arg(Path));
        return;
    }
    try {
        TDataFileTool::CreateEmptyDataFile(Path);
    } catch (const std::exception& Failure) {
        ShowError(&Form, FailureText(Failure));
        return;
    }
    SwitchDictionary(Path);
}

bool TDictionaryCommands::SwitchDictionary(const QString& Path, bool Remember)
{
    TVexloTable* Table = Form.Store.ADOTable;
    const QString Previous = Form.ScreenSaverSettings->DataFile;
    const int PreviousRecNo = Table->Active() ? Table->RecNo() : -1;
    QStringList Messages;
    Form.Store.OpenDataFile(Path, Messages);
    // A missing file leaves the open one as it was; any other failure has closed it.
    const bool Opened = Messages.isEmpty() && Table->Active();
    if (!Opened) {
        if (!Table->Active() && !Previous.isEmpty()) {
            QStringList Again;
            Form.Store.OpenDataFile(Previous, Again);
            Messages += Again;
            if (Table->Active() && PreviousRecNo > 0 && PreviousRecNo <= Table->RecordCount())
                Table->SetRecNo(PreviousRecNo);
        }
    } else {
        Form.ScreenSaverSettings->DataFile = Path;
        if (Remember) {
            try {
                TRegistry Reg;
                Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
                if (!Reg.OpenKey(QLatin1String(TRegInfo::KeyName), true))
                    Messages.append(QCoreApplication::translate("TDictionaryCommands",
                                                                "Cannot write the settings file %1")
                                        .arg(TRegistry::HivePath()));
                else
                    Reg.WriteString(QStringLiteral("DataFile"), Path);
            } catch (const std::exception& Failure) {
                Messages.append(FailureText(Failure));
            }
        }
    }

    if (Table->Active()) {
        Form.Busy = true;
        if (!Form.TableBound) {
            // The window started without a store: what its creation would have done.
            Form.StartBrowsing();
        } else {
            Form.GridModel->DataChanged();
            Form.View->ShowCurrent();
        }
        Form.View->AttachTableEvents();
        Form.New->setEnabled(true);
        Form.EnableEntryCommands();
        Form.Busy = false;
        Form.UpdateCaption();
    } else {
        // Neither file opens: nothing to browse or change.
        Form.GridModel->DataChanged();
        Form.View->ShowCurrent();
        for (QAction* Command : {Form.New, Form.Redact, Form.Delete, Form.DeleteAll})
            Command->setEnabled(false);
        Form.RandomBitBtn->setEnabled(false);
        Form.setWindowTitle(QCoreApplication::translate("TDictionaryCommands", "Dictionary"));
    }
    Form.Notes->UpdateLearnMenuItem();
    Form.Notes->RestartLearnTimer();
    if (!Messages.isEmpty())
        ShowError(&Form, Messages.join(QLatin1Char('\n')));
    return Opened;
}
