#include "widgets/TUpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

TUpDown::TUpDown(QWidget* Parent)
    : QWidget(Parent), FUp(new QToolButton(this)), FDown(new QToolButton(this))
{
    setFocusPolicy(Qt::NoFocus);
    for (QToolButton* B : {FUp, FDown}) {
        B->setFocusPolicy(Qt::NoFocus);
        B->setAutoRepeat(true);
        B->setAutoRepeatDelay(400);
        B->setAutoRepeatInterval(60);
    }
    FUp->setObjectName(QStringLiteral("Up"));
    FDown->setObjectName(QStringLiteral("Down"));
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    connect(FUp, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(FDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::resizeEvent(QResizeEvent*)
{
    const int Half = height() / 2;
    FUp->setGeometry(0, 0, width(), Half);
    FDown->setGeometry(0, Half, width(), height() - Half);
}

void TUpDown::SetPosition(int Value)
{
    ApplyPosition(std::clamp(Value, FMin, FMax));
}

void TUpDown::ApplyPosition(int Value)
{
    // The position is a 16-bit signed number.
    Value = std::clamp(Value, int(std::numeric_limits<int16_t>::min()),
                       int(std::numeric_limits<int16_t>::max()));
    bool Allow = true;
    emit Changing(Value, &Allow);
    if (!Allow)
        return;
    FPosition = Value;
    if (FAssociate)
        FAssociate->setText(QString::number(FPosition));
    emit Changed(FPosition);
}

void TUpDown::SetRange(int Min, int Max)
{
    FMin = Min;
    FMax = std::max(Min, Max);
    if (FPosition < FMin || FPosition > FMax)
        SetPosition(FPosition);
}

void TUpDown::Step(int Direction)
{
    if (!isEnabled())
        return;
    const int Next = FPosition + (Direction > 0 ? 1 : -1);
    if (Next < FMin || Next > FMax)
        return;
    ApplyPosition(Next);
}

void TUpDown::SetAssociate(QLineEdit* Edit)
{
    if (FAssociate)
        FAssociate->removeEventFilter(this);
    FAssociate = Edit;
    if (!FAssociate)
        return;
    FAssociate->setReadOnly(true);
    FAssociate->setText(QString::number(FPosition));
    FAssociate->installEventFilter(this);
}

bool TUpDown::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FAssociate && Event->type() == QEvent::KeyPress) {
        const int Key = static_cast<QKeyEvent*>(Event)->key();
        if (Key == Qt::Key_Up || Key == Qt::Key_Down) {
            Step(Key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    if (Watched == FAssociate && Event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(Event));
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

void TUpDown::wheelEvent(QWheelEvent* Event)
{
    const int Dy = Event->angleDelta().y();
    if (Dy != 0)
        Step(Dy > 0 ? +1 : -1);
    Event->accept();
}
