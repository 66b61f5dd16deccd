#include "device/FrameParser.h"

#include "device/Protocol.h"

namespace varnilog {

namespace {

bool frameAt(const std::uint8_t* p) {
    return p[0] == kFrameMarkerA && p[2] == kFrameMarkerB;
}

} // namespace

FrameParseResult parseFrames(std::span<const std::uint8_t> input, std::uint8_t* channelA,
                             std::uint8_t* channelB, FrameLimit frameLimit) {
    const std::int64_t total = static_cast<std::int64_t>(input.size());
    FrameParseResult result;
    if (total < 4) {
        result.carry = total;
        return result;
    }
    const std::uint8_t* data = input.data();

    // Synchronisation: the first position with both markers; without one, only the last three
    // bytes can still be the start of a frame.
    std::int64_t p = 0;
    while (p <= total - 4 && !frameAt(data + p))
        ++p;
    if (p > total - 4)
        p = total - 3;

    const std::int64_t limit = frameLimit == FrameLimit::TakeAll ? total - 3 : ((total - 3) / 4) * 4;
    std::int64_t n = 0;
    while (p < limit) {
        if (frameAt(data + p)) {
            channelA[n] = data[p + 1];
            channelB[n] = data[p + 3];
            ++n;
            p += 4;
        } else {
            ++p;
        }
    }
    result.pairs = n;
    result.carry = total - p;
    result.skipped = p - 4 * n;
    return result;
}

} // namespace varnilog
