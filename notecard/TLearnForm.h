#pragma once

#include "notecard/TNoteSettings.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QTimer;
class QVariantAnimation;

namespace Ui {
class TLearnForm;
}

// The learning note: a small frameless window that stays on top of the others without ever
// taking the keyboard focus. It shows one entry in the colours of the settings, in a corner of
// the screen, optionally sliding in and out along one axis; a transparent note drops its
// background after the delay and leaves only its texts on the screen. It closes itself when its
// time is up, or at once when its cross is clicked, and deletes itself when closed.
class TLearnForm : public QWidget
{
    Q_OBJECT
    // Read by tests and tools through the meta-object; the class itself is not exported.
    Q_PROPERTY(QRect CloseRect READ CloseRect)
    Q_PROPERTY(QRect TargetRect READ TargetRect)
    Q_PROPERTY(QRect EnglishRect READ EnglishRect)
    Q_PROPERTY(QString EnglishText READ EnglishText)
    Q_PROPERTY(QStringList BulgarianLines READ BulgarianLines)
    Q_PROPERTY(QString TranscriptionText READ TranscriptionText)
    Q_PROPERTY(int WordLevel READ WordLevel)
    Q_PROPERTY(bool Showing READ IsShowing)
    Q_PROPERTY(bool BackgroundDropped READ IsBackgroundDropped)
    Q_PROPERTY(int NotePosition READ NotePosition)
    Q_PROPERTY(int Axis READ Axis)
    Q_PROPERTY(bool Animate READ Animate)
    Q_PROPERTY(bool Transparent READ Transparent)
    Q_PROPERTY(int DurationInterval READ DurationInterval)
    Q_PROPERTY(int DelayInterval READ DelayInterval)
    Q_PROPERTY(QColor NoteColor READ NoteColor)
    Q_PROPERTY(QColor EnColor READ EnColor)
    Q_PROPERTY(QColor TrColor READ TrColor)
    Q_PROPERTY(QColor BgColor READ BgColor)
    // Tests drive the note's clock: how long the note has been showing, in milliseconds, instead
    // of what its own clock says (-1, the default: its own clock).
    Q_PROPERTY(qint64 ShownForMs MEMBER FShownForMs)
    // A note that reviews (TLearnFormReview.cpp): the answer side shows after the delay, then
    // Knew and Forgot grade the word.
    Q_PROPERTY(bool ReviewMode READ ReviewMode)
    Q_PROPERTY(bool Revealed READ Revealed)
    Q_PROPERTY(QRect KnewRect READ KnewRect)
    Q_PROPERTY(QRect ForgotRect READ ForgotRect)

public:
    TLearnForm(const TNoteSettings& Settings, const QString& English, const QString& Bulgarian,
               const QString& Transcription, int Level);
    ~TLearnForm() override;

    // Places the note in its corner and shows it without activating it.
    void ShowNote();
    // What the note does on each tick of its half-second timer (drop the background after the
    // delay, close after the duration); tests call it after moving the clock on.
    Q_INVOKABLE void Tick() { CloseTimerTimer(); }
    // True from ShowNote until the note is hidden (sliding out still counts).
    bool IsShowing() const { return FShowing; }

    QRect CloseRect() const;
    QRect TargetRect() const { return FTargetRect; }
    QString EnglishText() const { return FEnglish; }
    QStringList BulgarianLines() const { return FBulgarianLines; }
    QString TranscriptionText() const { return FTranscription; }
    int WordLevel() const { return FLevel; }
    bool IsBackgroundDropped() const { return FBackgroundDropped; }
    int NotePosition() const { return FSettings.NotePosition; }
    int Axis() const { return FSettings.Axis; }
    bool Animate() const { return FSettings.Animate; }
    bool Transparent() const { return FSettings.Transparent; }
    int DurationInterval() const { return FSettings.DurationInterval; }
    int DelayInterval() const { return FSettings.DelayInterval; }
    QColor NoteColor() const { return ToQColor(FSettings.NoteColor); }
    QColor EnColor() const { return ToQColor(FSettings.EnColor); }
    QColor TrColor() const { return ToQColor(FSettings.TrColor); }
    QColor BgColor() const { return ToQColor(FSettings.BgColor); }

    // The note's size and the inset of its card.
    static constexpr int NoteWidth = 242;
    static constexpr int NoteHeight = 123;
    static constexpr int CardInset = 4;

    // A colour value 0x00BBGGRR as a Qt colour.
    static QColor ToQColor(uint32_t Color);

    // Called with the English word when it is clicked (SetNoteWordClick); null: the word is text.
    static inline void (*WordClick)(const char16_t* English) = nullptr;
    // Where the English word is drawn, as wide as its text.
    QRect EnglishRect() const;

    // Makes the note one that reviews: it asks by the English word (or by the Bulgarian text when
    // EnglishFirst is false), shows the rest after the delay, and then calls OnGrade(Context, 3)
    // for Knew or (Context, 1) for Forgot and closes; closed unanswered, it calls (Context, 0).
    void SetReview(bool EnglishFirst, void (*OnGrade)(void*, int32_t), void* Context);
    bool ReviewMode() const { return FOnGrade != nullptr; }
    bool Revealed() const { return !ReviewMode() || FRevealed; }
    QRect KnewRect() const;
    QRect ForgotRect() const;

    QTimer* CloseTimer = nullptr;
    // Two 16 x 16 glyphs of the close cross: 0 at rest, 1 under the mouse.
    QList<QPixmap> ImageList;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void FormCreate();
    void FormDestroy();
    void FormClose();
    void FormPaint();
    void FormMouseDown(const QPoint& Pos);
    void FormMouseMove(const QPoint& Pos);
    void CloseTimerTimer();
    void PaintReviewButtons(class QPainter& Painter, bool ForMask) const;
    bool ReviewClick(const QPoint& Pos);
    void Graded(int32_t Grade);

    void BuildImageList();
    void PlaceNote();
    void StartSlide(bool In);
    void SlideStep(double Progress);
    QPoint SlideOffset() const;
    void UpdateMask();
    QRegion TextRegion() const;
    void PaintContent(class QPainter& Painter, bool ForMask) const;

    std::unique_ptr<Ui::TLearnForm> ui;
    TNoteSettings FSettings;
    QString FEnglish;
    QStringList FBulgarianLines;
    QString FTranscription;
    int FLevel = 0;
    QRect FTargetRect;
    bool FShowing = false;
    bool FClosing = false;
    bool FBackgroundDropped = false;
    bool FCrossHot = false;
    double FProgress = 1.0; // 0 hidden behind the screen edge, 1 fully in
    qint64 FShownAt = 0;
    qint64 FShownForMs = -1;
    QVariantAnimation* FSlide = nullptr;
    void (*FOnGrade)(void*, int32_t) = nullptr;
    void* FGradeContext = nullptr;
    bool FEnglishFirst = true;
    bool FRevealed = false;
    bool FGraded = false;
};
