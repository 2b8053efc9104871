#include "../review/ReviewOracle.h"
#include "../store/StoreTestSupport.h"

#include "review/TReviewSession.h"
#include "reviewform/TReviewForm.h"
#include "reviewform/TReviewSettingsForm.h"
#include "widgets/TMessageBox.h"

#include "tests/support/FuzzSeed.h"
#include "tests/support/KeyboardAccess.h"
#include "tests/support/WaitUntil.h"

#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

constexpr int64_t T0 = 1'760'000'000'000;
constexpr int64_t Day = TFsrs::MsPerDay;

class ReviewWindow : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the real X server that tools/test.sh starts";
        for (int I = 0; I < 30; ++I)
            Store->AppendEntry(MakeEntry(QStringLiteral("word%1").arg(I, 2, 10, QLatin1Char('0')),
                                         0, QStringLiteral("дума %1").arg(I)));
        Settings.NewPerDay = 30;
        Settings.MaximumInterval = 60;
        Settings.Fuzz = false;
    }

    // Shows the window and waits until it has the keyboard.
    void Open(TReviewForm& Form)
    {
        Form.show();
        Form.Start();
        Form.activateWindow();
        ASSERT_TRUE(WaitUntil([&] { return QGuiApplication::focusWindow() == Form.windowHandle(); }))
            << "the review window never became active";
    }

    TReviewSettings Settings;
    int64_t Now = T0;
};

} // namespace

// Thirty words reviewed from the keyboard over four sittings (grades 1-4, the two-button mode in
// one of them, one answer undone and given again): the state and log in the file are what the
// reference scheduler gives for the same answers at the same times.
TEST_F(ReviewWindow, ThirtyWordsFromTheKeyboardMatchTheReference)
{
    FIND_ORACLE(Oracle);
    std::mt19937 Random(FuzzSeed());
    std::map<QString, TOracleCase> Given;
    TReviewSession Session(Store->ADOConnection->Handle(), Settings, [this] { return Now; },
                           [](int64_t T) { return T - T % Day; });
    TReviewForm Form(&Session);
    Open(Form);
    EXPECT_EQ(Form.CountsText(), "Due: 0    New: 30    Done: 0");
    bool Undone = false;
    for (int Sitting = 0; Sitting < 4; ++Sitting) {
        const bool TwoButtons = Sitting == 2;
        TReviewSettings S = Settings;
        S.TwoButtons = TwoButtons;
        Session.SetSettings(S);
        Form.Start();
        int Answers = 0;
        while (!Form.Finished()) {
            const QString Word = Form.PromptText();
            ASSERT_FALSE(Word.isEmpty());
            EXPECT_TRUE(Form.AnswerText().isEmpty()) << "the answer shows before Space";
            QTest::keyClick(Form.windowHandle(), Qt::Key_Space);
            ASSERT_EQ(Form.AnswerText(), QStringLiteral("дума %1").arg(Word.mid(4).toInt()));
            int Key = TwoButtons ? 1 + static_cast<int>(Random() % 2) : 1 + static_cast<int>(Random() % 4);
            if (!Undone && Sitting == 1) {
                // An answer taken back is as if it was never given.
                QTest::keyClick(Form.windowHandle(), Qt::Key_4);
                QTest::keyClick(Form.windowHandle(), Qt::Key_Z, Qt::ControlModifier);
                ASSERT_EQ(Form.PromptText(), Word);
                QTest::keyClick(Form.windowHandle(), Qt::Key_Space);
                Undone = true;
            }
            const int Grade = TwoButtons ? (Key == 1 ? 1 : 3) : Key;
            Given[Word].Reviews.emplace_back(Now, Grade);
            Given[Word].Maximum = 60;
            QTest::keyClick(Form.windowHandle(), static_cast<Qt::Key>(Qt::Key_0 + Key));
            Now += 60'000; // a minute an answer
            ++Answers;
            ASSERT_LE(Answers, 30);
        }
        EXPECT_EQ(Answers, 30) << "sitting " << Sitting;
        EXPECT_NE(Form.SummaryText().indexOf(QStringLiteral("%1 answers").arg(30 * (Sitting + 1))), -1)
            << Form.SummaryText().toStdString();
        // Every word is due again (kept in order above the other grades, Easy may go a few days
        // past the maximum).
        Now += 70 * Day;
    }
    ExpectFileMatchesOracle(Path, Given, Oracle);
}

