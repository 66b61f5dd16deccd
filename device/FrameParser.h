// Finds the 4-byte sample frames (0x41, sample A, 0x42, sample B) in the bytes received in one
// tick and splits them into the two channels. Pure: bytes in, samples and a carry count out; no
// port, no file. Depends only on device/Protocol.h's frame markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnilog {

struct FrameParseResult {
    std::int64_t pairs = 0;   // sample pairs stored (one sample of A and one of B each)
    std::int64_t carry = 0;   // bytes at the end of the input that were not consumed
    std::int64_t skipped = 0; // bytes consumed without being part of a frame
};

enum class FrameLimit {
    KeepNewest, // a running stream: the newest frame waits for the next tick
    TakeAll,    // the end of a stream: every complete frame is taken
};

// Searches `input` (the carried bytes of the previous tick followed by the new ones) for frames.
// The search starts at the first position holding both markers and takes frames while they start
// before the last whole multiple of four that leaves three bytes of look-ahead, so with clean frames
// the newest frame always waits for the next tick (FrameLimit::KeepNewest). Samples go to channelA/channelB,
// which must hold input.size() / 4 + 1 entries each.
//
// The carry counts exactly the bytes from the first position the search did not consume to the
// end: they are moved to the front of the buffer for the next tick, and none of them belongs to a
// frame already taken, so no sample is ever stored twice.
FrameParseResult parseFrames(std::span<const std::uint8_t> input, std::uint8_t* channelA,
                             std::uint8_t* channelB, FrameLimit limit = FrameLimit::KeepNewest);

} // namespace varnilog
