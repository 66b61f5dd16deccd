// Which file, and which version of it: device and inode name the file, size and the modification and
// change times its content. The change time (ctime) cannot be set back by user tools such as touch,
// so a file whose identity is unchanged has not been written, replaced or renamed. Depends on QtCore.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace varnilog {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;      // bytes; -1: no such file
    std::int64_t modifiedNs = 0; // since the epoch
    std::int64_t changedNs = 0;  // since the epoch
    bool regular = false;        // a regular file (no folder, device, pipe or socket)

    bool exists() const { return size >= 0; }
    // The same file (not a replacement of that name), whatever its content now.
    bool sameFile(const FileIdentity& other) const {
        return exists() && other.exists() && device == other.device && inode == other.inode;
    }
    // The kind is no part of a version: identities stored in files (such as a summary's) leave it out.
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs && changedNs == other.changedNs;
    }
};

// A path as the system names it, and back. Names are bytes on Linux and need not be UTF-8: a byte
// that is no part of a UTF-8 character is kept in the text as U+DC80..U+DCFF and becomes that byte
// again, so a name given on the command line or found in a folder comes out as it went in (Qt's own
// conversion turns such a byte into U+FFFD for good). Any other text gives its UTF-8.
QByteArray nativeFileName(const QString& path);
QString fileNameFromNative(QByteArrayView bytes);

// Opens path into file by the name's own bytes (mode ReadOnly, or WriteOnly|NewOnly to create), never
// waiting for a pipe's other end. False with the file closed otherwise. A name Qt cannot spell is
// opened through its descriptor, so file.fileName() is then empty: fileNameOf(file) gives path.
bool openFileByName(QFile& file, const QString& path, QIODevice::OpenMode mode = QIODevice::ReadOnly);
// As openFileByName with ReadOnly | extra, only when path is a regular file.
bool openRegularFileByName(QFile& file, const QString& path, QIODevice::OpenMode extra = {});
QString fileNameOf(const QFile& file);
// The names in folder (not "." and ".."), as the system has them.
QStringList fileNamesIn(const QString& folder);

// Anything (a file, a folder, a link, also a dangling one) has the name path.
bool anythingNamed(const QString& path);
// A folder (links followed) has the name path; a regular file has it itself (no link).
bool folderNamed(const QString& path);
bool regularFileNamed(const QString& path);

// The working folder as the system names it, path made absolute against it (cleaned), the folder part
// of path as written ("." for a bare name), and path with every link resolved (empty when it does not
// exist). Qt's own (QDir::currentPath, QFileInfo) spell a name that is no UTF-8 again through its
// conversion, which names another file.
QString workingFolder();
QString absoluteFileName(const QString& path);
QString folderOfName(const QString& path);
QString canonicalFileName(const QString& path);

// Removes the name path (never a folder). False with the system's reason otherwise.
bool removeFileByName(const QString& path, QString* reason = nullptr);
// Renames from to to unless anything has the name to (errno EEXIST then); by the names' bytes.
bool renameNewByName(const QByteArray& from, const QByteArray& to);
bool renameNewByName(const QString& from, const QString& to, QString* reason = nullptr);

// Of an open descriptor; of a path (links followed); a missing file gives size -1.
FileIdentity identityOf(int fd);
FileIdentity identityOf(const QString& path);

} // namespace varnilog
