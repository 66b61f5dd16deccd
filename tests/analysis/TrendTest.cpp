// Trends: hand-worked interval points (the short last interval, nulls, spans at the ends), every
// point equal to the measurement of its own span, per-period points equal to the period listing, and
// the statistics and limit runs worked out by hand; the live strip chart against the offline trend.
#include "analysis/Trend.h"
#include "analysis/LiveTrend.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <random>

using namespace varnilog;
using test::Codes;

namespace {

using Opt = std::optional<double>;

MeasureRequest spanOf(const QString& path, std::int64_t from, std::int64_t to) {
    MeasureRequest r;
    r.sampleFiles[0] = path;
    r.channelCount = 1;
    r.channelSensitivity = {4, 4, 4, 4}; // 0.04 V per code, 0 V at 125
    r.from = from;
    r.to = to;
    return r;
}

TrendRequest trendOf(const QString& path, const char* key, std::int64_t interval, std::int64_t from,
                     std::int64_t to) {
    return {spanOf(path, from, to), 0, *trendMeasureOf(QString::fromLatin1(key)), interval};
}

// A noisy sine of about 37 samples per period whose level drifts, so the intervals differ.
Codes noisySine(std::size_t n) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 2);
    Codes codes(n);
    for (std::size_t i = 0; i < n; ++i)
        codes[i] = static_cast<std::uint8_t>(
            std::clamp(125 + (40 + 20 * std::sin(i / 900.0)) * std::sin(i * 2 * M_PI / 37.3) + noise(random),
                       0.0, 255.0));
    return codes;
}

TEST(TrendTest, IntervalPointsWorkedByHand) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.rca"));
    // A square of 4 samples per period for 16 samples, then two low samples and one high one.
    Codes codes;
    for (int i = 0; i < 4; ++i)
        codes.insert(codes.end(), {100, 100, 150, 150});
    codes.insert(codes.end(), {100, 100, 150});
    ASSERT_TRUE(test::writeCodes(path, codes));
    struct Case {
        const char* name;
        const char* key;
        std::int64_t interval, from, to;
        std::vector<TrendPoint> want;
    };
    const Case cases[] = {
        // rises at 1.5 and 5.5 in each 8 samples; the last point [16, 19) has one rise only
        {"frequency, short last interval without a value",
         "frequency",
         8,
         0,
         19,
         {{0, 8, 250.0}, {8, 16, 250.0}, {16, 19, std::nullopt}}},
        {"a last interval of one sample is left out", "max", 9, 0, 19, {{0, 9, 1.0}, {9, 18, 1.0}}},
        {"span at the end of the file", "min", 2, 15, 19, {{15, 17, -1.0}, {17, 19, -1.0}}},
        {"a span past the file ends with it", "mean", 2, 16, 40, {{16, 18, -1.0}}},
        {"span at the start, two samples each", "pkpk", 2, 0, 5, {{0, 2, 0.0}, {2, 4, 0.0}}},
        {"duty per 4 samples off the edges",
         "duty",
         4,
         1,
         13,
         {{1, 5, std::nullopt}, {5, 9, std::nullopt}, {9, 13, std::nullopt}}},
        {"nothing for a single sample", "max", 4, 18, 19, {}},
    };
    for (const Case& c : cases) {
        const TrendResult got = computeTrend(trendOf(path, c.key, c.interval, c.from, c.to));
        ASSERT_TRUE(got.ok) << c.name << ": " << got.error.toStdString();
        EXPECT_EQ(got.points, c.want) << c.name;
    }
}

