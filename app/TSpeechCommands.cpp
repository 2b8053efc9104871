// The main window's pronunciation commands and the look-up that says when it missed.
#include "app/TSpeechCommands.h"

#include "app/TAdminForm.h"

#include "app/TElidedToolButton.h"
#include "widgets/TDisplayText.h"
#include "app/TReferenceHint.h"
#include "widgets/TMenuImages.h"
#include "widgets/TMessageBox.h"
#include "editor/TEditForm.h"
#include "notecard/NoteCard.h"
#include "settings/TSpeechSettings.h"
#include "speech/TSpeaker.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TextCodec.h"
#include "widgets/TMenuImages.h"
#include "widgets/TMessageBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <exception>

namespace {

// A click on a note's word says it, in the voice of the settings.
void NoteWordClicked(const char16_t* English)
{
    const QString Word = English ? QString::fromUtf16(English).trimmed() : QString();
    if (!Word.isEmpty())
        TSpeaker::Shared()->Speak(Word, TSpeechSettings::Live().Voice);
}

// The text as the store searches it: through the 8-bit column, without blanks and controls
// around it.
QString SearchedText(const QString& Typed)
{
    return TextCodec::TrimControls(TextCodec::ThroughNarrow(Typed));
}

// The command's caption for a word; long words are shortened so that the menu stays narrow. An
// "&" in the word is the word's own.
QString AddCaption(const QString& Word)
{
    constexpr int Longest = 30;
    const QString Shown = Word.size() > Longest ? Word.left(Longest - 1) + QChar(0x2026) : Word;
    return QCoreApplication::translate("TSpeechCommands", "&Add \"%1\"\u2026")
        .arg(TDisplayText::KeepAmpersands(Shown));
}

} // namespace

TSpeechCommands::TSpeechCommands(TAdminForm& Form) : QObject(&Form), Form(Form)
{
    SpeakAction = new QAction(TMenuImages::SpeakerGlyph(),
                              QCoreApplication::translate("TSpeechCommands", "&Speak"), &Form);
    SpeakAction->setObjectName(QStringLiteral("SpeakAction"));
    SpeakAction->setShortcut(QKeySequence(Qt::Key_F8));
    SpeakAction->setStatusTip(QCoreApplication::translate("TSpeechCommands", "Say the word aloud"));
    connect(SpeakAction, &QAction::triggered, this, &TSpeechCommands::SpeakExecute);

    AddMissingAction = new QAction(AddCaption(QString()), &Form);
    AddMissingAction->setObjectName(QStringLiteral("AddMissingAction"));
    AddMissingAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    AddMissingAction->setStatusTip(
        QCoreApplication::translate("TSpeechCommands", "Add the word that was not found"));
    AddMissingAction->setIcon(Form.New->icon());
    AddMissingAction->setVisible(false);
    connect(AddMissingAction, &QAction::triggered, this, &TSpeechCommands::AddMissingExecute);

    // File: Add "…" right after New, Speak right after Delete.
    const QList<QAction*> Items = Form.File1->actions();
    const qsizetype AfterNew = Items.indexOf(Form.New) + 1;
    Form.File1->insertAction(AfterNew > 0 && AfterNew < Items.size() ? Items[AfterNew] : nullptr,
                        AddMissingAction);
    const qsizetype AfterDelete = Items.indexOf(Form.Delete) + 1;
    Form.File1->insertAction(
        AfterDelete > 0 && AfterDelete < Items.size() ? Items[AfterDelete] : nullptr, SpeakAction);

    // A long word's caption gives way in the middle; the whole caption is then the button's tip.
    AddMissingButton = new TElidedToolButton(Form.StatusBar);
    AddMissingButton->setObjectName(QStringLiteral("AddMissingButton"));
    AddMissingButton->setDefaultAction(AddMissingAction);
    AddMissingButton->setAutoRaise(true);
    AddMissingButton->setFocusPolicy(Qt::NoFocus);
    Form.StatusBar->addPermanentWidget(AddMissingButton);
    AddMissingButton->setVisible(false);
    connect(AddMissingAction, &QAction::visibleChanged, AddMissingButton,
            [this] { AddMissingButton->setVisible(AddMissingAction->isVisible()); });

    ReferenceHint = new TReferenceHint(this);
    connect(ReferenceHint, &TReferenceHint::Loaded, this, [this] {
        if (!MissingWord.isEmpty())
            ShowSearchOutcome();
    });
    connect(TSpeaker::Shared(), &TSpeaker::Failed, this, &TSpeechCommands::SpeechFailed);
    connect(TSpeaker::Shared(), &TSpeaker::Interrupted, Form.StatusPanel, &QLabel::setText);
    SetNoteWordClick(&NoteWordClicked);
}

