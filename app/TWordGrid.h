#pragma once

#include <QFont>
#include <QString>

#include <functional>

class QTableView;
class TEnglishTableModel;

// The main window's word grid as it looks and answers: fonts by pixel height, fixed columns and
// rows, column lines only, a selection that stays visible without focus, a ring while it has the
// keyboard, and a double-click anywhere on it (row indicators and the room below the rows too, not
// only a cell).
namespace TWordGrid {

// Fonts are asked for by name and character height in pixels; fontconfig picks a face of the
// same kind where the named one is not installed.
QFont DesignFont(const QString& Family, int Height, bool Bold = false);

// Puts Model in Grid and gives the grid its look.
void Design(QTableView* Grid, TEnglishTableModel* Model);

// Runs Action on a double-click where the view itself reports none (row indicators, the room
// below the rows); cells report through the view's doubleClicked.
void WatchDoubleClicks(QTableView* Grid, std::function<void()> Action);

} // namespace TWordGrid
