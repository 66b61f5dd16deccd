// The spectrogram: its shape (columns of a span, block and hop; the refusals), levels worked out by hand
// (a cosine at a bin, a constant), every column against the block spectrum of its own samples, and the
// picture's reduction of blocks and bins to pixels.
#include "spectrum/Spectrogram.h"
#include "spectrum/Fft.h"
#include "support/ChannelBuffers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace varnilog {
namespace {

struct Columns {
    std::vector<std::int64_t> index;
    std::vector<std::vector<float>> bins;
    bool completed = false;
};

Columns columnsOf(const QByteArray& bytes, const SpectrogramRequest& request, int workers = 2) {
    test::ChannelBuffers file({bytes});
    Columns out;
    out.completed = computeSpectrogram(
        *file.devices[0], request,
        [&](std::int64_t c, const float* m) {
            out.index.push_back(c);
            out.bins.emplace_back(m, m + spectrogramBins(request.block));
            return true;
        },
        {}, workers);
    return out;
}

TEST(Spectrogram, ColumnsOfSpansBlocksAndHops) {
    struct Case {
        std::int64_t from, to;
        std::int32_t block;
        std::int64_t hop;
        SpectrogramError error;
        std::int64_t columns;
    };
    const Case cases[] = {
        {0, 4096, 1024, 0, SpectrogramError::None, 4},
        {0, 4095, 1024, 0, SpectrogramError::None, 3}, // the tail that is no whole block is left out
        {10, 1034, 1024, 0, SpectrogramError::None, 1},
        {10, 1033, 1024, 0, SpectrogramError::ShortSpan, 0},
        {0, 2048, 1024, 1, SpectrogramError::None, 1025},
        {77, 5077, 1024, 300, SpectrogramError::None, 14},
        {0, 1 << 20, 131072, 131072, SpectrogramError::None, 8},
        {0, 4096, 1000, 0, SpectrogramError::BlockSize, 4},
        {0, 1 << 20, 262144, 0, SpectrogramError::BlockSize, 4},
        {0, 4096, 512, 0, SpectrogramError::BlockSize, 8},
        {0, 4096, 1024, 1025, SpectrogramError::Hop, 4},
        {0, 4096, 1024, -1, SpectrogramError::Hop, 4},
    };
    for (const Case& c : cases) {
        const SpectrogramRequest request{c.from, c.to, c.block, c.hop};
        EXPECT_EQ(checkSpectrogram(request), c.error)
            << c.from << ".." << c.to << " N " << c.block << " H " << c.hop;
        if (c.error != SpectrogramError::Hop) {
            EXPECT_EQ(spectrogramColumns(request), c.columns) << c.from << ".." << c.to << " N " << c.block;
        }
    }
}

TEST(Spectrogram, LevelsWorkedOutByHand) {
    // 100 cos(2 pi 8 n / 1024) as bytes: |X[8]| = 100 N / 2 = 51200 up to the rounding to whole codes,
    // the largest of the column, so 0 dB there; the rounding noise stays far below.
    QByteArray cosine(2048, '\0');
    for (int n = 0; n < cosine.size(); ++n)
        cosine[n] =
            static_cast<char>(std::lround(125.0 + 100.0 * std::cos(2.0 * std::numbers::pi * 8 * n / 1024)));
    const Columns c = columnsOf(cosine, {0, 2048, 1024, 0});
    ASSERT_EQ(c.bins.size(), 2u);
    float peak = 0.0f;
    for (const auto& column : c.bins)
        for (const float m : column)
            peak = std::max(peak, m);
    EXPECT_NEAR(c.bins[0][8], 51200.0, 30.0);
    EXPECT_NEAR(spectrogramDb(c.bins[0][8], peak, 100.0), 0.0, 0.01);
    for (const int k : {0, 7, 9, 100, 512})
        EXPECT_LT(spectrogramDb(c.bins[0][k], peak, 100.0), -40.0) << k;
    EXPECT_NEAR(spectrogramBinHz(8, 1024, 1.0), 7.8125, 1e-12);    // 8 bins of 1000 Hz / 1024
    EXPECT_NEAR(spectrogramBinHz(512, 1024, 0.01), 50000.0, 1e-9); // the top bin at 100 kHz sampling

    // A constant block: after the mean removal nothing is left, so every level is the floor.
    const Columns dc = columnsOf(QByteArray(1024, char(200)), {0, 1024, 1024, 0});
    ASSERT_EQ(dc.bins.size(), 1u);
    for (const float m : dc.bins[0])
        EXPECT_EQ(spectrogramDb(m, 0.0f, 60.0), -60.0);
    EXPECT_EQ(spectrogramDb(1.0f, 1.0e6f, 100.0), -100.0); // -120 dB is floored
    EXPECT_EQ(spectrogramDb(1.0f, 10.0f, 100.0), -20.0);
}

TEST(Spectrogram, EveryColumnIsTheBlockSpectrumOfItsSamples) {
    std::mt19937 rng(5);
    QByteArray bytes(9000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(rng() & 0xFF);
    const SpectrogramRequest request{77, 5077, 1024, 300};
    Fft fft(Fft::Path::Portable, 1024);
    for (const int workers : {1, 2}) {
        const Columns c = columnsOf(bytes, request, workers);
        ASSERT_TRUE(c.completed);
        ASSERT_EQ(c.index.size(), 14u) << workers;
        for (std::size_t j = 0; j < c.index.size(); ++j) {
            EXPECT_EQ(c.index[j], static_cast<std::int64_t>(j));
            std::vector<float> x(1024), expected(513);
            for (int i = 0; i < 1024; ++i)
                x[i] =
                    static_cast<float>(static_cast<std::uint8_t>(bytes[77 + 300 * static_cast<int>(j) + i])) -
                    125.0f;
            fft.ComputeBlockSpectrum(x, expected);
            EXPECT_EQ(c.bins[j], expected) << "column " << j << ", " << workers << " workers";
        }
    }
    // Stopped by the sink: false, and no column after the stop.
    test::ChannelBuffers file({bytes});
    int seen = 0;
    EXPECT_FALSE(computeSpectrogram(*file.devices[0], request,
                                    [&](std::int64_t, const float*) { return ++seen < 3; }));
    EXPECT_EQ(seen, 3);
}

TEST(Spectrogram, PictureKeepsTheLargestOfEachPixel) {
    // Magnitude of block c, bin k: 10 c + k. Ten blocks on four pixel columns: [0,2) [2,5) [5,7) [7,10);
    // five bins on two rows: [0,2) [2,5).
    SpectrogramReducer reducer(10, 5, 4, 2);
    for (int c = 0; c < 10; ++c) {
        float m[5];
        for (int k = 0; k < 5; ++k)
            m[k] = static_cast<float>(10 * c + k);
        reducer.add(c, m);
    }
    const SpectrogramPicture& p = reducer.picture();
    ASSERT_EQ(p.width, 4);
    ASSERT_EQ(p.height, 2);
    const float expected[2][4] = {{11, 41, 61, 91}, {14, 44, 64, 94}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(p.at(x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(p.peak, 94.0f);
    EXPECT_EQ(p.firstColumnOf(2), 5);
    EXPECT_EQ(p.firstBinOf(1), 2);
    // Fewer blocks and bins than pixels: one cell each.
    const SpectrogramReducer small(3, 2, 760, 400);
    EXPECT_EQ(small.picture().width, 3);
    EXPECT_EQ(small.picture().height, 2);
}

} // namespace
} // namespace varnilog
