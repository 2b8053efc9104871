#pragma once

#include "speech/TSpeechEngine.h"

#include <QString>

// Transcriptions as the dictionary writes them: IPA in the manner of the learners' dictionaries,
// stored without the square brackets that the pages and the note put around them. A stress mark
// (ˋ primary, as the editor's palette writes it; ˌ secondary) stands before its syllable, long
// vowels carry ː, a syllabic l or n stands without its schwa (ˋteɪbl, ˋsteɪʃn), and a word of one
// syllable carries no stress mark.
namespace TTranscription {

// espeak-ng's IPA for English (as TSpeechEngine::Phonemes gives it) in the dictionary's manner:
// its r-sound ɹ becomes r, the vowels it writes ɛ, a, ɐ, ᵻ become e, æ, ə, ɪ, the American
// r-coloured vowels ɚ, ɝ become ər, ɜːr and the flap ɾ becomes t; uː before a vowel is shortened
// to u; stress marks move from the vowel to the start of the syllable (the longest run of the
// consonants before it that can begin an English syllable). Words stay apart as given.
QString FromEspeak(const QString& Ipa);

// The transcription of an English word or phrase in the given voice; empty when the library is
// not available or the text has nothing to pronounce.
QString Suggest(const QString& English, TSpeechVoice Voice);

} // namespace TTranscription
