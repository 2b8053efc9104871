#pragma once

#include "search/TMeaningSearch.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TScreenSaverDataModule;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QWidget;
class TMeaningIndexer;

// Finding entries by their meaning, a part of the main window: when the search box holds
// Cyrillic text, the entries whose Bulgarian text has a line or a word beginning with it are
// found (see TMeaningText for what is ignored), the first becomes current, the status bar shows
// how many there are, Enter and F3 go to the next, Shift+F3 to the one before, and the matching
// parts are marked in the Bulgarian text. Latin text is left to the window's own search.
//
// The index is made the first time it is needed, on a thread of its own, and made again whenever
// the store's rows change (own changes, and those of other programs the store has noticed).
class TMeaningFinder : public QObject
{
    Q_OBJECT

public:
    TMeaningFinder(QWidget* Window, TScreenSaverDataModule& Store, QLineEdit* SearchEdit,
                   QPlainTextEdit* Meaning, QStatusBar* StatusBar);
    ~TMeaningFinder() override;

    // Makes Row (0-based, table order) current without the window taking the search box's text
    // for a new search; set by the window.
    std::function<void(int Row)> MoveTo;

    // The search box's text changed: when it holds Cyrillic, searches by meaning and returns true;
    // otherwise ends a search by meaning and returns false.
    bool Search(const QString& Text);
    // The store's rows changed (opened, edited, read again).
    void DataChanged();
    // Enter / F3 and Shift+F3; nothing while no search by meaning is on.
    void FindNext();
    void FindPrior();

    bool Active() const { return FActive; }
    bool Indexing() const;
    const TMeaningSearch& Matches() const { return FSearch; }
    QLabel* CountLabel = nullptr;

private:
    void End();
    void IndexBuilt(std::shared_ptr<const TMeaningIndex> Index);
    void StartIndex();
    void GoTo(int Row);
    void ShowCount();
    void MarkMeaning();
    int CurrentRow() const;

    TScreenSaverDataModule& FStore;
    QLineEdit* FSearchEdit;
    QPlainTextEdit* FMeaning;
    TMeaningIndexer* FIndexer;
    TMeaningSearch FSearch;
    bool FActive = false;
    bool FWanted = false;       // an index has been asked for: keep it current
    bool FStale = false;        // the rows changed since the index was read
    bool FRebuildQueued = false;
    bool FJumpWhenReady = false; // typed while indexing: go to the first match once ready
    QString FFailure;
};
