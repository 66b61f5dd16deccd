#include "decode/BitRate.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace varnilog {

bool isBitRateOption(const DecoderOptionInfo& option) {
    return (option.id == "baudrate" || option.id == "bitrate") &&
           !std::holds_alternative<std::string>(option.defaultValue);
}

bool bitRateTooHigh(double bitRate, std::uint64_t sampleRateHz) {
    return bitRate * kMinSamplesPerBit > static_cast<double>(sampleRateHz);
}

std::int64_t usualBitRate(std::int64_t guess) {
    static constexpr std::array<std::int64_t, 18> kUsual{50,    75,    110,   150,    300,    600,
                                                         1200,  2400,  4800,  9600,   14400,  19200,
                                                         28800, 38400, 57600, 115200, 230400, 250000};
    for (const std::int64_t rate : kUsual)
        if (std::llabs(guess - rate) * 20 <= rate)
            return rate;
    return guess;
}

BitRateGuess guessBitRate(RecordingDecodeRequest request, int channel, const WorkProgress& progress) {
    request.stack = {{"guess_bitrate", {}}};
    request.channels = {{"data", channel}};
    BitRateGuess guess;
    // Each annotation is a smaller bit time than the one before: the last is the guess.
    std::string last;
    guess.result = decodeRecording(
        request, [&](const Annotation& a) { last = a.texts.empty() ? std::string() : a.texts.front(); },
        progress);
    std::int64_t rate = 0;
    if (const auto r = std::from_chars(last.data(), last.data() + last.size(), rate);
        !last.empty() && r.ec == std::errc() && rate > 0)
        guess.bitRate = usualBitRate(rate);
    return guess;
}

} // namespace varnilog
