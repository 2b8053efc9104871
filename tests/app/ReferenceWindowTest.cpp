// A copied word that is not in the dictionary, added through the reference dictionary on a real
// X server: the main window's hint shows the reference's senses, Add "word"… (Ctrl+Shift+N)
// opens the editor with them listed, and keys typed as a user types them (xdotool) pick two
// senses and save the entry. Debian's FreeDict English–Bulgarian dictionary is installed by the
// test command.

#include "AppWindowFixture.h"
#include "tests/support/KeyboardAccess.h"

#include "app/TAdminForm.h"
#include "app/TSpeechCommands.h"
#include "editor/TEditForm.h"
#include "editor/TReferencePanel.h"
#include "reference/TReference.h"
#include "store/TEnBgRecord.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>

namespace {

class ReferenceWindowTest : public FruitWindowTest
{
protected:
    void TearDown() override
    {
        Form.reset();
        Store.reset();
        FruitWindowTest::TearDown();
    }
    std::unique_ptr<TScreenSaverDataModule> Store;
    std::unique_ptr<TAdminForm> Form;
};

TEST_F(ReferenceWindowTest, ACopiedWordIsAddedWithSensesPickedFromTheReference)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server with a window manager";
    TReference::Shared()->Unload(); // as in a program just started
    Store = std::make_unique<TScreenSaverDataModule>();
    Form = std::make_unique<TAdminForm>(*Store, QStringList{"vexlo-vocabulary"});
    Form->ApplicationTerminate = [] {};
    Form->EditForm = new TEditForm(&Form->Store, Form.get()); // as the application makes it
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get(), 10000));
    EXPECT_EQ(TReference::Shared()->State(), TReference::TState::Idle)
        << "nothing of the reference is read before a word is not found";

    CopyToClipboard("ubiquitous");
    ASSERT_TRUE(WaitUntil([&] { return Form->Speech->AddMissingAction->isVisible(); }));
    EXPECT_EQ(KeyboardAccess::Plain(Form->Speech->AddMissingAction->text()), "Add \"ubiquitous\"\u2026");
    // The hint is shown again once the reference has been read.
    ASSERT_TRUE(WaitUntil([&] {
        return Form->StatusPanel->text() ==
               "\"ubiquitous\" not found \u2014 reference: повсеместен, вездесъщ";
    }, 60000)) << Form->StatusPanel->text().toStdString();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get(), 10000));

    // While the editor is open (modally), its senses are picked from the keyboard.
    bool Picked = false;
    QString Problem;
    QDeadlineTimer Deadline(60000);
    QTimer Poll;
    Poll.setInterval(20);
    QObject::connect(&Poll, &QTimer::timeout, [&] {
        auto* Editor = qobject_cast<TEditForm*>(QApplication::activeModalWidget());
        if (Deadline.hasExpired()) {
            Poll.stop();
            Problem = Editor ? QString("the editor (active %1) lists %2 senses: %3")
                                   .arg(Editor->isActiveWindow())
                                   .arg(Editor->Reference->SenseList->count())
                                   .arg(Editor->Reference->HeaderLabel->text())
                             : QString("no editor came");
            if (Editor)
                Editor->reject();
            return;
        }
        if (!Editor || !Editor->isActiveWindow() || Editor->Reference->SenseList->count() != 2)
            return;
        Poll.stop();
        Picked = true;
        Tool("xdotool", {"key", "--delay", "40", "ctrl+r", "space", "Down", "space", "ctrl+Return"});
    });
    Poll.start();
    Tool("xdotool", {"key", "ctrl+shift+n"});
    ASSERT_TRUE(WaitUntil(
        [&] { return ScreenSaverDataModule->ADOTable->RecordCount() == 4 || !Problem.isEmpty(); },
        60000));
    ASSERT_TRUE(Problem.isEmpty()) << Problem.toStdString();
    EXPECT_TRUE(Picked);

    TVexloTable* Table = ScreenSaverDataModule->ADOTable;
    QStringList Found;
    for (Table->First(); !Table->Eof(); Table->Next()) {
        TEnBgRecord Rec;
        ScreenSaverDataModule->ReadCurrentEntry(Rec);
        if (Rec.EnglishWord == "ubiquitous")
            Found.append(Rec.BulgarianText);
    }
    EXPECT_EQ(Found, QStringList({"повсеместен\r\nвездесъщ"})) << "one sense a line";
    EXPECT_FALSE(Form->Speech->AddMissingAction->isVisible());
}

} // namespace
