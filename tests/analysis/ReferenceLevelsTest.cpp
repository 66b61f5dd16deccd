// The reference codes of a span against the sorted codes, whether counted whole or by their tails,
// in blocks that do and do not cover the first samples the tails are chosen from.
#include "analysis/ReferenceLevels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace varnilog {
namespace {

using Codes = std::vector<std::uint8_t>;

Codes noisy(std::size_t n, int centre, int amplitude, int noise, std::mt19937& random) {
    Codes codes(n);
    for (std::size_t i = 0; i < n; ++i)
        codes[i] = static_cast<std::uint8_t>(std::clamp(centre + ((i / 300) % 2 ? amplitude : -amplitude) +
                                                            static_cast<int>(random() % noise) - noise / 2,
                                                        0, 255));
    return codes;
}

Codes joined(Codes a, const Codes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ReferenceLevelsTest, RanksOfTheSortedCodes) {
    std::mt19937 random(3);
    Codes glitch(1000, 100);
    std::fill(glitch.begin() + 500, glitch.end(), 150);
    glitch[10] = 255;
    glitch[900] = 0;
    const struct {
        const char* name;
        Codes codes;
        bool thinTails; // the tails chosen from the first 64 Ki samples miss the reference codes
    } rows[] = {
        {"one sample", {150}, false},
        {"199 samples: the extremes", noisy(199, 125, 50, 40, random), false},
        {"200 samples: the second largest", noisy(200, 125, 50, 40, random), false},
        {"201 samples", noisy(201, 125, 50, 40, random), false},
        {"a glitch on either side", glitch, false},
        {"noise", noisy(70001, 125, 0, 200, random), false},
        {"square wave", noisy(100000, 125, 50, 1, random), false},
        {"flat", Codes(100000, 125), false},
        {"grows after the start",
         joined(noisy(70000, 125, 20, 9, random), noisy(230000, 125, 100, 30, random)), false},
        {"shrinks after the start",
         joined(noisy(70000, 125, 100, 30, random), noisy(630000, 125, 20, 9, random)), true},
    };
    for (const auto& row : rows) {
        Codes sorted = row.codes;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        const ReferenceCodes want{sorted[(n + 199) / 200 - 1], sorted[(199 * n + 199) / 200 - 1]};
        for (const std::size_t block : {std::size_t{4099}, std::size_t{1} << 18}) {
            SCOPED_TRACE(std::string(row.name) + ", block " + std::to_string(block));
            ReferenceTally every(false), tails;
            for (std::size_t from = 0; from < n; from += block) {
                const std::size_t count = std::min(block, n - from);
                every.add(row.codes.data() + from, count);
                tails.add(row.codes.data() + from, count);
            }
            EXPECT_EQ(every.count(), static_cast<std::int64_t>(n));
            EXPECT_EQ(every.codes(), want);
            // A first block of 2^18 samples holds enough of the later samples to choose the tails from.
            const bool thin = row.thinTails && block < 65536;
            EXPECT_EQ(tails.codes(), thin ? std::nullopt : std::optional(want));
        }
    }
    EXPECT_EQ(ReferenceTally().codes(), std::nullopt);
}

} // namespace
} // namespace varnilog
