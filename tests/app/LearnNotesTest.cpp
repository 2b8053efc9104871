// The learning-note timer of the main window with a hand-driven tick clock and a fake note library.

#include "AdminFormFixture.h"

#include "app/TLearnNotes.h"
#include "tests/support/KeyboardAccess.h"

#include "widgets/TDisplayText.h"
#include "widgets/TMenuImages.h"
#include "platform/TickClock.h"
#include "settings/TOptionsForm.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTimer>

#include <string>
#include <vector>

namespace {

// What the fake library was asked, in order.
struct TFakeNoteLibrary
{
    static inline std::vector<std::string> Calls;
    static inline bool CanShowAnswer = true;
    struct TNote
    {
        const void* Settings;
        const char16_t* English;
        QString EnglishText, BulgarianText, TranscriptionText;
        int32_t Level;
    };
    static inline std::vector<TNote> Notes;

    static bool CanShow()
    {
        Calls.push_back("CanShow");
        return CanShowAnswer;
    }
    static void ShowLearnForm(const void* Settings, const char16_t* English,
                              const char16_t* Bulgarian, const char16_t* Transcription,
                              int32_t Level)
    {
        Calls.push_back("ShowLearnForm");
        Notes.push_back({Settings, English, QString::fromUtf16(English),
                         QString::fromUtf16(Bulgarian), QString::fromUtf16(Transcription), Level});
    }
    static void Reset()
    {
        Calls.clear();
        Notes.clear();
        CanShowAnswer = true;
    }
};

class LearnNotesTest : public AdminFormTest
{
protected:
    void SetUp() override
    {
        AdminFormTest::SetUp();
        TFakeNoteLibrary::Reset();
        TickClock::SetTickSource([this] { return Now; });
    }
    void TearDown() override
    {
        AdminFormTest::TearDown();
        TickClock::SetTickSource({});
    }

    // Opens the window on Words with the fake library and notes on, the interval starting at Start.
    void OpenWithNotes(std::initializer_list<TWord> Words, int32_t Interval, uint32_t Start)
    {
        Now = Start;
        Open(Words);
        Form->Notes->NoteLibrary = {&TFakeNoteLibrary::CanShow, &TFakeNoteLibrary::ShowLearnForm};
        Form->AppSettings->SequenceInterval = Interval;
        Form->AppSettings->ResidentMode = true;
        Form->Notes->UpdateLearnMenuItem();
        Form->Notes->RestartLearnTimer();
    }

    uint32_t Now = 0;
};

TEST_F(LearnNotesTest, ChecksRunInTheirOrderAndEveryRunOutIntervalRestarts)
{
    struct TCase
    {
        const char* Name;
        int32_t Interval;
        uint32_t Start, Advance;
        bool DialogOpen, CanShow, EmptyStore;
        std::vector<std::string> Calls;
        bool Restarted; // a new interval began at the tick
    };
    const std::vector<std::string> None, AskOnly = {"CanShow"},
                                         Shown = {"CanShow", "ShowLearnForm"};
    const TCase Cases[] = {
        {"exactly the limit is not enough", 30, 1000, 30000, false, true, false, None, false},
        {"one millisecond more", 30, 1000, 30001, false, true, false, Shown, true},
        {"dialog open: CanShow not asked", 30, 1000, 30001, true, true, false, None, true},
        {"CanShow false", 30, 1000, 30001, false, false, false, AskOnly, true},
        {"empty store still asks CanShow", 30, 1000, 30001, false, true, true, AskOnly, true},
        {"across the wrap", 30, 0xFFFFF000u, 30001, false, true, false, Shown, true},
        {"exactly the limit across the wrap", 30, 0xFFFFFF00u, 30000, false, true, false, None,
         false},
        {"interval 0: every tick", 0, 5, 1, false, true, false, Shown, true},
        // 5,000,000 s do not fit 32 bits of milliseconds; they must not wrap into 705,032 s.
        {"huge interval", 5000000, 7, 705032705u, false, true, false, None, false},
        // A negative interval never runs out, however long it waits.
        {"negative interval", -3, 7, 1, false, true, false, None, false},
        {"negative interval, long wait", -1, 7, 0xFFFFFFF0u, false, true, false, None, false},
    };
    int Index = 0;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        TFakeNoteLibrary::Reset();
        DataFile = Dir.filePath(QString("case%1.mdb").arg(Index++));
        if (Case.EmptyStore)
            OpenWithNotes({}, Case.Interval, Case.Start);
        else
            OpenWithNotes(Fruits, Case.Interval, Case.Start);
        TFakeNoteLibrary::CanShowAnswer = Case.CanShow;
        HoldDialog(*Form, Case.DialogOpen);
        EXPECT_EQ(Form->Notes->LearnStartTick, Case.Start);
        Now = Case.Start + Case.Advance;
        Form->Notes->LearnTimerTimer();
        EXPECT_EQ(TFakeNoteLibrary::Calls, Case.Calls);
        EXPECT_EQ(Form->Notes->LearnStartTick, Case.Restarted ? Now : Case.Start);
    }
}

