#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

class TScreenSaverDataModule;
class QAction;
class QMenu;
class QWidget;
class TFindForm;

// Find in everything, a part of the main window: File > Find... (Ctrl+F) opens the find window
// (made on first use, kept afterwards), and an entry chosen there becomes the current one.
class TFindCommand : public QObject
{
    Q_OBJECT

public:
    // Puts Find... into Menu before Before (at the end when nullptr).
    TFindCommand(QWidget* Window, TScreenSaverDataModule& Store, QMenu* Menu, QAction* Before);

    QAction* FindAction = nullptr;
    // Makes the entry with ID current; false when there is none. Set by the window.
    std::function<bool(int32_t ID)> GoToEntry;

    void FindExecute();
    TFindForm* Form() const { return FForm; }

private:
    void EntryChosen(int32_t ID);
    QWidget* FWindow;
    TScreenSaverDataModule& FStore;
    TFindForm* FForm = nullptr;
};
