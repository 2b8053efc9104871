#include "app/TMeaningFinder.h"

#include "search/TMeaningIndexer.h"
#include "search/TMeaningText.h"
#include "store/TScreenSaverDataModule.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QCoreApplication>

TMeaningFinder::TMeaningFinder(QWidget* Window, TScreenSaverDataModule& Store,
                               QLineEdit* SearchEdit, QPlainTextEdit* Meaning,
                               QStatusBar* StatusBar)
    : QObject(Window), FStore(Store), FSearchEdit(SearchEdit), FMeaning(Meaning)
{
    FIndexer = new TMeaningIndexer(this);
    connect(FIndexer, &TMeaningIndexer::Built, this, &TMeaningFinder::IndexBuilt);
    connect(FIndexer, &TMeaningIndexer::Failed, this, [this](const QString& Message) {
        FFailure = Message;
        ShowCount();
    });
    CountLabel = new QLabel(StatusBar);
    CountLabel->setObjectName(QStringLiteral("MeaningCount"));
    CountLabel->setTextFormat(Qt::PlainText);
    CountLabel->setContentsMargins(4, 0, 4, 0);
    StatusBar->addPermanentWidget(CountLabel);
    CountLabel->setVisible(false);
    // Any other text in the box (typed Latin, or the current word shown after a move) ends it.
    connect(SearchEdit, &QLineEdit::textChanged, this, [this](const QString& Text) {
        if (FActive && Text != FSearch.Text())
            End();
    });
    connect(SearchEdit, &QLineEdit::returnPressed, this, &TMeaningFinder::FindNext);
    connect(Meaning, &QPlainTextEdit::textChanged, this, &TMeaningFinder::MarkMeaning);
    auto* Next = new QShortcut(QKeySequence(Qt::Key_F3), Window);
    connect(Next, &QShortcut::activated, this, &TMeaningFinder::FindNext);
    auto* Prior = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), Window);
    connect(Prior, &QShortcut::activated, this, &TMeaningFinder::FindPrior);
}

TMeaningFinder::~TMeaningFinder() = default;

bool TMeaningFinder::Indexing() const
{
    return FIndexer->Building();
}

bool TMeaningFinder::Search(const QString& Text)
{
    if (!TMeaningText::HasCyrillic(Text)) {
        if (FActive)
            End();
        return false;
    }
    FActive = true;
    FWanted = true;
    // Typed while the index is missing or out of date: the first match of the new one is shown.
    FJumpWhenReady = !FSearch.Ready() || FStale || FIndexer->Building();
    if (!FSearch.Ready() || FStale)
        StartIndex();
    if (!FSearch.Ready()) {
        FSearch.Find(Text); // kept for when the index comes
        ShowCount();
        return true;
    }
    FSearch.Find(Text);
    GoTo(FSearch.Next(-1));
    ShowCount();
    MarkMeaning();
    return true;
}

void TMeaningFinder::End()
{
    FActive = false;
    FJumpWhenReady = false;
    FSearch.Find(QString());
    CountLabel->setVisible(false);
    FMeaning->setExtraSelections({});
}

void TMeaningFinder::DataChanged()
{
    FSearch.SetTable(FStore.ADOTable);
    FStale = true;
    // Several changes in a row (an import, a reload) make one new index.
    if (FWanted && !FRebuildQueued) {
        FRebuildQueued = true;
        QTimer::singleShot(0, this, [this] {
            FRebuildQueued = false;
            if (FStale)
                StartIndex();
        });
    }
    if (FActive) {
        ShowCount();
        MarkMeaning();
    }
}

void TMeaningFinder::StartIndex()
{
    if (!FStore.ADOTable->Active())
        return;
    FStale = false;
    FFailure.clear();
    FIndexer->Rebuild(FStore.ADOConnection->FileName(), FStore.ADOTable->TableName,
                      FStore.ADOTable->IdExpression());
}

void TMeaningFinder::IndexBuilt(std::shared_ptr<const TMeaningIndex> Index)
{
    FSearch.SetTable(FStore.ADOTable);
    FSearch.SetIndex(std::move(Index));
    if (!FActive)
        return;
    if (FJumpWhenReady) {
        FJumpWhenReady = false;
        GoTo(FSearch.Next(-1));
    }
    ShowCount();
    MarkMeaning();
}

int TMeaningFinder::CurrentRow() const
{
    const TVexloTable* Table = FStore.ADOTable;
    return Table->Active() ? Table->RecNo() - 1 : -1;
}

void TMeaningFinder::GoTo(int Row)
{
    if (Row >= 0 && Row != CurrentRow() && MoveTo)
        MoveTo(Row);
}

void TMeaningFinder::FindNext()
{
    if (!FActive || !FSearch.Ready())
        return;
    FJumpWhenReady = false;
    GoTo(FSearch.Next(CurrentRow()));
    ShowCount();
}

void TMeaningFinder::FindPrior()
{
    if (!FActive || !FSearch.Ready())
        return;
    FJumpWhenReady = false;
    GoTo(FSearch.Prior(CurrentRow()));
    ShowCount();
}

void TMeaningFinder::ShowCount()
{
    if (!FActive)
        return;
    QString Text;
    if (!FFailure.isEmpty())
        Text = QCoreApplication::translate("TMeaningFinder", "Meanings cannot be searched: ") + FFailure;
    else if (!FSearch.Ready())
        Text = QStringLiteral("indexing…");
    else if (FSearch.Count() == 0)
        Text = QCoreApplication::translate("TMeaningFinder", "No meaning begins so");
    else if (const int Ordinal = FSearch.Ordinal(CurrentRow()); Ordinal > 0)
        Text = QCoreApplication::translate("TMeaningFinder", "Meaning %1 of %2").arg(Ordinal).arg(FSearch.Count());
    else
        Text = QCoreApplication::translate("TMeaningFinder", "%1 meanings begin so").arg(FSearch.Count());
    if (FFailure.isEmpty() && FSearch.Ready() && (FStale || FIndexer->Building()))
        Text += QStringLiteral(" (indexing…)");
    CountLabel->setText(Text);
    CountLabel->setVisible(true);
}

// Marks, as extra selections (never as markup), the parts of the shown meaning that match.
void TMeaningFinder::MarkMeaning()
{
    QList<QTextEdit::ExtraSelection> Marks;
    if (FActive && FSearch.Ready()) {
        const QString Shown = FMeaning->toPlainText();
        QTextCharFormat Format;
        Format.setBackground(FMeaning->palette().color(QPalette::Highlight));
        Format.setForeground(FMeaning->palette().color(QPalette::HighlightedText));
        for (const auto& [Start, Length] : TMeaningText::MatchSpans(Shown, FSearch.FoldedQuery())) {
            QTextEdit::ExtraSelection Mark;
            Mark.cursor = QTextCursor(FMeaning->document());
            Mark.cursor.setPosition(Start);
            Mark.cursor.setPosition(Start + Length, QTextCursor::KeepAnchor);
            Mark.format = Format;
            Marks.append(Mark);
        }
    }
    FMeaning->setExtraSelections(Marks);
}
