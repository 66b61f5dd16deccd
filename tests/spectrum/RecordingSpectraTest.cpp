// The spectra of whole recordings: block count, padding of a short file, the unused tail, averaging over
// blocks, display points, peaks, absent channels, parallel channels equal to a straight run.
#include "spectrum/RecordingSpectra.h"
#include "support/ChannelBuffers.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace varnilog {
namespace {

QByteArray sineBytes(std::int64_t count, int cyclesPerBlock, double amplitude) {
    QByteArray b(count, '\0');
    for (qsizetype n = 0; n < count; ++n)
        b[n] = static_cast<char>(static_cast<std::uint8_t>(std::lround(
            125.0 + amplitude * std::sin(2.0 * std::numbers::pi * cyclesPerBlock * n / fftSize))));
    return b;
}

// The channels' buffers, each read position a third of the way in (the loader may leave a handle
// anywhere).
struct Recording : test::ChannelBuffers {
    explicit Recording(const std::vector<QByteArray>& channels) : ChannelBuffers(channels, true) {}
};

std::unique_ptr<SpectrumData> compute(const std::vector<QByteArray>& channels, int channelCount,
                                      int workers = 1, std::vector<std::pair<int, int>>* progress = nullptr) {
    Recording rec(channels);
    auto data = std::make_unique<SpectrumData>();
    RecordingSpectra spectra(workers);
    spectra.ComputeRecordingSpectra(
        rec.devices, channelCount, *data, [&](std::int64_t position, std::int64_t max) {
            if (progress)
                progress->push_back({static_cast<int>(max), static_cast<int>(position)});
            return true;
        });
    return data;
}

int largestBin(const std::array<float, fftSize>& s, int from, int to) {
    int best = from;
    for (int k = from; k < to; ++k)
        if (s[k] > s[best])
            best = k;
    return best;
}

TEST(RecordingSpectra, BlocksAreWholeBlocksAndAtLeastOne) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {0, 1},
        {1000, 1},
        {131071, 1},
        {131072, 1},
        {262143, 1},
        {262144, 2},
        {300000, 2},
        {393216, 3},
        {-1, 1},               // length unknown
        {5368709120LL, 40960}, // 5 GiB
    };
    for (const auto& [size, blocks] : cases)
        EXPECT_EQ(RecordingSpectra::blockCount(size), blocks) << size;
}

TEST(RecordingSpectra, EdgeCasesOfWholeRecordings) {
    // Constant signal over 3 blocks: the mean removal cancels it and only the accumulator's start of
    // 125 remains, divided by the 3 blocks, in every bin.
    {
        auto d = compute({QByteArray(3 * fftSize, char(77))}, 1);
        const float flat = static_cast<float>(125.0L / 3);
        for (int k : {0, 1, 4999, 65536, 131071})
            EXPECT_EQ(d->channelSpectrum[0][k], flat) << k;
        EXPECT_EQ(d->spectrumDisplay[0][0], flat);
        EXPECT_EQ(d->spectrumDisplay[0][4999], flat);
        EXPECT_EQ(d->spectrumPeak[0], flat);
        EXPECT_EQ(d->spectrumPeakAll, flat);
    }
    // 1000 samples of 135 (+10), padded with the zero level: a rectangular pulse, whose DFT has the
    // magnitude 10 |sin(pi k 1000 / N) / sin(pi k / N)|, plus the 125 of the accumulator.
    {
        auto d = compute({QByteArray(1000, char(135))}, 1);
        for (int k : {1, 2, 50, 131, 132, 1000, 65536, 131071}) {
            const double x = std::numbers::pi * k / fftSize;
            const double expected = 125.0 + 10.0 * std::abs(std::sin(1000 * x) / std::sin(x));
            EXPECT_NEAR(d->channelSpectrum[0][k], expected, 0.05) << k;
        }
        EXPECT_NEAR(d->channelSpectrum[0][0], 125.0, 0.05); // the mean is removed over all 131072 values
    }
    // 300000 samples are 2 blocks: bytes 262144 on do not count, whatever they hold.
    {
        QByteArray shortFile = sineBytes(2 * fftSize, 1300, 100.0);
        QByteArray longFile = shortFile;
        std::mt19937 rng(5);
        for (int i = 0; i < 300000 - 2 * fftSize; ++i)
            longFile.append(static_cast<char>(rng() & 0xFF));
        auto a = compute({shortFile}, 1);
        auto b = compute({longFile}, 1);
        EXPECT_EQ(a->channelSpectrum[0], b->channelSpectrum[0]);
    }
}

TEST(RecordingSpectra, SineOfFCyclesPeaksAtFAndItsMirror) {
    struct Case {
        int cycles;
        int blocks;
    };
    for (const Case c : {Case{1300, 2}, Case{13, 1}, Case{40000, 3}}) {
        auto d = compute({sineBytes(std::int64_t(c.blocks) * fftSize, c.cycles, 100.0)}, 1);
        const auto& s = d->channelSpectrum[0];
        EXPECT_EQ(largestBin(s, 0, fftSize / 2 + 1), c.cycles);
        EXPECT_EQ(largestBin(s, fftSize / 2, fftSize), fftSize - c.cycles);
        // A sin over N samples: A N / 2 = 6553600 per block; the average keeps it, plus 125 / blocks.
        EXPECT_NEAR(s[c.cycles], 6553600.0 + 125.0 / c.blocks, 6553600.0 * 0.002);
        EXPECT_EQ(d->spectrumPeak[0], std::max(s[c.cycles], s[fftSize - c.cycles]));
        // The display point of bin k is k / 13.
        int bestPoint = 0;
        for (int p = 0; p < spectrumDisplayPoints; ++p)
            if (d->spectrumDisplay[0][p] > d->spectrumDisplay[0][bestPoint])
                bestPoint = p;
        if (c.cycles < binsPerDisplayPoint * spectrumDisplayPoints) {
            EXPECT_EQ(bestPoint, c.cycles / 13);
            EXPECT_EQ(d->spectrumDisplay[0][c.cycles / 13], s[c.cycles]);
        }
    }
}

