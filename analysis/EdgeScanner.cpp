#include "analysis/EdgeScanner.h"

#include "analysis/SampleScan.h"
#include "recording/CodeRange.h"

#include <algorithm>

namespace varnilog {

std::optional<EdgeLevels> EdgeLevels::of(std::uint8_t lo, std::uint8_t hi) {
    if (hi < lo || hi - lo < 4)
        return std::nullopt;
    EdgeLevels l;
    const double range = static_cast<double>(hi - lo);
    l.mid = (static_cast<double>(hi) + lo) / 2;
    const double h = 0.1 * range;
    l.upper = l.mid + h;
    l.lower = l.mid - h;
    l.l10 = lo + 0.1 * range;
    l.l90 = lo + 0.9 * range;
    // Every level lies strictly between lo and hi, so each search below ends inside lo..hi.
    const auto smallestAtLeast = [&](auto test) {
        int c = lo;
        while (!test(static_cast<double>(c)))
            ++c;
        return static_cast<std::uint8_t>(c);
    };
    const auto largestAtMost = [&](auto test) {
        int c = hi;
        while (!test(static_cast<double>(c)))
            --c;
        return static_cast<std::uint8_t>(c);
    };
    l.upperCode = smallestAtLeast([&](double s) { return s >= l.upper; });
    l.lowerCode = largestAtMost([&](double s) { return s <= l.lower; });
    l.belowMidCode = largestAtMost([&](double s) { return s < l.mid; });
    l.aboveMidCode = smallestAtLeast([&](double s) { return s > l.mid; });
    l.l10Code = largestAtMost([&](double s) { return s <= l.l10; });
    l.l90Code = smallestAtLeast([&](double s) { return s >= l.l90; });
    return l;
}

EdgeScanner::EdgeScanner(const EdgeLevels& levels, std::int64_t from,
                         std::function<void(const PeriodSpan&)> periodDone, bool extremes)
    : levels_(levels), from_(from), periodDone_(std::move(periodDone)), extremes_(extremes), next_(from),
      scanFloor_(from) {}

void EdgeScanner::mark(Mark& m, std::int64_t i) const {
    m.index = i;
    m.at = code(i);
    m.next = code(i + 1);
}

void EdgeScanner::closeRange(std::int64_t lo, std::int64_t hi, bool updateMarks) {
    // All of [lo, hi] lies in the current state, which rules out half of the searches: below the upper
    // level (state low) no code reaches 90 %, above the lower level no code reaches 10 %. A mark of
    // the other side is not needed either: the next stretch starts with its edge sample, which has it.
    if (lo > hi || state_ == State::Unknown)
        return;
    const std::uint8_t* p = codes_ + (lo - blockStart_);
    const auto n = static_cast<std::size_t>(hi - lo + 1);
    if (state_ == State::High) {
        if (riseFrom_) {
            if (const std::ptrdiff_t f = firstAtLeast(p, n, levels_.l90Code); f >= 0) {
                const std::int64_t b = lo + f;
                const double before = code(b - 1);
                summary_.riseSum += time(b - 1) + (levels_.l90 - before) / (code(b) - before) - *riseFrom_;
                ++summary_.riseTimes;
                riseFrom_.reset();
            }
        }
        if (!updateMarks)
            return;
        if (const std::ptrdiff_t f = lastAtLeast(p, n, levels_.aboveMidCode); f >= 0)
            mark(aboveMid_, lo + f);
        if (const std::ptrdiff_t f = lastAtLeast(p, n, levels_.l90Code); f >= 0)
            mark(atLeast90_, lo + f);
        return;
    }
    if (fallFrom_) {
        if (const std::ptrdiff_t f = firstAtMost(p, n, levels_.l10Code); f >= 0) {
            const std::int64_t b = lo + f;
            const double before = code(b - 1);
            summary_.fallSum += time(b - 1) + (before - levels_.l10) / (before - code(b)) - *fallFrom_;
            ++summary_.fallTimes;
            fallFrom_.reset();
        }
    }
    if (!updateMarks)
        return;
    if (const std::ptrdiff_t f = lastAtMost(p, n, levels_.belowMidCode); f >= 0)
        mark(belowMid_, lo + f);
    if (const std::ptrdiff_t f = lastAtMost(p, n, levels_.l10Code); f >= 0)
        mark(atMost10_, lo + f);
}

void EdgeScanner::extendPeriod(std::int64_t lo, std::int64_t hi) {
    if (extremes_ && lo <= hi)
        extendRange(codes_ + (lo - blockStart_), static_cast<std::size_t>(hi - lo + 1), periodLo_, periodHi_);
}

void EdgeScanner::risingEdge() {
    // State low was entered at a code <= lower < mid, so the mark lies in this low stretch.
    const Mark& j = belowMid_;
    const double t = time(j.index) + (levels_.mid - j.at) / (j.next - j.at);
    // A 10 % mark is one of this low stretch: the falling edge that began it cleared the older one.
    if (atMost10_.index >= 0) {
        const Mark& a = atMost10_;
        riseFrom_ = time(a.index) + (levels_.l10 - a.at) / (a.next - a.at);
    }
    // A fall still short of its 10 % level by now never reached it in its own half-period.
    fallFrom_.reset();
    atLeast90_ = {};
    if (summary_.risingEdges == 0) {
        summary_.firstRise = t;
    } else {
        summary_.highTime += lastFall_ - summary_.lastRise;
    }
    if (periodDone_) {
        if (inPeriod_) {
            extendPeriod(scanFloor_, j.index);
            periodDone_({summary_.lastRise, t, lastFall_, periodLo_, periodHi_});
        }
        // The samples between the mid crossing and this edge lie between the mid and the upper level,
        // inside the codes of the edge and of the falling edge to come: they cannot be the period's
        // extremes (and may lie in a block gone by).
        inPeriod_ = true;
        periodLo_ = 255;
        periodHi_ = 0;
    }
    summary_.lastRise = t;
    ++summary_.risingEdges;
}

void EdgeScanner::fallingEdge() {
    const Mark& j = aboveMid_;
    lastFall_ = time(j.index) + (j.at - levels_.mid) / (j.at - j.next);
    if (atLeast90_.index >= 0) {
        const Mark& a = atLeast90_;
        fallFrom_ = time(a.index) + (a.at - levels_.l90) / (a.at - a.next);
    }
    riseFrom_.reset();
    atMost10_ = {};
}

void EdgeScanner::scan(const std::uint8_t* codes, std::int64_t blockStart, std::int64_t count, bool last) {
    codes_ = codes;
    blockStart_ = blockStart;
    const std::int64_t blockEnd = blockStart + count;
    std::int64_t pos = std::max(next_, blockStart);
    while (pos < blockEnd) {
        const std::uint8_t* p = codes + (pos - blockStart);
        const auto n = static_cast<std::size_t>(blockEnd - pos);
        std::ptrdiff_t f = -1;
        if (state_ == State::Low) {
            f = firstAtLeast(p, n, levels_.upperCode);
        } else if (state_ == State::High) {
            f = firstAtMost(p, n, levels_.lowerCode);
        } else {
            const std::ptrdiff_t up = firstAtLeast(p, n, levels_.upperCode);
            const std::ptrdiff_t down = firstAtMost(p, n, levels_.lowerCode);
            f = up < 0 ? down : (down < 0 ? up : std::min(up, down));
        }
        if (f < 0)
            break;
        const std::int64_t k = pos + f;
        closeRange(scanFloor_, k - 1, true);
        if (state_ == State::Low) {
            risingEdge();
            state_ = State::High;
        } else {
            if (inPeriod_)
                extendPeriod(scanFloor_, k - 1);
            if (state_ == State::High)
                fallingEdge();
            state_ = code(k) >= levels_.upperCode ? State::High : State::Low;
        }
        scanFloor_ = k;
        pos = k + 1;
    }
    next_ = blockEnd;
    // The last sample of a block stays open: its successor, which a mark needs, comes with the next block.
    const std::int64_t closeTo = last ? blockEnd - 1 : blockEnd - 2;
    if (closeTo >= scanFloor_) {
        closeRange(scanFloor_, closeTo, !last);
        if (inPeriod_)
            extendPeriod(scanFloor_, closeTo);
        scanFloor_ = closeTo + 1;
    }
}

} // namespace varnilog
