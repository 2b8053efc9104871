#include "settings/TOptionsForm.h"

#include "ui_TOptionsForm.h"

#include "widgets/TMenuImages.h"
#include "widgets/TScreenPlacement.h"
#include "widgets/VexloComponents.h"

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPainter>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace {

TOptionsForm::TColorPicker& ColorPicker()
{
    static TOptionsForm::TColorPicker Picker;
    return Picker;
}

std::optional<QColor> RunColorDialog(const QColor& Initial, QWidget* Parent)
{
    QColorDialog ColorDialog(Initial, Parent);
    ColorDialog.setObjectName(QStringLiteral("ColorDialog"));
    if (ColorDialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ColorDialog.selectedColor();
}

// A drop-down list keeps its designed width; where the substituted font draws an item wider than
// the box's text field, the box's font is made a little smaller until every item shows whole.
void FitItemsToBox(QComboBox* Box)
{
    QFont Font = Box->font();
    auto Widest = [Box](const QFontMetrics& Metrics) {
        int Result = 0;
        for (int I = 0; I < Box->count(); ++I)
            Result = std::max(Result, Metrics.horizontalAdvance(Box->itemText(I)));
        return Result;
    };
    QStyleOptionComboBox Option;
    Option.initFrom(Box);
    const int Room =
        Box->style()
            ->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, Box)
            .width();
    constexpr qreal SmallestPoints = 6.0;
    while (Widest(QFontMetrics(Font)) > Room && Font.pointSizeF() - 0.5 >= SmallestPoints)
        Font.setPointSizeF(Font.pointSizeF() - 0.5);
    if (Font != Box->font())
        Box->setFont(Font);
}

} // namespace

