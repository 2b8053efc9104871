// The main window on the screen: its first place, its normal bounds at the end, the dialog open
// over it, and colours that read on any desktop palette.

#include "app/TAdminForm.h"

#include "app/TEnglishTableModel.h"
#include "platform/TRegistry.h"
#include "widgets/TMenuImages.h"
#include "widgets/TReadableColours.h"
#include "widgets/TScreenPlacement.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>
#include <QSystemTrayIcon>

namespace {

// The transcription's maroon, and a light rose of the same hue where the ground is dark.

// Hears double-clicks on the grid where the view itself reports none: on the row indicators and
// on the room below the rows. Cells report through the view's doubleClicked.
class TGridDoubleClicks : public QObject
{
public:
    TGridDoubleClicks(QTableView* Grid, std::function<void()> Action)
        : QObject(Grid), FGrid(Grid), FAction(std::move(Action))
    {
        Grid->viewport()->installEventFilter(this);
        Grid->verticalHeader()->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() != QEvent::MouseButtonDblClick)
            return false;
        const QPoint At = static_cast<QMouseEvent*>(Event)->position().toPoint();
        if (Watched == FGrid->verticalHeader()->viewport() ||
            (Watched == FGrid->viewport() && !FGrid->indexAt(At).isValid()))
            FAction();
        return false;
    }

private:
    QTableView* FGrid;
    std::function<void()> FAction;
};

} // namespace

void TAdminForm::BringDialogForward()
{
    QWidget* Dialog = QApplication::activeModalWidget();
    if (!Dialog || Dialog == this)
        return;
    // Minimised (the window manager may offer it), a modal dialog hides the only way on.
    if (Dialog->isMinimized())
        Dialog->setWindowState(Dialog->windowState() & ~Qt::WindowMinimized);
    Dialog->show();
    Dialog->raise();
    Dialog->activateWindow();
}

void TAdminForm::RestoreNormalBounds()
{
    // The window manager answers a change of state later, often after the program has ended: the
    // normal bounds are put back at once, so that they are the ones saved.
    // Qt keeps the inside's normal rectangle; the saved left and top are the frame's.
    const QRect Normal = normalGeometry();
    // Only minimised, the window still has its normal frame.
    if (NormalFrame.isNull() && !isMaximized())
        NoteNormalFrame();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!Normal.isValid())
        return;
    if (Normal != geometry())
        setGeometry(Normal);
    // Without a known frame the window's own idea of its position is kept.
    if (!NormalFrame.isNull())
        ClosingBounds = QRect(Normal.topLeft() - QPoint(NormalFrame.left(), NormalFrame.top()),
                              Normal.size());
}

void TAdminForm::NoteNormalFrame()
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QMargins Frame = TScreenPlacement::FrameMargins(this);
    if (!Frame.isNull())
        NormalFrame = Frame;
}

void TAdminForm::CentreWhenNeverPlaced()
{
    // A large scale factor (QT_SCALE_FACTOR=3 on 1280x1024 leaves 426x341) can leave less room
    // than the window's least size: it gives way to the screen.
    TScreenPlacement::FitOnScreen(this);
    {
        TRegistry Registry;
        if (Registry.OpenKey(TAppRegInfo::KeyName, false) && Registry.ValueExists("Left") &&
            Registry.ValueExists("Top"))
            return;
    }
    TScreenPlacement::CentreOnPrimaryScreen(this);
}

void TAdminForm::FitWhenFirstFramed()
{
    if (FramedFitDone || !isVisible() || (windowState() & ~Qt::WindowActive) != Qt::WindowNoState ||
        TScreenPlacement::FrameMargins(this).isNull())
        return;
    FramedFitDone = true;
    TScreenPlacement::FitOnScreen(this);
}

void TAdminForm::ApplyReadableColours()
{
    // The controls take their grounds from the window's palette, which is already the new one
    // when it changes; theirs follow a moment later.
    QPalette TransPalette = TransDBEdit->palette();
    TransPalette.setColor(QPalette::Text,
                          TReadableColours::TranscriptionInk(palette().color(QPalette::Base)));
    TransDBEdit->setPalette(TransPalette);
    // The navigator's arrows in their navy, or what reads on the buttons.
    const QColor Arrows = TReadableColours::Readable(
        TMenuImages::NavigatorInk, palette().color(QPalette::Button),
        palette().color(QPalette::ButtonText));
    NavFirst->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngFirst, Arrows));
    NavPrior->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngPrior, Arrows));
    NavNext->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngNext, Arrows));
    NavLast->setIcon(TMenuImages::NavigatorGlyph(TMenuImages::ngLast, Arrows));
    if (GridModel) {
        const QColor Indicator = palette().color(QPalette::ButtonText);
        if (GridModel->IndicatorColor != Indicator) {
            GridModel->IndicatorColor = Indicator;
            EnglishDBGrid->verticalHeader()->viewport()->update();
        }
    }
}

bool TAdminForm::IsTrayIconObject(const QObject* Object) const
{
    // The icon's own window (where a tray host embeds it) passes the tip on to the icon.
    return qobject_cast<const QSystemTrayIcon*>(Object) ||
           (Object && Object->inherits("QSystemTrayIconSys"));
}

void TAdminForm::WatchGridDoubleClicks()
{
    if (EnglishDBGrid->findChild<QObject*>("GridDoubleClicks", Qt::FindDirectChildrenOnly))
        return;
    auto* Watcher = new TGridDoubleClicks(EnglishDBGrid, [this] { EnglishDBGridDblClick(); });
    Watcher->setObjectName("GridDoubleClicks");
}
