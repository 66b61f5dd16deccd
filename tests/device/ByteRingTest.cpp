#include "device/ByteRing.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnilog {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ByteRingTest, KeepsArrivalOrderAcrossTheWrapAndRefusesWhatDoesNotFit) {
    struct Step {
        Bytes push;          // offered
        std::int64_t stored; // taken of it
        std::size_t pop;     // then asked for
        Bytes popped;        // and got
    };
    // Capacity 5: the third push wraps around the end of the memory.
    const std::vector<Step> steps{
        {{1, 2, 3}, 3, 2, {1, 2}},           {{4, 5, 6, 7, 8}, 4, 0, {}}, // 1 byte in, room for 4
        {{9}, 0, 4, {3, 4, 5, 6}},                                        // full: nothing taken
        {{9, 10, 11}, 3, 9, {7, 9, 10, 11}}, {{}, 0, 3, {}},
    };
    ByteRing ring(5);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ring.push(steps[i].push), steps[i].stored);
        Bytes out(steps[i].pop);
        out.resize(static_cast<std::size_t>(ring.pop(out)));
        EXPECT_EQ(out, steps[i].popped);
        EXPECT_EQ(ring.size() + ring.freeSpace(), 5);
    }
    ring.push(Bytes{1, 2});
    ring.clear();
    EXPECT_EQ(ring.size(), 0);
}

} // namespace
} // namespace varnilog
