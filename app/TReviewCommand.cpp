#include "app/TReviewCommand.h"

#include "reports/TInformationForm.h"
#include "reports/TReviewProgressPage.h"
#include "review/TReviewSession.h"
#include "reviewform/TReviewForm.h"
#include "settings/TSpeechSettings.h"
#include "speech/TSpeaker.h"
#include "store/TScreenSaverDataModule.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <cmath>

TReviewCommand::TReviewCommand(QWidget* Window, TScreenSaverDataModule& Store, QMenu* Tools,
                               QMenu* Tray, QAction* TrayBefore)
    : QObject(Window), FWindow(Window), FStore(Store)
{
    FAction = new QAction(QCoreApplication::translate("TReviewCommand", "&Review"), this);
    FAction->setObjectName(QStringLiteral("ReviewAction"));
    FAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    FAction->setStatusTip(QCoreApplication::translate(
        "TReviewCommand", "Review the words that are due, then new ones"));
    FAction->setShortcutContext(Qt::WindowShortcut);
    Tools->addAction(FAction);
    Window->addAction(FAction);
    FTrayItem = new QAction(QCoreApplication::translate("TReviewCommand", "&Review"), this);
    FTrayItem->setObjectName(QStringLiteral("ReviewTMI"));
    Tray->insertAction(TrayBefore, FTrayItem);
    connect(FAction, &QAction::triggered, this, &TReviewCommand::Execute);
    connect(FTrayItem, &QAction::triggered, this, &TReviewCommand::Execute);
    Clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

TReviewCommand::~TReviewCommand() = default;

int64_t TReviewCommand::LocalDayStart(int64_t Time)
{
    const QDateTime At = QDateTime::fromMSecsSinceEpoch(Time);
    return At.date().startOfDay().toMSecsSinceEpoch();
}

int32_t TReviewCommand::LevelOfDifficulty(double Difficulty)
{
    return std::clamp(static_cast<int32_t>(std::lround(Difficulty - 1)), 0, 9);
}

void TReviewCommand::SetLevel(const TReviewCard& Card, const TReviewAnswer& Answer)
{
    if (!Settings().LevelFromReview)
        return;
    const int32_t Level = LevelOfDifficulty(Answer.After.Difficulty);
    if (Level == Card.Level || !FStore.ADOTable->Active() ||
        !FStore.ADOTable->Locate(QStringLiteral("ID"), Card.ID, 0))
        return;
    TEnBgRecord Rec;
    FStore.ReadCurrentEntry(Rec);
    if (Rec.EnglishWord != Card.Word || Rec.BulgarianText != Card.Meaning)
        return;
    Rec.WordLevel = Level;
    FStore.UpdateCurrentEntry(Rec);
}

void TReviewCommand::ShowProgress(QWidget* Over, TReviewStore& Store)
{
    const TReviewProgress Progress = TReviewProgress::Read(
        FStore.ADOConnection->Handle(), Store.Schema().constData(),
        LocalDayStart(Clock()), Settings().DesiredRetention / 1000.0);
    TInformationForm::ShowPage(Over, FStore, BuildReviewProgressPage(Progress));
}

void TReviewCommand::Execute()
{
    if (FForm) {
        FForm->raise();
        FForm->activateWindow();
        return;
    }
    if ((Ready && !Ready()) || !FStore.ADOConnection->Connected())
        return;
    auto Run = [this] {
        TReviewSession Session(FStore.ADOConnection->Handle(), Settings(), Clock,
                               &TReviewCommand::LocalDayStart);
        TReviewForm Form(&Session, FWindow);
        FForm = &Form;
        connect(&Form, &TReviewForm::SpeakRequested, this, [](const QString& Word) {
            TSpeaker::Shared()->Speak(Word, TSpeechSettings::Live().Voice);
        });
        connect(&Form, &TReviewForm::SettingsChanged, this,
                [this](const TReviewSettings& S) { Settings() = S; });
        connect(&Form, &TReviewForm::ProgressRequested, this,
                [this, &Form, &Session] { ShowProgress(&Form, Session.Store()); });
        connect(&Form, &TReviewForm::Answered, this,
                [this](const TReviewCard& Card, const TReviewAnswer& Answer) {
                    SetLevel(Card, Answer);
                });
        Form.Start();
        QTimer::singleShot(0, this, [this, &Form] {
            if (FForm == &Form)
                emit Opened(&Form);
        });
        Form.exec();
        FForm = nullptr;
    };
    if (AsDialog)
        AsDialog(Run);
    else
        Run();
}
