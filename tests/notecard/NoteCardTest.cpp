#include "notecard/NoteCard.h"
#include "notecard/TNoteSettings.h"
#include "settings/TAppRegInfo.h"
#include "tests/notecard/NoteTestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class NoteCardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        DeleteAllNotes();
        Settings.Animate = false;
    }
    void TearDown() override { DeleteAllNotes(); }

    QWidget* Show(const char16_t* English = u"serendipity",
                  const char16_t* Bulgarian = u"щастливо откритие\r\nкъсмет",
                  const char16_t* Transcription = u"\u02CCser\u0259n\u02C8dip\u0259ti",
                  int Level = 4)
    {
        ShowLearnForm(&Settings, English, Bulgarian, Transcription, Level);
        return FindNote();
    }

    static void ClickAt(QWidget* Note, const QPoint& Pos)
    {
        QTest::mouseClick(Note, Qt::LeftButton, Qt::NoModifier, Pos);
    }

    TAppRegInfoData Settings;
};

// The library reads the block by byte offset; the program's own struct and a hand-made byte
// block must both give the same options.
TEST_F(NoteCardTest, ReadsTheOptionsAtTheirOffsets)
{
    unsigned char Block[TNoteBlock::Size];
    std::memset(Block, 0xEE, sizeof Block); // the fields not read may hold anything
    const auto Put = [&Block](std::size_t Offset, uint32_t V) {
        for (int I = 0; I < 4; ++I)
            Block[Offset + I] = static_cast<unsigned char>(V >> (8 * I));
    };
    Put(TNoteBlock::DurationInterval, 42);
    Put(TNoteBlock::DelayInterval, 7);
    Block[TNoteBlock::Transparent] = 1;
    Put(TNoteBlock::Level, 3);
    Put(TNoteBlock::BgColor, 0x00112233);
    Put(TNoteBlock::EnColor, 0x00445566);
    Put(TNoteBlock::TrColor, 0x00778899);
    Put(TNoteBlock::NoteColor, 0x00AABBCC);
    Put(TNoteBlock::NotePosition, 3);
    Block[TNoteBlock::Animate] = 0;
    Put(TNoteBlock::Axis, 1);

    const TNoteSettings S = TNoteSettings::FromBlock(Block);
    EXPECT_EQ(S.DurationInterval, 42);
    EXPECT_EQ(S.DelayInterval, 7);
    EXPECT_TRUE(S.Transparent);
    EXPECT_EQ(S.Level, 3);
    EXPECT_EQ(S.BgColor, 0x00112233u);
    EXPECT_EQ(S.EnColor, 0x00445566u);
    EXPECT_EQ(S.TrColor, 0x00778899u);
    EXPECT_EQ(S.NoteColor, 0x00AABBCCu);
    EXPECT_EQ(S.NotePosition, 3);
    EXPECT_FALSE(S.Animate);
    EXPECT_EQ(S.Axis, 1);

    // The same through the program's settings struct, handed over as the program does.
    Settings.DurationInterval = 42;
    Settings.DelayInterval = 7;
    Settings.Transparent = true;
    Settings.BgColor = 0x00112233;
    Settings.EnColor = 0x00445566;
    Settings.TrColor = 0x00778899;
    Settings.NoteColor = 0x00AABBCC;
    Settings.NotePosition = 3;
    Settings.Axis = 1;
    QWidget* Note = Show();
    ASSERT_NE(Note, nullptr);
    EXPECT_EQ(Note->property("DurationInterval").toInt(), 42);
    EXPECT_EQ(Note->property("DelayInterval").toInt(), 7);
    EXPECT_TRUE(Note->property("Transparent").toBool());
    EXPECT_FALSE(Note->property("Animate").toBool());
    EXPECT_EQ(Note->property("NotePosition").toInt(), 3);
    EXPECT_EQ(Note->property("Axis").toInt(), 1);
    // 0x00BBGGRR: red in the low byte.
    EXPECT_EQ(Note->property("BgColor").value<QColor>(), QColor(0x33, 0x22, 0x11));
    EXPECT_EQ(Note->property("EnColor").value<QColor>(), QColor(0x66, 0x55, 0x44));
    EXPECT_EQ(Note->property("TrColor").value<QColor>(), QColor(0x99, 0x88, 0x77));
    EXPECT_EQ(Note->property("NoteColor").value<QColor>(), QColor(0xCC, 0xBB, 0xAA));
}

TEST_F(NoteCardTest, OutOfRangeCornerAndAxisAndNullBlockFallBack)
{
    Settings.NotePosition = 7;
    Settings.Axis = -1;
    const TNoteSettings S = TNoteSettings::FromBlock(&Settings);
    EXPECT_EQ(S.NotePosition, 0);
    EXPECT_EQ(S.Axis, 0);

    const TNoteSettings D = TNoteSettings::FromBlock(nullptr);
    EXPECT_EQ(D.DurationInterval, 10);
    EXPECT_EQ(D.NoteColor, 0x00FFFFu);

    // A host handing no settings and no texts still gets a note, not a crash.
    ShowLearnForm(nullptr, nullptr, nullptr, nullptr, 42);
    QWidget* Note = FindNote();
    ASSERT_NE(Note, nullptr);
    EXPECT_TRUE(Note->property("EnglishText").toString().isEmpty());
    EXPECT_TRUE(Note->property("BulgarianLines").toStringList().isEmpty());
    EXPECT_EQ(Note->property("WordLevel").toInt(), 9);
}

