// The main window offscreen, on a data file and a settings hive of its own.

#include "AdminFormFixture.h"

#include "app/TAdminForm.h"
#include "tests/support/FormControls.h"
#include "app/TEnglishTableModel.h"
#include "widgets/TMessageBox.h"
#include "widgets/TMessageForm.h"
#include "widgets/VexloComponents.h"
#include "editor/TEditForm.h"
#include "platform/TRegistry.h"
#include "settings/TAppRegInfo.h"
#include "settings/TRegInfo.h"
#include "store/TDataFileTool.h"
#include "store/TScreenSaverDataModule.h"
#include "ui_TEditForm.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

TEST_F(AdminFormTest, EmptyStoreEnablesOnlyNew)
{
    Open({});
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 0 records");
    EXPECT_EQ(Enabled(), (TEnabled{true, false, false, false, false}));
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "");
    // Double-clicking the grid of an empty store does nothing.
    Form->EnglishDBGridDblClick();
    EXPECT_TRUE(Form->NoDialogOpen());
}

TEST_F(AdminFormTest, CaptionShowsCountAndPosition)
{
    Open({{"one", "1"}, {"three", "3"}, {"two", "2"}});
    EXPECT_EQ(Enabled(), (TEnabled{true, true, true, true, true}));
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:1");
    Table()->Next();
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:2");
    // Moving puts the word into the search box and the details into their views.
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "three");
    EXPECT_EQ(UI(Form, BulgarianDBMemo)->toPlainText(), "3");
    EXPECT_EQ(UI(Form, EnglishDBGrid)->currentIndex().row(), 1);
}

TEST_F(AdminFormTest, MissingDataFileIsReportedAtFirstActivationAndEndsTheProgram)
{
    SetDataFile(Dir.filePath("nowhere.mdb"));
    OpenForm();
    EXPECT_EQ(Form->windowTitle(), "Dictionary");
    EXPECT_EQ(Enabled(), (TEnabled{false, false, false, false, false}));
    ASSERT_EQ(Form->OpenErrors.size(), 1);

    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->FormActivate();
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    const auto& Box = TMessageBox::Answered().first();
    EXPECT_EQ(Box.Caption, "Error");
    EXPECT_EQ(Box.Icon, QMessageBox::Critical);
    EXPECT_EQ(Box.Text, "The file " + Dir.filePath("nowhere.mdb") + " does not exists !");
    EXPECT_EQ(Terminated, 1);
    // The errors are shown once.
    Form->FormActivate();
    EXPECT_EQ(TMessageBox::Answered().size(), 1);
}

TEST_F(AdminFormTest, StartupArgumentStartsHiddenOnlyWhenExact)
{
    struct TCase
    {
        QStringList Arguments;
        bool Shown;
    };
    const TCase Cases[] = {{{"v"}, true},
                           {{"v", "startup"}, false},
                           {{"v", "Startup"}, true},
                           {{"v", "show", "123"}, true},
                           {{"v", "startup "}, true}};
    Open({});
    for (const TCase& Case : Cases) {
        Form.reset();
        Store.reset();
        OpenForm(Case.Arguments);
        EXPECT_EQ(Form->ShowMainForm, Case.Shown) << Case.Arguments.join(' ').toStdString();
    }
}

TEST_F(AdminFormTest, SearchKeepsTypedTextAndFallsBackToShorterPrefix)
{
    Open(Fruits);
    struct TCase
    {
        const char* Typed;
        const char* Found;
        int Pos;
    };
    const TCase Cases[] = {{"ban", "banana", 3},  {"BANd", "band", 4}, {"apx", "apple", 1},
                           {"apr", "Apricot", 2}, {"cz", "cherry", 5}, {"zzz", "cherry", 5}};
    for (const TCase& Case : Cases) {
        UI(Form, SearchEdit)->setText(Case.Typed);
        EXPECT_EQ(CurrentWord(), Case.Found) << Case.Typed;
        EXPECT_EQ(UI(Form, SearchEdit)->text(), Case.Typed);
        EXPECT_EQ(Form->windowTitle(),
                  QString("Vexlo Vocabulary - 5 records Pos:%1").arg(Case.Pos));
        EXPECT_FALSE(Form->Busy);
    }
}

