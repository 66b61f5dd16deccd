// Analog codes to logic: hand-worked rows, and random codes, levels and hysteresis against the rule
// computed sample by sample in volts' own arithmetic, fed in random pieces.
#include "decode/LogicThreshold.h"

#include "view/ScaleTables.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace varnilog {
namespace {

std::vector<int> converted(const LogicLevel& level, int sensitivity, const std::vector<std::uint8_t>& codes) {
    LogicThreshold t(level, sensitivity);
    std::vector<std::uint8_t> out(codes.size(), 0xA5); // the other bits must stay
    t.convert(codes.data(), codes.size(), out.data(), 3);
    std::vector<int> bits;
    for (const std::uint8_t o : out) {
        EXPECT_EQ(o & ~8, 0xA5 & ~8);
        bits.push_back((o >> 3) & 1);
    }
    return bits;
}

TEST(LogicThresholdTest, HandWorkedRows) {
    struct Row {
        double volts, hysteresis;
        int sensitivity;
        std::vector<std::uint8_t> codes;
        std::vector<int> bits;
    } rows[] = {
        // 1 V/div: level 137.5, thresholds 140 up and 135 down; the first sample against 137.5.
        {0.5, 0.1, 4, {138, 136, 135, 134, 139, 140, 136, 134}, {1, 1, 1, 0, 0, 1, 1, 0}},
        {0.5, 0.1, 4, {137, 139, 140}, {0, 0, 1}},
        {0.5, 0.0, 4, {137, 138, 137, 138}, {0, 1, 0, 1}},
        // 10 mV/div: -10 mV is code 100; a whole division of hysteresis is 25 codes.
        {-0.01, 1.0, 10, {100, 124, 125, 76, 75, 74, 124, 125}, {1, 1, 1, 1, 1, 0, 0, 1}},
        // Beyond every code: all 0, or all 1.
        {100.0, 0.1, 4, {255, 0, 255}, {0, 0, 0}},
        {-100.0, 0.1, 4, {0, 255, 0}, {1, 1, 1}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(converted({r.volts, r.hysteresis}, r.sensitivity, r.codes), r.bits)
            << r.volts << " " << r.hysteresis;
    EXPECT_DOUBLE_EQ(middleLevelVolts(100, 160, 4), 0.2);
    EXPECT_DOUBLE_EQ(middleLevelVolts(125, 126, 10), 0.0002);
}

TEST(LogicThresholdTest, RandomCodesInPiecesFollowTheRule) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        const int sensitivity = 1 + static_cast<int>(rng() % 10);
        const double vdiv = sensitivityTable[static_cast<std::size_t>(sensitivity)];
        const double volts = (static_cast<double>(rng() % 2001) / 1000.0 - 1.0) * 5 * vdiv;
        const double hysteresis = static_cast<double>(rng() % 11) / 10.0;
        std::vector<std::uint8_t> codes(1 + rng() % 3000);
        // Steps of up to +-10 codes, or flat stretches that a block of codes crosses in one go.
        const int spread = 1 + 2 * static_cast<int>(rng() % 11);
        int walk = static_cast<int>(rng() % 256);
        for (std::uint8_t& c : codes)
            c = static_cast<std::uint8_t>(
                walk = std::clamp(walk + static_cast<int>(rng() % static_cast<unsigned>(spread)) - spread / 2,
                                  0, 255));
        // The rule, in volts' own terms.
        const double lc = 125 + volts / (vdiv * 0.04), h = hysteresis * 25;
        std::vector<std::uint8_t> expected(codes.size());
        int v = codes[0] >= lc;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (i > 0)
                v = v ? !(codes[i] < lc - h) : codes[i] >= lc + h;
            expected[i] = static_cast<std::uint8_t>(v);
        }
        LogicThreshold t({volts, hysteresis}, sensitivity);
        std::vector<std::uint8_t> out(codes.size(), 0);
        for (std::size_t at = 0; at < codes.size();) {
            const std::size_t n = std::min<std::size_t>(codes.size() - at, rng() % 700);
            t.convert(codes.data() + at, n, out.data() + at, 0);
            at += n;
        }
        ASSERT_EQ(out, expected) << "round " << round << ": " << volts << " V at " << sensitivity << ", "
                                 << hysteresis;
    }
}

} // namespace
} // namespace varnilog
