// The trend of one measurement of one channel over a span: its value per interval of N samples
// (exactly as the measurements give it for that interval) or per full period, the statistics of those
// values, and the runs of values beyond a limit. The window and the command line call the same
// functions. Depends on QtCore and the measurements.
#pragma once

#include "analysis/MeasurementText.h"
#include "analysis/Measurements.h"
#include "app/WorkProgress.h"
#include "recording/MarkerFile.h"

#include <QString>
#include <QStringView>

#include <array>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varnilog {

// The measurements a trend can follow: the first kTrendMeasureCount fields of kMeasurementFields.
inline constexpr std::size_t kTrendMeasureCount = 11;

// The index in kMeasurementFields of a measurement named by its key ("frequency"), or empty.
std::optional<std::size_t> trendMeasureOf(QStringView key);
// max, min, period, frequency and duty have a value for every period.
bool hasPerPeriodForm(std::size_t measure);

struct TrendRequest {
    MeasureRequest span; // the recording's files and settings, from and to
    int channel = 0;
    std::size_t measure = 6;   // index in kMeasurementFields
    std::int64_t interval = 0; // samples per point; 0: one point per full period
};

// A point covers [start, end) in samples from the start of the recording (fractional for a period).
struct TrendPoint {
    double start = 0;
    double end = 0;
    std::optional<double> value;
    friend bool operator==(const TrendPoint&, const TrendPoint&) = default;
};

struct TrendResult {
    bool ok = true;
    bool cancelled = false;
    QString error;
    std::vector<TrendPoint> points;
};

// The points of the request; progress as measureSpan reports it.
TrendResult computeTrend(const TrendRequest& request, const WorkProgress& progress = {});

// Of the values that are not empty; every figure empty when there are none. sd: the population's.
struct TrendStatistics {
    std::int64_t count = 0;
    std::optional<double> min, max, mean, sd;
};
TrendStatistics trendStatistics(const std::vector<TrendPoint>& points);

// The statistics of values that come one at a time (frame after frame, interval after interval): the
// count, min, max and mean exactly as trendStatistics gives them for the same values in the same order,
// the deviation from running sums of the deviations (Welford's), so nothing is kept per value.
class RunningStatistics {
public:
    void add(std::optional<double> value);
    TrendStatistics statistics() const;

private:
    std::int64_t count_ = 0;
    double min_ = 0, max_ = 0, sum_ = 0, mean_ = 0, squares_ = 0;
};

// The statistics of every measurement of every channel of a span over its intervals of N samples:
// what trendStatistics gives for the trends of each (the deviation as RunningStatistics has it), all
// in one pass per channel. channels[c][i] belongs to kMeasurementFields[i].
struct IntervalStatistics {
    bool ok = true;
    bool cancelled = false;
    QString error;
    std::array<bool, kChannels> measured{};
    std::array<std::array<TrendStatistics, kMeasurementFields.size()>, kChannels> channels{};
};
IntervalStatistics intervalStatistics(const MeasureRequest& span, std::int64_t interval,
                                      const WorkProgress& progress = {});

struct TrendLimits {
    std::optional<double> above, below;
};

// A run of consecutive points all beyond one limit: from its first point's start to its last point's
// end, with its largest (above) or smallest (below) value.
struct TrendViolation {
    double start = 0;
    double end = 0;
    double extreme = 0;
    bool above = true;
    friend bool operator==(const TrendViolation&, const TrendViolation&) = default;
};

// The violations of every limit given, in order of their start.
std::vector<TrendViolation> trendViolations(const std::vector<TrendPoint>& points, const TrendLimits& limits);

// The points as "start;end;start_time;value" lines after that header line: numbers in the shortest
// form that reads back as the same double, the start's time as the status bar shows it, nothing for
// no value.
QByteArray trendCsv(const std::vector<TrendPoint>& points, float samplingPeriodMs);

// The markers of the violations: ranges of the kind przekroczenie over the samples they touch, each
// labelled with the measurement, the limit and the extreme ("frequency > 1000: 1234.5").
std::vector<Marker> violationMarkers(const std::vector<TrendViolation>& violations, std::size_t measure,
                                     const TrendLimits& limits);

} // namespace varnilog
