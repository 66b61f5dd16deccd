#include "analysis/Trend.h"

#include "analysis/ReferenceLevels.h"
#include "recording/FileIdentity.h"
#include "recording/MappedSpan.h"
#include "recording/RecordingLoader.h"
#include "view/ElapsedTime.h"
#include "view/SampleCodes.h"
#include "view/ScaleTables.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace varnilog {

namespace {

// Progress is told at most once per this many samples: a trend of 2-sample points would otherwise
// spend its time reporting.
constexpr std::int64_t kProgressStep = 1 << 20;

// Reads count codes at first of file into buffer; false with error set when it cannot.
bool readCodes(QFile& file, std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& buffer,
               QString& error) {
    buffer.resize(static_cast<std::size_t>(count));
    if (!file.seek(first)) {
        error = file.errorString();
        return false;
    }
    for (std::int64_t got = 0; got < count;) {
        const qint64 n = file.read(reinterpret_cast<char*>(buffer.data() + got), count - got);
        if (n <= 0) {
            error = n < 0 ? file.errorString() : QStringLiteral("the file ended early");
            return false;
        }
        got += n;
    }
    return true;
}

// How a pass over a channel's intervals ended.
struct Pass {
    bool ok = true;
    bool cancelled = false;
    QString error;
};

// The samples of a channel's span that its file holds: [from, end).
struct Reach {
    std::int64_t from = 0, end = 0;
};

// The part of the span the channel's file holds, for the progress's total.
Reach reachOf(const MeasureRequest& span, std::size_t channel) {
    const std::int64_t from = std::max<std::int64_t>(span.from, 0);
    return {from, std::max(from, std::min(span.to, identityOf(span.sampleFiles[channel]).size))};
}

// One pass over the span: each interval is measured while it is still in the cache, with the same
// function that measures a live frame, which gives what the file's measurement gives; each interval
// counts only the tails of codes its predecessor's reference codes came from. use(first, count, m)
// gets every interval in order; done counts the samples passed for the progress, out of total.
template <typename Use>
Pass forEachInterval(const MeasureRequest& span, std::size_t channel, std::int64_t n,
                     const WorkProgress& progress, std::int64_t& done, std::int64_t total, Use use) {
    Pass pass;
    const auto fail = [&](const QString& why) {
        pass.ok = false;
        pass.error = QStringLiteral("%1: %2").arg(span.sampleFiles[channel], why);
        return pass;
    };
    QFile file;
    if (!openSetFileForReading(file, span.sampleFiles[channel]))
        return fail(file.errorString());
    const FileIdentity here = identityOf(file.handle());
    if (span.sampleIdentity[channel].exists() && !span.sampleIdentity[channel].sameFile(here))
        return fail(QStringLiteral("the recording changed while it was read"));
    const std::int64_t from = std::max<std::int64_t>(span.from, 0);
    const std::int64_t end = std::min(span.to, here.size);
    if (end - from < 2)
        return pass;
    const MappedSpan mapped(file.handle(), from, end - from);
    std::vector<std::uint8_t> buffer;
    const std::uint8_t sensitivity = span.channelSensitivity[channel];
    ChannelMeasurements m;
    TailHint tails;
    std::int64_t told = done;
    for (std::int64_t first = from; end - first >= 2; first += n) {
        const std::int64_t count = std::min(n, end - first);
        const std::uint8_t* codes = nullptr;
        if (mapped.valid()) {
            codes = mapped.data() + (first - from);
        } else {
            QString error;
            if (!readCodes(file, first, count, buffer, error))
                return fail(error);
            codes = buffer.data();
        }
        measureCodes(codes, count, sensitivity, span.samplingPeriodMs, m, tails);
        use(first, count, m);
        done += count;
        if (progress && (done - told >= kProgressStep || first + count >= end - 1)) {
            told = done;
            if (!progress(done, total)) {
                pass.ok = false;
                pass.cancelled = true;
                return pass;
            }
        }
    }
    if (mapped.valid() && mapped.damaged())
        return fail(QStringLiteral("the recording changed while it was read"));
    return pass;
}

TrendResult intervalTrend(const TrendRequest& request, const WorkProgress& progress) {
    TrendResult result;
    const auto channel = static_cast<std::size_t>(request.channel);
    const Reach reach = reachOf(request.span, channel);
    const std::int64_t n = request.interval;
    result.points.reserve(static_cast<std::size_t>((reach.end - reach.from + n - 1) / n));
    const MeasurementField& field = kMeasurementFields[request.measure];
    std::int64_t done = 0;
    const Pass pass =
        forEachInterval(request.span, channel, n, progress, done, reach.end - reach.from,
                        [&](std::int64_t first, std::int64_t count, const ChannelMeasurements& m) {
                            result.points.push_back({static_cast<double>(first),
                                                     static_cast<double>(first + count), field.value(m)});
                        });
    if (!pass.ok) {
        result = {false, pass.cancelled, pass.error, {}};
    }
    return result;
}

std::optional<double> periodValue(const PeriodRecord& p, std::string_view key, std::uint8_t sensitivity,
                                  float samplingPeriodMs) {
    const double periodMs = p.length * static_cast<double>(samplingPeriodMs);
    if (key == "max")
        return codeVolts(p.hi, sensitivity);
    if (key == "min")
        return codeVolts(p.lo, sensitivity);
    if (key == "frequency")
        return 1000.0 / periodMs;
    if (key == "period")
        return periodMs;
    if (key == "duty")
        return p.high / p.length;
    return std::nullopt;
}

// Tens of megabytes of points fault in a page at a time otherwise, which costs more than the edges.
void adviseLargePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

// The periods the per-period listing of the measurements gives, one point each.
TrendResult listedPeriodTrend(const TrendRequest& request, const WorkProgress& progress) {
    MeasureRequest span = request.span;
    for (int c = 0; c < kChannels; ++c)
        if (c != request.channel)
            span.sampleFiles[static_cast<std::size_t>(c)].clear();
    const std::uint8_t sensitivity = span.channelSensitivity[static_cast<std::size_t>(request.channel)];
    TrendResult result;
    const MeasureResult measured = measureSpan(span, progress, [&](const PeriodRecord& p) {
        // Periods follow each other: one ends where the next begins, to the last bit.
        if (!result.points.empty())
            result.points.back().end = p.start;
        result.points.push_back(
            {p.start, p.start + p.length,
             periodValue(p, kMeasurementFields[request.measure].key, sensitivity, span.samplingPeriodMs)});
    });
    if (!measured.ok) {
        result.ok = false;
        result.cancelled = measured.cancelled;
        result.error = measured.error;
        result.points.clear();
    }
    return result;
}

// The same points as listedPeriodTrend, from one mapping of the file: the reference codes from its
// tails alone (the listing's sums are not needed), then one edge pass into the points, with the
// periods' extremes only when they are the values. A file that cannot be mapped takes the listing.
TrendResult periodTrend(const TrendRequest& request, const WorkProgress& progress) {
    TrendResult result;
    const auto channel = static_cast<std::size_t>(request.channel);
    const MeasureRequest& span = request.span;
    const auto fail = [&](const QString& why) {
        result.ok = false;
        result.error = QStringLiteral("%1: %2").arg(span.sampleFiles[channel], why);
        result.points.clear();
        return result;
    };
    QFile file;
    if (!openSetFileForReading(file, span.sampleFiles[channel]))
        return fail(file.errorString());
    const FileIdentity here = identityOf(file.handle());
    if (span.sampleIdentity[channel].exists() && !span.sampleIdentity[channel].sameFile(here))
        return fail(QStringLiteral("the recording changed while it was read"));
    const std::int64_t from = std::max<std::int64_t>(span.from, 0);
    const std::int64_t end = std::min(span.to, here.size);
    if (end <= from)
        return result;
    const MappedSpan mapped(file.handle(), from, end - from);
    if (!mapped.valid())
        return listedPeriodTrend(request, progress);
    const std::int64_t total = 2 * (end - from);
    std::int64_t done = 0;
    const auto cancelled = [&](std::int64_t samples) {
        done += samples;
        if (!progress || progress(done, total))
            return false;
        result.ok = false;
        result.cancelled = true;
        result.points.clear();
        return true;
    };
    // Blocks as the measurements read them: the tally keeps only the tails after its first block.
    constexpr std::int64_t kTallyBlock = 1 << 16;
    constexpr std::int64_t kScanBlock = 1 << 20;
    ReferenceTally tally;
    for (std::int64_t first = from; first < end; first += kTallyBlock) {
        const std::int64_t n = std::min(kTallyBlock, end - first);
        tally.add(mapped.data() + (first - from), static_cast<std::size_t>(n));
        if ((first - from) % kScanBlock == 0 && cancelled(std::min(kScanBlock, end - first)))
            return result;
    }
    std::optional<ReferenceCodes> reference = tally.codes();
    if (!reference) {
        ReferenceTally every(false);
        every.add(mapped.data(), static_cast<std::size_t>(end - from));
        reference = every.codes();
    }
    const std::optional<EdgeLevels> levels = EdgeLevels::of(reference->low, reference->high);
    if (!levels)
        return result;
    const std::string_view key = kMeasurementFields[request.measure].key;
    const std::uint8_t sensitivity = span.channelSensitivity[channel];
    std::vector<TrendPoint>& points = result.points;
    const auto period = [&](const PeriodSpan& p) {
        const PeriodRecord record{request.channel,
                                  static_cast<double>(from) + p.start,
                                  p.end - p.start,
                                  p.fall - p.start,
                                  p.lo,
                                  p.hi};
        if (!points.empty())
            points.back().end = record.start;
        // Room for the rest at the rate of the first periods, once: growing by copies costs more than
        // the pass, and room never touched costs nothing.
        if (points.size() == 1024 && p.end > 0) {
            points.reserve(points.size() +
                           static_cast<std::size_t>(1.25 * static_cast<double>(end - from) / p.end * 1024));
            adviseLargePages(points.data(), points.capacity() * sizeof(TrendPoint));
        }
        points.push_back({record.start, record.start + record.length,
                          periodValue(record, key, sensitivity, span.samplingPeriodMs)});
    };
    EdgeScanner scanner(*levels, from, period, key == "max" || key == "min");
    for (std::int64_t first = from; first < end; first += kScanBlock) {
        const std::int64_t n = std::min(kScanBlock, end - first);
        scanner.scan(mapped.data() + (first - from), first, n, first + n == end);
        if (cancelled(n))
            return result;
    }
    if (mapped.damaged())
        return fail(QStringLiteral("the recording changed while it was read"));
    return result;
}

} // namespace

