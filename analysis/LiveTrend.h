// The strip chart of one measurement while sampling: one point per frame measured, kept for the whole
// recording in a fixed number of columns. While the points fit, a column holds one point; when the
// columns are full, neighbours are merged in pairs (their min and max), so a column then holds 2, 4,
// 8 … points and the memory never grows. The runs beyond the limits are found as the points come, the
// same runs trendViolations finds in the same points. Everything is allocated when it is made; adding
// allocates nothing. Depends on the trend.
#pragma once

#include "analysis/Trend.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varnilog {

class LiveTrend {
public:
    // Of the points of [start, end) in samples; min and max empty when every point was null.
    struct Column {
        double start = 0, end = 0;
        std::optional<double> min, max;
        friend bool operator==(const Column&, const Column&) = default;
    };

    static constexpr std::size_t kDefaultColumns = 4096;
    explicit LiveTrend(std::size_t columns = kDefaultColumns);

    // A new recording: no points, no runs, the same limits.
    void clear();
    // Limits for the points to come; a run open now is closed first (returns how many, as add does).
    int setLimits(const TrendLimits& limits);
    const TrendLimits& limits() const { return limits_; }

    // The next point, after those added before. Returns how many runs beyond a limit it closed (0 .. 2),
    // which closedRun(0) .. closedRun(n - 1) then give.
    int add(const TrendPoint& point);
    // The runs still open become violations too (at the stop); returns how many, as add does.
    int finish();
    const TrendViolation& closedRun(int i) const { return closed_[static_cast<std::size_t>(i)]; }

    const Column* columns() const { return columns_.data(); }
    std::size_t columnCount() const { return used_; }
    std::size_t capacity() const { return columns_.size(); }
    // Points per full column: 1, 2, 4 …
    std::int64_t pointsPerColumn() const { return perColumn_; }
    std::int64_t pointCount() const { return points_; }
    std::int64_t violationCount() const { return violations_; }
    // Of every point added since clear().
    TrendStatistics statistics() const { return stats_.statistics(); }

private:
    struct Run {
        bool open = false;
        TrendViolation v;
    };
    void merge();
    // Extends run with point when it lies beyond the limit, else closes it; true when it closed.
    bool follow(Run& run, const TrendPoint& point, std::optional<double> limit, bool above);

    std::vector<Column> columns_;
    std::size_t used_ = 0;
    std::int64_t perColumn_ = 1;
    std::int64_t inLast_ = 0; // points in the last column
    std::int64_t points_ = 0;
    TrendLimits limits_;
    Run above_, below_;
    TrendViolation closed_[2];
    int closedCount_ = 0;
    std::int64_t violations_ = 0;
    RunningStatistics stats_;
};

} // namespace varnilog
