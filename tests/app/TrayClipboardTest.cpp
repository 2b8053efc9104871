// The tray icon, hiding and showing, and clipboard capture of the main window, offscreen. The
// tray host is a seam (TTrayIcon): tests send the icon's mouse events and say whether a host is
// there; the offscreen clipboard is the process's own.

#include "AdminFormFixture.h"
#include "tests/support/KeyboardAccess.h"
#include "tests/support/WaitUntil.h"

#include "app/TLookUp.h"

#include "widgets/TMenuImages.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <functional>

namespace {

using TrayTest = AdminFormTest;

TEST_F(TrayTest, IconHasTheTitleAsTipAndTheMenuItsItems)
{
    Open(Fruits);
    ASSERT_TRUE(Form->Tray->TrayIcon->IsAdded());
    EXPECT_EQ(Form->Tray->TrayIcon->ToolTip(), "Vexlo Vocabulary 2007");
    EXPECT_FALSE(Form->Tray->TrayIcon->Icon().isNull());

    using namespace TMenuImages;
    struct TItem
    {
        QString Text;
        int Image; // -1: a separator, -2: an item without an image
    };
    const TItem Expected[] = {{"Open", iiWindow}, {"About", iiQuestion},
                              {"", -1},           {"Review", -2},
                              {"Start LM", iiStart},
                              {"", -1},           {"Exit", iiHouse}};
    const QList<QAction*> Items = Form->Tray->TrayPopupMenu->actions();
    ASSERT_EQ(Items.size(), std::size(Expected));
    for (qsizetype I = 0; I < Items.size(); ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(Items[I]->isSeparator(), Expected[I].Image == -1);
        EXPECT_EQ(KeyboardAccess::Plain(Items[I]->text()), Expected[I].Text);
        if (Expected[I].Image >= 0) {
            EXPECT_EQ(Items[I]->icon().cacheKey(), IconsListImage(Expected[I].Image).cacheKey());
        }
    }
    EXPECT_EQ(Form->Tray->TrayPopupMenu->defaultAction(), Form->Tray->OpenTMI);
    EXPECT_TRUE(Form->Tray->OpenTMI->font().bold());
    // Our own drawings, six of them, the last one used by no item.
    for (int I = 0; I < IconsListCount; ++I)
        EXPECT_FALSE(IconsListImage(I).pixmap(16, 16).isNull()) << I;
}

TEST_F(TrayTest, RightButtonShowsTheMenuOnlyWhileNoDialogIsOpen)
{
    Open(Fruits);
    HoldDialog(*Form);
    Form->Tray->TrayIcon->Activate(QSystemTrayIcon::Context);
    EXPECT_FALSE(Form->Tray->TrayPopupMenu->isVisible());
    // Instead the window (with the dialog) comes forward.
    EXPECT_TRUE(Form->isVisible());
    Form->hide();
    HoldDialog(*Form, false);
    Form->Tray->TrayIcon->Activate(QSystemTrayIcon::Context);
    EXPECT_TRUE(Form->Tray->TrayPopupMenu->isVisible());
    Form->Tray->TrayPopupMenu->hide();
    // A single click of either kind does nothing of its own.
    for (auto Reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick}) {
        Form->Tray->TrayIcon->Activate(Reason);
        EXPECT_FALSE(Form->isVisible());
        EXPECT_FALSE(Form->Tray->TrayPopupMenu->isVisible());
    }
}

