#pragma once

#include <QString>

// Starting the program when the user logs on. The registry's Run value is kept by the settings;
// this is the part the desktop acts on: an XDG autostart entry whose command starts the program
// with the argument "startup".
namespace TAutostart {

// The running program file (the real one unless a test set another). Empty when its name is not
// UTF-8 text, which no desktop entry can carry.
QString ProgramPath();
// Tests set a path of their own; an empty path restores the real one.
void SetProgramPath(const QString& Path);

// The command line kept in the Run value: the path, quoted when it holds a space or a tab, a
// space and "startup".
QString RunCommand(const QString& Program);

// $XDG_CONFIG_HOME/autostart/vexlo-vocabulary.desktop ($XDG_CONFIG_HOME defaults to ~/.config).
QString DesktopEntryPath();
// The Exec key's value, quoted and escaped by the desktop entry rules, with "startup".
QString DesktopExec(const QString& Program);
// The whole desktop entry file for Program.
QByteArray DesktopEntry(const QString& Program);

// Writes (atomically) or removes the desktop entry for ProgramPath(). A missing entry is no error
// when removing. False when the file cannot be written or removed, or when there is no program
// path to write.
bool SetDesktopEntry(bool Enabled);
bool DesktopEntryExists();

} // namespace TAutostart
