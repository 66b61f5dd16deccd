// A channel of another recording over the view: a comparison shorter than the view (and one that
// starts later), aligned at the first samples or at a marker of each, at the view's zoom and scroll;
// the cursors' volts where it has samples only, and its columns drawn where it has them.
#include "view/ComparisonTrace.h"

#include "recording/MarkerFile.h"
#include "support/RecordingSet.h"
#include "view/SampleCodes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace varnilog;

namespace {

QString markedRecording(const QString& dir, const QString& base, test::Codes codes, std::int64_t marker,
                        int sensitivityB = 4) {
    test::RecordingContents contents;
    contents.sensitivityB = sensitivityB;
    contents.channels = {test::Codes(codes.size(), 125), codes};
    const QString ros = test::writeRecording(dir, base, contents);
    Marker m;
    m.start = m.end = marker;
    test::writeFile(markerFilePath(ros), encodeMarkers({m}));
    return ros;
}

} // namespace

TEST(ComparisonTraceTest, ShorterRecordingFollowsZoomScrollAndMarkers) {
    QTemporaryDir dir;
    test::Codes ramp(300);
    for (std::size_t k = 0; k < ramp.size(); ++k)
        ramp[k] = static_cast<std::uint8_t>(k % 200);
    const QString own = markedRecording(dir.path(), QStringLiteral("own"), test::Codes(2000, 125), 200);
    const QString other = markedRecording(dir.path(), QStringLiteral("other"), ramp, 20, 7);
    CoreError error;
    std::optional<ComparisonTrace> trace = openComparison(other, 1, error);
    ASSERT_TRUE(trace) << error.reason.toStdString();
    EXPECT_EQ(trace->samples, 300);
    EXPECT_EQ(trace->sensitivity, 7);
    EXPECT_FALSE(openComparison(other, 2, error)); // no ".rcc"
    EXPECT_EQ(markerShift(own, 0, other, 0), std::int64_t{20 - 200});
    EXPECT_FALSE(markerShift(own, 1, other, 0));

    const struct {
        std::int64_t viewStart;
        int zoom;
        std::int64_t shift;
        int firstColumn, lastColumn; // present, both included
        std::uint8_t hiOfFirst, loOfFirst;
    } cases[] = {
        {0, 1, 0, 0, 299, 0, 0},       // shorter than the view: the rest is empty
        {100, 2, -50, 0, 124, 51, 50}, // its samples 50..299, two a column
        {0, 1, -180, 180, 479, 0, 0},  // aligned at the markers: it starts at column 180
        {0, 4, -180, 45, 119, 3, 0},   // the same at zoom 4: column 45 holds its samples 0..3
        {1000, 1, 0, -1, -1, 0, 0},    // scrolled past its end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.viewStart * 1000 + c.shift);
        SharedState state;
        state.viewStart = c.viewStart;
        state.zoomDivisor = c.zoom;
        trace->shift = c.shift;
        ASSERT_TRUE(readComparisonColumns(*trace, state, error));
        for (int col = 0; col < kDisplayColumns; ++col)
            ASSERT_EQ(trace->present[static_cast<std::size_t>(col)],
                      col >= c.firstColumn && col <= c.lastColumn)
                << col;
        if (c.firstColumn >= 0) {
            EXPECT_EQ(trace->hi[static_cast<std::size_t>(c.firstColumn)], c.hiOfFirst);
            EXPECT_EQ(trace->lo[static_cast<std::size_t>(c.firstColumn)], c.loOfFirst);
        }
    }

    // The cursors read its volts, at its own V/div, where it has a sample.
    trace->shift = -180;
    EXPECT_FALSE(comparisonVolts(*trace, 179));
    EXPECT_DOUBLE_EQ(*comparisonVolts(*trace, 180), codeVolts(0, 7));
    EXPECT_DOUBLE_EQ(*comparisonVolts(*trace, 479), codeVolts(99, 7));
    EXPECT_FALSE(comparisonVolts(*trace, 480));

    // Drawn in its columns only, at the channel's V/div of now.
    SharedState state;
    trace->shift = 0;
    ASSERT_TRUE(readComparisonColumns(*trace, state, error));
    QImage screen(kDisplayColumns, kDisplayRows, QImage::Format_RGB32);
    screen.fill(Qt::black);
    drawComparison(screen, *trace, 7, 0xFFFFFF);
    EXPECT_EQ(screen.pixel(125, kDisplayRows - 125), qRgb(255, 255, 255));
    EXPECT_EQ(screen.pixel(400, kDisplayRows - 125), qRgb(0, 0, 0));
}
