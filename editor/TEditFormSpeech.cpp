// The word editor's pronunciation aids: the Speak button, Suggest, the backslash codes of the
// transcription and the palette's keyboard use.
#include "editor/TEditForm.h"

#include "ui_TEditForm.h"
#include "widgets/TMenuImages.h"

#include "settings/TSpeechSettings.h"
#include "speech/TSpeaker.h"
#include "speech/TTranscription.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloTable.h"
#include "widgets/TMessageBox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

constexpr int CodeRole = Qt::UserRole;
constexpr int SymbolRole = Qt::UserRole + 1;
// A code is at most this long; a backslash further back starts no code.
constexpr int LongestCode = 6;

} // namespace

const QList<TEditForm::TPhoneticCode>& TEditForm::PhoneticCodes()
{
    static const QList<TPhoneticCode> Codes = {
        {"'", u"ˋ", "stress"},  {",", u"ˌ", "secondary stress"},
        {":", u"ː", "long"},    {"ae", u"æ", "cat"},
        {"aa", u"ɑ", "father"}, {"oh", u"ɒ", "hot"},
        {"aw", u"ɔ", "law"},    {"uh", u"ʌ", "cup"},
        {"@", u"ə", "about"},   {"schwa", u"ə", "about"},
        {"er", u"ɜ", "bird"},   {"eh", u"ɛ", "bed"},
        {"ih", u"ɪ", "sit"},    {"uu", u"ʊ", "put"},
        {"ng", u"ŋ", "sing"},   {"sh", u"ʃ", "she"},
        {"zh", u"ʒ", "vision"}, {"th", u"θ", "thin"},
        {"dh", u"ð", "this"},   {"ch", u"tʃ", "chin"},
        {"dj", u"dʒ", "jam"},   {"g", u"ɡ", "go"},
    };
    return Codes;
}

void TEditForm::CreateSpeechControls()
{
    SpeakAction = new QAction(TMenuImages::SpeakerGlyph(),
                              QCoreApplication::translate("TEditForm", "Speak"), this);
    SpeakAction->setObjectName(QStringLiteral("SpeakAction"));
    SpeakAction->setShortcut(QKeySequence(Qt::Key_F8));
    SpeakAction->setShortcutContext(Qt::WindowShortcut);
    SpeakAction->setStatusTip(
        QCoreApplication::translate("TEditForm", "Say the English word aloud (F8)"));
    ui->EnglishEdit->addAction(SpeakAction, QLineEdit::TrailingPosition);
    addAction(SpeakAction);
    connect(SpeakAction, &QAction::triggered, this, &TEditForm::SpeakClick);

    SuggestBitBtn = new QPushButton(QCoreApplication::translate("TEditForm", "&Suggest"), this);
    SuggestBitBtn->setObjectName(QStringLiteral("SuggestBitBtn"));
    SuggestBitBtn->setAutoDefault(false);
    SuggestBitBtn->setStatusTip(QCoreApplication::translate(
        "TEditForm", "Fill in the transcription from the English word (Ctrl+T)"));
    connect(SuggestBitBtn, &QPushButton::clicked, this, &TEditForm::SuggestBitBtnClick);
    auto* SuggestAction = new QAction(this);
    SuggestAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    SuggestAction->setShortcutContext(Qt::WindowShortcut);
    addAction(SuggestAction);
    connect(SuggestAction, &QAction::triggered, this, &TEditForm::SuggestBitBtnClick);
    setTabOrder(ui->LevelEdit, SuggestBitBtn);
    PlaceSpeechControls();

    // Words that cannot be said are told in the status bar; the main window tells the first
    // failure in a box of its own.
    connect(TSpeaker::Shared(), &TSpeaker::Failed, this, [this](const QString& Message) {
        if (isVisible())
            ui->StatusBar->showMessage(Message);
    });

    // The codes: typed after a backslash, picked from the list with Enter, Tab or a click.
    // The list shows three columns: the code, the symbol and a word it sounds in.
    auto* Model = new QStandardItemModel(0, 3, this);
    for (const TPhoneticCode& C : PhoneticCodes()) {
        const QString Code = QString::fromLatin1(C.Code);
        const QString Symbol = QString::fromUtf16(C.Symbol);
        auto* CodeItem = new QStandardItem(QLatin1Char('\\') + Code);
        CodeItem->setData(Code, CodeRole);
        CodeItem->setData(Symbol, SymbolRole);
        Model->appendRow({CodeItem, new QStandardItem(Symbol),
                          new QStandardItem(QString::fromLatin1(C.Example))});
    }
    auto* List = new QTreeView;
    List->setHeaderHidden(true);
    List->setRootIsDecorated(false);
    List->setUniformRowHeights(true);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PhoneticCompleter = new QCompleter(Model, this);
    PhoneticCompleter->setPopup(List);
    List->setColumnWidth(0, 64);
    List->setColumnWidth(1, 40);
    PhoneticCompleter->setObjectName(QStringLiteral("PhoneticCompleter"));
    PhoneticCompleter->setCompletionRole(CodeRole);
    PhoneticCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    PhoneticCompleter->setCompletionMode(QCompleter::PopupCompletion);
    PhoneticCompleter->setWidget(ui->TranscriptionEdit);
    PhoneticCompleter->popup()->setFont(ui->TranscriptionEdit->font());
    connect(PhoneticCompleter, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& Index) {
                InsertPhoneticCode(Index.siblingAtColumn(0).data(SymbolRole).toString());
            });
    connect(ui->TranscriptionEdit, &QLineEdit::textEdited, this, &TEditForm::TranscriptionEdited);

    ui->TranscriptStringGrid->installEventFilter(this);
    // Tab takes the highlighted symbol too (the list would otherwise let the focus move on).
    PhoneticCompleter->popup()->installEventFilter(this);
}

