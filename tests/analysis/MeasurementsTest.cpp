// Measurements over small spans whose results are worked out by hand (levels mid = 125, upper 130,
// lower 120, 10 % at 105 and 90 % at 145 for codes 100..150), at every block size down to one sample,
// and a direct transcription of the definitions checked against the block scanner on random signals.
#include "analysis/Measurements.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <optional>
#include <random>

using namespace varnilog;
using test::Codes;

namespace {

using Opt = std::optional<double>;
constexpr Opt none = std::nullopt;

struct Expected {
    Opt max, min, mean, rms, acrms, period, duty, rise, fall;
    std::int64_t periods;
};

struct Case {
    const char* name;
    Codes codes;
    std::int64_t from, to;
    std::uint8_t sensitivity;
    float periodMs;
    Expected want;
};

const double acSquare = std::sqrt(0.96);
const double sineRms = 0.04 * std::sqrt(29700.0 / 25);
const double hystPeriod = (10 + 6.0 / 31) - (4 + 1.0 / 3);

const Case kCases[] = {
    {"square wave",
     {100, 100, 150, 150, 100, 100, 150, 150, 100, 100},
     0,
     10,
     4,
     1.0f,
     // edges at 1.5 (rise), 3.5, 5.5 (rise), 7.5; 10 %..90 % from 1.1 to 1.9
     {1.0, -1.0, -0.2, 1.0, acSquare, 4.0, 0.5, 0.8, 0.8, 1}},
    {"square wave, 10 mV/div, 0.2 ms",
     {100, 100, 150, 150, 100, 100, 150, 150, 100, 100},
     0,
     10,
     10,
     0.2f,
     {0.01, -0.01, -0.002, 0.01, 0.01 * acSquare, 4 * double{0.2f}, 0.5, 0.8 * double{0.2f},
      0.8 * double{0.2f}, 1}},
    {"interpolated crossings",
     {100, 100, 112, 138, 150, 150, 140, 110, 100, 100, 115, 150, 150},
     0,
     13,
     4,
     1.0f,
     // rises at 2 + 13/26 and 10 + 10/35; fall at 6.5; rise times 13/6 and 32/21, fall time 2
     {1.0, -1.0, -0.4 / 13, 0.04 * std::sqrt(5888.0 / 13), 0.04 * std::sqrt(5888.0 / 13 - 100.0 / 169),
      (10 + 10.0 / 35) - 2.5, 4.0 / ((10 + 10.0 / 35) - 2.5), 155.0 / 84, 2.0, 1}},
    {"hysteresis ignores wobbles around mid",
     {100, 128, 122, 128, 122, 131, 124, 126, 121, 129, 119, 150, 100},
     0,
     13,
     4,
     1.0f,
     // rises at 4 + 3/9 and 10 + 6/31, fall at 9.4: the first rise misses its 90 % level before the
     // fall, the second its 10 % level after it, the first fall its 90 % level
     {1.0, -1.0, none, none, none, hystPeriod, (9.4 - (4 + 1.0 / 3)) / hystPeriod, none, 0.8, 1}},
    {"sampled sine",
     {125, 160, 175, 160, 125, 90,  75,  90,  125, 160, 175, 160, 125,
      90,  75,  90,  125, 160, 175, 160, 125, 90,  75,  90,  125},
     0,
     25,
     4,
     1.0f,
     // mid crossings land on samples 8 and 16; 10 % = 85, 90 % = 165
     {2.0, -2.0, 0.0, sineRms, sineRms, 8.0, 0.5, 8.0 / 3, 8.0 / 3, 1}},
    {"span starts high inside a period",
     {100, 100, 150, 150, 100, 100, 150, 150, 100, 100},
     3,
     10,
     4,
     1.0f,
     // one rising edge only (5.5): no period; the first fall's 90 % crossing is the span's first sample
     {1.0, -1.0, -1.0 / 7, 1.0, std::sqrt(48.0) / 7, none, none, 0.8, 0.8, 0}},
    {"rise without a 90 % crossing after it",
     {150, 100, 140},
     0,
     3,
     4,
     1.0f,
     {1.0, -1.0, none, none, none, none, none, none, 0.8, 0}},
    {"smallest range with edges",
     {123, 127, 123, 127, 123},
     0,
     5,
     4,
     1.0f,
     {0.08, -0.08, none, none, none, 2.0, 0.5, 0.8, 0.8, 1}},
    {"range of 3 has no edges",
     {124, 127, 124, 127, 124, 127},
     0,
     6,
     4,
     1.0f,
     {0.08, -0.04, none, none, none, none, none, none, none, 0}},
    {"flat", {125, 125, 125, 125}, 0, 4, 4, 1.0f, {0.0, 0.0, 0.0, 0.0, 0.0, none, none, none, none, 0}},
    {"one sample", {150}, 0, 1, 4, 1.0f, {1.0, 1.0, 1.0, 1.0, 0.0, none, none, none, none, 0}},
    {"span past the end of the file",
     {100, 150, 100},
     1,
     9,
     4,
     1.0f,
     {1.0, -1.0, 0.0, 1.0, 1.0, none, none, none, 0.8, 0}},
};

void expectNear(const char* what, const Opt& got, const Opt& want, const std::string& where) {
    if (!want) // rows leave out what they do not check, except where it must be undefined (below)
        return;
    ASSERT_TRUE(got.has_value()) << where << " " << what;
    EXPECT_NEAR(*got, *want, 1e-12 * std::max(1.0, std::abs(*want))) << where << " " << what;
}

MeasureRequest requestFor(const QString& path, const Case& c, std::int64_t block) {
    MeasureRequest r;
    r.sampleFiles[0] = path;
    r.channelCount = 1;
    r.channelSensitivity = {c.sensitivity, 4, 4, 4};
    r.samplingPeriodMs = c.periodMs;
    r.from = c.from;
    r.to = c.to;
    r.blockSamples = block;
    return r;
}

TEST(MeasurementsTest, HandWorkedSpansAtEveryBlockSize) {
    QTemporaryDir dir;
    int row = 0;
    for (const Case& c : kCases) {
        const QString path = dir.filePath(QString::number(row++) + ".rca");
        ASSERT_TRUE(test::writeCodes(path, c.codes));
        for (const std::int64_t block : {1, 2, 3, 5, 1 << 18}) {
            const std::string where = std::string(c.name) + " block " + std::to_string(block);
            const MeasureResult result = measureSpan(requestFor(path, c, block));
            ASSERT_TRUE(result.ok) << where;
            const ChannelMeasurements& m = result.channels[0];
            EXPECT_TRUE(m.measured) << where;
            EXPECT_EQ(m.samples, std::min<std::int64_t>(c.to, c.codes.size()) - c.from) << where;
            expectNear("max", m.max, c.want.max, where);
            expectNear("min", m.min, c.want.min, where);
            if (c.want.max && c.want.min)
                expectNear("pkpk", m.pkpk, *c.want.max - *c.want.min, where);
            expectNear("mean", m.mean, c.want.mean, where);
            expectNear("rms", m.rms, c.want.rms, where);
            expectNear("acrms", m.acrms, c.want.acrms, where);
            expectNear("period", m.period, c.want.period, where);
            if (c.want.period)
                expectNear("frequency", m.frequency, 1000.0 / *c.want.period, where);
            expectNear("duty", m.duty, c.want.duty, where);
            expectNear("rise", m.rise, c.want.rise, where);
            expectNear("fall", m.fall, c.want.fall, where);
            EXPECT_EQ(m.periods, c.want.periods) << where;
            // What the row says is undefined must be.
            EXPECT_EQ(m.period.has_value(), c.want.period.has_value()) << where;
            EXPECT_EQ(m.frequency.has_value(), c.want.period.has_value()) << where;
            EXPECT_EQ(m.duty.has_value(), c.want.duty.has_value()) << where;
            EXPECT_EQ(m.rise.has_value(), c.want.rise.has_value()) << where;
            EXPECT_EQ(m.fall.has_value(), c.want.fall.has_value()) << where;
        }
    }
}

TEST(MeasurementsTest, ChannelsWithoutDataAndEmptySpans) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.rca");
    ASSERT_TRUE(test::writeCodes(a, {100, 150, 100, 150}));
    MeasureRequest r;
    r.sampleFiles = {a, QString(), a, a};
    r.channelCount = 3; // D has a file but is not recorded
    r.to = 4;
    MeasureResult result = measureSpan(r);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.channels[0].measured);
    EXPECT_FALSE(result.channels[1].measured);
    EXPECT_TRUE(result.channels[2].measured);
    EXPECT_FALSE(result.channels[3].measured);

    r.from = 4; // empty span: measured, nothing defined
    r.to = 4;
    result = measureSpan(r);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.channels[0].samples, 0);
    EXPECT_FALSE(result.channels[0].max || result.channels[0].mean || result.channels[0].rms);
}

