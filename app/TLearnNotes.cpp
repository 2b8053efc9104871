#include "app/TLearnNotes.h"

#include "app/TReviewNotes.h"
#include "notecard/NoteCard.h"
#include "platform/TickClock.h"
#include "settings/TAppRegInfo.h"
#include "speech/TSpeaker.h"
#include "store/TScreenSaverDataModule.h"
#include "widgets/TDisplayText.h"
#include "widgets/TMenuImages.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

namespace {

const char16_t* NoteText(const QString& Text)
{
    return reinterpret_cast<const char16_t*>(Text.utf16());
}

} // namespace

TNoteLibrary TNoteLibrary::Default()
{
    return {&::CanShow, &::ShowLearnForm};
}

TLearnNotes::TLearnNotes(QObject* Parent, TScreenSaverDataModule& Store, QAction* StartStop)
    : QObject(Parent), FStore(Store), FStartStop(StartStop)
{
    Review = new TReviewNotes(Store, this);
    LearnTimer = new QTimer(this);
    LearnTimer->setObjectName("LearnTimer");
    LearnTimer->setInterval(1000);
    connect(LearnTimer, &QTimer::timeout, this, [this] {
        if (Guarded)
            Guarded([this] { LearnTimerTimer(); });
        else
            LearnTimerTimer();
    });
    connect(FStartStop, &QAction::triggered, this, &TLearnNotes::StartStopTMIClick);
}

void TLearnNotes::UpdateLearnMenuItem()
{
    using namespace TMenuImages;
    const bool On = Settings && Settings->ResidentMode;
    FStartStop->setText(On ? QCoreApplication::translate("TLearnNotes", "&Stop LM")
                           : QCoreApplication::translate("TLearnNotes", "&Start LM"));
    FStartStop->setIcon(IconsListImage(On ? iiStop : iiStart));
}

void TLearnNotes::RestartLearnTimer()
{
    LearnStartTick = TickClock::GetTickCount();
    LearnTimer->setInterval(1000);
    // Notes need the store: with a data file that did not open there are none.
    if (Settings && Settings->ResidentMode && StoreOpen && StoreOpen())
        LearnTimer->start();
    else
        LearnTimer->stop();
}

void TLearnNotes::StartStopTMIClick()
{
    if (!Settings)
        return;
    Settings->ResidentMode = !Settings->ResidentMode;
    UpdateLearnMenuItem();
    RestartLearnTimer();
}

void TLearnNotes::LearnTimerTimer()
{
    if (!Settings)
        return;
    const uint32_t Now = TickClock::GetTickCount();
    const uint32_t Elapsed = TickClock::TicksSince(LearnStartTick, Now);
    // In 64 bits: a large interval must not wrap into a short one.
    // A negative interval is no interval: no note ever comes.
    const uint64_t Limit = Settings->SequenceInterval < 0
                               ? UINT64_MAX
                               : uint64_t(Settings->SequenceInterval) * 1000u;
    if (Elapsed <= Limit)
        return;
    LearnStartTick = Now;
    if (NoDialogOpen && !NoDialogOpen())
        return;
    if (!NoteLibrary.CanShow || !NoteLibrary.CanShow())
        return;
    if (FStore.IsStoreEmpty())
        return;
    // With nothing to review now, a random word comes as before.
    if (Settings->Review.NotesShowDue && Review->ShowNext(*Settings))
        return;
    ShowRandomNote();
}

void TLearnNotes::ShowRandomNote()
{
    TEnBgRecord Rec;
    FStore.ReadRandomEntry(Rec);
    NoteEntry = Rec;
    // A note shows what fits on it; the stored entry keeps its texts whole.
    NoteEntry.EnglishWord = TDisplayText::OneLine(NoteEntry.EnglishWord, TDisplayText::WordChars);
    NoteEntry.Transcription =
        TDisplayText::OneLine(NoteEntry.Transcription, TDisplayText::WordChars);
    NoteEntry.BulgarianText =
        TDisplayText::Lines(NoteEntry.BulgarianText, TDisplayText::MemoLines,
                            TDisplayText::MemoLineChars, TDisplayText::MemoChars);
    NoteEnglish = NoteText(NoteEntry.EnglishWord);
    NoteBulgarian = NoteText(NoteEntry.BulgarianText);
    NoteTranscription = NoteText(NoteEntry.Transcription);
    NoteLevel = NoteEntry.WordLevel;
    if (NoteLibrary.ShowLearnForm && Settings)
        NoteLibrary.ShowLearnForm(Settings->NoteData(), NoteEnglish, NoteBulgarian,
                                  NoteTranscription, NoteLevel);
    SpeakNoteWord();
}

void TLearnNotes::SpeakNoteWord()
{
    if (Settings && Settings->Speech.NotesSpeak && !NoteEntry.EnglishWord.trimmed().isEmpty())
        TSpeaker::Shared()->Speak(NoteEntry.EnglishWord.trimmed(), Settings->Speech.Voice);
}