std::optional<std::size_t> trendMeasureOf(QStringView key) {
    for (std::size_t i = 0; i < kTrendMeasureCount; ++i)
        if (key == QLatin1String(kMeasurementFields[i].key))
            return i;
    return std::nullopt;
}

bool hasPerPeriodForm(std::size_t measure) {
    if (measure >= kTrendMeasureCount)
        return false;
    const std::string_view key = kMeasurementFields[measure].key;
    return key == "max" || key == "min" || key == "frequency" || key == "period" || key == "duty";
}

TrendResult computeTrend(const TrendRequest& request, const WorkProgress& progress) {
    const bool known = request.channel >= 0 &&
                       request.channel < std::min(request.span.channelCount, kChannels) &&
                       !request.span.sampleFiles[static_cast<std::size_t>(request.channel)].isEmpty();
    if (!known)
        return {
            false,
            false,
            QStringLiteral("channel %1 has no samples")
                .arg(QChar(
                    channelName[static_cast<std::size_t>(std::clamp(request.channel, 0, kChannels - 1))])),
            {}};
    if (request.measure >= kTrendMeasureCount || request.interval == 1 || request.interval < 0 ||
        (request.interval == 0 && !hasPerPeriodForm(request.measure)))
        return {false, false, QStringLiteral("no such trend"), {}};
    return request.interval > 0 ? intervalTrend(request, progress) : periodTrend(request, progress);
}

