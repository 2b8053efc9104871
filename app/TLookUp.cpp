#include "app/TLookUp.h"

#include "widgets/TDisplayText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>

#include <utility>

TLookUp::TLookUp(QObject* Parent) : QObject(Parent)
{
    ClipboardTimer = new QTimer(this);
    ClipboardTimer->setObjectName("ClipboardTimer");
    ClipboardTimer->setSingleShot(true);
    ClipboardTimer->setInterval(ClipboardQuietMs);
    connect(ClipboardTimer, &QTimer::timeout, this, &TLookUp::ClipboardQuiet);
}

void TLookUp::WMDrawClipboard()
{
    if (!CopiesWanted || !CopiesWanted()) {
        ++ClipboardChangesHandled;
        return;
    }
    // Only a restart of the timer: the clipboard is read once the burst is over.
    ClipboardTimer->start();
}

void TLookUp::ClipboardQuiet()
{
    const auto Handled = qScopeGuard([this] { ++ClipboardChangesHandled; });
    try {
        if (!CopiesWanted || !CopiesWanted())
            return;
        const QClipboard* Clipboard = QGuiApplication::clipboard();
        // Our own copies (Ctrl+C in the search box or the Bulgarian text) are not looked up.
        if (Clipboard->ownsClipboard())
            return;
        const QMimeData* Data = Clipboard->mimeData(QClipboard::Clipboard);
        if (!Data || !Data->hasText())
            return;
        Capture(Data->text());
    } catch (...) {
        // A clipboard that cannot be read or a failed search changes nothing and says nothing.
    }
}

void TLookUp::LookUpText(const QString& Text)
{
    try {
        if (Ready && Ready())
            Capture(Text);
    } catch (...) {
    }
}

void TLookUp::Capture(const QString& Text)
{
    if (FEntryDialogsOpen > 0) {
        FPending = Text;
        return;
    }
    if (Find)
        Find(Text);
}

void TLookUp::EntryDialogClosed()
{
    if (--FEntryDialogsOpen > 0 || !FPending)
        return;
    // What was copied or handed over meanwhile is looked up now.
    const QString Text = *std::exchange(FPending, std::nullopt);
    try {
        if (Ready && Ready())
            Capture(Text);
    } catch (...) {
    }
}

// The part of a copied text that is looked up: its first line that is not blank, without the
// blanks around it, at most a search box's worth of characters.
QString TLookUp::CapturedWord(const QString& Text)
{
    constexpr int MaxLength = 255;
    for (const QString& Line : TDisplayText::WithoutBidiControls(Text).split(
             QRegularExpression("[\\r\\n]"), Qt::SkipEmptyParts)) {
        const QString Word = Line.trimmed();
        if (!Word.isEmpty())
            return Word.left(MaxLength);
    }
    return {};
}
