#include "editor/TReferencePanel.h"

#include "reference/TReference.h"
#include "settings/TReferenceSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int PanelHeight = 132;
constexpr int RawRole = Qt::UserRole; // the Bulgarian text as the reference writes it
constexpr int GlossRole = Qt::UserRole + 1;
constexpr int LabelRole = Qt::UserRole + 2; // "n. 2."

QString Bulgarian(const QString& Raw, bool KeepAccents)
{
    return KeepAccents ? TReferenceText::KeepStress(Raw) : TReferenceText::DropStress(Raw);
}

} // namespace

TReferencePanel::TReferencePanel(QDialog* Editor, QLineEdit* English, QPlainTextEdit* Bulgarian)
    : QObject(Editor), FEditor(Editor), FEnglish(English), FBulgarian(Bulgarian)
{
    Panel = new QWidget(Editor);
    Panel->setObjectName(QStringLiteral("ReferencePanel"));
    Panel->hide();
    HeaderLabel = new QLabel(Panel);
    HeaderLabel->setObjectName(QStringLiteral("ReferenceHeaderLabel"));
    HeaderLabel->setTextFormat(Qt::PlainText);
    SenseList = new QListWidget(Panel);
    SenseList->setObjectName(QStringLiteral("ReferenceSenseList"));
    SenseList->setStatusTip(QCoreApplication::translate(
        "TReferencePanel",
        "Check the senses to put into the Bulgarian text, one a line (from FreeDict, CC BY-SA)"));
    SenseList->setTextElideMode(Qt::ElideRight);
    connect(SenseList, &QListWidget::itemChanged, this, &TReferencePanel::SenseToggled);
    KeepAccentsCheckBox =
        new QCheckBox(QCoreApplication::translate("TReferencePanel", "&Keep accents"), Panel);
    KeepAccentsCheckBox->setObjectName(QStringLiteral("ReferenceKeepAccentsCheckBox"));
    KeepAccentsCheckBox->setStatusTip(QCoreApplication::translate(
        "TReferencePanel", "Keep the reference's stress accents in the Bulgarian text (къ́ща)"));
    connect(KeepAccentsCheckBox, &QCheckBox::toggled, this, [this](bool Keep) {
        TReferenceSettings::SetLiveKeepAccents(Keep);
        {
            const QSignalBlocker Block(SenseList);
            for (int I = 0; I < SenseList->count(); ++I)
                SenseList->item(I)->setText(ItemText(SenseList->item(I)));
        }
        WriteSenses();
    });

    TranscriptionButton = new QToolButton(Editor);
    TranscriptionButton->setObjectName(QStringLiteral("ReferenceTranscriptionButton"));
    TranscriptionButton->setStatusTip(QCoreApplication::translate(
        "TReferencePanel", "Fill in the transcription the reference dictionary gives"));
    TranscriptionButton->hide();
    connect(TranscriptionButton, &QToolButton::clicked, this, [this] {
        if (!FTranscriptions.isEmpty())
            emit TranscriptionPicked(FTranscriptions.first());
    });
    ToggleButton =
        new QPushButton(QCoreApplication::translate("TReferencePanel", "&Reference"), Editor);
    ToggleButton->setObjectName(QStringLiteral("ReferenceToggleButton"));
    ToggleButton->setCheckable(true);
    ToggleButton->setAutoDefault(false);
    ToggleButton->setStatusTip(QCoreApplication::translate(
        "TReferencePanel", "Show or hide the reference dictionary's senses (Ctrl+R goes to them)"));
    ToggleButton->hide();
    connect(ToggleButton, &QPushButton::clicked, this, [this](bool On) { SetOpen(On); });

    // Ctrl+R: to the senses, opening the panel when it is closed.
    auto* ToSenses = new QAction(Editor);
    ToSenses->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    ToSenses->setShortcutContext(Qt::WindowShortcut);
    Editor->addAction(ToSenses);
    connect(ToSenses, &QAction::triggered, this, [this] {
        if (!FUsable)
            return;
        SetOpen(true);
        SenseList->setFocus(Qt::ShortcutFocusReason);
        if (!SenseList->currentItem() && SenseList->count() > 0)
            SenseList->setCurrentRow(0);
    });

    connect(FEnglish, &QLineEdit::textChanged, this, &TReferencePanel::Refresh);
    connect(TReference::Shared(), &TReference::Loaded, this, &TReferencePanel::Refresh);
}

void TReferencePanel::Prepare(bool NewWord)
{
    TReferenceSettings::Live().Apply();
    FInserted.clear();
    {
        const QSignalBlocker Block(KeepAccentsCheckBox);
        KeepAccentsCheckBox->setChecked(TReferenceSettings::Live().KeepAccents);
    }
    const TReference::TState State = TReference::Shared()->State();
    FUsable = State != TReference::TState::Off && State != TReference::TState::Missing;
    ToggleButton->setVisible(FUsable);
    SetOpen(FUsable && NewWord);
    Refresh();
}

int TReferencePanel::Height() const
{
    return FOpen ? PanelHeight : 0;
}

void TReferencePanel::Place(int Top, int Width, int X, int Y)
{
    const int W = Width - 7;
    Panel->setGeometry(2, Top, W, PanelHeight - 4);
    HeaderLabel->setGeometry(2, 0, W - 4, 16);
    SenseList->setGeometry(0, 18, W, PanelHeight - 4 - 18 - 20);
    KeepAccentsCheckBox->setGeometry(2, PanelHeight - 4 - 18, 200, 17);
    TranscriptionButton->setGeometry(X, Y, 110, 25);
    ToggleButton->setGeometry(X + 114, Y, 73, 25);
}

