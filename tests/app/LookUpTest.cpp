// Look-ups on their own: a look-up that arrives while entry dialogs are open waits for the last of
// them, only the latest one is done, and one that can no longer be done is dropped.

#include "app/TLookUp.h"

#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(LookUpTest, LookUpsWaitForTheEntryDialogs)
{
    struct TCase
    {
        const char* Name;
        int Dialogs;              // entry dialogs open when the texts arrive
        QStringList Texts;        // handed over meanwhile
        bool ReadyAtClose;        // whether a look-up can be done once they have closed
        QStringList Found;        // what was looked up, in order
    };
    const TCase Cases[] = {
        {"no dialog: at once", 0, {"apple", "band"}, true, {"apple", "band"}},
        {"one dialog: the latest, once it closes", 1, {"apple", "band"}, true, {"band"}},
        {"nested dialogs: once the last closes", 2, {"cherry"}, true, {"cherry"}},
        {"busy when they close: dropped", 1, {"apple"}, false, {}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TLookUp LookUp(nullptr);
        bool Ready = true;
        QStringList Found;
        LookUp.Ready = [&] { return Ready; };
        LookUp.Find = [&](const QString& Text) { Found << Text; };
        for (int I = 0; I < Case.Dialogs; ++I)
            LookUp.EntryDialogOpened();
        for (const QString& Text : Case.Texts)
            LookUp.LookUpText(Text);
        if (Case.Dialogs > 0) {
            EXPECT_TRUE(Found.isEmpty());
        }
        Ready = Case.ReadyAtClose;
        for (int I = 0; I < Case.Dialogs; ++I) {
            LookUp.EntryDialogClosed();
            if (I + 1 < Case.Dialogs) {
                EXPECT_TRUE(Found.isEmpty()) << "an inner dialog closed";
            }
        }
        EXPECT_EQ(Found, Case.Found);
        EXPECT_EQ(LookUp.EntryDialogsOpen(), 0);
    }
}

// Copies are counted as handled whether looked up or not, so that a caller can tell when the
// program has dealt with one.
TEST(LookUpTest, CopiesAreCountedWhenIgnored)
{
    TLookUp LookUp(nullptr);
    LookUp.CopiesWanted = [] { return false; };
    LookUp.WMDrawClipboard();
    LookUp.WMDrawClipboard();
    EXPECT_EQ(LookUp.ClipboardChangesHandled, 2);
    EXPECT_FALSE(LookUp.ClipboardTimer->isActive());
}

} // namespace
