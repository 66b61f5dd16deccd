#include "view/SampleCodes.h"

#include <cmath>

namespace varnilog {

double levelCode(double volts, int sensitivity) {
    return kZeroLine + volts / voltsPerCode(sensitivity);
}

std::int64_t unclippedCode(double volts, int sensitivity) {
    // Held far outside 0..255 on its own side: a value past what int64 holds would wrap when cast.
    constexpr double kFar = 1e12;
    return static_cast<std::int64_t>(std::clamp(std::round(levelCode(volts, sensitivity)), -kFar, kFar));
}

std::uint8_t derivedCode(double volts, int sensitivity) {
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(unclippedCode(volts, sensitivity), 0, 255));
}

std::uint8_t autoSensitivity(double vmin, double vmax) {
    for (int s = kSensitivityCount; s > 1; --s) {
        const std::int64_t lo = unclippedCode(vmin, s), hi = unclippedCode(vmax, s);
        if (lo >= 0 && hi <= 255)
            return static_cast<std::uint8_t>(s);
    }
    return 1;
}

} // namespace varnilog
