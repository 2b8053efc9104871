#pragma once

#include "settings/TAppRegInfo.h"

#include <QColor>
#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QToolButton;
struct TSpeechSettings;
struct TLookUpSettings;
struct TReferenceSettings;
class QLineEdit;
class QToolButton;
struct TReviewSettings;
struct TInterfaceLanguage;

namespace Ui {
class TOptionsForm;
}

// The options dialog: edits the live application settings in place. OK copies every control
// (disabled ones too) into the settings; Cancel, Esc or the close box leave them untouched.
// Nothing is written to the registry here.
//
// The main window opens it with
//     TOptionsForm::Execute(*AppSettings, this);
// which shows the dialog modally, centred on the owner, and returns true when OK was pressed.
// Whatever the result, the caller then refreshes its learning-note menu item and timer.
class TOptionsForm : public QDialog
{
    Q_OBJECT
public:
    TOptionsForm(TAppRegInfoData& Settings, QWidget* Owner = nullptr);
    ~TOptionsForm() override;

    static bool Execute(TAppRegInfoData& Settings, QWidget* Owner);

    // The colour picker. Tests install their own: it receives the preset colour and returns the
    // chosen one, or nothing when the user cancels. An empty function restores QColorDialog.
    using TColorPicker =
        std::function<std::optional<QColor>(const QColor& Initial, QWidget* Parent)>;
    static void SetColorPicker(TColorPicker Picker);

    // Colours as the settings hold them, 0x00BBGGRR.
    static QColor ToQColor(int32_t Color);
    static int32_t FromQColor(const QColor& Color);

    // Working colours, copied back by OK only.
    int32_t FEnColor = 0;
    int32_t FTrColor = 0;
    int32_t FBgColor = 0;
    int32_t FNoteColor = 0;

    void PaintColorGlyph(QToolButton* Button, int32_t Color);
    int32_t PickColor(QToolButton* Button, int32_t Color);
    void EnableNoteControls(bool On);

    void LanguageColorButtonClick(QObject* Sender);
    void DurationUpDownChangingEx(int NewValue, bool* AllowChange);
    void DelayBGUpDownChangingEx(int NewValue, bool* AllowChange);
    void StartLearnCheckBoxClick(bool Checked);
    void OKBitBtnClick();

    std::unique_ptr<Ui::TOptionsForm> ui;

    // Speech, below the note options (TOptionsFormSpeech.cpp): the voice and whether notes say
    // their word. Edited only when the dialog is given the speech settings; OK copies them back.
    static bool Execute(TAppRegInfo& Settings, QWidget* Owner);
    void SetSpeechSettings(TSpeechSettings* Speech);
    QGroupBox* SpeechGroupBox = nullptr;
    QLabel* VoiceLabel = nullptr;
    QComboBox* VoiceComboBox = nullptr;
    QCheckBox* NotesSpeakCheckBox = nullptr;

    // Look-up, below speech (TOptionsFormLookUp.cpp): whether a look-up takes the keyboard.
    void SetLookUpSettings(TLookUpSettings* LookUp);
    QGroupBox* LookUpGroupBox = nullptr;
    QComboBox* LookUpComboBox = nullptr;

    // The reference dictionary, below look-up (TOptionsFormReference.cpp): on or off, which dictd
    // index, and how to get FreeDict's when it is missing.
    void SetReferenceSettings(TReferenceSettings* Reference);
    QGroupBox* ReferenceGroupBox = nullptr;
    QCheckBox* ReferenceCheckBox = nullptr;
    QLineEdit* ReferenceEdit = nullptr;
    QToolButton* ReferenceBrowseButton = nullptr;
    QLabel* ReferenceStatusLabel = nullptr;
    void ReferenceBrowseClick();
    void ShowReferenceStatus();
    // What notes show, below look-up (TOptionsFormNotesShow.cpp): a random word or the next word
    // due for review.
    void SetReviewSettings(TReviewSettings* Review);
    QGroupBox* NotesShowGroupBox = nullptr;
    QComboBox* NotesShowComboBox = nullptr;
    // Interface language, below look-up (TOptionsFormLanguage.cpp): the system's, English or
    // Bulgarian, from the next start.
    void SetInterfaceLanguage(TInterfaceLanguage* Language);
    QGroupBox* LanguageGroupBox = nullptr;
    QComboBox* LanguageComboBox = nullptr;

protected:
    bool event(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void FormCreate();
    // The groups below the note options come one under the other: StackGroup puts Group, Height
    // high, below the last one, grows the dialog by as much (OK and Cancel move down with the
    // bottom edge), and puts the group's controls, First to Last, next in the Tab order before OK.
    void StackGroup(QGroupBox* Group, int Height, QWidget* First, QWidget* Last);
    QGroupBox* FLastGroup = nullptr;
    QWidget* FLastTabStop = nullptr;
    void CreateSpeechPage();
    void SpeechPageOK();
    TSpeechSettings* FSpeech = nullptr;
    void CreateLookUpPage();
    void LookUpPageOK();
    TLookUpSettings* FLookUp = nullptr;
    void CreateReferencePage();
    void ReferencePageOK();
    TReferenceSettings* FReference = nullptr;
    void CreateNotesShowPage();
    void NotesShowPageOK();
    TReviewSettings* FReview = nullptr;
    void CreateLanguagePage();
    void LanguagePageOK();
    TInterfaceLanguage* FLanguage = nullptr;

    TAppRegInfoData& FSettings;
    QWidget* FOwner;
};
