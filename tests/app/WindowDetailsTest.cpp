// Details of the main window offscreen: user text in boxes, double-clicks on the whole grid, the
// tray icon's clicks with and without a dialog, its tip, the first place of the window and its
// colours on a dark palette.

#include "AdminFormFixture.h"

#include "app/TEnglishTableModel.h"
#include "editor/TEditForm.h"
#include "settings/TOptionsForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QTimer>

#include <cmath>

namespace {

using WindowDetailsTest = AdminFormTest;

// Relative luminance contrast of two colours (1 to 21).
double Contrast(const QColor& A, const QColor& B)
{
    const auto Luminance = [](const QColor& C) {
        const auto Channel = [](double V) {
            return V <= 0.03928 ? V / 12.92 : std::pow((V + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * Channel(C.redF()) + 0.7152 * Channel(C.greenF()) +
               0.0722 * Channel(C.blueF());
    };
    const double L1 = Luminance(A), L2 = Luminance(B);
    return (std::max(L1, L2) + 0.05) / (std::min(L1, L2) + 0.05);
}

void DoubleClick(QWidget* Target, const QPoint& At)
{
    const QPointF Local(At), Global(Target->mapToGlobal(At));
    for (auto Type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent Event(Type, Local, Global, Qt::LeftButton,
                          Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(Target, &Event);
    }
}

TEST_F(WindowDetailsTest, BoxesShowWordsWithMarkupAsTheyAre)
{
    // A word with tags, entities and a line break tag: every character shows.
    for (const char* Word : {"<b>big</b> cat", "a &lt;b&gt; c", "x<br>y"}) {
        SCOPED_TRACE(Word);
        Form.reset();
        Store.reset();
        DataFile = Dir.filePath(QString::number(qHash(QByteArray(Word))) + ".mdb");
        Open({{Word, "дума"}});
        QString Shown;
        int Width = 0;
        QTimer::singleShot(0, [&] {
            auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(Box, nullptr);
            auto* Label = Box->findChild<QLabel*>("qt_msgbox_label");
            ASSERT_NE(Label, nullptr);
            Shown = Label->text();
            Width = Label->sizeHint().width();
            // What a label of plain text needs for the question, tags included.
            QLabel Plain;
            Plain.setFont(Label->font());
            Plain.setTextFormat(Qt::PlainText);
            Plain.setText(Shown);
            EXPECT_GE(Width, Plain.sizeHint().width());
            Box->button(QMessageBox::No)->click();
        });
        UI(Form, Delete)->trigger();
        const QString Upper = QString(Word).toUpper();
        EXPECT_EQ(Shown, "Delete the word " + Upper + " ?");
        EXPECT_EQ(Table()->RecordCount(), 1);
    }
}

TEST_F(WindowDetailsTest, DoubleClickAnywhereOnTheGridRunsRedactWhileEnabled)
{
    Open(Fruits);
    Form->resize(600, 500);
    Form->show();
    QApplication::processEvents();
    int Redacts = 0;
    QObject::connect(UI(Form, Redact), &QAction::triggered, [&] { ++Redacts; });
    QTableView* Grid = UI(Form, EnglishDBGrid);
    QHeaderView* Rows = Grid->verticalHeader();
    const int BelowRows = Rows->sectionViewportPosition(4) + Rows->sectionSize(4) + 20;
    const auto Middle = [Rows](int Row) {
        return Rows->sectionViewportPosition(Row) + Rows->sectionSize(Row) / 2;
    };
    ASSERT_LT(BelowRows, Grid->viewport()->height());
    struct TCase
    {
        const char* Where;
        QWidget* Target;
        QPoint At;
        bool Enabled;
        int Redacts; // afterwards
    };
    const TCase Cases[] = {
        {"row indicator of the third row", Rows->viewport(),
         QPoint(5, Middle(2)), true, 1},
        {"below the rows", Grid->viewport(), QPoint(40, BelowRows), true, 1},
        {"indicator room below the rows", Rows->viewport(), QPoint(5, BelowRows), true, 1},
        {"a cell", Grid->viewport(), QPoint(40, Middle(1)), true, 1},
        {"below the rows, Redact disabled", Grid->viewport(), QPoint(40, BelowRows), false, 0},
        {"row indicator, Redact disabled", Rows->viewport(), QPoint(5, Middle(0)), false, 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Where);
        Redacts = 0;
        UI(Form, Redact)->setEnabled(Case.Enabled);
        DoubleClick(Case.Target, Case.At);
        EXPECT_EQ(Redacts, Case.Redacts);
    }
    // The indicator's row became current before Redact ran on it.
    UI(Form, Redact)->setEnabled(true);
    DoubleClick(Rows->viewport(), QPoint(5, Middle(3)));
    EXPECT_EQ(CurrentWord(), "band");
}

TEST_F(WindowDetailsTest, RightClickOnTheIconBringsTheWindowForwardThenThePopup)
{
    Open(Fruits);
    Form->show();
    QWidget Other;
    Other.show();
    Other.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &Other);
    Form->Tray->TrayIcon->Activate(QSystemTrayIcon::Context);
    QApplication::processEvents();
    EXPECT_TRUE(Form->Tray->TrayPopupMenu->isVisible());
    Form->Tray->TrayPopupMenu->hide();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), Form.get());
}

TEST_F(WindowDetailsTest, TrayClickWhileADialogIsOpenBringsTheDialogForward)
{
    for (auto Reason : {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick}) {
        SCOPED_TRACE(Reason);
        Form.reset();
        Store.reset();
        DataFile = Dir.filePath(QString("reason%1.mdb").arg(int(Reason)));
        Open(Fruits);
        Form->show();
        bool Seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* Dialog = QApplication::activeModalWidget();
            ASSERT_NE(Dialog, nullptr);
            // The window manager's minimise button hides the dialog and the window with it.
            Dialog->showMinimized();
            Form->hide();
            QApplication::processEvents();
            Form->Tray->TrayIcon->Activate(Reason);
            QApplication::processEvents();
            Seen = true;
            EXPECT_TRUE(Form->isVisible());
            EXPECT_TRUE(Dialog->isVisible());
            EXPECT_FALSE(Dialog->isMinimized());
            EXPECT_FALSE(Form->Tray->TrayPopupMenu->isVisible());
            static_cast<QDialog*>(Dialog)->reject();
        });
        UI(Form, Options)->trigger();
        EXPECT_TRUE(Seen);
    }
}

