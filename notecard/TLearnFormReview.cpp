// A learning note that reviews: the prompt first, the answer after the delay, then Knew and
// Forgot, painted at the foot of the note, grade the word.
#include "notecard/TLearnForm.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int ButtonWidth = 52;
constexpr int ButtonHeight = 16;

QFont ButtonFont()
{
    QFont Font(QStringLiteral("Arial"));
    Font.setPointSize(8);
    Font.setBold(true);
    return Font;
}

// Wide enough for the longer of the two texts in the interface's language, and never narrower
// than the English ones need.
int ButtonWidthForTexts()
{
    const QFontMetrics Metrics(ButtonFont());
    return std::max(ButtonWidth, std::max(Metrics.horizontalAdvance(TLearnForm::tr("Knew")),
                                          Metrics.horizontalAdvance(TLearnForm::tr("Forgot"))) +
                                     8);
}
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
    const int Width = ButtonWidthForTexts();
    return QRect(NoteWidth - CardInset - 6 - 2 * Width - 4,
                 NoteHeight - CardInset - 4 - ButtonHeight, Width, ButtonHeight);
}

QRect TLearnForm::ForgotRect() const
{
    const QRect Knew = KnewRect();
    return Knew.translated(Knew.width() + 4, 0);
}

void TLearnForm::PaintReviewButtons(QPainter& P, bool ForMask) const
{
    if (!ReviewMode() || !FRevealed)
        return;
    P.setFont(ButtonFont());
    const struct
    {
        QRect Box;
        const char* Text;
    } Buttons[] = {{KnewRect(), QT_TR_NOOP("Knew")}, {ForgotRect(), QT_TR_NOOP("Forgot")}};
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
        P.drawText(B.Box, Qt::AlignCenter, tr(B.Text));
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
