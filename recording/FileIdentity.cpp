#include "recording/FileIdentity.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
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
    return ::stat(nativeFileName(path).constData(), &s) == 0 ? fromStat(s) : FileIdentity{};
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
