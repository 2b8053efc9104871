#include "notecard/TLearnForm.h"
#include "notecard/TWindowHints.h"

#include "ui_TLearnForm.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>

namespace {

constexpr int NoteWidth = TLearnForm::NoteWidth;
constexpr int NoteHeight = TLearnForm::NoteHeight;
constexpr int CardInset = TLearnForm::CardInset;
constexpr int TextLeft = 12;
constexpr int ScreenMargin = 2;
constexpr int SlideMs = 350;
constexpr int LevelCount = 10;

qint64 NowMs()
{
    static QElapsedTimer Clock;
    if (!Clock.isValid())
        Clock.start();
    return Clock.elapsed();
}

// Cuts a text at CR LF, CR or LF into lines trimmed of blanks and control characters; a break at
// the very end adds no empty last line.
QStringList SplitLines(const QString& Text)
{
    QStringList Lines;
    const int N = Text.size();
    int I = 0;
    while (I < N && Text[I] != QChar(0)) {
        const int Start = I;
        while (I < N && Text[I] != QChar(0) && Text[I] != u'\n' && Text[I] != u'\r')
            ++I;
        QString Line = Text.mid(Start, I - Start);
        int B = 0, E = Line.size();
        while (B < E && Line[B].unicode() <= 0x20)
            ++B;
        while (E > B && Line[E - 1].unicode() <= 0x20)
            --E;
        Lines.append(Line.mid(B, E - B));
        if (I < N && Text[I] == u'\r')
            ++I;
        if (I < N && Text[I] == u'\n')
            ++I;
    }
    return Lines;
}

QFont EnglishFont()
{
    QFont F(QStringLiteral("Arial"));
    F.setPixelSize(16);
    F.setBold(true);
    return F;
}

QFont TranscriptionFont()
{
    QFont F(QStringLiteral("Lucida Sans Unicode"));
    F.setPixelSize(13);
    return F;
}

QFont BulgarianFont()
{
    QFont F(QStringLiteral("Arial"));
    F.setPixelSize(13);
    return F;
}

// A text colour that nearly matches the note's colour gets a thin contrasting shadow, so the
// default white word stays readable on the default yellow note.
bool NeedsShadow(const QColor& Text, const QColor& Back)
{
    return std::abs(qGray(Text.rgb()) - qGray(Back.rgb())) < 90;
}

QColor ShadowFor(const QColor& Text)
{
    return qGray(Text.rgb()) > 128 ? QColor(0, 0, 0, 150) : QColor(255, 255, 255, 170);
}

} // namespace

TLearnForm::TLearnForm(const TNoteSettings& Settings, const QString& English,
                       const QString& Bulgarian, const QString& Transcription, int Level)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      ui(std::make_unique<Ui::TLearnForm>()), FSettings(Settings), FEnglish(English),
      FBulgarianLines(SplitLines(Bulgarian)), FTranscription(Transcription),
      FLevel(std::clamp(Level, 0, LevelCount - 1))
{
    ui->setupUi(this);
    FormCreate();
}

TLearnForm::~TLearnForm()
{
    FormDestroy();
}

