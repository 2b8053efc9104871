#include "editor/TEditForm.h"

#include "ui_TEditForm.h"

#include "editor/TFieldCounter.h"
#include "editor/TReferencePanel.h"
#include "widgets/VexloComponents.h"
#include "widgets/TScreenPlacement.h"
#include "store/TEnBgRecord.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloWideStrings.h"
#include "widgets/TMenuImages.h"
#include "widgets/TMessageBox.h"
#include "widgets/TReadableColours.h"
#include "widgets/TScreenPlacement.h"
#include "widgets/VexloComponents.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QStatusTipEvent>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <exception>

namespace {

// Draws the palette cells through the form's handler instead of the view's own painting.
class TTranscriptGridDelegate : public QStyledItemDelegate
{
public:
    explicit TTranscriptGridDelegate(TEditForm* Form) : QStyledItemDelegate(Form), FForm(Form) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override
    {
        Painter->save();
        FForm->TranscriptStringGridDrawCell(Painter, Index.column(), Option.rect,
                                            Option.state.testFlag(QStyle::State_Selected));
        Painter->restore();
    }

private:
    TEditForm* FForm;
};

// The dialog's icon: a page with lines of text and a pencil.
QIcon EditorIcon()
{
    QPixmap Icon(32, 32);
    Icon.fill(Qt::transparent);
    QPainter P(&Icon);
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(QPen(QColor(0x55, 0x60, 0x70), 1.5));
    P.setBrush(QColor(0xFB, 0xFB, 0xF4));
    P.drawRoundedRect(QRectF(5.5, 2.5, 19, 26), 2, 2);
    P.setPen(QPen(QColor(0x4A, 0x7A, 0xC0), 2));
    for (int Y = 9; Y <= 21; Y += 4)
        P.drawLine(QPointF(9, Y), QPointF(Y == 21 ? 15 : 21, Y));
    P.translate(22, 20);
    P.rotate(45);
    P.setPen(QPen(QColor(0x6B, 0x42, 0x10), 1));
    P.setBrush(QColor(0xF2, 0xB1, 0x2C));
    P.drawRect(QRectF(-3, -11, 6, 15));
    P.setBrush(QColor(0xE8, 0xC8, 0x9A));
    QPolygonF Tip;
    Tip << QPointF(-3, 4) << QPointF(3, 4) << QPointF(0, 9);
    P.drawPolygon(Tip);
    P.end();
    return QIcon(Icon);
}

} // namespace

TEditForm::TEditForm(TScreenSaverDataModule* Store, QWidget* MainForm)
    : QDialog(MainForm, Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TEditForm>()), FStore(Store), FMainForm(MainForm)
{
    ui->setupUi(this);
    FormCreate();
}

TEditForm::~TEditForm() = default;

QChar TEditForm::TranscriptChar(int Column)
{
    static constexpr char16_t Chars[TranscriptCharCount] = {
        u'\u028C', u'\u0259', u'\u0254', u'\u00E6', u'\u025B', u'\u025C',
        u'\u014B', u'\u0292', u'\u0283', u'\u03B8', u'\u00F0', u'\u02CB',
    };
    if (Column < 0 || Column >= TranscriptCharCount)
        return QChar(0);
    return QChar(Chars[Column]);
}

