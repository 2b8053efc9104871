#include "reports/TPageTextJobs.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

TPageTextJobs::TPageTextJobs(TPageLayout& Layout, QObject* Parent)
    : QObject(Parent), FLayout(Layout)
{
    FFindTimer.setInterval(0);
    connect(&FFindTimer, &QTimer::timeout, this, &TPageTextJobs::FindSlice);
    FCopyTimer.setInterval(0);
    connect(&FCopyTimer, &QTimer::timeout, this, [this] { CopySlice(10); });
}

void TPageTextJobs::Find(const QString& Text, bool Backward, const TPagePlace& From)
{
    CancelFind();
    const qsizetype N = FLayout.Count();
    if (Text.isEmpty() || N == 0) {
        emit NotFound();
        return;
    }
    FFindText = Text;
    FFindBackward = Backward;
    const qsizetype Block = From.Block;
    // First the rest of the block the search starts in.
    if (From.Position != (Backward ? 0 : INT_MAX) && Block < N) {
        QTextDocument* Doc = FLayout.Document(Block);
        const int End = Doc->characterCount() - 1;
        const QTextCursor Hit =
            Doc->find(Text, qBound(0, From.Position, End),
                      Backward ? QTextDocument::FindBackward : QTextDocument::FindFlags());
        if (!Hit.isNull()) {
            emit Found(TPagePlace{Block, Hit.selectionStart()},
                       TPagePlace{Block, Hit.selectionEnd()});
            return;
        }
    }
    FFindStart = Block;
    FFindBlock = Block;
    FFindWrapped = false;
    FindSlice();
    if (!FFindText.isEmpty())
        FFindTimer.start();
}

void TPageTextJobs::CancelFind()
{
    FFindTimer.stop();
    FFindText.clear();
}

void TPageTextJobs::FindSlice()
{
    const qsizetype N = FLayout.Count();
    QElapsedTimer Clock;
    Clock.start();
    while (Clock.elapsed() < 10) {
        for (int Step = 0; Step < 64; ++Step) {
            if (FFindWrapped && FFindBlock == FFindStart) {
                CancelFind();
                emit NotFound();
                return;
            }
            FFindBlock = FFindBackward ? (FFindBlock + N - 1) % N : (FFindBlock + 1) % N;
            if (FFindBlock == FFindStart)
                FFindWrapped = true;
            if (!FLayout.Blocks().BlockText(FFindBlock).contains(FFindText, Qt::CaseInsensitive))
                continue;
            const qsizetype B = FFindBlock;
            QTextDocument* Doc = FLayout.Document(B);
            const QTextCursor Hit =
                Doc->find(FFindText, FFindBackward ? Doc->characterCount() - 1 : 0,
                          FFindBackward ? QTextDocument::FindBackward : QTextDocument::FindFlags());
            CancelFind();
            if (Hit.isNull())
                emit Found(TPagePlace{B, 0}, TPagePlace{B, INT_MAX}); // a text across cells
            else
                emit Found(TPagePlace{B, Hit.selectionStart()}, TPagePlace{B, Hit.selectionEnd()});
            return;
        }
    }
}

void TPageTextJobs::Copy(const TPagePlace& From, const TPagePlace& To)
{
    FCopyTimer.stop();
    if (To.Block - From.Block < 2000) {
        QGuiApplication::clipboard()->setText(FLayout.Text(From, To));
        emit CopyFinished();
        return;
    }
    FCopyFrom = From;
    FCopyTo = To;
    FCopyNext = From.Block;
    FCopyParts.clear();
    emit CopyStarted();
    FCopyTimer.start();
}

void TPageTextJobs::FinishCopy()
{
    if (Copying())
        CopySlice(-1);
}

void TPageTextJobs::CopySlice(qint64 Budget)
{
    QElapsedTimer Clock;
    Clock.start();
    while (FCopyNext <= FCopyTo.Block) {
        if (Budget >= 0 && Clock.elapsed() >= Budget)
            return;
        const qsizetype Last = qMin(FCopyTo.Block, FCopyNext + 255);
        for (; FCopyNext <= Last; ++FCopyNext) {
            const TPagePlace From =
                FCopyNext == FCopyFrom.Block ? FCopyFrom : TPagePlace{FCopyNext, 0};
            const TPagePlace To =
                FCopyNext == FCopyTo.Block ? FCopyTo : TPagePlace{FCopyNext, INT_MAX};
            FCopyParts.append(FLayout.Text(From, To));
        }
    }
    FCopyTimer.stop();
    QGuiApplication::clipboard()->setText(FCopyParts.join(u'\n'));
    FCopyParts.clear();
    emit CopyFinished();
}

void TPageTextJobs::Stop()
{
    if (Searching()) {
        CancelFind();
        emit NotFound();
    }
    if (Copying()) {
        FCopyTimer.stop();
        FCopyParts.clear();
        emit CopyFinished();
    }
}
