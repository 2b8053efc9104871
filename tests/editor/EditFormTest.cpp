#include "editor/TEditForm.h"

#include "ui_TEditForm.h"

#include "widgets/TMessageBox.h"
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

namespace {

QApplication* TestApp()
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
        Path = Dir.filePath(QStringLiteral("vocabulary.db"));
        TDataFileTool::CreateEmptyDataFile(Path);
        Store = std::make_unique<TScreenSaverDataModule>();
        QStringList Messages;
        Store->OpenDataFile(Path, Messages);
        ASSERT_TRUE(Store->ADOTable->Active()) << Messages.join(u'\n').toStdString();
        Main.setGeometry(100, 80, 800, 600);
        Main.show();
        Editor = std::make_unique<TEditForm>(&Main);
    }
    void TearDown() override
    {
        Editor.reset();
        TMessageBox::ClearAnswers();
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

TEST_F(EditFormTest, PaletteCharacters)
{
    const char16_t Expected[] = u"\u028C\u0259\u0254\u00E6\u025B\u025C\u014B\u0292\u0283\u03B8"
                                u"\u00F0\u02CB";
    for (int Column = 0; Column < 12; ++Column)
        EXPECT_EQ(TEditForm::TranscriptChar(Column).unicode(), Expected[Column]) << Column;
    EXPECT_EQ(TEditForm::TranscriptChar(-1).unicode(), 0);
    EXPECT_EQ(TEditForm::TranscriptChar(12).unicode(), 0);
}

TEST_F(EditFormTest, NewEntryIsStoredAsTyped)
{
    Add(QStringLiteral("old"), QStringLiteral("стар"), QString(), 1);
    // An edit opening first, so that the new opening has something to clear.
    Run(emEdit, [](Ui::TEditForm&) {});
    Run(emNew, [this](Ui::TEditForm& Ui) {
        EXPECT_EQ(Editor->windowTitle(), QStringLiteral("New Data"));
        EXPECT_TRUE(Ui.EnglishEdit->text().isEmpty());
        EXPECT_TRUE(Ui.TranscriptionEdit->text().isEmpty());
        EXPECT_TRUE(Ui.BulgarianMemo->toPlainText().isEmpty());
        EXPECT_EQ(Ui.LevelEdit->text(), QStringLiteral("0"));
        EXPECT_EQ(Editor->focusWidget(), Ui.EnglishEdit);

        QTest::keyClicks(Ui.EnglishEdit, QStringLiteral(" new word "));
        QTest::keyClicks(Ui.TranscriptionEdit, QStringLiteral("nju:"));
        Ui.BulgarianMemo->setPlainText(QStringLiteral("нова дума\nвтори ред"));
        for (int I = 0; I < 3; ++I)
            Ui.LevelUpDown->UpButton()->click();
        Ui.OKBitBtn->click();
    });
    EXPECT_FALSE(Editor->isVisible());
    ASSERT_EQ(Store->GetEntryCount(), 2);
    TEnBgRecord Rec;
    Store->ReadCurrentEntry(Rec);
    EXPECT_EQ(Rec.EnglishWord, QStringLiteral(" new word ")); // blanks around it are kept
    EXPECT_EQ(Rec.BulgarianText, QStringLiteral("нова дума\r\nвтори ред"));
    EXPECT_EQ(Rec.Transcription, QStringLiteral("nju:"));
    EXPECT_EQ(Rec.WordLevel, 3);
    EXPECT_EQ(Store->GetMaxID(), 2);
}

// While typing, the status bar says how long the field is and how long it may be, in red past
// the limit (counted as stored: a line break of the Bulgarian text is two characters); Ctrl+Enter
// is OK from any field, also from the Bulgarian text where Enter starts a new line.
TEST_F(EditFormTest, FieldLengthsShowWhileTypingAndCtrlEnterIsOk)
{
    Run(emNew, [this](Ui::TEditForm& Ui) {
        auto* Count = Editor->findChild<QLabel*>(QStringLiteral("FieldCountLabel"));
        ASSERT_NE(Count, nullptr);
        // Focus changes and window shortcuts need the dialog to be the active window.
        Editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Editor.get()));
        struct TCase
        {
            QWidget* Field;
            QString Typed;
            QString Shown;
            bool Over;
        };
        const TCase Cases[] = {
            {Ui.EnglishEdit, QString(30, u'a'), QStringLiteral("English: 30 of 30"), false},
            {Ui.EnglishEdit, QStringLiteral("b"), QStringLiteral("English: 31 of 30"), true},
            {Ui.TranscriptionEdit, QStringLiteral("\u02C8\u00E6p"),
             QStringLiteral("Transcription: 3 of 30"), false},
            {Ui.BulgarianMemo, QString(), QStringLiteral("Bulgarian: 0 of 255"), false},
        };
        for (const TCase& C : Cases) {
            SCOPED_TRACE(C.Shown.toStdString());
            C.Field->setFocus(Qt::TabFocusReason);
            // Key events carry ASCII only; other characters come as typed text would.
            if (auto* Line = qobject_cast<QLineEdit*>(C.Field); Line && C.Typed.size() == 3)
                Line->insert(C.Typed);
            else
                QTest::keyClicks(C.Field, C.Typed);
            EXPECT_EQ(Count->text(), C.Shown);
            EXPECT_EQ(Count->property("OverLimit").toBool(), C.Over);
        }
        Ui.BulgarianMemo->insertPlainText(QStringLiteral("ябълка"));
        QTest::keyClick(Ui.BulgarianMemo, Qt::Key_Return);
        Ui.BulgarianMemo->insertPlainText(QStringLiteral("плод"));
        EXPECT_EQ(Count->text(), QStringLiteral("Bulgarian: 12 of 255"));

        // Too long a word: Ctrl+Enter asks the store as OK does, which refuses it.
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        QTest::keyClick(Ui.BulgarianMemo, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(Editor->isVisible());
        EXPECT_EQ(TMessageBox::Answered().size(), 1);
        Ui.EnglishEdit->setText(QStringLiteral("apple"));
        QTest::keyClick(Ui.BulgarianMemo, Qt::Key_Enter, Qt::ControlModifier);
    });
    EXPECT_FALSE(Editor->isVisible());
    ASSERT_EQ(Store->GetEntryCount(), 1);
    TEnBgRecord Rec;
    Store->ReadCurrentEntry(Rec);
    EXPECT_EQ(Rec.EnglishWord, QStringLiteral("apple"));
    EXPECT_EQ(Rec.BulgarianText, QStringLiteral("ябълка\r\nплод"));
}

