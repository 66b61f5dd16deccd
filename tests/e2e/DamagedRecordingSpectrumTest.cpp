// The spectrum of a recording too long to wait for: the user stops it from the progress callback and
// keeps the spectrum shown before; a span of the recording (a window near the end of a huge one) is
// computed from that span alone.
#include "spectrum/RecordingSpectra.h"
#include "support/ChannelBuffers.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

using namespace varnilog;

namespace {

// 125 + a sine of `cycles` cycles per block of the given amplitude.
QByteArray sineBlock(int cycles, double amplitude) {
    QByteArray b(fftSize, 0);
    for (int i = 0; i < fftSize; ++i)
        b[i] = static_cast<char>(
            std::lround(125.0 + amplitude * std::sin(2.0 * std::numbers::pi * cycles * i / fftSize)));
    return b;
}

// What a finished or stopped computation must leave alone: recognisable values everywhere.
void fillSentinel(SpectrumData& d) {
    for (auto& ch : d.channelSpectrum)
        ch.fill(7.0f);
    for (auto& ch : d.spectrumDisplay)
        ch.fill(8.0f);
    d.spectrumPeak = {1.0f, 2.0f, 3.0f, 4.0f};
    d.spectrumPeakAll = 9.0f;
}

bool untouched(const SpectrumData& d) {
    for (const auto& ch : d.channelSpectrum)
        for (float v : ch)
            if (v != 7.0f)
                return false;
    for (const auto& ch : d.spectrumDisplay)
        for (float v : ch)
            if (v != 8.0f)
                return false;
    return d.spectrumPeak == std::array<float, kChannels>{1.0f, 2.0f, 3.0f, 4.0f} &&
           d.spectrumPeakAll == 9.0f;
}

} // namespace

TEST(DamagedRecordingSpectrumTest, ProgressCanStopTheComputationAndTheLastSpectrumStays) {
    // Three channels of four blocks: 12 blocks in all.
    const std::vector<QByteArray> channels(3, QByteArray(4 * fftSize, char(140)));
    struct Row {
        int workers;
        int stopAt; // from this position on the callback says stop (-1: never)
        bool completes;
        std::vector<int> positions; // reported positions, straight runs only
    } rows[] = {
        {1, 0, false, {0}},                                         // stopped before the first block
        {1, 2, false, {0, 1, 2}},                                   // no block is read after the answer
        {1, 12, false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}, // stopped at the very end
        {1, -1, true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {2, 0, false, {}},
        {2, 3, false, {}},
        {2, -1, true, {}},
    };
    for (const Row& r : rows) {
        test::ChannelBuffers devices(channels);
        auto data = std::make_unique<SpectrumData>();
        fillSentinel(*data);
        std::vector<int> positions;
        RecordingSpectra spectra(r.workers);
        const bool completed = spectra.ComputeRecordingSpectra(
            devices.devices, 3, *data, [&](std::int64_t position, std::int64_t max) {
                EXPECT_EQ(max, 12);
                positions.push_back(static_cast<int>(position));
                return r.stopAt < 0 || position < r.stopAt;
            });
        const std::string where = std::to_string(r.workers) + " workers, stop at " + std::to_string(r.stopAt);
        EXPECT_EQ(completed, r.completes) << where;
        if (r.workers == 1) {
            EXPECT_EQ(positions, r.positions) << where;
        } else if (!r.completes) {
            EXPECT_LT(positions.back(), 12) << where;
        }
        if (r.completes) {
            // A constant signal: every bin is the accumulator's 125 over 4 blocks.
            EXPECT_EQ(data->channelSpectrum[2][1], static_cast<float>(125.0L / 4)) << where;
            EXPECT_EQ(data->spectrumPeak[3], 0.0f) << where;
        } else {
            EXPECT_TRUE(untouched(*data)) << where;
        }
    }
}

TEST(DamagedRecordingSpectrumTest, SpanIsComputedFromItsOwnSamplesOnly) {
    // Five blocks: 150 everywhere except block 3, a sine of 1000 cycles of amplitude 50.
    QByteArray file(5 * fftSize, char(150));
    file.replace(3 * fftSize, fftSize, sineBlock(1000, 50.0));
    // |X[f]| of a sine is A N / 2; rounding to whole counts moves it by a fraction of a count.
    const double sinePeak = 125.0 + 50.0 * fftSize / 2;
    struct Row {
        const char* name;
        SpectrumSpan span;
        int bin;
        double expected;
        double tolerance;
    } rows[] = {
        {"block 3 alone: the sine", {3 * fftSize, fftSize}, 1000, sinePeak, sinePeak * 1e-3},
        {"block 3 alone: nothing elsewhere", {3 * fftSize, fftSize}, 1001, 125.0, 30.0},
        {"the last two blocks: the sine averaged with a constant",
         {3 * fftSize, -1},
         1000,
         sinePeak / 2,
         sinePeak * 1e-3},
        // 1000 samples of +25 inside block 1, the rest of the block padded with the zero level: a pulse.
        {"1000 samples",
         {fftSize + 5, 1000},
         1,
         125.0 + 25.0 * std::abs(std::sin(std::numbers::pi * 1000 / fftSize) /
                                 std::sin(std::numbers::pi / fftSize)),
         0.5},
        {"past the end: the zero level", {10 * fftSize, -1}, 1, 125.0, 0.0},
        {"a negative start counts from 0: five constant blocks", {-50, 2 * fftSize}, 3, 125.0 / 2, 0.001},
    };
    for (const Row& r : rows) {
        test::ChannelBuffers devices({file});
        auto data = std::make_unique<SpectrumData>();
        ASSERT_TRUE(RecordingSpectra(1).ComputeRecordingSpectra(devices.devices, 1, *data, {}, r.span))
            << r.name;
        EXPECT_NEAR(data->channelSpectrum[0][r.bin], r.expected, r.tolerance) << r.name;
    }
}
