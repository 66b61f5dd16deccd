#include "recording/FileIdentity.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace varnilog {

#ifdef Q_OS_UNIX

namespace {

std::int64_t nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileIdentity fromStat(const struct stat& s) {
    FileIdentity id;
    id.device = static_cast<std::uint64_t>(s.st_dev);
    id.inode = static_cast<std::uint64_t>(s.st_ino);
    id.size = static_cast<std::int64_t>(s.st_size);
    id.modifiedNs = nanoseconds(s.st_mtim);
    id.changedNs = nanoseconds(s.st_ctim);
    return id;
}

} // namespace

FileIdentity identityOf(int fd) {
    struct stat s {};
    return fd >= 0 && ::fstat(fd, &s) == 0 ? fromStat(s) : FileIdentity{};
}

FileIdentity identityOf(const QString& path) {
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? fromStat(s) : FileIdentity{};
}

#else // Without inodes: the size and the times stand for the identity.

FileIdentity identityOf(int) {
    return {};
}

FileIdentity identityOf(const QString& path) {
    const QFileInfo info(path);
    FileIdentity id;
    if (!info.exists())
        return id;
    id.size = info.size();
    id.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    id.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    return id;
}

#endif

} // namespace varnilog