void TSpeechCommands::SpeakExecute()
{
    QString Word = Form.SearchEdit->text().trimmed();
    if (Word.isEmpty() && Form.TableBound && Form.Store.ADOTable->RecNo() > 0)
        Word = Form.Store.ADOTableENAME->AsString().trimmed();
    if (Word.isEmpty()) {
        Form.StatusPanel->setText(
            QCoreApplication::translate("TSpeechCommands", "There is no word to say."));
        return;
    }
    TSpeaker::Shared()->Speak(Word, TSpeechSettings::Live().Voice);
}

void TSpeechCommands::SpeechFailed(const QString& Message)
{
    if (SpeechFailureShown) {
        Form.StatusPanel->setText(Message);
        return;
    }
    SpeechFailureShown = true;
    QWidget* Over = QApplication::activeModalWidget();
    TMessageBox::Show(Over ? Over : &Form, QMessageBox::Warning,
                      QCoreApplication::translate("TSpeechCommands", "Speak"), Message,
                      QMessageBox::Ok, QMessageBox::Ok);
}

// After a search: when the store fell back to a shorter beginning (or found nothing), the status
// bar says so and the Add command offers the word.
void TSpeechCommands::ShowSearchOutcome()
{
    const QString Searched = SearchedText(Form.SearchEdit->text());
    TVexloTable* Table = Form.Store.ADOTable;
    const QString Current = Table->Active() && Table->RecNo() > 0
                                ? Form.Store.ADOTableENAME->AsString()
                                : QString();
    if (Searched.isEmpty() || Current.startsWith(Searched, Qt::CaseInsensitive)) {
        ClearSearchOutcome();
        return;
    }
    int Common = 0;
    while (Common < Searched.size() && Common < Current.size() &&
           QString::compare(Searched.mid(Common, 1), Current.mid(Common, 1), Qt::CaseInsensitive) ==
               0)
        ++Common;
    MissingWord = Searched;
    QString Hint = QCoreApplication::translate("TSpeechCommands", "\"%1\" not found").arg(Searched);
    if (Common > 0)
        Hint += QCoreApplication::translate("TSpeechCommands", " \u2014 nearest: \"%1\u2026\"")
                    .arg(Searched.left(Common));
    Hint += ReferenceHint->For(Searched);
    Form.StatusPanel->setText(Hint);
    AddMissingAction->setText(AddCaption(Searched));
    // The button has no Alt letter of its own: the menu item's would be Random's.
    AddMissingAction->setIconText(
        TDisplayText::KeepAmpersands(TDisplayText::WithoutMnemonic(AddCaption(Searched))));
    AddMissingAction->setVisible(true);
    AddMissingAction->setEnabled(Form.New->isEnabled());
}

void TSpeechCommands::ClearSearchOutcome()
{
    if (MissingWord.isEmpty())
        return;
    MissingWord.clear();
    Form.StatusPanel->clear();
    AddMissingAction->setVisible(false);
}

void TSpeechCommands::AddMissingExecute()
{
    if (MissingWord.isEmpty() || !Form.EditForm || !Form.New->isEnabled())
        return;
    const QString Word = MissingWord;
    TAdminForm::TDialogOpen Dialog(Form);
    try {
        Form.EditForm->ShowEditorFor(Word);
    } catch (const std::exception& Error) {
        Form.ReportError(QString::fromUtf8(Error.what()));
    }
    Dialog.Close();
    if (Form.EditForm->result() == QDialog::Accepted)
        ClearSearchOutcome();
}
