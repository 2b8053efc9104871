#pragma once

#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QWidget>

// The shown top-level window of type TWindow (a QFileDialog that a command opens, for instance),
// once one shows; nullptr when none does.
template <typename TWindow> TWindow* WaitForShown()
{
    TWindow* Window = nullptr;
    WaitUntil([&] {
        for (QWidget* Top : QApplication::topLevelWidgets())
            if (auto* Found = qobject_cast<TWindow*>(Top); Found && Found->isVisible())
                Window = Found;
        return Window != nullptr;
    });
    return Window;
}
