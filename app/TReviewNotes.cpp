#include "app/TReviewNotes.h"

#include "notecard/NoteCard.h"
#include "review/TReviewSession.h"
#include "settings/TAppRegInfo.h"
#include "store/EVexloDatabaseError.h"
#include "store/TScreenSaverDataModule.h"
#include "widgets/TDisplayText.h"

#include <QDateTime>

#include <set>

namespace {

// The notes' owners that are alive: a note closed after its owner went calls back into nothing.
std::set<void*>& Alive()
{
    static std::set<void*> Owners;
    return Owners;
}

const char16_t* NoteText(const QString& Text)
{
    return reinterpret_cast<const char16_t*>(Text.utf16());
}

int64_t LocalDayStart(int64_t Time)
{
    return QDateTime::fromMSecsSinceEpoch(Time).date().startOfDay().toMSecsSinceEpoch();
}

} // namespace

TReviewNotes::TReviewNotes(TScreenSaverDataModule& Store, QObject* Parent)
    : QObject(Parent), ShowReviewNote(&::ShowReviewNote), FStore(Store)
{
    Clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    Alive().insert(this);
}

TReviewNotes::~TReviewNotes()
{
    Alive().erase(this);
}

void TReviewNotes::NoteGraded(void* Context, int32_t Grade)
{
    if (Alive().count(Context))
        static_cast<TReviewNotes*>(Context)->Grade(Grade);
}

bool TReviewNotes::ShowNext(const TAppRegInfo& Settings)
{
    if (!FStore.ADOConnection->Connected())
        return false;
    FSettings = Settings.Review;
    TReviewSession Session(FStore.ADOConnection->Handle(), FSettings, Clock,
                           &LocalDayStart);
    if (!Session.Advance())
        return false;
    const TReviewCard Card = *Session.Current();
    // A note shows what fits on it; the stored entry keeps its texts whole.
    FEnglish = TDisplayText::OneLine(Card.Word, TDisplayText::WordChars);
    FTranscription = TDisplayText::OneLine(Card.Transcription, TDisplayText::WordChars);
    FBulgarian = TDisplayText::Lines(Card.Meaning, TDisplayText::MemoLines,
                                     TDisplayText::MemoLineChars, TDisplayText::MemoChars);
    // A note still on the screen is closed unanswered by the new one: its word is dropped
    // before this one becomes the word waiting for an answer.
    FCard.reset();
    if (ShowReviewNote)
        ShowReviewNote(Settings.NoteData(), NoteText(FEnglish), NoteText(FBulgarian),
                       NoteText(FTranscription), Card.Level, Session.EnglishFirst(),
                       &TReviewNotes::NoteGraded, this);
    FCard = Card;
    return true;
}

void TReviewNotes::Grade(int32_t Grade)
{
    if (!FCard)
        return;
    const TReviewCard Card = *FCard;
    FCard.reset();
    if ((Grade != 1 && Grade != 3) || !FStore.ADOConnection->Connected())
        return;
    try {
        TReviewStore Store(FStore.ADOConnection->Handle());
        Store.Record(Card, static_cast<TGrade>(Grade), Clock(), TFsrs(FSettings.Parameters()));
        emit Answered({});
    } catch (const EVexloDatabaseError& E) {
        emit Answered(E.Message());
    }
}
