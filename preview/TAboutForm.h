#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QTimer>

#include <memory>

class TScreenSaverDataModule;
class TPaintMachine;

namespace Ui {
class TAboutForm;
}

// The about box: name, version, maker, a link to the maker's site and a live preview of the screen
// saver's word display inside a picture of a monitor. Made for one opening:
// `TAboutForm Form(Parent); Form.exec();`.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    // The preview shows the words of Store (none: the preview says the database is not open).
    explicit TAboutForm(TScreenSaverDataModule* Store, QWidget* Parent = nullptr);
    ~TAboutForm() override;

    // Where the monitor's screen starts inside the monitor picture, and its size.
    static constexpr int ScreenLeft = 16;
    static constexpr int ScreenTop = 12;
    static constexpr int ScreenWidth = 168;
    static constexpr int ScreenHeight = 132;
    static constexpr int MonitorSize = 200;

    // The monitor picture drawn on a magenta surround (200 x 200, 24 bits), the screen black.
    static QImage MakeMonitorPicture();

    Ui::TAboutForm* ui;
    QTimer* TimeTimer;

    TPaintMachine* PaintMachine() const { return FPaintMachine.get(); }
    // The monitor picture as the form draws it: surround transparent, latest frame on the screen.
    const QImage& MonitorPicture() const { return FMonitorPicture; }
    // Bounds of the monitor picture on the form.
    QRect MonitorRect() const;
    // The error that stopped the preview, if any.
    QString PreviewError;

    void FormCreate();
    void FormShow();
    void FormPaint(const QRect& Region);
    void TimeTimerTimer();
    void WebLabelClick();
    void WebLabelMouseEnter();
    void WebLabelMouseLeave();

protected:
    void showEvent(QShowEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CenterMonitor();
    void RefreshMonitor();
    void ShowNextWord();
    // Copies rectangle R of the frame into the monitor picture and onto the form.
    void CopyToScreen(const QRect& R);
    // Puts the whole frame into the monitor picture.
    void PutFrame();
    // Runs one step of the preview; a store error stops the preview and is reported once.
    template <typename TStep> bool Guarded(TStep Step);

    TScreenSaverDataModule* FStore = nullptr;
    std::unique_ptr<TPaintMachine> FPaintMachine;
    QImage FMonitorPicture;
};
