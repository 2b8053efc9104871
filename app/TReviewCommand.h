#pragma once

#include "review/TReviewSettings.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class TScreenSaverDataModule;
class QAction;
class QMenu;
class QWidget;
class TReviewForm;
class TReviewSession;
class TReviewStore;
struct TReviewAnswer;
struct TReviewCard;

// Tools → Review (Ctrl+L) and the tray menu's Review: opens the review window on the open
// dictionary, keeps the review's settings, and sets an entry's level from its difficulty when
// the settings ask for it.
class TReviewCommand : public QObject
{
    Q_OBJECT

public:
    // Adds Review to Tools and to Tray (before TrayBefore).
    TReviewCommand(QWidget* Window, TScreenSaverDataModule& Store, QMenu* Tools, QMenu* Tray,
                   QAction* TrayBefore);
    ~TReviewCommand() override;

    // Whether the store is open and free for a review.
    std::function<bool()> Ready;
    // Runs the window as the main window runs its dialogs (counted as open, errors reported).
    std::function<void(const std::function<void()>&)> AsDialog;
    // The clock of the review (ms since 1970, UTC); tests put their own in.
    std::function<int64_t()> Clock;

    void Execute();
    QAction* Action() const { return FAction; }
    QAction* TrayItem() const { return FTrayItem; }
    // The window while it is open, for the tests.
    TReviewForm* Form() const { return FForm; }
    // The settings the review uses: the window's (kept with the program's other settings) while
    // it has them, else defaults of its own.
    TReviewSettings& Settings() { return FShared ? *FShared : FSettings; }
    void UseSettings(TReviewSettings* Shared) { FShared = Shared; }

    // The start of the local day around Time.
    static int64_t LocalDayStart(int64_t Time);
    // Difficulty 1..10 as a level 0..9.
    static int32_t LevelOfDifficulty(double Difficulty);

signals:
    // The window is open and shows its first word (or its summary).
    void Opened(TReviewForm* Form);

private:
    void SetLevel(const TReviewCard& Card, const TReviewAnswer& Answer);
    void ShowProgress(QWidget* Over, TReviewStore& Store);

    QWidget* FWindow;
    TScreenSaverDataModule& FStore;
    QAction* FAction;
    QAction* FTrayItem;
    TReviewSettings FSettings;
    TReviewSettings* FShared = nullptr;
    TReviewForm* FForm = nullptr;
};
