#pragma once

// What a look-up of copied text (or of --lookup) does with the window: bring it forward and give
// it the keyboard (as always), or show it and leave the keyboard with the program the user types
// in. Kept in the program's key's subkey "Look Up" (value "Take Keyboard", 1 or 0), so that the
// note library's settings block and the program's twenty values stay as they are.
struct TLookUpSettings
{
    bool TakeKeyboard = true;

    // Reads the subkey over the current values; missing or malformed values change nothing.
    void Load();
    // Throws ERegistryException when a value cannot be written.
    void Save() const;

    static constexpr const char* KeyName = "Software\\Norvane\\Vocabulary\\Look Up";
};