void TEditForm::FormCreate()
{
    SetDialogFont(this);
    setWindowIcon(EditorIcon());
    setSizeGripEnabled(false); // the status bar carries the grip
    setMinimumSize(472, 323);
    resize(472, 323);

    ApplyReadableColours();
    ui->TranscriptionEdit->installEventFilter(this);
    ui->EnglishEdit->installEventFilter(this);

    ui->LevelUpDown->SetRange(0, 9);
    ui->LevelUpDown->SetAssociate(ui->LevelEdit);
    ui->LevelUpDown->SetPosition(0);

    ui->OKBitBtn->setIcon(TMenuImages::CheckMarkGlyph());
    connect(ui->OKBitBtn, &QPushButton::clicked, this, &TEditForm::OKBitBtnClick);
    // Ctrl+Enter is OK from any field, the Bulgarian text's too (where Enter starts a new line).
    for (const QKeySequence& Keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* Ok = new QShortcut(Keys, this);
        connect(Ok, &QShortcut::activated, this, &TEditForm::OKBitBtnClick);
    }
    // Each field's length and limit while it is typed in.
    auto* Counter = new TFieldCounter(ui->StatusBar);
    Counter->AddField(ui->EnglishEdit, QCoreApplication::translate("TEditForm", "English"), 30);
    Counter->AddField(ui->TranscriptionEdit,
                      QCoreApplication::translate("TEditForm", "Transcription"), 30);
    Counter->AddField(ui->BulgarianMemo, QCoreApplication::translate("TEditForm", "Bulgarian"),
                      255);
    connect(ui->CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);

    // The palette: one row of twelve 17 x 17 cells between grid lines.
    QTableWidget* Grid = ui->TranscriptStringGrid;
    Grid->setItemDelegate(new TTranscriptGridDelegate(this));
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    Grid->setMouseTracking(true);
    for (int Column = 0; Column < TranscriptCharCount; ++Column) {
        auto* Item = new QTableWidgetItem(QString(TranscriptChar(Column)));
        Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        Grid->setItem(0, Column, Item);
    }
    Grid->setCurrentCell(0, 0);
    connect(Grid, &QTableWidget::cellClicked, this, [this] { TranscriptStringGridClick(); });

    CreateSpeechControls();
    Reference = new TReferencePanel(this, ui->EnglishEdit, ui->BulgarianMemo);
    connect(Reference, &TReferencePanel::TranscriptionPicked, this, [this](const QString& T) {
        OfferTranscription(T, QCoreApplication::translate("TEditForm", "Reference"),
                           QCoreApplication::translate(
                               "TEditForm", "From the reference dictionary; check it before saving."));
    });
    connect(Reference, &TReferencePanel::HeightChanged, this, [this](int Delta) {
        const int Height = height() + Delta;
        setMinimumHeight(323 + Reference->Height());
        resize(width(), Height);
    });
    setTabOrder(SuggestBitBtn, Reference->TranscriptionButton);
    setTabOrder(Reference->TranscriptionButton, Reference->ToggleButton);

    for (QWidget* W : findChildren<QWidget*>())
        W->setToolTip(QString());
}

void TEditForm::ShowEditor(TEditMode Mode)
{
    FMode = Mode;
    if (FMode == emNew)
        PrepareForNew();
    else
        PrepareForEdit();
    ui->StatusBar->clearMessage();
    exec();
}

void TEditForm::PrepareForNew()
{
    setWindowTitle(QCoreApplication::translate("TEditForm", "New Data"));
    ui->EnglishEdit->setText(FNewWord);
    ui->TranscriptionEdit->clear();
    ui->BulgarianMemo->clear();
    ui->LevelUpDown->SetPosition(0);
    ui->LevelEdit->setText(QStringLiteral("0"));
    FTranscriptionCaret = 0;
    Reference->Prepare(true);
}

void TEditForm::PrepareForEdit()
{
    TEnBgRecord Rec;
    if (FStore)
        FStore->ReadCurrentEntry(Rec);
    setWindowTitle(QCoreApplication::translate("TEditForm", "Edit Data"));
    FEditedWord = Rec.EnglishWord;
    ui->EnglishEdit->setText(Rec.EnglishWord);
    ui->BulgarianMemo->clear();
    TVexloWideStrings Lines;
    Lines.SetText(Rec.BulgarianText);
    QStringList Shown;
    for (int I = 0; I < Lines.Count(); ++I)
        Shown.append(Lines.Get(I));
    ui->BulgarianMemo->setPlainText(Shown.join(u'\n'));
    ui->TranscriptionEdit->setText(Rec.Transcription);
    ui->TranscriptionEdit->setCursorPosition(0);
    FTranscriptionCaret = 0;
    ui->LevelEdit->setText(QString::number(Rec.WordLevel));
    ui->LevelUpDown->SetPosition(Rec.WordLevel);
    Reference->Prepare(false);
}

void TEditForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormShow();
}

void TEditForm::FormShow()
{
    FCaretAtEndOnFocus = true;
    ui->EnglishEdit->setFocus(Qt::OtherFocusReason);
    ui->EnglishEdit->deselect();
    ui->EnglishEdit->end(false);
    CentreOnMainForm();
}

void TEditForm::CentreOnMainForm()
{
    QWidget* Main = FMainForm;
    if (!Main) {
        Main = QApplication::activeWindow();
        if (Main == this)
            Main = nullptr;
    }
    if (!Main)
        return;
    // Before its first showing the dialog's frame is not known yet: the main window's is taken.
    // The frame stays on the screen, so that the title bar can always be dragged.
    TScreenPlacement::CentreFrameOn(this, Main);
}

void TEditForm::resizeEvent(QResizeEvent* Event)
{
    QDialog::resizeEvent(Event);
    // Only the Bulgarian group grows with the dialog; the buttons keep their distance to the
    // bottom-right corner and the status bar stays at the bottom.
    const int W = width(), H = height();
    const int Below = Reference ? Reference->Height() : 0; // the reference panel's room
    ui->BulgarianGroupBox->setGeometry(2, 104, W - 7, H - 162 - Below);
    if (Reference)
        Reference->Place(H - 58 - Below, W, 83, H - 53);
    ui->OKBitBtn->move(W - 157, H - 53);
    ui->CancelBitBtn->move(W - 79, H - 53);
    ui->StatusBar->setGeometry(0, H - 19, W, 19);
    PlaceSpeechControls();
}

bool TEditForm::event(QEvent* Event)
{
    // Hints go to this dialog's own status bar, never into tool tips.
    if (Event->type() == QEvent::StatusTip) {
        ui->StatusBar->showMessage(static_cast<QStatusTipEvent*>(Event)->tip());
        return true;
    }
    if (Event->type() == QEvent::ToolTip)
        return true;
    if (Event->type() == QEvent::PaletteChange)
        ApplyReadableColours();
    return QDialog::event(Event);
}

void TEditForm::ApplyReadableColours()
{
    // The transcription's maroon, or what reads on the desktop's grounds.
    QPalette Ink = ui->TranscriptionEdit->palette();
    Ink.setColor(QPalette::Text,
                 TReadableColours::TranscriptionInk(palette().color(QPalette::Base)));
    ui->TranscriptionEdit->setPalette(Ink);
}

bool TEditForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (SpeechEventFilter(Watched, Event))
        return true;
    // The window's activation hands the English edit its focus as if tabbed into, which would
    // select all of it; an opening wants the caret after the last character instead.
    if (Watched == ui->EnglishEdit && Event->type() == QEvent::FocusIn && FCaretAtEndOnFocus) {
        FCaretAtEndOnFocus = false;
        const Qt::FocusReason Reason = static_cast<QFocusEvent*>(Event)->reason();
        if (Reason == Qt::TabFocusReason || Reason == Qt::BacktabFocusReason) {
            QFocusEvent Plain(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(ui->EnglishEdit, &Plain);
            ui->EnglishEdit->deselect();
            ui->EnglishEdit->end(false);
            return true;
        }
    }
    // The line edit drops its selection when it loses the focus to the palette; remember where
    // the insertion goes before it does.
    if (Watched == ui->TranscriptionEdit && Event->type() == QEvent::FocusOut) {
        QLineEdit* Edit = ui->TranscriptionEdit;
        FTranscriptionCaret =
            Edit->hasSelectedText() ? Edit->selectionStart() : Edit->cursorPosition();
    }
    return QDialog::eventFilter(Watched, Event);
}

int TEditForm::TranscriptionCaret() const
{
    const QLineEdit* Edit = ui->TranscriptionEdit;
    if (Edit->hasFocus())
        return Edit->hasSelectedText() ? Edit->selectionStart() : Edit->cursorPosition();
    return std::clamp(FTranscriptionCaret, 0, int(Edit->text().size()));
}