TEST_F(EditFormTest, BlankWordIsRefusedAndKeepsTheInput)
{
    for (const QString& Word : {QString(), QStringLiteral("   "), QStringLiteral("\t \t")}) {
        SCOPED_TRACE(Word.toStdString());
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        const bool StillOpen = Run(emNew, [&](Ui::TEditForm& Ui) {
            Ui.EnglishEdit->setText(Word);
            Ui.BulgarianMemo->setPlainText(QStringLiteral("нещо"));
            Ui.OKBitBtn->click();
            EXPECT_EQ(Ui.EnglishEdit->text(), Word);
            EXPECT_EQ(Ui.BulgarianMemo->toPlainText(), QStringLiteral("нещо"));
        });
        EXPECT_TRUE(StillOpen);
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_EQ(TMessageBox::Answered()[0].Caption, QStringLiteral("Error"));
        EXPECT_EQ(TMessageBox::Answered()[0].Text, QStringLiteral("Enter valid word"));
        EXPECT_EQ(TMessageBox::Answered()[0].Icon, QMessageBox::Critical);
        EXPECT_EQ(Store->GetEntryCount(), 0);
    }
}

// A word longer than its field is refused by the store: its message is shown and the dialog stays
// open with everything typed, so that nothing is lost.
TEST_F(EditFormTest, TextTheStoreRefusesKeepsTheDialogOpen)
{
    Add(QStringLiteral("keep"), QStringLiteral("пази"), QStringLiteral("ki:p"), 2);
    const QString TooLong(31, u'w');
    for (TEditMode Mode : {emNew, emEdit}) {
        SCOPED_TRACE(int(Mode));
        TMessageBox::ClearAnswers();
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        const bool StillOpen = Run(Mode, [&](Ui::TEditForm& Ui) {
            Ui.EnglishEdit->setText(TooLong);
            Ui.TranscriptionEdit->setText(QStringLiteral("t"));
            Ui.BulgarianMemo->setPlainText(QStringLiteral("ред"));
            Ui.OKBitBtn->click();
            EXPECT_EQ(Ui.EnglishEdit->text(), TooLong);
            EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("t"));
            EXPECT_EQ(Ui.BulgarianMemo->toPlainText(), QStringLiteral("ред"));
        });
        EXPECT_TRUE(StillOpen);
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_EQ(TMessageBox::Answered()[0].Icon, QMessageBox::Critical);
        EXPECT_TRUE(TMessageBox::Answered()[0].Text.contains(QStringLiteral("30")))
            << TMessageBox::Answered()[0].Text.toStdString();
        ASSERT_EQ(Store->GetEntryCount(), 1);
        TEnBgRecord Rec;
        Store->ReadCurrentEntry(Rec);
        EXPECT_EQ(Rec.EnglishWord, QStringLiteral("keep"));
    }
}

