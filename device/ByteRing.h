// A fixed-capacity byte queue shared by one writer thread (the port's reader) and one reader thread
// (the window's tick). Memory is taken once at construction; push and pop never allocate.
// Depends on the standard library only.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace varnilog {

class ByteRing {
public:
    explicit ByteRing(std::int64_t capacity);

    std::int64_t capacity() const { return capacity_; }
    // Stores as many bytes as fit; returns how many were stored.
    std::int64_t push(std::span<const std::uint8_t> bytes);
    // Takes up to dest.size() bytes in arrival order; returns how many were taken.
    std::int64_t pop(std::span<std::uint8_t> dest);
    std::int64_t size() const;
    std::int64_t freeSpace() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::unique_ptr<std::uint8_t[]> data_;
    std::int64_t capacity_;
    std::int64_t head_ = 0; // position of the oldest byte
    std::int64_t size_ = 0;
};

} // namespace varnilog