TEST_F(NoteCardTest, WindowDesignAndTexts)
{
    QWidget* Note = Show(u"word", u"  първи ред \r\nвтори\r\n", u"w\u025C\u02D0d", 2);
    ASSERT_NE(Note, nullptr);
    EXPECT_EQ(Note->size(), QSize(242, 123));
    EXPECT_EQ(Note->windowTitle(), QStringLiteral("LearnForm"));
    const Qt::WindowFlags Flags = Note->windowFlags();
    EXPECT_TRUE(Flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(Flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(Note->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(Note->focusPolicy(), Qt::NoFocus);
    QObject* CloseTimer = Note->findChild<QObject*>(QStringLiteral("CloseTimer"));
    ASSERT_NE(CloseTimer, nullptr);
    EXPECT_EQ(CloseTimer->property("interval").toInt(), 500);

    EXPECT_EQ(Note->property("EnglishText").toString(), QStringLiteral("word"));
    EXPECT_EQ(Note->property("TranscriptionText").toString(),
              QString::fromUtf16(u"w\u025C\u02D0d"));
    EXPECT_EQ(Note->property("BulgarianLines").toStringList(),
              QStringList({QStringLiteral("първи ред"), QStringLiteral("втори")}));
    EXPECT_EQ(Note->property("WordLevel").toInt(), 2);
}

// The texts are copied: the host may free them right after the call.
TEST_F(NoteCardTest, TextsAreCopied)
{
    std::u16string English = u"ephemeral";
    ShowLearnForm(&Settings, English.c_str(), u"", u"", 0);
    English.assign(English.size(), u'x');
    QWidget* Note = FindNote();
    ASSERT_NE(Note, nullptr);
    EXPECT_EQ(Note->property("EnglishText").toString(), QStringLiteral("ephemeral"));
}

TEST_F(NoteCardTest, CanShowIsFalseWhileANoteShowsAndTheCrossClosesIt)
{
    EXPECT_TRUE(CanShow());
    QWidget* Note = Show();
    ASSERT_NE(Note, nullptr);
    EXPECT_FALSE(CanShow());

    // A click beside the cross leaves the note alone.
    ClickAt(Note, QPoint(30, 100));
    EXPECT_TRUE(Note->isVisible());
    EXPECT_FALSE(CanShow());

    const QRect Cross = Note->property("CloseRect").toRect();
    EXPECT_TRUE(QRect(QPoint(0, 0), Note->size()).contains(Cross));
    EXPECT_EQ(Cross.size(), QSize(16, 16));
    ClickAt(Note, Cross.center());
    EXPECT_EQ(FindNote(), nullptr);
    EXPECT_TRUE(CanShow());
}

// A host that asks for it hears of clicks on the word (the program says the word then); the
// note stays.
TEST_F(NoteCardTest, AClickOnTheWordCallsTheHost)
{
    static QStringList Clicked;
    Clicked.clear();
    SetNoteWordClick([](const char16_t* English) { Clicked.append(QString::fromUtf16(English)); });
    QWidget* Note = Show(u"serendipity");
    ASSERT_NE(Note, nullptr);
    const QRect Word = Note->property("EnglishRect").toRect();
    ASSERT_TRUE(Word.isValid());
    ClickAt(Note, Word.center());
    ClickAt(Note, QPoint(Word.right() + 6, Word.center().y())); // beside the word
    ClickAt(Note, QPoint(30, 100));                             // on the meaning
    EXPECT_EQ(Clicked, QStringList{"serendipity"});
    EXPECT_TRUE(Note->isVisible());
    SetNoteWordClick(nullptr);
    ClickAt(Note, Word.center());
    EXPECT_EQ(Clicked.size(), 1);
}

// A second note without asking CanShow replaces the first instead of stacking up.
TEST_F(NoteCardTest, ANewNoteReplacesTheOldOne)
{
    Show(u"first");
    Show(u"second");
    int Notes = 0;
    for (QWidget* W : QApplication::topLevelWidgets())
        if (W->inherits("TLearnForm"))
            ++Notes;
    EXPECT_EQ(Notes, 1);
    ASSERT_NE(FindNote(), nullptr);
    EXPECT_EQ(FindNote()->property("EnglishText").toString(), QStringLiteral("second"));
}

TEST_F(NoteCardTest, SitsInTheChosenCorner)
{
    const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
    struct TCase
    {
        int Position;
        bool Right, Down;
    };
    for (const TCase& C : {TCase{0, false, false}, TCase{1, true, false}, TCase{2, false, true},
                           TCase{3, true, true}}) {
        SCOPED_TRACE(C.Position);
        Settings.NotePosition = C.Position;
        QWidget* Note = Show();
        ASSERT_NE(Note, nullptr);
        const QRect R = Note->property("TargetRect").toRect();
        EXPECT_EQ(R.size(), QSize(242, 123));
        EXPECT_TRUE(Area.contains(R));
        if (C.Right)
            EXPECT_LE(Area.right() - R.right(), 4);
        else
            EXPECT_LE(R.left() - Area.left(), 4);
        if (C.Down)
            EXPECT_LE(Area.bottom() - R.bottom(), 4);
        else
            EXPECT_LE(R.top() - Area.top(), 4);
        DeleteAllNotes();
    }
}

TEST_F(NoteCardTest, PaintsTheNoteColourAndTheRedCross)
{
    Settings.NoteColor = 0x0000FF00; // green
    QWidget* Note = Show(u"x", u"", u"", 0);
    ASSERT_NE(Note, nullptr);
    const QImage Image = Note->grab().toImage();
    EXPECT_EQ(QColor(Image.pixel(120, 110)), QColor(0, 0xFF, 0)); // inside the card, no text
    const QRect Cross = Note->property("CloseRect").toRect();
    const QColor CrossCorner(Image.pixel(Cross.left() + 2, Cross.top() + 2));
    EXPECT_GT(CrossCorner.red(), 150);
    EXPECT_LT(CrossCorner.green(), 100);
}

// The note goes away by itself after "Duration"; with "Transparent" it first drops its
// background after "Delay BG" and keeps only its texts and cross.
TEST_F(NoteCardTest, DropsItsBackgroundAfterTheDelayAndClosesAfterTheDuration)
{
    Settings.Transparent = true;
    Settings.DelayInterval = 1;
    Settings.DurationInterval = 2;
    QWidget* Note = Show();
    ASSERT_NE(Note, nullptr);
    // The test moves the note's clock on and lets it tick.
    const auto At = [Note](int Ms) {
        Note->setProperty("ShownForMs", qint64(Ms));
        QMetaObject::invokeMethod(Note, "Tick");
    };
    At(999);
    EXPECT_FALSE(Note->property("BackgroundDropped").toBool());
    At(1000);
    EXPECT_TRUE(Note->property("BackgroundDropped").toBool());
    const QRegion Kept = Note->mask();
    EXPECT_FALSE(Kept.isEmpty());
    EXPECT_TRUE(Kept.contains(Note->property("CloseRect").toRect().center()));
    EXPECT_FALSE(Kept.contains(QPoint(120, 110))); // plain background
    At(1999);
    EXPECT_FALSE(CanShow());
    At(2000);
    EXPECT_TRUE(CanShow());
    EXPECT_EQ(FindNote(), nullptr);
}

TEST_F(NoteCardTest, ZeroDurationStaysUntilClosed)
{
    Settings.DurationInterval = 0;
    Settings.DelayInterval = 0;
    QWidget* Note = Show();
    ASSERT_NE(Note, nullptr);
    // An hour later, by the note's clock.
    Note->setProperty("ShownForMs", qint64(3600) * 1000);
    QMetaObject::invokeMethod(Note, "Tick");
    EXPECT_FALSE(CanShow());
    EXPECT_EQ(FindNote(), Note);
    EXPECT_FALSE(Note->property("BackgroundDropped").toBool()); // not transparent
}

// Animated notes slide in from the screen edge along the chosen axis: the visible part grows
// from that edge, and the note is whole when the slide ends.
TEST_F(NoteCardTest, AnimatedNoteSlidesInFromItsEdge)
{
    struct TCase
    {
        int Position, Axis;
    };
    for (const TCase& C : {TCase{0, 0}, TCase{3, 0}, TCase{1, 1}, TCase{2, 1}}) {
        SCOPED_TRACE(C.Position * 10 + C.Axis);
        Settings.Animate = true;
        Settings.NotePosition = C.Position;
        Settings.Axis = C.Axis;
        QWidget* Note = Show();
        ASSERT_NE(Note, nullptr);
        // The test drives the slide's clock: a quarter of the way in.
        auto* Slide = Note->findChild<QVariantAnimation*>();
        ASSERT_NE(Slide, nullptr);
        Slide->pause();
        Slide->setCurrentTime(Slide->duration() / 4);
        const QRect Part = Note->mask().boundingRect();
        ASSERT_FALSE(Part.isEmpty());
        const bool Right = C.Position == 1 || C.Position == 3;
        const bool Down = C.Position >= 2;
        if (C.Axis == 0) {
            EXPECT_LT(Part.width(), 242);
            EXPECT_EQ(Part.height(), 123);
            EXPECT_EQ(Right ? Part.right() : Part.left(), Right ? 241 : 0);
        } else {
            EXPECT_LT(Part.height(), 123);
            EXPECT_EQ(Part.width(), 242);
            EXPECT_EQ(Down ? Part.bottom() : Part.top(), Down ? 122 : 0);
        }
        // All the way in: the whole note shows.
        Slide->setCurrentTime(Slide->duration());
        EXPECT_TRUE(Note->mask().isEmpty());
        DeleteAllNotes();
    }
}

} // namespace
