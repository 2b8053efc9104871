#include "app/TVexloApplication.h"

#include "app/TAdminForm.h"
#include "app/TMenuImages.h"
#include "editor/TEditForm.h"
#include "platform/TRegistry.h"
#include "platform/TSingleInstance.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <iostream>

#ifndef VEXLO_VERSION
#define VEXLO_VERSION "1.0.0"
#endif

namespace TVexloApplication {

namespace {

const char* const Usage =
    "Vexlo Vocabulary 2007: an English-Bulgarian vocabulary editor. Only one copy runs per user;\n"
    "starting it again brings the running copy forward.\n"
    "\n"
    "Usage: vexlo-vocabulary [startup] [options]\n"
    "\n"
    "  startup               start hidden (as when started with the desktop session)\n"
    "  --demo DIR            use DIR/english.mdb, made from the sample vocabulary when missing\n"
    "  --create-empty FILE   create an empty vocabulary data file and exit\n"
    "  --create-sample FILE  create a data file holding the sample vocabulary and exit\n"
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

int Run(int argc, char* argv[])
{
    QStringList Arguments = ArgumentList(argc, argv);
    if (const int Code = RunCommandLineTool(Arguments.mid(1), std::cout, std::cerr); Code >= 0)
        return Code;
    if (QString Error; !PrepareDemo(Arguments, Error)) {
        std::cerr << Error.toStdString() << "\n";
        return 1;
    }

    TSingleInstance Instance;
    if (!Instance.Acquire()) {
        // Another copy runs: bring it forward and end without a window of our own.
        QCoreApplication Application(argc, argv);
        Instance.SignalRunningInstance();
        return 0;
    }

    QApplication Application(argc, argv);
    QCoreApplication::setApplicationName(Title);
    QCoreApplication::setApplicationVersion(VEXLO_VERSION);
    QGuiApplication::setDesktopFileName("vexlo-vocabulary");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(TMenuImages::ApplicationIcon());

    auto* DataModule = new TScreenSaverDataModule();
    auto* AdminForm = new TAdminForm(Arguments);
    AdminForm->EditForm = new TEditForm(AdminForm);
    Instance.Listen([AdminForm] { AdminForm->BringForward(); });
    if (AdminForm->ShowMainForm)
        AdminForm->show();
    QApplication::exec();

    // The lock goes first, then the windows (saving the settings), then the store.
    Instance.Release();
    delete AdminForm; // and with it the word editor, its child
    delete DataModule;
    return 0;
}

} // namespace TVexloApplication
