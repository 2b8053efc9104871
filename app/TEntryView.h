#pragma once

#include <QObject>

class TAdminForm;
class TScreenSaverDataModule;

// The main window's view of the current entry: the word grid with its row indicator, the
// transcription, the Bulgarian text and the navigator's arrows follow the store's current row, and
// choosing a row in the grid or pressing an arrow moves it. Colours stay readable on light and dark
// palettes.
class TEntryView : public QObject
{
public:
    explicit TEntryView(TAdminForm& Form);

    // Binds the controls to the store's table (after it opened) and shows its current row.
    void Bind();
    // Shows the current row in every control.
    void ShowCurrent();
    // The window's own handlers follow the table's moves and posts; detached (while the window
    // closes), the controls still follow the current row.
    void AttachTableEvents();
    void DetachTableEvents();
    // The transcription's ink, the navigator's arrows and the row indicator for the palette now.
    void ApplyReadableColours();

private:
    void UpdateNavigator();
    void GridCurrentRowChanged(int Row);

    TAdminForm& Form;
    TScreenSaverDataModule& Store;
    bool SyncingGrid = false;
};