TEST_F(EditFormTest, EditShowsTrimmedLinesAndUpdatesInPlace)
{
    Add(QStringLiteral("apple"), QStringLiteral("  ябълка \r\n\tплод  \r\n"),
        QStringLiteral("\u00E6pl"), 4);
    Add(QStringLiteral("banana"), QStringLiteral("банан"), QString(), 1);
    Store->ADOTable->First(); // apple
    Run(emEdit, [this](Ui::TEditForm& Ui) {
        EXPECT_EQ(Editor->windowTitle(), QStringLiteral("Edit Data"));
        EXPECT_EQ(Ui.EnglishEdit->text(), QStringLiteral("apple"));
        EXPECT_EQ(Ui.EnglishEdit->cursorPosition(), 5);
        EXPECT_FALSE(Ui.EnglishEdit->hasSelectedText());
        EXPECT_EQ(Ui.BulgarianMemo->toPlainText(), QStringLiteral("ябълка\nплод"));
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("\u00E6pl"));
        EXPECT_EQ(Ui.LevelEdit->text(), QStringLiteral("4"));
        EXPECT_EQ(Ui.LevelUpDown->Position(), 4);
        Ui.LevelUpDown->DownButton()->click();
        Ui.OKBitBtn->click();
    });
    ASSERT_EQ(Store->GetEntryCount(), 2);
    TEnBgRecord Rec;
    Store->ReadCurrentEntry(Rec);
    EXPECT_EQ(Rec.EnglishWord, QStringLiteral("apple"));
    EXPECT_EQ(Rec.BulgarianText, QStringLiteral("ябълка\r\nплод")); // stored as shown
    EXPECT_EQ(Rec.WordLevel, 3);
}

TEST_F(EditFormTest, CancelAndEscapeLeaveTheStoreUnchanged)
{
    Add(QStringLiteral("stay"), QStringLiteral("остани"), QString(), 5);
    for (int Way = 0; Way < 2; ++Way) {
        SCOPED_TRACE(Way);
        const bool StillOpen = Run(emEdit, [&](Ui::TEditForm& Ui) {
            Ui.EnglishEdit->setText(QStringLiteral("changed"));
            Ui.LevelUpDown->UpButton()->click();
            if (Way == 0)
                Ui.CancelBitBtn->click();
            else
                QTest::keyClick(Ui.EnglishEdit, Qt::Key_Escape);
        });
        EXPECT_FALSE(StillOpen);
        TEnBgRecord Rec;
        Store->ReadCurrentEntry(Rec);
        EXPECT_EQ(Rec.EnglishWord, QStringLiteral("stay"));
        EXPECT_EQ(Rec.WordLevel, 5);
        EXPECT_EQ(Store->GetEntryCount(), 1);
    }
}

