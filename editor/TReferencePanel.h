#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QWidget;
struct TReferenceResult;

// The word editor's reference: a panel listing the senses the reference dictionary has for the
// English word, and two buttons beside Suggest. Checking a sense puts its Bulgarian text into the
// Bulgarian field, one sense a line (stress accents dropped unless "Keep accents" is on);
// unchecking takes that line out again; lines the user typed stay. The transcription button
// offers the reference's transcription, in the dictionary's manner, as Suggest does espeak-ng's.
//
// For a new word the panel is open whenever the reference is used (Options); for an existing
// word it opens on request (the Reference button). Without a reference dictionary (switched off,
// or not installed) neither the panel nor the buttons are there and the editor is as before.
class TReferencePanel : public QObject
{
    Q_OBJECT
public:
    TReferencePanel(QDialog* Editor, QLineEdit* English, QPlainTextEdit* Bulgarian);

    // Called when the editor is prepared: a new word shows the panel, an edit hides it.
    void Prepare(bool NewWord);
    // The height the panel takes below the Bulgarian text (0 while hidden).
    int Height() const;
    // Lays out the panel (over the area Top..Top+Height of the width Width) and the buttons
    // (from the left at X, in the row Y).
    void Place(int Top, int Width, int X, int Y);

    QWidget* Panel = nullptr;
    QLabel* HeaderLabel = nullptr;
    QListWidget* SenseList = nullptr;
    QCheckBox* KeepAccentsCheckBox = nullptr;
    QToolButton* TranscriptionButton = nullptr; // "[haʊs]", beside Suggest
    QPushButton* ToggleButton = nullptr;        // "Reference", opens and closes the panel

signals:
    // The user chose a transcription of the reference (already in the dictionary's manner).
    void TranscriptionPicked(const QString& Transcription);
    // The panel was shown or hidden: the editor makes room for it.
    void HeightChanged(int Delta);

private:
    void SetOpen(bool Open);
    void Refresh();
    void Show(const TReferenceResult& Result);
    void SenseToggled(QListWidgetItem* Item);
    QString SenseText(QListWidgetItem* Item) const;
    QString ItemText(QListWidgetItem* Item) const;
    void WriteSenses();

    QDialog* FEditor;
    QLineEdit* FEnglish;
    QPlainTextEdit* FBulgarian;
    bool FOpen = false;
    bool FUsable = false;
    QStringList FInserted; // the lines the panel put into the Bulgarian text
    QStringList FTranscriptions;
};
