#include "widgets/TMessageForm.h"

#include "widgets/TScreenPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "store/TVexloConnection.h"

namespace {

// The program's main window, found by its class name among the top-level windows.
QWidget* MainWindow()
{
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->inherits("TAdminForm"))
            return Window;
    return nullptr;
}

// While a long operation runs inside the event loop's caller, keeps out what could start other
// work on the store: timers (they fire again later), socket activity (reported again while data
// waits) and requests to close or quit (the window manager's close is ignored, as by any busy
// program). Input is left out by the caller; drawing and the window system's conversation go on.
class TPaintOnlyFilter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        switch (Event->type()) {
        case QEvent::Timer:
        case QEvent::SockAct:
        case QEvent::SockClose:
        case QEvent::Close:
        case QEvent::Quit:
            return true;
        default:
            return false;
        }
    }
};

// How often, at most, the windows are drawn during a long operation.
constexpr qint64 PaintIntervalMs = 50;

struct TPaintPump
{
    QElapsedTimer SinceLast;

    void Pump()
    {
        TPaintOnlyFilter Filter;
        qApp->installEventFilter(&Filter);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        qApp->removeEventFilter(&Filter);
        SinceLast.restart();
    }

    // Called while the statement runs long or waits for another program's lock.
    void Waiting()
    {
        if (SinceLast.elapsed() >= PaintIntervalMs) {
            try {
                Pump();
            } catch (...) {
                // Drawing never stops the operation.
            }
        }
    }
};

} // namespace

TMessageForm::TMessageForm(QWidget* Owner, const QString& Text)
    : QWidget(Owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("MessageForm");
    setWindowTitle(QCoreApplication::translate("TMessageForm", "Message"));
    QFont Font("MS Sans Serif");
    Font.setPixelSize(11);
    setFont(Font);
    setFixedSize(242, 105);
    MessageLabel = new QLabel(Text, this);
    MessageLabel->setObjectName("MessageLabel");
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setGeometry(0, 40, 242, 17);
    MessageLabel->setAlignment(Qt::AlignCenter);
}

void TMessageForm::showEvent(QShowEvent* Event)
{
    if (QWidget* Main = MainWindow(); Main && Main->isVisible())
        TScreenPlacement::CentreFrameOn(this, Main);
    else
        TScreenPlacement::CentreOnPrimaryScreen(this);
    QWidget::showEvent(Event);
}

void TMessageForm::closeEvent(QCloseEvent* Event)
{
    // The window goes away when its operation ends, never at the user's request.
    Event->ignore();
}

void TMessageForm::ShowPainted()
{
    show();
    QElapsedTimer Waited;
    Waited.start();
    // Mapping, framing and the first expose take a few round trips to the window system.
    while (Waited.elapsed() < 1000 && !(windowHandle() && windowHandle()->isExposed())) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TMessageForm::KeepPaintedDuring(TVexloConnection* Connection,
                                     const std::function<void()>& Work)
{
    TPaintPump Pump;
    Pump.SinceLast.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct TRestore
    {
        TVexloConnection* Connection;
        ~TRestore()
        {
            if (Connection)
                Connection->SetWaitObserver({});
            QApplication::restoreOverrideCursor();
        }
    } Restore{Connection};
    if (Connection)
        Connection->SetWaitObserver([&Pump](TVexloConnection::TWait) { Pump.Waiting(); });
    Work();
}
