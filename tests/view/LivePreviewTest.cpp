#include "view/LivePreview.h"

#include "view/ScaleTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace varnilog;

namespace {

// A code that changes at every sample and has rare extremes, so a column shifted by one sample reads
// different extremes.
std::uint8_t liveCode(int channel, std::int64_t k) {
    const auto h = static_cast<std::uint64_t>(k + 1) * 0x9E3779B97F4A7C15ull >> (40 + channel);
    return static_cast<std::uint8_t>(k % 9973 == 17 ? 255 - channel : 20 + h % 200);
}

struct LiveColumns {
    std::array<std::array<std::uint8_t, kDisplayColumns>, 2> top{};
    std::array<std::array<std::uint8_t, kDisplayColumns>, 2> bottom{};
};

LiveColumns liveColumns(const LivePreview& live, std::int64_t viewStart, std::int32_t zoom) {
    LiveColumns out;
    std::uint8_t* const top[2] = {out.top[0].data(), out.top[1].data()};
    std::uint8_t* const bottom[2] = {out.bottom[0].data(), out.bottom[1].data()};
    live.columns(viewStart, zoom, top, bottom);
    return out;
}

// Feeds samples [0, n) in ticks of the given size.
void feed(LivePreview& live, std::int64_t n, std::int64_t tick) {
    std::vector<std::uint8_t> a(static_cast<std::size_t>(tick)), b(a.size());
    for (std::int64_t k = 0; k < n; k += tick) {
        const std::int64_t count = std::min(tick, n - k);
        for (std::int64_t i = 0; i < count; ++i) {
            a[static_cast<std::size_t>(i)] = liveCode(0, k + i);
            b[static_cast<std::size_t>(i)] = liveCode(1, k + i);
        }
        live.append(a.data(), b.data(), count);
    }
}

} // namespace

// Columns within the newest samples are exactly a stored view's: the largest and smallest code of
// each, whatever the ticks were; columns before the first sample or past the newest are the zero line.
// The newest 500 samples are kept one a column beside them.
TEST(LivePreviewTest, ColumnsAreTheExtremesOfTheirSamples) {
    struct Case {
        std::int64_t samples, tick;
        std::int32_t zoom;
        bool following; // else the view starts at sample 0
    } cases[] = {
        {300, 7, 1, true},             // fewer samples than columns: the left part is empty
        {5000, 1000, 1, true},         // the rolling picture of today
        {100000, 4096, 37, true},      // a column ends inside a tick
        {100000, 1, 200, false},       // ticks of one sample
        {1500000, 102400, 1000, true}, // the ring has wrapped
        {999, 999, 2, false},          // the newest column is not whole
    };
    auto live = std::make_unique<LivePreview>();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.samples << " samples, zoom " << c.zoom);
        live->reset();
        feed(*live, c.samples, c.tick);
        const std::int64_t start = c.following ? LivePreview::followingStart(c.samples, c.zoom) : 0;
        if (c.following) {
            EXPECT_EQ((c.samples - 1 - start) / c.zoom, kDisplayColumns - 1) << "the newest sample is last";
            EXPECT_EQ(start % c.zoom, 0) << "the columns keep their samples while rolling";
        }
        const LiveColumns got = liveColumns(*live, start, c.zoom);
        for (int ch = 0; ch < 2; ++ch)
            for (int k = 0; k < kDisplayColumns; ++k) {
                const std::int64_t newest = c.samples - kDisplayColumns + k;
                ASSERT_EQ(live->newest(ch)[k], newest >= 0 ? liveCode(ch, newest) : kZeroLine) << k;
                std::uint8_t lo = 255, hi = 0;
                for (std::int64_t s = start + k * std::int64_t{c.zoom};
                     s < start + (k + 1) * std::int64_t{c.zoom}; ++s)
                    if (s >= 0 && s < c.samples) {
                        lo = std::min(lo, liveCode(ch, s));
                        hi = std::max(hi, liveCode(ch, s));
                    }
                if (lo > hi)
                    lo = hi = kZeroLine;
                ASSERT_EQ(got.top[ch][k], hi) << "channel " << ch << " column " << k;
                ASSERT_EQ(got.bottom[ch][k], lo) << "channel " << ch << " column " << k;
            }
    }
}

// Older than the ring the columns come from the blocks: they hold every extreme of their own samples
// and nothing from further than one block away, also after the blocks have been merged.
TEST(LivePreviewTest, OldColumnsStayWithinOneBlockOfTheirSamples) {
    auto live = std::make_unique<LivePreview>();
    const std::int64_t n =
        LivePreview::kBlockCapacity * LivePreview::kFirstBlockWidth + 3 * LivePreview::kRawCapacity;
    feed(*live, n, 102400);
    ASSERT_EQ(live->blockWidth(), 2 * LivePreview::kFirstBlockWidth) << "the blocks were merged once";
    const std::int32_t zoom = static_cast<std::int32_t>(n / kDisplayColumns);
    const LiveColumns got = liveColumns(*live, 0, zoom);
    const std::int64_t w = live->blockWidth();
    for (int k = 0; k < kDisplayColumns; k += 7) {
        const std::int64_t from = k * std::int64_t{zoom}, to = from + zoom;
        std::uint8_t lo = 255, hi = 0, wideLo = 255, wideHi = 0;
        for (std::int64_t s = std::max<std::int64_t>(0, from - w); s < std::min(n, to + w); ++s) {
            const std::uint8_t code = liveCode(0, s);
            wideLo = std::min(wideLo, code);
            wideHi = std::max(wideHi, code);
            if (s >= from && s < to) {
                lo = std::min(lo, code);
                hi = std::max(hi, code);
            }
        }
        EXPECT_LE(got.bottom[0][k], lo) << k;
        EXPECT_GE(got.top[0][k], hi) << k;
        EXPECT_GE(got.bottom[0][k], wideLo) << k;
        EXPECT_LE(got.top[0][k], wideHi) << k;
    }
}