TEST_F(AdminFormTest, MovingShowsTheWordWithoutStartingASearch)
{
    // Two entries with the same word: a search for it would go back to the first.
    Open({{"same", "first"}, {"same", "second"}, {"other", "x"}});
    Table()->Last();
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 3 records Pos:3");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "same");
    EXPECT_EQ(UI(Form, BulgarianDBMemo)->toPlainText(), "second");
    // The navigator and the grid move the table the same way.
    UI(Form, NavFirst)->click();
    EXPECT_EQ(Table()->RecNo(), 1);
    EXPECT_FALSE(UI(Form, NavPrior)->isEnabled());
    EXPECT_TRUE(UI(Form, NavLast)->isEnabled());
    UI(Form, EnglishDBGrid)->setCurrentIndex(Form->GridModel->index(2, 0));
    EXPECT_EQ(Table()->RecNo(), 3);
    EXPECT_EQ(UI(Form, BulgarianDBMemo)->toPlainText(), "second");
    EXPECT_FALSE(UI(Form, NavNext)->isEnabled());
}

TEST_F(AdminFormTest, NewEntryThroughTheEditorEnablesTheCommands)
{
    Open({});
    Form->EditForm = new TEditForm(&Form->Store, Form.get());
    bool DialogSeen = false;
    QTimer::singleShot(0, Form.get(), [&] {
        DialogSeen = !Form->NoDialogOpen();
        Form->EditForm->ui->EnglishEdit->setText("lemon");
        Form->EditForm->OKBitBtnClick();
    });
    UI(Form, New)->trigger();
    EXPECT_TRUE(DialogSeen);
    EXPECT_TRUE(Form->NoDialogOpen());
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 1 records Pos:1");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "lemon");
    // Random takes the state of the store at start-up only.
    EXPECT_EQ(Enabled(), (TEnabled{true, true, true, true, false}));
}