// Another program changes the file while the editor is open. The first OK saves nothing and says
// so; a second OK changes the entry the editor was opened for when it is still there, and adds
// what was typed as a new word when it is gone, never touching whichever entry is current then.
TEST_F(EditFormTest, AnotherProgramsChangeNeverRedirectsTheEdit)
{
    struct TCase
    {
        const char* OtherProgram;   // run by the sqlite3 shell while the editor is open
        const char* Title;          // the editor's caption after the first OK
        std::vector<std::pair<const char*, int>> After; // every entry (word, level) in ID order
    };
    const TCase Cases[] = {
        {"UPDATE English SET LEVEL = 9 WHERE ENAME = 'cherry';", "Edit Data",
         {{"apple", 1}, {"banana2", 7}, {"cherry", 9}}},
        {"DELETE FROM English WHERE ENAME = 'banana'; UPDATE English SET ID = ID - 1 WHERE ID > 2;",
         "New Data", {{"apple", 1}, {"cherry", 3}, {"banana2", 7}}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.OtherProgram);
        Store->DeleteAllEntries();
        Add(QStringLiteral("apple"), QStringLiteral("ябълка"), QString(), 1);
        Add(QStringLiteral("banana"), QStringLiteral("банан"), QString(), 2);
        Add(QStringLiteral("cherry"), QStringLiteral("череша"), QString(), 3);
        ASSERT_TRUE(Store->ADOTable->Locate(QStringLiteral("ENAME"), QStringLiteral("banana"), 0));
        TMessageBox::SetNextAnswer(QMessageBox::Ok);
        Run(emEdit, [&](Ui::TEditForm& Ui) {
            QProcess Shell;
            Shell.start(QStringLiteral("sqlite3"), {Path, QString::fromUtf8(Case.OtherProgram)});
            ASSERT_TRUE(Shell.waitForFinished(10000));
            ASSERT_EQ(Shell.exitCode(), 0) << Shell.readAllStandardError().toStdString();
            Ui.EnglishEdit->setText(QStringLiteral("banana2"));
            Ui.LevelEdit->setText(QStringLiteral("7"));
            Ui.LevelUpDown->SetPosition(7);
            Ui.OKBitBtn->click();
            ASSERT_TRUE(Editor->isVisible()); // nothing was saved, and the user was told
            EXPECT_EQ(Editor->windowTitle(), QString::fromUtf8(Case.Title));
            Ui.OKBitBtn->click();
        });
        ASSERT_EQ(TMessageBox::Answered().size(), 1);
        EXPECT_TRUE(TMessageBox::Answered().first().Text.contains(QStringLiteral("changed")))
            << TMessageBox::Answered().first().Text.toStdString();
        TMessageBox::ClearAnswers();
        std::vector<std::pair<std::string, int>> Actual, Expected;
        for (const auto& [Word, Level] : Case.After)
            Expected.emplace_back(Word, Level);
        QProcess Shell;
        Shell.start(QStringLiteral("sqlite3"),
                    {Path, QStringLiteral("SELECT ID, ENAME, LEVEL FROM English ORDER BY ID;")});
        ASSERT_TRUE(Shell.waitForFinished(10000));
        int ID = 0;
        for (const QByteArray& Line : Shell.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> Fields = Line.split('|');
            if (Fields.size() != 3)
                continue;
            EXPECT_EQ(Fields[0].toInt(), ++ID); // numbers stay 1..N
            Actual.emplace_back(Fields[1].toStdString(), Fields[2].toInt());
        }
        EXPECT_EQ(Actual, Expected);
    }
}

// The caret decides where the palette character goes; a selection is kept behind it.
TEST_F(EditFormTest, PaletteClickInsertsAtTheCaret)
{
    struct TCase
    {
        QString Text;
        int SelStart, SelLength; // a caret when SelLength is 0
        int Column;
        QString Expected;
        int Caret;
    };
    const QList<TCase> Cases = {
        {QString(), 0, 0, 0, QStringLiteral("\u028C"), 1},
        {QStringLiteral("ab"), 1, 0, 1, QStringLiteral("a\u0259b"), 2},
        {QStringLiteral("ab"), 2, 0, 11, QStringLiteral("ab\u02CB"), 3},
        {QStringLiteral("abcd"), 1, 2, 8, QStringLiteral("a\u0283bcd"), 2},
        {QStringLiteral("abcd"), 3, -2, 9, QStringLiteral("a\u03B8bcd"), 2}, // selected leftwards
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Expected.toStdString());
        Run(emNew, [&](Ui::TEditForm& Ui) {
            QLineEdit* Edit = Ui.TranscriptionEdit;
            Edit->setFocus();
            Edit->setText(C.Text);
            if (C.SelLength == 0)
                Edit->setCursorPosition(C.SelStart);
            else
                Edit->setSelection(C.SelStart, C.SelLength);
            ClickPalette(Ui, C.Column);
            EXPECT_EQ(Edit->text(), C.Expected);
            EXPECT_EQ(Edit->cursorPosition(), C.Caret);
            EXPECT_FALSE(Edit->hasSelectedText());
            EXPECT_EQ(Editor->focusWidget(), Edit);
        });
    }
}

