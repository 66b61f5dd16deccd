// The live picture of a running recording at any zoom: 500 columns of zoomDivisor samples each, the
// largest and smallest code of every column, as a stored view shows them. Keeps channels A and B as
// they arrive: the newest samples whole in a ring, and the min/max of every block of older ones, the
// blocks widening (pairs merged) when their array is full, so an hour or a day fits the same memory.
// A column older than the ring is folded from the blocks it touches, so its edges may take in up to
// one block of its neighbours. Every buffer is made once with the object; appending and building the
// columns allocate nothing. Core: depends on the shared state's sizes only.
#pragma once

#include "app/SharedState.h"

#include <array>
#include <cstdint>
#include <memory>

namespace varnilog {

class LivePreview {
public:
    static constexpr int kLiveChannels = 2;                 // A and B come from the board
    static constexpr std::int64_t kRawCapacity = 1 << 20;   // newest samples kept whole, per channel
    static constexpr std::int64_t kBlockCapacity = 1 << 18; // min/max blocks, per channel
    static constexpr std::int64_t kFirstBlockWidth = 256;   // samples of a block until the first merge

    LivePreview();
    // A new recording: nothing received yet.
    void reset();
    // The samples of one tick, count of each channel.
    void append(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count);
    std::int64_t samples() const { return samples_; }
    std::int64_t blockWidth() const { return blockWidth_; }
    // The newest 500 samples of channel c, one a column (the zero line before the first): what the
    // measurements and XY take as the preview's frame at any zoom.
    const std::uint8_t* newest(int c) const { return buffers_->newest[static_cast<std::size_t>(c)].data(); }

    // Columns k = 0..499 of zoom samples from viewStart (which may be below 0): top[c][k] the largest,
    // bottom[c][k] the smallest code of channel c in [viewStart + k * zoom, … + zoom); a column with no
    // sample received is the zero line.
    void columns(std::int64_t viewStart, std::int32_t zoom, std::uint8_t* const top[kLiveChannels],
                 std::uint8_t* const bottom[kLiveChannels]) const;

    // The view start that puts the newest sample in the last column, columns counted from sample 0
    // (so the picture moves a whole column at a time); below 0 while fewer columns were received.
    static std::int64_t followingStart(std::int64_t samples, std::int32_t zoom);

private:
    struct Buffers {
        std::array<std::array<std::uint8_t, kRawCapacity>, kLiveChannels> raw{};
        std::array<std::array<std::uint8_t, 2 * kBlockCapacity>, kLiveChannels> blocks{}; // lo, hi pairs
        std::array<std::array<std::uint8_t, kDisplayColumns>, kLiveChannels> newest{};
    };
    void appendChannel(int c, const std::uint8_t* codes, std::int64_t count);
    void mergeBlocks();
    void column(int c, std::int64_t from, std::int64_t to, std::uint8_t& lo, std::uint8_t& hi) const;

    std::unique_ptr<Buffers> buffers_;
    std::int64_t samples_ = 0;
    std::int64_t blockWidth_ = kFirstBlockWidth;
    std::int64_t blocksDone_ = 0;   // whole blocks in the arrays
    std::int64_t pendingCount_ = 0; // samples of the block being filled
    std::array<std::uint8_t, kLiveChannels> pendingLo_{};
    std::array<std::uint8_t, kLiveChannels> pendingHi_{};
};

} // namespace varnilog