TEST_F(WindowDetailsTest, OnlyTheTrayIconKeepsItsToolTip)
{
    Open(Fruits);
    QSystemTrayIcon Icon;
    QHelpEvent Help(QEvent::ToolTip, QPoint(2, 2), QPoint(2, 2));
    EXPECT_FALSE(Form->eventFilter(&Icon, &Help));
    EXPECT_TRUE(Form->eventFilter(UI(Form, NewBitBtn), &Help));
    EXPECT_TRUE(Form->eventFilter(UI(Form, EnglishDBGrid)->viewport(), &Help));
}

TEST_F(WindowDetailsTest, FirstStartCentresTheWindowOnThePrimaryScreen)
{
    Open(Fruits);
    Form->show();
    QApplication::processEvents();
    const QRect Available = QGuiApplication::primaryScreen()->availableGeometry();
    // Give or take the frame, which the window manager adds after the window was placed.
    const QRect Frame = Form->frameGeometry();
    const int Slack = std::max(Frame.width() - Form->width(), Frame.height() - Form->height());
    EXPECT_LE(std::abs(Frame.center().x() - Available.center().x()), Slack) << Frame.x();
    EXPECT_LE(std::abs(Frame.center().y() - Available.center().y()), Slack) << Frame.y();
    EXPECT_GT(Frame.top(), Available.top()); // not in the corner
}

TEST_F(WindowDetailsTest, TranscriptionAndRowIndicatorReadOnLightAndDarkPalettes)
{
    const QPalette Original = QApplication::palette();
    QPalette Dark = Original;
    for (auto Role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        Dark.setColor(Role, QColor(0x20, 0x20, 0x24));
    for (auto Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        Dark.setColor(Role, QColor(0xE8, 0xE8, 0xE8));
    QPalette Light = Original;
    Light.setColor(QPalette::Base, Qt::white);
    Light.setColor(QPalette::Button, QColor(0xEF, 0xEF, 0xEF));
    Light.setColor(QPalette::ButtonText, Qt::black);
    struct TCase
    {
        const char* Name;
        QPalette Palette;
        bool AtStart; // set before the window exists, else while it runs
    };
    const TCase Cases[] = {{"light", Light, true}, {"dark", Dark, true}, {"dark later", Dark, false}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Form.reset();
        Store.reset();
        DataFile = Dir.filePath(QString(Case.Name) + ".mdb");
        if (Case.AtStart)
            QApplication::setPalette(Case.Palette);
        Open(Fruits);
        Form->show();
        if (!Case.AtStart)
            QApplication::setPalette(Case.Palette);
        QApplication::processEvents();
        const QPalette Trans = UI(Form, TransDBEdit)->palette();
        EXPECT_GE(Contrast(Trans.color(QPalette::Text), Trans.color(QPalette::Base)), 4.5);
        // The indicator as drawn, on the header's ground.
        const QIcon Indicator =
            Form->GridModel->headerData(0, Qt::Vertical, Qt::DecorationRole).value<QIcon>();
        const QImage Drawn = Indicator.pixmap(10, 10).toImage();
        const QColor Header = UI(Form, EnglishDBGrid)->verticalHeader()->palette().color(QPalette::Button);
        EXPECT_GE(Contrast(QColor(Drawn.pixel(4, 5)), Header), 4.5);
        // The navigator's arrows as drawn (their most opaque pixel), on the buttons' ground.
        for (QToolButton* Arrow : {UI(Form, NavFirst), UI(Form, NavPrior), UI(Form, NavNext), UI(Form, NavLast)}) {
            const QImage Glyph = Arrow->icon().pixmap(16, 16).toImage();
            QColor Ink;
            for (int Y = 0; Y < Glyph.height(); ++Y)
                for (int X = 0; X < Glyph.width(); ++X)
                    if (QColor C = Glyph.pixelColor(X, Y); C.alpha() > Ink.alpha() || !Ink.isValid())
                        Ink = C;
            EXPECT_GE(Contrast(Ink, Arrow->palette().color(QPalette::Button)), 4.5)
                << Arrow->objectName().toStdString();
        }
        // The word editor's transcription.
        Form->EditForm = new TEditForm(&Form->Store, Form.get());
        auto* EditorTranscription = Form->EditForm->findChild<QLineEdit*>("TranscriptionEdit");
        ASSERT_NE(EditorTranscription, nullptr);
        const QPalette Editor = EditorTranscription->palette();
        EXPECT_GE(Contrast(Editor.color(QPalette::Text), Editor.color(QPalette::Base)), 4.5);
        QApplication::setPalette(Original);
    }
}

} // namespace
