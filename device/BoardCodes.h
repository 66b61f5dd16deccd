// The codes the board and the host share: coupling modes, model numbers, the channels the board
// samples. The C++ library only, so the protocol and everything above it can use them.
#pragma once

#include <cstdint>

namespace varnilog {

enum ChannelMode : std::uint8_t { ModeAC = 0, ModeGND = 1, ModeDC = 2 };

inline constexpr std::uint8_t kMaxModelNumber = 4; // models 1..4: KZ100..KZ400
inline constexpr int kBoardChannels = 2;           // A and B: every board samples two channels

} // namespace varnilog
