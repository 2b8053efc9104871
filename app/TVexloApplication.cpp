#include "app/TVexloApplication.h"

#include "VexloVersion.h"
#include "app/TAdminForm.h"
#include "app/TDictionaryCommands.h"
#include "app/TInterchangeCommands.h"
#include "app/TTrayControl.h"
#include "app/TCommandLine.h"
#include "app/TLookUp.h"
#include "widgets/TMenuImages.h"
#include "editor/TEditForm.h"
#include "interchange/TInterchange.h"
#include "platform/TRegistry.h"
#include "platform/TSignalHandler.h"
#include "widgets/TProgressForm.h"
#include "platform/TSessionPlatform.h"
#include "platform/TSingleInstance.h"
#include "settings/TInterfaceLanguage.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloConnection.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cstring>
#include <vector>

#include <iostream>

namespace TVexloApplication {

namespace {

const char* const Usage =
    "Vexlo Vocabulary 2007: an English-Bulgarian vocabulary editor. Only one copy runs per user and\n"
    "settings file; starting it again brings the running copy forward.\n"
    "\n"
    "Usage: vexlo-vocabulary [startup] [options]\n"
    "\n"
    "  startup               start hidden (as when started with the desktop session)\n"
    "  --demo DIR            use DIR/english.mdb, made from the sample vocabulary when missing,\n"
    "                        with the settings in DIR/registry.reg; runs beside the usual copy\n"
    "  --lookup TEXT         look TEXT up in the running copy as if it had been copied to the\n"
    "                        clipboard (its first line; starts the program when none runs).\n"
    "                        Works whatever \"Get clipboard text\" is set to in the options:\n"
    "                        bind it to a keyboard shortcut where the desktop gives no\n"
    "                        clipboard events.\n"
    "  --create-empty FILE   create an empty vocabulary data file and exit\n"
    "  --create-sample FILE  create a data file holding the sample vocabulary and exit\n"
    "  --import FILE         add the words of FILE (.tsv .txt .csv .kvtml .ods .xlsx .mdb\n"
    "                        .accdb) to the data file in the settings, print a summary and exit\n"
    "  --columns MAP         with --import of an Access table other than English: which\n"
    "                        columns to read, as Table=T,English=C[,Transcription=C]\n"
    "                        [,Bulgarian=C][,Level=C]; of a text file or spreadsheet: what\n"
    "                        its columns hold, in order, as English,Bulgarian,Level (- leaves\n"
    "                        one out)\n"
    "  --encoding NAME       with --import of a text file: its encoding (windows-1251,\n"
    "                        iso-8859-1, ...) where it is not UTF-8 or UTF-16\n"
    "  --export FILE         write every entry to FILE (.tsv .txt .csv .kvtml .ods .xlsx) and\n"
    "                        exit\n"
    "  --csv-as-is           with --export to .csv: texts beginning with = + - @ without the\n"
    "                        apostrophe that keeps spreadsheets from running them\n"
    "  --anki SIDE           with --export: write Anki notes (Front, Back, a level::N tag),\n"
    "                        the transcription on SIDE, front or back\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Settings are kept in $VEXLO_REGISTRY, or else in\n"
    "$XDG_CONFIG_HOME/vexlo-vocabulary/registry.reg.\n";

QStringList ArgumentList(int argc, char* argv[])
{
    QStringList List;
    for (int I = 0; I < argc; ++I)
        List << QString::fromLocal8Bit(argv[I]);
    return List;
}

} // namespace

// Asked to end by a signal: open dialogs and questions are answered "no", work with a progress
// window is stopped, and once every one of them has returned, the window closes for good, as the
// close command does (settings saved, store closed).
void EndAsClosed(TAdminForm* Form)
{
    if (QWidget* Modal = QApplication::activeModalWidget()) {
        if (auto* Progress = qobject_cast<TProgressForm*>(Modal))
            Progress->StopBitBtn->click(); // an import is cancelled and rolled back
        else if (auto* Dialog = qobject_cast<QDialog*>(Modal))
            Dialog->done(QDialog::Rejected);
        else
            Modal->close();
    }
    if (QApplication::activeModalWidget() || QThread::currentThread()->loopLevel() > 1 ||
        Form->LookUps->EntryDialogsOpen() > 0) {
        QTimer::singleShot(10, Form, [Form] { EndAsClosed(Form); });
        return;
    }
    Form->ReallyClose = true;
    Form->close();
}

int RunCommandLineTool(const QStringList& Arguments, std::ostream& Out, std::ostream& Err)
{
    if (Arguments.contains("--help") || Arguments.contains("-h")) {
        Out << Usage;
        return 0;
    }
    if (Arguments.contains("--version")) {
        Out << Title.toStdString() << " " << VEXLO_VERSION << "\n";
        return 0;
    }
    if (const int Code = TCommandLine::RunInterchange(Arguments, Out, Err); Code >= 0)
        return Code;
    return TDataFileTool::Run(Arguments, Out, Err);
}

bool PrepareDemo(QStringList& Arguments, QString& Error)
{
    const int At = Arguments.indexOf("--demo");
    if (At < 0)
        return true;
    if (At + 1 >= Arguments.size()) {
        Error = "--demo needs a directory";
        return false;
    }
    const QString Dir = QFileInfo(Arguments.at(At + 1)).absoluteFilePath();
    Arguments.remove(At, 2);
    if (!QDir().mkpath(Dir)) {
        Error = "Cannot create the directory " + Dir;
        return false;
    }
    // The demo keeps its settings beside its dictionary, never in the user's own settings file,
    // unless the caller chose a settings file.
    if (qEnvironmentVariableIsEmpty("VEXLO_REGISTRY"))
        qputenv("VEXLO_REGISTRY", QDir(Dir).filePath("registry.reg").toLocal8Bit());
    const QString DataFile = QDir(Dir).filePath("english.mdb");
    try {
        if (!QFileInfo::exists(DataFile))
            TDataFileTool::CreateSampleDataFile(DataFile);
        TRegistry Registry;
        if (!Registry.OpenKey(TRegInfo::KeyName, true)) {
            Error = "Cannot write the settings file " + TRegistry::HivePath();
            return false;
        }
        Registry.WriteString("DataFile", DataFile);
        Registry.CloseKey();
    } catch (const std::exception& Failure) {
        Error = QString::fromUtf8(Failure.what());
        return false;
    }
    return true;
}

bool TakeLookUp(QStringList& Arguments, QString& Text, bool& Given, QString& Error)
{
    Given = false;
    const int At = Arguments.indexOf("--lookup");
    if (At < 0)
        return true;
    if (At + 1 >= Arguments.size()) {
        Error = "--lookup needs a text";
        return false;
    }
    Given = true;
    Text = Arguments.at(At + 1);
    Arguments.remove(At, 2);
    return true;
}

int Run(int argc, char* argv[])
{
    QStringList Arguments = ArgumentList(argc, argv);
    // The text after --lookup is text, whatever it looks like ("--help", "--create-empty").
    QString LookUp;
    bool LookUpGiven = false;
    if (QString Error; !TakeLookUp(Arguments, LookUp, LookUpGiven, Error)) {
        std::cerr << Error.toStdString() << "\n";
        return 2;
    }
    if (const int Code = RunCommandLineTool(Arguments.mid(1), std::cout, std::cerr); Code >= 0)
        return Code;
    if (QString Error; !PrepareDemo(Arguments, Error)) {
        std::cerr << Error.toStdString() << "\n";
        return 1;
    }
    // Qt reads its own options from argv; the text to look up is not for it (it may well start
    // with a dash).
    std::vector<char*> QtArgv;
    bool Skipped = !LookUpGiven;
    for (int I = 0; I < argc; ++I) {
        if (!Skipped && I > 0 && I + 1 < argc && std::strcmp(argv[I], "--lookup") == 0) {
            Skipped = true;
            ++I;
            continue;
        }
        QtArgv.push_back(argv[I]);
    }
    // In a Wayland session, through XWayland unless the user chose (see TSessionPlatform).
    static char PlatformOption[] = "-platform";
    static char PlatformName[] = "xcb";
    if (QtArgv.size() >= 1 && TSessionPlatform::PreferredPlatform(
                                  QProcessEnvironment::systemEnvironment()) == PlatformName)
        QtArgv.insert(QtArgv.begin() + 1, {PlatformOption, PlatformName});
    int QtArgc = static_cast<int>(QtArgv.size());
    QtArgv.push_back(nullptr);

    // One running copy per settings file: a demo never hands over to the user's own copy, nor the
    // other way round.
    TSingleInstance Instance(
        QString(), TSingleInstance::NameFor(TRegistry::HivePath(), TRegistry::DefaultHivePath()));
    const bool First = Instance.Acquire();
    if (!Instance.Problem().isEmpty())
        std::cerr << Instance.Problem().toStdString() << "\n";
    if (!First) {
        // Another copy runs: bring it forward (or hand it the text) and end without a window of
        // our own.
        QCoreApplication Application(QtArgc, QtArgv.data());
        if (!LookUpGiven) {
            Instance.SignalRunningInstance();
            return 0;
        }
        if (!Instance.SendLookUp(LookUp)) {
            std::cerr << "The running copy of " << Title.toStdString() << " did not answer.\n";
            return 1;
        }
        return 0;
    }

    // How long a change waits for another program that holds the data file's lock (milliseconds).
    bool LockWaitGiven = false;
    if (const int Ms = qEnvironmentVariableIntValue("VEXLO_LOCK_WAIT_MS", &LockWaitGiven);
        LockWaitGiven && Ms >= 0)
        TVexloConnection::LockWaitMs = Ms;

    // How long a hidden start waits for a tray to show its icon in before it shows the window.
    bool TrayWaitGiven = false;
    if (const int Ms = qEnvironmentVariableIntValue("VEXLO_TRAY_WAIT_MS", &TrayWaitGiven);
        TrayWaitGiven && Ms >= 0)
        TTrayControl::TrayWaitMs = Ms;

    QApplication Application(QtArgc, QtArgv.data());
    QCoreApplication::setApplicationName(Title);
    QCoreApplication::setApplicationVersion(VEXLO_VERSION);
    // The launcher's name; on X11 the window class is the application name, which the launcher's
    // StartupWMClass names.
    QGuiApplication::setDesktopFileName(VEXLO_APP_ID);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(TMenuImages::ApplicationIcon());
    // The windows in the language the user's locale or Options chose (English has no catalog).
    TInterfaceLanguage Language;
    Language.Load();
    TInterfaceLanguage::Install(&Application, Language.Language());

    auto* DataModule = new TScreenSaverDataModule();
    auto* AdminForm = new TAdminForm(*DataModule, Arguments);
    AdminForm->EditForm = new TEditForm(DataModule, AdminForm);
    // Open Dictionary on an Access database reads it into a new dictionary beside it.
    AdminForm->Dictionaries->ConvertAccessDatabase = [AdminForm](const QString& AccessPath) {
        return AdminForm->Interchange->ConvertAccessWithDialogs(AccessPath);
    };
    // A logout, `kill` or Ctrl+C ends the program as its close command does.
    TSignalHandler Signals([AdminForm](int) { EndAsClosed(AdminForm); });
    // A settings file that is refused is left as it is, and the user is told why.
    if (const QString Problem = TRegistry::HiveProblem(); !Problem.isEmpty()) {
        std::cerr << Problem.toStdString() << "\n";
        AdminForm->OpenErrors << Problem;
    }
    Instance.Listen([AdminForm] { AdminForm->BringForward(); },
                    [AdminForm](const QString& Text) { AdminForm->LookUps->LookUpText(Text); },
                    [AdminForm] { return AdminForm->InstanceState(); });
    if (AdminForm->ShowMainForm)
        AdminForm->show();
    if (LookUpGiven)
        QTimer::singleShot(0, AdminForm, [AdminForm, LookUp] { AdminForm->LookUps->LookUpText(LookUp); });
    QApplication::exec();

    // The lock goes first, then the windows (saving the settings), then the store.
    Instance.Release();
    delete AdminForm; // and with it the word editor, its child
    delete DataModule;
    return 0;
}

} // namespace TVexloApplication
