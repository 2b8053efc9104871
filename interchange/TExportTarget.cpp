#include "interchange/TExportTarget.h"

#include "store/EVexloDatabaseError.h"
#include "store/TVexloConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TExportTarget {

namespace {

QString Reason(int Error)
{
    return QString::fromLocal8Bit(std::strerror(Error));
}

[[noreturn]] void CannotWrite(const QString& Path, int Error)
{
    throw EVexloDatabaseError(
        QCoreApplication::translate("TExportTarget", "The file %1 cannot be written: %2.")
            .arg(Path, Reason(Error)));
}

// Refuses Target when it is a data file open in this program, or one of the files SQLite keeps
// beside it.
void RefuseDataFile(const QString& Path, const struct stat& Target)
{
    const QString Own = TVexloConnection::OpenStoreFileOf(Target);
    if (!Own.isEmpty())
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TExportTarget", "%1 is the open data file %2 under another name: writing there "
                                 "would destroy the dictionary. Choose another file.")
                .arg(Path, Own));
}

// Writes all of Bytes to Fd; returns 0 or the error number.
int WriteAll(int Fd, const QByteArray& Bytes)
{
    const char* P = Bytes.constData();
    qsizetype Left = Bytes.size();
    while (Left > 0) {
        const ssize_t Done =
            ::write(Fd, P, static_cast<size_t>(std::min<qsizetype>(Left, 1 << 20)));
        if (Done < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        P += Done;
        Left -= Done;
    }
    return 0;
}

// A pipe or a character device: written into, never replaced. A reader that goes away gives
// EPIPE instead of ending the program.
void WriteStream(const QString& Path, const QByteArray& Bytes)
{
    const int Fd =
        ::open(QFile::encodeName(Path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) {
        if (errno == ENXIO)
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TExportTarget",
                    "%1 is a pipe that no program reads from; nothing was written.")
                    .arg(Path));
        CannotWrite(Path, errno);
    }
    struct stat Opened;
    if (::fstat(Fd, &Opened) != 0 || !(S_ISFIFO(Opened.st_mode) || S_ISCHR(Opened.st_mode))) {
        ::close(Fd);
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TExportTarget", "The file %1 changed while it was opened; nothing was written.")
                .arg(Path));
    }
    try {
        RefuseDataFile(Path, Opened);
    } catch (...) {
        ::close(Fd);
        throw;
    }
    ::fcntl(Fd, F_SETFL, ::fcntl(Fd, F_GETFL) & ~O_NONBLOCK);

    sigset_t Pipe;
    sigset_t Old;
    sigemptyset(&Pipe);
    sigaddset(&Pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &Pipe, &Old);
    sigset_t PendingBefore;
    sigpending(&PendingBefore);
    int Error = WriteAll(Fd, Bytes);
    if (Error == EPIPE && !sigismember(&PendingBefore, SIGPIPE)) {
        const timespec Now{0, 0};
        sigtimedwait(&Pipe, nullptr, &Now); // the SIGPIPE that write raised
    }
    pthread_sigmask(SIG_SETMASK, &Old, nullptr);
    if (::close(Fd) != 0 && Error == 0)
        Error = errno;
    if (Error == EPIPE)
        throw EVexloDatabaseError(
            QCoreApplication::translate(
                "TExportTarget",
                "The program reading from %1 stopped before the export was complete.")
                .arg(Path));
    if (Error != 0)
        CannotWrite(Path, Error);
}

// A regular file: a new file beside Final, renamed over it when complete.
void WriteReplacing(const QString& Path, const QString& Final, const QByteArray& Bytes,
                    const struct stat* Old)
{
    QByteArray Temporary;
    int Fd = -1;
    for (int Try = 0; Fd < 0 && Try < 100; ++Try) {
        Temporary = QFile::encodeName(Final) + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        Fd = ::open(Temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd < 0 && errno != EEXIST)
            CannotWrite(Path, errno);
    }
    if (Fd < 0)
        CannotWrite(Path, EEXIST);
    int Error = WriteAll(Fd, Bytes);
    if (Error == 0 && Old && ::fchmod(Fd, Old->st_mode & 07777) != 0)
        Error = errno;
    if (Error == 0 && ::fdatasync(Fd) != 0)
        Error = errno;
    if (::close(Fd) != 0 && Error == 0)
        Error = errno;
    if (Error == 0 && ::rename(Temporary.constData(), QFile::encodeName(Final).constData()) != 0)
        Error = errno;
    if (Error != 0) {
        ::unlink(Temporary.constData());
        CannotWrite(Path, Error);
    }
}

} // namespace

void Write(const QString& Path, const QByteArray& Bytes)
{
    struct stat Target;
    const bool Exists = ::stat(QFile::encodeName(Path).constData(), &Target) == 0; // follows links
    if (Exists) {
        RefuseDataFile(Path, Target);
        if (S_ISFIFO(Target.st_mode) || S_ISCHR(Target.st_mode)) {
            WriteStream(Path, Bytes);
            return;
        }
        if (!S_ISREG(Target.st_mode))
            throw EVexloDatabaseError(
                QCoreApplication::translate(
                    "TExportTarget",
                    "%1 is not a regular file (a folder, a socket or a block device); "
                    "choose another file.")
                    .arg(Path));
    }
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo Info(Path);
    QString Final = Path;
    if (Info.isSymLink())
        Final = Exists ? Info.canonicalFilePath() : Info.symLinkTarget();
    // A file its owner made read-only is not replaced behind their back.
    if (Exists && ::access(QFile::encodeName(Final).constData(), W_OK) != 0)
        CannotWrite(Path, errno);
    WriteReplacing(Path, Final, Bytes, Exists ? &Target : nullptr);
}

} // namespace TExportTarget
