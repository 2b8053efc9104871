#include "preview/TPaintMachine.h"

#include "platform/TickClock.h"
#include "preview/PictureFiles.h"
#include "store/TScreenSaverDataModule.h"
#include "store/TVexloWideStrings.h"

#include <QCoreApplication>
#include <QLocale>

#include <exception>
#include <new>

using namespace VexloGraphics;

std::function<QDateTime()> TPaintMachine::ClockSource;

namespace {

// The file-name part of a path written with either kind of separator.
QString FileNamePart(const QString& Path)
{
    const qsizetype Slash =
        std::max(Path.lastIndexOf(QLatin1Char('/')), Path.lastIndexOf(QLatin1Char('\\')));
    return Path.mid(Slash + 1);
}

} // namespace

TPaintMachine::TPaintMachine(int AWidth, int AHeight, TScreenSaverDataModule* AStore)
    : Width(std::max(AWidth, 0)), Height(std::max(AHeight, 0)), Store(AStore)
{
    if (Store)
        Store->SeedRandom(uint32_t(QDateTime::currentMSecsSinceEpoch()));
    Settings = std::make_unique<TRegInfo>();
    Settings->Load();
    CreateFonts();
    FrameBitmap = std::make_unique<TBitmap>(Width, Height, QImage::Format_RGB32);
    CreateBackground();
    // Scale the screen-size background down to the frame.
    auto Scaled = std::make_unique<TBitmap>(Width, Height, QImage::Format_RGB32);
    Scaled->StretchDraw(QRect(0, 0, Width, Height), *Background);
    Background = std::move(Scaled);
    EnglishFont.Size = 12;
    BulgarianFont.Size = 8;
    TranscriptionFont.Size = 8;
    ShadowOffset = 1;
    StampCaption();
    WordTick = ClockTick = TickClock::GetTickCount();
    FadeStep = -1;
}

TPaintMachine::~TPaintMachine() = default;

bool TPaintMachine::StoreConnected() const
{
    return Store && Store->ADOConnection && Store->ADOConnection->Connected();
}

void TPaintMachine::CreateFonts()
{
    EnglishFont =
        TFont{QStringLiteral("Arial"), Settings->EnglishSize, TColor(Settings->EnglishColor)};
    TranscriptionFont = TFont{QStringLiteral("Lucida Sans Unicode"), Settings->TranscriptionSize,
                              TColor(Settings->TranscriptionColor)};
    BulgarianFont =
        TFont{QStringLiteral("Arial"), Settings->BulgarianSize, TColor(Settings->BulgarianColor)};
    BulgarianFont.Charset = 204;
}

void TPaintMachine::CreateBackground()
{
    switch (Settings->Wall) {
    case 1:
        Background = CaptureDesktop();
        break;
    case 2:
        LoadBackgroundPicture();
        break;
    default:
        Background = BlackScreen();
        break;
    }
    if (!Background)
        Background = BlackScreen();
}

void TPaintMachine::LoadBackgroundPicture()
{
    TBitmapPtr Picture;
    try {
        Picture = LoadPictureFile(Settings->BackgroundFile);
    } catch (const std::bad_alloc&) {
        Messages.append(QCoreApplication::translate("TPaintMachine",
                                                    "Not enough memory for the background picture")
                            .toLocal8Bit());
    } catch (const std::exception& E) {
        Messages.append(QByteArray(E.what()));
    }
    if (Picture) {
        switch (Settings->BitmapPosition) {
        case 0:
            Background = StretchToScreen(*Picture);
            break;
        case 1:
            Background = TileToScreen(*Picture);
            break;
        case 3:
            Background = FitToScreen(*Picture);
            break;
        default:
            Background = CenterOnScreen(*Picture);
            break;
        }
    }
    if (!Background)
        Background = BlackScreen();
}

void TPaintMachine::StampCaption()
{
    const TBitmap Copy = *Background;
    DrawAuthorCaption(*Background, Copy);
}

void TPaintMachine::DrawAuthorCaption(TBitmap& Target, const TBitmap& Source)
{
    const QRect R = DrawClock();
    const int ClockRight = R.x() + R.width();
    Target.Font = BulgarianFont;
    Target.Font.Size = 21;
    Target.Font.Bold = true;
    Target.BrushClear = true;
    int X = 0, Y = 0;
    do {
        --Target.Font.Size;
        const QSize Extent = Target.TextExtent(QString::fromLocal8Bit(AuthorCaption));
        X = Target.Width() - Extent.width() - 1;
        Y = Target.Height() - Extent.height() - 1;
    } while (X < ClockRight && Target.Font.Size > MinCaptionSize);
    if (Settings->ShowAuthorName)
        ShadowText(Target, Source, X + 2, Y + 2, AuthorCaption);
    Target.Font.Color = clLime;
    if (Settings->ShowAuthorName)
        AlphaText(Target, Source, X, Y, AuthorCaption);
}

