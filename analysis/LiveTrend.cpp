#include "analysis/LiveTrend.h"

#include <algorithm>

namespace varnilog {

namespace {

std::optional<double> lesser(std::optional<double> a, std::optional<double> b) {
    return a && b ? std::min(*a, *b) : (a ? a : b);
}

std::optional<double> greater(std::optional<double> a, std::optional<double> b) {
    return a && b ? std::max(*a, *b) : (a ? a : b);
}

} // namespace

LiveTrend::LiveTrend(std::size_t columns) : columns_(std::max<std::size_t>(columns / 2 * 2, 2)) {}

void LiveTrend::clear() {
    used_ = 0;
    perColumn_ = 1;
    inLast_ = 0;
    points_ = 0;
    above_ = below_ = {};
    closedCount_ = 0;
    violations_ = 0;
    stats_ = {};
}

int LiveTrend::setLimits(const TrendLimits& limits) {
    const int closed = finish();
    limits_ = limits;
    return closed;
}

void LiveTrend::merge() {
    // Pairs of columns become one: the columns stay evenly filled, each with twice the points.
    for (std::size_t i = 0; i < used_ / 2; ++i) {
        const Column& a = columns_[2 * i];
        const Column& b = columns_[2 * i + 1];
        columns_[i] = {a.start, b.end, lesser(a.min, b.min), greater(a.max, b.max)};
    }
    used_ /= 2;
    perColumn_ *= 2;
}

bool LiveTrend::follow(Run& run, const TrendPoint& point, std::optional<double> limit, bool above) {
    if (!limit)
        return false;
    if (point.value && (above ? *point.value > *limit : *point.value < *limit)) {
        if (!run.open)
            run = {true, {point.start, point.end, *point.value, above}};
        run.v.end = point.end;
        run.v.extreme = above ? std::max(run.v.extreme, *point.value) : std::min(run.v.extreme, *point.value);
        return false;
    }
    if (!run.open)
        return false;
    run.open = false;
    closed_[closedCount_++] = run.v;
    ++violations_;
    return true;
}

int LiveTrend::add(const TrendPoint& point) {
    closedCount_ = 0;
    ++points_;
    stats_.add(point.value);
    if (used_ > 0 && inLast_ < perColumn_) {
        Column& last = columns_[used_ - 1];
        last.end = point.end;
        last.min = lesser(last.min, point.value);
        last.max = greater(last.max, point.value);
        ++inLast_;
    } else {
        if (used_ == columns_.size())
            merge();
        columns_[used_++] = {point.start, point.end, point.value, point.value};
        inLast_ = 1;
    }
    follow(above_, point, limits_.above, true);
    follow(below_, point, limits_.below, false);
    return closedCount_;
}

int LiveTrend::finish() {
    closedCount_ = 0;
    // A null point closes whatever is open.
    const TrendPoint end{0, 0, std::nullopt};
    follow(above_, end, limits_.above, true);
    follow(below_, end, limits_.below, false);
    return closedCount_;
}

} // namespace varnilog
