#pragma once

#include <QDialog>

#include <memory>

class TScreenSaverDataModule;
class QAction;
class QCompleter;
class QPainter;
class QPushButton;
class QRect;
class TReferencePanel;

namespace Ui {
class TEditForm;
}

enum TEditMode
{
    emNew = 0,
    emEdit = 1
};

// The word editor: a modal dialog that creates a new entry or changes the current one in the
// store it is given (none: OK only says that the vocabulary is not open). One instance lives for the whole program and is
// reused for every opening; ShowEditor resets or reloads every field.
//
// MainForm is the main window: the dialog is its child and centres on it at every opening. When
// it is null the dialog centres on the active window of the application.
class TEditForm : public QDialog
{
    Q_OBJECT
public:
    explicit TEditForm(TScreenSaverDataModule* Store, QWidget* MainForm = nullptr);
    ~TEditForm() override;

    // Prepares the dialog for Mode, shows it modally and returns when it closes.
    void ShowEditor(TEditMode Mode);

    // The palette character of a column, U+0000 for a column outside 0..11.
    static QChar TranscriptChar(int Column);
    static constexpr int TranscriptCharCount = 12;

    TEditMode FMode = emNew;
    // The English word of the entry an edit was opened for, as it was read.
    QString FEditedWord;

    // Handlers, public so that the main window and the tests can reach them.
    void TranscriptStringGridDrawCell(QPainter* Painter, int Column, const QRect& Rect,
                                      bool Selected);
    void TranscriptStringGridClick();
    void OKBitBtnClick();
    // Whether the store's current entry is still the one the edit was opened for.
    bool EditedEntryIsCurrent() const;

    std::unique_ptr<Ui::TEditForm> ui;

    // Pronunciation (TEditFormSpeech.cpp). Speak says the English word; Suggest fills the
    // transcription from it, asking before it replaces one; a backslash in the transcription
    // opens a list of phonetic symbols by short codes (\ae gives æ); Space in the palette
    // inserts its current symbol.
    QAction* SpeakAction = nullptr;       // the speaker at the end of the English edit, F8
    QPushButton* SuggestBitBtn = nullptr; // "Suggest", bottom left, Ctrl+T
    QCompleter* PhoneticCompleter = nullptr;
    void SpeakClick();
    void SuggestBitBtnClick();
    // Opens the dialog for a new entry with its English word already filled in.
    void ShowEditorFor(const QString& English);
    struct TPhoneticCode
    {
        const char* Code;
        const char16_t* Symbol;
        const char* Example;
    };
    static const QList<TPhoneticCode>& PhoneticCodes();

    // The reference dictionary's senses and transcription (TReferencePanel).
    TReferencePanel* Reference = nullptr;
    // Puts a transcription from Suggest or the reference into its field, asking before it
    // replaces another; Source is the button's name, Note the status bar's word on where it came
    // from.
    void OfferTranscription(const QString& Transcription, const QString& Source,
                            const QString& Note);

protected:
    bool event(QEvent* Event) override;
    void ApplyReadableColours();
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate();
    void FormShow();
    void PrepareForNew();
    void PrepareForEdit();
    void CentreOnMainForm();
    // The caret in the transcription as the user left it: the start of the selection if any.
    int TranscriptionCaret() const;

    void CreateSpeechControls();
    void PlaceSpeechControls();
    bool SpeechEventFilter(QObject* Watched, QEvent* Event);
    void TranscriptionEdited();
    void InsertPhoneticCode(const QString& Symbol);
    void InsertFromPaletteByKey();

    TScreenSaverDataModule* FStore;
    QWidget* FMainForm;
    QString FNewWord;
    int FCodeStart = -1;
    int FTranscriptionCaret = 0;
    bool FCaretAtEndOnFocus = false;
};
