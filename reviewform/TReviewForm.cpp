#include "reviewform/TReviewForm.h"

#include "reviewform/TReviewSettingsForm.h"
#include "store/EVexloDatabaseError.h"
#include "widgets/TMessageBox.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QLabel* PlainLabel(QWidget* Parent, const char* Name, int PointSize = 0, bool Bold = false)
{
    auto* Label = new QLabel(Parent);
    Label->setObjectName(QLatin1String(Name));
    Label->setTextFormat(Qt::PlainText); // words are never markup
    Label->setAlignment(Qt::AlignCenter);
    Label->setWordWrap(true);
    if (PointSize > 0 || Bold) {
        QFont F = Label->font();
        if (PointSize > 0)
            F.setPointSize(PointSize);
        F.setBold(Bold);
        Label->setFont(F);
    }
    return Label;
}

// Buttons take no keyboard focus: Space and the digits always go to the window's shortcuts.
QPushButton* Button(QWidget* Parent, const char* Name, const QString& Text)
{
    auto* B = new QPushButton(Text, Parent);
    B->setObjectName(QLatin1String(Name));
    B->setFocusPolicy(Qt::NoFocus);
    return B;
}

} // namespace

TReviewForm::TReviewForm(TReviewSession* Session, QWidget* Parent)
    : QDialog(Parent), FSession(Session)
{
    setObjectName(QStringLiteral("ReviewForm"));
    setWindowTitle(tr("Review"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(460, 320);
    FCounts = PlainLabel(this, "CountsLabel");
    FPrompt = PlainLabel(this, "PromptLabel", 20, true);
    FTranscription = PlainLabel(this, "TranscriptionLabel", 12);
    FAnswer = PlainLabel(this, "AnswerLabel", 14);
    FSummary = PlainLabel(this, "SummaryLabel", 11);
    FShow = Button(this, "ShowButton", tr("&Show answer (Space)"));
    const char* Names[] = {"AgainButton", "HardButton", "GoodButton", "EasyButton"};
    const char* Texts[] = {QT_TR_NOOP("1 Again"), QT_TR_NOOP("2 Hard"), QT_TR_NOOP("3 Good"),
                           QT_TR_NOOP("4 Easy")};
    for (int I = 0; I < 4; ++I) {
        FGrades[I] = Button(this, Names[I], tr(Texts[I]));
        connect(FGrades[I], &QPushButton::clicked, this,
                [this, I] { Grade(static_cast<TGrade>(I + 1)); });
    }
    FForgot = Button(this, "ForgotButton", tr("1 Forgot"));
    FKnew = Button(this, "KnewButton", tr("2 Knew"));
    FSpeak = Button(this, "SpeakButton", tr("Spea&k (F8)"));
    FUndo = Button(this, "UndoButton", tr("&Undo (Ctrl+Z)"));
    FSettings = Button(this, "SettingsButton", tr("S&ettings..."));
    FProgress = Button(this, "ProgressButton", tr("&Progress..."));
    connect(FProgress, &QPushButton::clicked, this, &TReviewForm::ProgressRequested);
    connect(FShow, &QPushButton::clicked, this, &TReviewForm::Reveal);
    connect(FForgot, &QPushButton::clicked, this, [this] { Grade(TGrade::grAgain); });
    connect(FKnew, &QPushButton::clicked, this, [this] { Grade(TGrade::grGood); });
    connect(FSpeak, &QPushButton::clicked, this, &TReviewForm::SpeakWord);
    connect(FUndo, &QPushButton::clicked, this, &TReviewForm::UndoLast);
    connect(FSettings, &QPushButton::clicked, this, &TReviewForm::EditSettings);

    auto Key = [this](const QKeySequence& Sequence, auto Slot) {
        auto* S = new QShortcut(Sequence, this);
        connect(S, &QShortcut::activated, this, Slot);
    };
    Key(QKeySequence(Qt::Key_Space), [this] { Reveal(); });
    Key(QKeySequence(Qt::Key_1), [this] { if (FRevealed) Grade(TGrade::grAgain); });
    Key(QKeySequence(Qt::Key_2), [this] {
        if (FRevealed)
            Grade(FSession->Settings().TwoButtons ? TGrade::grGood : TGrade::grHard);
    });
    Key(QKeySequence(Qt::Key_3), [this] {
        if (FRevealed && !FSession->Settings().TwoButtons)
            Grade(TGrade::grGood);
    });
    Key(QKeySequence(Qt::Key_4), [this] {
        if (FRevealed && !FSession->Settings().TwoButtons)
            Grade(TGrade::grEasy);
    });
    Key(QKeySequence(Qt::Key_F8), [this] { SpeakWord(); });
    Key(QKeySequence::Undo, [this] { UndoLast(); });

    auto* Grades = new QHBoxLayout;
    for (QPushButton* B : FGrades)
        Grades->addWidget(B);
    Grades->addWidget(FForgot);
    Grades->addWidget(FKnew);
    auto* Tools = new QHBoxLayout;
    Tools->addWidget(FSpeak);
    Tools->addWidget(FUndo);
    Tools->addStretch();
    Tools->addWidget(FProgress);
    Tools->addWidget(FSettings);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FCounts);
    Layout->addStretch();
    Layout->addWidget(FPrompt);
    Layout->addWidget(FTranscription);
    Layout->addWidget(FAnswer);
    Layout->addWidget(FSummary);
    Layout->addStretch();
    Layout->addWidget(FShow);
    Layout->addLayout(Grades);
    Layout->addLayout(Tools);
}

void TReviewForm::Report(const QString& Text)
{
    TMessageBox::Error(this, tr("Review"), Text);
}

void TReviewForm::Start()
{
    try {
        const QString Notice = FSession->TakeNotice();
        if (!Notice.isEmpty())
            TMessageBox::Information(this, tr("Review"), Notice);
        FSession->Advance();
    } catch (const EVexloDatabaseError& E) {
        Report(E.Message());
    }
    ShowCard();
}

void TReviewForm::ShowCard()
{
    FRevealed = false;
    const auto& Card = FSession->Current();
    const bool Two = FSession->Settings().TwoButtons;
    FSummary->setVisible(!Card);
    FPrompt->setVisible(Card.has_value());
    FTranscription->setVisible(false);
    FAnswer->setVisible(false);
    FShow->setVisible(Card.has_value());
    for (QPushButton* B : FGrades)
        B->setVisible(Card && !Two);
    FForgot->setVisible(Card && Two);
    FKnew->setVisible(Card && Two);
    for (QPushButton* B : FGrades)
        B->setEnabled(false);
    FForgot->setEnabled(false);
    FKnew->setEnabled(false);
    FUndo->setEnabled(FSession->CanUndo());
    if (Card) {
        FPrompt->setText(FSession->EnglishFirst() ? Card->Word : Card->Meaning);
        if (FSession->EnglishFirst() && !Card->Transcription.isEmpty()) {
            FTranscription->setText(QLatin1Char('[') + Card->Transcription + QLatin1Char(']'));
            FTranscription->setVisible(true);
        }
        FAnswer->setText(FSession->EnglishFirst() ? Card->Meaning : Card->Word);
        FSpeak->setEnabled(FSession->EnglishFirst());
    } else {
        FSpeak->setEnabled(false);
        ShowSummary();
    }
    ShowCounts();
}

void TReviewForm::ShowCounts()
{
    try {
        FCounts->setText(tr("Due: %1    New: %2    Done: %3")
                             .arg(FSession->DueCount())
                             .arg(FSession->NewLeft())
                             .arg(FSession->Done()));
    } catch (const EVexloDatabaseError& E) {
        FCounts->setText(E.Message());
    }
}

void TReviewForm::ShowSummary()
{
    const auto& G = FSession->Grades();
    QString Text = FSession->Done() == 0
                       ? tr("Nothing to review now.")
                       : tr("Well done: %1 answers (Again %2, Hard %3, Good %4, Easy %5).")
                             .arg(FSession->Done())
                             .arg(G[1])
                             .arg(G[2])
                             .arg(G[3])
                             .arg(G[4]);
    if (const int64_t Next = FSession->NextDueAfter(); Next > 0) {
        const QString When =
            QLocale().toString(QDateTime::fromMSecsSinceEpoch(Next), QLocale::ShortFormat);
        Text += QLatin1Char('\n') + tr("Next word due: %1.").arg(When);
    }
    FSummary->setText(Text);
}

void TReviewForm::Reveal()
{
    if (FRevealed || !FSession->Current())
        return;
    FRevealed = true;
    FAnswer->setVisible(true);
    if (!FSession->EnglishFirst() && !FSession->Current()->Transcription.isEmpty()) {
        FTranscription->setText(QLatin1Char('[') + FSession->Current()->Transcription +
                                QLatin1Char(']'));
        FTranscription->setVisible(true);
    }
    FSpeak->setEnabled(true);
    FShow->setVisible(false);
    for (QPushButton* B : FGrades)
        B->setEnabled(true);
    FForgot->setEnabled(true);
    FKnew->setEnabled(true);
}

void TReviewForm::Grade(TGrade Grade)
{
    if (!FRevealed || !FSession->Current())
        return;
    const TReviewCard Card = *FSession->Current();
    try {
        const TReviewAnswer Answer = FSession->Answer(Grade);
        emit Answered(Card, Answer);
    } catch (const EVexloDatabaseError& E) {
        Report(E.Message());
        try {
            FSession->Advance();
        } catch (const EVexloDatabaseError&) {
        }
    }
    ShowCard();
}

void TReviewForm::UndoLast()
{
    try {
        if (!FSession->Undo()) {
            FUndo->setEnabled(false);
            return;
        }
    } catch (const EVexloDatabaseError& E) {
        Report(E.Message());
        return;
    }
    ShowCard();
}

void TReviewForm::SpeakWord()
{
    const auto& Card = FSession->Current();
    if (Card && (FSession->EnglishFirst() || FRevealed))
        emit SpeakRequested(Card->Word);
}

void TReviewForm::EditSettings()
{
    TReviewSettingsForm Form(FSession->Settings(), this);
    if (Form.exec() != QDialog::Accepted)
        return;
    FSession->SetSettings(Form.Settings());
    emit SettingsChanged(Form.Settings());
    if (!FSession->Current())
        FSession->Advance();
    ShowCard();
}

QString TReviewForm::PromptText() const
{
    return FSession->Current() ? FPrompt->text() : QString();
}

QString TReviewForm::AnswerText() const
{
    return FRevealed ? FAnswer->text() : QString();
}

QString TReviewForm::CountsText() const
{
    return FCounts->text();
}

QString TReviewForm::SummaryText() const
{
    return Finished() ? FSummary->text() : QString();
}