// Bulgarian first: the prompt is the meaning, the English word and its transcription come with
// Space; Speak says the English word only once it shows. The daily limit holds new words back.
TEST_F(ReviewWindow, BulgarianFirstAndTheDailyLimit)
{
    Settings.Direction = TReviewSettings::drBulgarianFirst;
    Settings.NewPerDay = 2;
    TReviewSession Session(Store->ADOConnection->Handle(), Settings, [this] { return Now; },
                           [](int64_t T) { return T - T % Day; });
    TReviewForm Form(&Session);
    QStringList Spoken;
    QObject::connect(&Form, &TReviewForm::SpeakRequested, [&](const QString& W) { Spoken << W; });
    Open(Form);
    EXPECT_EQ(Form.PromptText(), "дума 0");
    QTest::keyClick(Form.windowHandle(), Qt::Key_F8);
    EXPECT_TRUE(Spoken.isEmpty());
    QTest::keyClick(Form.windowHandle(), Qt::Key_3); // no grade before the answer shows
    EXPECT_EQ(Form.PromptText(), "дума 0");
    QTest::keyClick(Form.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(Form.AnswerText(), "word00");
    QTest::keyClick(Form.windowHandle(), Qt::Key_F8);
    EXPECT_EQ(Spoken, QStringList{"word00"});
    QTest::keyClick(Form.windowHandle(), Qt::Key_3);
    QTest::keyClick(Form.windowHandle(), Qt::Key_Space);
    QTest::mouseClick(Form.findChild<QWidget*>("EasyButton"), Qt::LeftButton);
    EXPECT_TRUE(Form.Finished());
    EXPECT_EQ(Form.CountsText(), "Due: 0    New: 0    Done: 2");
    // The next day brings two new words again.
    Now += Day;
    Form.Start();
    EXPECT_EQ(Form.PromptText(), "дума 2");
}

// The progress report opens from the review window as a report window with its charts; its
// picture (and the review window's) goes to the build folder for the README.
TEST_F(ReviewWindow, ProgressReportOpensFromTheWindow)
{
    TReviewSession Session(Store->ADOConnection->Handle(), Settings, [this] { return Now; },
                           [](int64_t T) { return T - T % Day; });
    TReviewForm Form(&Session);
    Open(Form);
    for (int I = 0; I < 12; ++I) {
        QTest::keyClick(Form.windowHandle(), Qt::Key_Space);
        QTest::keyClick(Form.windowHandle(), static_cast<Qt::Key>(Qt::Key_1 + I % 4));
        Now += 3 * 3600'000;
    }
    Form.grab().save(QStringLiteral(VEXLO_BINARY_DIR "/review-window.png"));
    bool Asked = false;
    QObject::connect(&Form, &TReviewForm::ProgressRequested, [&] { Asked = true; });
    QTest::mouseClick(Form.findChild<QWidget*>("ProgressButton"), Qt::LeftButton);
    EXPECT_TRUE(Asked);
}

// Every button of the review window and every field of its settings has an Alt letter of its own,
// before the answer shows and after.
TEST_F(ReviewWindow, EveryButtonAndSettingHasItsOwnLetter)
{
    using namespace KeyboardAccess;
    TReviewSession Session(Store->ADOConnection->Handle(), Settings, [this] { return Now; },
                           [](int64_t T) { return T - T % Day; });
    TReviewForm Form(&Session);
    Open(Form);
    const auto Buttons = [&](std::initializer_list<const char*> Names) {
        std::vector<QWidget*> Found;
        for (const char* Name : Names)
            Found.push_back(Form.findChild<QWidget*>(Name));
        return Found;
    };
    EXPECT_EQ(Listed(WindowProblems(&Form, Buttons({"ShowButton", "SpeakButton", "SettingsButton",
                                             "ProgressButton"}))), "");
    EXPECT_EQ(Listed(WalkLetters(&Form)), "");
    QTest::keyClick(Form.windowHandle(), Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return Form.findChild<QWidget*>("AgainButton")->isVisible(); }));
    EXPECT_EQ(Listed(WindowProblems(&Form, Buttons({"SpeakButton", "UndoButton", "SettingsButton",
                                             "ProgressButton"}))), "");

    TReviewSettingsForm SettingsForm(Settings, &Form);
    SettingsForm.show();
    EXPECT_EQ(Listed(WindowProblems(&SettingsForm)), "");
}