TEST_F(EditFormTest, PaletteClickRightAfterAnEditOpeningGoesToTheStart)
{
    Add(QStringLiteral("this"), QStringLiteral("това"), QStringLiteral("is"), 0);
    Run(emEdit, [](Ui::TEditForm& Ui) {
        ClickPalette(Ui, 10);
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("\u00F0is"));
        EXPECT_EQ(Ui.TranscriptionEdit->cursorPosition(), 1);
        // Keyboard moves in the palette insert nothing.
        Ui.TranscriptStringGrid->setFocus();
        QTest::keyClick(Ui.TranscriptStringGrid, Qt::Key_Right);
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("\u00F0is"));
    });
}

TEST_F(EditFormTest, PaletteCellsAreDrawnWithTheCurrentCellGrey)
{
    Run(emNew, [](Ui::TEditForm& Ui) {
        QTableWidget* Grid = Ui.TranscriptStringGrid;
        Grid->setCurrentCell(0, 0);
        const QImage Image = Grid->viewport()->grab().toImage();
        const QRect First = Grid->visualRect(Grid->model()->index(0, 0));
        const QRect Second = Grid->visualRect(Grid->model()->index(0, 5));
        EXPECT_EQ(First.size(), QSize(17, 17));
        EXPECT_EQ(QColor(Image.pixel(First.right() - 1, First.bottom() - 1)),
                  QColor(0x80, 0x80, 0x80));
        EXPECT_EQ(QColor(Image.pixel(Second.right() - 1, Second.bottom() - 1)),
                  Grid->palette().color(QPalette::Base));
        // Some ink of the character in the grey cell.
        bool White = false;
        for (int X = First.left(); X <= First.right(); ++X)
            for (int Y = First.top(); Y <= First.bottom(); ++Y)
                White = White || QColor(Image.pixel(X, Y)).lightness() > 200;
        EXPECT_TRUE(White);
    });
}

TEST_F(EditFormTest, LevelMovesOnlyByTheUpDownWithinZeroToNine)
{
    Run(emNew, [](Ui::TEditForm& Ui) {
        EXPECT_TRUE(Ui.LevelEdit->isReadOnly());
        Ui.LevelEdit->setFocus();
        QTest::keyClicks(Ui.LevelEdit, QStringLiteral("7"));
        EXPECT_EQ(Ui.LevelEdit->text(), QStringLiteral("0"));
        Ui.LevelUpDown->DownButton()->click();
        EXPECT_EQ(Ui.LevelUpDown->Position(), 0);
        for (int I = 0; I < 12; ++I)
            Ui.LevelUpDown->UpButton()->click();
        EXPECT_EQ(Ui.LevelUpDown->Position(), 9);
        EXPECT_EQ(Ui.LevelEdit->text(), QStringLiteral("9"));
        QTest::keyClick(Ui.LevelEdit, Qt::Key_Down);
        EXPECT_EQ(Ui.LevelEdit->text(), QStringLiteral("8"));
    });
}

TEST_F(EditFormTest, CentresOnTheMainWindowKeptOnTheScreen)
{
    struct TCase
    {
        QRect Main;
        QPoint Offset; // of the dialog's outer top-left from the main window's, when it fits
        QPoint Corner; // else the frame's top-left corner, held inside the screen
    };
    // Both windows carry frames of the same width, so the offset does not depend on it. A main
    // window off the screen, or at the top of it and lower than the dialog (a first start), would
    // put the dialog's title bar off the screen: the frame is kept inside instead.
    const QRect Available = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint NoCorner(-1, -1);
    for (const TCase& C : {TCase{QRect(100, 80, 800, 600), QPoint(164, 138), NoCorner},
                           TCase{QRect(-500, -400, 301, 300), {}, Available.topLeft()},
                           TCase{QRect(Available.width() - 200, 0, 600, 150), {}, NoCorner}}) {
        Main.setGeometry(C.Main);
        Run(emNew, [&](Ui::TEditForm&) {
            const QRect Frame = Editor->frameGeometry();
            EXPECT_TRUE(Available.contains(Frame)) << C.Main.x();
            if (C.Offset != QPoint())
                EXPECT_EQ(Frame.topLeft() - Main.frameGeometry().topLeft(), C.Offset);
            else if (C.Corner != NoCorner)
                EXPECT_EQ(Frame.topLeft(), C.Corner);
            else // flush with the top and right edges
                EXPECT_EQ(Frame.topRight(), Available.topRight());
        });
    }
}

