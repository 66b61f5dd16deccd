// The XY density: the block loop against plain counting of random pairs with runs, and the span of
// a small recording's files counted by hand.
#include "analysis/XyDensity.h"

#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <map>
#include <random>

using namespace varnilog;
using varnilog::test::Codes;

TEST(XyDensityTest, BlocksCountAsPlainPairs) {
    std::mt19937 rng(7);
    for (const std::size_t n : {0u, 1u, 15u, 16u, 17u, 100u, 4099u}) {
        Codes x(n), y(n);
        for (std::size_t i = 0; i < n; ++i) {
            // Runs of equal pairs (counted 16 at a time) between noise; a run may end inside a block.
            const bool quiet = (i / 40) % 2 == 0;
            x[i] = quiet ? 200 : static_cast<std::uint8_t>(rng());
            y[i] = quiet ? static_cast<std::uint8_t>(3 + (i / 80) % 2 * (i % 37 == 36))
                         : static_cast<std::uint8_t>(rng());
        }
        std::map<int, std::uint32_t> expected;
        for (std::size_t i = 0; i < n; ++i)
            ++expected[x[i] << 8 | y[i]];
        std::vector<std::uint32_t> counts(kXyCells);
        addXyPairs(x.data(), y.data(), n, counts.data());
        for (std::size_t cell = 0; cell < kXyCells; ++cell) {
            const auto it = expected.find(static_cast<int>(cell));
            ASSERT_EQ(counts[cell], it == expected.end() ? 0u : it->second) << n << " cell " << cell;
        }
    }
}

TEST(XyDensityTest, SpanOfFilesByHand) {
    QTemporaryDir dir;
    test::RecordingContents contents;
    contents.channels = {{10, 10, 20, 20, 30, 30}, {5, 5, 5, 6, 6, 255}, {}, {0, 1, 2, 3, 4, 5}};
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("r"), contents);
    const QString a = QString(ros).replace(QStringLiteral(".ros"), QStringLiteral(".rca"));
    const QString b = QString(ros).replace(QStringLiteral(".ros"), QStringLiteral(".rcb"));
    const QString d = QString(ros).replace(QStringLiteral(".ros"), QStringLiteral(".rcd"));
    using Cells = std::map<std::pair<int, int>, std::uint64_t>;
    const struct {
        QString x, y;
        std::int64_t from, to, block;
        Cells cells;
    } cases[] = {
        {a, b, 0, 6, 4, {{{10, 5}, 2}, {{20, 5}, 1}, {{20, 6}, 1}, {{30, 6}, 1}, {{30, 255}, 1}}},
        {a, b, 1, 4, 16, {{{10, 5}, 1}, {{20, 5}, 1}, {{20, 6}, 1}}}, // the first and the last two left out
        {a, b, 5, 6, 16, {{{30, 255}, 1}}},
        {a, b, 3, 3, 16, {}},
        {d, a, 2, 6, 16, {{{2, 20}, 1}, {{3, 20}, 1}, {{4, 30}, 1}, {{5, 30}, 1}}}, // D across, A up
        {b, b, 0, 6, 16, {{{5, 5}, 3}, {{6, 6}, 2}, {{255, 255}, 1}}},
    };
    for (const auto& c : cases) {
        XyRequest request;
        request.xFile = c.x;
        request.yFile = c.y;
        request.from = c.from;
        request.to = c.to;
        request.blockSamples = c.block;
        const XyResult result = xyDensity(request);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        Cells found;
        for (int x = 0; x < kXyCodes; ++x)
            for (int y = 0; y < kXyCodes; ++y)
                if (result.density.at(x, y))
                    found[{x, y}] = result.density.at(x, y);
        EXPECT_EQ(found, c.cells) << c.from << ".." << c.to;
        EXPECT_EQ(result.density.samples, c.to - c.from);
    }
    XyRequest missing;
    missing.xFile = a;
    missing.yFile = dir.filePath(QStringLiteral("r.rcc"));
    missing.to = 1;
    EXPECT_FALSE(xyDensity(missing).ok);
    XyRequest beyond; // a span past the file's end: what was read is not the file's
    beyond.xFile = beyond.yFile = a;
    beyond.to = 1 << 20;
    EXPECT_FALSE(xyDensity(beyond).ok);
    XyRequest cancelled;
    cancelled.xFile = cancelled.yFile = a;
    cancelled.to = 6;
    EXPECT_TRUE(xyDensity(cancelled, [](std::int64_t, std::int64_t) { return false; }).cancelled);
}
