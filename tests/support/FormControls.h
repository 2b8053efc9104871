#pragma once

// The main window's designed controls, found by their names as a user finds them on the screen:
// UI(Form, SearchEdit) is the window's search box, typed as the designer made it.
#include "app/TAdminForm.h"

#include <gtest/gtest.h>

template <typename TControl> TControl FormControl(QObject* Form, const char* Name)
{
    auto* Control = Form->findChild<TControl>(QString::fromLatin1(Name));
    if (!Control)
        ADD_FAILURE() << "the main window has no control " << Name;
    return Control;
}

#define UI(Form, Name) FormControl<decltype(Ui::TAdminForm::Name)>(&*(Form), #Name)
