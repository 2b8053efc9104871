#include "app/TMessageForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>

namespace {

// The program's main window, found by its class name among the top-level windows.
QWidget* MainWindow()
{
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->inherits("TAdminForm"))
            return Window;
    return nullptr;
}

} // namespace

TMessageForm::TMessageForm(QWidget* Owner, const QString& Text)
    : QWidget(Owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("MessageForm");
    setWindowTitle("Message");
    QFont Font("MS Sans Serif");
    Font.setPixelSize(11);
    setFont(Font);
    setFixedSize(242, 105);
    MessageLabel = new QLabel(Text, this);
    MessageLabel->setObjectName("MessageLabel");
    MessageLabel->setGeometry(0, 40, 242, 17);
    MessageLabel->setAlignment(Qt::AlignCenter);
}

void TMessageForm::showEvent(QShowEvent* Event)
{
    QRect Area;
    if (QWidget* Main = MainWindow(); Main && Main->isVisible())
        Area = Main->frameGeometry();
    else if (QScreen* Screen = QGuiApplication::primaryScreen())
        Area = Screen->availableGeometry();
    if (Area.isValid()) {
        QRect Bounds(QPoint(), size());
        Bounds.moveCenter(Area.center());
        move(Bounds.topLeft());
    }
    QWidget::showEvent(Event);
}

void TMessageForm::closeEvent(QCloseEvent* Event)
{
    // The window goes away when its operation ends, never at the user's request.
    Event->ignore();
}
