// Renders the main window on the sample dictionary and the options dialog in Bulgarian, offscreen,
// into docs/screenshots (main-window-bg.png, options-bg.png).
// Usage: translations_screenshots OUTPUT_DIR
#include "app/TAdminForm.h"
#include "app/TTrayIcon.h"
#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"
#include "settings/TInterfaceLanguage.h"
#include "settings/TOptionsForm.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir Dir;
    qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
    QApplication App(argc, argv);
    const QString Out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const auto Save = [&](const QImage& Image, const char* Name) {
        const bool Saved = Image.save(Out + QLatin1Char('/') + QLatin1String(Name));
        std::printf("%s %s\n", Name, Saved ? "written" : "FAILED");
    };
    if (TInterfaceLanguage::Install(&App, QStringLiteral("bg"),
                                    {QStringLiteral(VEXLO_BINARY_DIR "/translations")})
            .isEmpty()) {
        std::printf("the Bulgarian catalog was not found\n");
        return 1;
    }

    const QString DataFile = Dir.filePath("english.db");
    TDataFileTool::CreateSampleDataFile(DataFile);
    {
        TRegistry Registry;
        Registry.OpenKey(QLatin1String(TRegInfo::KeyName), true);
        Registry.WriteString(QStringLiteral("DataFile"), DataFile);
    }
    TAppRegInfo::SetScreenSizeSource([] { return QSize(1280, 1024); });
    TTrayIcon::SetAvailabilitySource([] { return true; });
    TScreenSaverDataModule Store;
    TAdminForm Form(Store, {QStringLiteral("vexlo-vocabulary")});
    Form.show();
    QApplication::setActiveWindow(&Form);
    QApplication::processEvents();
    Save(Form.grab().toImage(), "main-window-bg.png");

    TAppRegInfo Settings(nullptr);
    Settings.ResidentMode = true;
    Settings.Interface.Choice = TInterfaceLanguage::Bulgarian;
    TOptionsForm Options(Settings, nullptr);
    Options.SetSpeechSettings(&Settings.Speech);
    Options.SetLookUpSettings(&Settings.LookUp);
    Options.SetInterfaceLanguage(&Settings.Interface);
    Options.show();
    QApplication::processEvents();
    Save(Options.grab().toImage(), "options-bg.png");
    Form.hide();
    return 0;
}
