#pragma once

// Keyboard access of a window as a user finds it: the Alt+letter keys of its labels, buttons,
// group boxes and menu bar (unique within the window, every label with one has a field to go to),
// the letters of each menu's items (every item has one, unique within the menu), and a walk that
// presses each Alt+letter on a shown window and looks where it went.

#include "tests/support/WaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabBar>
#include <QTextDocument>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <string>
#include <map>
#include <memory>
#include <vector>

namespace KeyboardAccess {

// The letter after a single & in Text ("&File" -> 'f', "Save && quit" -> none), in lower case.
inline QChar Mnemonic(const QString& Text)
{
    for (qsizetype I = 0; I + 1 < Text.size(); ++I) {
        if (Text.at(I) != u'&')
            continue;
        if (Text.at(I + 1) == u'&') {
            ++I;
            continue;
        }
        if (!Text.at(I + 1).isSpace())
            return Text.at(I + 1).toLower();
    }
    return {};
}

// Problems one a line, for a readable failure: EXPECT_EQ(Listed(WindowProblems(W)), "").
inline std::string Listed(const QStringList& Problems)
{
    return Problems.join(u'\n').toStdString();
}

// Caption as it reads on the screen: "&File" is "File", "Save && quit" is "Save & quit".
inline QString Plain(const QString& Caption)
{
    return QString(Caption).replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

inline QString Name(const QObject* Object)
{
    return QString::fromLatin1(Object->metaObject()->className()) + ' ' + Object->objectName();
}

// Controls of Window itself (not of its child windows) that show now, with the text that holds
// their mnemonic.
struct TKeyed
{
    QWidget* Control;
    QString Text;
};

inline std::vector<TKeyed> KeyedControls(QWidget* Window)
{
    std::vector<TKeyed> Found;
    for (QWidget* Control : Window->findChildren<QWidget*>()) {
        if (Control->window() != Window || !Control->isVisibleTo(Window))
            continue;
        if (auto* Label = qobject_cast<QLabel*>(Control)) {
            // A label of plain text without a buddy shows a text as it is (a message, a word).
            if (Label->buddy() ||
                (Label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(Label->text())))
                Found.push_back({Control, Label->text()});
        }
        else if (auto* Button = qobject_cast<QAbstractButton*>(Control))
            Found.push_back({Control, Button->text()});
        else if (auto* Group = qobject_cast<QGroupBox*>(Control))
            Found.push_back({Control, Group->title()});
        else if (auto* Tabs = qobject_cast<QTabBar*>(Control))
            for (int I = 0; I < Tabs->count(); ++I)
                Found.push_back({Control, Tabs->tabText(I)});
    }
    if (auto* Bar = Window->findChild<QMenuBar*>(); Bar && Bar->window() == Window)
        for (QAction* Title : Bar->actions())
            if (Title->isVisible() && !Title->isSeparator())
                Found.push_back({Bar, Title->text()});
    return Found;
}

// What keeps Window's Alt+letters from working: two controls on one letter, a label with a letter
// but no field to go to, and the controls in Needed that have no letter.
inline QStringList WindowProblems(QWidget* Window, const std::vector<QWidget*>& Needed = {})
{
    QStringList Problems;
    std::map<QChar, QString> Taken;
    for (const TKeyed& Keyed : KeyedControls(Window)) {
        const QChar Letter = Mnemonic(Keyed.Text);
        if (Letter.isNull())
            continue;
        const QString Who = Name(Keyed.Control) + " \"" + Keyed.Text + '"';
        if (auto [At, New] = Taken.emplace(Letter, Who); !New)
            Problems << QString("Alt+%1 is both %2 and %3").arg(Letter, At->second, Who);
        if (auto* Label = qobject_cast<QLabel*>(Keyed.Control); Label && !Label->buddy())
            Problems << Who + " has a letter but no buddy";
    }
    for (QWidget* Control : Needed) {
        const auto Keyed = KeyedControls(Window);
        const bool Has = std::any_of(Keyed.begin(), Keyed.end(), [&](const TKeyed& K) {
            return K.Control == Control && !Mnemonic(K.Text).isNull();
        });
        if (!Has)
            Problems << Name(Control) + " has no letter";
    }
    return Problems;
}

// What keeps Menu's letters from working, its submenus' too: items with no letter or on one
// letter.
inline QStringList MenuProblems(const QMenu* Menu)
{
    QStringList Problems;
    std::map<QChar, QString> Taken;
    for (QAction* Item : Menu->actions()) {
        if (Item->isSeparator() || !Item->isVisible() || Item->text().isEmpty())
            continue;
        const QString Who = Menu->title() + " > " + Item->text();
        const QChar Letter = Mnemonic(Item->text());
        if (Letter.isNull())
            Problems << Who + " has no letter";
        else if (auto [At, New] = Taken.emplace(Letter, Who); !New)
            Problems << QString("%1 is both %2 and %3").arg(Letter, At->second, Who);
        if (Item->menu())
            Problems << MenuProblems(Item->menu());
    }
    return Problems;
}

// Qt's key codes for letters are their capitals' code points, Cyrillic ones too.
inline Qt::Key KeyOf(QChar Letter)
{
    return Qt::Key(Letter.toUpper().unicode());
}

// Presses Alt+the letter of each keyed control of the shown, active Window, and says where each
// went that it should not: a label or group box's letter puts the keyboard in its field, a
// button's presses it. Buttons are pressed with their signals (and their actions') held back, so
// that no command runs.
inline QStringList WalkLetters(QWidget* Window)
{
    QStringList Problems;
    // The window manager's activation reaches the widgets a moment after the X window's.
    if (!WaitUntil([&] {
            QWidget* Focus = QApplication::focusWidget();
            return QApplication::activeWindow() == Window && (!Focus || Focus->window() == Window);
        }))
        return {Name(Window) + " never had the keyboard"};
    for (const TKeyed& Keyed : KeyedControls(Window)) {
        const QChar Letter = Mnemonic(Keyed.Text);
        if (Letter.isNull() || !Keyed.Control->isEnabled() || qobject_cast<QMenuBar*>(Keyed.Control))
            continue;
        const QString Who = Name(Keyed.Control) + " \"" + Keyed.Text + '"';
        QWidget* Target = Keyed.Control;
        if (auto* Label = qobject_cast<QLabel*>(Target))
            Target = Label->buddy();
        if (!Target)
            continue; // WindowProblems names it
        if (auto* Button = qobject_cast<QAbstractButton*>(Target)) {
            std::vector<std::unique_ptr<QSignalBlocker>> Held;
            Held.push_back(std::make_unique<QSignalBlocker>(Button));
            if (auto* Tool = qobject_cast<QToolButton*>(Button); Tool && Tool->defaultAction())
                Held.push_back(std::make_unique<QSignalBlocker>(Tool->defaultAction()));
            const bool Checked = Button->isChecked();
            QTest::keyClick(Window, KeyOf(Letter), Qt::AltModifier);
            if (!Button->isDown())
                Problems << Who + ": Alt+" + Letter + " does not press " + Name(Button);
            WaitUntil([&] { return !Button->isDown(); });
            Button->setChecked(Checked);
            continue;
        }
        QTest::keyClick(Window, KeyOf(Letter), Qt::AltModifier);
        QWidget* Focus = QApplication::focusWidget();
        const bool Reached = qobject_cast<QGroupBox*>(Target)
                                 ? Focus && Target->isAncestorOf(Focus)
                                 : Focus == Target || (Focus && Focus == Target->focusProxy());
        if (!Reached)
            Problems << Who + ": Alt+" + Letter + " goes to " +
                            (Focus ? Name(Focus) : QString("nothing"));
    }
    return Problems;
}

// The widgets Tab visits from the focus widget of Window until it comes back, by name.
inline QStringList TabWalk(QWidget* Window, int Most = 64)
{
    QStringList Visited;
    QWidget* Start = QApplication::focusWidget();
    if (!Start)
        return {"(no focus)"};
    Visited << Start->objectName();
    for (int I = 0; I < Most; ++I) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* Now = QApplication::focusWidget();
        if (!Now || Now == Start)
            break;
        Visited << Now->objectName();
    }
    (void)Window;
    return Visited;
}

} // namespace KeyboardAccess
