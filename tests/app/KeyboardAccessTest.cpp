// The windows from the keyboard alone, on a real X server: every Alt+letter of a window reaches
// its own control and no other, every menu item has a letter, Tab goes round the main window's
// controls and buttons in the order they are shown, and the grid and the Bulgarian text show
// where the keyboard is on light and dark palettes.

#include "AppWindowFixture.h"

#include "app/TAdminForm.h"
#include "app/TTrayControl.h"
#include "editor/TEditForm.h"
#include "settings/TAppRegInfo.h"
#include "settings/TOptionsForm.h"
#include "tests/support/FormControls.h"
#include "tests/support/KeyboardAccess.h"
#include "widgets/TReadableColours.h"

#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace KeyboardAccess;

namespace {

class KeyboardAccessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server (DISPLAY)";
        ASSERT_TRUE(Dir.isValid());
        SavedRegistry = qgetenv("VEXLO_REGISTRY");
        qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
        ASSERT_NO_FATAL_FAILURE(MakeFruitDictionary(Dir.filePath("words.mdb")));
    }

    void TearDown() override
    {
        Form.reset();
        Store.reset();
        QApplication::setPalette(OriginalPalette);
        if (!IsSkipped())
            qputenv("VEXLO_REGISTRY", SavedRegistry);
    }

    // The main window, shown and active, on the entry of Row (apple, banana, cherry).
    void ShowForm(int Row = 1)
    {
        Store = std::make_unique<TScreenSaverDataModule>();
        Form = std::make_unique<TAdminForm>(*Store, QStringList{"vexlo-vocabulary"});
        Form->ApplicationTerminate = [] {};
        ScreenSaverDataModule->ADOTable->SetRecNo(Row + 1);
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get(), 10000));
    }

    // Shows Dialog over the main window and waits until it has the keyboard.
    static void ShowDialog(QWidget* Dialog)
    {
        Dialog->show();
        Dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog, 10000));
    }

    const QPalette OriginalPalette = QApplication::palette();
    QTemporaryDir Dir;
    QByteArray SavedRegistry;
    std::unique_ptr<TScreenSaverDataModule> Store;
    std::unique_ptr<TAdminForm> Form;
};

TEST_F(KeyboardAccessTest, MainWindowLettersAreUniqueAndEachReachesItsControl)
{
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    EXPECT_EQ(Listed(WindowProblems(Form.get(), {UI(Form, NewBitBtn), UI(Form, RedactBitBtn),
                                          UI(Form, DeleteBitBtn), UI(Form, RandomBitBtn)})), "");
    for (QAction* Title : UI(Form, MainMenu)->actions()) {
        if (Title->menu()) {
            EXPECT_EQ(Listed(MenuProblems(Title->menu())), "");
        }
    }
    EXPECT_EQ(Listed(MenuProblems(Form->Tray->TrayPopupMenu)), "");
    EXPECT_EQ(Listed(WalkLetters(Form.get())), "");
}

TEST_F(KeyboardAccessTest, MenuLettersOpenTheMenusAndChooseTheirItems)
{
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    // The commands are held back: the walk looks at which item each letter chooses.
    std::vector<std::unique_ptr<QSignalBlocker>> Held;
    for (QAction* Action : Form->findChildren<QAction*>())
        if (!Action->menu())
            Held.push_back(std::make_unique<QSignalBlocker>(Action));
    for (QAction* Title : UI(Form, MainMenu)->actions()) {
        QMenu* Menu = Title->menu();
        if (!Menu || !Title->isVisible())
            continue;
        for (QAction* Item : Menu->actions()) {
            if (Item->isSeparator() || !Item->isVisible() || !Item->isEnabled() || Item->menu())
                continue;
            SCOPED_TRACE((Title->text() + " > " + Item->text()).toStdString());
            QTest::keyClick(Form.get(), KeyOf(Mnemonic(Title->text())), Qt::AltModifier);
            ASSERT_TRUE(WaitUntil([&] { return QApplication::activePopupWidget() == Menu; }));
            // The menu bar hears the item chosen (the item's own signal is held back).
            QSignalSpy Chosen(UI(Form, MainMenu), &QMenuBar::triggered);
            QTest::keyClick(Menu, KeyOf(Mnemonic(Item->text())));
            ASSERT_TRUE(WaitUntil([&] { return !Chosen.isEmpty(); }));
            EXPECT_EQ(Chosen.first().first().value<QAction*>(), Item);
            ASSERT_TRUE(WaitUntil([&] { return !QApplication::activePopupWidget(); }));
        }
    }
}

