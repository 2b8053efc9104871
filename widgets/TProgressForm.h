#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

class QCloseEvent;
class QProgressBar;
class QPushButton;

namespace Ui {
class TProgressForm;
}

// The small "Progres" window shown while the dictionary listing is built: a bar that advances one
// step per entry and a Stop button. It has no close box; it goes away when the build ends.
class TProgressForm : public QWidget
{
    Q_OBJECT

public:
    explicit TProgressForm(QWidget* Parent = nullptr);
    ~TProgressForm() override;

    QProgressBar* ProgressBar = nullptr;
    QPushButton* StopBitBtn = nullptr;

    // Set by the Stop button; never reset.
    bool Stopped = false;

    // Called after every entry: advances the bar by one and, at most once per EventIntervalMs,
    // repaints it and lets pending events run (this is where a click on Stop is seen). Returns
    // false once Stop has been pressed.
    bool StepIt();
    // Sets the bar's maximum and puts the window, centred on the screen, on display.
    void Start(int Maximum);
    int Position() const { return FPosition; }

    // Shortest time between two rounds of event processing during a build, in milliseconds.
    static int EventIntervalMs;

    void FormCreate();
    void StopBitBtnClick();

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void ProcessEvents();

    std::unique_ptr<Ui::TProgressForm> FUi;
    QElapsedTimer FSinceEvents;
    int FPosition = 0;
};

// The progress window of the build that is running, or null. Only one build runs at a time.
extern TProgressForm* ProgressForm;
