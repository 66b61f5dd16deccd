#include "analysis/TriggerScanner.h"

#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

// -1 and 256 stand for "no code".
int clampThreshold(double code) {
    return static_cast<int>(std::clamp(code, -1.0, 256.0));
}

} // namespace

bool triggerLevelInRange(double volts, std::uint8_t sensitivityIndex) {
    const double code = levelCode(volts, sensitivityIndex);
    return code >= 0 && code <= 255;
}

double triggerHysteresisCodes(double divisions) {
    return divisions * kCodesPerDivision;
}

TriggerScanner::TriggerScanner(const TriggerSettings& settings, std::int64_t from)
    : s_(settings), rising_(settings.edge == TriggerEdge::Rising), next_(from) {
    if (rising_) {
        arm_ = clampThreshold(std::ceil(s_.level - s_.hysteresis) - 1); // s < L - h
        fire_ = clampThreshold(std::ceil(s_.level));                    // s >= L
    } else {
        arm_ = clampThreshold(std::floor(s_.level + s_.hysteresis) + 1); // s > L + h
        fire_ = clampThreshold(std::floor(s_.level));                    // s <= L
    }
}

std::ptrdiff_t TriggerScanner::findArm(const std::uint8_t* codes, std::size_t n) const {
    if (rising_)
        return arm_ < 0 ? -1 : firstAtMost(codes, n, static_cast<std::uint8_t>(std::min(arm_, 255)));
    return arm_ > 255 ? -1 : firstAtLeast(codes, n, static_cast<std::uint8_t>(std::max(arm_, 0)));
}

std::ptrdiff_t TriggerScanner::findFire(const std::uint8_t* codes, std::size_t n) const {
    if (rising_)
        return fire_ > 255 ? -1 : firstAtLeast(codes, n, static_cast<std::uint8_t>(std::max(fire_, 0)));
    return fire_ < 0 ? -1 : firstAtMost(codes, n, static_cast<std::uint8_t>(std::min(fire_, 255)));
}

std::ptrdiff_t TriggerScanner::findEnd(const std::uint8_t* codes, std::size_t n) const {
    // A pulse is open only after a code fired, so the ending codes are in range.
    if (rising_)
        return fire_ <= 0 ? -1 : firstAtMost(codes, n, static_cast<std::uint8_t>(fire_ - 1));
    return fire_ >= 255 ? -1 : firstAtLeast(codes, n, static_cast<std::uint8_t>(fire_ + 1));
}

bool TriggerScanner::widthPasses(double width) const {
    if (s_.width == WidthCondition::Below)
        return width < s_.widthLimit;
    if (s_.width == WidthCondition::Above)
        return width > s_.widthLimit;
    return true;
}

bool TriggerScanner::skipBlock(std::int64_t count, std::uint8_t lo, std::uint8_t hi) {
    if (count < 1)
        return false;
    // Whether some code of [lo, hi] arms, fires or ends a pulse.
    const bool mayArm = rising_ ? lo <= arm_ : hi >= arm_;
    const bool mayFire = rising_ ? hi >= fire_ : lo <= fire_;
    const bool mayEnd = rising_ ? lo < fire_ : hi > fire_;
    switch (phase_) {
    case Phase::Disarmed:
        if (mayArm && mayFire)
            return false;
        if (mayArm)
            phase_ = Phase::Armed;
        break;
    case Phase::Armed:
        if (mayFire)
            return false;
        break;
    case Phase::Pulse:
        if (mayEnd)
            return false;
        break;
    }
    next_ += count;
    previousKnown_ = false;
    return true;
}

} // namespace varnilog
