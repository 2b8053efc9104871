#pragma once

// The learning-note library. It has C linkage so that the program (or any other host with a Qt
// application object) can call it without knowing its C++ insides.
//
//   CanShow        true when a new note may be shown now: a Qt application object exists and no
//                  note is on the screen (a note that is still sliding out counts as showing).
//   ShowLearnForm  shows one note for an entry and returns at once; the note closes itself when
//                  its time is up or when its cross is clicked. AppSettings points to the 84-byte
//                  settings block of the program (see notecard/TNoteSettings.h for the offsets
//                  read); the three texts are zero-terminated UTF-16 (the Bulgarian lines separated
//                  by CR LF); Level is 0..9. The texts and the settings are copied, so the caller
//                  may change or free them after the call. Null pointers count as empty texts or
//                  default settings.
//
//   SetNoteWordClick  names a function the note calls with its English word (zero-terminated
//                  UTF-16) when the user clicks that word, for example to say it aloud; null
//                  takes the function away. The word then shows a hand cursor.
//
// All must be called on the thread of the Qt application object.

#include <cstdint>

#if defined(VEXLO_NOTECARD_BUILD)
#define NOTECARD_API extern "C" __attribute__((visibility("default")))
#else
#define NOTECARD_API extern "C"
#endif

NOTECARD_API bool CanShow(void);
NOTECARD_API void ShowLearnForm(const void* AppSettings, const char16_t* English,
                                const char16_t* Bulgarian, const char16_t* Transcription,
                                int32_t Level);

typedef void (*TNoteWordClick)(const char16_t* English);
NOTECARD_API void SetNoteWordClick(TNoteWordClick Handler);

//   ShowReviewNote  shows a note that reviews one entry, with the same settings and texts as
//                  ShowLearnForm: it asks by the English word (by the Bulgarian text when
//                  EnglishFirst is false), shows the other side after the settings' delay (Delay
//                  BG), and then offers Knew and Forgot. OnGrade(Context, Grade) is called once:
//                  Grade 3 for Knew, 1 for Forgot, 0 when the note closed unanswered.
typedef void (*TNoteGrade)(void* Context, int32_t Grade);
NOTECARD_API void ShowReviewNote(const void* AppSettings, const char16_t* English,
                                 const char16_t* Bulgarian, const char16_t* Transcription,
                                 int32_t Level, bool EnglishFirst, TNoteGrade OnGrade,
                                 void* Context);