TEST(TrendTest, EveryIntervalIsItsOwnMeasurement) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.rca"));
    ASSERT_TRUE(test::writeCodes(path, noisySine(20'333)));
    for (std::size_t measure = 0; measure < kTrendMeasureCount; ++measure) {
        const TrendResult got =
            computeTrend(trendOf(path, kMeasurementFields[measure].key, 1500, 111, 20'333));
        ASSERT_TRUE(got.ok);
        ASSERT_EQ(got.points.size(), 14u);
        for (const TrendPoint& p : got.points) {
            const MeasureResult whole = measureSpan(
                spanOf(path, static_cast<std::int64_t>(p.start), static_cast<std::int64_t>(p.end)));
            EXPECT_EQ(p.value, kMeasurementFields[measure].value(whole.channels[0]))
                << kMeasurementFields[measure].key << " at " << p.start;
        }
    }
}

// Interval after interval, counting only the last interval's tails gives every value the full count
// gives: on drifting, jumping, spiking and steady stretches of random codes.
TEST(TrendTest, TailsOfTheLastIntervalChangeNoValue) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, 255);
    std::normal_distribution<double> noise(0, 3);
    Codes codes(400'000);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::size_t stretch = i / 40'000;
        double v = 125 + (stretch % 3 == 0 ? 60 : 20) * std::sin(i * 2 * M_PI / (25 + 40 * stretch)) +
                   static_cast<double>(stretch % 4) * 15 * (i % 40'000) / 40'000.0 + noise(random);
        if (stretch == 5)
            v = 90; // steady
        if (stretch == 7 && pick(random) < 8)
            v = pick(random); // spikes
        codes[i] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
    }
    for (const std::int64_t interval : {2, 3, 199, 1000, 4099, 65'536, 150'000}) {
        TailHint hint;
        for (std::int64_t first = 0; first < static_cast<std::int64_t>(codes.size()); first += interval) {
            const std::int64_t n = std::min<std::int64_t>(interval, codes.size() - first);
            ChannelMeasurements straight, fast;
            measureCodes(codes.data() + first, n, 4, 0.5f, straight);
            measureCodes(codes.data() + first, n, 4, 0.5f, fast, hint);
            for (const MeasurementField& f : kMeasurementFields)
                ASSERT_EQ(f.value(fast), f.value(straight))
                    << f.key << " per " << interval << " at " << first;
        }
    }
}

// The per-period trend reads the file mapped in its own blocks: over many blocks of both passes its
// points are still exactly the listing's, extremes included.
TEST(TrendTest, PeriodsOverManyBlocksAreTheListing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.rca"));
    ASSERT_TRUE(test::writeCodes(path, noisySine(2'500'000)));
    const MeasureRequest span = spanOf(path, 70'001, 2'500'000);
    std::vector<PeriodRecord> periods;
    ASSERT_TRUE(measureSpan(span, {}, [&](const PeriodRecord& p) { periods.push_back(p); }).ok);
    for (const char* key : {"max", "min", "duty", "frequency"}) {
        const TrendResult got = computeTrend(trendOf(path, key, 0, span.from, span.to));
        ASSERT_TRUE(got.ok);
        ASSERT_EQ(got.points.size(), periods.size()) << key;
        for (std::size_t i = 0; i < periods.size(); ++i) {
            const PeriodRecord& p = periods[i];
            const std::string k = key;
            const double want = k == "max"    ? (p.hi - 125) * 0.04
                                : k == "min"  ? (p.lo - 125) * 0.04
                                : k == "duty" ? p.high / p.length
                                              : 1000.0 / p.length;
            ASSERT_EQ(got.points[i].start, p.start) << key << i;
            ASSERT_EQ(got.points[i].end, i + 1 < periods.size() ? periods[i + 1].start : p.start + p.length);
            ASSERT_DOUBLE_EQ(*got.points[i].value, want) << key << i;
        }
    }
}

TEST(TrendTest, PerPeriodPointsAreTheListedPeriods) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.rca"));
    ASSERT_TRUE(test::writeCodes(path, noisySine(20'000)));
    std::vector<PeriodRecord> periods;
    MeasureRequest span = spanOf(path, 300, 19'000);
    span.samplingPeriodMs = 0.25f;
    ASSERT_TRUE(measureSpan(span, {}, [&](const PeriodRecord& p) { periods.push_back(p); }).ok);
    ASSERT_GT(periods.size(), 400u);
    const double ms = 0.25;
    struct Case {
        const char* key;
        double (*value)(const PeriodRecord&, double ms);
    };
    const Case cases[] = {
        {"period", [](const PeriodRecord& p, double ms) { return p.length * ms; }},
        {"frequency", [](const PeriodRecord& p, double ms) { return 1000.0 / (p.length * ms); }},
        {"duty", [](const PeriodRecord& p, double) { return p.high / p.length; }},
        {"max", [](const PeriodRecord& p, double) { return (p.hi - 125) * 0.04; }},
        {"min", [](const PeriodRecord& p, double) { return (p.lo - 125) * 0.04; }},
    };
    for (const Case& c : cases) {
        TrendRequest request{span, 0, *trendMeasureOf(QString::fromLatin1(c.key)), 0};
        const TrendResult got = computeTrend(request);
        ASSERT_TRUE(got.ok);
        ASSERT_EQ(got.points.size(), periods.size()) << c.key;
        for (std::size_t i = 0; i < periods.size(); ++i) {
            EXPECT_EQ(got.points[i].start, periods[i].start) << c.key << i;
            EXPECT_EQ(got.points[i].end,
                      i + 1 < periods.size() ? periods[i + 1].start : periods[i].start + periods[i].length);
            EXPECT_DOUBLE_EQ(*got.points[i].value, c.value(periods[i], ms)) << c.key << i;
        }
    }
    EXPECT_FALSE(hasPerPeriodForm(*trendMeasureOf(u"rms")));
    EXPECT_FALSE(computeTrend({span, 0, *trendMeasureOf(u"rise"), 0}).ok);
}

std::vector<TrendPoint> pointsOf(std::initializer_list<Opt> values) {
    std::vector<TrendPoint> points;
    for (const Opt& v : values)
        points.push_back({points.size() * 10.0, points.size() * 10.0 + 10, v});
    return points;
}

TEST(TrendTest, StatisticsOfTheValuesGiven) {
    const Opt none;
    struct Case {
        std::vector<TrendPoint> points;
        TrendStatistics want;
    };
    const Case cases[] = {
        {pointsOf({1.0, 2.0, none, 3.0, 6.0}), {4, 1.0, 6.0, 3.0, std::sqrt(3.5)}},
        {pointsOf({-2.5}), {1, -2.5, -2.5, -2.5, 0.0}},
        {pointsOf({none, none}), {0, none, none, none, none}},
        {{}, {0, none, none, none, none}},
        // a steady large value has no spread at all
        {pointsOf({1e9 + 0.1, 1e9 + 0.1, 1e9 + 0.1}), {3, 1e9 + 0.1, 1e9 + 0.1, 1e9 + 0.1, 0.0}},
    };
    for (const Case& c : cases) {
        const TrendStatistics got = trendStatistics(c.points);
        EXPECT_EQ(got.count, c.want.count);
        EXPECT_EQ(got.min, c.want.min);
        EXPECT_EQ(got.max, c.want.max);
        EXPECT_EQ(got.mean, c.want.mean);
        ASSERT_EQ(got.sd.has_value(), c.want.sd.has_value());
        if (got.sd) {
            EXPECT_NEAR(*got.sd, *c.want.sd, 1e-12);
        }
    }
}

TEST(TrendTest, ViolationsAreMaximalRuns) {
    const Opt none;
    struct Case {
        const char* name;
        std::vector<TrendPoint> points;
        TrendLimits limits;
        std::vector<TrendViolation> want;
    };
    const Case cases[] = {
        {"runs above, one at the end",
         pointsOf({1, 5, 7, 2, 6}),
         {3.0, none},
         {{10, 30, 7, true}, {40, 50, 6, true}}},
        {"a value at the limit is no violation",
         pointsOf({3, 3.0001, 3}),
         {3.0, none},
         {{10, 20, 3.0001, true}}},
        {"a null ends a run", pointsOf({5, none, 6, 4}), {3.0, none}, {{0, 10, 5, true}, {20, 40, 6, true}}},
        {"both limits in order of start",
         pointsOf({0, 0, 5, 9, -1, 2}),
         {4.0, 1.0},
         {{0, 20, 0, false}, {20, 40, 9, true}, {40, 50, -1, false}}},
        {"overlapping limits: a point beyond both",
         pointsOf({1.5, 3}),
         {1.0, 2.0},
         {{0, 20, 3, true}, {0, 10, 1.5, false}}},
        {"no limits", pointsOf({1, 2}), {none, none}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trendViolations(c.points, c.limits), c.want) << c.name;
}

} // namespace

namespace {

void expectSameStatistics(const TrendStatistics& got, const TrendStatistics& want, const std::string& what) {
    EXPECT_EQ(got.count, want.count) << what;
    EXPECT_EQ(got.min, want.min) << what;
    EXPECT_EQ(got.max, want.max) << what;
    EXPECT_EQ(got.mean, want.mean) << what;
    ASSERT_EQ(got.sd.has_value(), want.sd.has_value()) << what;
    if (got.sd) {
        EXPECT_NEAR(*got.sd, *want.sd, 1e-9 * (1 + std::abs(*want.sd))) << what;
    }
}

} // namespace

// The statistics of every measurement's intervals in one pass are those of each measurement's trend.
TEST(TrendTest, IntervalStatisticsAreThoseOfEachTrend) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.rca"));
    ASSERT_TRUE(test::writeCodes(path, noisySine(30'001)));
    const MeasureRequest span = spanOf(path, 17, 30'001);
    for (const std::int64_t interval : {2, 37, 1000}) {
        const IntervalStatistics got = intervalStatistics(span, interval);
        ASSERT_TRUE(got.ok);
        EXPECT_TRUE(got.measured[0]);
        EXPECT_FALSE(got.measured[1]);
        for (std::size_t measure = 0; measure < kTrendMeasureCount; ++measure)
            expectSameStatistics(
                got.channels[0][measure], trendStatistics(computeTrend({span, 0, measure, interval}).points),
                std::string(kMeasurementFields[measure].key) + " per " + std::to_string(interval));
    }
    EXPECT_FALSE(intervalStatistics(span, 1).ok);
}

// Frame after frame, the strip chart's columns are the offline trend's points of the same frames (or
// their min and max, once merged), its runs the trend's violations, its statistics the trend's.
TEST(TrendTest, LiveChartIsTheOfflineTrendOfTheSameFrames) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.rca"));
    constexpr std::int64_t kFrame = 500;
    const Codes codes = noisySine(kFrame * 75);
    ASSERT_TRUE(test::writeCodes(path, codes));
    struct Case {
        const char* key;
        std::size_t columns;
        TrendLimits limits;
    };
    const Case cases[] = {
        {"max", 128, {1.9, std::nullopt}}, // every point a column of its own
        {"max", 8, {1.9, 1.5}},            // columns of 16 points, the last one short
        {"frequency", 16, {std::nullopt, 26.8}},
        {"duty", 2, {0.5, 0.49}},
    };
    for (const Case& c : cases) {
        const std::size_t measure = *trendMeasureOf(QString::fromLatin1(c.key));
        const std::vector<TrendPoint> offline =
            computeTrend(trendOf(path, c.key, kFrame, 0, static_cast<std::int64_t>(codes.size()))).points;
        LiveTrend live(c.columns);
        live.setLimits(c.limits);
        std::vector<TrendViolation> runs;
        const auto keep = [&](int closed) {
            for (int i = 0; i < closed; ++i)
                runs.push_back(live.closedRun(i));
        };
        for (std::int64_t first = 0; first < static_cast<std::int64_t>(codes.size()); first += kFrame) {
            ChannelMeasurements m;
            measureCodes(codes.data() + first, kFrame, 4, 1.0f, m);
            keep(live.add({static_cast<double>(first), static_cast<double>(first + kFrame),
                           kMeasurementFields[measure].value(m)}));
        }
        keep(live.finish());
        std::vector<LiveTrend::Column> want;
        for (std::size_t i = 0; i < offline.size(); i += static_cast<std::size_t>(live.pointsPerColumn())) {
            LiveTrend::Column column{offline[i].start, 0, {}, {}};
            for (std::size_t j = i; j < std::min(offline.size(), i + live.pointsPerColumn()); ++j) {
                column.end = offline[j].end;
                if (offline[j].value) {
                    column.min = std::min(column.min.value_or(*offline[j].value), *offline[j].value);
                    column.max = std::max(column.max.value_or(*offline[j].value), *offline[j].value);
                }
            }
            want.push_back(column);
        }
        EXPECT_EQ(std::vector(live.columns(), live.columns() + live.columnCount()), want)
            << c.key << c.columns;
        EXPECT_LE(live.columnCount(), c.columns);
        std::stable_sort(runs.begin(), runs.end(),
                         [](const TrendViolation& a, const TrendViolation& b) { return a.start < b.start; });
        const std::vector<TrendViolation> violations = trendViolations(offline, c.limits);
        EXPECT_FALSE(violations.empty()) << c.key;
        EXPECT_EQ(runs, violations) << c.key << c.columns;
        EXPECT_EQ(live.violationCount(), static_cast<std::int64_t>(violations.size()));
        expectSameStatistics(live.statistics(), trendStatistics(offline), c.key);
    }
}