TEST(MeasurementsTest, PeriodsAreListedWithTheirExtremes) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.rca");
    // Rising edges at 11.5, 15.5 and 19.5 counted from the file's start; the span starts at 10.
    ASSERT_TRUE(test::writeCodes(
        a, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 150, 150, 100, 100, 150, 140, 110, 100, 150, 150}));
    MeasureRequest r;
    r.sampleFiles[0] = a;
    r.channelCount = 1;
    r.from = 10;
    r.to = 22;
    for (const std::int64_t block : {1, 4, 1 << 18}) {
        r.blockSamples = block;
        std::vector<PeriodRecord> got;
        ASSERT_TRUE(measureSpan(r, {}, [&](const PeriodRecord& p) { got.push_back(p); }).ok);
        ASSERT_EQ(got.size(), 2u) << block;
        EXPECT_DOUBLE_EQ(got[0].start, 11.5);
        EXPECT_DOUBLE_EQ(got[0].length, 4.0);
        EXPECT_DOUBLE_EQ(got[0].high, 2.0);
        EXPECT_EQ(got[0].lo, 100);
        EXPECT_EQ(got[0].hi, 150);
        // Second period: samples 16..19 (150 140 110 100); its fall at 17 + 15/30.
        EXPECT_DOUBLE_EQ(got[1].start, 15.5);
        EXPECT_DOUBLE_EQ(got[1].length, 4.0);
        EXPECT_DOUBLE_EQ(got[1].high, 2.0);
        EXPECT_EQ(got[1].lo, 100);
        EXPECT_EQ(got[1].hi, 150);
    }
}

