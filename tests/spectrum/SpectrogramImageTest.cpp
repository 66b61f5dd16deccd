// The spectrogram's picture and table: the colour scale's ends and order, what the mouse reads at a
// point of the drawn image, the table of a small spectrogram line by line, a failed write, samples
// past the file's end, and the block sizes a transform accepts.
#include "spectrum/SpectrogramImage.h"
#include "spectrum/Fft.h"
#include "spectrum/SpectrogramCsv.h"
#include "support/ChannelBuffers.h"

#include <QBuffer>
#include <QColor>

#include <gtest/gtest.h>

#include <cmath>

namespace varnilog {
namespace {

TEST(SpectrogramImage, ColourScaleRunsFromBlackToWhite) {
    EXPECT_EQ(spectrogramColour(0.0), qRgb(0, 0, 0));
    EXPECT_EQ(spectrogramColour(-3.0), qRgb(0, 0, 0)); // below the floor
    EXPECT_EQ(spectrogramColour(1.0), qRgb(255, 255, 255));
    EXPECT_EQ(spectrogramColour(7.0), qRgb(255, 255, 255));
    // Every step up the scale is at least as light: the level reads in one direction.
    int lightness = -1;
    for (int i = 0; i <= 100; ++i) {
        const int l = QColor(spectrogramColour(i / 100.0)).lightness();
        EXPECT_GE(l, lightness) << i;
        lightness = l;
    }
}

TEST(SpectrogramImage, ReadingAtAPointOfThePlot) {
    // Ten blocks of 1024 with a hop of 512 from sample 100, 513 bins, on a 4 x 2 picture.
    SpectrogramReducer reducer(10, 513, 4, 2);
    std::vector<float> m(513, 1.0f);
    for (int c = 0; c < 10; ++c) {
        m[0] = static_cast<float>(c + 1); // the lower row's peak grows with the block
        reducer.add(c, m.data());
    }
    const SpectrogramRequest request{100, 100 + 512 * 9 + 1024, 1024, 512};
    struct Case {
        QPoint at;
        bool inside;
        std::int64_t sample;
        std::int32_t bin;
        double db;
    };
    const int left = spectrogramPlotLeft, top = spectrogramPlotTop;
    const int right = left + spectrogramPlotWidth - 1, bottom = top + spectrogramPlotHeight - 1;
    const Case cases[] = {
        {{left, bottom}, true, 100 + 512, 0, 20 * std::log10(0.2)}, // blocks 0, 1: bin 0 peaks at 2 of 10
        {{right, bottom}, true, 100 + 7 * 512 + 512, 0, 0.0},       // the last pixel column starts at block 7
        {{left + 190, top}, true, 100 + 2 * 512 + 512, 256, -20},   // upper row: bins 256 .., all 1
        {{left - 1, top}, false, 0, 0, 0},
        {{left, top - 1}, false, 0, 0, 0},
        {{right + 1, bottom}, false, 0, 0, 0},
        {{left, bottom + 1}, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto r = spectrogramReadingAt(reducer.picture(), request, 60.0, c.at);
        ASSERT_EQ(r.has_value(), c.inside) << c.at.x() << "," << c.at.y();
        if (!r)
            continue;
        EXPECT_EQ(r->sample, c.sample) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(r->bin, c.bin) << c.at.x() << "," << c.at.y();
        EXPECT_NEAR(r->db, c.db, 1e-9) << c.at.x() << "," << c.at.y();
    }
}

TEST(SpectrogramImage, TheViewsSpanAsABand) {
    // Ten blocks with a hop of 512 from sample 100: the columns stand for samples 100 .. 5220.
    SpectrogramReducer reducer(10, 513, 4, 2);
    const SpectrogramRequest request{100, 100 + 512 * 9 + 1024, 1024, 512};
    const int w = spectrogramPlotWidth;
    struct Case {
        std::int64_t from, to;
        SpectrogramBand band;
    };
    const Case cases[] = {
        {100, 5220, {0, w}},            // the whole
        {100 + 2560, 5220, {w / 2, w}}, // the second half
        {0, 101, {0, 1}},               // one sample in: one column
        {5219, 9000, {w - 1, w}},       // its last sample
        {0, 100, {}},                   // before it
        {5220, 6000, {}},               // after it
        {3000, 3000, {}},               // no sample
    };
    for (const Case& c : cases)
        EXPECT_EQ(spectrogramBand(reducer.picture(), request, c.from, c.to), c.band)
            << c.from << ".." << c.to;

    // Only the band's top rows: Qt works on a larger image with pooled threads of its own, which the
    // thread checker cannot follow.
    QImage image(spectrogramPlotLeft + w + 10, spectrogramPlotTop + 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    drawSpectrogramBand(image, {10, 20});
    const int y = spectrogramPlotTop + 5;
    EXPECT_EQ(image.pixel(spectrogramPlotLeft + 9, y), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(spectrogramPlotLeft + 10, y), qRgb(255, 255, 255)); // its edges
    EXPECT_EQ(image.pixel(spectrogramPlotLeft + 19, y), qRgb(255, 255, 255));
    EXPECT_NE(image.pixel(spectrogramPlotLeft + 15, y), qRgb(0, 0, 0)); // lightened inside
    EXPECT_EQ(image.pixel(spectrogramPlotLeft + 20, y), qRgb(0, 0, 0));
}

TEST(SpectrogramCsvTest, LinesOfEveryBlockAndBinAndAFailedWrite) {
    // The second block reads past the end of the file, whose samples are all the zero level: it reads
    // the zero level there too, so nothing changes in either block and every level is the floor.
    test::ChannelBuffers file({QByteArray(1500, char(125))});
    const SpectrogramRequest request{0, 2048, 1024, 0};
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writeSpectrogramCsv(out, *file.devices[0], request, 0.5, 1.0f, 40.0));
    const QList<QByteArray> lines = out.data().split('\n');
    ASSERT_EQ(lines.size(), 1 + 2 * 513 + 1);
    EXPECT_EQ(lines[1], "0;0;-40.000");
    EXPECT_EQ(lines[2], "0;1.953125;-40.000"); // 2 kHz sampling: 2000 / 1024 Hz a bin
    EXPECT_EQ(lines[513], "0;1000;-40.000");
    EXPECT_EQ(lines[514], "1024;0;-40.000");
    EXPECT_EQ(lines.back(), "");

    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_FALSE(writeSpectrogramCsv(readOnly, *file.devices[0], request, 0.5, 1.0f, 40.0));
}

TEST(SpectrogramCsvTest, BlockSizesOfTheTransform) {
    const std::pair<std::int64_t, bool> sizes[] = {{512, false}, {1024, true},   {1536, false},
                                                   {4096, true}, {131072, true}, {262144, false},
                                                   {0, false},   {-1024, false}};
    for (const auto& [n, valid] : sizes)
        EXPECT_EQ(isFftSize(n), valid) << n;
    EXPECT_EQ(Fft(Fft::Path::Fastest, 4096).size(), 4096);
    EXPECT_EQ(Fft(Fft::Path::Fastest, 3000).size(), fftSize); // not a block size: the default
}

} // namespace
} // namespace varnilog
