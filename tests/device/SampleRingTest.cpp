#include "device/SampleRing.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnilog {
namespace {

TEST(SampleRingTest, KeepsTheNewestSamplesOfEveryBlockSequence) {
    struct Case {
        std::int64_t capacity;
        std::vector<int> blocks; // lengths appended in turn
    };
    const Case cases[] = {{600, {}},     {600, {100, 200}},   {600, {599, 1, 1}}, {600, {250, 250, 250, 250}},
                          {600, {1500}}, {600, {7, 1400, 13}}};
    for (const Case& c : cases) {
        SampleRing ring;
        ring.reset(c.capacity);
        std::vector<std::uint8_t> sent; // A the sample number's low byte, B its inverse
        for (const int n : c.blocks) {
            std::vector<std::uint8_t> a, b;
            for (int k = 0; k < n; ++k) {
                a.push_back(static_cast<std::uint8_t>(sent.size()));
                b.push_back(static_cast<std::uint8_t>(~sent.size()));
                sent.push_back(a.back());
            }
            ring.append(a, b);
        }
        const auto kept = std::min<std::int64_t>(std::ssize(sent), c.capacity);
        ASSERT_EQ(ring.size(), kept);
        EXPECT_EQ(ring.firstKept(), std::ssize(sent) - kept);
        const QByteArray a = ring.samples(0), b = ring.samples(1);
        for (std::int64_t k = 0; k < kept; ++k) {
            const auto n = static_cast<std::size_t>(ring.firstKept() + k);
            ASSERT_EQ(static_cast<std::uint8_t>(a[static_cast<qsizetype>(k)]), sent[n]) << k;
            ASSERT_EQ(static_cast<std::uint8_t>(b[static_cast<qsizetype>(k)]), static_cast<std::uint8_t>(~n))
                << k;
        }
    }
}

TEST(SampleRingTest, CapacityIsTheSecondsAtTheRateWithinTheLimits) {
    struct Case {
        double periodMs;
        int seconds;
        std::int64_t limit, expected;
    };
    const Case cases[] = {{1.0, 60, 1 << 20, 60000},      // 1 kHz
                          {0.0001, 60, 1 << 30, 1382400}, // faster than the line: its 23 040/s
                          {0.0001, 60, 100000, 100000},   // the memory's limit
                          {1000.0, 60, 1 << 20, 500}};    // never less than a picture
    for (const Case& c : cases)
        EXPECT_EQ(ringCapacity(c.periodMs, c.seconds, 23040, c.limit), c.expected) << c.periodMs;
}

} // namespace
} // namespace varnilog
