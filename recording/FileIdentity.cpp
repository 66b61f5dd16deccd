#include "recording/FileIdentity.h"

#include <QFile>
#include <QFileInfo>

#include <QDir>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnilog {

namespace {

constexpr char16_t kEscapedByte = 0xDC00; // + the byte (0x80..0xFF)

// The code point of the UTF-8 character at bytes[at] and its length; length 0 when none starts there
// (a stray or cut continuation byte, an overlong form, a surrogate, past U+10FFFF).
char32_t utf8At(QByteArrayView bytes, qsizetype at, int& length) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    length = lead < 0x80                   ? 1
             : lead >= 0xC2 && lead < 0xE0 ? 2
             : lead >= 0xE0 && lead < 0xF0 ? 3
             : lead >= 0xF0 && lead < 0xF5 ? 4
                                           : 0;
    if (length == 0 || at + length > bytes.size()) {
        length = 0;
        return 0;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            length = 0;
            return 0;
        }
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)
        length = 0;
    return code;
}

} // namespace

QByteArray nativeFileName(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
            bytes += static_cast<char>(unit - kEscapedByte);
            continue;
        }
        const qsizetype length = QChar::isHighSurrogate(unit) && i + 1 < path.size() &&
                                         QChar::isLowSurrogate(path[i + 1].unicode())
                                     ? 2
                                     : 1;
        bytes += QStringView(path).mid(i, length).toUtf8();
        i += length - 1;
    }
    return bytes;
}

QString fileNameFromNative(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        int length = 0;
        const char32_t code = utf8At(bytes, at, length);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        const char32_t one[] = {code};
        text += QString::fromUcs4(one, 1);
        at += length;
    }
    return text;
}

QString absoluteFileName(const QString& path) {
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : workingFolder() + u'/' + path);
}

QString folderOfName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}

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
    id.regular = S_ISREG(s.st_mode);
    return id;
}

constexpr char kPathProperty[] = "varnilog.path";

// Makes the open descriptor fd file's, named path; fd is taken over either way.
bool adopt(QFile& file, const QString& path, int fd, QIODevice::OpenMode mode) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setProperty(kPathProperty, QVariant());
    if (QFile::encodeName(path) == nativeFileName(path)) {
        // Opened again by Qt under the name (its name and error texts), and it must be the same file.
        const FileIdentity opened = identityOf(fd);
        ::close(fd);
        if (file.open(mode) && !opened.sameFile(identityOf(file.handle())))
            file.close();
        return file.isOpen();
    }
    file.setFileName(QString());
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    file.setProperty(kPathProperty, path);
    return true;
}

} // namespace

bool openFileByName(QFile& file, const QString& path, QIODevice::OpenMode mode) {
    file.close();
    file.setFileName(path);
    file.setProperty(kPathProperty, QVariant());
    if (QFile::encodeName(path) == nativeFileName(path))
        return file.open(mode);
    const int flags = mode & QIODevice::WriteOnly
                          ? O_WRONLY | O_CREAT | (mode & QIODevice::NewOnly ? O_EXCL : O_TRUNC)
                          : O_RDONLY;
    const int fd = ::open(nativeFileName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    return fd >= 0 && adopt(file, path, fd, mode);
}

bool openRegularFileByName(QFile& file, const QString& path, QIODevice::OpenMode extra) {
    file.close();
    file.setFileName(path);
    const int fd = ::open(nativeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!identityOf(fd).regular) {
        ::close(fd);
        return false;
    }
    return adopt(file, path, fd, QIODevice::ReadOnly | extra);
}

QString fileNameOf(const QFile& file) {
    const QVariant path = file.property(kPathProperty);
    return path.isValid() && file.fileName().isEmpty() ? path.toString() : file.fileName();
}

QStringList fileNamesIn(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(nativeFileName(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    while (const dirent* entry = dir != nullptr ? ::readdir(dir) : nullptr)
        if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
            names << fileNameFromNative(entry->d_name);
    if (dir != nullptr)
        ::closedir(dir);
    return names;
}

FileIdentity identityOf(int fd) {
    struct stat s {};
    return fd >= 0 && ::fstat(fd, &s) == 0 ? fromStat(s) : FileIdentity{};
}

bool anythingNamed(const QString& path) {
    struct stat s {};
    return ::lstat(nativeFileName(path).constData(), &s) == 0;
}

FileIdentity identityOf(const QString& path) {
    struct stat s {};
    return ::stat(nativeFileName(path).constData(), &s) == 0 ? fromStat(s) : FileIdentity{};
}

bool folderNamed(const QString& path) {
    struct stat s {};
    return ::stat(nativeFileName(path).constData(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool regularFileNamed(const QString& path) {
    struct stat s {};
    return ::lstat(nativeFileName(path).constData(), &s) == 0 && S_ISREG(s.st_mode);
}

QString workingFolder() {
    char* cwd = ::getcwd(nullptr, 0);
    const QString folder = cwd != nullptr ? fileNameFromNative(cwd) : QDir::currentPath();
    ::free(cwd);
    return folder;
}

QString canonicalFileName(const QString& path) {
    char* resolved = ::realpath(nativeFileName(path).constData(), nullptr);
    const QString canonical = resolved != nullptr ? fileNameFromNative(resolved) : QString();
    ::free(resolved);
    return canonical;
}

bool removeFileByName(const QString& path, QString* reason) {
    if (::unlink(nativeFileName(path).constData()) == 0)
        return true;
    if (reason != nullptr)
        *reason = qt_error_string(errno);
    return false;
}

bool renameNewByName(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // Without it (an older kernel or file system): a link cannot replace either.
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    ::unlink(from.constData());
    return true;
}

bool renameNewByName(const QString& from, const QString& to, QString* reason) {
    if (renameNewByName(nativeFileName(from), nativeFileName(to)))
        return true;
    if (reason != nullptr)
        *reason = qt_error_string(errno);
    return false;
}

#else // Without inodes: the size and the times stand for the identity.

bool openFileByName(QFile& file, const QString& path, QIODevice::OpenMode mode) {
    file.close();
    file.setFileName(path);
    return file.open(mode);
}

bool openRegularFileByName(QFile& file, const QString& path, QIODevice::OpenMode extra) {
    file.close();
    file.setFileName(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly | extra);
}

QString fileNameOf(const QFile& file) {
    return file.fileName();
}

bool anythingNamed(const QString& path) {
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

QStringList fileNamesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

FileIdentity identityOf(int) {
    return {};
}

bool folderNamed(const QString& path) {
    return QFileInfo(path).isDir();
}

bool regularFileNamed(const QString& path) {
    return QFileInfo(path).isFile() && !QFileInfo(path).isSymLink();
}

QString workingFolder() {
    return QDir::currentPath();
}

QString canonicalFileName(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

bool removeFileByName(const QString& path, QString* reason) {
    QFile file(path);
    const bool removed = file.remove();
    if (!removed && reason != nullptr)
        *reason = file.errorString();
    return removed;
}

bool renameNewByName(const QByteArray& from, const QByteArray& to) {
    return QFile::rename(QFile::decodeName(from), QFile::decodeName(to));
}

bool renameNewByName(const QString& from, const QString& to, QString* reason) {
    QFile file(from);
    const bool renamed = file.rename(to);
    if (!renamed && reason != nullptr)
        *reason = file.errorString();
    return renamed;
}

FileIdentity identityOf(const QString& path) {
    const QFileInfo info(path);
    FileIdentity id;
    if (!info.exists())
        return id;
    id.size = info.size();
    id.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    id.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    id.regular = info.isFile();
    return id;
}

#endif

} // namespace varnilog