void TEditForm::TranscriptStringGridDrawCell(QPainter* Painter, int Column, const QRect& Rect,
                                             bool Selected)
{
    QFont Font = ui->TranscriptStringGrid->font();
    Font.setFamily(QStringLiteral("Lucida Sans Unicode"));
    Painter->setFont(Font);
    QColor Brush = ui->TranscriptStringGrid->palette().color(QPalette::Base);
    QColor Ink = ui->TranscriptStringGrid->palette().color(QPalette::ButtonText);
    if (Selected) {
        Brush = QColor(0x80, 0x80, 0x80);
        Ink = QColor(0xFF, 0xFF, 0xFF);
    }
    Painter->fillRect(Rect, Brush);
    Painter->setPen(Ink);
    Painter->setRenderHint(QPainter::TextAntialiasing);
    Painter->drawText(QRect(Rect.left() + 3, Rect.top(), Rect.width() - 3, Rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, QString(TranscriptChar(Column)));
}

void TEditForm::TranscriptStringGridClick()
{
    QLineEdit* Edit = ui->TranscriptionEdit;
    const int P = TranscriptionCaret();
    const QString Text = Edit->text();
    const QChar Char = TranscriptChar(ui->TranscriptStringGrid->currentColumn());
    Edit->setText(Text.left(P) + Char + Text.mid(P));
    Edit->setFocus(Qt::OtherFocusReason);
    Edit->deselect();
    Edit->setCursorPosition(P + 1);
    FTranscriptionCaret = P + 1;
}

bool TEditForm::EditedEntryIsCurrent() const
{
    if (!FStore || !FStore->ADOTable->Active() ||
        FStore->ADOTable->IsEmpty())
        return false;
    TEnBgRecord Rec;
    FStore->ReadCurrentEntry(Rec);
    return Rec.EnglishWord == FEditedWord;
}

void TEditForm::OKBitBtnClick()
{
    const QString English = ui->EnglishEdit->text();
    int B = 0, E = English.size();
    while (B < E && English[B].unicode() <= 0x20)
        ++B;
    while (E > B && English[E - 1].unicode() <= 0x20)
        --E;
    if (B == E) {
        TMessageBox::Error(this, QCoreApplication::translate("TEditForm", "Error"),
                           QCoreApplication::translate("TEditForm", "Enter valid word"));
        return;
    }

    TEnBgRecord Rec;
    Rec.EnglishWord = English;
    Rec.BulgarianText = ui->BulgarianMemo->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
    Rec.Transcription = ui->TranscriptionEdit->text();
    Rec.WordLevel = ui->LevelUpDown->Position();

    // A row the store refuses (a text longer than its field, for instance) is reported, and the
    // dialog stays open with everything typed so that the user can shorten it.
    try {
        if (!FStore)
            throw EVexloDatabaseError(
                QCoreApplication::translate("TEditForm", "The vocabulary is not open."));
        if (FMode == emNew)
            FStore->AppendEntry(Rec);
        else
            FStore->UpdateCurrentEntry(Rec);
    } catch (const EVexloDatabaseError& Error) {
        // Another program may have changed the file meanwhile; the store has read it again and
        // kept the current entry by its word. When the entry being edited is gone, OK must not
        // go on to change whichever entry is current now: what was typed becomes a new entry.
        QString Message = Error.Message();
        if (FMode == emEdit && !EditedEntryIsCurrent()) {
            FMode = emNew;
            setWindowTitle(QCoreApplication::translate("TEditForm", "New Data"));
            Message += QCoreApplication::translate(
                           "TEditForm", "\nThe word \"%1\" is no longer in the dictionary: OK "
                                        "adds what you typed as a new word.")
                           .arg(FEditedWord);
        }
        TMessageBox::Error(this, QApplication::applicationDisplayName(), Message);
        return;
    } catch (const std::exception& Error) {
        TMessageBox::Error(this, QApplication::applicationDisplayName(),
                           QString::fromUtf8(Error.what()));
        return;
    }
    accept();
}
