#pragma once

class QIcon;
class QWidget;

// Switches double buffering on for Control and, depth first in index order, for every windowed
// control inside it.
void SetDoubleBufferedTree(QWidget* Control);

// Whether a control was marked double-buffered.
bool IsDoubleBuffered(const QWidget* Control);
void SetDoubleBuffered(QWidget* Control, bool On);

// Gives a dialog the classic dialog face; where it is missing, the metric twin of Arial rather than
// a wide substitute, so that every caption fits the control the dialog was designed with.
void SetDialogFont(QWidget* Dialog);

