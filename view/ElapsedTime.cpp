#include "view/ElapsedTime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varnilog {

namespace {
// Decimal text padded on the left with '0' characters to the width; a minus sign counts as a
// character, so -1 at width 2 stays "-1".
QString padded(std::int64_t value, int width) {
    return QString::number(value).rightJustified(width, u'0');
}

QString elapsedText(double ms) {
    // Hours come from the same rounded-up total as the other fields, so a time a fraction of a
    // millisecond short of a full hour reads as that hour rather than as the hour before it.
    // Negative times (a missing sample file has length -1) keep their truncating remainders.
    double x = std::isnan(ms) ? 0.0 : ms;
    x = std::clamp(x, -9.0e18, 9.0e18);
    const auto t = static_cast<std::int64_t>(std::ceil(x));
    return padded(t / 3600000, 4) + u':' + padded((t % 3600000) / 60000, 2) + u':' +
           padded((t % 60000) / 1000, 2) + u':' + padded(t % 1000, 3);
}

// The period as the decimal number of milliseconds the 32-bit value stands for (0.1 for 0.1f, held as
// 0.1000000015): widened as it is, 10 samples at 0.1 ms would round up to 2 ms. A period off the
// grid of tenths of a microsecond is taken as it is.
double decimalPeriod(float samplingPeriodMs) {
    const auto ms = static_cast<double>(samplingPeriodMs);
    const double decimal = std::round(ms * 1e4) / 1e4;
    return std::abs(decimal - ms) <= 1e-6 * std::abs(ms) ? decimal : ms;
}

} // namespace

QString formatElapsedTime(float ms) {
    return elapsedText(static_cast<double>(ms));
}

QString sampleTimeText(double sample, float samplingPeriodMs) {
    return elapsedText(sample * decimalPeriod(samplingPeriodMs));
}

} // namespace varnilog