void TEditForm::PlaceSpeechControls()
{
    if (SuggestBitBtn)
        SuggestBitBtn->setGeometry(6, height() - 53, 73, 25);
}

void TEditForm::ShowEditorFor(const QString& English)
{
    FNewWord = English;
    struct TClear
    {
        QString& Word;
        ~TClear() { Word.clear(); }
    } Clear{FNewWord};
    ShowEditor(emNew);
}

void TEditForm::SpeakClick()
{
    const QString English = ui->EnglishEdit->text().trimmed();
    if (English.isEmpty()) {
        ui->StatusBar->showMessage(
            QCoreApplication::translate("TEditForm", "Type the English word first."));
        return;
    }
    TSpeaker::Shared()->Speak(English, TSpeechSettings::Live().Voice);
}

void TEditForm::SuggestBitBtnClick()
{
    const QString English = ui->EnglishEdit->text().trimmed();
    if (English.isEmpty()) {
        ui->StatusBar->showMessage(
            QCoreApplication::translate("TEditForm", "Type the English word first."));
        return;
    }
    QString Error;
    if (!TSpeechEngine::Available(&Error)) {
        TMessageBox::Error(this, QCoreApplication::translate("TEditForm", "Suggest"), Error);
        return;
    }
    const QString Suggested = TTranscription::Suggest(English, TSpeechSettings::Live().Voice);
    if (Suggested.isEmpty()) {
        ui->StatusBar->showMessage(
            QCoreApplication::translate("TEditForm", "There is no pronunciation for this text."));
        return;
    }
    OfferTranscription(
        Suggested, QCoreApplication::translate("TEditForm", "Suggest"),
        QCoreApplication::translate("TEditForm", "Suggested by espeak-ng; check it before saving."));
}