TEST_F(EditFormTest, HintsGoToTheOwnStatusBarAndOnlyTheBulgarianGroupGrows)
{
    Run(emNew, [this](Ui::TEditForm& Ui) {
        struct TCase
        {
            QWidget* Control;
            QString Hint;
        };
        for (const TCase& C : {TCase{Ui.OKBitBtn, QStringLiteral("Confirm changes")},
                               TCase{Ui.CancelBitBtn, QStringLiteral("Cancel changes")},
                               TCase{Ui.TranscriptStringGrid,
                                     QStringLiteral("Click here to add a special transcript char "
                                                    "to Transcription")}}) {
            QEnterEvent Enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(C.Control, &Enter);
            EXPECT_EQ(Ui.StatusBar->currentMessage(), C.Hint);
            EXPECT_TRUE(C.Control->toolTip().isEmpty());
            QEvent Leave(QEvent::Leave);
            QApplication::sendEvent(C.Control, &Leave);
            EXPECT_TRUE(Ui.StatusBar->currentMessage().isEmpty());
        }

        EXPECT_EQ(Editor->minimumSize(), QSize(472, 323));
        Editor->resize(700, 500);
        EXPECT_EQ(Ui.BulgarianGroupBox->geometry(), QRect(2, 104, 693, 338));
        EXPECT_EQ(Ui.OKBitBtn->geometry(), QRect(543, 447, 73, 25));
        EXPECT_EQ(Ui.CancelBitBtn->geometry(), QRect(621, 447, 73, 25));
        EXPECT_EQ(Ui.EnglishGroupBox->geometry(), QRect(2, 0, 233, 49));
        EXPECT_EQ(Ui.ComplexityGroupBox->geometry(), QRect(242, 0, 225, 49));
        EXPECT_EQ(Ui.TranscriptionGroupBox->geometry(), QRect(2, 52, 465, 49));
        EXPECT_EQ(Ui.StatusBar->geometry(), QRect(0, 481, 700, 19));
        EXPECT_GT(Ui.BulgarianMemo->height(), 300);
        Editor->resize(472, 323);
    });
}

TEST_F(EditFormTest, TabOrder)
{
    Run(emNew, [this](Ui::TEditForm& Ui) {
        Ui.OKBitBtn->setFocus();
        QStringList Order;
        for (int I = 0; I < 8; ++I) {
            QWidget* Focused = Editor->focusWidget();
            ASSERT_NE(Focused, nullptr);
            Order.append(Focused->objectName());
            QTest::keyClick(Focused, Qt::Key_Tab);
        }
        EXPECT_EQ(Order,
                  QStringList({"OKBitBtn", "CancelBitBtn", "EnglishEdit", "TranscriptionEdit",
                               "TranscriptStringGrid", "BulgarianMemo", "LevelEdit",
                               "SuggestBitBtn"}));
        EXPECT_EQ(Editor->focusWidget(), Ui.OKBitBtn);
        EXPECT_TRUE(Ui.OKBitBtn->isDefault());
    });
}

// Suggest asks the real espeak-ng library; a transcription already there is replaced only when
// the user says yes.
TEST_F(EditFormTest, SuggestFillsTheTranscriptionAndAsksBeforeReplacingOne)
{
    struct TCase
    {
        QString English, Typed;
        QMessageBox::StandardButton Answer; // NoButton: no question expected
        QString Expected;
    };
    const QList<TCase> Cases = {
        {QStringLiteral("water"), QString(), QMessageBox::NoButton, QStringLiteral("ˋwɔːtə")},
        {QStringLiteral(" ice cream "), QString(), QMessageBox::NoButton,
         QStringLiteral("ˋaɪs ˋkriːm")},
        {QStringLiteral("water"), QStringLiteral("wo:tə"), QMessageBox::No,
         QStringLiteral("wo:tə")},
        {QStringLiteral("water"), QStringLiteral("wo:tə"), QMessageBox::Yes,
         QStringLiteral("ˋwɔːtə")},
        {QStringLiteral("water"), QStringLiteral("ˋwɔːtə"), QMessageBox::NoButton,
         QStringLiteral("ˋwɔːtə")},
        {QStringLiteral("   "), QStringLiteral("keep"), QMessageBox::NoButton,
         QStringLiteral("keep")},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE((C.English + u'|' + C.Typed).toStdString());
        TMessageBox::ClearAnswers();
        if (C.Answer != QMessageBox::NoButton)
            TMessageBox::SetNextAnswer(C.Answer);
        Run(emNew, [&](Ui::TEditForm& Ui) {
            QApplication::setActiveWindow(Editor.get());
            Ui.EnglishEdit->setText(C.English);
            Ui.TranscriptionEdit->setText(C.Typed);
            // The shortcut, pressed where the user types the word.
            QTest::keyClick(Ui.EnglishEdit, Qt::Key_T, Qt::ControlModifier);
            EXPECT_EQ(Ui.TranscriptionEdit->text(), C.Expected);
        });
        EXPECT_EQ(TMessageBox::Answered().size(), C.Answer == QMessageBox::NoButton ? 0 : 1);
        if (!TMessageBox::Answered().isEmpty()) {
            EXPECT_EQ(TMessageBox::Answered()[0].Text,
                      QStringLiteral("Replace the transcription [wo:tə] with [ˋwɔːtə]?"));
        }
    }
}

