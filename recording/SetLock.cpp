#include "recording/SetLock.h"

#include "recording/FileIdentity.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnilog {

SetLock::~SetLock() {
    unlock();
}

SetLock::SetLock(SetLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), next_(std::exchange(other.next_, -1)) {}

SetLock& SetLock::operator=(SetLock&& other) noexcept {
    if (this != &other) {
        unlock();
        fd_ = std::exchange(other.fd_, -1);
        next_ = std::exchange(other.next_, -1);
    }
    return *this;
}

#ifdef Q_OS_UNIX

SetLock::Result SetLock::lock(const QString& headerPath, int waitMs, QString& error) {
    unlock();
    const QByteArray path = nativeFileName(headerPath);
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        // O_NOFOLLOW: a planted link must not lend its lock to another file.
        // O_NONBLOCK: a pipe planted under the name must not hold the opener.
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = qt_error_string(errno);
            return Result::Failed;
        }
        struct stat kind {};
        if (::fstat(fd, &kind) != 0 || !S_ISREG(kind.st_mode)) {
            ::close(fd);
            error = qt_error_string(EINVAL);
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat locked {
            }, current{};
            // The header replaced while we waited: the lock belongs to the old file, so try again.
            if (::fstat(fd, &locked) == 0 && ::stat(path.constData(), &current) == 0 &&
                locked.st_dev == current.st_dev && locked.st_ino == current.st_ino) {
                fd_ = fd;
                return Result::Locked;
            }
            ::close(fd);
            if (::access(path.constData(), F_OK) != 0) {
                error = qt_error_string(ENOENT);
                return Result::Failed;
            }
            continue;
        }
        const int reason = errno;
        ::close(fd);
        if (reason != EWOULDBLOCK && reason != EINTR) {
            error = qt_error_string(reason);
            return Result::Failed;
        }
        if (deadline.hasExpired())
            return Result::Busy;
        QThread::msleep(20);
    }
}

void SetLock::unlock() {
    for (int* fd : {&next_, &fd_}) {
        if (*fd >= 0)
            ::close(*fd); // closing the last descriptor releases the flock
        *fd = -1;
    }
}

bool SetLock::lockReplacement(int fd) {
    if (fd_ < 0 || fd < 0)
        return false;
    // A descriptor of our own: the lock outlives the writer's, until unlock.
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0 || ::flock(own, LOCK_EX | LOCK_NB) != 0) {
        if (own >= 0)
            ::close(own);
        return false;
    }
    if (next_ >= 0) {
        ::close(fd_);
        fd_ = next_;
    }
    next_ = own;
    return true;
}

#else // Other systems: one writer is not enforced.

SetLock::Result SetLock::lock(const QString& headerPath, int, QString& error) {
    if (!QFile::exists(headerPath)) {
        error = QStringLiteral("No such file");
        return Result::Failed;
    }
    fd_ = 0;
    return Result::Locked;
}

void SetLock::unlock() {
    fd_ = -1;
}

bool SetLock::lockReplacement(int) {
    return fd_ >= 0;
}

#endif

bool lockSet(SetLock& lock, const QString& rosPath, CoreError& error) {
    QString reason;
    switch (lock.lock(rosPath, kSetLockWaitMs, reason)) {
    case SetLock::Result::Locked:
        return true;
    case SetLock::Result::Busy:
        error = CoreError::of(CoreErrorKind::SetBusy);
        return false;
    case SetLock::Result::Failed:
        break;
    }
    error = CoreError::worded(reason);
    return false;
}

} // namespace varnilog
