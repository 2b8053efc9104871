#pragma once

#include "notecard/NoteCard.h"

#include <QApplication>
#include <QWidget>

#include <cstdlib>

// The Qt application of a test program, made at the first use (never while ctest only lists the
// tests, since listing must work without a display).
inline QApplication* TestApp()
{
    static int Argc = 1;
    static char Arg0[] = "notecard-test";
    static char* Argv[] = {Arg0, nullptr};
    static QApplication* App = new QApplication(Argc, Argv);
    return App;
}

// The note on the screen (or about to be deleted), found as the host would see it: a top-level
// widget of class TLearnForm.
inline QWidget* FindNote()
{
    for (QWidget* W : QApplication::topLevelWidgets())
        if (W->inherits("TLearnForm") && W->isVisible())
            return W;
    return nullptr;
}

// Closes and deletes every note, so that each test starts with none.
inline void DeleteAllNotes()
{
    for (QWidget* W : QApplication::topLevelWidgets())
        if (W->inherits("TLearnForm")) {
            W->close();
            delete W;
        }
}
