#pragma once

#include "review/TReviewSession.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The review window: the prompt, Space to show the answer, then a grade (keys 1-4: Again, Hard,
// Good, Easy; or 1 Forgot, 2 Knew in the two-button mode), with the counts of due, new and done
// words, Undo (Ctrl+Z) of the last answer, Speak (F8) on the English side and a short summary
// when nothing is left. Every key works with the mouse too. The window reviews through Session,
// which it does not own.
class TReviewForm : public QDialog
{
    Q_OBJECT

public:
    TReviewForm(TReviewSession* Session, QWidget* Parent = nullptr);

    // Takes the next word (or shows the summary) and the counts.
    void Start();
    void Reveal();
    void Grade(TGrade Grade);
    void UndoLast();
    bool Revealed() const { return FRevealed; }
    bool Finished() const { return !FSession->Current().has_value(); }
    // The window's texts, for the tests.
    QString PromptText() const;
    QString AnswerText() const;
    QString CountsText() const;
    QString SummaryText() const;

signals:
    // The English word to say aloud.
    void SpeakRequested(const QString& Word);
    // The user asked for the progress report.
    void ProgressRequested();
    // The user changed the review's settings in the window.
    void SettingsChanged(const TReviewSettings& Settings);
    // An answer was saved (Answer.After) or taken back, for the main window to follow.
    void Answered(const TReviewCard& Card, const TReviewAnswer& Answer);

private:
    void ShowCard();
    void ShowCounts();
    void ShowSummary();
    void SpeakWord();
    void EditSettings();
    void Report(const QString& Text);

    TReviewSession* FSession;
    bool FRevealed = false;
    QLabel* FCounts;
    QLabel* FPrompt;
    QLabel* FTranscription;
    QLabel* FAnswer;
    QLabel* FSummary;
    QPushButton* FShow;
    QPushButton* FGrades[4];
    QPushButton* FForgot;
    QPushButton* FKnew;
    QPushButton* FSpeak;
    QPushButton* FUndo;
    QPushButton* FSettings;
    QPushButton* FProgress;
};
