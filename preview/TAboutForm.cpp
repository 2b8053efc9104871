#include "preview/TAboutForm.h"

#include "VexloVersion.h"
#include "platform/TickClock.h"
#include "preview/TPaintMachine.h"
#include "preview/VexloGraphics.h"
#include "ui_TAboutForm.h"
#include "widgets/TMessageBox.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <exception>

namespace {

// Our logo: a blue rounded square with a white V.
QPixmap MakeLogo()
{
    QImage Logo(32, 32, QImage::Format_ARGB32_Premultiplied);
    Logo.fill(Qt::transparent);
    QPainter P(&Logo);
    P.setRenderHint(QPainter::Antialiasing);
    QLinearGradient Fill(0, 0, 0, 32);
    Fill.setColorAt(0, QColor(70, 130, 220));
    Fill.setColorAt(1, QColor(20, 60, 150));
    P.setBrush(Fill);
    P.setPen(QPen(QColor(10, 30, 90), 1));
    P.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    QPainterPath V;
    V.moveTo(8, 8);
    V.lineTo(16, 25);
    V.lineTo(24, 8);
    P.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    P.setBrush(Qt::NoBrush);
    P.drawPath(V);
    return QPixmap::fromImage(Logo);
}

} // namespace

QImage TAboutForm::MakeMonitorPicture()
{
    QImage Picture(MonitorSize, MonitorSize, QImage::Format_RGB32);
    Picture.fill(QColor(255, 0, 255));
    QPainter P(&Picture);
    // Stand: a neck and a foot.
    P.setPen(QColor(40, 40, 40));
    QLinearGradient Neck(88, 0, 112, 0);
    Neck.setColorAt(0, QColor(90, 90, 95));
    Neck.setColorAt(0.5, QColor(160, 160, 168));
    Neck.setColorAt(1, QColor(90, 90, 95));
    P.setBrush(Neck);
    P.drawRect(88, 154, 24, 26);
    QLinearGradient Foot(0, 180, 0, 194);
    Foot.setColorAt(0, QColor(150, 150, 158));
    Foot.setColorAt(1, QColor(70, 70, 76));
    P.setBrush(Foot);
    P.drawRoundedRect(QRect(48, 180, 104, 14), 5, 5);
    // Bezel around the screen.
    QLinearGradient Bezel(0, 2, 0, 156);
    Bezel.setColorAt(0, QColor(110, 110, 118));
    Bezel.setColorAt(1, QColor(45, 45, 50));
    P.setBrush(Bezel);
    P.drawRoundedRect(QRect(6, 2, 187, 153), 6, 6);
    P.setPen(QColor(20, 20, 22));
    P.setBrush(QColor(25, 25, 28));
    P.drawRect(ScreenLeft - 2, ScreenTop - 2, ScreenWidth + 3, ScreenHeight + 3);
    // Power light.
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(60, 220, 90));
    P.drawEllipse(QPoint(180, 150), 2, 2);
    // The screen itself: exactly 168 x 132 black pixels at (16, 12).
    P.fillRect(QRect(ScreenLeft, ScreenTop, ScreenWidth, ScreenHeight), Qt::black);
    P.end();
    Picture.convertTo(QImage::Format_BGR888);
    return Picture;
}