// Fed block by block, each in a buffer of its own that holds only the two codes before it, the scanner
// lists the periods as in one block: it reads nothing further back, even when a block begins between
// a mid crossing and its edge (the codes before those two are poison).
TEST(MeasurementsTest, PeriodsFromBlocksThatKeepOnlyTwoCodesBefore) {
    const Codes codes{100, 100, 126, 127, 128, 150, 150, 100, 100,
                      126, 127, 128, 150, 150, 100, 100, 126, 150};
    const auto periods = [&](std::int64_t block) {
        std::vector<PeriodSpan> got;
        EdgeScanner scanner(*EdgeLevels::of(100, 150), 0, [&](const PeriodSpan& p) { got.push_back(p); });
        const auto n = static_cast<std::int64_t>(codes.size());
        for (std::int64_t first = 0; first < n; first += block) {
            const std::int64_t count = std::min(block, n - first);
            Codes buffer(8, 0); // poison, then the two codes before the block and the block
            for (std::int64_t i = std::max<std::int64_t>(first - 2, 0); i < first + count; ++i)
                buffer.push_back(codes[static_cast<std::size_t>(i)]);
            std::fill(buffer.begin(), buffer.begin() + 4, 255);
            scanner.scan(buffer.data() + buffer.size() - count, first, count, first + count == n);
        }
        return got;
    };
    const std::vector<PeriodSpan> whole = periods(static_cast<std::int64_t>(codes.size()));
    ASSERT_EQ(whole.size(), 2u);
    for (std::int64_t block = 1; block < static_cast<std::int64_t>(codes.size()); ++block) {
        const std::vector<PeriodSpan> got = periods(block);
        ASSERT_EQ(got.size(), whole.size()) << block;
        for (std::size_t p = 0; p < got.size(); ++p) {
            EXPECT_DOUBLE_EQ(got[p].start, whole[p].start) << block;
            EXPECT_EQ(got[p].lo, 100) << block;
            EXPECT_EQ(got[p].hi, 150) << block;
        }
    }
}

