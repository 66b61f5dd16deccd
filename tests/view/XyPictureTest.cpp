// The XY and persistence pictures: where a cell lands and how bright it is drawn, on the log scale of
// both pictures (the persistence's table against the exact logarithm).
#include "view/XyPicture.h"
#include "view/PersistencePicture.h"

#include "app/SharedState.h"
#include "support/OffscreenGui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace varnilog;

TEST(XyPictureTest, CellsLandAtTheirCodesWithLogBrightness) {
    ensureOffscreenGui(); // the labels
    std::vector<float> cells(256 * 256);
    cells[10 << 8 | 190] = 1000; // the peak: full colour
    cells[250 << 8 | 5] = 1;     // one sample: log 2 / log 1001 of it
    XyPictureContent content;
    content.cells = cells;
    content.peak = 1000;
    content.colour = 0x0000FF; // red, 0x00BBGGRR
    const QImage density = xyDensityImage(content);
    EXPECT_EQ(density.pixel(10, 255 - 190), qRgb(255, 0, 0)); // y code 255 in the top row
    EXPECT_EQ(density.pixel(250, 255 - 5),
              qRgb(static_cast<int>(std::lround(255 * std::log(2.0) / std::log(1001.0))), 0, 0));
    EXPECT_EQ(density.pixel(10, 190), qRgb(0, 0, 0));
    const QImage picture = xyPicture(content);
    ASSERT_EQ(picture.size(), QSize(kXyPictureWidth, kXyPictureHeight));
    // Two pixels a code: the peak's cell at the plot's x 20..21, y 130..131 (clear of the grid).
    EXPECT_EQ(picture.pixel(kXyPlotLeft + 2 * 10 + 1, kXyPlotTop + kXyPlotSize - 2 * 190 - 1),
              qRgb(255, 0, 0));
    for (const auto& [count, peak, intensity] : {std::tuple{0.0, 5.0, 0.0}, std::tuple{5.0, 5.0, 1.0},
                                                 std::tuple{9.0, 99.0, 0.5}, std::tuple{3.0, 0.0, 0.0}})
        EXPECT_NEAR(xyIntensity(count, peak), intensity, 1e-12) << count << "/" << peak;
}

TEST(XyPictureTest, PersistenceBlendsTowardTheColourByItsLogTable) {
    for (const float peak : {1.0f, 7.0f, 1000.0f, 2.5e6f})
        for (const float count : {1e-3f, 0.3f, 1.0f, 2.0f, 6.5f, 999.0f, 1e6f}) {
            if (count > peak)
                continue;
            const double exact = std::log1p(count) / std::log1p(peak);
            EXPECT_NEAR(persistenceIntensity(count, peak), exact, 0.01 * exact + 1e-6)
                << count << "/" << peak;
        }
    std::vector<float> counts(static_cast<std::size_t>(kDisplayColumns) * kDisplayRows);
    counts[3 * kDisplayRows + 7] = 15; // column 3, row 7: the peak
    counts[4 * kDisplayRows + 7] = 3;  // half the peak's logarithm
    QImage screen(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
    screen.fill(qRgb(0, 0, 100));
    drawPersistence(screen, counts.data(), 15, 0x00FF00); // green
    EXPECT_EQ(screen.pixel(3, 7), qRgb(0, 255, 0));
    const QRgb half = screen.pixel(4, 7);
    EXPECT_NEAR(qGreen(half), 127, 2);
    EXPECT_NEAR(qBlue(half), 50, 2);
    EXPECT_EQ(screen.pixel(5, 7), qRgb(0, 0, 100)); // no count: the picture as it was
    EXPECT_EQ(screen.pixel(7, 3), qRgb(0, 0, 100)); // counts are by column, then row
}
