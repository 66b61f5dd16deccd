// The trigger events of one channel's stream of codes: arming with hysteresis, the interpolated
// crossing, the pulse-width condition and the holdoff. The state carries across blocks, so a stream
// gives the same events whichever way it is cut into blocks; nothing is allocated per block. Used
// live on the newest samples of each tick and by the event search in recordings. Depends on the C++
// library and the scale constants only.
#pragma once

#include "analysis/SampleScan.h"
#include "view/ScaleTables.h"

#include <cstdint>

namespace varnilog {

enum class TriggerEdge { Rising, Falling };

// The hysteresis a trigger has unless the user sets another.
inline constexpr double kDefaultHysteresisDivisions = 0.1;
enum class WidthCondition { None, Below, Above };

// A trigger in codes. A rising trigger arms on a code below level - hysteresis and fires on the first
// code at or above level after that; a falling one mirrors it.
struct TriggerSettings {
    TriggerEdge edge = TriggerEdge::Rising;
    double level = 125;                                                  // codes
    double hysteresis = kDefaultHysteresisDivisions * kCodesPerDivision; // codes
    WidthCondition width = WidthCondition::None;
    double widthLimit = 0;    // samples
    std::int64_t holdoff = 0; // samples between the k of two counted events
};

// Whether a level in volts on a channel at a sensitivity index lies within the codes 0..255 the
// channel can show (the level in codes: levelCode, view/SampleCodes.h).
bool triggerLevelInRange(double volts, std::uint8_t sensitivityIndex);
// The hysteresis in codes of a hysteresis in divisions.
double triggerHysteresisCodes(double divisions);

struct TriggerEvent {
    std::int64_t sample = 0; // k: the first sample at (or, falling, at or below) the level
    double position = 0;     // the interpolated crossing, in (k - 1, k]
    bool hasWidth = false;   // a width condition was set: width holds the pulse width
    double width = 0;        // samples
};

class TriggerScanner {
public:
    enum class Phase { Disarmed, Armed, Pulse };

    // from: the index of the first sample the scanner is given.
    TriggerScanner(const TriggerSettings& settings, std::int64_t from);

    // codes[0, n) are the samples nextIndex().. in order; onEvent(const TriggerEvent&) gets each counted
    // event, in order (under a width condition once its pulse has ended).
    template <class Sink> void scan(const std::uint8_t* codes, std::int64_t n, Sink&& onEvent);

    // Whether a block of count samples starting at nextIndex(), whose codes lie in [lo, hi], can change
    // nothing but the arming. If so the scanner moves past it; otherwise nothing changes and the caller
    // scans the block.
    bool skipBlock(std::int64_t count, std::uint8_t lo, std::uint8_t hi);
    // After a skipped block the next scan needs the code of sample nextIndex() - 1 first.
    bool needsPrevious() const { return !previousKnown_; }
    void setPrevious(std::uint8_t code) {
        previous_ = code;
        previousKnown_ = true;
    }

    std::int64_t nextIndex() const { return next_; }
    Phase phase() const { return phase_; }
    std::int64_t counted() const { return counted_; }

private:
    // The first code of codes[0, n) that arms, fires or ends a pulse, or -1.
    std::ptrdiff_t findArm(const std::uint8_t* codes, std::size_t n) const;
    std::ptrdiff_t findFire(const std::uint8_t* codes, std::size_t n) const;
    std::ptrdiff_t findEnd(const std::uint8_t* codes, std::size_t n) const;
    bool countable(std::int64_t k) const { return counted_ == 0 || k >= lastCounted_ + s_.holdoff; }
    bool widthPasses(double width) const;

    TriggerSettings s_;
    bool rising_;
    // Whole-code thresholds: the codes that arm, fire and end a pulse (rising: <= arm, >= fire,
    // <= fire - 1; falling: >= arm, <= fire, >= fire + 1); -1 or 256 when no code does.
    int arm_, fire_;
    std::int64_t next_;
    int previous_ = 0; // the code of sample next_ - 1
    bool previousKnown_ = true;
    Phase phase_ = Phase::Disarmed;
    std::int64_t pulseStart_ = 0; // k of the event whose pulse is open
    double pulsePosition_ = 0;
    std::int64_t lastCounted_ = 0;
    std::int64_t counted_ = 0;
};

template <class Sink> void TriggerScanner::scan(const std::uint8_t* codes, std::int64_t n, Sink&& onEvent) {
    std::int64_t i = 0;
    const double level = s_.level;
    const auto codeAt = [&](std::int64_t j) { return j >= 0 ? static_cast<double>(codes[j]) : previous_; };
    while (i < n) {
        const auto rest = static_cast<std::size_t>(n - i);
        if (phase_ == Phase::Disarmed) {
            const std::ptrdiff_t j = findArm(codes + i, rest);
            if (j < 0)
                break;
            phase_ = Phase::Armed;
            i += j + 1;
        } else if (phase_ == Phase::Armed) {
            const std::ptrdiff_t j = findFire(codes + i, rest);
            if (j < 0)
                break;
            const std::int64_t k = i + j;
            const double before = codeAt(k - 1), at = codes[k];
            TriggerEvent event;
            event.sample = next_ + k;
            event.position = static_cast<double>(event.sample - 1) + (level - before) / (at - before);
            i = k + 1;
            if (s_.width != WidthCondition::None) {
                phase_ = Phase::Pulse;
                pulseStart_ = event.sample;
                pulsePosition_ = event.position;
                continue;
            }
            phase_ = Phase::Disarmed;
            if (countable(event.sample)) {
                lastCounted_ = event.sample;
                ++counted_;
                onEvent(event);
            }
        } else {
            const std::ptrdiff_t j = findEnd(codes + i, rest);
            if (j < 0)
                break;
            const std::int64_t m = i + j;
            const double before = codeAt(m - 1), at = codes[m];
            const double end = static_cast<double>(next_ + m - 1) + (before - level) / (before - at);
            phase_ = Phase::Disarmed;
            i = m; // the sample that ends the pulse may arm again
            TriggerEvent event;
            event.sample = pulseStart_;
            event.position = pulsePosition_;
            event.hasWidth = true;
            event.width = end - pulsePosition_;
            if (widthPasses(event.width) && countable(event.sample)) {
                lastCounted_ = event.sample;
                ++counted_;
                onEvent(event);
            }
        }
    }
    if (n > 0) {
        previous_ = codes[n - 1];
        previousKnown_ = true;
        next_ += n;
    }
}

} // namespace varnilog
