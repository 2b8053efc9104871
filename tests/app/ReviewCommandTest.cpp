#include "AdminFormFixture.h"

#include "app/TReviewCommand.h"
#include "reports/TPageView.h"
#include "reviewform/TReviewForm.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

// Tools → Review (Ctrl+L) and the tray's Review open the review window over the main window as
// one of its dialogs; with "Set the level from the review" on, an answer sets the entry's level,
// and off (the default) the level stays the user's.
TEST_F(AdminFormTest, ReviewOpensFromToolsAndTrayAndSetsTheLevelOnlyWhenAsked)
{
    Open(Fruits);
    QAction* Action = Form->Review->Action();
    EXPECT_EQ(Action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_TRUE(UI(Form, Tools1)->actions().contains(Action));
    EXPECT_TRUE(Form->Tray->TrayPopupMenu->actions().contains(Form->Review->TrayItem()));
    EXPECT_FALSE(Form->Review->Settings().LevelFromReview);

    Form->Review->Clock = [] { return int64_t(1'760'000'000'000); };
    for (const bool LevelFromReview : {false, true}) {
        SCOPED_TRACE(LevelFromReview);
        Form->Review->Settings().LevelFromReview = LevelFromReview;
        QString First;
        int Before = -1;
        bool Counted = false;
        auto Connection = QObject::connect(Form->Review, &TReviewCommand::Opened, Form.get(),
                                           [&](TReviewForm* Review) {
            Counted = !Form->NoDialogOpen();
            EXPECT_EQ(QApplication::activeModalWidget(), Review);
            First = Review->PromptText();
            if (Store->ADOTable->Locate("ENAME", First, 0))
                Before = Store->ADOTableLEVEL->AsInteger();
            Review->Reveal();
            Review->Grade(TGrade::grAgain); // difficulty about 6.4: level 5
            Review->reject();
        });
        (LevelFromReview ? Form->Review->TrayItem() : Action)->trigger();
        QObject::disconnect(Connection);
        EXPECT_TRUE(Counted);
        EXPECT_TRUE(Form->NoDialogOpen());
        ASSERT_FALSE(First.isEmpty());
        ASSERT_TRUE(Store->ADOTable->Locate("ENAME", First, 0));
        EXPECT_EQ(Store->ADOTableLEVEL->AsInteger(), LevelFromReview ? 5 : Before) << First.toStdString();
    }
}

// Progress... in the review window shows the progress report over it, as the other reports show.
TEST_F(AdminFormTest, ReviewProgressOpensAsAReport)
{
    Open(Fruits);
    int64_t Now = 1'760'000'000'000;
    Form->Review->Clock = [&Now] { return Now; };
    QString Page;
    auto Connection = QObject::connect(Form->Review, &TReviewCommand::Opened, Form.get(),
                                       [&](TReviewForm* Review) {
        for (int I = 0; I < 6 && !Review->Finished(); ++I) {
            Review->Reveal();
            Review->Grade(static_cast<TGrade>(1 + I % 4));
            Now += 6 * 3600'000;
        }
        QTimer Poll;
        Poll.setInterval(10);
        QObject::connect(&Poll, &QTimer::timeout, [&] {
            auto* Report = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!Report || Report == Review)
                return;
            Poll.stop();
            EXPECT_STREQ(Report->metaObject()->className(), "TInformationForm");
            if (auto* View = Report->findChild<TPageView*>())
                Page = View->PageText();
            Report->resize(720, 640);
            Report->grab().save(QStringLiteral(VEXLO_BINARY_DIR "/review-progress.png"));
            Report->reject();
        });
        Poll.start();
        QMetaObject::invokeMethod(Review->findChild<QPushButton*>("ProgressButton"), "click");
        Review->reject();
    });
    Form->Review->Action()->trigger();
    QObject::disconnect(Connection);
    EXPECT_TRUE(Page.contains("Words due over the next 30 days")) << Page.toStdString();
    EXPECT_TRUE(Page.contains("Answers over the last 90 days"));
    EXPECT_TRUE(Form->NoDialogOpen());
}