void TEditForm::OfferTranscription(const QString& Suggested, const QString& Source,
                                   const QString& Note)
{
    QLineEdit* Edit = ui->TranscriptionEdit;
    const QString Typed = Edit->text();
    if (Typed == Suggested) {
        ui->StatusBar->showMessage(
            QCoreApplication::translate("TEditForm", "The transcription is the suggested one."));
        return;
    }
    // A transcription that is there already is only replaced when the user says so.
    if (!Typed.trimmed().isEmpty() &&
        TMessageBox::Question(
            this, Source,
            QCoreApplication::translate("TEditForm", "Replace the transcription [%1] with [%2]?")
                .arg(Typed, Suggested),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    Edit->setText(Suggested);
    Edit->setFocus(Qt::OtherFocusReason);
    Edit->deselect();
    Edit->end(false);
    FTranscriptionCaret = int(Suggested.size());
    // A phrase can give more than the store's field holds: say so now rather than at OK.
    const int Room = FStore && FStore->ADOTableTRANS
                         ? FStore->ADOTableTRANS->Size()
                         : 0;
    if (Room > 0 && Suggested.size() > Room)
        ui->StatusBar->showMessage(
            QCoreApplication::translate("TEditForm", "The suggestion has %1 characters, but a "
                                                     "transcription holds %2; shorten it.")
                .arg(Suggested.size())
                .arg(Room));
    else
        ui->StatusBar->showMessage(Note);
}

void TEditForm::TranscriptionEdited()
{
    QLineEdit* Edit = ui->TranscriptionEdit;
    const int Caret = Edit->cursorPosition();
    const QString Before = Edit->text().left(Caret);
    const int Slash = int(Before.lastIndexOf(QLatin1Char('\\')));
    const QString Prefix = Slash < 0 ? QString() : Before.mid(Slash + 1);
    if (Slash < 0 || Prefix.size() > LongestCode || Prefix.contains(QLatin1Char(' '))) {
        FCodeStart = -1;
        PhoneticCompleter->popup()->hide();
        return;
    }
    FCodeStart = Slash;
    PhoneticCompleter->setCompletionPrefix(Prefix);
    if (PhoneticCompleter->completionCount() == 0) {
        PhoneticCompleter->popup()->hide();
        return;
    }
    QRect Place = Edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    Place.setWidth(200);
    PhoneticCompleter->complete(Place);
    QAbstractItemView* List = PhoneticCompleter->popup();
    List->setCurrentIndex(PhoneticCompleter->completionModel()->index(0, 0));
}

void TEditForm::InsertPhoneticCode(const QString& Symbol)
{
    QLineEdit* Edit = ui->TranscriptionEdit;
    const int Caret = Edit->cursorPosition();
    if (FCodeStart < 0 || FCodeStart >= Caret)
        return;
    const QString Text = Edit->text();
    Edit->setText(Text.left(FCodeStart) + Symbol + Text.mid(Caret));
    Edit->setCursorPosition(FCodeStart + int(Symbol.size()));
    FCodeStart = -1;
}

// Space in the palette inserts its current symbol at the caret the transcription had, and the
// focus stays in the palette for the next one; the arrow keys move as in any grid.
void TEditForm::InsertFromPaletteByKey()
{
    QLineEdit* Edit = ui->TranscriptionEdit;
    const int P = TranscriptionCaret();
    const QString Text = Edit->text();
    const QChar Char = TranscriptChar(ui->TranscriptStringGrid->currentColumn());
    if (Char.isNull())
        return;
    Edit->setText(Text.left(P) + Char + Text.mid(P));
    Edit->setCursorPosition(P + 1);
    FTranscriptionCaret = P + 1;
}

bool TEditForm::SpeechEventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ui->TranscriptStringGrid && Event->type() == QEvent::KeyPress) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Space && Key->modifiers() == Qt::NoModifier) {
            InsertFromPaletteByKey();
            return true;
        }
    }
    if (PhoneticCompleter && Watched == PhoneticCompleter->popup() &&
        Event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Tab) {
        const QModelIndex Current = PhoneticCompleter->popup()->currentIndex();
        PhoneticCompleter->popup()->hide();
        if (Current.isValid())
            InsertPhoneticCode(Current.siblingAtColumn(0).data(SymbolRole).toString());
        return true;
    }
    return false;
}
