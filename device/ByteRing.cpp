#include "device/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace varnilog {

ByteRing::ByteRing(std::int64_t capacity)
    : data_(std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(capacity))), capacity_(capacity) {}

std::int64_t ByteRing::push(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    const std::int64_t count =
        std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), capacity_ - size_);
    if (count == 0)
        return 0;
    const std::int64_t tail = (head_ + size_) % capacity_;
    const std::int64_t first = std::min(count, capacity_ - tail);
    std::memcpy(data_.get() + tail, bytes.data(), static_cast<std::size_t>(first));
    std::memcpy(data_.get(), bytes.data() + first, static_cast<std::size_t>(count - first));
    size_ += count;
    return count;
}

std::int64_t ByteRing::pop(std::span<std::uint8_t> dest) {
    std::lock_guard lock(mutex_);
    const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(dest.size()), size_);
    if (count == 0)
        return 0;
    const std::int64_t first = std::min(count, capacity_ - head_);
    std::memcpy(dest.data(), data_.get() + head_, static_cast<std::size_t>(first));
    std::memcpy(dest.data() + first, data_.get(), static_cast<std::size_t>(count - first));
    head_ = (head_ + count) % capacity_;
    size_ -= count;
    return count;
}

std::int64_t ByteRing::size() const {
    std::lock_guard lock(mutex_);
    return size_;
}

std::int64_t ByteRing::freeSpace() const {
    std::lock_guard lock(mutex_);
    return capacity_ - size_;
}

void ByteRing::clear() {
    std::lock_guard lock(mutex_);
    head_ = 0;
    size_ = 0;
}

} // namespace varnilog