TEST_F(TrayTest, DoubleClickOpensTheHiddenWindowAlsoWhileADialogIsOpen)
{
    for (const bool DialogOpen : {false, true}) {
        SCOPED_TRACE(DialogOpen);
        DataFile = Dir.filePath(DialogOpen ? "dialog.mdb" : "none.mdb");
        Open(Fruits, {"vexlo-vocabulary", "startup"});
        EXPECT_FALSE(Form->ShowMainForm);
        HoldDialog(*Form, DialogOpen);
        Form->Tray->TrayIcon->Activate(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(Form->isVisible());
        EXPECT_FALSE(Form->isMinimized());
        Form.reset();
        Store.reset();
    }
}

TEST_F(TrayTest, MenuItemsRunTheWindowsCommands)
{
    Open(Fruits);
    Form->Tray->OpenTMI->trigger();
    EXPECT_TRUE(Form->isVisible());
    UI(Form, HideWin)->trigger();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Terminated, 0);
    // Exit from the hidden window ends the program, also with the close button hiding.
    Form->AppSettings->HideOrClose = true;
    Form->Tray->ExitTMI->trigger();
    EXPECT_EQ(Terminated, 1);
    EXPECT_FALSE(Table()->Active());
}

TEST_F(TrayTest, WithoutATrayHostHidingMinimisesInstead)
{
    SetHideOrClose(true);
    TrayAvailable = false;
    Open(Fruits);
    for (auto Hide : std::initializer_list<std::function<void()>>{
             [this] { UI(Form, HideWin)->trigger(); }, [this] { Form->close(); }}) {
        Form->showNormal();
        Hide();
        EXPECT_TRUE(Form->isVisible());
        EXPECT_TRUE(Form->isMinimized());
        EXPECT_EQ(Terminated, 0);
        EXPECT_TRUE(Table()->Active());
    }
    // A tray host that comes later is used.
    TrayAvailable = true;
    Form->showNormal();
    UI(Form, HideWin)->trigger();
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(TrayTest, HiddenStartShowsTheWindowWhenNothingLeadsBackToIt)
{
    struct TCase
    {
        const char* Name;
        bool Tray, StoreOpens;
        int Wait;   // the hidden start's timer interval
        bool Shown; // after it ran out
    };
    const TCase Cases[] = {{"tray host", true, true, TTrayControl::TrayWaitMs, false},
                           {"no tray host", false, true, TTrayControl::TrayWaitMs, true},
                           // No icon at all: the errors must be seen (and end the program).
                           {"data file missing", true, false, 0, true}};
    Open({});
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        TrayAvailable = Case.Tray;
        SetDataFile(Case.StoreOpens ? DataFile : Dir.filePath("nowhere.mdb"));
        OpenForm({"vexlo-vocabulary", "startup"});
        EXPECT_FALSE(Form->isVisible());
        ASSERT_TRUE(Form->Tray->HiddenStartTimer->isActive());
        EXPECT_EQ(Form->Tray->HiddenStartTimer->interval(), Case.Wait);
        Form->Tray->HiddenStartTimer->stop();
        Form->Tray->HiddenStartTimerTimer();
        EXPECT_EQ(Form->isVisible(), Case.Shown);
    }
    // A visible start needs no timer.
    Form.reset();
    Store.reset();
    OpenForm();
    EXPECT_FALSE(Form->Tray->HiddenStartTimer->isActive());
}

class ClipboardTest : public AdminFormTest
{
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        AdminFormTest::TearDown();
    }
    static void Copy(const QString& Text)
    {
        QGuiApplication::clipboard()->setText(Text);
        WaitForQuietClipboard();
    }
    // Lets the window's wait for a quiet clipboard run out.
    static void WaitForQuietClipboard()
    {
        ::WaitUntil(
            [] {
                for (QWidget* W : QApplication::topLevelWidgets())
                    if (auto* F = qobject_cast<TAdminForm*>(W);
                        F && F->LookUps->ClipboardTimer->isActive())
                        return false;
                return true;
            },
            5000);
    }
};

