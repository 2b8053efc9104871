#pragma once

#include <QSaveFile>
#include <QString>

// A file written whole or not at all: what is written goes to a temporary file beside the target,
// which takes the target's place only on commit(). Until then (cancelled, failed, or destroyed
// without commit) an existing file of that name is left as it was.
//
// Unlike a plain QSaveFile it never takes a short write for success: a write the disk can only
// partly take (a full disk) is carried on until it either goes through or fails, so that the
// error string names the reason ("No space left on device") and commit() refuses.
class TWholeFile : public QSaveFile
{
public:
    using QSaveFile::QSaveFile;

    // Opens for writing, unbuffered: every write reaches the disk at once, so that its failure
    // is known at once.
    bool Open() { return open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

    // commit() that keeps the reason of an earlier failed write in errorString() (commit() itself
    // would leave "Unknown error" there). False when anything failed; then nothing was replaced.
    bool Commit();

protected:
    qint64 writeData(const char* Data, qint64 Size) override;
};
