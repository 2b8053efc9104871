// The main window's Speak command, the not-found hint of the search and the Add command.

#include "AdminFormFixture.h"
#include "tests/support/KeyboardAccess.h"
#include "tests/support/WaitUntil.h"

#include "app/TLookUp.h"

#include "app/TLearnNotes.h"

#include "editor/TEditForm.h"
#include "speech/TSpeaker.h"
#include "tests/speech/MemoryOutput.h"
#include "ui_TEditForm.h"

#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {

QString Hint(const TAdminForm& Form)
{
    return Form.StatusPanel->text();
}

TEST_F(AdminFormTest, SearchThatFallsBackSaysSoAndOffersTheWord)
{
    Open(Fruits);
    struct TCase
    {
        QString Typed;
        QString Hint; // empty: found
        QString Found;
    };
    const TCase Cases[] = {
        {"ban", "", "banana"},
        {"  BAND ", "", "band"},
        {"apx", "\"apx\" not found — nearest: \"ap…\"", "apple"},
        {"Cz", "\"Cz\" not found — nearest: \"C…\"", "cherry"},
        {"quixotic", "\"quixotic\" not found", "cherry"},
        {"R&D", "\"R&D\" not found", "cherry"}, // the "&" is the word's, no Alt letter
        {"", "", "cherry"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Typed.toStdString());
        UI(Form, SearchEdit)->setText(C.Typed);
        EXPECT_EQ(CurrentWord(), C.Found);
        EXPECT_EQ(Hint(*Form), C.Hint);
        EXPECT_EQ(Form->Speech->AddMissingAction->isVisible(), !C.Hint.isEmpty());
        EXPECT_EQ(Form->Speech->AddMissingButton->isVisibleTo(Form.get()), !C.Hint.isEmpty());
        if (!C.Hint.isEmpty()) {
            const QString Caption = QStringLiteral("Add \"%1\"…").arg(C.Typed.trimmed());
            EXPECT_EQ(KeyboardAccess::Plain(Form->Speech->AddMissingAction->text()), Caption);
            EXPECT_EQ(KeyboardAccess::Plain(Form->Speech->AddMissingButton->text()), Caption);
        }
    }
    // Moving to another entry ends the hint.
    UI(Form, SearchEdit)->setText("apx");
    ASSERT_FALSE(Hint(*Form).isEmpty());
    UI(Form, NavLast)->click();
    EXPECT_EQ(Hint(*Form), "");
    EXPECT_FALSE(Form->Speech->AddMissingAction->isVisible());
}

// A long missing word: the Add button stays wholly in the status bar, its caption shortened in
// the middle, and its tip says the whole caption.
TEST_F(AdminFormTest, LongAddCaptionGivesWayInTheMiddleAndShowsItAllAsItsTip)
{
    Open(Fruits);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    // The longest word the store takes.
    UI(Form, SearchEdit)->setText("pragmatic approaches in writing");
    ASSERT_TRUE(Form->Speech->AddMissingButton->isVisible());
    const QString Full = QStringLiteral("Add \"pragmatic approaches in writi…\"…");
    ASSERT_EQ(Form->Speech->AddMissingButton->text(), Full);
    for (const int Width : {Form->width(), Form->minimumWidth()}) {
        SCOPED_TRACE(Width);
        Form->resize(Width, Form->height());
        QTest::qWait(0);
        QCoreApplication::processEvents();
        TElidedToolButton* Button = Form->Speech->AddMissingButton;
        // Inside the status bar, and the text painted fits the button.
        EXPECT_LE(Button->geometry().right(), UI(Form, StatusBar)->contentsRect().right());
        const QString Shown = Button->ShownText();
        EXPECT_LE(Button->fontMetrics().horizontalAdvance(Shown), Button->width());
        if (Shown == Full)
            continue;
        EXPECT_TRUE(Shown.startsWith("Add \"")) << Shown.toStdString();
        EXPECT_TRUE(Shown.endsWith("…")) << Shown.toStdString();
        EXPECT_LT(Shown.size(), Full.size()) << Shown.toStdString();
        QHelpEvent Tip(QEvent::ToolTip, Button->rect().center(),
                       Button->mapToGlobal(Button->rect().center()));
        QCoreApplication::sendEvent(Button, &Tip);
        EXPECT_EQ(QToolTip::text(), Full);
    }
    EXPECT_NE(Form->Speech->AddMissingButton->ShownText(), Full)
        << "the narrow window shortened nothing: " << Form->width() << " "
        << UI(Form, StatusBar)->width() << " " << Form->Speech->AddMissingButton->width();
}

TEST_F(AdminFormTest, CapturedWordThatIsMissingIsHintedToo)
{
    Open(Fruits);
    Form->LookUps->LookUpText("quest\r\nsecond line");
    EXPECT_EQ(Hint(*Form), "\"quest\" not found");
    Form->LookUps->LookUpText("bandana");
    EXPECT_EQ(Hint(*Form), "\"bandana\" not found — nearest: \"band…\"");
    EXPECT_EQ(CurrentWord(), "band");
    Form->LookUps->LookUpText("cherry");
    EXPECT_EQ(Hint(*Form), "");
}