// The definitions, transcribed directly: whole span in memory, the reference codes from the sorted
// codes, one walk for the edges, then searches as written.
struct Direct {
    std::int64_t periods = 0;
    Opt period, duty, rise, fall;
};

Direct direct(const Codes& s) {
    Direct d;
    const auto n = static_cast<std::int64_t>(s.size());
    Codes sorted = s;
    std::sort(sorted.begin(), sorted.end());
    const double lo = sorted[static_cast<std::size_t>((n + 199) / 200 - 1)];
    const double hi = sorted[static_cast<std::size_t>((199 * n + 199) / 200 - 1)];
    if (hi - lo < 4)
        return d;
    const double mid = (hi + lo) / 2, h = 0.1 * (hi - lo), l10 = lo + 0.1 * (hi - lo),
                 l90 = lo + 0.9 * (hi - lo);
    struct Edge {
        bool rising;
        std::int64_t j; // the last sample before the mid crossing
        double t;
    };
    std::vector<Edge> edges;
    int state = 0;
    for (std::int64_t k = 0; k < n; ++k) {
        if (state == 0) {
            state = s[k] <= mid - h ? -1 : (s[k] >= mid + h ? 1 : 0);
        } else if (state < 0 && s[k] >= mid + h) {
            std::int64_t j = k - 1;
            while (s[j] >= mid)
                --j;
            edges.push_back({true, j, j + (mid - s[j]) / (s[j + 1] - s[j])});
            state = 1;
        } else if (state > 0 && s[k] <= mid - h) {
            std::int64_t j = k - 1;
            while (s[j] <= mid)
                --j;
            edges.push_back({false, j, j + (s[j] - mid) / (s[j] - s[j + 1])});
            state = -1;
        }
    }
    std::vector<double> rises, falls, riseTimes, fallTimes;
    for (std::size_t e = 0; e < edges.size(); ++e) {
        // Searched only up to the edges of the other direction on either side.
        const std::int64_t before = e > 0 ? edges[e - 1].j : -1;
        const std::int64_t after = e + 1 < edges.size() ? edges[e + 1].j : n - 1;
        std::int64_t a = edges[e].j, b = edges[e].j + 1;
        if (edges[e].rising) {
            rises.push_back(edges[e].t);
            while (a > before && s[a] > l10)
                --a;
            while (b <= after && s[b] < l90)
                ++b;
            if (a > before && b <= after)
                riseTimes.push_back(b - 1 + (l90 - s[b - 1]) / (s[b] - s[b - 1]) -
                                    (a + (l10 - s[a]) / (s[a + 1] - s[a])));
        } else {
            falls.push_back(edges[e].t);
            while (a > before && s[a] < l90)
                --a;
            while (b <= after && s[b] > l10)
                ++b;
            if (a > before && b <= after)
                fallTimes.push_back(b - 1 + (s[b - 1] - l10) / (s[b - 1] - s[b]) -
                                    (a + (s[a] - l90) / (s[a] - s[a + 1])));
        }
    }
    if (rises.size() >= 2) {
        d.periods = static_cast<std::int64_t>(rises.size()) - 1;
        d.period = (rises.back() - rises.front()) / static_cast<double>(d.periods);
        double high = 0;
        for (std::size_t i = 0; i + 1 < rises.size(); ++i)
            for (double f : falls)
                if (f > rises[i] && f < rises[i + 1])
                    high += f - rises[i];
        d.duty = high / (rises.back() - rises.front());
    }
    const auto mean = [](const std::vector<double>& v) -> Opt {
        if (v.empty())
            return none;
        double sum = 0;
        for (double x : v)
            sum += x;
        return sum / static_cast<double>(v.size());
    };
    d.rise = mean(riseTimes);
    d.fall = mean(fallTimes);
    return d;
}

