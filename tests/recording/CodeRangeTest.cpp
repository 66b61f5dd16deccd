#include "recording/CodeRange.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnilog {
namespace {

// Runs shorter and longer than one vector step, extremes in each lane and in the tail, and bounds
// already wider than the run.
TEST(CodeRangeTest, ExtremesOfEveryRun) {
    struct Row {
        std::size_t length;
        std::size_t loAt, hiAt; // where the run's extremes sit
        std::uint8_t lo0, hi0;  // the bounds before the scan
        std::uint8_t lo, hi;
    } rows[] = {
        {0, 0, 0, 255, 0, 255, 0},       {1, 0, 0, 255, 0, 7, 7},           {63, 5, 62, 255, 0, 7, 200},
        {64, 63, 0, 255, 0, 7, 200},     {200, 17, 130, 255, 0, 7, 200},    {200, 199, 198, 255, 0, 7, 200},
        {1000, 500, 48, 3, 250, 3, 250}, {1000, 999, 31, 100, 100, 7, 200}, {16, 15, 0, 255, 0, 7, 200},
        {50, 47, 33, 255, 0, 7, 200},    {100, 70, 79, 255, 0, 7, 200},
    };
    for (const Row& r : rows) {
        std::vector<std::uint8_t> run(r.length, 100);
        if (r.length > 0) {
            run[r.loAt] = 7;
            run[r.hiAt] = r.length == 1 ? 7 : 200;
        }
        std::uint8_t lo = r.lo0, hi = r.hi0;
        extendRange(run.data(), run.size(), lo, hi);
        EXPECT_EQ(lo, r.lo) << r.length;
        EXPECT_EQ(hi, r.hi) << r.length;
    }
}

} // namespace
} // namespace varnilog
