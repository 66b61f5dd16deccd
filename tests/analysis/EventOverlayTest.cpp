// The persistence counts of frames worked out by hand, and the overlay of every event of a noisy
// recording against the windows of the events the search lists, counted here by hand.
#include "analysis/EventOverlay.h"
#include "analysis/EventSearch.h"
#include "recording/SampleSummary.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <random>

using namespace varnilog;
using varnilog::test::Codes;

TEST(EventOverlayTest, FramesHitTheRowsOfTheirTrace) {
    auto p = std::make_unique<Persistence>();
    Codes hi(kDisplayColumns, 100), lo(kDisplayColumns, 100);
    hi[10] = lo[10] = 110;      // a step up at column 10 and back down at 11
    lo[20] = 90;                // column 20 spans 90..100 on its own (zoom above 1)
    hi[30] = 255, lo[30] = 252; // above the picture's top row
    p->setMode(PersistenceMode::Infinite);
    p->addFrame(hi.data(), lo.data());
    p->addFrame(hi.data(), lo.data(), 5, 15); // only columns 5..14; column 5 has no step before it
    const struct {
        int column, row;
        float count;
    } cells[] = {
        {0, 150, 1},  {0, 149, 0},  {5, 150, 2},  {10, 140, 2}, {10, 150, 2}, {10, 139, 0},
        {11, 140, 2}, {11, 150, 2}, {12, 140, 0}, {15, 150, 1}, {20, 160, 1}, {20, 150, 1},
        {20, 161, 0}, {30, 0, 1},   {31, 0, 1},   {31, 150, 1}, {32, 0, 0},
    };
    for (const auto& c : cells)
        EXPECT_EQ(p->at(c.column, c.row), c.count) << c.column << "," << c.row;
    EXPECT_EQ(p->peak(), 2);
    p->setMode(PersistenceMode::Fading, 0.5f); // a new mode starts again
    EXPECT_EQ(p->peak(), 0);
    p->addFrame(hi.data(), lo.data());
    p->addFrame(hi.data(), lo.data());
    EXPECT_FLOAT_EQ(p->at(0, 150), 1.5f);
    EXPECT_FLOAT_EQ(p->peak(), 1.5f);
    p->clear();
    EXPECT_EQ(p->at(0, 150), 0);
}

TEST(EventOverlayTest, OverlayHoldsTheWindowOfEveryListedEvent) {
    QTemporaryDir dir;
    std::mt19937 rng(11);
    Codes a(299000), b(a.size()); // the first and the last window cut by the ends
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool high = (i / 700) % 3 == 1 || (i >= 50 && i < 200);
        a[i] = static_cast<std::uint8_t>((high ? 180 : 70) + rng() % 9);
        b[i] = static_cast<std::uint8_t>(rng() % 256);
    }
    test::RecordingContents contents;
    contents.channels = {a, b};
    const QString ros = test::writeRecording(dir.path(), QStringLiteral("n"), contents);
    OverlayRequest request;
    request.triggerFile = dir.filePath(QStringLiteral("n.rca"));
    request.trigger.level = 125;
    request.trigger.hysteresis = 20;
    request.sampleFiles = {request.triggerFile, dir.filePath(QStringLiteral("n.rcb")), {}, {}};

    std::vector<std::int64_t> listed;
    EventSearch search(request.triggerFile, request.trigger);
    CoreError error;
    ASSERT_TRUE(search.open(error));
    search.forEach([&](const TriggerEvent& e) { listed.push_back(e.sample); });
    ASSERT_GT(listed.size(), 100u);
    // The event at the middle, the first and the last column of its window.
    for (const int column : {250, 0, kDisplayColumns - 1}) {
        request.column = column;
        std::vector<float> expected(2 * kPersistenceCells);
        for (const std::int64_t k : listed)
            for (int c = 0; c < 2; ++c) {
                const Codes& codes = c == 0 ? a : b;
                for (std::int64_t col = 0; col < kDisplayColumns; ++col) {
                    const std::int64_t s = k - column + col;
                    if (s < 0 || s >= static_cast<std::int64_t>(codes.size()))
                        continue;
                    int low = codes[static_cast<std::size_t>(s)], high = low;
                    if (col > 0 && s > 0) {
                        low = std::min<int>(low, codes[static_cast<std::size_t>(s - 1)]);
                        high = std::max<int>(high, codes[static_cast<std::size_t>(s - 1)]);
                    }
                    for (int row = std::max(0, 250 - high); row <= std::min(249, 250 - low); ++row)
                        expected[static_cast<std::size_t>(c) * kPersistenceCells +
                                 static_cast<std::size_t>(col) * kDisplayRows +
                                 static_cast<std::size_t>(row)] += 1;
                }
            }
        for (const bool summary : {false, true}) {
            if (summary) {
                ASSERT_TRUE(buildSampleSummary(request.triggerFile));
            }
            request.useSummary = summary;
            auto layers = std::make_unique<std::array<Persistence, kChannels>>();
            const OverlayResult result = overlayEvents(request, *layers);
            ASSERT_TRUE(result.ok);
            EXPECT_EQ(result.events, static_cast<std::int64_t>(listed.size()));
            for (int c = 0; c < 2; ++c)
                for (std::size_t i = 0; i < kPersistenceCells; ++i)
                    ASSERT_EQ((*layers)[static_cast<std::size_t>(c)].counts()[i],
                              expected[static_cast<std::size_t>(c) * kPersistenceCells + i])
                        << column << " " << summary << " channel " << c << " cell " << i;
            EXPECT_EQ((*layers)[2].peak(), 0);
        }
    }
    request.sampleFiles[2] = dir.filePath(QStringLiteral("n.rcc")); // no such file
    auto layers = std::make_unique<std::array<Persistence, kChannels>>();
    EXPECT_FALSE(overlayEvents(request, *layers).ok);
    request.sampleFiles[2].clear();
    const OverlayResult stopped =
        overlayEvents(request, *layers, [](std::int64_t, std::int64_t) { return false; });
    EXPECT_TRUE(stopped.cancelled);
}
