#include "decode/LogicThreshold.h"

#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

// The smallest integer code c with c >= x, held within what a code comparison needs: codes are whole
// numbers, so comparing with it is comparing with x itself.
int ceilingCode(double x) {
    if (std::isnan(x))
        return 256; // no code reaches it
    return static_cast<int>(std::clamp(std::ceil(x), -1.0, 256.0));
}

} // namespace

LogicThreshold::LogicThreshold(const LogicLevel& level, int sensitivity) {
    const double lc = levelCode(level.volts, sensitivity);
    const double h = level.hysteresisDivisions * kCodesPerDivision;
    first_ = ceilingCode(lc);
    rise_ = ceilingCode(lc + h);
    fall_ = ceilingCode(lc - h);
}

void LogicThreshold::convert(const std::uint8_t* codes, std::size_t n, std::uint8_t* out, unsigned bit) {
    if (n == 0)
        return;
    std::size_t i = 0;
    if (!started_) {
        value_ = codes[0] >= first_ ? 1 : 0;
        out[0] = static_cast<std::uint8_t>((out[0] & ~(1u << bit)) | (value_ << bit));
        started_ = true;
        i = 1;
    }
    // Branch-free: the value depends on the one before only through one and and one or.
    const auto keep = static_cast<std::uint8_t>(~(1u << bit));
    unsigned v = value_;
    for (; i < n; ++i) {
        const unsigned c = codes[i];
        v = static_cast<unsigned>(static_cast<int>(c) >= rise_) |
            (v & static_cast<unsigned>(static_cast<int>(c) >= fall_));
        out[i] = static_cast<std::uint8_t>((out[i] & keep) | (v << bit));
    }
    value_ = static_cast<std::uint8_t>(v);
}

double middleLevelVolts(std::uint8_t lo, std::uint8_t hi, int sensitivity) {
    return stepVolts((static_cast<double>(lo) + static_cast<double>(hi)) / 2.0 - kZeroLine, sensitivity);
}

} // namespace varnilog
