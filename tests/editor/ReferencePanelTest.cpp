// The word editor's reference panel on Debian's FreeDict English–Bulgarian dictionary (the test
// command installs it): senses picked into the Bulgarian text, accents, the transcription beside
// Suggest, an existing word on request, and a damaged dictionary.
#include "EditFormFixture.h"
#include "../support/WaitUntil.h"

#include "editor/TReferencePanel.h"
#include "reference/TReference.h"

#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class ReferencePanelTest : public EditFormTest
{
protected:
    void SetUp() override
    {
        EditFormTest::SetUp();
        TReference::SetDefaultIndexPath({}); // FreeDict's, where Debian installs it
    }
    TReferencePanel& Panel() { return *Editor->Reference; }
    void Check(int Row, bool On)
    {
        Panel().SenseList->item(Row)->setCheckState(On ? Qt::Checked : Qt::Unchecked);
    }
};

TEST_F(ReferencePanelTest, PickedSensesFillTheBulgarianTextOnePerLine)
{
    bool Ran = false;
    QTimer::singleShot(0, Editor.get(), [&] {
        Ui::TEditForm& Ui = *Editor->ui;
        ASSERT_TRUE(Panel().Panel->isVisible()) << "open for a new word";
        EXPECT_EQ(Editor->height(), 323 + 132);
        ASSERT_TRUE(WaitUntil([&] { return Panel().SenseList->count() == 7; }, 60000))
            << Panel().HeaderLabel->text().toStdString();
        EXPECT_EQ(Panel().HeaderLabel->text(), "Reference: house n. v.");
        EXPECT_EQ(Panel().SenseList->item(0)->text(),
                  "n. 1. стопанство, къща — an establishment, business");
        EXPECT_EQ(Panel().SenseList->item(6)->text(), "v. 2. подслонявам се — take shelter");

        Ui.BulgarianMemo->setPlainText("моят ред");
        Check(4, true);
        Check(0, true);
        EXPECT_EQ(Ui.BulgarianMemo->toPlainText(), "моят ред\nстопанство, къща\nдом, къща");
        Panel().KeepAccentsCheckBox->click();
        EXPECT_EQ(Ui.BulgarianMemo->toPlainText(), "моят ред\nстопа́нство, къща\nдом, къ́ща");
        Check(0, false);
        EXPECT_EQ(Ui.BulgarianMemo->toPlainText(), "моят ред\nдом, къ́ща");
        Panel().KeepAccentsCheckBox->click();

        // The transcription beside Suggest: the noun's, the verb's in its menu.
        ASSERT_TRUE(Panel().TranscriptionButton->isVisible());
        EXPECT_EQ(Panel().TranscriptionButton->text(), "[haʊs]");
        ASSERT_NE(Panel().TranscriptionButton->menu(), nullptr);
        EXPECT_EQ(Panel().TranscriptionButton->menu()->actions().size(), 2);
        EXPECT_EQ(Panel().TranscriptionButton->menu()->actions()[1]->text(), "[haʊz]");
        Panel().TranscriptionButton->click();
        EXPECT_EQ(Ui.TranscriptionEdit->text(), "haʊs");
        EXPECT_EQ(Ui.StatusBar->currentMessage(),
                  "From the reference dictionary; check it before saving.");

        // Another word: its own senses; an inflected one says whose form it is.
        Ui.EnglishEdit->setText("ran");
        EXPECT_TRUE(Panel().HeaderLabel->text().startsWith("Reference: run "));
        EXPECT_TRUE(Panel().HeaderLabel->text().endsWith("(a form of run)"));
        Ui.EnglishEdit->setText("qwzxv");
        EXPECT_EQ(Panel().SenseList->count(), 0);
        EXPECT_EQ(Panel().HeaderLabel->text(), "\"qwzxv\" is not in the reference.");
        EXPECT_FALSE(Panel().TranscriptionButton->isVisible());
        Ui.EnglishEdit->setText("house");
        Ui.OKBitBtn->click();
        Ran = true;
    });
    Editor->ShowEditorFor("house");
    ASSERT_TRUE(Ran);
    const QList<TEnBgRecord> Entries = AllEntries();
    ASSERT_EQ(Entries.size(), 1);
    EXPECT_EQ(Entries[0].EnglishWord, "house");
    EXPECT_EQ(Entries[0].Transcription, "haʊs");
    EXPECT_EQ(Entries[0].BulgarianText.split(u'\n').size(), 2);
}