void TReferencePanel::SetOpen(bool Open)
{
    ToggleButton->setChecked(Open);
    if (Open == FOpen)
        return;
    FOpen = Open;
    Panel->setVisible(Open);
    emit HeightChanged(Open ? PanelHeight : -PanelHeight);
    if (Open)
        Refresh();
}

void TReferencePanel::Refresh()
{
    TReference* Reference = TReference::Shared();
    if (!FUsable || (!FOpen && Reference->State() != TReference::TState::Ready)) {
        TranscriptionButton->hide();
        return;
    }
    if (!Reference->Prepare()) {
        const QSignalBlocker Block(SenseList);
        SenseList->clear();
        TranscriptionButton->hide();
        HeaderLabel->setText(Reference->State() == TReference::TState::Failed
                                 ? Reference->ErrorText()
                                 : QCoreApplication::translate(
                                       "TReferencePanel", "Reading the reference dictionary…"));
        HeaderLabel->setToolTip(QString());
        return;
    }
    Show(Reference->LookUp(FEnglish->text()));
}

void TReferencePanel::Show(const TReferenceResult& Result)
{
    const QSignalBlocker Block(SenseList);
    SenseList->clear();
    FTranscriptions.clear();
    QStringList Parts;
    for (const TReferenceEntry& Entry : Result.Entries) {
        for (const QString& Ipa : Entry.Transcriptions.mid(0, 1)) {
            const QString House = TReferenceText::HouseTranscription(Ipa);
            if (!House.isEmpty() && !FTranscriptions.contains(House))
                FTranscriptions.append(House);
        }
        const QString Part =
            Entry.PartOfSpeech.isEmpty() ? QString() : Entry.PartOfSpeech + QLatin1Char('.');
        if (!Part.isEmpty() && !Parts.contains(Part))
            Parts.append(Part);
        int Number = 0;
        for (const TReferenceSense& Sense : Entry.Senses) {
            if (Sense.Bulgarian.trimmed().isEmpty())
                continue;
            ++Number;
            auto* Item = new QListWidgetItem(SenseList);
            Item->setData(RawRole, Sense.Bulgarian);
            Item->setData(GlossRole, Sense.Gloss);
            Item->setData(LabelRole, QStringLiteral("%1 %2.")
                                         .arg(Part.isEmpty() ? QStringLiteral("·") : Part)
                                         .arg(Number));
            Item->setText(ItemText(Item));
            Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            Item->setCheckState(FInserted.contains(SenseText(Item)) ? Qt::Checked : Qt::Unchecked);
        }
    }
    QString Header;
    if (Result.Asked.isEmpty())
        Header = QCoreApplication::translate(
            "TReferencePanel", "Type the English word to see the reference's senses.");
    else if (!Result.Found())
        Header =
            Result.Error.isEmpty()
                ? QCoreApplication::translate("TReferencePanel", "\"%1\" is not in the reference.")
                      .arg(Result.Asked)
                : Result.Error;
    else
        Header = QCoreApplication::translate("TReferencePanel", "Reference: %1 %2")
                     .arg(Result.FoundAs, Parts.join(u' '));
    if (!Result.Note.isEmpty() && Result.Found())
        Header += QStringLiteral(" (%1)").arg(Result.Note);
    HeaderLabel->setText(Header);

    TranscriptionButton->setVisible(!FTranscriptions.isEmpty());
    if (!FTranscriptions.isEmpty()) {
        TranscriptionButton->setText(QStringLiteral("[%1]").arg(FTranscriptions.first()));
        delete TranscriptionButton->menu();
        if (FTranscriptions.size() > 1) {
            auto* Menu = new QMenu(TranscriptionButton);
            for (const QString& T : FTranscriptions)
                Menu->addAction(QStringLiteral("[%1]").arg(T), this,
                                [this, T] { emit TranscriptionPicked(T); });
            TranscriptionButton->setMenu(Menu);
            TranscriptionButton->setPopupMode(QToolButton::MenuButtonPopup);
        } else {
            TranscriptionButton->setPopupMode(QToolButton::DelayedPopup);
        }
    }
}

QString TReferencePanel::ItemText(QListWidgetItem* Item) const
{
    return QStringLiteral("%1 %2 — %3")
        .arg(Item->data(LabelRole).toString(), SenseText(Item), Item->data(GlossRole).toString());
}

QString TReferencePanel::SenseText(QListWidgetItem* Item) const
{
    return Bulgarian(Item->data(RawRole).toString(), KeepAccentsCheckBox->isChecked());
}

void TReferencePanel::SenseToggled(QListWidgetItem*)
{
    WriteSenses();
}

void TReferencePanel::WriteSenses()
{
    QStringList Lines = FBulgarian->toPlainText().split(QLatin1Char('\n'));
    for (const QString& Line : std::as_const(FInserted))
        Lines.removeOne(Line);
    while (!Lines.isEmpty() && Lines.last().trimmed().isEmpty())
        Lines.removeLast();
    QStringList Chosen;
    for (int I = 0; I < SenseList->count(); ++I) {
        QListWidgetItem* Item = SenseList->item(I);
        const QString Text = SenseText(Item);
        if (Item->checkState() == Qt::Checked && !Chosen.contains(Text))
            Chosen.append(Text);
    }
    FInserted = Chosen;
    FBulgarian->setPlainText((Lines + Chosen).join(QLatin1Char('\n')));
    QTextCursor Cursor = FBulgarian->textCursor();
    Cursor.movePosition(QTextCursor::End);
    FBulgarian->setTextCursor(Cursor);
}