TrendStatistics trendStatistics(const std::vector<TrendPoint>& points) {
    TrendStatistics s;
    double sum = 0;
    for (const TrendPoint& p : points) {
        if (!p.value)
            continue;
        ++s.count;
        sum += *p.value;
        s.min = s.min ? std::min(*s.min, *p.value) : *p.value;
        s.max = s.max ? std::max(*s.max, *p.value) : *p.value;
    }
    if (s.count == 0)
        return s;
    s.mean = sum / static_cast<double>(s.count);
    // From the deviations of the mean: the sums of squares would cancel for a steady value.
    double squares = 0;
    for (const TrendPoint& p : points)
        if (p.value)
            squares += (*p.value - *s.mean) * (*p.value - *s.mean);
    s.sd = std::sqrt(squares / static_cast<double>(s.count));
    return s;
}

void RunningStatistics::add(std::optional<double> value) {
    if (!value)
        return;
    const double v = *value;
    ++count_;
    sum_ += v;
    min_ = count_ == 1 ? v : std::min(min_, v);
    max_ = count_ == 1 ? v : std::max(max_, v);
    const double delta = v - mean_;
    mean_ += delta / static_cast<double>(count_);
    squares_ += delta * (v - mean_);
}

TrendStatistics RunningStatistics::statistics() const {
    TrendStatistics s;
    s.count = count_;
    if (count_ == 0)
        return s;
    s.min = min_;
    s.max = max_;
    s.mean = sum_ / static_cast<double>(count_);
    s.sd = std::sqrt(std::max(squares_, 0.0) / static_cast<double>(count_));
    return s;
}