TEST_F(EditFormTest, SuggestButtonKeepsItsPlaceAtTheBottomLeft)
{
    Run(emNew, [this](Ui::TEditForm& Ui) {
        EXPECT_EQ(Editor->SuggestBitBtn->geometry(), QRect(6, 270, 73, 25));
        Editor->resize(600, 400);
        EXPECT_EQ(Editor->SuggestBitBtn->geometry(), QRect(6, 347, 73, 25));
        Editor->resize(472, 323);
        Ui.EnglishEdit->setText(QStringLiteral("cat"));
        Editor->SuggestBitBtn->click();
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("kæt"));
        EXPECT_EQ(Ui.StatusBar->currentMessage(),
                  QStringLiteral("Suggested by espeak-ng; check it before saving."));
        // A phrase longer than the store's field is filled in all the same, with a warning.
        Ui.EnglishEdit->setText(QStringLiteral("the quick brown fox jumps over the lazy dog"));
        TMessageBox::SetNextAnswer(QMessageBox::Yes);
        Editor->SuggestBitBtn->click();
        EXPECT_GT(Ui.TranscriptionEdit->text().size(), 30);
        EXPECT_TRUE(Ui.StatusBar->currentMessage().endsWith(
            QStringLiteral("but a transcription holds 30; shorten it.")))
            << Ui.StatusBar->currentMessage().toStdString();
        // The palette keeps its twelve cells and its place.
        EXPECT_EQ(Ui.TranscriptStringGrid->geometry(), QRect(234, 17, 220, 22));
        EXPECT_EQ(Ui.TranscriptStringGrid->columnCount(), 12);
    });
}

// Codes after a backslash, typed as a user types them: the list pops up and Enter, Tab or Escape
// go to it, not to the dialog.
TEST_F(EditFormTest, BackslashCodesTypeThePhoneticSymbols)
{
    struct TKey
    {
        QString Text; // typed as characters
        Qt::Key Key;  // then this key, unless Qt::Key_unknown
    };
    struct TCase
    {
        QList<TKey> Keys;
        QString Expected;
    };
    const QList<TCase> Cases = {
        {{{QStringLiteral("\\ae"), Qt::Key_Return}}, QStringLiteral("æ")},
        {{{QStringLiteral("\\'"), Qt::Key_Enter}}, QStringLiteral("ˋ")},
        {{{QStringLiteral("\\sh"), Qt::Key_Tab}}, QStringLiteral("ʃ")},
        {{{QStringLiteral("\\'k\\ae"), Qt::Key_Return}, {QStringLiteral("t"), Qt::Key_unknown}},
         QStringLiteral("\\'kæt")},
        {{{QStringLiteral("\\A"), Qt::Key_Down}, {QString(), Qt::Key_Return}},
         QStringLiteral("ɑ")},
        {{{QStringLiteral("w\\aw:"), Qt::Key_unknown}}, QStringLiteral("w\\aw:")},
        {{{QStringLiteral("\\ae"), Qt::Key_Escape}}, QStringLiteral("\\ae")},
        {{{QStringLiteral("\\ch\\uh"), Qt::Key_Return}, {QStringLiteral("\\:"), Qt::Key_Return}},
         QStringLiteral("\\chʌː")},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Expected.toStdString());
        const bool StillOpen = Run(emNew, [&](Ui::TEditForm& Ui) {
            QApplication::setActiveWindow(Editor.get());
            Ui.TranscriptionEdit->setFocus();
            // The keys go where the keyboard goes: to the list while it shows.
            const auto Target = [&]() -> QWidget* {
                QWidget* Popup = QApplication::activePopupWidget();
                return Popup ? Popup : Ui.TranscriptionEdit;
            };
            for (const TKey& K : C.Keys) {
                for (QChar Ch : K.Text)
                    QTest::keyClick(Target(), Ch.toLatin1());
                if (K.Key != Qt::Key_unknown)
                    QTest::keyClick(Target(), K.Key);
            }
            EXPECT_EQ(Ui.TranscriptionEdit->text(), C.Expected);
            EXPECT_FALSE(Editor->PhoneticCompleter->popup()->isVisible());
        });
        EXPECT_TRUE(StillOpen);
        EXPECT_EQ(Store->GetEntryCount(), 0);
    }
}

