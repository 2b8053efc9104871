// Finding words by their Bulgarian meaning from the main window's search box (offscreen).

#include "tests/app/AdminFormFixture.h"
#include "tests/support/WaitUntil.h"

#include "app/TFindCommand.h"
#include "app/TMeaningFinder.h"
#include "finder/TFindForm.h"

#include <QLabel>
#include <QProcess>
#include <QTableWidget>
#include <QTest>

namespace {

const std::initializer_list<TWord> Homes = {{"house", "къща, дом"},
                                            {"cottage", "<b>малка</b> къща\r\nвила"},
                                            {"hell", "пъкъл"},
                                            {"home", "до\u0301м\r\nродно място"},
                                            {"banana", "банан"}};
// In table order: banana, cottage, hell, home, house.

class MeaningFinderTest : public AdminFormTest
{
protected:
    QString Count() const { return Form->Meanings->CountLabel->text(); }
    bool CountShown() const { return Form->Meanings->CountLabel->isVisibleTo(Form.get()); }
    // Types Text and waits until the index has answered.
    void Type(const QString& Text)
    {
        UI(Form, SearchEdit)->setText(Text);
        ASSERT_TRUE(WaitUntil([this] { return !Count().contains(QStringLiteral("indexing")); }))
            << Count().toStdString();
    }
    // The marked parts of the Bulgarian text beside the list.
    QStringList Marked() const
    {
        QStringList Parts;
        for (const auto& Mark : UI(Form, BulgarianDBMemo)->extraSelections())
            Parts << Mark.cursor.selectedText();
        return Parts;
    }
};

TEST_F(MeaningFinderTest, CyrillicFindsByMeaningAndStepsThroughTheMatches)
{
    Open(Homes);
    UI(Form, SearchEdit)->setText(QStringLiteral("къщ"));
    // The index is made on its own thread: until it is there, the window says so and waits.
    EXPECT_EQ(Count(), "indexing…");
    EXPECT_TRUE(CountShown());
    ASSERT_TRUE(WaitUntil([this] { return Count() == "Meaning 1 of 2"; })) << Count().toStdString();
    EXPECT_EQ(CurrentWord(), "cottage");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "къщ");
    EXPECT_EQ(Marked(), QStringList{"къщ"});
    // The stored text shows as text, never as markup.
    EXPECT_EQ(UI(Form, BulgarianDBMemo)->toPlainText(), "<b>малка</b> къща\nвила");
    EXPECT_FALSE(Form->Speech->AddMissingButton->isVisibleTo(Form.get()));

    QTest::keyClick(UI(Form, SearchEdit), Qt::Key_Return);
    EXPECT_EQ(CurrentWord(), "house");
    EXPECT_EQ(Count(), "Meaning 2 of 2");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "къщ");
    Form->Meanings->FindNext(); // round the end
    EXPECT_EQ(CurrentWord(), "cottage");
    Form->Meanings->FindPrior();
    EXPECT_EQ(CurrentWord(), "house");
    EXPECT_FALSE(Form->Busy);
}

