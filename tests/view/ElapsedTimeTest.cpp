#include "view/ElapsedTime.h"

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