TEST_F(ReferencePanelTest, AnExistingWordOpensThePanelOnRequest)
{
    Add("ubiquitous", "вездесъщ", "", 3);
    Run(emEdit, [this](Ui::TEditForm& Ui) {
        EXPECT_FALSE(Panel().Panel->isVisible());
        EXPECT_EQ(Editor->height(), 323);
        ASSERT_TRUE(Panel().ToggleButton->isVisible());
        const QRect Bulgarian = Ui.BulgarianGroupBox->geometry();
        Panel().ToggleButton->click();
        EXPECT_TRUE(Panel().Panel->isVisible());
        EXPECT_EQ(Editor->height(), 323 + 132);
        EXPECT_EQ(Ui.BulgarianGroupBox->geometry(), Bulgarian) << "the panel takes the new room";
        ASSERT_TRUE(WaitUntil([&] { return Panel().SenseList->count() == 2; }, 60000));
        EXPECT_EQ(Panel().TranscriptionButton->text(), "[juˋbɪkwɪtəs]");
        // Replacing a transcription is asked first, as Suggest does.
        Ui.TranscriptionEdit->setText("mine");
        TMessageBox::SetNextAnswer(QMessageBox::No);
        Panel().TranscriptionButton->click();
        EXPECT_EQ(Ui.TranscriptionEdit->text(), "mine");
        EXPECT_EQ(TMessageBox::Answered().last().Caption, "Reference");
        Panel().ToggleButton->click();
        EXPECT_FALSE(Panel().Panel->isVisible());
        EXPECT_EQ(Editor->height(), 323);
    });
}

TEST_F(ReferencePanelTest, ADamagedDictionarySaysSoAndTheEditorWorksOn)
{
    const QString Index = Dir.filePath("broken.index");
    QFile F(Index);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write("this is not\na dictd index\n");
    F.close();
    QFile D(Dir.filePath("broken.dict"));
    ASSERT_TRUE(D.open(QIODevice::WriteOnly));
    D.close();
    TReference::SetDefaultIndexPath(Index);
    Run(emNew, [&](Ui::TEditForm& Ui) {
        ASSERT_TRUE(WaitUntil(
            [&] { return TReference::Shared()->State() == TReference::TState::Failed; }, 60000));
        EXPECT_TRUE(Panel().HeaderLabel->text().contains("broken.index is damaged or not a dictd"))
            << Panel().HeaderLabel->text().toStdString();
        EXPECT_EQ(Panel().SenseList->count(), 0);
        Ui.EnglishEdit->setText("word");
        Ui.BulgarianMemo->setPlainText("дума");
        Ui.OKBitBtn->click();
    });
    ASSERT_EQ(AllEntries().size(), 1);
}

TEST_F(ReferencePanelTest, WithoutTheDictionaryTheEditorIsAsBefore)
{
    TReference::SetDefaultIndexPath(Dir.filePath("not-installed.index"));
    Run(emNew, [this](Ui::TEditForm&) {
        EXPECT_FALSE(Panel().Panel->isVisible());
        EXPECT_FALSE(Panel().ToggleButton->isVisible());
        EXPECT_FALSE(Panel().TranscriptionButton->isVisible());
        EXPECT_EQ(Editor->size(), QSize(472, 323));
        EXPECT_EQ(TReference::Shared()->State(), TReference::TState::Missing);
    });
}

} // namespace