TEST(MeasurementsTest, BlockScannerAgreesWithTheDefinitionsOnRandomSignals) {
    QTemporaryDir dir;
    std::mt19937 random(7);
    int file = 0;
    const auto agree = [&](const Codes& codes, std::int64_t block, const std::string& where) {
        const QString path = dir.filePath(QString::number(file++) + ".rca");
        ASSERT_TRUE(test::writeCodes(path, codes));
        const Direct want = direct(codes);
        MeasureRequest r;
        r.sampleFiles[0] = path;
        r.channelCount = 1;
        r.to = static_cast<std::int64_t>(codes.size());
        r.blockSamples = block;
        const ChannelMeasurements m = measureSpan(r).channels[0];
        EXPECT_EQ(m.periods, want.periods) << where;
        for (const auto& [name, got, expected] :
             {std::tuple{"period", m.period, want.period}, std::tuple{"duty", m.duty, want.duty},
              std::tuple{"rise", m.rise, want.rise}, std::tuple{"fall", m.fall, want.fall}}) {
            ASSERT_EQ(got.has_value(), expected.has_value()) << where << " " << name;
            if (expected) {
                EXPECT_NEAR(*got, *expected, 1e-9 * std::max(1.0, *expected)) << where << " " << name;
            }
        }
    };
    // A slow square-ish wave with noise: edges, wobbles and missing crossings mix.
    const auto wave = [&](Codes& codes, std::size_t from, std::size_t to, int amplitude, int noise,
                          int halfPeriod) {
        for (std::size_t i = from; i < to; ++i) {
            const int level = (i / halfPeriod) % 2 ? 125 + amplitude : 125 - amplitude;
            codes[i] = static_cast<std::uint8_t>(
                std::clamp(level + static_cast<int>(random() % noise) - noise / 2, 0, 255));
        }
    };
    for (int trial = 0; trial < 60; ++trial) {
        Codes codes(1 + random() % 700);
        const int amplitude = 2 + static_cast<int>(random() % 100),
                  noise = 1 + static_cast<int>(random() % 60);
        wave(codes, 0, codes.size(), amplitude, noise, 1 + static_cast<int>(random() % 40));
        // The wide scans need long blocks.
        agree(codes, trial % 3 == 0 ? 1 << 18 : 1 + random() % 64, "trial " + std::to_string(trial));
    }
    // Long spans whose tails change after the first samples (fewer, more, a few spikes), read in
    // blocks that do and do not cover them.
    Codes shrinking(700000), growing(300000), spiked(300000);
    wave(shrinking, 0, 70000, 100, 30, 500);
    wave(shrinking, 70000, 700000, 20, 9, 500);
    wave(growing, 0, 70000, 20, 9, 500);
    wave(growing, 70000, 300000, 100, 30, 500);
    wave(spiked, 0, 300000, 60, 5, 37);
    for (std::size_t i = 1000; i < spiked.size(); i += 1001)
        spiked[i] = i % 2 ? 255 : 0;
    for (const std::int64_t block : {4099, 1 << 18}) {
        agree(shrinking, block, "shrinking, block " + std::to_string(block));
        agree(growing, block, "growing, block " + std::to_string(block));
        agree(spiked, block, "spiked, block " + std::to_string(block));
    }
}

