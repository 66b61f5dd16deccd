#include "view/WaveformRenderer.h"

#include "support/OffscreenGui.h"
#include "view/Colour.h"
#include "view/ViewBuffers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace varnilog;

namespace {

constexpr QRgb kBlack = 0xFF000000u;

std::unique_ptr<SharedState> blankState() {
    ensureOffscreenGui();
    auto s = std::make_unique<SharedState>();
    s->channelVisible = {false, false, false, false};
    s->channelOffset = s->channelZeroOffset;
    return s;
}

// View buffers whose three bitmaps are black.
std::unique_ptr<ViewBuffers> blankView() {
    auto view = std::make_unique<ViewBuffers>();
    sizeBitmaps(*view);
    for (QImage* image : {&view->bmpBackground, &view->bmpWave, &view->bmpScreen})
        image->fill(kBlack);
    return view;
}

QRgb pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

// Bitmap rows of column x painted in colour, as [first, last]; {-1, -1} when none; -2 when not contiguous.
std::pair<int, int> paintedRows(const QImage& image, int x, QRgb colour) {
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (pixel(image, x, y) == colour) {
            if (first < 0) {
                first = y;
            } else if (last != y - 1) {
                return {-2, -2};
            }
            last = y;
        }
    }
    return {first, last};
}

} // namespace

TEST(ColourTest, SettingsColourAndQRgb) {
    struct Row {
        std::int32_t bgr;
        QRgb rgb;
    } rows[] = {
        {0x000000, 0xFF000000u}, {0x0000FF, 0xFFFF0000u}, // red in the low byte
        {0x00FF00, 0xFF00FF00u}, {0xFF0000, 0xFF0000FFu}, {0x44EEEE, 0xFFEEEE44u}, {0x102030, 0xFF302010u},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(toQRgb(r.bgr), r.rgb) << std::hex << r.bgr;
        EXPECT_EQ(fromQRgb(r.rgb), r.bgr) << std::hex << r.bgr;
    }
    EXPECT_EQ(toQRgb(0x7F0000FF), 0xFFFF0000u); // the unused top byte is ignored
}

