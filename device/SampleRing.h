// The newest samples of A and B while looking without recording: a ring of a fixed capacity, taken
// once when the stream starts, that each tick appends to without allocating. Depends on QtCore.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace varnilog {

// How many samples a channel's ring keeps: seconds of the stream at its sampling period (the line
// carries at most linePerSecond of them), never more than limit nor fewer than one picture.
std::int64_t ringCapacity(double samplingPeriodMs, int seconds, std::int64_t linePerSecond,
                          std::int64_t limit);

class SampleRing {
public:
    // Empties the ring and takes the memory of capacity samples per channel.
    void reset(std::int64_t capacity);
    // Forgets the samples, keeping the memory.
    void clear() { total_ = 0; }
    // Appends a.size() samples of A and as many of B; the oldest go when the ring is full.
    void append(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);
    std::int64_t capacity() const { return static_cast<std::int64_t>(channels_[0].size()); }
    // Samples appended since the reset or clear.
    std::int64_t total() const { return total_; }
    // Samples kept: the newest min(total, capacity).
    std::int64_t size() const { return std::min(total_, capacity()); }
    // The index (counted from the reset) of the oldest sample kept.
    std::int64_t firstKept() const { return total_ - size(); }
    // The kept samples of channel 0 (A) or 1 (B), oldest first.
    QByteArray samples(int channel) const;

private:
    std::array<std::vector<std::uint8_t>, 2> channels_;
    std::int64_t total_ = 0;
};

} // namespace varnilog
