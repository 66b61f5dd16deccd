// The two formatting threads of the text exports: the split of a block, and every start running each
// half once with what the caller set before it.
#include "recording/HalfWorkers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace varnilog;

TEST(HalfWorkersTest, EachStartRunsBothHalvesOnceWithTheCallersData) {
    using Span = std::pair<std::int64_t, std::int64_t>;
    const struct {
        std::int64_t count;
        Span first, second;
    } splits[] = {{0, {0, 0}, {0, 0}}, {1, {0, 1}, {1, 1}}, {2, {0, 1}, {1, 2}}, {5, {0, 3}, {3, 5}}};
    for (const auto& s : splits) {
        EXPECT_EQ(HalfWorkers::halfOf(s.count, 0), s.first) << s.count;
        EXPECT_EQ(HalfWorkers::halfOf(s.count, 1), s.second) << s.count;
    }
    int block = 0;
    std::array<std::vector<int>, 2> seen;
    {
        HalfWorkers workers([&](int half) { seen[static_cast<std::size_t>(half)].push_back(block); });
        workers.wait(); // nothing started: returns at once
        for (block = 1; block <= 50; ++block) {
            workers.start();
            workers.wait();
        }
        block = 99;
        workers.start(); // a cancelled export goes without waiting: never a hang, never half a job
    }
    std::vector<int> wanted;
    for (int b = 1; b <= 50; ++b)
        wanted.push_back(b);
    for (std::vector<int>& half : seen) {
        if (half.size() > wanted.size() && half.back() == 99)
            half.pop_back();
        EXPECT_EQ(half, wanted);
    }
}