namespace {

// The locale's long time format without the time-zone name Qt's long format carries: the clock
// shows hours, minutes and seconds only. Quoted literals are kept as they are.
QString LongTimeWithoutZone(const QLocale& Locale)
{
    const QString Format = Locale.timeFormat(QLocale::LongFormat);
    QString Result;
    bool Quoted = false;
    for (const QChar Ch : Format) {
        if (Ch == QLatin1Char('\''))
            Quoted = !Quoted;
        if (!Quoted && Ch == QLatin1Char('t'))
            continue;
        Result += Ch;
    }
    return Result.simplified();
}

} // namespace

QByteArray TPaintMachine::ClockText()
{
    const QDateTime Now = ClockSource ? ClockSource() : QDateTime::currentDateTime();
    const QLocale Locale = QLocale::system();
    QString Text = Locale.toString(Now.date(), QLocale::ShortFormat);
    if (Now.time() != QTime(0, 0))
        Text += QLatin1Char(' ') + Locale.toString(Now.time(), LongTimeWithoutZone(Locale));
    Text += QLatin1Char(' ');
    return Text.toLocal8Bit();
}

QRect TPaintMachine::DrawClock()
{
    TBitmap& Frame = *FrameBitmap;
    Frame.Font = BulgarianFont;
    Frame.Font.Color = clBlack;
    Frame.Font.Bold = true;
    Frame.Font.Size = 4;
    Frame.BrushClear = true;
    const QByteArray T = ClockText();
    const QString Text = QString::fromLocal8Bit(T);
    const int M = 1;
    const QSize Extent = Frame.TextExtent(Text);
    const int Y = Frame.Height() - Extent.height() - M;
    const QRect R(M, Y, Extent.width(), Extent.height());
    Frame.CopyRect(R, *Background, R);
    if (Settings->Shadow == 1)
        Frame.TextOut(M + 2, Y + 2, Text);
    else if (Settings->Shadow == 2)
        ShadowText(Frame, *Background, M + 2, Y + 2, T);
    Frame.Font.Color = clYellow;
    if (Settings->AlphaColors)
        AlphaText(Frame, *Background, M, Y, T);
    else
        Frame.TextOut(M, Y, Text);
    return R;
}

void TPaintMachine::DrawWordLine(int X, int Y, const QString& Text)
{
    TBitmap& Frame = *FrameBitmap;
    if (Settings->Shadow == 1) {
        const TColor Saved = Frame.Font.Color;
        Frame.Font.Color = clBlack;
        Frame.TextOut(X + ShadowOffset, Y + ShadowOffset, Text);
        Frame.Font.Color = Saved;
    } else if (Settings->Shadow == 2) {
        ShadowTextW(Frame, *Background, X + ShadowOffset, Y + ShadowOffset, Text);
    }
    if (Settings->AlphaColors)
        AlphaTextW(Frame, *Background, X, Y, Text);
    else
        Frame.TextOut(X, Y, Text);
}

void TPaintMachine::DrawFadingLine(int X, int Y, const QString& Text, uint16_t OldWeight,
                                   uint16_t ColourWeight)
{
    TBitmap& Frame = *FrameBitmap;
    if (Settings->Shadow == 1 || Settings->Shadow == 2) {
        const TColor Saved = Frame.Font.Color;
        Frame.Font.Color = clBlack;
        if (Settings->Shadow == 1)
            Frame.TextOut(X + ShadowOffset, Y + ShadowOffset, Text);
        else
            BlendTextW(Frame, *Background, X + ShadowOffset, Y + ShadowOffset, Text, OldWeight, 1);
        Frame.Font.Color = Saved;
    }
    if (Settings->AlphaColors)
        BlendTextW(Frame, *Background, X, Y, Text, OldWeight, ColourWeight);
    else
        Frame.TextOut(X, Y, Text);
}

void TPaintMachine::DrawMessageShadow(int X, int Y, const QByteArray& Text)
{
    if (Settings->Wall == 0 || Text.isEmpty())
        return;
    TBitmap& Frame = *FrameBitmap;
    if (Settings->Shadow == 1) {
        const TColor Saved = Frame.Font.Color;
        Frame.Font.Color = clBlack;
        Frame.TextOut(X, Y, QString::fromLocal8Bit(Text));
        Frame.Font.Color = Saved;
    } else if (Settings->Shadow == 2) {
        ShadowText(Frame, *Background, X, Y, Text);
    }
}

void TPaintMachine::DrawMessages()
{
    TBitmap& Frame = *FrameBitmap;
    Frame.Font = EnglishFont;
    const int RowHeight = Frame.Height() / int(Messages.size() + 1);
    for (int I = 0; I < Messages.size(); ++I) {
        const QByteArray& Message = Messages[I];
        const int X = CenteredLeft(Frame, Message);
        const int Y = (I + 1) * RowHeight;
        DrawMessageShadow(X + 2, Y + 2, Message);
        Frame.Font.Color = clRed;
        AlphaText(Frame, *Background, X, Y, Message);
    }
}