TOptionsForm::TOptionsForm(TAppRegInfoData& Settings, QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TOptionsForm>()), FSettings(Settings), FOwner(Owner)
{
    ui->setupUi(this);
    setFixedSize(274, 296);
    SetDialogFont(this);
    for (QComboBox* Box : {ui->PositionComboBox, ui->AxisComboBox})
        FitItemsToBox(Box);

    ui->OKBitBtn->setIcon(TMenuImages::CheckMarkGlyph());
    connect(ui->OKBitBtn, &QPushButton::clicked, this, &TOptionsForm::OKBitBtnClick);
    connect(ui->CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
    for (QToolButton* Button : {ui->EnglishSpeedButton, ui->TranscriptionSpeedButton,
                                ui->BulgarianSpeedButton, ui->NoteSpeedButton})
        connect(Button, &QToolButton::clicked, this,
                [this, Button] { LanguageColorButtonClick(Button); });
    connect(ui->StartLearnCheckBox, &QCheckBox::clicked, this,
            &TOptionsForm::StartLearnCheckBoxClick);

    for (TUpDown* UpDown : {ui->EveryUpDown, ui->DurationUpDown, ui->DelayBGUpDown})
        UpDown->SetRange(0, 100);
    ui->EveryUpDown->SetAssociate(ui->EveryMaskEdit);
    ui->DurationUpDown->SetAssociate(ui->DurationMaskEdit);
    ui->DelayBGUpDown->SetAssociate(ui->DelayBGMaskEdit);
    connect(ui->DurationUpDown, &TUpDown::Changing, this, &TOptionsForm::DurationUpDownChangingEx);
    connect(ui->DelayBGUpDown, &TUpDown::Changing, this, &TOptionsForm::DelayBGUpDownChangingEx);

    FormCreate();
    CreateSpeechPage();
    CreateLookUpPage();
    CreateNotesShowPage();
    CreateReferencePage();
    CreateLanguagePage();
}

TOptionsForm::~TOptionsForm() = default;

bool TOptionsForm::Execute(TAppRegInfoData& Settings, QWidget* Owner)
{
    TOptionsForm Form(Settings, Owner);
    return Form.exec() == QDialog::Accepted;
}

void TOptionsForm::SetColorPicker(TColorPicker Picker)
{
    ColorPicker() = std::move(Picker);
}

QColor TOptionsForm::ToQColor(int32_t Color)
{
    const auto C = static_cast<uint32_t>(Color);
    return QColor(int(C & 0xFF), int(C >> 8 & 0xFF), int(C >> 16 & 0xFF));
}

int32_t TOptionsForm::FromQColor(const QColor& Color)
{
    return int32_t(uint32_t(Color.red()) | uint32_t(Color.green()) << 8 |
                   uint32_t(Color.blue()) << 16);
}

void TOptionsForm::FormCreate()
{
    FEnColor = FSettings.EnColor;
    FBgColor = FSettings.BgColor;
    FTrColor = FSettings.TrColor;
    FNoteColor = FSettings.NoteColor;

    PaintColorGlyph(ui->EnglishSpeedButton, FSettings.EnColor);
    PaintColorGlyph(ui->TranscriptionSpeedButton, FSettings.TrColor);
    PaintColorGlyph(ui->BulgarianSpeedButton, FSettings.BgColor);
    PaintColorGlyph(ui->NoteSpeedButton, FSettings.NoteColor);

    ui->StartLearnCheckBox->setChecked(FSettings.ResidentMode);
    ui->StartOSCheckBox->setChecked(FSettings.RunOnWindowsStart);
    ui->TransCheckBox->setChecked(FSettings.Transparent);

    const int Position = FSettings.NotePosition;
    ui->PositionComboBox->setCurrentIndex(
        Position >= 0 && Position < ui->PositionComboBox->count() ? Position : -1);

    // Setting a position raises the changing events as a user step would, so "Delay BG" is
    // already bound to "Duration" when its own value arrives.
    ui->EveryUpDown->SetPosition(FSettings.SequenceInterval);
    ui->DurationUpDown->SetPosition(FSettings.DurationInterval);
    ui->DelayBGUpDown->SetPosition(FSettings.DelayInterval);

    ui->AnimateCheckBox->setChecked(FSettings.Animate);
    ui->HideOrCloseCheckBox->setChecked(FSettings.HideOrClose);
    ui->ClipboardCheckBox->setChecked(FSettings.CopyFromClipboard);

    const int Axis = FSettings.Axis;
    ui->AxisComboBox->setCurrentIndex(Axis >= 0 && Axis < ui->AxisComboBox->count() ? Axis : -1);

    EnableNoteControls(ui->StartLearnCheckBox->isChecked());
}

void TOptionsForm::PaintColorGlyph(QToolButton* Button, int32_t Color)
{
    // Every pixel of the swatch is drawn: a one-pixel outline in the button-text colour around
    // a fill of the colour.
    const QSize Size(Button->width() - 8, Button->height() - 8);
    QPixmap Glyph(Size);
    QPainter P(&Glyph);
    P.fillRect(Glyph.rect(), ToQColor(Color));
    P.setPen(Button->palette().color(QPalette::ButtonText));
    P.drawRect(0, 0, Size.width() - 1, Size.height() - 1);
    P.end();
    Button->setIconSize(Size);
    Button->setIcon(QIcon(Glyph));
    Button->setProperty("GlyphColor", Color);
}

int32_t TOptionsForm::PickColor(QToolButton* Button, int32_t Color)
{
    const QColor Initial = ToQColor(Color);
    const std::optional<QColor> Chosen =
        ColorPicker() ? ColorPicker()(Initial, this) : RunColorDialog(Initial, this);
    if (!Chosen || !Chosen->isValid())
        return Color;
    const int32_t Result = FromQColor(*Chosen);
    PaintColorGlyph(Button, Result);
    return Result;
}

void TOptionsForm::LanguageColorButtonClick(QObject* Sender)
{
    auto* Button = qobject_cast<QToolButton*>(Sender);
    if (!Button)
        return;
    int32_t* Working = nullptr;
    switch (Button->property("tag").toInt()) {
    case 1:
        Working = &FEnColor;
        break;
    case 2:
        Working = &FTrColor;
        break;
    case 3:
        Working = &FBgColor;
        break;
    case 4:
        Working = &FNoteColor;
        break;
    default:
        return;
    }
    *Working = PickColor(Button, *Working);
}

void TOptionsForm::DurationUpDownChangingEx(int NewValue, bool* AllowChange)
{
    *AllowChange = true;
    if (NewValue <= 0)
        return;
    if (NewValue < ui->DelayBGUpDown->Position())
        ui->DelayBGUpDown->SetPosition(NewValue);
    ui->DelayBGUpDown->SetMax(NewValue);
}

void TOptionsForm::DelayBGUpDownChangingEx(int NewValue, bool* AllowChange)
{
    *AllowChange = true;
    ui->DelayBGMaskEdit->setText(QString::number(NewValue));
}

void TOptionsForm::StartLearnCheckBoxClick(bool Checked)
{
    EnableNoteControls(Checked);
}

void TOptionsForm::EnableNoteControls(bool On)
{
    const QList<QWidget*> NoteControls = {
        ui->ColorGroupBox,    ui->EnglishSpeedButton,
        ui->EnglishLabel,     ui->TranscriptionSpeedButton,
        ui->TranscLabel,      ui->BulgarianSpeedButton,
        ui->BulgLabel,        ui->RepeatTaskGroupBox,
        ui->EveryLabel,       ui->EveryMaskEdit,
        ui->EveryUpDown,      ui->DurationLabel,
        ui->DurationMaskEdit, ui->DurationUpDown,
        ui->DelayBGLabel,     ui->DelayBGMaskEdit,
        ui->DelayBGUpDown,    ui->NoteGroupBox,
        ui->NoteSpeedButton,  ui->NoteLabel,
        ui->PositionLabel,    ui->PositionComboBox,
        ui->TransCheckBox,    ui->AnimateCheckBox,
        ui->AxisLabel,        ui->AxisComboBox,
    };
    for (QWidget* Control : NoteControls)
        Control->setEnabled(On);
}

void TOptionsForm::OKBitBtnClick()
{
    FSettings.EnColor = FEnColor;
    FSettings.BgColor = FBgColor;
    FSettings.TrColor = FTrColor;
    FSettings.NoteColor = FNoteColor;
    FSettings.ResidentMode = ui->StartLearnCheckBox->isChecked();
    FSettings.RunOnWindowsStart = ui->StartOSCheckBox->isChecked();
    FSettings.Transparent = ui->TransCheckBox->isChecked();
    FSettings.NotePosition = ui->PositionComboBox->currentIndex();
    FSettings.SequenceInterval = int16_t(ui->EveryUpDown->Position());
    FSettings.DurationInterval = int16_t(ui->DurationUpDown->Position());
    FSettings.DelayInterval = int16_t(ui->DelayBGUpDown->Position());
    FSettings.Animate = ui->AnimateCheckBox->isChecked();
    FSettings.Axis = ui->AxisComboBox->currentIndex();
    FSettings.CopyFromClipboard = ui->ClipboardCheckBox->isChecked();
    FSettings.HideOrClose = ui->HideOrCloseCheckBox->isChecked();
    SpeechPageOK();
    LookUpPageOK();
    NotesShowPageOK();
    ReferencePageOK();
    LanguagePageOK();
    accept();
}

bool TOptionsForm::event(QEvent* Event)
{
    // No tool tips; the long hints of the buttons go to the owner's status bar.
    if (Event->type() == QEvent::ToolTip)
        return true;
    if (Event->type() == QEvent::StatusTip && FOwner) {
        QStatusTipEvent Copy(static_cast<QStatusTipEvent*>(Event)->tip());
        QCoreApplication::sendEvent(FOwner, &Copy);
        return true;
    }
    return QDialog::event(Event);
}

void TOptionsForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (Event->spontaneous() || !FOwner)
        return;
    TScreenPlacement::CentreFrameOn(this, FOwner);
}

void TOptionsForm::StackGroup(QGroupBox* Group, int Height, QWidget* First, QWidget* Last)
{
    constexpr int Gap = 7;
    Group->setGeometry(2, FLastGroup->geometry().bottom() + 1 + Gap, 270, Height);
    for (QWidget* Button :
         {static_cast<QWidget*>(ui->OKBitBtn), static_cast<QWidget*>(ui->CancelBitBtn)})
        Button->move(Button->x(), Button->y() + Height + Gap);
    setFixedSize(width(), height() + Height + Gap);
    setTabOrder(FLastTabStop, First);
    setTabOrder(Last, ui->OKBitBtn);
    FLastGroup = Group;
    FLastTabStop = Last;
}
