#include "app/TFindCommand.h"

#include "finder/TFindForm.h"
#include "widgets/TMessageBox.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QCoreApplication>

TFindCommand::TFindCommand(QWidget* Window, TScreenSaverDataModule& Store, QMenu* Menu,
                           QAction* Before)
    : QObject(Window), FWindow(Window), FStore(Store)
{
    FindAction = new QAction(QCoreApplication::translate("TFindCommand", "&Find..."), Window);
    FindAction->setObjectName(QStringLiteral("FindAction"));
    FindAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    FindAction->setStatusTip(
        QCoreApplication::translate("TFindCommand", "Find a text in the English words, transcriptions and Bulgarian texts"));
    Menu->insertAction(Before, FindAction);
    Menu->insertSeparator(Before);
    Window->addAction(FindAction);
    connect(FindAction, &QAction::triggered, this, &TFindCommand::FindExecute);
}

void TFindCommand::FindExecute()
{
    if (!FForm) {
        FForm = new TFindForm(&FStore, FWindow);
        connect(FForm, &TFindForm::EntryChosen, this, &TFindCommand::EntryChosen);
    }
    FForm->show();
    FForm->raise();
    FForm->activateWindow();
    FForm->FindEdit->setFocus();
    FForm->FindEdit->selectAll();
}

void TFindCommand::EntryChosen(int32_t ID)
{
    if (GoToEntry && !GoToEntry(ID))
        TMessageBox::Information(FForm, QCoreApplication::translate("TFindCommand", "Find"),
                                 QCoreApplication::translate(
                                     "TFindCommand", "That entry is no longer in the dictionary."));
}
