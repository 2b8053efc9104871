// The main window against texts and events from other programs: lookups that arrive while a
// dialog acts on an entry, texts far longer than a window can show, bursts of copies, and
// direction marks in copied text.

#include "AdminFormFixture.h"
#include "tests/support/WaitUntil.h"

#include "app/TLookUp.h"

#include "widgets/TDisplayText.h"
#include "app/TEnglishTableModel.h"
#include "editor/TEditForm.h"
#include "ui_TEditForm.h"

#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QTimer>

namespace {

const QString Ellipsis = QString(QChar(0x2026));

TEST(DisplayTextTest, CutsWhatCannotBeSeen)
{
    using namespace TDisplayText;
    struct TCase
    {
        const char* Name;
        QString Text;
        QString OneLine5; // OneLine(Text, 5)
        QString Lines2x4; // Lines(Text, 2 lines, 4 per line, 7 in all)
    };
    const QString Pair = QString::fromUtf16(u"abc\U0001F600z"); // a surrogate pair at 3..4
    const TCase Cases[] = {
        {"short", "abc", "abc", "abc"},
        {"exactly the limit", "abcde", "abcde", "abc" + Ellipsis},
        {"long line", "abcdefgh", "abcd" + Ellipsis, "abc" + Ellipsis},
        {"several lines", "ab\ncd\nef", "ab" + Ellipsis, "ab\ncd\n" + Ellipsis},
        {"CR LF kept", "ab\r\ncd", "ab" + Ellipsis, "ab\r\ncd"},
        {"long first of several", "abcdefgh\nx", "abcd" + Ellipsis, "abc" + Ellipsis + "\nx"},
        {"total cut, line break counted", "abcd\nefgh", "abcd" + Ellipsis, "abcd\ne" + Ellipsis},
        {"pair never split", Pair, "abc" + Ellipsis, "abc" + Ellipsis},
        {"empty", "", "", ""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        EXPECT_EQ(OneLine(C.Text, 5), C.OneLine5);
        EXPECT_EQ(Lines(C.Text, 2, 4, 7), C.Lines2x4);
    }
    EXPECT_EQ(WithoutBidiControls(QString::fromUtf16(
                  u"\u200Fband\u202E \u2067x\u2069\u061C\u200E\u202A\u202C\u2066\u2068")),
              "band x");
    EXPECT_EQ(WithoutBidiControls(QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD")),
              QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD"))
        << "letters of right-to-left scripts stay";
}

class HostileInputTest : public AdminFormTest
{
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        AdminFormTest::TearDown();
    }
    // Lets the window's wait for a quiet clipboard run out.
    void WaitForQuietClipboard()
    {
        ::WaitUntil([this] { return !Form->LookUps->ClipboardTimer->isActive(); }, 5000);
    }
    // The stored entry, read through the store (this moves the current entry).
    TEnBgRecord Entry(const QString& English)
    {
        TScreenSaverDataModule* M = ScreenSaverDataModule;
        for (Table()->First(); !Table()->Eof(); Table()->Next())
            if (M->ADOTableENAME->AsString() == English)
                return {English, M->ADOTableBULG->AsString(), M->ADOTableTRANS->AsString(), 1};
        return {};
    }
};

// A lookup handed over (or copied) while the word editor is open waits until it closes: OK
// changes the entry the editor was opened for, and only then is the text looked up.
TEST_F(HostileInputTest, EditorActsOnItsEntryWhatEverIsLookedUpMeanwhile)
{
    Open({{"abundant", "изобилен"}, {"advice", "съвет"}, {"apple", "ябълка"}});
    Form->EditForm = new TEditForm(&Form->Store, Form.get());
    UI(Form, SearchEdit)->setText("abundant");
    ASSERT_EQ(CurrentWord(), "abundant");
    QString CurrentInEditor;
    QTimer::singleShot(0, Form.get(), [&] {
        Form->LookUps->LookUpText("advice");
        const int Handled = Form->LookUps->ClipboardChangesHandled;
        QGuiApplication::clipboard()->setText("apple");
        // Once the copy has been handled (kept for after the editor), the entry is still the one
        // the editor was opened for.
        ::WaitUntil([&] { return Form->LookUps->ClipboardChangesHandled > Handled; }, 5000);
        CurrentInEditor = CurrentWord();
        Form->EditForm->ui->BulgarianMemo->setPlainText("много");
        Form->EditForm->OKBitBtnClick();
    });
    UI(Form, Redact)->trigger();
    EXPECT_EQ(CurrentInEditor, "abundant");
    // The last text that came in is looked up once the editor has closed.
    EXPECT_EQ(CurrentWord(), "apple");
    EXPECT_EQ(UI(Form, SearchEdit)->text(), "apple");
    EXPECT_EQ(Entry("abundant").BulgarianText, "много");
    EXPECT_EQ(Entry("advice").BulgarianText, "съвет");
    EXPECT_EQ(Entry("apple").BulgarianText, "ябълка");
}

// Texts of megabytes written by another tool: the windows show a cut copy, the store keeps them
// whole.
TEST_F(HostileInputTest, LongTextsAreShownCutAndKeptWhole)
{
    const QString Word = "a" + QString(2'000'000, 'w');
    QString Bulgarian = QString(300'000, QChar(0x0431));
    for (int I = 0; I < 1250; ++I)
        Bulgarian += "\r\nред";
    TDataFileTool::CreateEmptyDataFile(DataFile);
    {
        TScreenSaverDataModule Filler;
        QStringList Errors;
        Filler.OpenDataFile(DataFile, Errors);
        Filler.AppendEntry({"long", "", "", 1});
        Filler.CloseData();
    }
    // Written by another tool, which knows no limits.
    QProcess Shell;
    Shell.start("sqlite3", {DataFile, "UPDATE English SET "
                                      "ENAME = 'a' || replace(hex(zeroblob(1000000)), '0', 'w'), "
                                      "BULG = replace(hex(zeroblob(150000)), '0', 'б') || "
                                      "replace(hex(zeroblob(1250)), '00', char(13, 10) || 'ред'), "
                                      "TRANS = replace(hex(zeroblob(50000)), '0', 'e')"});
    ASSERT_TRUE(Shell.waitForFinished(30000));
    ASSERT_EQ(Shell.exitCode(), 0) << Shell.readAllStandardError().constData();
    SetDataFile(DataFile);
    OpenForm();
    ASSERT_TRUE(CurrentWord() == Word);
    Form->UpdateCaption(); // as after any move: the word goes into the search box
    EXPECT_LE(UI(Form, SearchEdit)->text().size(), TDisplayText::WordChars);
    EXPECT_TRUE(UI(Form, SearchEdit)->text().endsWith(Ellipsis)) << UI(Form, SearchEdit)->text().size();
    EXPECT_LE(UI(Form, TransDBEdit)->text().size(), TDisplayText::WordChars);
    const QString Memo = UI(Form, BulgarianDBMemo)->toPlainText();
    EXPECT_LE(Memo.size(), TDisplayText::MemoChars + TDisplayText::MemoLines);
    EXPECT_TRUE(Memo.endsWith(Ellipsis));
    const QString Cell = Form->GridModel->index(0, 0).data().toString();
    EXPECT_LE(Cell.size(), TDisplayText::WordChars);
    EXPECT_TRUE(Cell.startsWith("awww"));

    TMessageBox::SetNextAnswer(QMessageBox::No);
    UI(Form, Delete)->trigger();
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    EXPECT_LE(TMessageBox::Answered().first().Text.size(), TDisplayText::QuestionWordChars + 20);
    EXPECT_TRUE(TMessageBox::Answered().first().Text.startsWith("Delete the word AWWW"));

    // Nothing shown was written back.
    const TEnBgRecord Stored = Entry(Word);
    EXPECT_TRUE(Stored.EnglishWord == Word);
    EXPECT_TRUE(Stored.BulgarianText == Bulgarian);
    EXPECT_EQ(Stored.Transcription.size(), 100'000);
}

// A burst of copies looks up only its last text, once; direction marks never reach the box.
TEST_F(HostileInputTest, BurstsOfCopiesLookUpOnlyTheLastText)
{
    Open({{"apple", ""}, {"band", ""}, {"cherry", ""}});
    QStringList Searched;
    QObject::connect(UI(Form, SearchEdit), &QLineEdit::textChanged, Form.get(),
                     [&](const QString& Text) {
                         if (!Text.isEmpty())
                             Searched << Text;
                     });
    for (int I = 0; I < 200; ++I)
        QGuiApplication::clipboard()->setText(I % 2 ? "apple" : "band");
    QGuiApplication::clipboard()->setText(QString::fromUtf16(u"\u200F\u202Echerry\u202C"));
    EXPECT_TRUE(Searched.isEmpty()) << "nothing is looked up during the burst";
    WaitForQuietClipboard();
    EXPECT_EQ(Searched, QStringList{"cherry"});
    EXPECT_EQ(CurrentWord(), "cherry");
}

} // namespace