void TLearnForm::FormCreate()
{
    setObjectName(QStringLiteral("LearnForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setFixedSize(NoteWidth, NoteHeight);
    // A note is no window to switch to: no taskbar button, not in the pager.
    SkipTaskbarAndPager(this);
    QFont Font(QStringLiteral("MS Sans Serif"));
    Font.setPixelSize(11);
    setFont(Font);

    CloseTimer = new QTimer(this);
    CloseTimer->setObjectName(QStringLiteral("CloseTimer"));
    CloseTimer->setInterval(500);
    connect(CloseTimer, &QTimer::timeout, this, &TLearnForm::CloseTimerTimer);

    BuildImageList();
}

void TLearnForm::FormDestroy()
{
    if (CloseTimer)
        CloseTimer->stop();
    if (FSlide)
        FSlide->stop();
}

void TLearnForm::BuildImageList()
{
    // Both glyphs are a red square with a white cross; the second, a shade lighter, shows the
    // cross under the mouse.
    const QColor Faces[2] = {QColor(0xC8, 0x2A, 0x2A), QColor(0xE5, 0x48, 0x48)};
    for (const QColor& Face : Faces) {
        QPixmap Glyph(16, 16);
        Glyph.fill(Qt::transparent);
        QPainter P(&Glyph);
        P.setRenderHint(QPainter::Antialiasing);
        P.setPen(QPen(Face.darker(140), 1));
        P.setBrush(Face);
        P.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2, 2);
        P.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        P.drawLine(QPointF(5, 5), QPointF(11, 11));
        P.drawLine(QPointF(11, 5), QPointF(5, 11));
        P.end();
        ImageList.append(Glyph);
    }
}

QColor TLearnForm::ToQColor(uint32_t Color)
{
    return QColor(int(Color & 0xFF), int(Color >> 8 & 0xFF), int(Color >> 16 & 0xFF));
}

QRect TLearnForm::CloseRect() const
{
    return QRect(NoteWidth - CardInset - 3 - 16, CardInset + 3, 16, 16);
}

void TLearnForm::PlaceNote()
{
    QScreen* Screen = QGuiApplication::primaryScreen();
    const QRect Area = Screen ? Screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const bool Right = FSettings.NotePosition == 1 || FSettings.NotePosition == 3;
    const bool Down = FSettings.NotePosition == 2 || FSettings.NotePosition == 3;
    const int X = Right ? Area.right() + 1 - ScreenMargin - NoteWidth : Area.left() + ScreenMargin;
    const int Y = Down ? Area.bottom() + 1 - ScreenMargin - NoteHeight : Area.top() + ScreenMargin;
    FTargetRect = QRect(X, Y, NoteWidth, NoteHeight);
    setGeometry(FTargetRect);
}

void TLearnForm::ShowNote()
{
    PlaceNote();
    FShowing = true;
    FClosing = false;
    FShownAt = NowMs();
    FProgress = FSettings.Animate ? 0.0 : 1.0;
    UpdateMask();
    show();
    CloseTimer->start();
    if (FSettings.Animate)
        StartSlide(true);
}

// The note slides in from the screen edge it sits at, along the chosen axis: the window stays in
// its corner and shows a growing part of its picture, moved in from that edge.
QPoint TLearnForm::SlideOffset() const
{
    const double Hidden = 1.0 - FProgress;
    if (FSettings.Axis == 1) {
        const bool Down = FSettings.NotePosition >= 2;
        return QPoint(0, int(Hidden * NoteHeight) * (Down ? 1 : -1));
    }
    const bool Right = FSettings.NotePosition == 1 || FSettings.NotePosition == 3;
    return QPoint(int(Hidden * NoteWidth) * (Right ? 1 : -1), 0);
}

void TLearnForm::StartSlide(bool In)
{
    if (!FSlide) {
        FSlide = new QVariantAnimation(this);
        FSlide->setDuration(SlideMs);
        connect(FSlide, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& V) { SlideStep(V.toDouble()); });
        connect(FSlide, &QVariantAnimation::finished, this, [this] {
            if (FClosing)
                close();
        });
    }
    FSlide->stop();
    FSlide->setEasingCurve(In ? QEasingCurve::OutCubic : QEasingCurve::InCubic);
    FSlide->setStartValue(FProgress);
    FSlide->setEndValue(In ? 1.0 : 0.0);
    FSlide->start();
}

void TLearnForm::SlideStep(double Progress)
{
    FProgress = Progress;
    UpdateMask();
    update();
}

void TLearnForm::UpdateMask()
{
    QRegion Visible(QRect(SlideOffset(), size()).intersected(rect()));
    if (FBackgroundDropped)
        Visible = Visible.intersected(TextRegion().translated(SlideOffset()));
    if (Visible.isEmpty())
        Visible = QRegion(0, 0, 1, 1); // an empty mask would mean no mask at all
    if (Visible == QRegion(rect()))
        clearMask();
    else
        setMask(Visible);
}

// The pixels a transparent note keeps once its background is gone: its texts, slightly widened,
// and the close cross.
QRegion TLearnForm::TextRegion() const
{
    QBitmap Bits(size());
    Bits.fill(Qt::color0);
    QPainter P(&Bits);
    PaintContent(P, true);
    P.end();
    return QRegion(Bits);
}

