// The board's command protocol as pure functions on byte buffers: the identification command and
// the judgement of its reply, the settings command built from the channel settings, the stop command.
// No port, no timer; depends on the C++ library only.
#pragma once

#include "device/BoardCodes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varnilog {

using CommandFrame = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t kFrameMarkerA = 0x41;
inline constexpr std::uint8_t kFrameMarkerB = 0x42;
inline constexpr std::uint8_t kStopCommand = 0x00;
inline constexpr std::size_t kFrameSize = 4;

// Sum of bytes 0..6 modulo 256.
std::uint8_t commandChecksum(const CommandFrame& frame);

CommandFrame identifyCommand();

// Per-channel settings of the two channels the board samples, A then B.
using BoardChannelSettings = std::array<std::uint8_t, kBoardChannels>;

// The settings command that starts sampling, from the settings of channels A and B.
CommandFrame settingsCommand(std::uint8_t timeBaseIndex, const BoardChannelSettings& sensitivity,
                             const BoardChannelSettings& mode, const BoardChannelSettings& offset);

inline constexpr std::array<std::uint8_t, 1> stopCommand{kStopCommand};

// The model reported in an identification reply: 1..maxModelNumber when the queue holds exactly
// one byte of that value, 0 when the reply is not valid (no byte, 0, above the maximum, or more
// bytes behind it).
std::uint8_t judgeIdentificationReply(std::span<const std::uint8_t> queued,
                                      std::uint8_t maxModelNumber = kMaxModelNumber);

} // namespace varnilog