TEST_F(MeaningFinderTest, F3AndShiftF3StepInTheWindow)
{
    Open(Homes);
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Type(QStringLiteral("д"));
    EXPECT_EQ(CurrentWord(), "home");
    QTest::keyClick(Form.get(), Qt::Key_F3);
    EXPECT_EQ(CurrentWord(), "house");
    QTest::keyClick(Form.get(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(CurrentWord(), "home");
}

TEST_F(MeaningFinderTest, MarksEveryMatchingLineAndWord)
{
    Open(Homes);
    struct TCase
    {
        const char* Typed;
        const char* Found;
        QStringList Marked;
        const char* Count;
    };
    const TCase Cases[] = {
        {"ДОМ", "home", {"до\u0301м"}, "Meaning 1 of 2"}, // the stress mark is part of the word
        {"родно м", "home", {"родно м"}, "Meaning 1 of 1"},
        {"вил", "cottage", {"вил"}, "Meaning 1 of 1"},
        {"мал", "cottage", {"мал"}, "Meaning 1 of 1"},  // inside the brackets of the markup
        {"бан", "banana", {"бан"}, "Meaning 1 of 1"},
    };
    for (const TCase& Case : Cases) {
        Type(QString::fromUtf8(Case.Typed));
        EXPECT_EQ(CurrentWord(), Case.Found) << Case.Typed;
        EXPECT_EQ(Marked(), Case.Marked) << Case.Typed;
        EXPECT_EQ(Count(), Case.Count) << Case.Typed;
    }
}

TEST_F(MeaningFinderTest, NothingFoundLeavesTheEntryAndOffersNoNewWord)
{
    Open(Homes);
    Table()->Last();
    Type(QStringLiteral("ъкъл")); // inside a word only
    EXPECT_EQ(Count(), "No meaning begins so");
    EXPECT_EQ(CurrentWord(), "house");
    EXPECT_TRUE(Marked().isEmpty());
    EXPECT_FALSE(Form->Speech->AddMissingButton->isVisibleTo(Form.get()));
}

TEST_F(MeaningFinderTest, LatinTextSearchesTheEnglishWordsAsBefore)
{
    Open(Homes);
    Type(QStringLiteral("къща"));
    ASSERT_EQ(CurrentWord(), "cottage");
    UI(Form, SearchEdit)->setText("ho");
    EXPECT_EQ(CurrentWord(), "home");
    EXPECT_FALSE(CountShown());
    EXPECT_TRUE(Marked().isEmpty());
    UI(Form, SearchEdit)->setText("hox");
    EXPECT_EQ(CurrentWord(), "home");
    EXPECT_TRUE(Form->Speech->AddMissingButton->isVisibleTo(Form.get()));
    // Enter in Latin text does not step anywhere.
    QTest::keyClick(UI(Form, SearchEdit), Qt::Key_Return);
    EXPECT_EQ(CurrentWord(), "home");
}

TEST_F(MeaningFinderTest, MovingAwayEndsTheSearch)
{
    Open(Homes);
    Type(QStringLiteral("къщ"));
    ASSERT_TRUE(CountShown());
    UI(Form, NavLast)->click();
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "house");
    EXPECT_FALSE(CountShown());
    EXPECT_TRUE(Marked().isEmpty());
    Form->Meanings->FindNext();
    EXPECT_EQ(CurrentWord(), "house");
}

// Another program (the sqlite3 shell) changes the meanings while the index exists: once the
// window has noticed, the index is made again and finds what the file now says.
TEST_F(MeaningFinderTest, AnotherProgramsChangeIsFound)
{
    Open(Homes);
    Type(QStringLiteral("вила"));
    ASSERT_EQ(Count(), "Meaning 1 of 1");
    QProcess Shell;
    Shell.start("sqlite3", {"-bail", DataFile});
    ASSERT_TRUE(Shell.waitForStarted(5000));
    Shell.write("UPDATE English SET BULG = 'хижа' WHERE ENAME = 'cottage';\n"
                "INSERT INTO English (ID, ENAME, BULG, TRANS, LEVEL) "
                "VALUES (6, 'villa', 'лятна вила', '', 0);\n");
    Shell.closeWriteChannel();
    ASSERT_TRUE(Shell.waitForFinished(10000) && Shell.exitCode() == 0);
    Form->FormActivate();
    ASSERT_TRUE(WaitUntil([this] { return !Form->Meanings->Indexing(); }));
    Type(QStringLiteral("вила"));
    EXPECT_EQ(Count(), "Meaning 1 of 1");
    EXPECT_EQ(CurrentWord(), "villa");
    Type(QStringLiteral("хиж"));
    EXPECT_EQ(CurrentWord(), "cottage");
}

// The window's own changes are searched too once the index is made again.
TEST_F(MeaningFinderTest, OwnChangesAreFound)
{
    Open(Homes);
    Type(QStringLiteral("бан"));
    ScreenSaverDataModule->AppendEntry({"bath", "баня", "", 1});
    ASSERT_TRUE(WaitUntil([this] { return !Form->Meanings->Indexing(); }));
    Type(QStringLiteral("бан"));
    EXPECT_EQ(Count(), "Meaning 1 of 2");
}

} // namespace

namespace {

// File > Find... (Ctrl+F): the find window lists what it finds, and the entry chosen there
// becomes current, its word in the search box.
TEST_F(MeaningFinderTest, FindInEverythingGoesToTheChosenEntry)
{
    Open(Homes);
    ASSERT_EQ(Form->FindCommand->FindAction->shortcut(), QKeySequence("Ctrl+F"));
    Form->FindCommand->FindAction->trigger();
    TFindForm* Find = Form->FindCommand->Form();
    ASSERT_TRUE(Find && Find->isVisible());
    Find->FindEdit->setText(QStringLiteral("<b>"));
    Find->FindExecute();
    ASSERT_TRUE(WaitUntil([Find] { return !Find->Running(); }));
    ASSERT_EQ(Find->ResultList->rowCount(), 1);
    // Text found shows as text.
    EXPECT_EQ(Find->ResultList->item(0, 2)->text(), "<b>малка</b> къща…");
    EXPECT_EQ(Find->CountLabel->text(), "1 found");
    emit Find->EntryChosen(Find->IdAt(0));
    EXPECT_EQ(CurrentWord(), "cottage");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "cottage");
}

} // namespace
