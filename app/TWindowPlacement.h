#pragma once

#include "settings/TAppRegInfo.h"

#include <QMargins>
#include <QRect>
#include <QWidget>

// Where the main window stands on the screen: its first place, the bounds saved and restored in
// the screen's own pixels, its normal bounds when it closes maximised or minimised, and the
// dialog open over it when it comes forward.
class TWindowPlacement : public TMainWindowPlace
{
public:
    explicit TWindowPlacement(QWidget& Window) : Window(Window) {}

    // The dialog open over the window, restored when minimised, comes forward.
    void BringDialogForward();
    // A maximised or minimised window is set back to its normal bounds, which are then saved.
    void RestoreNormalBounds();
    // A first start, with no position saved, centres the window on the primary screen.
    void CentreWhenNeverPlaced();
    // Shows the window and puts it on top without giving it the keyboard: the program the user
    // types in keeps the focus.
    void ShowWithoutTakingTheKeyboard();
    // Notes the window manager's frame around the window in its normal state.
    void NoteNormalFrame();
    // Once the window manager has framed the window, the frame is fitted on the screen again
    // (before, the frame's size is not known). Only the first time: later the user places it.
    void FitWhenFirstFramed();

    // TMainWindowPlace
    qreal PlaceScale() const;
    QRect PlaceBounds() const override;
    void PlaceWidth(int Width) override;
    void PlaceHeight(int Height) override;
    void PlaceLeft(int Left) override;
    void PlaceTop(int Top) override;

private:
    QWidget& Window;
    // The frame around the window in its normal state, and the bounds to save once a maximised
    // window was set back to normal (its manager answers too late for them).
    QMargins NormalFrame;
    QRect ClosingBounds;
    bool FramedFitDone = false;
};