// Each command of the Help and Tools menus and of the reports opens its own dialog modally over the
// main window; while it shows, captured text must not bring the window up, and closing it must
// give the window back its normal state.
TEST_F(AdminFormTest, CommandsOpenTheirDialogsModally)
{
    Open(Fruits);
    const struct
    {
        QAction* Command;
        const char* DialogClass;
    } Cases[] = {{UI(Form, About), "TAboutForm"},
                 {UI(Form, Options), "TOptionsForm"},
                 {UI(Form, Information1), "TInformationForm"},
                 {UI(Form, HTMLPreview1), "TInformationForm"}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.DialogClass);
        QString Seen;
        bool DialogOpenWhileShown = false;
        // Reports first show a progress window; wait for the dialog itself.
        QTimer Poll;
        Poll.setInterval(10);
        QObject::connect(&Poll, &QTimer::timeout, Form.get(), [&] {
            auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!Dialog || qstrcmp(Dialog->metaObject()->className(), Case.DialogClass) != 0)
                return;
            Seen = Dialog->metaObject()->className();
            DialogOpenWhileShown = !Form->NoDialogOpen();
            EXPECT_EQ(Dialog->parentWidget(), Form.get());
            Poll.stop();
            Dialog->reject();
        });
        Poll.start();
        Case.Command->trigger();
        Poll.stop();
        EXPECT_EQ(Seen, Case.DialogClass);
        EXPECT_TRUE(DialogOpenWhileShown);
        EXPECT_TRUE(Form->NoDialogOpen());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(AdminFormTest, MouseWheelOverTheGridMovesNothing)
{
    Open(Fruits);
    Table()->SetRecNo(3);
    for (QWidget* Target : {UI(Form, EnglishDBGrid)->viewport(),
                            static_cast<QWidget*>(UI(Form, EnglishDBGrid)->verticalScrollBar())}) {
        for (int Delta : {-120, 120}) {
            QWheelEvent Wheel(QPointF(5, 5), UI(Form, EnglishDBGrid)->mapToGlobal(QPointF(5, 5)),
                              QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(Target, &Wheel);
            EXPECT_EQ(Table()->RecNo(), 3);
        }
    }
}

TEST_F(AdminFormTest, DeleteAsksWithTheWordInUpperCase)
{
    Open({{"tree", "дърво"}, {"über", "свръх"}, {"zoo", "зоопарк"}});
    TMessageBox::SetNextAnswer(QMessageBox::No);
    UI(Form, Delete)->trigger();
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    const auto Box = TMessageBox::Answered().first();
    EXPECT_EQ(Box.Caption, "Confirm");
    EXPECT_EQ(Box.Text, "Delete the word TREE ?");
    EXPECT_EQ(Box.Icon, QMessageBox::Question);
    EXPECT_EQ(Box.Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Box.DefaultButton, QMessageBox::Yes);
    EXPECT_EQ(Table()->RecordCount(), 3);

    // Only a to z change case. (In table order the word comes after "zoo".)
    Table()->SetRecNo(3);
    TMessageBox::SetNextAnswer(QMessageBox::No);
    UI(Form, Delete)->trigger();
    EXPECT_EQ(TMessageBox::Answered().last().Text, "Delete the word üBER ?");

    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    UI(Form, Delete)->trigger();
    EXPECT_EQ(Table()->RecordCount(), 2);
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 2 records Pos:2");
    EXPECT_EQ(CurrentWord(), "zoo");
    EXPECT_EQ(Enabled(), (TEnabled{true, true, true, true, true}));
    // The wait window is gone again.
    for (QWidget* Window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TMessageForm*>(Window), nullptr);
}

TEST_F(AdminFormTest, DeletingTheOnlyEntryDisablesTheDataCommands)
{
    Open({{"tree", "дърво"}});
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    UI(Form, Delete)->trigger();
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 0 records");
    EXPECT_EQ(Enabled(), (TEnabled{true, false, false, false, false}));
    EXPECT_EQ(UI(Form, TransDBEdit)->text(), "");
    EXPECT_EQ(UI(Form, BulgarianDBMemo)->toPlainText(), "");
    // Random on the emptied store is harmless.
    Form->RandomBitBtnClick();
    EXPECT_TRUE(TMessageBox::Answered().size() == 1);
}

TEST_F(AdminFormTest, DeleteAllDefaultsToNo)
{
    Open(Fruits);
    TMessageBox::SetNextAnswer(QMessageBox::No);
    UI(Form, DeleteAll)->trigger();
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    const auto Box = TMessageBox::Answered().first();
    EXPECT_EQ(Box.Caption, "Attention");
    EXPECT_EQ(Box.Text, "Delete all words from DataBase ?");
    EXPECT_EQ(Box.DefaultButton, QMessageBox::No);
    EXPECT_EQ(Table()->RecordCount(), 5);

    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    UI(Form, DeleteAll)->trigger();
    EXPECT_EQ(Table()->RecordCount(), 0);
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 0 records");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "");
    EXPECT_EQ(Enabled(), (TEnabled{true, false, false, false, false}));
}

TEST_F(AdminFormTest, RandomMovesToAnEntry)
{
    Open(Fruits);
    for (int I = 0; I < 20; ++I) {
        UI(Form, RandomBitBtn)->click();
        const int Pos = Table()->RecNo();
        ASSERT_GE(Pos, 1);
        ASSERT_LE(Pos, 5);
        EXPECT_EQ(Form->windowTitle(), QString("Vexlo Vocabulary - 5 records Pos:%1").arg(Pos));
        EXPECT_EQ(UI(Form, SearchEdit)->text(), CurrentWord());
    }
}

TEST_F(AdminFormTest, CloseButtonHidesWhileHideOrCloseIsOn)
{
    SetHideOrClose(true);
    Open(Fruits);
    Form->show();
    Form->close();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Terminated, 0);
    EXPECT_TRUE(Table()->Active());

    Form->show();
    UI(Form, Exit)->trigger();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Terminated, 1);
    EXPECT_FALSE(Table()->Active());
}

