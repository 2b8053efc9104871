#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control: two small arrow buttons that step a position within Min..Max, without
// wrapping, and write it as decimal text into the edit attached to them (which the user cannot
// type into). Up and Down on the attached edit step too.
//
// Every change of the position, whether stepped by the user or set by the program, first raises
// Changing with the position about to be taken; a handler may refuse it through *AllowChange.
class TUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit TUpDown(QWidget* Parent = nullptr);

    int Position() const { return FPosition; }
    // Clamps Value into Min..Max, raises Changing and, when allowed, takes the new position.
    void SetPosition(int Value);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    // Narrows or widens the range; a position outside the new range moves to its nearest end.
    void SetRange(int Min, int Max);
    void SetMax(int Max) { SetRange(FMin, Max); }
    void SetMin(int Min) { SetRange(Min, FMax); }

    // The edit that shows the position; it is made read-only.
    void SetAssociate(QLineEdit* Edit);
    QLineEdit* Associate() const { return FAssociate; }

    // One user step up (+1) or down (-1); nothing happens at either end of the range.
    void Step(int Direction);

    QToolButton* UpButton() const { return FUp; }
    QToolButton* DownButton() const { return FDown; }

signals:
    void Changing(int NewValue, bool* AllowChange);
    void Changed(int Position);

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ApplyPosition(int Value);

    QToolButton* FUp;
    QToolButton* FDown;
    QLineEdit* FAssociate = nullptr;
    int FPosition = 0;
    int FMin = 0;
    int FMax = 100;
};