TEST_F(ClipboardTest, CopiedTextIsLookedUpAndBringsTheWindowUp)
{
    struct TCase
    {
        const char* Name;
        std::function<void(TAdminForm&)> Before;
        std::function<void()> Copy;
        const char* Search; // in the search box afterwards (empty after the start)
        int Pos;
        bool Visible;
    };
    auto CopyText = [](const char* Text) { return [=] { Copy(Text); }; };
    auto Hidden = [](TAdminForm&) {};
    const TCase Cases[] = {
        {"hidden: shown with the entry current", Hidden, CopyText("band"), "band", 4, true},
        {"longest matching beginning", Hidden, CopyText("cherries"), "cherries", 5, true},
        {"first non-blank line, trimmed", Hidden, CopyText("\r\n  apricot jam \nbanana"),
         "apricot jam", 2, true},
        {"visible: brought forward", [](TAdminForm& F) { F.show(); }, CopyText("band"), "band", 4,
         true},
        {"minimised: restored",
         [](TAdminForm& F) {
             F.show();
             F.showMinimized();
         },
         CopyText("band"), "band", 4, true},
        {"dialog open: searched, not brought up", [](TAdminForm& F) { HoldDialog(F); },
         CopyText("band"), "band", 4, false},
        {"CopyFromClipboard off", [](TAdminForm& F) { F.AppSettings->CopyFromClipboard = false; },
         CopyText("band"), "", 1, false},
        {"Busy", [](TAdminForm& F) { F.Busy = true; }, CopyText("band"), "", 1, false},
        {"a picture", Hidden,
         [] {
             auto* Data = new QMimeData;
             QImage Picture(8, 8, QImage::Format_RGB32);
             Picture.fill(Qt::red);
             Data->setImageData(Picture);
             QGuiApplication::clipboard()->setMimeData(Data);
         },
         "", 1, false},
    };
    Open(Fruits);
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        OpenForm();
        ASSERT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 5 records Pos:1");
        Case.Before(*Form);
        Case.Copy();
        WaitForQuietClipboard();
        Form->Busy = false;
        EXPECT_EQ(UI(Form, SearchEdit)->text(), Case.Search);
        EXPECT_EQ(Form->windowTitle(),
                  QString("Vexlo Vocabulary - 5 records Pos:%1").arg(Case.Pos));
        EXPECT_EQ(Form->isVisible(), Case.Visible);
        if (Case.Visible) {
            EXPECT_FALSE(Form->isMinimized());
        }
        EXPECT_TRUE(TMessageBox::Answered().isEmpty());
    }
}

TEST_F(ClipboardTest, TextOnTheClipboardAtStartIsNotCaptured)
{
    Copy("cherry");
    Open(Fruits);
    EXPECT_EQ(Form->windowTitle(), "Vexlo Vocabulary - 5 records Pos:1");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "");
}

TEST_F(ClipboardTest, EmptyingTheSearchBoxDoesNotSearch)
{
    Open(Fruits);
    UI(Form, SearchEdit)->setText("ban");
    ASSERT_EQ(CurrentWord(), "banana");
    // Text that matches nothing keeps the box as pasted and finds by its longest beginning.
    Copy("ba");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "ba");
    EXPECT_EQ(CurrentWord(), "banana");
    // Blank text: the box is emptied and nothing moves.
    Copy("  \n ");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "");
    EXPECT_EQ(CurrentWord(), "banana");
}

TEST_F(ClipboardTest, ErrorsAreSwallowed)
{
    Open(Fruits);
    ScreenSaverDataModule->CloseData();
    Copy("band");
    EXPECT_TRUE(TMessageBox::Answered().isEmpty());
}

TEST_F(ClipboardTest, LookUpWorksWithCopyFromClipboardOffButHonoursTheGuards)
{
    Open(Fruits);
    Form->AppSettings->CopyFromClipboard = false;
    Form->LookUps->LookUpText("cherry");
    EXPECT_EQ(CurrentWord(), "cherry");
    EXPECT_TRUE(Form->isVisible());
    Form->Busy = true;
    Form->LookUps->LookUpText("apple");
    Form->Busy = false;
    EXPECT_EQ(CurrentWord(), "cherry");
    Form->hide();
    HoldDialog(*Form);
    Form->LookUps->LookUpText("band");
    EXPECT_EQ(CurrentWord(), "band");
    EXPECT_FALSE(Form->isVisible());
}

} // namespace