TEST_F(AdminFormTest, AddOpensTheEditorWithTheMissingWord)
{
    Open(Fruits);
    Form->EditForm = new TEditForm(&Form->Store, Form.get());
    // The menu holds the commands.
    const QList<QAction*> File = UI(Form, File1)->actions();
    EXPECT_EQ(File.indexOf(Form->Speech->AddMissingAction), File.indexOf(UI(Form, New)) + 1);
    EXPECT_EQ(File.indexOf(Form->Speech->SpeakAction), File.indexOf(UI(Form, Delete)) + 1);
    EXPECT_EQ(Form->Speech->SpeakAction->shortcut(), QKeySequence(Qt::Key_F8));

    UI(Form, SearchEdit)->setText("quixotic");
    QString Shown;
    QTimer::singleShot(0, Form.get(), [&] {
        Shown = Form->EditForm->ui->EnglishEdit->text();
        Form->EditForm->ui->BulgarianMemo->setPlainText("донкихотски");
        Form->EditForm->OKBitBtnClick();
    });
    Form->Speech->AddMissingButton->click();
    EXPECT_EQ(Shown, "quixotic");
    EXPECT_TRUE(Form->NoDialogOpen());
    EXPECT_EQ(Table()->RecordCount(), 6);
    EXPECT_EQ(Hint(*Form), "");
    EXPECT_FALSE(Form->Speech->AddMissingAction->isVisible());
    UI(Form, SearchEdit)->setText("quix");
    EXPECT_EQ(CurrentWord(), "quixotic");
    EXPECT_EQ(Hint(*Form), "");
}

// Speak says the word of the search box; the first failure to speak is told in a box, later
// ones in the status bar only.
TEST_F(AdminFormTest, SpeakSaysTheWordAndReportsAMissingDeviceOnce)
{
    Open(Fruits);
    TRecording Rec;
    TSpeaker* Speaker = TSpeaker::Shared();
    Speaker->SetOutputFactory(MemoryOutputFactory(Rec));
    int Done = 0;
    const QMetaObject::Connection Counting =
        QObject::connect(Speaker, &TSpeaker::Finished, Form.get(), [&] { ++Done; });
    const auto Wait = [&](int Count) { return WaitUntil([&] { return Done >= Count; }); };

    UI(Form, SearchEdit)->setText("apple");
    Form->Speech->SpeakAction->trigger();
    ASSERT_TRUE(Wait(1));
    EXPECT_GT(Rec.Peak(), 3000);
    EXPECT_GT(Rec.Seconds(), 0.2);

    Speaker->SetOutputFactory(
        [] { return CreateDeviceOutput(QStringLiteral("vexlo-no-such-device")); });
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    Form->Speech->SpeakAction->trigger();
    ASSERT_TRUE(Wait(2));
    ASSERT_EQ(TMessageBox::Answered().size(), 1);
    EXPECT_EQ(TMessageBox::Answered()[0].Caption, "Speak");
    EXPECT_TRUE(TMessageBox::Answered()[0].Text.contains("sound device"));
    Form->Speech->SpeakAction->trigger();
    ASSERT_TRUE(Wait(3));
    EXPECT_EQ(TMessageBox::Answered().size(), 1);
    EXPECT_TRUE(Hint(*Form).contains("sound device")) << Hint(*Form).toStdString();
    Speaker->SetOutputFactory({});
    QObject::disconnect(Counting);
}

// A note says its word when the options ask for it, in the chosen voice; otherwise it is silent.
TEST_F(AdminFormTest, NotesSayTheirWordWhenAskedTo)
{
    Open({{"serendipity", "щастливо откритие"}});
    Form->Notes->NoteLibrary = {[] { return true; }, [](const void*, const char16_t*, const char16_t*,
                                                 const char16_t*, int32_t) {}};
    TRecording Rec;
    TSpeaker* Speaker = TSpeaker::Shared();
    Speaker->SetOutputFactory(MemoryOutputFactory(Rec));
    for (bool Speaks : {false, true}) {
        SCOPED_TRACE(Speaks);
        Form->AppSettings->Speech.NotesSpeak = Speaks;
        Form->AppSettings->Speech.Voice = TSpeechVoice::American;
        Form->Notes->ShowRandomNote();
        if (!Speaks) {
            EXPECT_FALSE(Speaker->IsSpeaking()); // nothing was asked for
        }
        WaitUntil([&] { return !Speaker->IsSpeaking() && Rec.Opened >= int(Speaks); });
        EXPECT_EQ(Rec.Opened, Speaks ? 1 : 0);
    }
    EXPECT_GT(Rec.Seconds(), 0.5);
    EXPECT_GT(Rec.Peak(), 3000);
    Speaker->SetOutputFactory({});
}

} // namespace
