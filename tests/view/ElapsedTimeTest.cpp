#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

using namespace varnilog;

TEST(ElapsedTimeTest, FieldsPaddingAndRounding) {
    const std::pair<float, const char*> rows[] = {
        {0.0f, "0000:00:00:000"},
        {1500.0f, "0000:00:01:500"},
        {3723004.0f, "0001:02:03:004"},
        {59999.0f, "0000:00:59:999"},
        {60000.0f, "0000:01:00:000"},
        {999.0f, "0000:00:00:999"},
        {1000.0f, "0000:00:01:000"},
        {0.25f, "0000:00:00:001"}, // rounded up to whole milliseconds
        {1.5f, "0000:00:00:002"},
        {3599000.0f, "0000:59:59:000"},
        {3599999.5f, "0001:00:00:000"}, // rounding up carries into the hour
        {36000000.0f, "0010:00:00:000"},
        // 36 000 002 048 ms (the float nearest 10 000 h): wider than four digits and not cut
        {36000002048.0f, "10000:00:02:048"},
        // a missing ".rca" gives sampleCount -1: the fields keep their signs, padded as text
        {-1000.0f, "0000:00:-1:000"},
        {-20.0f, "0000:00:00:-20"},
        {-5.0f, "0000:00:00:0-5"},
        {-0.5f, "0000:00:00:000"},
        {-3600000.0f, "00-1:00:00:000"},
        {std::numeric_limits<float>::quiet_NaN(), "0000:00:00:000"},
    };
    for (const auto& [ms, text] : rows) {
        EXPECT_EQ(formatElapsedTime(ms).toStdString(), text) << "ms=" << ms;
    }
}

// A sample's time from its index and the table's period: the product in double with the period's
// decimal value, so neither a large index nor a 32-bit period a hair off its decimal moves the text.
TEST(ElapsedTimeTest, SampleTimeText) {
    struct Row {
        double sample;
        int timeBase;
        const char* text;
    } rows[] = {
        {0, 10, "0000:00:00:000"},
        {123456789, 10, "0034:17:36:789"},   // the 32-bit product reads 0034:17:36:792
        {16777217, 10, "0004:39:37:217"},    // the first index a float cannot hold
        {10, 13, "0000:00:00:001"},          // 10 x 0.1 ms, the period held as 0.1000000015
        {11, 13, "0000:00:00:002"},          // 1.1 ms rounds up
        {1000, 19, "0000:00:00:001"},        // 1000 x 1 us
        {1500, 18, "0000:00:00:003"},        // 1500 x 2 us: 3 ms, the 32-bit product 4 ms
        {2147483647, 1, "596523:14:07:000"}, // the largest sample file at 1 s: hours not cut
        {2147483647, 22, "0000:03:34:749"},  // and at 0.1 us: 214 748.3647 ms rounded up
        {1000000000000, 10, "277777:46:40:000"},
        {-1, 10, "0000:00:00:0-1"},  // no sample file
        {1.5, 10, "0000:00:00:002"}, // an interpolated crossing rounds up
    };
    for (const Row& r : rows)
        EXPECT_EQ(
            sampleTimeText(r.sample, samplingPeriodTable[static_cast<std::size_t>(r.timeBase)]).toStdString(),
            r.text)
            << r.sample << " at time base " << r.timeBase;
}