IntervalStatistics intervalStatistics(const MeasureRequest& span, std::int64_t interval,
                                      const WorkProgress& progress) {
    IntervalStatistics result;
    if (interval < 2) {
        result.ok = false;
        result.error = QStringLiteral("no such trend");
        return result;
    }
    const int channels = std::clamp(span.channelCount, 0, kChannels);
    std::int64_t total = 0;
    for (int c = 0; c < channels; ++c)
        if (!span.sampleFiles[static_cast<std::size_t>(c)].isEmpty()) {
            const Reach reach = reachOf(span, static_cast<std::size_t>(c));
            total += reach.end - reach.from;
        }
    std::int64_t done = 0;
    for (int c = 0; c < channels; ++c) {
        const auto channel = static_cast<std::size_t>(c);
        if (span.sampleFiles[channel].isEmpty())
            continue;
        result.measured[channel] = true;
        std::array<RunningStatistics, kMeasurementFields.size()> running;
        const Pass pass = forEachInterval(span, channel, interval, progress, done, total,
                                          [&](std::int64_t, std::int64_t, const ChannelMeasurements& m) {
                                              for (std::size_t i = 0; i < running.size(); ++i)
                                                  running[i].add(kMeasurementFields[i].value(m));
                                          });
        if (!pass.ok) {
            result.ok = false;
            result.cancelled = pass.cancelled;
            result.error = pass.error;
            return result;
        }
        for (std::size_t i = 0; i < running.size(); ++i)
            result.channels[channel][i] = running[i].statistics();
    }
    return result;
}

std::vector<TrendViolation> trendViolations(const std::vector<TrendPoint>& points,
                                            const TrendLimits& limits) {
    std::vector<TrendViolation> found;
    const auto runsOf = [&](double limit, bool above) {
        std::optional<TrendViolation> run;
        for (const TrendPoint& p : points) {
            if (p.value && (above ? *p.value > limit : *p.value < limit)) {
                if (!run)
                    run = TrendViolation{p.start, p.end, *p.value, above};
                run->end = p.end;
                run->extreme = above ? std::max(run->extreme, *p.value) : std::min(run->extreme, *p.value);
            } else if (run) {
                found.push_back(*run);
                run.reset();
            }
        }
        if (run)
            found.push_back(*run);
    };
    if (limits.above)
        runsOf(*limits.above, true);
    if (limits.below)
        runsOf(*limits.below, false);
    std::stable_sort(found.begin(), found.end(),
                     [](const TrendViolation& a, const TrendViolation& b) { return a.start < b.start; });
    return found;
}

QByteArray trendCsv(const std::vector<TrendPoint>& points, float samplingPeriodMs) {
    const auto number = [](double value) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof(text), value).ptr;
        return QByteArray(text, static_cast<qsizetype>(end - text));
    };
    QByteArray out = "start;end;start_time;value\n";
    for (const TrendPoint& p : points)
        out += number(p.start) + ';' + number(p.end) + ';' +
               sampleTimeText(p.start, samplingPeriodMs).toLatin1() + ';' +
               (p.value ? number(*p.value) : QByteArray()) + '\n';
    return out;
}

std::vector<Marker> violationMarkers(const std::vector<TrendViolation>& violations, std::size_t measure,
                                     const TrendLimits& limits) {
    std::vector<Marker> markers;
    markers.reserve(violations.size());
    const QString key = QString::fromLatin1(kMeasurementFields[measure].key);
    for (const TrendViolation& v : violations) {
        const auto start = static_cast<std::int64_t>(std::floor(v.start));
        const auto end = std::max(static_cast<std::int64_t>(std::ceil(v.end)), start + 1);
        const double limit = v.above ? limits.above.value_or(0) : limits.below.value_or(0);
        markers.push_back({start, end, MarkerKind::Przekroczenie,
                           QStringLiteral("%1 %2 %3: %4")
                               .arg(key, v.above ? QStringLiteral(">") : QStringLiteral("<"))
                               .arg(limit, 0, 'g', 10)
                               .arg(v.extreme, 0, 'g', 10)});
    }
    return markers;
}

} // namespace varnilog
