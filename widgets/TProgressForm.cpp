#include "widgets/TProgressForm.h"

#include "ui_TProgressForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

TProgressForm* ProgressForm = nullptr;

int TProgressForm::EventIntervalMs = 10;

TProgressForm::TProgressForm(QWidget* Parent)
    : QWidget(Parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FUi(std::make_unique<Ui::TProgressForm>())
{
    FUi->setupUi(this);
    ProgressBar = FUi->ProgressBar;
    StopBitBtn = FUi->StopBitBtn;
    connect(StopBitBtn, &QPushButton::clicked, this, &TProgressForm::StopBitBtnClick);
    FormCreate();
}

TProgressForm::~TProgressForm() = default;

void TProgressForm::FormCreate()
{
    Stopped = false;
    setFixedSize(339, 96);
}

void TProgressForm::StopBitBtnClick()
{
    Stopped = true;
}

void TProgressForm::Start(int Maximum)
{
    ProgressBar->setMaximum(qMax(0, Maximum));
    ProgressBar->setValue(0);
    FPosition = 0;
    if (QScreen* Screen = QGuiApplication::primaryScreen()) {
        QRect Area = Screen->availableGeometry();
        move(Area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    ProcessEvents();
}

bool TProgressForm::StepIt()
{
    ++FPosition;
    if (!FSinceEvents.isValid() || FSinceEvents.elapsed() >= EventIntervalMs)
        ProcessEvents();
    return !Stopped;
}

void TProgressForm::ProcessEvents()
{
    // A bar whose maximum is lower than the number of entries simply stays at its end.
    ProgressBar->setValue(qMin(FPosition, ProgressBar->maximum()));
    QCoreApplication::processEvents();
    FSinceEvents.start();
}

void TProgressForm::closeEvent(QCloseEvent* Event)
{
    // No close box: the window goes away only when the build is over and destroys it.
    Event->ignore();
}
