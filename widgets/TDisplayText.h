#pragma once

#include <QString>

// What the windows show of texts that may be of any length: never more than can be seen, cut
// with an ellipsis. The stored texts are never changed; only what goes into a control is.
namespace TDisplayText {

// One line of at most MaxChars characters (the ellipsis included): a longer text is cut and
// ends in "…"; a text of several lines keeps its first line and ends in "…".
QString OneLine(const QString& Text, int MaxChars);

// At most MaxLines lines of at most MaxLineChars characters each, and at most MaxChars in all;
// whatever is cut away is marked with "…" where it was. Line breaks are kept as they are.
QString Lines(const QString& Text, int MaxLines, int MaxLineChars, int MaxChars);

// Text without the invisible characters that set the direction of the text around them (marks,
// embeddings, overrides, isolates), which would turn a search box or a window around.
QString WithoutBidiControls(const QString& Text);

// Text of the user's, to go into a menu item's or a button's caption: its "&" show as they are
// instead of marking the next character as the one Alt goes to.
QString KeepAmpersands(const QString& Text);

// A caption without the mark of its Alt letter ("&Add" is "Add"), its doubled "&&" as one.
QString WithoutMnemonic(const QString& Caption);

// Limits of the main window and the notes.
constexpr int WordChars = 255;         // a word in the grid, the search box, a note
constexpr int QuestionWordChars = 100; // a word named in a question
constexpr int MemoLines = 200;         // the Bulgarian text beside the grid, in a note
constexpr int MemoLineChars = 1000;
constexpr int MemoChars = 20000;

} // namespace TDisplayText
