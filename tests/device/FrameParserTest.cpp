#include "device/FrameParser.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnilog {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ParseCase {
    const char* name;
    Bytes input;
    FrameLimit limit;
    struct {
        Bytes a, b;
        std::int64_t carry;
        std::int64_t skipped; // bytes dropped as not part of a frame
    } parsed;
};

TEST(FrameParserTest, FindsFramesCarriesOnlyUnconsumedBytesAndCountsTheSkippedOnes) {
    const std::vector<ParseCase> cases{
        {"fewer than a frame", {0x41, 1, 0x42}, FrameLimit::KeepNewest, {{}, {}, 3, 0}},
        // 12 clean bytes: the look-ahead limit is 8, so the third frame waits.
        {"4k clean bytes keep the newest frame",
         {0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5, 0x42, 6},
         FrameLimit::KeepNewest,
         {{1, 3}, {2, 4}, 4, 0}},
        {"4k clean bytes at the end of a stream",
         {0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5, 0x42, 6},
         FrameLimit::TakeAll,
         {{1, 3, 5}, {2, 4, 6}, 0, 0}},
        // 15 bytes, limit 12: frames start at 3, 7, 11; nothing of them may be carried again.
        {"three stray bytes before 3 frames",
         {9, 8, 7, 0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5, 0x42, 6},
         FrameLimit::KeepNewest,
         {{1, 3, 5}, {2, 4, 6}, 0, 3}},
        // 17 bytes, limit 12: frames at 5 and 9 are taken, the one at 13 is carried whole.
        {"five stray bytes before 3 frames",
         {9, 8, 7, 6, 5, 0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5, 0x42, 6},
         FrameLimit::KeepNewest,
         {{1, 3}, {2, 4}, 4, 5}},
        // 10 bytes, limit 4: one frame, then the second and a half third wait.
        {"frame split at the end",
         {0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5},
         FrameLimit::KeepNewest,
         {{1}, {2}, 6, 0}},
        {"split frame at the end of a stream",
         {0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5},
         FrameLimit::TakeAll,
         {{1, 3}, {2, 4}, 2, 0}},
        // 20 bytes, limit 16: the frame with a lost B marker costs its own sample pair only.
        {"marker lost mid-stream",
         {0x41, 1, 0x42, 2, 0x41, 3, 0x00, 4, 0x41, 5, 0x42, 6, 0x41, 7, 0x42, 8, 0x41, 9, 0x42, 10},
         FrameLimit::KeepNewest,
         {{1, 5, 7}, {2, 6, 8}, 4, 4}},
        {"no frame at all keeps only a possible frame start",
         {1, 2, 3, 4, 5, 6, 7, 8, 0x41, 0},
         FrameLimit::KeepNewest,
         {{}, {}, 3, 7}},
        // Samples equal to the markers must not shift the frame phase of a clean stream.
        {"samples that look like markers",
         {0x41, 0x42, 0x42, 0x41, 0x41, 0x41, 0x42, 0x42, 0x41, 0x00, 0x42, 0x00},
         FrameLimit::TakeAll,
         {{0x42, 0x41, 0x00}, {0x41, 0x42, 0x00}, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes a(c.input.size() / 4 + 1, 0xEE);
        Bytes b(c.input.size() / 4 + 1, 0xEE);
        const FrameParseResult r = parseFrames(c.input, a.data(), b.data(), c.limit);
        ASSERT_EQ(r.pairs, static_cast<std::int64_t>(c.parsed.a.size()));
        EXPECT_EQ(Bytes(a.begin(), a.begin() + r.pairs), c.parsed.a);
        EXPECT_EQ(Bytes(b.begin(), b.begin() + r.pairs), c.parsed.b);
        EXPECT_EQ(r.carry, c.parsed.carry);
        EXPECT_EQ(r.skipped, c.parsed.skipped);
    }
}

} // namespace
} // namespace varnilog
