#include "view/SampleCodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace varnilog;

// Volts to codes at the edges of every conversion: the exact level, the rounding, the clipping on
// both sides, values no sensitivity holds, and the index clamped into the table.
TEST(SampleCodesTest, VoltsToCodesAtTheEdges) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Row {
        double volts;
        int sensitivity;
        double level;           // levelCode
        std::int64_t unclipped; // unclippedCode
        int stored;             // derivedCode
    } rows[] = {
        {0.0, 1, 125, 125, 125},
        {52.0, 1, 255, 255, 255},                // the top code at 10 V/div
        {-50.0, 1, 0, 0, 0},                     // the bottom code
        {52.2, 1, 255.5, 256, 255},              // half a code past the top: away from zero, then clipped
        {-50.2, 1, -0.5, -1, 0},                 // and past the bottom
        {0.02, 4, 125.5, 126, 126},              // half a code at 1 V/div goes up
        {-0.02, 4, 124.5, 125, 125},             // and below the zero line up as well
        {0.0399, 4, 125.9975, 126, 126},         // 1 V/div: 0.04 V a code
        {1.0, 0, 127.5, 128, 128},               // index 0 reads as 1 (10 V/div)
        {1.0, 11, 2625, 2625, 255},              // index 11 reads as 10 (10 mV/div)
        {1e300, 1, 2.5e300, 1000000000000, 255}, // held far out on its own side, not wrapped
        {-1e300, 10, -2.5e303, -1000000000000, 0},
        {inf, 5, inf, 1000000000000, 255},
        {-inf, 5, -inf, -1000000000000, 0},
    };
    for (const Row& r : rows) {
        const double level = levelCode(r.volts, r.sensitivity);
        EXPECT_TRUE(level == r.level || std::abs(level - r.level) <= std::abs(r.level) * 1e-12 + 1e-9)
            << r.volts << " V at " << r.sensitivity << ": " << level;
        EXPECT_EQ(unclippedCode(r.volts, r.sensitivity), r.unclipped) << r.volts << " V at " << r.sensitivity;
        EXPECT_EQ(derivedCode(r.volts, r.sensitivity), r.stored) << r.volts << " V at " << r.sensitivity;
    }
    // A code's volts come back to the same code at every sensitivity.
    for (int s = 1; s <= kSensitivityCount; ++s)
        for (int code = 0; code <= 255; ++code) {
            const double v = codeVolts(static_cast<std::uint8_t>(code), s);
            ASSERT_EQ(derivedCode(v, s), code) << code << " at " << s;
            ASSERT_NEAR(levelCode(v, s), code, 1e-9) << code << " at " << s;
        }
}

TEST(SampleCodesTest, AutoSensitivityTakesTheMostSensitiveThatHolds) {
    struct Row {
        double vmin, vmax;
        int sensitivity;
    } rows[] = {
        {0.0, 0.0, 10},     {-0.05, 0.052, 10}, // codes 0 and 255 at 10 mV/div
        {-0.05, 0.0522, 9}, {-0.0502, 0.0, 9},  // half a code past either end: the next one
        {-50.0, 52.0, 1},   {-60.0, 60.0, 1},   // beyond 10 V/div: still the least sensitive
        {-1.0, 1.0, 6},     {-1e300, 1e300, 1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(autoSensitivity(r.vmin, r.vmax), r.sensitivity) << r.vmin << ".." << r.vmax;
}
