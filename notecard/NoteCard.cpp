#define VEXLO_NOTECARD_BUILD
#include "notecard/NoteCard.h"

#include "notecard/TLearnForm.h"
#include "notecard/TNoteSettings.h"

#include <QApplication>
#include <QPointer>

namespace {

QPointer<TLearnForm>& CurrentNote()
{
    static QPointer<TLearnForm> Note;
    return Note;
}

QString FromUtf16(const char16_t* Text)
{
    return Text ? QString::fromUtf16(Text) : QString();
}

bool HaveWidgetApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Puts a new note for the entry in place of the one on the screen (a host that does not ask
// CanShow first replaces it); null without a widget application.
TLearnForm* NewNote(const void* AppSettings, const char16_t* English, const char16_t* Bulgarian,
                    const char16_t* Transcription, int32_t Level)
{
    if (!HaveWidgetApplication())
        return nullptr;
    if (QPointer<TLearnForm>& Old = CurrentNote(); Old) {
        Old->close();
        delete Old.data();
    }
    auto* Note = new TLearnForm(TNoteSettings::FromBlock(AppSettings), FromUtf16(English),
                                FromUtf16(Bulgarian), FromUtf16(Transcription), Level);
    CurrentNote() = Note;
    return Note;
}

} // namespace

bool CanShow(void)
{
    if (!HaveWidgetApplication())
        return false;
    const QPointer<TLearnForm>& Note = CurrentNote();
    return !Note || !Note->IsShowing();
}

void ShowLearnForm(const void* AppSettings, const char16_t* English, const char16_t* Bulgarian,
                   const char16_t* Transcription, int32_t Level)
{
    if (TLearnForm* Note = NewNote(AppSettings, English, Bulgarian, Transcription, Level))
        Note->ShowNote();
}

void ShowReviewNote(const void* AppSettings, const char16_t* English, const char16_t* Bulgarian,
                    const char16_t* Transcription, int32_t Level, bool EnglishFirst,
                    TNoteGrade OnGrade, void* Context)
{
    TLearnForm* Note = NewNote(AppSettings, English, Bulgarian, Transcription, Level);
    if (!Note)
        return;
    if (OnGrade)
        Note->SetReview(EnglishFirst, OnGrade, Context);
    Note->ShowNote();
}

void SetNoteWordClick(TNoteWordClick Handler)
{
    TLearnForm::WordClick = Handler;
}
