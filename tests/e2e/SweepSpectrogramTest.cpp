// The simulator's sweep through the spectrogram: the strongest bin of every block follows the
// frequency the sweep has at the block's middle, f t / T, rising from 0 and starting again after T.
#include "device/BoardSimulator.h"
#include "device/Protocol.h"
#include "spectrum/Spectrogram.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <cmath>

using namespace varnilog;

namespace {

TEST(SweepSpectrogramTest, StrongestBinFollowsTheSweep) {
    BoardOptions options;
    options.channels[0] = ChannelSignal{Waveform::Sweep, 100.0, 1.0};
    BoardSimulator board(options);
    board.receive(settingsCommand(10, {4, 4}, {ModeDC, ModeDC}, {100, 100}), 0); // 1 ms per sample
    constexpr int kSamples = 15000;                                              // one sweep and a half
    QByteArray bytes(kSamples, '\0');
    for (int n = 0; n < kSamples; ++n)
        bytes[n] = static_cast<char>(board.sampleAt(0, n));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const SpectrogramRequest request{0, kSamples, 1024, 512};
    int checked = 0;
    ASSERT_TRUE(computeSpectrogram(file, request, [&](std::int64_t column, const float* m) {
        int strongest = 1;
        for (int k = 1; k <= 512; ++k)
            if (m[k] > m[strongest])
                strongest = k;
        // The middle of the block, in seconds into its sweep, and the bin of f t / T there (1.024 a Hz).
        const double t = std::fmod((column * 512 + 512) / 1000.0, BoardSimulator::kSweepSeconds);
        const double expected = 100.0 * t / BoardSimulator::kSweepSeconds * 1.024;
        // The sweep moves 10 bins a second, 5 over a block, which spreads its peak over as many bins.
        if (t > 0.6 && t < BoardSimulator::kSweepSeconds - 0.6) {
            EXPECT_NEAR(strongest, expected, 5.0) << "block " << column << " at " << t << " s";
            ++checked;
        }
        return true;
    }));
    EXPECT_GE(checked, 20);
}

} // namespace
