#include "device/Protocol.h"

namespace varnilog {

std::uint8_t commandChecksum(const CommandFrame& frame) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 7; ++i)
        sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

CommandFrame identifyCommand() {
    return {0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20};
}

CommandFrame settingsCommand(std::uint8_t timeBaseIndex, const BoardChannelSettings& sensitivity,
                             const BoardChannelSettings& mode, const BoardChannelSettings& offset) {
    CommandFrame f{};
    std::uint8_t flags = 0xFF;
    if (mode[0] == ModeAC)
        flags = 0x7F;
    if (mode[1] == ModeAC)
        flags &= static_cast<std::uint8_t>(~0x40);
    flags &= static_cast<std::uint8_t>(~0x3C);
    f[0] = flags;
    f[1] = static_cast<std::uint8_t>(114 - timeBaseIndex);
    // 1 for indices 1..13, 0 above: bit (index - 1) of 0x1FFF.
    const unsigned shift = static_cast<unsigned>(timeBaseIndex - 1) & 31u;
    const std::uint8_t fastFlag = static_cast<std::uint8_t>((0x1FFFu >> shift) & 1u);
    for (std::size_t ch = 0; ch < kBoardChannels; ++ch) {
        const std::uint8_t nibble =
            mode[ch] == ModeGND ? 0 : static_cast<std::uint8_t>((sensitivity[ch] * 16) & 0xF0);
        f[2 + ch] = static_cast<std::uint8_t>(nibble | fastFlag);
    }
    f[4] = offset[0];
    f[5] = offset[1];
    f[6] = 125;
    f[7] = commandChecksum(f);
    return f;
}

std::uint8_t judgeIdentificationReply(std::span<const std::uint8_t> queued, std::uint8_t maxModelNumber) {
    if (queued.size() != 1)
        return 0;
    const std::uint8_t model = queued[0];
    if (model == 0 || model > maxModelNumber)
        return 0;
    return model;
}

} // namespace varnilog
