#include "settings/TOptionsForm.h"
#include "widgets/TMenuImages.h"

#include "widgets/VexloComponents.h"

#include "ui_TOptionsForm.h"

#include "settings/TInterfaceLanguage.h"
#include "settings/TLookUpSettings.h"
#include "settings/TReferenceSettings.h"
#include "reference/TReference.h"
#include "widgets/TFileDialog.h"
#include "settings/TSpeechSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QApplication* TestApp()
{
    static int Argc = 1;
    static char Arg0[] = "options-test";
    static char* Argv[] = {Arg0, nullptr};
    static QApplication* App = new QApplication(Argc, Argv);
    return App;
}

class OptionsFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        TOptionsForm::SetColorPicker({});
        Settings.ResidentMode = true; // the note controls are greyed otherwise
    }
    void TearDown() override { TOptionsForm::SetColorPicker({}); }

    // Every control set to something other than what the settings hold.
    static void ChangeEverything(Ui::TOptionsForm& Ui)
    {
        Ui.StartLearnCheckBox->click();
        Ui.StartOSCheckBox->click();
        Ui.ClipboardCheckBox->click();
        Ui.HideOrCloseCheckBox->click();
        Ui.TransCheckBox->click();
        Ui.AnimateCheckBox->click();
        Ui.EveryUpDown->Step(+1);
        Ui.DurationUpDown->Step(-1);
        Ui.DelayBGUpDown->Step(-1);
        Ui.PositionComboBox->setCurrentIndex(2);
        Ui.AxisComboBox->setCurrentIndex(1);
        for (QToolButton* B : {Ui.EnglishSpeedButton, Ui.TranscriptionSpeedButton,
                               Ui.BulgarianSpeedButton, Ui.NoteSpeedButton})
            B->click();
    }

    static QColor SwatchColour(QToolButton* Button)
    {
        const QImage Glyph = Button->icon().pixmap(Button->iconSize()).toImage();
        return QColor(Glyph.pixel(Glyph.width() / 2, Glyph.height() / 2));
    }

    TAppRegInfoData Settings;
};

TEST_F(OptionsFormTest, ControlsShowTheSettingsAndOKCopiesThemBack)
{
    Settings.ResidentMode = true;
    Settings.RunOnWindowsStart = true;
    Settings.CopyFromClipboard = false;
    Settings.HideOrClose = true;
    Settings.Transparent = true;
    Settings.Animate = false;
    Settings.SequenceInterval = 45;
    Settings.DurationInterval = 20;
    Settings.DelayInterval = 7;
    Settings.NotePosition = 3;
    Settings.Axis = 1;
    Settings.EnColor = 0x00010203;
    Settings.TrColor = 0x00040506;
    Settings.BgColor = 0x00070809;
    Settings.NoteColor = 0x000A0B0C;
    TOptionsForm Form(Settings);
    Ui::TOptionsForm& Ui = *Form.ui;
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("Options"));
    EXPECT_TRUE(Ui.StartLearnCheckBox->isChecked());
    EXPECT_TRUE(Ui.StartOSCheckBox->isChecked());
    EXPECT_FALSE(Ui.ClipboardCheckBox->isChecked());
    EXPECT_TRUE(Ui.HideOrCloseCheckBox->isChecked());
    EXPECT_TRUE(Ui.TransCheckBox->isChecked());
    EXPECT_FALSE(Ui.AnimateCheckBox->isChecked());
    EXPECT_EQ(Ui.EveryMaskEdit->text(), QStringLiteral("45"));
    EXPECT_EQ(Ui.DurationMaskEdit->text(), QStringLiteral("20"));
    EXPECT_EQ(Ui.DelayBGMaskEdit->text(), QStringLiteral("7"));
    EXPECT_EQ(Ui.PositionComboBox->currentIndex(), 3);
    EXPECT_EQ(Ui.AxisComboBox->currentIndex(), 1);
    EXPECT_EQ(SwatchColour(Ui.EnglishSpeedButton), QColor(0x03, 0x02, 0x01));
    EXPECT_EQ(SwatchColour(Ui.NoteSpeedButton), QColor(0x0C, 0x0B, 0x0A));
    EXPECT_EQ(Ui.EnglishSpeedButton->iconSize(), QSize(13, 13));
    for (QLineEdit* Field : {Ui.EveryMaskEdit, Ui.DurationMaskEdit, Ui.DelayBGMaskEdit})
        EXPECT_TRUE(Field->isReadOnly());

    const TAppRegInfoData Before = Settings;
    Ui.OKBitBtn->click();
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_EQ(std::memcmp(&Before, &Settings, sizeof Settings), 0);
}