TEST_F(EditFormTest, PaletteWorksFromTheKeyboard)
{
    Run(emNew, [this](Ui::TEditForm& Ui) {
        QApplication::setActiveWindow(Editor.get());
        Ui.TranscriptionEdit->setFocus();
        QTest::keyClicks(Ui.TranscriptionEdit, QStringLiteral("kt"));
        Ui.TranscriptionEdit->setCursorPosition(1);
        QTest::keyClick(Ui.TranscriptionEdit, Qt::Key_Tab);
        QTableWidget* Grid = Ui.TranscriptStringGrid;
        ASSERT_TRUE(Grid->hasFocus());
        // Arrows move and insert nothing; Space inserts and leaves the focus in the palette.
        for (int I = 0; I < 3; ++I)
            QTest::keyClick(Grid, Qt::Key_Right);
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("kt"));
        EXPECT_EQ(Grid->currentColumn(), 3);
        QTest::keyClick(Grid, Qt::Key_Space);
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("kæt"));
        EXPECT_TRUE(Grid->hasFocus());
        QTest::keyClick(Grid, Qt::Key_Left);
        QTest::keyClick(Grid, Qt::Key_Left);
        QTest::keyClick(Grid, Qt::Key_Space);
        EXPECT_EQ(Ui.TranscriptionEdit->text(), QStringLiteral("kæət"));
        EXPECT_EQ(Ui.TranscriptionEdit->cursorPosition(), 3);
    });
}

TEST_F(EditFormTest, ANewEntryCanStartWithItsWord)
{
    QTimer::singleShot(0, Editor.get(), [this] {
        EXPECT_EQ(Editor->windowTitle(), QStringLiteral("New Data"));
        EXPECT_EQ(Editor->ui->EnglishEdit->text(), QStringLiteral("quixotic"));
        EXPECT_EQ(Editor->ui->EnglishEdit->cursorPosition(), 8);
        Editor->ui->OKBitBtn->click();
    });
    Editor->ShowEditorFor(QStringLiteral("quixotic"));
    ASSERT_EQ(Store->GetEntryCount(), 1);
    // The next opening starts empty again.
    Run(emNew, [](Ui::TEditForm& Ui) { EXPECT_TRUE(Ui.EnglishEdit->text().isEmpty()); });
}

// The speaker at the end of the English field (and F8) says the word typed there, in memory here.
TEST_F(EditFormTest, SpeakSaysTheTypedWord)
{
    TRecording Rec;
    TSpeaker* Speaker = TSpeaker::Shared();
    Speaker->SetOutputFactory(MemoryOutputFactory(Rec));
    const auto WaitQuiet = [&] {
        for (int I = 0; I < 1000 && Speaker->IsSpeaking(); ++I)
            QTest::qWait(10);
    };
    Run(emNew, [&](Ui::TEditForm& Ui) {
        QApplication::setActiveWindow(Editor.get());
        Ui.EnglishEdit->setText(QStringLiteral("   "));
        Editor->SpeakAction->trigger();
        EXPECT_EQ(Ui.StatusBar->currentMessage(), QStringLiteral("Type the English word first."));
        EXPECT_FALSE(Speaker->IsSpeaking());
        Ui.EnglishEdit->setText(QStringLiteral("onomatopoeia"));
        QTest::keyClick(Ui.EnglishEdit, Qt::Key_F8);
        WaitQuiet();
    });
    EXPECT_EQ(Rec.Opened, 1);
    EXPECT_GT(Rec.Seconds(), 0.6);
    EXPECT_GT(Rec.Peak(), 3000);
    Speaker->SetOutputFactory({});
}

} // namespace
