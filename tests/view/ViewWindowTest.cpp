#include "view/ViewWindow.h"
#include "app/SharedState.h"

#include "support/LoadedViewTest.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

using namespace varnilog;

namespace {

class ViewWindowFixture : public test::LoadedViewTest {
protected:
    // Opens bytes as the sample file of channel c, as the loader leaves it.
    void openChannel(int c, const std::vector<std::uint8_t>& bytes) {
        const QString path = dir.filePath(QStringLiteral("ch%1.rc").arg(c));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        out.close();
        s->sampleFile[c].setFileName(path);
        ASSERT_TRUE(s->sampleFile[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    }
    std::vector<int> top(int c, int from, int to) const {
        return std::vector<int>(s->channelData[c].begin() + from, s->channelData[c].begin() + to);
    }
    std::vector<int> bottom(int c, int from, int to) const {
        return std::vector<int>(view->columnMin[c].begin() + from, view->columnMin[c].begin() + to);
    }
};

// The view's working buffers are its own: the shared state keeps only what other subsystems use.
template <typename T>
concept HasColumnMin = requires(const T& t) {
    t.columnMin;
};
template <typename T>
concept HasViewBlock = requires(const T& t) {
    t.viewBlock;
};
template <typename T>
concept HasOffsetLabelMask = requires(const T& t) {
    t.offsetLabelMask;
};
static_assert(HasColumnMin<ViewBuffers> && HasViewBlock<ViewBuffers> && HasOffsetLabelMask<ViewBuffers>);
static_assert(!HasColumnMin<SharedState> && !HasViewBlock<SharedState> && !HasOffsetLabelMask<SharedState>);

// Bytes of a pseudo-random sequence (a plain LCG), so every column has a different minimum and maximum.
std::vector<std::uint8_t> noise(std::size_t count) {
    std::vector<std::uint8_t> v(count);
    std::uint32_t x = 12345;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return v;
}

} // namespace

TEST_F(ViewWindowFixture, ZoomOneReadsSamplesThenZeroLine) {
    std::vector<std::uint8_t> bytes(300);
    for (int i = 0; i < 300; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i % 200);
    }
    openChannel(0, bytes);
    s->channelData[1].fill(7); // channel B has no file: zero line, not what was there
    s->viewStart = 100;
    s->zoomDivisor = 1;
    loadViewWindow(*s, *view);
    EXPECT_EQ(top(0, 0, 3), (std::vector<int>{100, 101, 102}));
    EXPECT_EQ(top(0, 99, 101), (std::vector<int>{199, 0}));
    EXPECT_EQ(top(0, 199, 201), (std::vector<int>{99, 125})); // sample 299, then past the end
    EXPECT_EQ(top(0, 499, 500), (std::vector<int>{125}));
    EXPECT_EQ(top(1, 0, 2), (std::vector<int>{125, 125}));
}

TEST_F(ViewWindowFixture, ZoomedColumnsMinMaxAndPartialLastColumn) {
    struct Row {
        std::int32_t zoom;
        std::int64_t viewStart;
        std::vector<int> hi, lo; // columns 0..4
    } rows[] = {
        // samples 10 40 20 30 | 5 5 5 5 | 250 1 2 3 | 9 (end)
        {4, 0, {40, 5, 250, 9, 125}, {10, 5, 1, 9, 125}},
        // 10 40 20 | 30 5 5 | 5 5 250 | 1 2 3 | 9
        {3, 0, {40, 30, 250, 3, 9}, {10, 5, 5, 1, 9}},
        {2, 11, {9, 125, 125, 125, 125}, {3, 125, 125, 125, 125}}, // 3 9, then past the end
        {2, 13, {125, 125, 125, 125, 125}, {125, 125, 125, 125, 125}},
    };
    openChannel(0, {10, 40, 20, 30, 5, 5, 5, 5, 250, 1, 2, 3, 9});
    for (const Row& r : rows) {
        s->channelData[0].fill(77); // stale bytes must not survive
        view->columnMin[0].fill(77);
        s->zoomDivisor = r.zoom;
        s->viewStart = r.viewStart;
        loadViewWindow(*s, *view);
        EXPECT_EQ(top(0, 0, 5), r.hi) << "zoom " << r.zoom << " at " << r.viewStart;
        EXPECT_EQ(bottom(0, 0, 5), r.lo) << "zoom " << r.zoom << " at " << r.viewStart;
        EXPECT_EQ(top(0, 5, 500), std::vector<int>(495, 125));
        EXPECT_EQ(bottom(0, 5, 500), std::vector<int>(495, 125));
    }
}

TEST_F(ViewWindowFixture, DeepZoomEqualsStraightMinMax) {
    // 2 000 000 samples shown whole: 4000 per column, more than a staging row, across block edges.
    const auto bytes = noise(2000000);
    openChannel(0, bytes);
    openChannel(1, std::vector<std::uint8_t>(bytes.rbegin(), bytes.rend()));
    struct Row {
        std::int32_t zoom;
        std::int64_t viewStart;
    } rows[] = {{showAllDivisor(2000000), 0}, {1001, 12345}, {2, 1999000}, {4096, 3}};
    for (const Row& r : rows) {
        s->zoomDivisor = r.zoom;
        s->viewStart = r.viewStart;
        loadViewWindow(*s, *view);
        for (int c = 0; c < 2; ++c) {
            for (int k = 0; k < 500; ++k) {
                const std::int64_t from = r.viewStart + std::int64_t{k} * r.zoom;
                const std::int64_t to = std::min<std::int64_t>(from + r.zoom, 2000000);
                int hi = 125, lo = 125;
                if (from < to) {
                    hi = 0;
                    lo = 255;
                    for (std::int64_t i = from; i < to; ++i) {
                        const int v = c == 0 ? bytes[i] : bytes[1999999 - i];
                        hi = std::max(hi, v);
                        lo = std::min(lo, v);
                    }
                }
                ASSERT_EQ(s->channelData[c][k], hi)
                    << "zoom " << r.zoom << " column " << k << " channel " << c;
                ASSERT_EQ(view->columnMin[c][k], lo)
                    << "zoom " << r.zoom << " column " << k << " channel " << c;
            }
        }
    }
}

TEST_F(ViewWindowFixture, PositionsBeyondTwoGigabytes) {
    // A sparse file of 3 GB with marked bytes at 2^31 + 100.
    const QString path = dir.filePath(QStringLiteral("big.rca"));
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        if (!out.resize(3000000000LL)) {
            GTEST_SKIP() << "no room for a sparse 3 GB file";
        }
        ASSERT_TRUE(out.seek(2147483748LL));
        out.write("\x01\x02\x03", 3);
    }
    s->sampleFile[0].setFileName(path);
    ASSERT_TRUE(s->sampleFile[0].open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    s->sampleCount = s->sampleFile[0].size();
    s->viewStart = 2147483748LL;
    const ViewRefresh r = refreshView(*s, *view);
    EXPECT_EQ(s->viewStart, 2147483748LL);
    EXPECT_EQ(top(0, 0, 4), (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(r.range.maximum, 3000000000LL - 500);
    EXPECT_EQ(r.scrollBar.samplesPerStep, 2);
    EXPECT_EQ(viewStartAtPosition(r.scrollBar, r.range, r.scrollBar.position), 2147483748LL);
}

TEST(ViewWindowTest, ScrollRangeKeepsTheLastWindow) {
    struct Row {
        std::int64_t count;
        std::int32_t zoom;
        std::int64_t viewStart;
        std::int64_t maximum, page, large, small, clamped;
    } rows[] = {
        {10000, 1, 0, 9500, 500, 25, 1, 0},
        {10000, 1, 9500, 9500, 500, 25, 1, 9500},
        {10000, 2, 9500, 9000, 1000, 50, 2, 9000}, // scrolled to the end, zoomed out: still the end
        {10000, 20, 0, 0, 10000, 500, 20, 0},
        {10000, 4, -3, 8000, 2000, 100, 4, 0},
        {999, 3, 0, 0, 1500, 75, 3, 0}, // W beyond the recording: maximum 0, not negative
        {999, 3, 400, 0, 1500, 75, 3, 0},
        {499, 1, 10, 0, 500, 25, 1, 0},
        {500, 1, 0, 0, 500, 25, 1, 0},
        {501, 1, 7, 1, 500, 25, 1, 1},
        {-1, 1, 5, 0, 500, 25, 1, 0}, // no ".rca"
        {3000000000LL, 1, 2900000000LL, 2999999500LL, 500, 25, 1, 2900000000LL},
    };
    for (const Row& r : rows) {
        const ScrollRange got = scrollRange(r.count, r.zoom, r.viewStart);
        EXPECT_EQ(got.maximum, r.maximum) << r.count << "/" << r.zoom << "/" << r.viewStart;
        EXPECT_EQ(got.page, r.page) << r.count << "/" << r.zoom;
        EXPECT_EQ(got.largeStep, r.large) << r.count << "/" << r.zoom;
        EXPECT_EQ(got.smallStep, r.small) << r.count << "/" << r.zoom;
        EXPECT_EQ(got.viewStart, r.clamped) << r.count << "/" << r.zoom << "/" << r.viewStart;
    }
}

TEST(ViewWindowTest, ScrollBarMappingBeyondIntRange) {
    struct Row {
        std::int64_t maximum, viewStart;
        std::int64_t unit;
        int barMaximum, position;
    } rows[] = {
        {9500, 300, 1, 9500, 300},
        {2147483647LL, 2147483647LL, 1, 2147483647, 2147483647},
        // 2^32: 3 samples a step (2 would leave 2^31 positions), last position = last window
        {4294967296LL, 4294967296LL, 3, 1431655766, 1431655766},
        {4294967296LL, 7, 3, 1431655766, 2},
    };
    for (const Row& r : rows) {
        ScrollRange range;
        range.maximum = r.maximum;
        range.page = 500;
        range.smallStep = 1;
        range.largeStep = 25;
        range.viewStart = r.viewStart;
        const ScrollBarSetup bar = scrollBarSetup(range);
        EXPECT_EQ(bar.samplesPerStep, r.unit) << r.maximum;
        EXPECT_EQ(bar.maximum, r.barMaximum) << r.maximum;
        EXPECT_EQ(bar.position, r.position) << r.maximum;
        EXPECT_EQ(viewStartAtPosition(bar, range, bar.maximum), r.maximum);
        EXPECT_EQ(viewStartAtPosition(bar, range, 1), r.unit);
        EXPECT_GE(bar.singleStep, 1);
    }
}

TEST(ViewWindowTest, TrackClickStaysWithinTheRange) {
    struct Row {
        int position, direction, step, maximum, expected;
    } rows[] = {
        {9490, 1, 25, 9500, 9500}, // the last window is reached, not passed
        {10, -1, 25, 9500, 0},
        {2147483600, 1, 100, 2147483647, 2147483647}, // no wrap near the int range
        {5, 1, 25, 0, 0},                             // nothing to scroll
    };
    for (const Row& r : rows)
        EXPECT_EQ(trackClickPosition(r.position, r.direction, r.step, 0, r.maximum), r.expected)
            << r.position;
}

TEST(ViewWindowTest, ZoomButtons) {
    // "Pokaż całość" on 10 000 samples, then "Zbliż" down to 1.
    std::int32_t z = showAllDivisor(10000);
    EXPECT_EQ(z, 20);
    std::vector<int> steps;
    for (int i = 0; i < 5; ++i) {
        z = zoomInDivisor(z);
        steps.push_back(z);
    }
    EXPECT_EQ(steps, (std::vector<int>{10, 5, 2, 1, 1}));

    struct OutRow {
        std::int32_t zoom;
        std::int64_t count;
        std::int32_t expected;
    } outRows[] = {
        {1, 10000, 2},
        {16, 10000, 20},
        {20, 10000, 20},
        {1, 499, 1},
        {1, 999, 1},
        {1, 1000, 2},
        {50, 10000, 20}, // above the limit after "Pokaż zaznaczenie": brought down
        {1073741824, 2000000000000LL, 2147483647},
        {1, -1, 1},
    };
    for (const OutRow& r : outRows) {
        EXPECT_EQ(zoomOutDivisor(r.zoom, r.count), r.expected) << r.zoom << "/" << r.count;
    }
    EXPECT_EQ(showAllDivisor(499), 1);
    EXPECT_EQ(showAllDivisor(2000000), 4000);
    EXPECT_EQ(showAllDivisor(-1), 1);

    struct SelectionRow {
        std::int64_t viewStart;
        std::int32_t a, b;
        std::int64_t start;
        std::int32_t zoom;
    } selectionRows[] = {
        {1000, 300, 100, 1100, 1}, // fewer than 500 samples: zoom 1 at the span's start
        {0, 0, 5000, 0, 10},
        {500, 4000, 1000, 1500, 6},
        {3000000000LL, 10, 20, 3000000010LL, 1},
    };
    for (const SelectionRow& r : selectionRows) {
        const ViewPlacement p = showSelectionPlacement(r.viewStart, r.a, r.b);
        EXPECT_EQ(p.viewStart, r.start) << r.a << ".." << r.b;
        EXPECT_EQ(p.zoomDivisor, r.zoom) << r.a << ".." << r.b;
    }
}

TEST_F(ViewWindowFixture, RefreshAfterZoomNearTheEnd) {
    openChannel(0, noise(10000));
    s->sampleCount = 10000;
    s->viewStart = 9500; // scrolled to the end
    s->zoomDivisor = zoomOutDivisor(1, 10000);
    const ViewRefresh r = refreshView(*s, *view);
    EXPECT_EQ(s->viewStart, 9000);
    EXPECT_EQ(r.scrollBar.maximum, 9000);
    EXPECT_EQ(r.scrollBar.position, 9000);
    EXPECT_EQ(r.scrollBar.pageStep, 1000);
    EXPECT_EQ(r.scrollBar.largeStep, 50);
    EXPECT_EQ(r.scrollBar.singleStep, 2);
    EXPECT_FALSE(r.cursorsEnabled);
    s->zoomDivisor = 1;
    EXPECT_TRUE(refreshView(*s, *view).cursorsEnabled);
    EXPECT_EQ(s->viewStart, 9000);
}
