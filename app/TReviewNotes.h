#pragma once

#include "review/TReviewSettings.h"
#include "review/TReviewStore.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class TScreenSaverDataModule;
class TAppRegInfo;

// Learning notes that review ("Notes show: the next word due"): a note asks the next word due
// (or a new one, within the daily limit) in the review's direction, shows the answer after the
// delay, and its Knew / Forgot is saved as the review window would save Good / Again.
class TReviewNotes : public QObject
{
    Q_OBJECT

public:
    // Reviews the words of Store, which outlives the notes.
    explicit TReviewNotes(TScreenSaverDataModule& Store, QObject* Parent = nullptr);
    ~TReviewNotes() override;

    // The note library's entry point for notes that review; tests put their own in.
    using TShowReviewNote = void (*)(const void*, const char16_t*, const char16_t*,
                                     const char16_t*, int32_t, bool, void (*)(void*, int32_t),
                                     void*);
    TShowReviewNote ShowReviewNote;
    // The review's clock (ms since 1970, UTC); tests put their own in.
    std::function<int64_t()> Clock;

    // Shows the next word to review on a note; false when none is due and no new one may come.
    bool ShowNext(const TAppRegInfo& Settings);
    // What the note answered: 3 Knew, 1 Forgot, 0 closed unanswered.
    void Grade(int32_t Grade);
    // The word on the note, until it is answered.
    const std::optional<TReviewCard>& Pending() const { return FCard; }
    // The library's callback; Context is the TReviewNotes that showed the note, if still there.
    static void NoteGraded(void* Context, int32_t Grade);

signals:
    // An answer from a note was saved, or could not be (Error not empty).
    void Answered(const QString& Error);

private:
    TScreenSaverDataModule& FStore;
    std::optional<TReviewCard> FCard;
    TReviewSettings FSettings;
    QString FEnglish, FBulgarian, FTranscription;
};
