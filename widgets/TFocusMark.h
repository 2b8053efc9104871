#pragma once

class QWidget;

// A visible mark round a control while it has the keyboard: a ring of two pixels along its edge
// in the palette's highlight colour, or its text colour where the highlight would not stand out
// from the control's ground (pale highlights on light palettes, dark ones on dark palettes). The
// mark follows palette changes and lets the mouse through.
namespace TFocusMark {

void Attach(QWidget* Control);

} // namespace TFocusMark
