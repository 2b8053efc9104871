#pragma once

#include <QString>

// The reference dictionary beside the user's own: whether it is used, which dictd index (empty:
// FreeDict's English–Bulgarian one where Debian installs it) and whether the Bulgarian text taken
// from it keeps the reference's stress accents. Kept in the program's key's subkey "Reference"
// (values "Enabled", "Index" and "Keep Accents").
struct TReferenceSettings
{
    bool Enabled = true;
    QString IndexPath;
    bool KeepAccents = false;

    // Reads the subkey over the current values; missing or malformed values change nothing.
    void Load();
    // Throws ERegistryException when a value cannot be written.
    void Save() const;
    // Points the program's reference (TReference::Shared) at these settings. Reads no file.
    void Apply() const;

    // The settings the program runs with (those of its TAppRegInfo while one exists), else the
    // defaults.
    static const TReferenceSettings& Live();
    static void SetLive(TReferenceSettings* Settings);
    // The word editor's "Keep accents", kept in the live settings (saved with them).
    static void SetLiveKeepAccents(bool Keep);

    static constexpr const char* KeyName = "Software\\Norvane\\Vocabulary\\Reference";
};
