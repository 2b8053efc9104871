#pragma once

#include <QByteArray>
#include <QString>

// Where the bytes of an export go.
//
// A regular file (or a new name) is written beside its final place and renamed over it only when
// complete, keeping the old file's permissions; a link is followed to the file it names. A pipe or
// a character device (a terminal, /dev/null) is written into as a stream and never replaced; a
// pipe that no program reads from is refused at once instead of waiting. Anything else (a folder,
// a socket, a block device) is refused. A data file open in this program is never a target,
// whatever name or link leads to it: targets are compared with it, and with its -wal, -shm and
// -journal files, by device and inode. Errors are thrown as EVexloDatabaseError naming the file and the reason the
// system gave ("No space left on device").
namespace TExportTarget {

void Write(const QString& Path, const QByteArray& Bytes);

} // namespace TExportTarget