void TLearnForm::CloseTimerTimer()
{
    if (!FShowing || FClosing)
        return;
    const qint64 Elapsed = FShownForMs >= 0 ? FShownForMs : NowMs() - FShownAt;
    if (ReviewMode() && !FRevealed &&
        Elapsed >= qint64(std::max(FSettings.DelayInterval, 0)) * 1000) {
        FRevealed = true;
        UpdateMask();
        update();
    }
    if (FSettings.Transparent && !FBackgroundDropped &&
        Elapsed >= qint64(std::max(FSettings.DelayInterval, 0)) * 1000) {
        FBackgroundDropped = true;
        UpdateMask();
        update();
    }
    if (FSettings.DurationInterval > 0 && Elapsed >= qint64(FSettings.DurationInterval) * 1000) {
        FClosing = true;
        CloseTimer->stop();
        if (FSettings.Animate)
            StartSlide(false);
        else
            close();
    }
}

void TLearnForm::paintEvent(QPaintEvent*)
{
    FormPaint();
}

void TLearnForm::FormPaint()
{
    QPainter P(this);
    P.translate(SlideOffset());
    PaintContent(P, false);
}

void TLearnForm::PaintContent(QPainter& P, bool ForMask) const
{
    const QColor Note = ToQColor(FSettings.NoteColor);
    const QColor Ink = ForMask ? QColor(Qt::color1) : QColor();
    const QRect Card(CardInset, CardInset, NoteWidth - 2 * CardInset, NoteHeight - 2 * CardInset);

    if (!ForMask) {
        P.fillRect(rect(), palette().color(QPalette::Button));
        P.setPen(palette().color(QPalette::Dark));
        P.drawRect(rect().adjusted(0, 0, -1, -1));
        P.setPen(palette().color(QPalette::Light));
        P.drawRect(rect().adjusted(1, 1, -2, -2));
        P.setRenderHint(QPainter::Antialiasing);
        P.setPen(Note.darker(135));
        P.setBrush(Note);
        P.drawRoundedRect(QRectF(Card).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        P.setBrush(Qt::NoBrush);
        P.setRenderHint(QPainter::TextAntialiasing);
    }

    const auto DrawText = [&](const QRect& Box, const QString& Text, const QColor& Color,
                              int Flags) {
        if (ForMask) {
            for (int Dx = -1; Dx <= 1; ++Dx)
                for (int Dy = -1; Dy <= 1; ++Dy)
                    P.drawText(Box.translated(Dx, Dy), Flags, Text);
            return;
        }
        if (NeedsShadow(Color, Note)) {
            P.setPen(ShadowFor(Color));
            P.drawText(Box.translated(1, 1), Flags, Text);
        }
        P.setPen(Color);
        P.drawText(Box, Flags, Text);
    };
    if (ForMask)
        P.setPen(Ink);

    const QRect Cross = CloseRect();
    const int TextRight = Cross.left() - 4;

    // On a note that reviews, the answer side waits for the delay.
    const bool ShowEnglish = Revealed() || FEnglishFirst;
    const bool ShowBulgarian = Revealed() || !FEnglishFirst;

    // English word.
    P.setFont(EnglishFont());
    const QRect EnglishBox(TextLeft, CardInset + 3, TextRight - TextLeft, 20);
    if (ShowEnglish)
        DrawText(EnglishBox,
                 QFontMetrics(P.font()).elidedText(FEnglish, Qt::ElideRight, EnglishBox.width()),
                 ToQColor(FSettings.EnColor), Qt::AlignLeft | Qt::AlignVCenter);

    // Level as ten small pips at the right of the transcription line.
    constexpr int Pip = 5, Gap = 2;
    const int PipsWidth = LevelCount * Pip + (LevelCount - 1) * Gap;
    const int PipsLeft = NoteWidth - CardInset - 8 - PipsWidth;
    const int PipsTop = 33;
    for (int I = 0; I < LevelCount && ShowEnglish; ++I) {
        const QRect Box(PipsLeft + I * (Pip + Gap), PipsTop, Pip, Pip);
        if (ForMask) {
            P.fillRect(Box, Ink);
            continue;
        }
        const QColor Tr = ToQColor(FSettings.TrColor);
        P.setPen(Note.darker(160));
        P.setBrush(I <= FLevel ? QBrush(Tr) : QBrush(Note.lighter(115)));
        P.drawRect(QRectF(Box).adjusted(0.5, 0.5, -0.5, -0.5));
        P.setBrush(Qt::NoBrush);
    }

    // Transcription.
    P.setFont(TranscriptionFont());
    const QRect TransBox(TextLeft, CardInset + 24, PipsLeft - 6 - TextLeft, 18);
    if (!FTranscription.isEmpty() && ShowEnglish) {
        const QString Shown = QFontMetrics(P.font()).elidedText(
            QStringLiteral("[") + FTranscription + QStringLiteral("]"), Qt::ElideRight,
            TransBox.width());
        DrawText(TransBox, Shown, ToQColor(FSettings.TrColor), Qt::AlignLeft | Qt::AlignVCenter);
    }

    // A thin rule between the headword and its meaning.
    const int RuleY = CardInset + 46;
    if (!ForMask) {
        P.setRenderHint(QPainter::Antialiasing, false);
        P.setPen(Note.darker(125));
        P.drawLine(TextLeft, RuleY, NoteWidth - CardInset - 8, RuleY);
    }

    // Bulgarian lines, as many as fit; the last one shown ends in an ellipsis when more follow.
    P.setFont(BulgarianFont());
    const QFontMetrics Fm(P.font());
    const int LineHeight = Fm.height() + 1;
    const int Bottom = NoteHeight - CardInset - 3;
    const int Width = NoteWidth - CardInset - 8 - TextLeft;
    int Y = RuleY + 3;
    for (int I = 0; ShowBulgarian && I < FBulgarianLines.size() && Y + LineHeight <= Bottom; ++I) {
        QString Line = FBulgarianLines[I];
        const bool LastRoom = Y + 2 * LineHeight > Bottom;
        if (LastRoom && I + 1 < FBulgarianLines.size())
            Line += QStringLiteral(" \u2026");
        DrawText(QRect(TextLeft, Y, Width, LineHeight), Fm.elidedText(Line, Qt::ElideRight, Width),
                 ToQColor(FSettings.BgColor), Qt::AlignLeft | Qt::AlignVCenter);
        Y += LineHeight;
    }

    PaintReviewButtons(P, ForMask);

    // The close cross.
    if (ForMask)
        P.fillRect(Cross, Ink);
    else
        P.drawPixmap(Cross.topLeft(), ImageList.value(FCrossHot ? 1 : 0));
}

void TLearnForm::mousePressEvent(QMouseEvent* Event)
{
    FormMouseDown(Event->position().toPoint());
}

void TLearnForm::FormMouseDown(const QPoint& Pos)
{
    if (ReviewClick(Pos - SlideOffset()))
        return;
    if (CloseRect().translated(SlideOffset()).contains(Pos)) {
        FClosing = true;
        close();
        return;
    }
    if (WordClick && (Revealed() || FEnglishFirst) &&
        EnglishRect().translated(SlideOffset()).contains(Pos))
        WordClick(reinterpret_cast<const char16_t*>(FEnglish.utf16()));
}

QRect TLearnForm::EnglishRect() const
{
    const int Room = CloseRect().left() - 4 - TextLeft;
    const int Wide = QFontMetrics(EnglishFont()).horizontalAdvance(FEnglish);
    return QRect(TextLeft, CardInset + 3, std::min(Wide, Room), 20);
}

void TLearnForm::mouseMoveEvent(QMouseEvent* Event)
{
    FormMouseMove(Event->position().toPoint());
}

void TLearnForm::FormMouseMove(const QPoint& Pos)
{
    const bool Hot = CloseRect().translated(SlideOffset()).contains(Pos);
    const bool OnWord = WordClick && EnglishRect().translated(SlideOffset()).contains(Pos);
    if (!Hot)
        setCursor(OnWord ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (Hot == FCrossHot)
        return;
    FCrossHot = Hot;
    setCursor(Hot ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update(CloseRect().translated(SlideOffset()));
}

void TLearnForm::leaveEvent(QEvent*)
{
    if (FCrossHot) {
        FCrossHot = false;
        unsetCursor();
        update();
    }
}

void TLearnForm::closeEvent(QCloseEvent* Event)
{
    FormClose();
    Event->accept();
}

void TLearnForm::FormClose()
{
    FShowing = false;
    CloseTimer->stop();
    Graded(0);
    if (FSlide)
        FSlide->stop();
}
