// A read-only view of a stretch of an open file, mapped instead of read: a scan over a whole sample
// file then reads the page cache where it lies instead of copying it out first, which costs a plain
// read of the file as much time again. A file cut short by another program while it is mapped would
// end this one (SIGBUS); its missing pages read as zeros instead, and damaged() tells the caller to
// drop what it read. Where the system cannot map (or keeps too many of these), valid() is false and
// the caller reads the file as before. Depends on the C++ library and POSIX.
#pragma once

#include <cstdint>

namespace varnilog {

class MappedSpan {
public:
    // [offset, offset + length) of the file open as fd, which may be closed afterwards.
    MappedSpan(int fd, std::int64_t offset, std::int64_t length);
    ~MappedSpan();
    MappedSpan(const MappedSpan&) = delete;
    MappedSpan& operator=(const MappedSpan&) = delete;

    bool valid() const { return data_ != nullptr; }
    // The byte at offset.
    const std::uint8_t* data() const { return data_; }
    // A page was gone when it was read (the file was cut short): what was read is not the file's.
    bool damaged() const;

private:
    void* map_ = nullptr; // the whole mapping, from a page boundary
    std::int64_t mapLength_ = 0;
    const std::uint8_t* data_ = nullptr;
    int slot_ = -1; // in the table the SIGBUS handler looks in
};

} // namespace varnilog
