#pragma once

#include "store/TEnBgRecord.h"

#include <QObject>

#include <cstdint>
#include <functional>

class TScreenSaverDataModule;
class QAction;
class QTimer;
class TAppRegInfo;
class TReviewNotes;

// The note library's entry points; tests put their own in.
struct TNoteLibrary
{
    bool (*CanShow)();
    void (*ShowLearnForm)(const void* AppSettings, const char16_t* English,
                          const char16_t* Bulgarian, const char16_t* Transcription, int32_t Level);
    static TNoteLibrary Default();
};

// The learning notes, a part of the main window: while the resident mode is on, a random entry
// (or, when the settings say so, the next word to review) shows on a note every Sequence Interval
// seconds (and is spoken when the settings say so), unless
// a dialog of the window is open or the store is empty. The tray menu's Start LM / Stop LM item
// switches the mode.
class TLearnNotes : public QObject
{
    Q_OBJECT

public:
    // Notes show the words of Store, which outlives them. StartStop is the tray menu's item, kept
    // in step with the mode.
    TLearnNotes(QObject* Parent, TScreenSaverDataModule& Store, QAction* StartStop);

    // The window's settings while it has them (null before and after).
    TAppRegInfo* Settings = nullptr;
    // Whether a note may come now: the store is open and no dialog of the window is.
    std::function<bool()> StoreOpen;
    std::function<bool()> NoDialogOpen;
    // Runs a handler, reporting what it throws as the window does.
    std::function<void(const std::function<void()>&)> Guarded;

    TNoteLibrary NoteLibrary = TNoteLibrary::Default();
    // Notes that review, when the settings say "Notes show: the next word due".
    TReviewNotes* Review = nullptr;
    QTimer* LearnTimer = nullptr;
    uint32_t LearnStartTick = 0;
    // The note's texts stay here, where the library may still read them, until the next note.
    TEnBgRecord NoteEntry;
    const char16_t* NoteEnglish = u"";
    const char16_t* NoteBulgarian = u"";
    const char16_t* NoteTranscription = u"";
    int32_t NoteLevel = 0;

    void UpdateLearnMenuItem();
    void RestartLearnTimer();
    void StartStopTMIClick();
    void LearnTimerTimer();
    void ShowRandomNote();

private:
    TScreenSaverDataModule& FStore;
    void SpeakNoteWord();
    QAction* FStartStop;
};
