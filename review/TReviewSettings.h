#pragma once

#include "review/TFsrs.h"

#include <cstdint>

// How the review works, kept in the program's key's subkey "Review" (values "Desired Retention"
// in tenths of a percent, "Maximum Interval" in days, "Fuzz", "New Per Day", "Direction" 0
// English→Bulgarian, 1 Bulgarian→English, 2 mixed, "Two Buttons", "Notes Show" 0 a random word,
// 1 the next word due, "Level From Review"), so that the note library's settings block stays as
// it is.
struct TReviewSettings
{
    enum TDirection
    {
        drEnglishFirst = 0,
        drBulgarianFirst = 1,
        drMixed = 2
    };
    int32_t DesiredRetention = 900; // tenths of a percent, 700..990
    int32_t MaximumInterval = 36500;
    bool Fuzz = true;
    int32_t NewPerDay = 20;
    int32_t Direction = drEnglishFirst;
    bool TwoButtons = false;
    bool NotesShowDue = false;
    bool LevelFromReview = false;

    TFsrsParameters Parameters() const;
    // Reads the subkey over the current values; missing or out-of-range values change nothing.
    void Load();
    // Throws ERegistryException when a value cannot be written.
    void Save() const;

    static constexpr const char* KeyName = "Software\\Norvane\\Vocabulary\\Review";
};
