#pragma once

#include <QString>
#include <QStringList>

#include <iosfwd>

class TAdminForm;

// The program's start: single instance, command-line options, the long-lived objects in their
// order, the event loop, and the shut-down order.
namespace TVexloApplication {

inline const QString Title = QStringLiteral("Vexlo Vocabulary 2007");

// Runs the program; the result is the process exit code.
int Run(int argc, char* argv[]);

// Handles the options that end at once (--help, --version, --create-empty, --create-sample).
// Arguments are without the program name. Returns -1 when none of them is present.
int RunCommandLineTool(const QStringList& Arguments, std::ostream& Out, std::ostream& Err);

// "--demo DIR": makes DIR/english.mdb from the sample vocabulary when missing and points the
// screen saver's DataFile setting at it. Removes the option from Arguments (program name first).
// Returns false, with a message in Error, when the demo cannot be prepared.
bool PrepareDemo(QStringList& Arguments, QString& Error);

// "--lookup TEXT": takes the option out of Arguments (program name first) into Text. Returns false,
// with a message in Error, when TEXT is missing.
bool TakeLookUp(QStringList& Arguments, QString& Text, bool& Given, QString& Error);

// Asked to end by a signal: the open dialogs and questions are answered "no" (a running import
// is cancelled and rolled back), and once every one of them has returned, the window closes for
// good, as the close command does.
void EndAsClosed(TAdminForm* Form);

} // namespace TVexloApplication
