#include "view/Cursors.h"

#include "app/SharedState.h"
#include "view/ViewBuffers.h"

#include <gtest/gtest.h>

using namespace varnilog;

namespace {

struct CursorsFixture : ::testing::Test {
    std::unique_ptr<SharedState> s = std::make_unique<SharedState>();
    std::unique_ptr<ViewBuffers> view = std::make_unique<ViewBuffers>();
    void SetUp() override {
        sizeBitmaps(*view);
        view->bmpScreen.fill(qRgb(10, 20, 30));
        view->bmpWave.fill(qRgb(100, 100, 100));
        s->channelColor = {0x0000FF /* red */, 0x00FF00 /* green */, 0, 0};
    }
    QRgb at(int x, int y) const { return view->bmpScreen.pixel(x, y); }
};

} // namespace

TEST(CursorsTest, ColumnFromMouseIsLimited) {
    EXPECT_EQ(cursorColumnFromMouse(600), 499);
    EXPECT_EQ(cursorColumnFromMouse(-5), 0);
    EXPECT_EQ(cursorColumnFromMouse(123), 123);
}

TEST_F(CursorsFixture, Readouts) {
    s->cursorColumn = {100, 100};
    s->samplingPeriodMs = 0.1f;
    EXPECT_EQ(cursorTimeText(*s), "T: 0000:00:00:000");
    s->cursorColumn = {300, 50};
    EXPECT_EQ(cursorTimeText(*s), "T: 0000:00:00:025");
    s->samplingPeriodMs = 0.05f;
    EXPECT_EQ(cursorTimeText(*s), "T: 0000:00:00:012"); // 12.5 ms truncated
    s->zoomDivisor = 10;                                // 250 columns are 2500 samples apart
    EXPECT_EQ(cursorTimeText(*s), "T: 0000:00:00:125");
    s->samplingPeriodMs = 1000.0f;
    s->zoomDivisor = 100000; // 25 000 000 s: well past what a float counts exactly, still no overflow
    EXPECT_EQ(cursorTimeText(*s).left(10), "T: 6944:26");
    s->zoomDivisor = 1;
    s->samplingPeriodMs = 0.05f;
    s->channelSensitivity = {4, 4, 1, 1};
    s->cursor1Channel = 0;
    s->cursor2Channel = 1;
    s->channelData[0][300] = 150;
    s->channelData[1][50] = 100;
    EXPECT_EQ(cursorVoltageText(*s), "U: 2V");
}

TEST_F(CursorsFixture, LinesAreInvertBlendedAndTheSecondLevelLineInverted) {
    s->cursorColumn = {10, 20};
    s->cursor1Channel = 0;
    s->cursor2Channel = 1;
    s->channelData[0][10] = 0;   // level 0: row 249
    s->channelData[1][20] = 255; // above 250: row 0
    drawCursors(*s, view->bmpScreen);
    // Vertical line of cursor 1: 255 - (pixel + red) / 2 per component.
    EXPECT_EQ(at(10, 100), qRgb(255 - (10 + 255) / 2, 255 - 20 / 2, 255 - 30 / 2));
    EXPECT_EQ(at(20, 100), qRgb(255 - 10 / 2, 255 - (20 + 255) / 2, 255 - 30 / 2));
    // Horizontal line of cursor 1 in row 249; where it crosses its own vertical line it blends twice.
    EXPECT_EQ(at(300, 249), qRgb(255 - (10 + 255) / 2, 255 - 20 / 2, 255 - 30 / 2));
    const int r1 = 255 - (10 + 255) / 2, g1 = 255 - 20 / 2, b1 = 255 - 30 / 2;
    EXPECT_EQ(at(10, 249), qRgb(255 - (r1 + 255) / 2, 255 - g1 / 2, 255 - b1 / 2));
    // Horizontal line of cursor 2 in row 0: the inverted channel colour, no blending.
    EXPECT_EQ(at(300, 0), qRgb(255, 0, 255));
    EXPECT_EQ(at(10, 0), qRgb(255, 0, 255));
    EXPECT_EQ(at(300, 100), qRgb(10, 20, 30)); // untouched elsewhere
}

TEST_F(CursorsFixture, SelectionTintsTheSpanAndDarkensItsEdges) {
    s->zoomDivisor = 2;
    s->selectionStart = 600; // dragged from column 300 back to column 100
    s->selectionEnd = 200;
    drawSelection(*s, *view);
    const QRgb tinted = qRgb((100 + 240) / 2, (100 + 240) / 2, (100 + 255) / 2);
    EXPECT_EQ(at(99, 5), qRgb(100, 100, 100));
    EXPECT_EQ(at(100, 5),
              qRgb(static_cast<int>(170 * 0.4), static_cast<int>(170 * 0.4), static_cast<int>(177 * 0.7)));
    EXPECT_EQ(at(200, 5), tinted);
    EXPECT_EQ(at(299, 249), tinted);
    EXPECT_EQ(at(300, 5), qRgb(40, 40, 70)); // edge b is not tinted, only darkened
    EXPECT_EQ(at(301, 5), qRgb(100, 100, 100));

    s->selectionStart = s->selectionEnd = 20; // a = b: darkened twice
    drawSelection(*s, *view);
    EXPECT_EQ(at(10, 0), qRgb(16, 16, 49));
}