// An entry of megabytes written by another tool: the note gets what fits on it.
TEST_F(LearnNotesTest, NotesShowLongTextsCut)
{
    OpenWithNotes({{"tree", ""}}, 1, 100);
    QProcess Shell;
    Shell.start("sqlite3", {DataFile, "UPDATE English SET "
                                      "ENAME = 'tree' || replace(hex(zeroblob(500000)), '0', 'e'), "
                                      "BULG = replace(hex(zeroblob(500000)), '0', 'д') || "
                                      "replace(hex(zeroblob(5000)), '00', char(13, 10) || 'ред')"});
    ASSERT_TRUE(Shell.waitForFinished(30000));
    ASSERT_EQ(Shell.exitCode(), 0) << Shell.readAllStandardError().constData();
    Now += 1001;
    Form->Notes->LearnTimerTimer();
    ASSERT_EQ(TFakeNoteLibrary::Notes.size(), 1u);
    const auto& Note = TFakeNoteLibrary::Notes.front();
    EXPECT_LE(Note.EnglishText.size(), TDisplayText::WordChars);
    EXPECT_TRUE(Note.EnglishText.startsWith("treee"));
    EXPECT_LE(Note.BulgarianText.size(), TDisplayText::MemoChars + TDisplayText::MemoLines);
    EXPECT_TRUE(Note.BulgarianText.endsWith(QChar(0x2026)));
}

TEST_F(LearnNotesTest, NoteTextsStayAliveUntilTheNextNote)
{
    OpenWithNotes({{"tree", "дърво\r\nдървета"}}, 1, 100);
    Now += 1001;
    Form->Notes->LearnTimerTimer();
    ASSERT_EQ(TFakeNoteLibrary::Notes.size(), 1u);
    const auto& Note = TFakeNoteLibrary::Notes.front();
    EXPECT_EQ(Note.Settings, static_cast<const void*>(Form->AppSettings->NoteData()));
    EXPECT_EQ(Note.EnglishText, "tree");
    EXPECT_EQ(Note.BulgarianText, "дърво\r\nдървета");
    // An empty text is an empty string, not a null pointer.
    EXPECT_EQ(Note.TranscriptionText, "");
    EXPECT_NE(Form->Notes->NoteTranscription, nullptr);
    EXPECT_EQ(Note.Level, 1);
    // The library may read the pointers after the call: they are the window's NoteEntry.
    EXPECT_EQ(Note.English, Form->Notes->NoteEnglish);
    QCoreApplication::processEvents();
    EXPECT_EQ(QString::fromUtf16(Note.English), "tree");
    EXPECT_EQ(QString::fromUtf16(Form->Notes->NoteBulgarian), "дърво\r\nдървета");
    EXPECT_EQ(Form->Notes->NoteEntry.EnglishWord, "tree");
}

TEST_F(LearnNotesTest, StartStopItemSwitchesTheNotesAndTheFirstComesOneIntervalLater)
{
    Now = 500;
    Open(Fruits);
    Form->Notes->NoteLibrary = {&TFakeNoteLibrary::CanShow, &TFakeNoteLibrary::ShowLearnForm};
    using namespace TMenuImages;
    EXPECT_EQ(KeyboardAccess::Plain(Form->Tray->StartStopTMI->text()), "Start LM");
    EXPECT_EQ(Form->Tray->StartStopTMI->icon().cacheKey(), IconsListImage(iiStart).cacheKey());
    EXPECT_FALSE(Form->Notes->LearnTimer->isActive());

    Now = 9000;
    Form->Tray->StartStopTMI->trigger();
    EXPECT_TRUE(Form->AppSettings->ResidentMode);
    EXPECT_EQ(KeyboardAccess::Plain(Form->Tray->StartStopTMI->text()), "Stop LM");
    EXPECT_EQ(Form->Tray->StartStopTMI->icon().cacheKey(), IconsListImage(iiStop).cacheKey());
    EXPECT_TRUE(Form->Notes->LearnTimer->isActive());
    EXPECT_EQ(Form->Notes->LearnTimer->interval(), 1000);
    Now = 9000 + 30000;
    Form->Notes->LearnTimerTimer();
    EXPECT_TRUE(TFakeNoteLibrary::Calls.empty());
    Now += 1;
    Form->Notes->LearnTimerTimer();
    EXPECT_EQ(TFakeNoteLibrary::Notes.size(), 1u);

    Form->Tray->StartStopTMI->trigger();
    EXPECT_FALSE(Form->AppSettings->ResidentMode);
    EXPECT_EQ(KeyboardAccess::Plain(Form->Tray->StartStopTMI->text()), "Start LM");
    EXPECT_FALSE(Form->Notes->LearnTimer->isActive());
}

TEST_F(LearnNotesTest, ClosingTheOptionsRestartsTheNotesWhateverTheButton)
{
    Now = 100;
    Open(Fruits);
    Now = 7000;
    // The dialog switches the notes on, and is then cancelled: the settings are edited in place
    // only by OK, so this stands for what OK leaves behind.
    bool DialogSeen = false;
    QTimer::singleShot(0, Form.get(), [&] {
        DialogSeen = !Form->NoDialogOpen();
        Form->AppSettings->ResidentMode = true;
        if (auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            Dialog->reject();
    });
    UI(Form, Options)->trigger();
    EXPECT_TRUE(DialogSeen);
    EXPECT_EQ(KeyboardAccess::Plain(Form->Tray->StartStopTMI->text()), "Stop LM");
    EXPECT_TRUE(Form->Notes->LearnTimer->isActive());
    EXPECT_EQ(Form->Notes->LearnStartTick, 7000u);
}

TEST_F(LearnNotesTest, NoTimerWithoutAStore)
{
    SetAppSetting("Resident Mode", 1);
    SetDataFile(Dir.filePath("nowhere.mdb"));
    OpenForm();
    EXPECT_FALSE(Form->Notes->LearnTimer->isActive());
    EXPECT_FALSE(Form->Tray->TrayIcon->IsAdded());
}

TEST_F(LearnNotesTest, SavedResidentModeStartsTheTimer)
{
    SetAppSetting("Resident Mode", 1);
    Open(Fruits);
    EXPECT_TRUE(Form->Notes->LearnTimer->isActive());
    EXPECT_EQ(KeyboardAccess::Plain(Form->Tray->StartStopTMI->text()), "Stop LM");
}

} // namespace