// Signals with a flaw that must not spoil the edges: a spike far past the range, one low half that
// does not reach its 10 % level, a small sine whose top code turns up only now and then. Measured
// from a file and as a live frame.
TEST(MeasurementsTest, FlawsLeaveTheEdgesAlone) {
    const auto sine = [](std::size_t n, double amplitude, double period) {
        Codes codes(n);
        for (std::size_t i = 0; i < n; ++i)
            codes[i] =
                static_cast<std::uint8_t>(std::lround(125 + amplitude * std::sin(2 * M_PI * i / period)));
        return codes;
    };
    Codes spike = sine(20000, 75, 100); // ±3 V at 1 V/div, 10 ms at 0.1 ms
    spike[5025] = 250;                  // +5 V
    Codes square(200);
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 5) % 2 ? 150 : (i / 5 == 14 ? 115 : 100);
    Codes small = sine(30000, 2.4, 200); // codes 123..127, 20 ms at 0.1 ms
    for (std::size_t i = 50; i < small.size(); i += 75 * 200)
        small[i] = 128;
    const double sineRise = std::asin(0.8) / M_PI * 10; // 10 % .. 90 % of a 10 ms sine
    const struct {
        const char* name;
        Codes codes;
        float periodMs;
        double period, duty;
        std::array<double, 2> rise, fall; // the range each must lie in, ms
    } rows[] = {
        {"sine with a spike",
         spike,
         0.1f,
         10,
         0.5,
         {sineRise * 0.99, sineRise * 1.01},
         {sineRise * 0.99, sineRise * 1.01}},
        {"square wave with a shallow low half", square, 1.0f, 10, 0.5, {0.8, 0.8}, {0.8, 0.8}},
        {"sine of codes 123..128", small, 0.1f, 20, 0.5, {1, 10}, {1, 10}},
    };
    QTemporaryDir dir;
    for (const auto& row : rows) {
        const QString path = dir.filePath(QString::fromUtf8(row.name) + ".rca");
        ASSERT_TRUE(test::writeCodes(path, row.codes));
        MeasureRequest r;
        r.sampleFiles[0] = path;
        r.channelCount = 1;
        r.samplingPeriodMs = row.periodMs;
        r.to = static_cast<std::int64_t>(row.codes.size());
        ChannelMeasurements live;
        measureCodes(row.codes.data(), r.to, 4, row.periodMs, live);
        for (const ChannelMeasurements& m : {measureSpan(r).channels[0], live}) {
            SCOPED_TRACE(row.name);
            ASSERT_TRUE(m.period && m.duty && m.rise && m.fall);
            EXPECT_NEAR(*m.period, row.period, row.period * 1e-3);
            EXPECT_NEAR(*m.duty, row.duty, 0.01);
            EXPECT_GE(*m.rise, row.rise[0] - 1e-9);
            EXPECT_LE(*m.rise, row.rise[1] + 1e-9);
            EXPECT_GE(*m.fall, row.fall[0] - 1e-9);
            EXPECT_LE(*m.fall, row.fall[1] + 1e-9);
        }
    }
}

TEST(MeasurementsTest, ParallelChannelsAndCancelling) {
    QTemporaryDir dir;
    Codes wave(100000);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = static_cast<std::uint8_t>((i / 50) % 2 ? 200 : 50);
    const QString path = dir.filePath("w.rca");
    ASSERT_TRUE(test::writeCodes(path, wave));
    MeasureRequest r;
    r.sampleFiles = {path, path, path, path};
    r.channelCount = 4;
    r.to = 100000;
    r.blockSamples = 4096;
    r.workers = 1;
    const MeasureResult alone = measureSpan(r);
    r.workers = 2;
    std::int64_t lastDone = 0, total = 0;
    const MeasureResult together = measureSpan(r, [&](std::int64_t done, std::int64_t all) {
        lastDone = done;
        total = all;
        return true;
    });
    ASSERT_TRUE(alone.ok && together.ok);
    EXPECT_EQ(total, 4 * 100000); // one pass: both extremes turn up in the first block
    EXPECT_EQ(lastDone, total);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(together.channels[c].periods, 999);
        EXPECT_EQ(together.channels[c].period, alone.channels[c].period);
        EXPECT_EQ(together.channels[c].rms, alone.channels[c].rms);
    }
    const MeasureResult cancelled =
        measureSpan(r, [](std::int64_t done, std::int64_t) { return done < 8192; });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_TRUE(cancelled.cancelled);
}

} // namespace
