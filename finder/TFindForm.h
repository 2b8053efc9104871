#pragma once

#include "search/TTextSearch.h"

#include <QDialog>

#include <cstdint>

class TScreenSaverDataModule;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// Find in everything: a text in the English words, transcriptions or Bulgarian texts (or all of
// them), as a part of a word or as whole words, case ignored as the store ignores it. Entries show
// in the list as they are found, in the file's order, with the count below; Stop ends the search
// at once. Choosing an entry (double click or Enter) reports its ID by EntryChosen; the window
// stays open for the next.
class TFindForm : public QDialog
{
    Q_OBJECT

public:
    // Searches the words of Store (none: nothing is found).
    explicit TFindForm(TScreenSaverDataModule* Store, QWidget* Parent = nullptr);

    QLineEdit* FindEdit = nullptr;
    QComboBox* FieldBox = nullptr; // Everywhere, English, Transcription, Bulgarian
    QCheckBox* WholeWordsBox = nullptr;
    QPushButton* FindButton = nullptr;
    QPushButton* StopButton = nullptr;
    QTableWidget* ResultList = nullptr;
    QLabel* CountLabel = nullptr;

    // Searches the open dictionary for what the form says.
    void FindExecute();
    void StopExecute();
    bool Running() const { return FSearch->Running(); }
    // The IDs in the list, top to bottom.
    int32_t IdAt(int Row) const;

signals:
    void EntryChosen(int32_t ID);

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void Add(const QVector<TFoundEntry>& Entries, int Counted);
    void Done(int Count);
    void ShowRunning(bool Running);
    TScreenSaverDataModule* FStore;
    TTextSearch* FSearch = nullptr;
    int FListed = 0;
};
