#pragma once

#include "reports/TPageLayout.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// The long reads of a page's text that the view runs for the reader, a find and a copy, in slices
// of a few milliseconds on the event loop, so that the window never stops answering, even on a
// page of a million blocks.
class TPageTextJobs : public QObject
{
    Q_OBJECT

public:
    explicit TPageTextJobs(TPageLayout& Layout, QObject* Parent = nullptr);

    // Looks for Text (ignoring case) after From, or before it when Backward, in the whole page,
    // wrapping round at its ends: first in From's block, then block by block. Found or NotFound
    // tells the result (at once when the text is in From's block, is empty or the page is).
    void Find(const QString& Text, bool Backward, const TPagePlace& From);
    bool Searching() const { return FFindTimer.isActive(); }
    // Stops a find without a word.
    void CancelFind();

    // Puts the text between two places on the clipboard. A long one is read in slices, between
    // CopyStarted and CopyFinished.
    void Copy(const TPagePlace& From, const TPagePlace& To);
    bool Copying() const { return FCopyTimer.isActive(); }
    // Reads the rest of a running copy at once (before the page it reads changes).
    void FinishCopy();

    // Ends what runs: a find with NotFound, a copy with CopyFinished and the clipboard as it was.
    void Stop();

signals:
    // The first hit; a text across a table's cells is found as its whole block.
    void Found(const TPagePlace& From, const TPagePlace& To);
    void NotFound();
    void CopyStarted();
    void CopyFinished();

private:
    void FindSlice();
    // Reads on for Budget milliseconds (a negative one: to the end).
    void CopySlice(qint64 Budget);

    TPageLayout& FLayout;

    QString FFindText;
    bool FFindBackward = false;
    qsizetype FFindBlock = 0;
    qsizetype FFindStart = 0;
    bool FFindWrapped = false;
    QTimer FFindTimer;

    TPagePlace FCopyFrom;
    TPagePlace FCopyTo;
    qsizetype FCopyNext = 0;
    QStringList FCopyParts;
    QTimer FCopyTimer;
};