TAboutForm::TAboutForm(TScreenSaverDataModule* Store, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(new Ui::TAboutForm), TimeTimer(new QTimer(this))
{
    FStore = Store;
    ui->setupUi(this);
    ui->SaverLabel->setText(tr("Vexlo Vocabulary Version %1").arg(QStringLiteral(VEXLO_VERSION)));
    // The sizes as the dialog was designed: fonts in pixels, not points.
    QFont Base = font();
    Base.setPixelSize(11);
    setFont(Base);
    QFont Saver = ui->SaverLabel->font();
    Saver.setPixelSize(13);
    Saver.setBold(true);
    ui->SaverLabel->setFont(Saver);
    // Substituted fonts can be wider than the designed one: widen the title about its centre.
    const QRect Title = ui->SaverLabel->geometry();
    const int Needed = ui->SaverLabel->sizeHint().width();
    if (Needed > Title.width())
        ui->SaverLabel->setGeometry(Title.center().x() - Needed / 2, Title.y(), Needed,
                                    Title.height());
    ui->VexloImage->setPixmap(MakeLogo());
    ui->WebLabel->installEventFilter(this);
    ui->WebLabel->setMouseTracking(true);
    connect(ui->OKBitBtn, &QPushButton::clicked, this, &QDialog::accept);
    TimeTimer->setInterval(100);
    connect(TimeTimer, &QTimer::timeout, this, &TAboutForm::TimeTimerTimer);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    FormCreate();
}

TAboutForm::~TAboutForm()
{
    TimeTimer->stop();
    FPaintMachine.reset();
    delete ui;
}

QRect TAboutForm::MonitorRect() const
{
    return ui->MonitorImage->geometry();
}

template <typename TStep> bool TAboutForm::Guarded(TStep Step)
{
    if (!PreviewError.isEmpty())
        return false;
    try {
        Step();
        return true;
    } catch (const std::exception& E) {
        PreviewError = QString::fromLocal8Bit(E.what());
    }
    // A store that fails while the box is open stops the preview; the box itself stays usable.
    TimeTimer->stop();
    TMessageBox::Error(this, windowTitle(), PreviewError);
    return false;
}

void TAboutForm::FormCreate()
{
    FPaintMachine = std::make_unique<TPaintMachine>(ScreenWidth, ScreenHeight, FStore);
    CenterMonitor();
    FPaintMachine->Settings->Load();
    QImage Picture = MakeMonitorPicture();
    if (VexloGraphics::ScreenColorDepth() < 16) {
        TBitmap Paletted(Picture);
        VexloGraphics::ApplySystemPalette(Paletted);
        Picture = Paletted.Image;
    }
    // Transparent surround: every pixel of the bottom-left pixel's colour is left out.
    const QRgb Surround = Picture.pixel(0, Picture.height() - 1);
    FMonitorPicture = Picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int Y = 0; Y < FMonitorPicture.height(); ++Y) {
        auto* Row = reinterpret_cast<QRgb*>(FMonitorPicture.scanLine(Y));
        for (int X = 0; X < FMonitorPicture.width(); ++X)
            if ((Row[X] & 0xFFFFFF) == (Surround & 0xFFFFFF))
                Row[X] = 0;
    }
    RefreshMonitor();
}

void TAboutForm::CenterMonitor()
{
    QRect R = ui->MonitorImage->geometry();
    R.moveTop(8);
    R.moveLeft((frameGeometry().width() - R.width()) / 2);
    if (R == ui->MonitorImage->geometry())
        return;
    ui->MonitorImage->setGeometry(R);
    update();
}

void TAboutForm::PutFrame()
{
    const TBitmap* Frame = FPaintMachine ? FPaintMachine->FrameBitmap.get() : nullptr;
    if (!Frame || Frame->IsEmpty())
        return;
    QPainter P(&FMonitorPicture);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.drawImage(ScreenLeft, ScreenTop, Frame->Image);
}

void TAboutForm::RefreshMonitor()
{
    if (!Guarded([this] { FPaintMachine->NextFrame(); }))
        return;
    PutFrame();
    update(MonitorRect());
}

void TAboutForm::ShowNextWord()
{
    if (!Guarded([this] { FPaintMachine->NextFrame(); }))
        return;
    PutFrame();
    update(QRect(MonitorRect().topLeft() + QPoint(ScreenLeft, ScreenTop),
                 QSize(ScreenWidth, ScreenHeight)));
}