TEST_F(KeyboardAccessTest, TabGoesRoundTheMainWindowInTheOrderItShows)
{
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    UI(Form, SearchEdit)->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == UI(Form, SearchEdit); }));
    EXPECT_EQ(TabWalk(Form.get()),
              QStringList({"SearchEdit", "EnglishDBGrid", "BulgarianDBMemo", "NavFirst", "NavPrior",
                           "NavNext", "NavLast", "NewBitBtn", "RedactBitBtn", "DeleteBitBtn",
                           "RandomBitBtn"}));
    // Space on a button runs it: Random goes to an entry (a random one, so only that it ran).
    auto* Random = UI(Form, RandomBitBtn);
    QSignalSpy Clicked(Random, &QPushButton::clicked);
    Random->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Random, Qt::Key_Space);
    EXPECT_TRUE(WaitUntil([&] { return !Clicked.isEmpty(); }));
    // A click with the mouse leaves the keyboard where it was.
    UI(Form, SearchEdit)->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(UI(Form, NavLast), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Form->windowTitle().contains("Pos:3"); }));
    EXPECT_EQ(QApplication::focusWidget(), UI(Form, SearchEdit));
}

TEST_F(KeyboardAccessTest, GridAndBulgarianTextMarkTheKeyboardOnLightAndDarkPalettes)
{
    QPalette Dark = OriginalPalette;
    for (auto Role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        Dark.setColor(Role, QColor(0x20, 0x20, 0x24));
    for (auto Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        Dark.setColor(Role, QColor(0xE8, 0xE8, 0xE8));
    Dark.setColor(QPalette::Highlight, QColor(0x30, 0x30, 0x60));
    QPalette Light = OriginalPalette;
    Light.setColor(QPalette::Base, Qt::white);
    Light.setColor(QPalette::Highlight, QColor(0xF0, 0xF0, 0xFF)); // a pale one, as some themes have
    for (const auto& [Name, Palette] : {std::pair{"light", Light}, std::pair{"dark", Dark}}) {
        SCOPED_TRACE(Name);
        Form.reset();
        Store.reset();
        QApplication::setPalette(Palette);
        ASSERT_NO_FATAL_FAILURE(ShowForm());
        for (QAbstractScrollArea* Box : std::initializer_list<QAbstractScrollArea*>{
                 UI(Form, EnglishDBGrid), UI(Form, BulgarianDBMemo)}) {
            SCOPED_TRACE(Box->objectName().toStdString());
            const QColor Base = Box->palette().color(QPalette::Base);
            // Its edge, away from the rows and the text: with the keyboard and without it.
            const QPoint Edge(Box->width() / 2, Box->height() - 1);
            UI(Form, SearchEdit)->setFocus(Qt::OtherFocusReason);
            ASSERT_TRUE(WaitUntil([&] { return !Box->hasFocus(); }));
            const QColor Without = Box->grab().toImage().pixelColor(Edge);
            Box->setFocus(Qt::TabFocusReason);
            QColor With;
            EXPECT_TRUE(WaitUntil([&] {
                With = Box->grab().toImage().pixelColor(Edge);
                return TReadableColours::ContrastRatio(With, Base) >= 3.0;
            })) << With.name().toStdString() << " on " << Base.name().toStdString();
            EXPECT_GE(TReadableColours::ContrastRatio(With, Without), 1.5)
                << With.name().toStdString() << " where it was " << Without.name().toStdString();
        }
    }
}

TEST_F(KeyboardAccessTest, EditorLettersPutTheKeyboardInTheirFields)
{
    ASSERT_NO_FATAL_FAILURE(ShowForm());
    // The editor as Redact opens it: modal, over the main window.
    Form->EditForm = new TEditForm(&Form->Store, Form.get());
    QString Walked, Problems, Reached;
    bool Shown = false;
    QTimer Poll;
    Poll.setInterval(10);
    QObject::connect(&Poll, &QTimer::timeout, [&] {
        auto* Editor = qobject_cast<TEditForm*>(QApplication::activeModalWidget());
        if (!Editor)
            return;
        Poll.stop();
        Shown = QTest::qWaitForWindowActive(Editor, 10000);
        const auto Find = [&](const char* Name) { return Editor->findChild<QWidget*>(Name); };
        if (Shown) {
            Problems = QString::fromStdString(Listed(WindowProblems(
                Editor, {Find("EnglishGroupBox"), Find("ComplexityGroupBox"),
                         Find("TranscriptionGroupBox"), Find("BulgarianGroupBox"),
                         Find("SuggestBitBtn")})));
            Walked = QString::fromStdString(Listed(WalkLetters(Editor)));
            // Each group's letter goes to the field the user types in, not to the palette.
            for (const char* Group : {"EnglishGroupBox", "ComplexityGroupBox",
                                      "TranscriptionGroupBox", "BulgarianGroupBox"}) {
                Find("OKBitBtn")->setFocus(Qt::OtherFocusReason);
                QTest::keyClick(Editor, KeyOf(Mnemonic(qobject_cast<QGroupBox*>(Find(Group))->title())),
                                Qt::AltModifier);
                Reached += QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                       : QString("nothing");
                Reached += ' ';
            }
        }
        Editor->reject();
    });
    Poll.start();
    UI(Form, Redact)->trigger();
    ASSERT_TRUE(Shown);
    EXPECT_EQ(Problems.toStdString(), "");
    EXPECT_EQ(Walked.toStdString(), "");
    EXPECT_EQ(Reached.toStdString(), "EnglishEdit LevelEdit TranscriptionEdit BulgarianMemo ");
}

TEST_F(KeyboardAccessTest, OptionsLettersReachEveryFieldAndEnterOrEscapeEndTheDialog)
{
    struct TCase
    {
        const char* Name;
        bool Walk;     // the letters are walked first
        Qt::Key Key;   // then this key ends the dialog
        bool Accepted; // as OK does
    };
    const TCase Cases[] = {{"walk, then Escape", true, Qt::Key_Escape, false},
                           {"Enter", false, Qt::Key_Return, true},
                           {"keypad Enter", false, Qt::Key_Enter, true}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        QWidget Owner;
        Owner.setGeometry(100, 100, 400, 300);
        Owner.show();
        TAppRegInfoData Settings;
        QStringList Problems, Walked;
        bool Shown = false;
        QTimer::singleShot(0, [&] {
            auto* Dialog = Owner.findChild<TOptionsForm*>();
            if (!Dialog)
                return;
            Dialog->activateWindow();
            Shown = QTest::qWaitForWindowActive(Dialog, 10000);
            if (Shown) {
                Problems = WindowProblems(Dialog);
                if (Case.Walk)
                    Walked = WalkLetters(Dialog);
                // The keyboard on a check box, as after a click or a letter.
                Dialog->findChild<QWidget*>("StartLearnCheckBox")->setFocus(Qt::OtherFocusReason);
            }
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : Dialog,
                            Case.Key);
            // Whatever went wrong, the dialog ends.
            QTimer::singleShot(0, Dialog, [Dialog] { Dialog->reject(); });
        });
        const bool Accepted = TOptionsForm::Execute(Settings, &Owner);
        ASSERT_TRUE(Shown);
        EXPECT_EQ(Listed(Problems), "");
        EXPECT_EQ(Listed(Walked), "");
        EXPECT_EQ(Accepted, Case.Accepted);
    }
}

} // namespace