TEST_F(AdminFormTest, SessionEndIsARealClose)
{
    SetHideOrClose(true);
    Open(Fruits);
    Form->show();
    Form->QueryEndSession();
    Form->close();
    EXPECT_EQ(Terminated, 1);
    EXPECT_FALSE(Table()->Active());
}

TEST_F(AdminFormTest, CloseButtonEndsTheProgramWhileHideOrCloseIsOff)
{
    Open(Fruits);
    Form->show();
    Form->showMaximized();
    Form->close();
    EXPECT_EQ(Terminated, 1);
    EXPECT_FALSE(Table()->Active());
    EXPECT_FALSE(Form->isMaximized());
}

TEST_F(AdminFormTest, DestroyingTheWindowSavesTheSettings)
{
    SetHideOrClose(true);
    Open(Fruits);
    Form->AppSettings->SequenceInterval = 77;
    Form->resize(600, 400);
    Form->move(30, 40);
    Form.reset();

    TRegistry Registry;
    ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, false));
    TAppRegInfo Loaded(nullptr);
    EXPECT_EQ(Loaded.SequenceInterval, 77);
    EXPECT_TRUE(Loaded.HideOrClose);
    EXPECT_EQ(Loaded.Width, 600);
    EXPECT_EQ(Loaded.Height, 400);
    EXPECT_EQ(Loaded.Left, 30);
    EXPECT_EQ(Loaded.Top, 40);
}

TEST_F(AdminFormTest, SavedBoundsPlaceTheWindow)
{
    {
        TRegistry Registry;
        ASSERT_TRUE(Registry.OpenKey(TAppRegInfo::KeyName, true));
        Registry.WriteInteger("Left", 100);
        Registry.WriteInteger("Top", 50);
        Registry.WriteInteger("Width", 700);
        Registry.WriteInteger("Height", 500);
    }
    Open({});
    EXPECT_EQ(Form->Placement->PlaceBounds(), QRect(100, 50, 700, 500));
    // Nothing smaller than the window's minimum.
    Form->Placement->PlaceWidth(10);
    Form->Placement->PlaceHeight(10);
    EXPECT_EQ(Form->size(), QSize(480, 280));
}

TEST_F(AdminFormTest, ControlsAreDoubleBufferedButNotTheWindow)
{
    Open({});
    EXPECT_FALSE(IsDoubleBuffered(Form.get()));
    for (QWidget* Child : Form->findChildren<QWidget*>()) {
        if (!Child->isWindow()) {
            EXPECT_TRUE(IsDoubleBuffered(Child)) << Child->objectName().toStdString();
        }
    }
}

TEST_F(AdminFormTest, HintsGoToTheStatusBarAndToolTipsAreOff)
{
    Open({});
    QStatusTipEvent Tip(UI(Form, New)->statusTip());
    QApplication::sendEvent(Form.get(), &Tip);
    EXPECT_EQ(Form->StatusPanel->text(), "Create new record");
    QHelpEvent Help(QEvent::ToolTip, QPoint(2, 2), UI(Form, NewBitBtn)->mapToGlobal(QPoint(2, 2)));
    EXPECT_TRUE(Form->eventFilter(UI(Form, NewBitBtn), &Help));
}

TEST(MessageFormTest, IsASmallFixedWindowWithoutClose)
{
    TMessageForm Form(nullptr, "Please wait for a moment");
    EXPECT_EQ(Form.windowTitle(), "Message");
    EXPECT_EQ(Form.size(), QSize(242, 105));
    EXPECT_EQ(Form.MessageLabel->text(), "Please wait for a moment");
    EXPECT_EQ(Form.MessageLabel->geometry(), QRect(0, 40, 242, 17));
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowCloseButtonHint);
    Form.show();
    Form.close();
    EXPECT_TRUE(Form.isVisible());
}

} // namespace
