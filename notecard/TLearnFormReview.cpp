// A learning note that reviews: the prompt first, the answer after the delay, then Knew and
// Forgot, painted at the foot of the note, grade the word.
#include "notecard/TLearnForm.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int ButtonWidth = 52;
constexpr int ButtonHeight = 16;
} // namespace

void TLearnForm::SetReview(bool EnglishFirst, void (*OnGrade)(void*, int32_t), void* Context)
{
    FOnGrade = OnGrade;
    FGradeContext = Context;
    FEnglishFirst = EnglishFirst;
    FRevealed = false;
    FGraded = false;
}

QRect TLearnForm::KnewRect() const
{
    return QRect(NoteWidth - CardInset - 6 - 2 * ButtonWidth - 4,
                 NoteHeight - CardInset - 4 - ButtonHeight, ButtonWidth, ButtonHeight);
}

QRect TLearnForm::ForgotRect() const
{
    return KnewRect().translated(ButtonWidth + 4, 0);
}

void TLearnForm::PaintReviewButtons(QPainter& P, bool ForMask) const
{
    if (!ReviewMode() || !FRevealed)
        return;
    QFont Font = P.font();
    Font.setPointSize(8);
    Font.setBold(true);
    P.setFont(Font);
    const struct
    {
        QRect Box;
        const char* Text;
    } Buttons[] = {{KnewRect(), "Knew"}, {ForgotRect(), "Forgot"}};
    for (const auto& B : Buttons) {
        if (ForMask) {
            P.fillRect(B.Box, Qt::color1);
            continue;
        }
        P.setPen(palette().color(QPalette::Dark));
        P.setBrush(palette().color(QPalette::Button));
        P.drawRoundedRect(QRectF(B.Box).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        P.setBrush(Qt::NoBrush);
        P.setPen(palette().color(QPalette::ButtonText));
        P.drawText(B.Box, Qt::AlignCenter, QString::fromLatin1(B.Text));
    }
}

bool TLearnForm::ReviewClick(const QPoint& Pos)
{
    if (!ReviewMode() || !FRevealed || FGraded)
        return false;
    int32_t Grade = 0;
    if (KnewRect().contains(Pos))
        Grade = 3;
    else if (ForgotRect().contains(Pos))
        Grade = 1;
    else
        return false;
    Graded(Grade);
    FClosing = true;
    close();
    return true;
}

void TLearnForm::Graded(int32_t Grade)
{
    if (!FOnGrade || FGraded)
        return;
    FGraded = true;
    FOnGrade(FGradeContext, Grade);
}
