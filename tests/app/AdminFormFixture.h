#pragma once

// The main window offscreen, on a data file and a settings hive of its own: the fixture shared by
// the window's tests.

#include "app/TAdminForm.h"
#include "tests/support/FormControls.h"
#include "app/TDictionaryCommands.h"
#include "app/TInterchangeCommands.h"
#include "app/TElidedToolButton.h"
#include "app/TSpeechCommands.h"
#include "app/TTrayControl.h"
#include "app/TWindowPlacement.h"
#include "reference/TReference.h"
#include "widgets/TMessageBox.h"
#include "app/TTrayIcon.h"
#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

struct TWord
{
    const char* English;
    const char* Bulgarian;
};

class AdminFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
        TAppRegInfo::SetScreenSizeSource([] { return QSize(1280, 1024); });
        // A tray host is there unless a test says otherwise.
        TTrayIcon::SetAvailabilitySource([this] { return TrayAvailable; });
        TMessageBox::ClearAnswers();
        DataFile = Dir.filePath("english.mdb");
        // The window as it is without a reference dictionary installed (its hints are exact);
        // ReferenceWindowTest.cpp shows the window with FreeDict's.
        TReference::SetDefaultIndexPath(Dir.filePath("no-reference.index"));
    }

    void TearDown() override
    {
        Form.reset();
        Store.reset();
        TAppRegInfo::SetScreenSizeSource({});
        TTrayIcon::SetAvailabilitySource({});
        TMessageBox::ClearAnswers();
        HeldDialog.reset();
        TReference::SetDefaultIndexPath({});
    }

    // Makes the window count a dialog as open (or no longer) as one of its dialogs would.
    static void HoldDialog(TAdminForm& Window, bool Open = true)
    {
        HeldDialog.reset();
        if (Open)
            HeldDialog = std::make_unique<TAdminForm::TDialogOpen>(Window);
    }
    static inline std::unique_ptr<TAdminForm::TDialogOpen> HeldDialog;

    // Points the screen-saver settings at Path.
    void SetDataFile(const QString& Path)
    {
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TRegInfo::KeyName, true));
        Registry.WriteString("DataFile", Path);
    }

    void SetHideOrClose(bool On) { SetAppSetting("HideOrClose", On ? 1 : 0); }

    // Writes an integer value of the application settings before the window loads them.
    void SetAppSetting(const QString& Name, int Value)
    {
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
        Registry.WriteInteger(Name, Value);
    }

    // A data file holding Words (appended in this order), and the window opened on it.
    void Open(std::initializer_list<TWord> Words, QStringList Arguments = {"vexlo-vocabulary"})
    {
        TDataFileTool::CreateEmptyDataFile(DataFile);
        {
            TScreenSaverDataModule Filler;
            QStringList Errors;
            Filler.OpenDataFile(DataFile, Errors);
            ASSERT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
            for (const TWord& Word : Words)
                Filler.AppendEntry({Word.English, Word.Bulgarian, "", 1});
            Filler.CloseData();
        }
        SetDataFile(DataFile);
        OpenForm(Arguments);
    }

    void OpenForm(QStringList Arguments = {"vexlo-vocabulary"})
    {
        Store = std::make_unique<TScreenSaverDataModule>();
        Form = std::make_unique<TAdminForm>(*Store, Arguments);
        Form->ApplicationTerminate = [this] { ++Terminated; };
    }

    TVexloTable* Table() const { return ScreenSaverDataModule->ADOTable; }
    QString CurrentWord() const { return ScreenSaverDataModule->ADOTableENAME->AsString(); }

    struct TEnabled
    {
        bool New, Redact, Delete, DeleteAll, Random;
        bool operator==(const TEnabled&) const = default;
    };
    TEnabled Enabled() const
    {
        return {UI(Form, New)->isEnabled(), UI(Form, Redact)->isEnabled(), UI(Form, Delete)->isEnabled(),
                UI(Form, DeleteAll)->isEnabled(), UI(Form, RandomBitBtn)->isEnabled()};
    }

    QTemporaryDir Dir;
    QString DataFile;
    std::unique_ptr<TScreenSaverDataModule> Store;
    std::unique_ptr<TAdminForm> Form;
    int Terminated = 0;
    bool TrayAvailable = true;
};

inline const std::initializer_list<TWord> Fruits = {{"banana", "банан"},
                                                    {"apple", "ябълка"},
                                                    {"Apricot", "кайсия"},
                                                    {"band", "група"},
                                                    {"cherry", "череша"}};
// In table order: apple, Apricot, banana, band, cherry.
