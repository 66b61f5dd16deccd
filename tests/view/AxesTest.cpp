#include "view/Axes.h"
#include "view/ElapsedTime.h"

#include "support/OffscreenGui.h"

#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

using namespace varnilog;

namespace {
const QColor kWindow(0xF0, 0xF0, 0xF0);
bool ink(const QImage& image, int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFFu) == 0;
}

// A pixel of an axis picture and whether it must be ink.
struct InkPoint {
    int x, y;
    bool black;
};

template <std::size_t N> void expectInk(const QImage& image, const InkPoint (&points)[N]) {
    for (const InkPoint& p : points)
        EXPECT_EQ(ink(image, p.x, p.y), p.black) << p.x << "," << p.y;
}
} // namespace

TEST(AxesTest, TimeAxisLabels) {
    struct Row {
        std::int64_t viewStart;
        std::int32_t zoom;
        float period;
        int i;
        int x;
        std::int64_t ms;
    } rows[] = {
        {250, 1, 1.0f, 1, 60, 300}, // the time of sample 300
        {250, 1, 1.0f, 2, 160, 400},
        {0, 1, 1000.0f, 1, 110, 100000},
        {0, 1, 1000.0f, 5, 510, 500000},
        {99, 1, 1.0f, 1, 11, 100},  // over display column 0; the grid line beside it is sample 100
        {250, 2, 1.0f, 1, 60, 350}, // 250 - 50 * 2 + 100 * 2
        {0, 1, 0.1f, 3, 310, 30},   // 30.0000004 truncated
        {130, 4, 0.05f, 1, 80, 20}, // 0.05 * (130 - 30 * 4) + 0.05 * 400 = 20.5 -> 20
        {0, 1, 0.02f, 1, 110, 2},   // 100 x 0.0199999996 ms is labelled 2 ms, not 1 ms
        {0, 1, 0.0001f, 5, 510, 0}, // 0.05 ms
        {3000000000LL, 1, 1.0f, 1, 110, 3000000100LL},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(timeAxisLabelX(r.viewStart, r.i), r.x) << r.viewStart << " i=" << r.i;
        EXPECT_EQ(timeAxisLabelMs(r.viewStart, r.zoom, r.period, r.i), r.ms) << r.viewStart << " i=" << r.i;
    }
}

TEST(AxesTest, TimeAxisPixels) {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    s->viewStart = 250;
    s->zoomDivisor = 1;
    s->samplingPeriodMs = 1.0f;
    QImage image;
    drawTimeAxis(*s, image, kWindow);
    ASSERT_EQ(image.size(), QSize(520, 16));
    const InkPoint rows[] = {
        {9, 0, false},    {10, 0, true},  {510, 0, true}, {511, 0, false}, // axis line, end excluded
        {10, 2, true},    {10, 3, false},                                  // end tick rows 0..2
        {60, 4, true},    {61, 4, false}, {160, 4, true}, {459, 4, false}, // labelled ticks rows 0..4
        {15, 2, true},    {15, 3, false}, {12, 2, false}, {515, 2, false}, // minor ticks every 5
        {519, 15, false},
    };
    expectInk(image, rows);
    // a label under each labelled tick, nothing above y = 5 beside the ticks
    int labelInk = 0;
    for (int y = 5; y < 16; ++y) {
        for (int x = 30; x < 90; ++x) {
            labelInk += ink(image, x, y);
        }
    }
    EXPECT_GT(labelInk, 0);
    s->viewStart = 253; // minor ticks follow viewStart mod 5
    drawTimeAxis(*s, image, kWindow);
    EXPECT_TRUE(ink(image, 12, 2));
    EXPECT_FALSE(ink(image, 15, 2));
    EXPECT_TRUE(ink(image, 57, 4));
}

TEST(AxesTest, VoltAxisPixels) {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    s->selectedChannel = 1;
    s->channelSensitivity = {1, 9, 1, 1};
    QImage image;
    drawVoltAxis(*s, image, kWindow);
    ASSERT_EQ(image.size(), QSize(38, 263));
    const InkPoint rows[] = {
        {37, 7, false},  {37, 8, true},   {37, 258, true}, {37, 259, false}, // axis line
        {33, 8, true},   {32, 8, false},  {33, 258, true}, {33, 133, true},  // division ticks
        {35, 13, true},  {34, 13, false}, {35, 253, true}, {35, 258, true},  // minor ticks
        {31, 20, false},
    };
    expectInk(image, rows);
    // labels end at x = 29: ink left of it in every division's text band, none in 30..32
    for (int i = 0; i <= 10; ++i) {
        int left = 0, gap = 0;
        for (int y = 25 * i + 5; y < 25 * i + 14 && y < 263; ++y) {
            for (int x = 0; x < 29; ++x) {
                left += ink(image, x, y);
            }
            for (int x = 30; x < 33; ++x) {
                gap += ink(image, x, y);
            }
        }
        EXPECT_GT(left, 0) << "label " << i;
        EXPECT_EQ(gap, 0) << "label " << i;
    }
    // "-100mV" (bottom) is wider than "0mV" (middle): its ink starts further left
    auto leftmost = [&](int i) {
        for (int x = 0; x < 29; ++x) {
            for (int y = 25 * i + 5; y < 25 * i + 14 && y < 263; ++y) {
                if (ink(image, x, y)) {
                    return x;
                }
            }
        }
        return 29;
    };
    EXPECT_LT(leftmost(10), leftmost(5));
}

// Every time label lies whole inside the picture, also the first one centred on column 11 and the
// last one on column 510 of 520: the picture holds as much ink under the ticks as the five labels
// drawn alone, and none past the axis line's end.
TEST(AxesTest, TimeLabelsLieInsideThePicture) {
    ensureOffscreenGui();
    const auto inkBelowTicks = [](const QImage& image) {
        int n = 0;
        for (int y = 6; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += ink(image, x, y);
        return n;
    };
    for (const std::int64_t viewStart : {99, 100, 3600099, 3600000}) {
        SharedState state;
        state.viewStart = viewStart;
        state.zoomDivisor = 1;
        state.samplingPeriodMs = 1.0f;
        QImage axis;
        drawTimeAxis(state, axis, kWindow);
        int labels = 0;
        for (int i = 1; i <= 5; ++i) {
            QImage alone(300, kTimeAxisHeight, QImage::Format_RGB32);
            alone.fill(kWindow);
            QPainter painter(&alone);
            painter.setRenderHint(QPainter::TextAntialiasing, false);
            painter.setFont(axisFont());
            painter.setPen(Qt::black);
            painter.drawText(50, 5 + QFontMetrics(axisFont()).ascent(),
                             formatElapsedTime(static_cast<float>(timeAxisLabelMs(viewStart, 1, 1.0f, i))));
            painter.end();
            labels += inkBelowTicks(alone);
        }
        EXPECT_EQ(inkBelowTicks(axis), labels) << viewStart;
        for (int x = kTimeAxisLineEnd; x < kTimeAxisWidth; ++x) // hidden by the window's panels
            for (int y = 6; y < kTimeAxisHeight; ++y)
                EXPECT_FALSE(ink(axis, x, y)) << viewStart << " " << x << "," << y;
    }
}
