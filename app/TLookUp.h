#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QTimer;

// Look-ups, a part of the main window: text copied to the clipboard (read once the clipboard has
// been quiet for ClipboardQuietMs, so that a burst of changes gives one look-up) and texts handed
// over by a later start. While the word editor or the delete question is open, a look-up waits
// and is done when they have closed, so that they act on the entry they were opened for.
class TLookUp : public QObject
{
    Q_OBJECT

public:
    explicit TLookUp(QObject* Parent);

    // Whether copied text is looked up now (the window not busy, "Get clipboard text" on).
    std::function<bool()> CopiesWanted;
    // Whether any look-up can be done now (the window not busy, a dictionary open).
    std::function<bool()> Ready;
    // Searches for Text and shows what was found; may throw.
    std::function<void(const QString& Text)> Find;

    // The part of a copied text that is looked up: its first line that is not blank, without the
    // blanks around it, at most a search box's worth of characters.
    static QString CapturedWord(const QString& Text);

    static constexpr int ClipboardQuietMs = 50;
    QTimer* ClipboardTimer = nullptr;
    // The clipboard changes handled so far, looked up or ignored.
    int ClipboardChangesHandled = 0;

    // The clipboard's contents changed.
    void WMDrawClipboard();
    // The clipboard has been quiet: its text is looked up.
    void ClipboardQuiet();
    // Looks Text up as a copy would, whatever "Get clipboard text" says ("--lookup TEXT").
    void LookUpText(const QString& Text);
    // Finds Text now, or once the entry dialogs have closed.
    void Capture(const QString& Text);

    void EntryDialogOpened() { ++FEntryDialogsOpen; }
    // Does the look-up that waited, once the last entry dialog has closed.
    void EntryDialogClosed();
    int EntryDialogsOpen() const { return FEntryDialogsOpen; }

private:
    int FEntryDialogsOpen = 0;
    std::optional<QString> FPending;
};