void TAboutForm::CopyToScreen(const QRect& R)
{
    const TBitmap* Frame = FPaintMachine->FrameBitmap.get();
    if (!Frame || Frame->IsEmpty() || R.isEmpty())
        return;
    const QRect Part = R.intersected(Frame->Image.rect());
    if (Part.isEmpty())
        return;
    QPainter P(&FMonitorPicture);
    P.setCompositionMode(QPainter::CompositionMode_Source);
    P.drawImage(Part.topLeft() + QPoint(ScreenLeft, ScreenTop), Frame->Image, Part);
    P.end();
    update(Part.translated(MonitorRect().topLeft() + QPoint(ScreenLeft, ScreenTop)));
}

void TAboutForm::FormShow()
{
    RefreshMonitor();
    if (PreviewError.isEmpty())
        TimeTimer->start();
}

void TAboutForm::FormPaint(const QRect& Region)
{
    if (FMonitorPicture.isNull())
        return;
    QPainter P(this);
    P.setClipRect(Region);
    P.drawImage(MonitorRect().topLeft(), FMonitorPicture);
}

void TAboutForm::TimeTimerTimer()
{
    if (!FPaintMachine || !PreviewError.isEmpty())
        return;
    TPaintMachine& Machine = *FPaintMachine;
    const TRegInfo& Settings = *Machine.Settings;
    const uint32_t Now = TickClock::GetTickCount();
    // Clock, twice a second.
    if (Settings.ShowTime && Now - Machine.ClockTick > 500u) {
        QRect R;
        if (!Guarded([&] { R = Machine.DrawClock(); }))
            return;
        CopyToScreen(R);
        Machine.ClockTick = Now;
    }
    // A new word every Speed seconds (the product taken as an unsigned 32-bit number).
    if (Now - Machine.WordTick > uint32_t(Settings.Speed) * 1000u) {
        ShowNextWord();
        if (!PreviewError.isEmpty())
            return;
        Machine.WordTick = Now;
    }
    // Fade-in of the Bulgarian lines in 14 steps over 14/15 of BGDelay seconds.
    if (Settings.BGDelay != 0) {
        const int64_t Length = int64_t(Settings.BGDelay) * 1000 / 15;
        uint16_t Due;
        if (Length <= 0) {
            Due = 14; // a negative delay: no fade, the lines come at once
        } else {
            // Delays too long for a 16-bit step length fade at the longest step instead.
            const uint16_t L = uint16_t(std::min<int64_t>(Length, 0xFFFF));
            Due = uint16_t((Now - Machine.WordTick) / L);
        }
        if (Machine.FadeStep < Due && Machine.FadeStep < 14) {
            const int Step = std::min<int>(Due, 14);
            Machine.FadeStep = Step;
            QRect R;
            if (!Guarded([&] { R = Machine.DrawFadeStep(Step); }))
                return;
            CopyToScreen(R);
        }
    }
}

void TAboutForm::WebLabelClick()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + ui->WebLabel->text()));
}

void TAboutForm::WebLabelMouseEnter()
{
    setCursor(Qt::PointingHandCursor);
    QFont F = ui->WebLabel->font();
    F.setUnderline(true);
    ui->WebLabel->setFont(F);
}

void TAboutForm::WebLabelMouseLeave()
{
    unsetCursor();
    QFont F = ui->WebLabel->font();
    F.setUnderline(false);
    ui->WebLabel->setFont(F);
}

void TAboutForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormShow();
    // The outer width is known once the window manager has framed the box, which it has done
    // by the first expose.
    CenterMonitor();
    if (QWindow* Window = windowHandle())
        Window->installEventFilter(this);
}

void TAboutForm::paintEvent(QPaintEvent* Event)
{
    FormPaint(Event->rect());
}

bool TAboutForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == windowHandle() && Event->type() == QEvent::Expose)
        CenterMonitor();
    if (Watched == ui->WebLabel) {
        switch (Event->type()) {
        case QEvent::Enter:
            WebLabelMouseEnter();
            break;
        case QEvent::Leave:
            WebLabelMouseLeave();
            break;
        case QEvent::MouseButtonRelease:
            WebLabelClick();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}
