// The live spectrum: the ring of newest samples across its wrap, the mean of the last K spectra and
// the held maxima, the peak, display points against the bands they cover, and the worker: updates at
// most every 250 ms, a busy worker never holding up the tick, a full-scale cosine at 0 dB.
#include "spectrum/LiveSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <numbers>
#include <vector>

namespace varnilog {
namespace {

using namespace std::chrono_literals;

TEST(LiveSampleTail, NewestSamplesAcrossTheRingsWrap) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> appends; // counts appended in turn
        std::int32_t n;
    };
    const std::vector<Case> cases{
        {"fewer than asked: the zero level before", {10}, 1024},
        {"exactly one block", {1024}, 1024},
        {"over the wrap in small ticks", {100000, 20000, 20000}, 4096},
        {"a tick longer than the ring", {300000}, fftMaxSize},
        {"the whole ring after a wrap", {fftMaxSize - 7, 50}, fftMaxSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LiveSampleTail tail;
        std::vector<std::uint8_t> all; // every sample of A; B is A + 1
        for (std::int64_t count : c.appends) {
            std::vector<std::uint8_t> a(static_cast<std::size_t>(count)), b(a.size());
            for (std::size_t i = 0; i < a.size(); ++i) {
                a[i] = static_cast<std::uint8_t>((all.size() + i) * 7 % 251);
                b[i] = static_cast<std::uint8_t>(a[i] + 1);
            }
            tail.append(a.data(), b.data(), count);
            all.insert(all.end(), a.begin(), a.end());
        }
        EXPECT_EQ(tail.total(), static_cast<std::int64_t>(all.size()));
        std::vector<float> got(static_cast<std::size_t>(c.n));
        for (int channel = 0; channel < liveChannels; ++channel) {
            tail.copyNewest(channel, c.n, got.data());
            for (std::int32_t i = 0; i < c.n; ++i) {
                const std::int64_t at = static_cast<std::int64_t>(all.size()) - c.n + i;
                const float want =
                    at < 0 ? 125.0f : static_cast<float>(all[static_cast<std::size_t>(at)] + channel);
                ASSERT_EQ(got[static_cast<std::size_t>(i)], want) << "channel " << channel << " sample " << i;
            }
        }
    }
}

TEST(SpectrumAverager, MeanOfTheLastKAndHeldMaxima) {
    struct Step {
        std::vector<float> spectrum; // empty: reset the hold
        std::vector<float> mean, hold;
    };
    struct Case {
        const char* name;
        int average;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases{
        {"K = 1 shows each spectrum",
         1,
         {{{1, 4, 2}, {1, 4, 2}, {1, 4, 2}}, {{3, 0, 2}, {3, 0, 2}, {3, 4, 2}}}},
        {"K = 2: the oldest leaves the mean",
         2,
         {{{2, 2}, {2, 2}, {2, 2}}, {{4, 0}, {3, 1}, {3, 2}}, {{0, 6}, {2, 3}, {3, 3}}}},
        {"a mean of fewer than K while filling", 4, {{{4, 8}, {4, 8}, {4, 8}}, {{0, 0}, {2, 4}, {4, 8}}}},
        {"a reset hold starts from the next mean",
         1,
         {{{9, 9}, {9, 9}, {9, 9}}, {{}, {9, 9}, {0, 0}}, {{1, 2}, {1, 2}, {1, 2}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumAverager averager;
        averager.configure(static_cast<std::int32_t>(c.steps.front().spectrum.size()), c.average);
        for (std::size_t s = 0; s < c.steps.size(); ++s) {
            const Step& step = c.steps[s];
            if (step.spectrum.empty())
                averager.resetHold();
            else
                averager.add(step.spectrum);
            EXPECT_EQ(std::vector<float>(averager.mean().begin(), averager.mean().end()), step.mean) << s;
            EXPECT_EQ(std::vector<float>(averager.hold().begin(), averager.hold().end()), step.hold) << s;
        }
    }
    // Another block size or K starts over; the same keeps the mean.
    SpectrumAverager averager;
    averager.configure(2, 2);
    averager.add(std::vector<float>{2, 2});
    averager.configure(2, 2);
    EXPECT_EQ(averager.filled(), 1);
    averager.configure(2, 3);
    EXPECT_EQ(averager.filled(), 0);
    EXPECT_EQ(averager.hold()[0], 0.0f);
}

TEST(SpectrumPeak, LargestBinPastTheMean) {
    struct Case {
        std::vector<float> bins;
        std::int32_t bin;
        float magnitude;
    };
    const std::vector<Case> cases{
        {{100, 1, 5, 3}, 2, 5},  // bin 0 is left out
        {{0, 7, 2, 7}, 1, 7},    // the lowest of equals
        {{0, 0, 0}, 0, 0},       // silence: no peak
        {{0, 1, 2, 3, 9}, 4, 9}, // the last bin counts
    };
    for (const Case& c : cases) {
        const SpectrumPeak p = spectrumPeakOf(c.bins);
        EXPECT_EQ(p.bin, c.bin);
        EXPECT_EQ(p.magnitude, c.magnitude);
    }
}

TEST(LiveDisplayPoints, EachPointShowsTheBinsItsBandCovers) {
    struct Case {
        std::int32_t block;
        double periodMs, divisor;
    };
    // Fewer bins than points, many bins a point, and a divisor rounded off its period.
    for (const Case& c : std::vector<Case>{{1024, 0.1, 10}, {131072, 0.1, 10}, {4096, 0.0123, 1}}) {
        SCOPED_TRACE(c.block);
        const double binsPerPoint = c.block * c.periodMs / (100.0 * c.divisor);
        for (std::int32_t k : {1, 7, 100, c.block / 2}) {
            std::vector<float> bins(static_cast<std::size_t>(c.block / 2 + 1), 0.0f);
            bins[static_cast<std::size_t>(k)] = 1.0f;
            std::array<float, spectrumDisplayPoints> points{};
            liveDisplayPoints(bins, c.block, c.periodMs, c.divisor, points);
            for (int d = 0; d < spectrumDisplayPoints; ++d) {
                const double lo = d * binsPerPoint, hi = (d + 1) * binsPerPoint;
                const bool covers = lo < k + 1 && (hi > k || (std::floor(lo) == k));
                ASSERT_EQ(points[static_cast<std::size_t>(d)], covers ? 1.0f : 0.0f)
                    << "bin " << k << " point " << d;
            }
        }
    }
}

// Waits for the worker's next result.
LiveSpectrumResult nextResult(LiveSpectrum& live) {
    LiveSpectrumResult r;
    for (int i = 0; i < 2000 && !live.take(r); ++i)
        std::this_thread::sleep_for(1ms);
    return r;
}

TEST(LiveSpectrumWorker, AFullScaleCosineIsAtZeroDbAndUpdatesAreSpaced) {
    LiveSpectrum live;
    const std::int32_t n = 4096, bin = 300;
    std::vector<std::uint8_t> a(20000), b(a.size(), 125);
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] =
            static_cast<std::uint8_t>(std::lround(125 + 125 * std::cos(2 * std::numbers::pi * bin * i / n)));
    LiveSpectrumSettings s;
    s.block = n;
    const auto t0 = std::chrono::steady_clock::time_point{} + 1h;
    ASSERT_TRUE(live.feed(a.data(), b.data(), static_cast<std::int64_t>(a.size()), s, t0));
    const LiveSpectrumResult r = nextResult(live);
    ASSERT_EQ(r.mean[0].size(), static_cast<std::size_t>(n / 2 + 1));
    EXPECT_EQ(r.peak[0].bin, bin);
    EXPECT_NEAR(20 * std::log10(r.peak[0].magnitude / liveFullScale(n)), 0.0, 0.1);
    EXPECT_EQ(r.peak[1].magnitude, 0.0f); // the zero level all through
    EXPECT_EQ(r.newestSample, 20000);

    struct Feed {
        std::chrono::milliseconds at;
        bool handsOver;
    };
    for (const Feed& f :
         std::vector<Feed>{{100ms, false}, {249ms, false}, {250ms, true}, {400ms, false}, {500ms, true}}) {
        while (live.busy())
            std::this_thread::sleep_for(1ms);
        EXPECT_EQ(live.feed(a.data(), b.data(), 10, s, t0 + f.at), f.handsOver) << f.at.count();
    }
}

TEST(LiveSpectrumWorker, ABusyWorkerNeverHoldsUpTheTick) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> reports{0};
    LiveSpectrum live([&] {
        if (reports++ == 0)
            released.wait(); // the worker stays busy until the test lets it go
    });
    std::vector<std::uint8_t> a(fftMaxSize, 130), b(fftMaxSize, 120);
    LiveSpectrumSettings s;
    s.block = fftMaxSize;
    auto t = std::chrono::steady_clock::now();
    ASSERT_TRUE(live.feed(a.data(), b.data(), fftMaxSize, s, t));
    while (reports.load() == 0)
        std::this_thread::sleep_for(1ms);
    // Ticks long past the interval: they take their samples and return, handing nothing over.
    for (int i = 1; i <= 20; ++i)
        EXPECT_FALSE(live.feed(a.data(), b.data(), fftMaxSize, s, t + i * 1s));
    release.set_value();
    while (live.busy())
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(live.feed(a.data(), b.data(), 10, s, t + 30s));
    LiveSpectrumResult first;
    live.take(first);
    while (live.busy())
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(nextResult(live).newestSample, 21 * std::int64_t(fftMaxSize) + 10);
}

} // namespace
} // namespace varnilog
