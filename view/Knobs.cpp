#include "view/Knobs.h"

#include "view/NumberText.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

constexpr double kPi = 3.141592654; // the value the knob scales were laid out with

struct OffsetRangeEntry {
    int a, b; // a / 2 / b is five divisions in the unit of the offset text; b = 1 means millivolts
};
constexpr OffsetRangeEntry offsetRangeTable[11] = {{0, 1},      {1000, 10}, {500, 10},  {200, 10},
                                                   {1000, 100}, {500, 100}, {200, 100}, {1000, 1},
                                                   {500, 1},    {200, 1},   {100, 1}};

} // namespace

int knobAngle(int x, int y, int centre) {
    const float fx = static_cast<float>(x);
    float fy = static_cast<float>(y);
    const float c = static_cast<float>(centre);
    if (fy == c)
        fy = c - 0.001f;
    const float a = std::atan2(c - fy, fx - c);
    if (a > -2.3561944905f && a < -0.7853981635f)
        return fx < c ? 0 : 270;
    int d = static_cast<int>(180.0 * static_cast<double>(a) / kPi);
    if (d >= -180 && d <= -135)
        d = -d - 135;
    else if (d >= -45 && d <= 180)
        d = 225 - d;
    return d;
}

int sensitivityFromKnob(int x, int y, int minIndex, int maxIndex) {
    const int s = (knobAngle(x, y, 31) + 15) / 30 + 1;
    return std::clamp(s, minIndex, std::max(minIndex, maxIndex));
}

int timeBaseFromKnob(int x, int y, int maxIndex) {
    const float fx = static_cast<float>(x);
    float fy = static_cast<float>(y);
    if (fy == 41.0f)
        fy = 40.999f;
    const float a = std::atan2(41.0f - fy, fx - 41.0f);
    const int deg = static_cast<int>(180.0 * static_cast<double>(a) / kPi);
    int k = static_cast<int>((deg + 8) * 0.06112469437652812);
    if (k < 0)
        k += 22;
    const int index = ((k + 3) % 22) + 1;
    return std::min(index, maxIndex);
}

std::uint8_t offsetFromKnob(int x, int y, std::uint8_t zeroOffset, float referenceVoltage) {
    const double range = offsetRange(referenceVoltage);
    const double offset = (knobAngle(x, y, 16) - 135) * range / 135.0 + zeroOffset;
    return static_cast<std::uint8_t>(static_cast<int>(offset));
}

OffsetDisplay describeOffset(std::uint8_t offsetByte, std::uint8_t zeroOffset, float referenceVoltage,
                             int sensitivity, const QLocale& locale) {
    const double range = offsetRange(referenceVoltage);
    const double zero = zeroOffset;
    const int offset = offsetWithinRange(offsetByte, zeroOffset, referenceVoltage);
    OffsetDisplay out;
    // A range that leaves 0..255 (extreme calibration values) keeps the byte in 0..255.
    out.offset = static_cast<std::uint8_t>(std::clamp(offset, 0, 255));
    out.angle = static_cast<int>((offset - zero) * 135.0 / range + 135.0);
    const double theta = (225 - out.angle) * kPi / 180.0;
    out.indicator = QPoint(static_cast<int>(std::cos(theta) * 9.0 + 139.0),
                           static_cast<int>(112.0 - std::sin(theta) * 9.0));
    const OffsetRangeEntry e = offsetRangeTable[std::clamp(sensitivity, 1, 10)];
    const double h = e.a / 2.0;
    double v = std::trunc((out.angle - 135) * h / 135.0);
    if (v < -h)
        v = -h;
    if (v > 0.98 * h)
        v = h;
    out.text =
        generalNumberText(v / e.b, 15, locale) + (e.b == 1 ? QStringLiteral("mV") : QStringLiteral("V"));
    return out;
}

} // namespace varnilog