TEST(WaveformRendererTest, BackgroundPlainAndGradient) {
    struct Row {
        std::int32_t c1, c2;
        bool gradient;
        int y;
        QRgb expected;
    } rows[] = {
        {0x102030, 0x90A0B0, false, 0, 0xFF302010u},
        {0x102030, 0x90A0B0, false, 250, 0xFF302010u},
        {0x102030, 0x90A0B0, true, 0, 0xFF302010u},
        {0x102030, 0x90A0B0, true, 499, 0xFF302010u},
        // 0x30 + 0x80 * 249 / 256 = 172.5 -> 172; 0x20 + 124.5 -> 156; 0x10 + 124.5 -> 140
        {0x102030, 0x90A0B0, true, 249, qRgb(172, 156, 140)},
        {0x102030, 0x90A0B0, true, 250, qRgb(172, 156, 140)},
        {0x102030, 0x90A0B0, true, 128, qRgb(112, 96, 80)},
        {0x102030, 0x90A0B0, true, 371, qRgb(112, 96, 80)},
        // falling: 255 - 255 * 249 / 256 = 6.996 -> 6 (the sum is truncated, not the step)
        {0xFFFFFF, 0x000000, true, 249, qRgb(6, 6, 6)},
        {0xFFFFFF, 0x000000, true, 1, qRgb(254, 254, 254)},
    };
    for (const Row& r : rows) {
        QImage image(1000, 500, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        paintBackground(image, r.c1, r.c2, r.gradient);
        EXPECT_EQ(pixel(image, 0, r.y), r.expected) << "y=" << r.y;
        EXPECT_EQ(pixel(image, 999, r.y), r.expected) << "y=" << r.y;
    }
}

TEST(WaveformRendererTest, GradientRowsMirror) {
    QImage image(1000, 500, QImage::Format_RGB32);
    paintBackground(image, 0x0A1B2C, 0xF0E0D0, true);
    for (int i = 0; i < 250; ++i) {
        ASSERT_EQ(image.pixel(500, i), image.pixel(500, 499 - i)) << i;
    }
}

TEST(WaveformRendererTest, GridMovesWithFirstColumn) {
    struct Row {
        std::int64_t viewStart;
        std::int32_t zoom;
        std::vector<int> columns; // grid columns among bitmap x 0..119 in a row off the horizontal lines
    } rows[] = {
        {0, 1, {0, 50, 100}},
        {1, 1, {48, 98}},
        {24, 1, {2, 52, 102}},
        {25, 1, {0, 50, 100}},
        {100, 4, {0, 50, 100}},
        {52, 4, {24, 74}},
        {7, 8, {0, 50, 100}}, // column 0: no shift
        {3000000000LL, 1, {0, 50, 100}},
        {3000000001LL, 1, {48, 98}},
    };
    for (const Row& r : rows) {
        QImage image(1000, 500, QImage::Format_RGB32);
        image.fill(kBlack);
        drawGrid(image, gridColor, r.viewStart, r.zoom);
        std::vector<int> found;
        for (int x = 0; x < 120; ++x) {
            if (pixel(image, x, 7) == 0xFFAAAAAAu) {
                found.push_back(x);
            }
        }
        EXPECT_EQ(found, r.columns) << "viewStart=" << r.viewStart << " zoom=" << r.zoom;
        for (int y : {0, 50, 450}) {
            EXPECT_EQ(pixel(image, 999, y), 0xFFAAAAAAu) << y; // horizontal lines across
        }
        EXPECT_NE(pixel(image, 999, 499), 0xFFAAAAAAu);
    }
}

TEST(WaveformRendererTest, TraceStepsSplitAtMidpoint) {
    struct Column {
        int column;      // bitmap column
        int first, last; // painted bitmap rows
    };
    struct Row {
        const char* name;
        int before, after; // hi = lo of columns 0..9 and 10..499
        std::vector<Column> columns;
    } rows[] = {
        // rising 20 -> 220 at k = 10: 120..220 in columns 21, 22; 20..120 in 20, 21
        {"rise", 20, 220, {{20, 260, 461}, {21, 60, 461}, {22, 60, 261}, {23, 60, 61}, {19, 460, 461}}},
        // falling 220 -> 20: 120..220 in columns 20, 21; 20..120 in 21, 22
        {"fall", 220, 20, {{20, 60, 261}, {21, 60, 461}, {22, 260, 461}}},
        // one count: the half-steps are 0, so 20..21 at 2k+1, 2k+2 and 20 alone at 2k
        {"odd", 20, 21, {{20, 460, 461}, {21, 458, 461}, {22, 458, 461}, {23, 458, 459}}},
        // clipped at both edges: 0 is below row 249, 255 above row 0
        {"clip", 0, 255, {{21, 0, 499}, {18, -1, -1}, {30, -1, -1}}},
    };
    for (const Row& r : rows) {
        auto s = blankState();
        auto view = blankView();
        for (int k = 0; k < 500; ++k) {
            s->channelData[0][k] = static_cast<std::uint8_t>(k < 10 ? r.before : r.after);
        }
        s->channelColor[0] = 0x0000FF;
        QImage image(1000, 500, QImage::Format_RGB32);
        image.fill(kBlack);
        drawTrace(*s, *view, 0, 1, image);
        for (const Column& c : r.columns)
            EXPECT_EQ(paintedRows(image, c.column, 0xFFFF0000u), std::make_pair(c.first, c.last))
                << r.name << " column " << c.column;
    }
}

TEST(WaveformRendererTest, TraceAtZoomUsesColumnMinimum) {
    // Columns 0..9: 90..100, from 10: 87..110. Rising at k = 10: span A from 90 + half(-3) = 88
    // (half rounds toward minus infinity) up to 110 in columns 21, 22; span B 90..105 in 20, 21.
    struct Row {
        int column, first, last;
    } rows[] = {
        {20, 2 * (250 - 105), 2 * (250 - 90) + 1},
        {21, 2 * (250 - 110), 2 * (250 - 88) + 1},
        {25, 2 * (250 - 110), 2 * (250 - 87) + 1},
        {19, 2 * (250 - 100), 2 * (250 - 90) + 1},
    };
    auto s = blankState();
    auto view = blankView();
    for (int k = 0; k < 500; ++k) {
        s->channelData[0][k] = static_cast<std::uint8_t>(k < 10 ? 100 : 110);
        view->columnMin[0][k] = static_cast<std::uint8_t>(k < 10 ? 90 : 87);
    }
    s->channelColor[0] = 0x00FF00;
    QImage image(1000, 500, QImage::Format_RGB32);
    image.fill(kBlack);
    drawTrace(*s, *view, 0, 4, image);
    for (const Row& r : rows) {
        EXPECT_EQ(paintedRows(image, r.column, 0xFF00FF00u), std::make_pair(r.first, r.last)) << r.column;
    }
    // At zoom 1 the same data is a flat line: columnMin is ignored.
    image.fill(kBlack);
    drawTrace(*s, *view, 0, 1, image);
    EXPECT_EQ(paintedRows(image, 25, 0xFF00FF00u), std::make_pair(280, 281));
}

TEST(WaveformRendererTest, BoxFilterAveragesFourPixelsRoundingDown) {
    QImage image(1000, 500, QImage::Format_RGB32);
    image.fill(kBlack);
    image.setPixel(0, 0, qRgb(255, 0, 3));
    image.setPixel(1, 0, qRgb(1, 0, 0));
    image.setPixel(0, 1, qRgb(0, 255, 1));
    image.setPixel(1, 1, qRgb(0, 2, 0));
    for (int x = 2; x < 4; ++x) {
        for (int y = 0; y < 2; ++y) {
            image.setPixel(x, y, qRgb(255, 255, 255));
        }
    }
    image.setPixel(998, 498, qRgb(7, 7, 7));
    reduceBoxFilter(image);
    EXPECT_EQ(pixel(image, 0, 0), qRgb(64, 64, 1)); // 256/4, 257/4, 4/4
    EXPECT_EQ(pixel(image, 1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 499, 249), qRgb(1, 1, 1)); // 7/4
    EXPECT_EQ(pixel(image, 2, 0), kBlack);
}

TEST(WaveformRendererTest, FullRedrawOfConstantsAndChannelOrder) {
    struct Row {
        const char* name;
        int x, y;
        QRgb expected;
    } rows[] = {
        {"trace on the centre grid line", 0, 125, 0xFF00FF00u}, // B over A
        {"trace on the centre grid line", 300, 125, 0xFF00FF00u},
        {"vertical grid at half intensity", 1, 124, kBlack},
        {"vertical grid at half intensity", 0, 124, qRgb(0x55, 0x55, 0x55)},
        {"vertical grid at half intensity", 25, 124, qRgb(0x55, 0x55, 0x55)},
        {"horizontal grid at half intensity", 1, 0, qRgb(0x55, 0x55, 0x55)},
        {"grid crossing: three of four pixels", 0, 0, qRgb(0x7F, 0x7F, 0x7F)},
        {"no grid at the bottom edge", 1, 249, kBlack},
        {"channel A alone where B is not", 0, 50, 0xFFEEEE44u},
        {"channel A alone where B is not", 499, 50, 0xFFEEEE44u},
        {"nothing below", 3, 126, kBlack},
    };
    auto s = blankState();
    auto view = blankView();
    s->channelVisible = {true, true, true, false};
    s->channelColor = {0x44EEEE, 0x00FF00, 0x0000FF, 0xFFFFFF};
    s->channelData[0].fill(200);
    s->channelData[1].fill(125);
    s->channelData[2].fill(0);   // C at 0: never visible
    s->channelData[3].fill(100); // D hidden
    renderWaveform(*s, *view);
    for (const Row& r : rows) {
        EXPECT_EQ(pixel(view->bmpScreen, r.x, r.y), r.expected) << r.name << " (" << r.x << "," << r.y << ")";
    }
    EXPECT_NE(pixel(view->bmpScreen, 3, 150), 0xFFFFFFFFu); // D is not drawn
}

TEST(WaveformRendererTest, RedrawSwitchesCursorsOff) {
    auto s = blankState();
    auto view = blankView();
    s->cursorsActive = true;
    renderWaveform(*s, *view);
    EXPECT_FALSE(s->cursorsActive);
}

TEST(WaveformRendererTest, OffsetMarkerRow) {
    struct Row {
        int offset, zero;
        float reference;
        int row;
    } rows[] = {
        {110, 100, 2.5f, 101}, {90, 100, 2.5f, 151},   {100, 100, 2.5f, 126},
        {51, 100, 2.5f, 248},  {50, 100, 2.5f, 249},   // 251 is kept at 249
        {150, 100, 2.5f, 1},   {101, 100, 1.25f, 124}, // 124.75 truncated
        {99, 100, 1.25f, 127},                         // 127.25
        {255, 0, 2.5f, 0}, // far outside the controls' range: stays on the picture
    };
    for (const Row& r : rows) {
        EXPECT_EQ(offsetMarkerRow(static_cast<std::uint8_t>(r.offset), static_cast<std::uint8_t>(r.zero),
                                  r.reference),
                  r.row)
            << r.offset << "/" << r.zero;
    }
}

TEST(WaveformRendererTest, OffsetMarkersDashesAndLabels) {
    auto s = blankState();
    auto view = blankView();
    s->channelCount = 2;
    s->referenceVoltage = 2.5f;
    s->channelZeroOffset = {100, 100, 100, 100};
    s->channelOffset = {110, 90, 120, 100}; // A row 101, B row 151; C is not recorded
    s->channelColor = {0x44EEEE, 0x00FF00, 0x0000FF, 0xFFFFFF};
    drawOverlays(*s, *view, false);
    const QImage& screen = view->bmpScreen;
    struct Row {
        int x, y;
        QRgb expected;
    } rows[] = {
        {0, 101, qRgb(0x77, 0x77, 0x22)},
        {3, 101, qRgb(0x77, 0x77, 0x22)},
        {4, 101, kBlack},
        {7, 101, kBlack},
        {8, 101, qRgb(0x77, 0x77, 0x22)},
        {495, 101, kBlack},
        {499, 101, qRgb(0x77, 0x77, 0x22)},
        {0, 151, qRgb(0, 0x7F, 0)},
        {4, 151, kBlack},
        {0, 76, kBlack}, // C: no marker
    };
    for (const Row& r : rows) {
        EXPECT_EQ(pixel(screen, r.x, r.y), r.expected) << r.x << "," << r.y;
    }
    // Labels start at x = 10: A's below its line, B's above its line.
    auto inkRows = [&](QRgb colour, int fromY, int toY) {
        int count = 0;
        for (int y = fromY; y <= toY; ++y) {
            for (int x = 0; x < 100; ++x) {
                count += pixel(screen, x, y) == colour && (y != 101 && y != 151);
                EXPECT_FALSE(x < 10 && y != 101 && y != 151 && pixel(screen, x, y) == colour)
                    << x << "," << y;
            }
        }
        return count;
    };
    EXPECT_GT(inkRows(0xFFEEEE44u, 103, 115), 0);
    EXPECT_EQ(inkRows(0xFFEEEE44u, 0, 100), 0);
    EXPECT_GT(inkRows(0xFF00FF00u, 138, 148), 0);
    EXPECT_EQ(inkRows(0xFF00FF00u, 152, 249), 0);
}

TEST(WaveformRendererTest, OverlayRunsCursorPainterOnlyWhenShown) {
    auto s = blankState();
    auto view = blankView();
    int calls = 0;
    const CursorPainter painter = [&calls](const SharedState&, QImage& screen) {
        ++calls;
        screen.setPixel(5, 5, qRgb(1, 2, 3));
    };
    drawOverlays(*s, *view, false, painter);
    EXPECT_EQ(calls, 0);
    drawOverlays(*s, *view, true, painter);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(pixel(view->bmpScreen, 5, 5), qRgb(1, 2, 3));
    drawOverlays(*s, *view, false, painter); // the plain picture comes back
    EXPECT_EQ(pixel(view->bmpScreen, 5, 5), kBlack);
}
