// Reads a fuzzer's input as a small record: fixed-width numbers first, the rest as raw bytes. Every
// read past the end yields zeros, so any input, even an empty one, is a valid record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnilog::fuzz {

class FuzzInput {
public:
    explicit FuzzInput(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint8_t byte() { return pos_ < data_.size() ? data_[pos_++] : 0; }

    // Little-endian, as many bytes as the type holds.
    std::uint16_t u16() {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | (byte() << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (static_cast<std::uint32_t>(u16()) << 16);
    }

    // Up to `count` bytes (fewer at the end of the input).
    std::span<const std::uint8_t> bytes(std::size_t count) {
        const std::size_t n = count < remaining() ? count : remaining();
        const std::span<const std::uint8_t> part = data_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    std::span<const std::uint8_t> rest() { return bytes(remaining()); }
    std::size_t remaining() const { return data_.size() - pos_; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

} // namespace varnilog::fuzz
