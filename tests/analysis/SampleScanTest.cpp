// The vector searches and counts over sample codes against plain loops, on every length around the
// vector widths (16 and 32 codes) and levels that match nowhere, everywhere and now and then.
#include "analysis/SampleScan.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace varnilog {
namespace {

TEST(SampleScanTest, SearchesFindWhatAPlainLoopFinds) {
    std::mt19937 rng(7);
    for (const std::size_t n : {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 1000, 4099, 70001}) {
        std::vector<std::uint8_t> codes(n);
        for (std::uint8_t& c : codes)
            c = static_cast<std::uint8_t>(100 + rng() % 50);
        if (n > 40)
            codes[n / 3] = 220; // one code far above the rest
        for (const int level : {0, 99, 120, 149, 200, 255}) {
            const auto l = static_cast<std::uint8_t>(level);
            std::ptrdiff_t firstUp = -1, firstDown = -1, lastUp = -1, lastDown = -1;
            for (std::size_t i = 0; i < n; ++i) {
                const auto at = static_cast<std::ptrdiff_t>(i);
                if (codes[i] >= l) {
                    lastUp = at;
                    firstUp = firstUp < 0 ? at : firstUp;
                }
                if (codes[i] <= l) {
                    lastDown = at;
                    firstDown = firstDown < 0 ? at : firstDown;
                }
            }
            SCOPED_TRACE(std::to_string(n) + " codes, level " + std::to_string(level));
            EXPECT_EQ(firstAtLeast(codes.data(), n, l), firstUp);
            EXPECT_EQ(firstAtMost(codes.data(), n, l), firstDown);
            EXPECT_EQ(lastAtLeast(codes.data(), n, l), lastUp);
            EXPECT_EQ(lastAtMost(codes.data(), n, l), lastDown);
            for (const int high : {level, level + 7, 255}) {
                if (high > 255)
                    continue;
                CodeCounts want{}, got{};
                for (const std::uint8_t c : codes)
                    want[c] += c <= l || c >= high ? 1 : 0;
                addTailCounts(codes.data(), n, l, static_cast<std::uint8_t>(high), got);
                EXPECT_EQ(got, want) << "tails up to " << level << " and from " << high;
                CodeCounts fused{};
                CodeStatistics alone, along;
                alone.add(codes.data(), n);
                addTailCountsAndStatistics(codes.data(), n, l, static_cast<std::uint8_t>(high), fused, along);
                EXPECT_EQ(fused, want) << "with the sums, tails up to " << level << " and from " << high;
                EXPECT_TRUE(along.lo == alone.lo && along.hi == alone.hi && along.sum == alone.sum &&
                            along.sumSq == alone.sumSq && along.count == alone.count);
            }
        }
        CodeCounts want{}, got{};
        for (const std::uint8_t c : codes)
            ++want[c];
        addCodeCounts(codes.data(), n, got);
        EXPECT_EQ(got, want);
    }
}

} // namespace
} // namespace varnilog
