// Which file, and which version of it: device and inode name the file, size and the modification and
// change times its content. The change time (ctime) cannot be set back by user tools such as touch,
// so a file whose identity is unchanged has not been written, replaced or renamed. Depends on QtCore.
#pragma once

#include <QString>

#include <cstdint>

namespace varnilog {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;      // bytes; -1: no such file
    std::int64_t modifiedNs = 0; // since the epoch
    std::int64_t changedNs = 0;  // since the epoch

    bool exists() const { return size >= 0; }
    // The same file (not a replacement of that name), whatever its content now.
    bool sameFile(const FileIdentity& other) const {
        return exists() && other.exists() && device == other.device && inode == other.inode;
    }
    bool operator==(const FileIdentity&) const = default;
};

// Of an open descriptor; of a path (links followed); a missing file gives size -1.
FileIdentity identityOf(int fd);
FileIdentity identityOf(const QString& path);

} // namespace varnilog
