#include "view/LivePreview.h"

#include "recording/CodeRange.h"
#include "view/ScaleTables.h"

#include <algorithm>
#include <cstring>

namespace varnilog {

LivePreview::LivePreview() : buffers_(std::make_unique<Buffers>()) {
    reset();
}

void LivePreview::reset() {
    samples_ = 0;
    blockWidth_ = kFirstBlockWidth;
    blocksDone_ = 0;
    pendingCount_ = 0;
    pendingLo_.fill(255);
    pendingHi_.fill(0);
    for (auto& frame : buffers_->newest)
        frame.fill(kZeroLine);
}

void LivePreview::append(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count) {
    const std::array<const std::uint8_t*, kLiveChannels> in{a, b};
    std::int64_t pos = 0;
    while (pos < count) {
        // Up to the end of the block being filled, so every block closes on its own boundary.
        const std::int64_t take = std::min(blockWidth_ - pendingCount_, count - pos);
        for (int c = 0; c < kLiveChannels; ++c)
            appendChannel(c, in[static_cast<std::size_t>(c)] + pos, take);
        samples_ += take;
        pendingCount_ += take;
        pos += take;
        if (pendingCount_ < blockWidth_)
            continue;
        for (std::size_t c = 0; c < kLiveChannels; ++c) {
            buffers_->blocks[c][static_cast<std::size_t>(2 * blocksDone_)] = pendingLo_[c];
            buffers_->blocks[c][static_cast<std::size_t>(2 * blocksDone_ + 1)] = pendingHi_[c];
        }
        ++blocksDone_;
        pendingCount_ = 0;
        pendingLo_.fill(255);
        pendingHi_.fill(0);
        if (blocksDone_ == kBlockCapacity)
            mergeBlocks();
    }
}

void LivePreview::appendChannel(int c, const std::uint8_t* codes, std::int64_t count) {
    const auto ch = static_cast<std::size_t>(c);
    extendRange(codes, static_cast<std::size_t>(count), pendingLo_[ch], pendingHi_[ch]);
    std::uint8_t* newest = buffers_->newest[ch].data();
    const auto shift = static_cast<std::size_t>(std::min<std::int64_t>(count, kDisplayColumns));
    std::memmove(newest, newest + shift, kDisplayColumns - shift);
    std::memcpy(newest + kDisplayColumns - shift, codes + (count - static_cast<std::int64_t>(shift)), shift);
    std::uint8_t* raw = buffers_->raw[ch].data();
    // A tick longer than the ring leaves only its newest samples there.
    const std::int64_t skip = std::max<std::int64_t>(0, count - kRawCapacity);
    std::int64_t at = (samples_ + skip) % kRawCapacity;
    for (std::int64_t pos = skip; pos < count;) {
        const std::int64_t run = std::min(count - pos, kRawCapacity - at);
        std::memcpy(raw + at, codes + pos, static_cast<std::size_t>(run));
        pos += run;
        at = (at + run) % kRawCapacity;
    }
}

void LivePreview::mergeBlocks() {
    // Pairs of neighbours into one block of twice the width; the next block starts on a boundary of
    // the wider ones, since the array held an even number of blocks.
    for (auto& blocks : buffers_->blocks) {
        for (std::int64_t i = 0; i < kBlockCapacity / 2; ++i) {
            const auto from = static_cast<std::size_t>(4 * i);
            const auto to = static_cast<std::size_t>(2 * i);
            blocks[to] = std::min(blocks[from], blocks[from + 2]);
            blocks[to + 1] = std::max(blocks[from + 1], blocks[from + 3]);
        }
    }
    blocksDone_ = kBlockCapacity / 2;
    blockWidth_ *= 2;
}

void LivePreview::column(int c, std::int64_t from, std::int64_t to, std::uint8_t& lo,
                         std::uint8_t& hi) const {
    const auto ch = static_cast<std::size_t>(c);
    const std::int64_t rawFrom = std::max<std::int64_t>(0, samples_ - kRawCapacity);
    // The part older than the ring: every whole block it touches.
    if (from < rawFrom) {
        const std::int64_t first = from / blockWidth_;
        const std::int64_t last =
            std::min(blocksDone_, (std::min(to, rawFrom) + blockWidth_ - 1) / blockWidth_);
        const std::uint8_t* blocks = buffers_->blocks[ch].data();
        for (std::int64_t i = first; i < last; ++i) {
            lo = std::min(lo, blocks[2 * i]);
            hi = std::max(hi, blocks[2 * i + 1]);
        }
        from = rawFrom;
    }
    const std::uint8_t* raw = buffers_->raw[ch].data();
    while (from < to) {
        const std::int64_t at = from % kRawCapacity;
        const std::int64_t run = std::min(to - from, kRawCapacity - at);
        extendRange(raw + at, static_cast<std::size_t>(run), lo, hi);
        from += run;
    }
}

void LivePreview::columns(std::int64_t viewStart, std::int32_t zoom, std::uint8_t* const top[kLiveChannels],
                          std::uint8_t* const bottom[kLiveChannels]) const {
    const std::int64_t z = std::max<std::int32_t>(1, zoom);
    for (int c = 0; c < kLiveChannels; ++c) {
        for (int k = 0; k < kDisplayColumns; ++k) {
            const std::int64_t from = std::max<std::int64_t>(0, viewStart + k * z);
            const std::int64_t to = std::min(samples_, viewStart + (k + 1) * z);
            std::uint8_t lo = 255;
            std::uint8_t hi = 0;
            if (from < to)
                column(c, from, to, lo, hi);
            if (lo > hi)
                lo = hi = kZeroLine;
            top[c][k] = hi;
            bottom[c][k] = lo;
        }
    }
}

std::int64_t LivePreview::followingStart(std::int64_t samples, std::int32_t zoom) {
    const std::int64_t z = std::max<std::int32_t>(1, zoom);
    const std::int64_t newestColumn = samples > 0 ? (samples - 1) / z : -1;
    return (newestColumn - (kDisplayColumns - 1)) * z;
}

} // namespace varnilog
