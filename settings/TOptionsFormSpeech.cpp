// The options dialog's speech group, added below the note options: the dialog grows by its
// height and the two buttons move down with the bottom edge; everything else keeps its place.
#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "settings/TSpeechSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>

namespace {
constexpr int GroupTop = 264;
constexpr int GroupHeight = 65;
constexpr int Grown = GroupHeight + 7;
} // namespace

bool TOptionsForm::Execute(TAppRegInfo& Settings, QWidget* Owner)
{
    TOptionsForm Form(Settings, Owner);
    Form.SetSpeechSettings(&Settings.Speech);
    Form.SetLookUpSettings(&Settings.LookUp);
    Form.SetReferenceSettings(&Settings.Reference);
    Form.SetReviewSettings(&Settings.Review);
    Form.SetInterfaceLanguage(&Settings.Interface);
    return Form.exec() == QDialog::Accepted;
}

void TOptionsForm::CreateSpeechPage()
{
    SpeechGroupBox = new QGroupBox(QCoreApplication::translate("TOptionsForm", "Speech"), this);
    SpeechGroupBox->setObjectName(QStringLiteral("SpeechGroupBox"));
    SpeechGroupBox->setGeometry(2, GroupTop, 270, GroupHeight);

    VoiceLabel = new QLabel(QCoreApplication::translate("TOptionsForm", "V&oice"), SpeechGroupBox);
    VoiceLabel->setObjectName(QStringLiteral("VoiceLabel"));
    VoiceLabel->setGeometry(8, 19, 46, 13);
    VoiceComboBox = new QComboBox(SpeechGroupBox);
    VoiceComboBox->setObjectName(QStringLiteral("VoiceComboBox"));
    VoiceComboBox->setGeometry(56, 15, 130, 21);
    VoiceComboBox->addItems({QCoreApplication::translate("TOptionsForm", "British English"),
                             QCoreApplication::translate("TOptionsForm", "American English")});
    VoiceLabel->setBuddy(VoiceComboBox);

    NotesSpeakCheckBox = new QCheckBox(
        QCoreApplication::translate("TOptionsForm", "Notes say their wor&d"), SpeechGroupBox);
    NotesSpeakCheckBox->setObjectName(QStringLiteral("NotesSpeakCheckBox"));
    NotesSpeakCheckBox->setGeometry(8, 41, 200, 17);
    NotesSpeakCheckBox->setStatusTip(QCoreApplication::translate(
        "TOptionsForm", "A learning note says its English word when it appears"));

    const TSpeechSettings Defaults;
    VoiceComboBox->setCurrentIndex(int(Defaults.Voice));
    NotesSpeakCheckBox->setChecked(Defaults.NotesSpeak);

    for (QWidget* Button :
         {static_cast<QWidget*>(ui->OKBitBtn), static_cast<QWidget*>(ui->CancelBitBtn)})
        Button->move(Button->x(), Button->y() + Grown);
    setFixedSize(width(), height() + Grown);
    setTabOrder(ui->AxisComboBox, VoiceComboBox);
    setTabOrder(VoiceComboBox, NotesSpeakCheckBox);
    setTabOrder(NotesSpeakCheckBox, ui->OKBitBtn);
    FLastGroup = SpeechGroupBox;
    FLastTabStop = NotesSpeakCheckBox;
}

void TOptionsForm::SetSpeechSettings(TSpeechSettings* Speech)
{
    FSpeech = Speech;
    if (!FSpeech)
        return;
    VoiceComboBox->setCurrentIndex(FSpeech->Voice == TSpeechVoice::American ? 1 : 0);
    NotesSpeakCheckBox->setChecked(FSpeech->NotesSpeak);
}

void TOptionsForm::SpeechPageOK()
{
    if (!FSpeech)
        return;
    FSpeech->Voice =
        VoiceComboBox->currentIndex() == 1 ? TSpeechVoice::American : TSpeechVoice::British;
    FSpeech->NotesSpeak = NotesSpeakCheckBox->isChecked();
}
