#pragma once

#include "speech/TSpeechEngine.h"

#include <cstdint>

// How the program speaks: the voice, and whether a learning note says its word when it appears.
// Kept beside the program's other settings, in their key's subkey "Speech" (values "Voice",
// 0 British or 1 American English, and "Notes Speak"), so that the note library's settings block
// stays as it is.
struct TSpeechSettings
{
    TSpeechVoice Voice = TSpeechVoice::British;
    bool NotesSpeak = false;

    // Reads the subkey over the current values; missing or malformed values change nothing.
    void Load();
    // Throws ERegistryException when a value cannot be written.
    void Save() const;

    // The settings the program runs with (those of its TAppRegInfo while one exists), else the
    // defaults. Read by the windows that speak.
    static const TSpeechSettings& Live();
    static void SetLive(const TSpeechSettings* Settings);

    static constexpr const char* KeyName = "Software\\Norvane\\Vocabulary\\Speech";
};