QRect TPaintMachine::DrawBulgarianLines(int Step, bool InFrame)
{
    TBitmap& Frame = *FrameBitmap;
    QRect Changed;
    Frame.Font = BulgarianFont;
    const int LineHeight = Frame.TextHeight(QStringLiteral("|"));
    const int Top = 20 + LineHeight;
    TVexloWideStrings Lines;
    Lines.SetText(Entry.BulgarianText);
    if (Entry.BulgarianText.isEmpty())
        return Changed;
    for (int I = 0; I < Lines.Count(); ++I) {
        const QString Line = Lines.Get(I);
        if (Line.isEmpty())
            continue;
        const int X = CenteredLeftW(Frame, Line);
        const int Y = Top + (I + 1) * LineHeight;
        if (Y + LineHeight > Frame.Height())
            continue;
        if (InFrame) {
            // A new word: lines appear at once, start faint, or wait for the last step.
            if (Settings->BGDelay == 0)
                DrawWordLine(X, Y, Line);
            else if (Settings->AlphaColors)
                DrawFadingLine(X, Y, Line, FadeOldWeight[0], FadeColourWeight[0]);
            FadeStep = 0;
        } else {
            if (Step == 14 && !Settings->AlphaColors)
                DrawWordLine(X, Y, Line);
            else
                DrawFadingLine(X, Y, Line, FadeOldWeight[Step], FadeColourWeight[Step]);
            Changed |= QRect(QPoint(X, Y), QPoint(Frame.Width() - X - 1, Y + LineHeight - 1));
        }
    }
    return Changed;
}

void TPaintMachine::NextFrame()
{
    TBitmap& Frame = *FrameBitmap;
    Frame.Font = EnglishFont;
    Frame.Draw(0, 0, *Background);
    Frame.BrushClear = true;
    if (!Messages.isEmpty()) {
        DrawMessages();
    } else if (!StoreConnected()) {
        Frame.Font.Bold = true;
        Frame.Font.Size = 6;
        const QByteArray T1 =
            QCoreApplication::translate("TPaintMachine", "Have a Problem with - %1!")
                .arg(FileNamePart(Settings->DataFile))
                .toLocal8Bit();
        int X = CenteredLeft(Frame, T1);
        const int Y = (Frame.Height() - 2 * Frame.TextHeight(QString::fromLocal8Bit(T1))) / 2;
        Frame.Font.Color = clRed;
        DrawMessageShadow(X + ShadowOffset, Y + ShadowOffset, T1);
        Frame.TextOut(X, Y, QString::fromLocal8Bit(T1));
        const QByteArray T2 =
            QCoreApplication::translate(
                "TPaintMachine", "Please Select Correct DataBase File in ScreenSaver Settings... !")
                .toLocal8Bit();
        X = CenteredLeft(Frame, T2);
        const int Y2 = Y + 10 + Frame.TextHeight(QString::fromLocal8Bit(T2));
        DrawMessageShadow(X + ShadowOffset, Y2 + ShadowOffset, T2);
        Frame.TextOut(X, Y2, QString::fromLocal8Bit(T2));
    } else if (Store->GetEntryCount() < 1) {
        Frame.Font.Bold = true;
        Frame.Font.Size = 12;
        const QByteArray T =
            QCoreApplication::translate("TPaintMachine", "There are no records in the Database")
                .toLocal8Bit();
        const int X = CenteredLeft(Frame, T);
        const int Y = (Frame.Height() - 2 * Frame.TextHeight(QString::fromLocal8Bit(T))) / 2;
        Frame.Font.Color = clRed;
        DrawMessageShadow(X + ShadowOffset, Y + ShadowOffset, T);
        Frame.TextOut(X, Y, QString::fromLocal8Bit(T));
    } else {
        Entry = TEnBgRecord();
        Store->ReadRandomEntry(Entry);
        Frame.Font = EnglishFont;
        int X = CenteredLeftW(Frame, Entry.EnglishWord);
        DrawWordLine(X, 1, Entry.EnglishWord);
        const QString S = QLatin1Char('[') + Entry.Transcription + QLatin1Char(']');
        Frame.Font = TranscriptionFont;
        X = CenteredLeftW(Frame, S);
        DrawWordLine(X, 20, S);
        DrawBulgarianLines(0, true);
    }
    if (Settings->ShowTime)
        DrawClock();
}

QRect TPaintMachine::DrawFadeStep(int Step)
{
    if (Step < 0 || Step > 14)
        return QRect();
    if (!Messages.isEmpty() || !StoreConnected() || (Step != 14 && !Settings->AlphaColors) ||
        Store->GetEntryCount() <= 0)
        return QRect();
    return DrawBulgarianLines(Step, false);
}
