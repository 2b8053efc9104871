// The find window: fields, whole words, the list, Stop and the chosen entry.

#include "tests/store/StoreTestSupport.h"
#include "tests/support/WaitUntil.h"

#include "finder/TFindForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace {

class FindFormTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        Store->AppendEntry(MakeEntry("house", 0, "къща\r\nдом", "haʊs"));
        Store->AppendEntry(MakeEntry("home", 0, "дом", "həʊm"));
        Store->AppendEntry(MakeEntry("domestic", 0, "домашен", "dəˈmestɪk"));
        Form = std::make_unique<TFindForm>(Store);
    }
    QStringList Listed() const
    {
        QStringList Rows;
        for (int Row = 0; Row < Form->ResultList->rowCount(); ++Row)
            Rows << Form->ResultList->item(Row, 0)->text() + "|" +
                        Form->ResultList->item(Row, 1)->text() + "|" +
                        Form->ResultList->item(Row, 2)->text();
        return Rows;
    }
    void Find(const QString& Text, int FieldIndex, bool Whole)
    {
        Form->FindEdit->setText(Text);
        Form->FieldBox->setCurrentIndex(FieldIndex);
        Form->WholeWordsBox->setChecked(Whole);
        QTest::keyClick(Form->FindEdit, Qt::Key_Return);
        ASSERT_TRUE(WaitUntil([this] { return !Form->Running(); }));
    }
    std::unique_ptr<TFindForm> Form;
};

TEST_F(FindFormTest, ListsWhatEachFieldChoiceFinds)
{
    Find("дом", 0, false); // everywhere
    EXPECT_EQ(Listed(), (QStringList{"house|Bulgarian|къща…", "home|Bulgarian|дом",
                                     "domestic|Bulgarian|домашен"}));
    EXPECT_EQ(Form->CountLabel->text(), "3 found");
    Find("ДОМ", 3, true); // Bulgarian, whole words
    EXPECT_EQ(Listed(), (QStringList{"house|Bulgarian|къща…", "home|Bulgarian|дом"}));
    Find("dom", 1, false); // English
    EXPECT_EQ(Listed(), (QStringList{"domestic|English|domestic"}));
    Find("ʊ", 2, false); // transcription
    EXPECT_EQ(Listed(), (QStringList{"house|Transcription|haʊs", "home|Transcription|həʊm"}));
    Find("nothing", 0, false);
    EXPECT_EQ(Form->CountLabel->text(), "Nothing found");
    EXPECT_TRUE(Listed().isEmpty());
}

TEST_F(FindFormTest, ChoosingAnEntryReportsItsId)
{
    QSignalSpy Chosen(Form.get(), &TFindForm::EntryChosen);
    Find("домашен", 0, false);
    ASSERT_EQ(Form->ResultList->rowCount(), 1);
    Form->ResultList->setCurrentCell(0, 0);
    QTest::keyClick(Form->ResultList, Qt::Key_Return);
    ASSERT_EQ(Chosen.size(), 1);
    EXPECT_EQ(Chosen.first().at(0).toInt(), 3);
}

TEST_F(FindFormTest, StopEndsTheSearchAtOnce)
{
    // The search cannot finish before the event loop runs: its results come through it.
    Form->FindEdit->setText("дом");
    Form->FindExecute();
    ASSERT_TRUE(Form->Running());
    EXPECT_TRUE(Form->StopButton->isEnabled());
    Form->StopButton->click();
    EXPECT_FALSE(Form->Running());
    EXPECT_FALSE(Form->StopButton->isEnabled());
    EXPECT_EQ(Form->CountLabel->text(), "Stopped: 0 found so far");
    // Nothing of the stopped search arrives later; the next one lists only its own.
    Find("къща", 0, false);
    EXPECT_EQ(Listed(), (QStringList{"house|Bulgarian|къща…"}));
}

} // namespace