TEST(RecordingSpectra, PeaksAndAbsentChannels) {
    const std::vector<QByteArray> two = {sineBytes(fftSize, 650, 50.0), sineBytes(fftSize, 2600, 100.0)};
    Recording rec(two);
    SpectrumData d;
    d.channelSpectrum[2].fill(7.0f);
    d.spectrumDisplay[3].fill(9.0f);
    d.spectrumPeak = {1, 2, 3, 4};
    RecordingSpectra spectra(1);
    spectra.ComputeRecordingSpectra(rec.devices, 2, d);
    EXPECT_NEAR(d.spectrumPeak[0], 3276800.0, 3276800.0 * 0.003); // 50 N / 2
    EXPECT_NEAR(d.spectrumPeak[1], 6553600.0, 6553600.0 * 0.003); // 100 N / 2
    EXPECT_EQ(d.spectrumPeak[2], 0.0f);
    EXPECT_EQ(d.spectrumPeak[3], 0.0f);
    EXPECT_EQ(d.spectrumPeakAll, d.spectrumPeak[1]);
    EXPECT_EQ(d.channelSpectrum[2][100], 7.0f); // not computed, left as it was
    EXPECT_EQ(d.spectrumDisplay[3][100], 9.0f);
}

TEST(RecordingSpectra, DamagedOrMissingChannels) {
    // A channel count above four computes the four channels there are and nothing beyond.
    {
        std::vector<QByteArray> four(4, sineBytes(fftSize, 1300, 20.0));
        auto d = compute(four, 9);
        for (int c = 0; c < kChannels; ++c)
            EXPECT_NEAR(d->spectrumPeak[c], 1310720.0, 1310720.0 * 0.01) << c;
    }
    // A channel without an open file is one block of the zero level: every bin is 125.
    {
        Recording rec({sineBytes(fftSize, 1300, 20.0)});
        QBuffer closed;
        rec.devices[1] = &closed;
        SpectrumData d;
        RecordingSpectra(1).ComputeRecordingSpectra(rec.devices, 3, d);
        for (int k : {0, 1300, 65536})
            EXPECT_EQ(d.channelSpectrum[1][k], 125.0f);
        EXPECT_EQ(d.channelSpectrum[2][1300], 125.0f); // null device
        EXPECT_EQ(d.spectrumPeak[2], 125.0f);
    }
    // Zero channels: nothing computed, every peak 0.
    {
        auto d = compute({}, 0);
        EXPECT_EQ(d->spectrumPeakAll, 0.0f);
    }
}

TEST(RecordingSpectra, ParallelChannelsEqualAStraightRun) {
    std::mt19937 rng(9);
    std::vector<QByteArray> channels;
    for (const int blocks : {3, 2, 3}) {
        QByteArray b = sineBytes(blocks * fftSize + 17, 999, 60.0);
        for (char& ch : b)
            ch = static_cast<char>(static_cast<std::uint8_t>(ch) + (rng() % 5));
        channels.push_back(b);
    }
    std::vector<std::pair<int, int>> straightProgress;
    auto straight = compute(channels, 3, 1, &straightProgress);
    // Straight: 8 blocks in all, reported before the first and after every block.
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i <= 8; ++i)
        expected.push_back({8, i});
    EXPECT_EQ(straightProgress, expected);
    // The blocks of each channel shared by 2 and by 3 workers (rounds left part empty at a channel's end).
    for (const int workers : {2, 3}) {
        std::vector<std::pair<int, int>> parallelProgress;
        auto parallel = compute(channels, 3, workers, &parallelProgress);
        EXPECT_EQ(straight->channelSpectrum, parallel->channelSpectrum) << workers;
        EXPECT_EQ(straight->spectrumDisplay, parallel->spectrumDisplay) << workers;
        EXPECT_EQ(straight->spectrumPeak, parallel->spectrumPeak) << workers;
        EXPECT_EQ(straight->spectrumPeakAll, parallel->spectrumPeakAll) << workers;
        ASSERT_FALSE(parallelProgress.empty());
        for (std::size_t i = 0; i < parallelProgress.size(); ++i) {
            EXPECT_EQ(parallelProgress[i].first, 8);
            if (i > 0) {
                EXPECT_GE(parallelProgress[i].second, parallelProgress[i - 1].second);
            }
        }
        EXPECT_EQ(parallelProgress.back().second, 8);
    }
}

// Stopped in the middle, by any number of workers: the data stays exactly as it was.
TEST(RecordingSpectra, StoppedComputationLeavesTheDataAsItWas) {
    Recording rec({sineBytes(5 * fftSize, 999, 60.0), sineBytes(5 * fftSize, 77, 30.0)});
    for (const int workers : {1, 2}) {
        SpectrumData d;
        d.channelSpectrum[0].fill(3.0f);
        d.spectrumPeakAll = 4.0f;
        RecordingSpectra spectra(workers);
        EXPECT_FALSE(spectra.ComputeRecordingSpectra(
            rec.devices, 2, d, [](std::int64_t done, std::int64_t) { return done < 4; }));
        EXPECT_EQ(d.channelSpectrum[0][999], 3.0f) << workers;
        EXPECT_EQ(d.spectrumPeakAll, 4.0f) << workers;
    }
}

} // namespace
} // namespace varnilog
