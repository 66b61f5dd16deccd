// The edges of one channel's span, found in one pass over its codes block by block: the hysteresis
// state machine, the mid-level crossing of every edge, the 10 %/90 % crossings that give rise and fall
// times, and the periods between rising edges. The levels lie between the span's reference codes
// (analysis/ReferenceLevels.h), so a pass must have counted them first. Depends on the C++ library only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace varnilog {

// The levels of a span whose low and high reference codes are lo and hi (its codes may lie beyond
// them). Each level has the code that decides it on whole codes (s >= upper is s >= upperCode),
// found with the same double comparisons as the levels.
struct EdgeLevels {
    double mid = 0, upper = 0, lower = 0, l10 = 0, l90 = 0;
    std::uint8_t upperCode = 0;    // smallest code >= upper: rising edge, state high
    std::uint8_t lowerCode = 0;    // largest code <= lower: falling edge, state low
    std::uint8_t belowMidCode = 0; // largest code < mid
    std::uint8_t aboveMidCode = 0; // smallest code > mid
    std::uint8_t l10Code = 0;      // largest code <= l10
    std::uint8_t l90Code = 0;      // smallest code >= l90

    // No levels (and so no edges) when hi - lo < 4.
    static std::optional<EdgeLevels> of(std::uint8_t lo, std::uint8_t hi);
};

// One full period: from a rising edge to the next, times in samples from the span's first sample.
struct PeriodSpan {
    double start = 0;
    double end = 0;
    double fall = 0;             // the falling edge between them
    std::uint8_t lo = 0, hi = 0; // smallest and largest code of the period's samples
};

struct EdgeSummary {
    std::int64_t risingEdges = 0;
    double firstRise = 0, lastRise = 0; // samples from the span's first sample
    double highTime = 0;                // sum of (fall - rise) over the full periods, samples
    // Rising edges with a 10 % crossing after the falling edge before them and a 90 % crossing
    // before the falling edge after them: a rise is timed within its own half-periods only.
    std::int64_t riseTimes = 0;
    double riseSum = 0; // samples
    std::int64_t fallTimes = 0;
    double fallSum = 0;
};

class EdgeScanner {
public:
    // from: the span's first sample. periodDone, when set, gets every full period as it closes, with
    // its smallest and largest code unless extremes is false (then lo and hi are 255 and 0: a pass
    // over every period's codes saved).
    EdgeScanner(const EdgeLevels& levels, std::int64_t from,
                std::function<void(const PeriodSpan&)> periodDone = {}, bool extremes = true);

    // codes[0, count) are the samples blockStart.., in order after the previous block; the two codes
    // before codes[0] must be readable when they lie inside the span (the end of the previous block).
    // last: no block follows.
    void scan(const std::uint8_t* codes, std::int64_t blockStart, std::int64_t count, bool last);
    const EdgeSummary& summary() const { return summary_; }

private:
    enum class State { Unknown, Low, High };
    // The last sample found so far with a property, and the one after it.
    struct Mark {
        std::int64_t index = -1;
        std::uint8_t at = 0, next = 0;
    };

    std::uint8_t code(std::int64_t i) const { return codes_[i - blockStart_]; }
    double time(std::int64_t i) const { return static_cast<double>(i - from_); }
    void mark(Mark& m, std::int64_t i) const;
    // Everything about samples [lo, hi] that later edges need; trackers only when their next sample is
    // readable.
    void closeRange(std::int64_t lo, std::int64_t hi, bool updateMarks);
    void extendPeriod(std::int64_t lo, std::int64_t hi);
    void risingEdge();
    void fallingEdge();

    EdgeLevels levels_;
    std::int64_t from_;
    std::function<void(const PeriodSpan&)> periodDone_;
    bool extremes_ = true;
    const std::uint8_t* codes_ = nullptr;
    std::int64_t blockStart_ = 0;

    State state_ = State::Unknown;
    std::int64_t next_;      // first sample not yet searched for a state change
    std::int64_t scanFloor_; // first sample not yet closed
    Mark belowMid_, aboveMid_, atMost10_, atLeast90_;
    // The near crossing (10 % of a rise, 90 % of a fall) of the edge of this stretch that still waits
    // for its far one; the next edge ends the wait.
    std::optional<double> riseFrom_, fallFrom_;
    double lastFall_ = 0;
    bool inPeriod_ = false;
    std::uint8_t periodLo_ = 255, periodHi_ = 0;
    EdgeSummary summary_;
};

} // namespace varnilog