// Values outside 0..100 show at the nearest end and are stored so; an unknown corner or axis
// shows no selection and is stored as -1.
TEST_F(OptionsFormTest, OutOfRangeValuesAreClampedOrUnselected)
{
    Settings.SequenceInterval = 300;
    Settings.DurationInterval = -5;
    Settings.DelayInterval = -5;
    Settings.NotePosition = 4;
    Settings.Axis = -1;
    TOptionsForm Form(Settings);
    EXPECT_EQ(Form.ui->EveryMaskEdit->text(), QStringLiteral("100"));
    EXPECT_EQ(Form.ui->DurationMaskEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(Form.ui->PositionComboBox->currentIndex(), -1);
    EXPECT_EQ(Form.ui->AxisComboBox->currentIndex(), -1);
    Form.ui->OKBitBtn->click();
    EXPECT_EQ(Settings.SequenceInterval, 100);
    EXPECT_EQ(Settings.DurationInterval, 0);
    EXPECT_EQ(Settings.DelayInterval, 0);
    EXPECT_EQ(Settings.NotePosition, -1);
    EXPECT_EQ(Settings.Axis, -1);
}

TEST_F(OptionsFormTest, DelayFollowsDuration)
{
    Settings.DurationInterval = 10;
    Settings.DelayInterval = 8;
    TOptionsForm Form(Settings);
    TUpDown* Duration = Form.ui->DurationUpDown;
    TUpDown* Delay = Form.ui->DelayBGUpDown;
    EXPECT_EQ(Delay->Max(), 10);
    for (int I = 0; I < 5; ++I)
        Duration->DownButton()->click();
    EXPECT_EQ(Duration->Position(), 5);
    EXPECT_EQ(Delay->Position(), 5);
    EXPECT_EQ(Form.ui->DelayBGMaskEdit->text(), QStringLiteral("5"));
    EXPECT_EQ(Delay->Max(), 5);
    Delay->UpButton()->click(); // at its limit
    EXPECT_EQ(Delay->Position(), 5);

    for (int I = 0; I < 4; ++I)
        Duration->UpButton()->click();
    EXPECT_EQ(Delay->Max(), 9);
    EXPECT_EQ(Delay->Position(), 5);

    for (int I = 0; I < 20; ++I)
        Duration->DownButton()->click();
    EXPECT_EQ(Duration->Position(), 0);
    EXPECT_EQ(Delay->Max(), 1);
    EXPECT_EQ(Delay->Position(), 1);

    // Arrow keys on the field step as well.
    QTest::keyClick(Form.ui->DurationMaskEdit, Qt::Key_Up);
    EXPECT_EQ(Duration->Position(), 1);
}

TEST_F(OptionsFormTest, ZeroDurationAtOpeningLeavesTheDelayItsFullRange)
{
    Settings.DurationInterval = 0;
    Settings.DelayInterval = 40;
    TOptionsForm Form(Settings);
    EXPECT_EQ(Form.ui->DelayBGUpDown->Max(), 100);
    EXPECT_EQ(Form.ui->DelayBGMaskEdit->text(), QStringLiteral("40"));
}

TEST_F(OptionsFormTest, ColourButtonsRunThePickerAndCancelKeepsTheOldColour)
{
    QList<QColor> Offered;
    std::optional<QColor> Answer = QColor(0x11, 0x22, 0x33);
    TOptionsForm::SetColorPicker([&](const QColor& Initial, QWidget*) {
        Offered.append(Initial);
        return Answer;
    });
    TOptionsForm Form(Settings);
    Form.ui->TranscriptionSpeedButton->click();
    ASSERT_EQ(Offered.size(), 1);
    EXPECT_EQ(Offered[0], QColor(0xFF, 0, 0)); // the transcription's red
    EXPECT_EQ(Form.FTrColor, 0x00332211);
    EXPECT_EQ(SwatchColour(Form.ui->TranscriptionSpeedButton), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(Settings.TrColor, 0x0000FF); // not before OK

    Answer.reset(); // the user cancels the colour dialog
    Form.ui->NoteSpeedButton->click();
    EXPECT_EQ(Form.FNoteColor, 0x00FFFF);
    EXPECT_EQ(SwatchColour(Form.ui->NoteSpeedButton), QColor(0xFF, 0xFF, 0));

    Form.ui->OKBitBtn->click();
    EXPECT_EQ(Settings.TrColor, 0x00332211);
    EXPECT_EQ(Settings.NoteColor, 0x00FFFF);
}

TEST_F(OptionsFormTest, LearningNotesOffGreysTheNoteControlsButOKStillCopiesThem)
{
    Settings.ResidentMode = true;
    TOptionsForm::SetColorPicker([](const QColor&, QWidget*) { return QColor(0, 0x80, 0); });
    TOptionsForm Form(Settings);
    Ui::TOptionsForm& Ui = *Form.ui;
    Ui.EnglishSpeedButton->click();
    Ui.EveryUpDown->UpButton()->click();
    Ui.TransCheckBox->click();

    Ui.StartLearnCheckBox->click();
    for (QWidget* W :
         {static_cast<QWidget*>(Ui.ColorGroupBox), static_cast<QWidget*>(Ui.RepeatTaskGroupBox),
          static_cast<QWidget*>(Ui.NoteGroupBox), static_cast<QWidget*>(Ui.EveryUpDown),
          static_cast<QWidget*>(Ui.AxisComboBox), static_cast<QWidget*>(Ui.NoteLabel)})
        EXPECT_FALSE(W->isEnabled()) << W->objectName().toStdString();
    for (QWidget* W :
         {static_cast<QWidget*>(Ui.GroupBox3), static_cast<QWidget*>(Ui.StartLearnCheckBox),
          static_cast<QWidget*>(Ui.OKBitBtn), static_cast<QWidget*>(Ui.CancelBitBtn)})
        EXPECT_TRUE(W->isEnabled()) << W->objectName().toStdString();
    Ui.StartLearnCheckBox->click();
    EXPECT_TRUE(Ui.NoteGroupBox->isEnabled());
    EXPECT_TRUE(Ui.EveryUpDown->isEnabled());
    Ui.StartLearnCheckBox->click();

    Ui.OKBitBtn->click();
    EXPECT_FALSE(Settings.ResidentMode);
    EXPECT_EQ(Settings.EnColor, 0x008000);
    EXPECT_EQ(Settings.SequenceInterval, 31);
    EXPECT_TRUE(Settings.Transparent);
}

TEST_F(OptionsFormTest, CancelEscapeAndCloseLeaveTheSettingsUntouched)
{
    TOptionsForm::SetColorPicker([](const QColor&, QWidget*) { return QColor(1, 2, 3); });
    for (int Way = 0; Way < 3; ++Way) {
        SCOPED_TRACE(Way);
        Settings.ResidentMode = true;
        const TAppRegInfoData Before = Settings;
        bool Accepted = true;
        QWidget Owner;
        Owner.setGeometry(200, 200, 700, 500);
        Owner.show();
        QTimer::singleShot(0, [&] {
            auto* Form = Owner.findChild<TOptionsForm*>();
            ASSERT_NE(Form, nullptr);
            ChangeEverything(*Form->ui);
            if (Way == 0)
                Form->ui->CancelBitBtn->click();
            else if (Way == 1)
                QTest::keyClick(Form, Qt::Key_Escape);
            else
                Form->close();
        });
        Accepted = TOptionsForm::Execute(Settings, &Owner);
        EXPECT_FALSE(Accepted);
        EXPECT_EQ(std::memcmp(&Before, &Settings, sizeof Settings), 0);
    }
}

TEST_F(OptionsFormTest, ExecuteReturnsTrueOnOK)
{
    QWidget Owner;
    Owner.setGeometry(100, 100, 600, 600);
    Owner.show();
    QTimer::singleShot(0, [&] {
        auto* Form = Owner.findChild<TOptionsForm*>();
        ASSERT_NE(Form, nullptr);
        // Centred on the owner, outer rectangles compared.
        const QRect Outer = Owner.frameGeometry();
        const QRect Mine = Form->frameGeometry();
        EXPECT_LE(std::abs(Mine.center().x() - Outer.center().x()), 1);
        EXPECT_LE(std::abs(Mine.center().y() - Outer.center().y()), 1);
        // Grown by the speech, look-up, "Notes show", reference and language groups below.
        EXPECT_EQ(Form->size(), QSize(274, 631));
        // "OK" carries the same glyph as the word editor's.
        EXPECT_EQ(Form->ui->OKBitBtn->icon().pixmap(16, 16).toImage(),
                  TMenuImages::CheckMarkGlyph().pixmap(16, 16).toImage());
        Form->ui->HideOrCloseCheckBox->click();
        Form->ui->OKBitBtn->click();
    });
    EXPECT_TRUE(TOptionsForm::Execute(Settings, &Owner));
    EXPECT_TRUE(Settings.HideOrClose);
}

} // namespace

namespace {

// The speech group below the note options: the rest of the dialog keeps its place, the buttons
// move down with the bottom edge, and OK alone copies the voice and the notes' speaking back.
TEST_F(OptionsFormTest, SpeechGroupBelowTheNoteOptions)
{
    {
        TOptionsForm Form(Settings, nullptr);
        // The speech group, then the look-up, "Notes show", reference and language groups, below
        // the note options.
        EXPECT_EQ(Form.size(), QSize(274, 631));
        EXPECT_EQ(Form.ui->NoteGroupBox->geometry(), QRect(2, 168, 270, 89));
        EXPECT_EQ(Form.ui->GroupBox3->geometry(), QRect(2, 0, 270, 65));
        EXPECT_EQ(Form.SpeechGroupBox->geometry(), QRect(2, 264, 270, 65));
        EXPECT_EQ(Form.LookUpGroupBox->geometry(), QRect(2, 336, 270, 45));
        EXPECT_EQ(Form.NotesShowGroupBox->geometry(), QRect(2, 388, 270, 45));
        EXPECT_EQ(Form.ReferenceGroupBox->geometry(), QRect(2, 440, 270, 100));
        EXPECT_EQ(Form.LanguageGroupBox->geometry(), QRect(2, 547, 270, 45));
        EXPECT_EQ(Form.ui->OKBitBtn->geometry(), QRect(120, 599, 73, 25));
        EXPECT_EQ(Form.ui->CancelBitBtn->geometry(), QRect(198, 599, 73, 25));
        // Without speech settings to edit, the group shows the defaults.
        EXPECT_EQ(Form.VoiceComboBox->currentText(), QStringLiteral("British English"));
        EXPECT_FALSE(Form.NotesSpeakCheckBox->isChecked());
        Form.VoiceComboBox->setCurrentIndex(1);
        Form.ui->OKBitBtn->click();
    }
    struct TCase
    {
        TSpeechVoice Voice;
        bool NotesSpeak;
        bool PressOK;
    } const Cases[] = {{TSpeechVoice::British, false, true},
                       {TSpeechVoice::American, true, true},
                       {TSpeechVoice::American, false, false}};
    for (const TCase& C : Cases) {
        TSpeechSettings Speech;
        Speech.Voice = C.Voice;
        Speech.NotesSpeak = C.NotesSpeak;
        TOptionsForm Form(Settings, nullptr);
        Form.SetSpeechSettings(&Speech);
        EXPECT_EQ(Form.VoiceComboBox->currentIndex(), int(C.Voice));
        EXPECT_EQ(Form.NotesSpeakCheckBox->isChecked(), C.NotesSpeak);
        Form.VoiceComboBox->setCurrentIndex(1 - int(C.Voice));
        Form.NotesSpeakCheckBox->click();
        // The speech controls stay usable while learning notes are off.
        Form.ui->StartLearnCheckBox->setChecked(false);
        Form.StartLearnCheckBoxClick(false);
        EXPECT_TRUE(Form.VoiceComboBox->isEnabled());
        (C.PressOK ? Form.ui->OKBitBtn : Form.ui->CancelBitBtn)->click();
        const bool Changed = C.PressOK;
        EXPECT_EQ(Speech.Voice == C.Voice, !Changed);
        EXPECT_EQ(Speech.NotesSpeak == C.NotesSpeak, !Changed);
    }
}

// "On look-up": the first choice takes the keyboard (the default), the second leaves it; OK copies
// the choice back, Cancel does not.
TEST_F(OptionsFormTest, LookUpChoiceShowsTheSettingAndOKCopiesItBack)
{
    for (const bool Take : {true, false})
        for (const bool PressOK : {true, false}) {
            SCOPED_TRACE(Take * 2 + PressOK);
            TLookUpSettings LookUp;
            LookUp.TakeKeyboard = Take;
            TOptionsForm Form(Settings, nullptr);
            Form.SetLookUpSettings(&LookUp);
            EXPECT_EQ(Form.LookUpComboBox->currentIndex(), Take ? 0 : 1);
            Form.LookUpComboBox->setCurrentIndex(Take ? 1 : 0);
            (PressOK ? Form.ui->OKBitBtn : Form.ui->CancelBitBtn)->click();
            EXPECT_EQ(LookUp.TakeKeyboard, PressOK ? !Take : Take);
        }
}

// The reference group: on/off and the index shown and copied back on OK only; the status says
// whether the dictionary is there, and how to get FreeDict's when it is not.
TEST_F(OptionsFormTest, ReferenceGroupShowsTheSettingsAndHowToGetTheDictionary)
{
    QTemporaryDir Dir;
    const QString Missing = Dir.filePath("freedict-eng-bul.index");
    const QString Other = Dir.filePath("other.index");
    QFile(Other).open(QIODevice::WriteOnly);
    struct TCase
    {
        bool Enabled;
        QString Default; // where FreeDict's index is looked for
        QString Index;   // the setting
        const char* Status;
    } const Cases[] = {
        {true, Missing, "", "Not installed. To get it: sudo apt install dict-freedict-eng-bul"},
        {true, Other, "", "FreeDict English–Bulgarian (CC BY-SA) is installed."},
        {true, Missing, Other, "A dictd dictionary; it is read when first needed."},
        {true, Missing, Dir.filePath("nothing.index"), "There is no such file."},
        {false, Missing, "", "Off: new words get no suggested meanings."},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Status);
        TReference::SetDefaultIndexPath(C.Default);
        TReferenceSettings Reference;
        Reference.Enabled = C.Enabled;
        Reference.IndexPath = C.Index;
        TOptionsForm Form(Settings, nullptr);
        Form.SetReferenceSettings(&Reference);
        EXPECT_EQ(Form.ReferenceCheckBox->isChecked(), C.Enabled);
        EXPECT_EQ(Form.ReferenceEdit->text(), C.Index);
        EXPECT_EQ(Form.ReferenceEdit->isEnabled(), C.Enabled);
        EXPECT_EQ(Form.ReferenceStatusLabel->text(), QString::fromUtf8(C.Status));
        EXPECT_EQ(Form.ReferenceStatusLabel->textFormat(), Qt::PlainText);
    }
    for (const bool PressOK : {true, false}) {
        TReferenceSettings Reference;
        TOptionsForm Form(Settings, nullptr);
        Form.SetReferenceSettings(&Reference);
        TFileDialog::SetNextAnswer(Other);
        Form.ReferenceBrowseButton->click();
        EXPECT_EQ(Form.ReferenceEdit->text(), Other);
        Form.ReferenceCheckBox->click();
        (PressOK ? Form.ui->OKBitBtn : Form.ui->CancelBitBtn)->click();
        EXPECT_EQ(Reference.Enabled, !PressOK);
        EXPECT_EQ(Reference.IndexPath, PressOK ? Other : QString());
    }
    TFileDialog::ClearAnswers();
    TReference::SetDefaultIndexPath({});
}

// "Interface language": the system's, English or Bulgarian, each language named in itself; OK
// copies the choice back, Cancel does not.
TEST_F(OptionsFormTest, LanguageChoiceShowsTheSettingAndOKCopiesItBack)
{
    TOptionsForm Plain(Settings, nullptr);
    EXPECT_EQ(Plain.LanguageComboBox->currentIndex(), 0);
    ASSERT_EQ(Plain.LanguageComboBox->count(), 3);
    EXPECT_EQ(Plain.LanguageComboBox->itemText(0), QStringLiteral("System"));
    EXPECT_EQ(Plain.LanguageComboBox->itemText(1), QStringLiteral("English"));
    EXPECT_EQ(Plain.LanguageComboBox->itemText(2), QStringLiteral("Български"));
    for (const int Choice : {0, 1, 2})
        for (const bool PressOK : {true, false}) {
            SCOPED_TRACE(Choice * 2 + PressOK);
            TInterfaceLanguage Language;
            Language.Choice = Choice;
            TOptionsForm Form(Settings, nullptr);
            Form.SetInterfaceLanguage(&Language);
            EXPECT_EQ(Form.LanguageComboBox->currentIndex(), Choice);
            const int Other = (Choice + 1) % 3;
            Form.LanguageComboBox->setCurrentIndex(Other);
            (PressOK ? Form.ui->OKBitBtn : Form.ui->CancelBitBtn)->click();
            EXPECT_EQ(Language.Choice, PressOK ? Other : Choice);
        }
}

// The text field of a closed drop-down list, where its current item is drawn.
QRect EditField(QComboBox* Box)
{
    QStyleOptionComboBox Option;
    Option.initFrom(Box);
    Option.editable = Box->isEditable();
    return Box->style()->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField,
                                        Box);
}

// With whatever font the system substitutes for the dialog's, every item of the drop-down lists
// shows whole in the closed box (the open list is at least as wide).
TEST_F(OptionsFormTest, EveryDropDownItemShowsWhole)
{
    TOptionsForm Form(Settings, nullptr);
    for (QComboBox* Box : {Form.ui->PositionComboBox, Form.ui->AxisComboBox, Form.LookUpComboBox,
                           Form.LanguageComboBox}) {
        SCOPED_TRACE(Box->objectName().toStdString());
        const QFontMetrics Metrics(Box->font());
        for (int I = 0; I < Box->count(); ++I) {
            SCOPED_TRACE(Box->itemText(I).toStdString());
            EXPECT_LE(Metrics.horizontalAdvance(Box->itemText(I)), EditField(Box).width());
        }
    }
}

} // namespace
