#pragma once
// The word editor's fixture, shared by its test files.
#include "editor/TEditForm.h"

#include "ui_TEditForm.h"

#include "widgets/TMessageBox.h"
#include "reference/TReference.h"
#include "speech/TSpeaker.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "tests/speech/MemoryOutput.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>



inline QApplication* TestApp()
{
    static int Argc = 1;
    static char Arg0[] = "editor-test";
    static char* Argv[] = {Arg0, nullptr};
    static QApplication* App = new QApplication(Argc, Argv);
    return App;
}

struct TAppFirst
{
    TAppFirst() { TestApp(); }
};

// A fresh data file with the given entries, opened by the store, a main window to centre on and
// the editor on it.
class EditFormTest : public ::testing::Test, private TAppFirst
{
protected:
    void SetUp() override
    {
        TestApp();
        TMessageBox::ClearAnswers();
        ASSERT_TRUE(Dir.isValid());
        // The editor as it is without a reference dictionary installed; the reference's own
        // tests (ReferencePanelTest.cpp) point it at FreeDict's.
        TReference::SetDefaultIndexPath(Dir.filePath(QStringLiteral("no-reference.index")));
        Path = Dir.filePath(QStringLiteral("vocabulary.db"));
        TDataFileTool::CreateEmptyDataFile(Path);
        Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Messages;
        Store->OpenDataFile(Path, Messages);
        ASSERT_TRUE(Store->ADOTable->Active()) << Messages.join(u'\n').toStdString();
        Main.setGeometry(100, 80, 800, 600);
        Main.show();
        Editor = std::make_unique<TEditForm>(Store.get(), &Main);
    }
    void TearDown() override
    {
        Editor.reset();
        TMessageBox::ClearAnswers();
        TReference::SetDefaultIndexPath({});
    }

    void Add(const QString& English, const QString& Bulgarian, const QString& Transcription,
             int Level)
    {
        Store->AppendEntry({English, Bulgarian, Transcription, Level});
    }

    // Opens the editor modally and runs Inside while it shows; closes it with Cancel when Inside
    // left it open. Returns whether the dialog was still open after Inside.
    bool Run(TEditMode Mode, const std::function<void(Ui::TEditForm&)>& Inside)
    {
        bool StillOpen = false;
        QTimer::singleShot(0, Editor.get(), [&] {
            Inside(*Editor->ui);
            StillOpen = Editor->isVisible();
            if (StillOpen)
                Editor->ui->CancelBitBtn->click();
        });
        Editor->ShowEditor(Mode);
        return StillOpen;
    }

    static void ClickPalette(Ui::TEditForm& Ui, int Column)
    {
        QTableWidget* Grid = Ui.TranscriptStringGrid;
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          Grid->visualRect(Grid->model()->index(0, Column)).center());
    }

    QList<TEnBgRecord> AllEntries()
    {
        QList<TEnBgRecord> Entries;
        TVexloTable* T = Store->ADOTable;
        for (T->First(); !T->Eof(); T->Next()) {
            TEnBgRecord Rec;
            Store->ReadCurrentEntry(Rec);
            Entries.append(Rec);
        }
        return Entries;
    }

    QTemporaryDir Dir;
    QString Path;
    std::unique_ptr<TScreenSaverDataModule> Store;
    QWidget Main;
    std::unique_ptr<TEditForm> Editor;
};
