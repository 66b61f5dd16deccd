// Bit rates of the decoders' options: which options are one, the rule that a bit needs at least four
// samples (below that the decoders cannot find the middle of a bit and read garbage), and the guess
// of a line's bit rate by the library's own guesser (the shortest time between two edges) over a
// recording channel. Depends on the decode module's recording decode.
#pragma once

#include "decode/RecordingDecode.h"

#include <cstdint>
#include <optional>

namespace varnilog {

inline constexpr int kMinSamplesPerBit = 4;

// An option that sets a line's bit rate (sigrok's decoders call it baudrate or bitrate).
bool isBitRateOption(const DecoderOptionInfo& option);
// True when bitRate exceeds a quarter of the sample rate.
bool bitRateTooHigh(double bitRate, std::uint64_t sampleRateHz);
// The usual rate within 5 % of a guess, else the guess itself.
std::int64_t usualBitRate(std::int64_t guess);

struct BitRateGuess {
    RecordingDecodeResult result;
    std::optional<std::int64_t> bitRate; // none: fewer than two edges
};

// Runs the library's bit-rate guesser over request's span of recording channel channel (the
// request's files, levels and span; its stack and channels are replaced).
BitRateGuess guessBitRate(RecordingDecodeRequest request, int channel, const WorkProgress& progress = {});

} // namespace varnilog
