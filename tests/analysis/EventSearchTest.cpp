// The events of a recording over several checkpoint segments: the same list with and without the view
// summaries (which must spare most reads on a quiet signal), and next / previous from many samples
// agreeing with that list, for triggers with and without width and holdoff.
#include "analysis/EventSearch.h"
#include "recording/SampleSummary.h"
#include "support/RecordingSet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <random>

using namespace varnilog;

TEST(EventSearchTest, SummariesAndCheckpointsGiveTheForwardScansEvents) {
    // A quiet line at code 100 with noisy bursts, short pulses and one pulse across a segment's end.
    const std::int64_t n = 2 * EventSearch::kCheckpointSamples + 300000;
    test::Codes codes(static_cast<std::size_t>(n), 100);
    std::mt19937 rng(5);
    for (int burst = 0; burst < 12; ++burst) {
        const auto at = static_cast<std::size_t>(rng() % (n - 5000));
        for (std::size_t i = at; i < at + 3000; ++i)
            codes[i] = static_cast<std::uint8_t>(80 + rng() % 90);
    }
    for (int pulse = 0; pulse < 40; ++pulse) {
        const auto at = static_cast<std::size_t>(rng() % (n - 100));
        for (std::size_t i = at; i < at + 1 + pulse % 5; ++i)
            codes[i] = 160;
    }
    for (auto i = static_cast<std::size_t>(EventSearch::kCheckpointSamples - 10);
         i < static_cast<std::size_t>(EventSearch::kCheckpointSamples + 10); ++i)
        codes[i] = 170;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.rca"));
    ASSERT_TRUE(test::writeCodes(path, codes));
    ASSERT_TRUE(buildSampleSummary(path));

    TriggerSettings plain;
    TriggerSettings narrow = plain;
    narrow.width = WidthCondition::Below;
    narrow.widthLimit = 3;
    TriggerSettings wide = plain;
    wide.width = WidthCondition::Above;
    wide.widthLimit = 4;
    TriggerSettings held = plain;
    held.edge = TriggerEdge::Falling;
    held.holdoff = 50000;
    for (const TriggerSettings& s : {plain, narrow, wide, held}) {
        std::vector<TriggerEvent> direct;
        TriggerScanner scanner(s, 0);
        scanner.scan(codes.data(), n, [&](const TriggerEvent& e) { direct.push_back(e); });
        ASSERT_GT(direct.size(), 3u);

        std::int64_t readWith = 0, readWithout = 0;
        for (const bool summary : {true, false}) {
            EventSearch search(path, s, 0, -1, summary);
            CoreError error;
            ASSERT_TRUE(search.open(error));
            EXPECT_EQ(search.summaryUsed(), summary);
            std::vector<TriggerEvent> listed;
            EXPECT_EQ(search.forEach([&](const TriggerEvent& e) { listed.push_back(e); }),
                      EventSearch::Outcome::Done);
            ASSERT_EQ(listed.size(), direct.size());
            for (std::size_t i = 0; i < listed.size(); ++i) {
                EXPECT_EQ(listed[i].sample, direct[i].sample);
                EXPECT_DOUBLE_EQ(listed[i].position, direct[i].position);
                EXPECT_DOUBLE_EQ(listed[i].width, direct[i].width);
            }
            (summary ? readWith : readWithout) = search.bytesRead();

            // Queries in a shuffled order, so checkpoints are made and reused out of order.
            std::vector<std::int64_t> points{n - 1, 0, EventSearch::kCheckpointSamples};
            for (std::size_t i = 0; i < direct.size(); i += direct.size() / 6 + 1) {
                const TriggerEvent& e = direct[i];
                points.insert(points.end(), {e.sample - 1, e.sample, e.sample + 1});
            }
            std::shuffle(points.begin(), points.end(), rng);
            EventSearch fresh(path, s, 0, -1, summary);
            ASSERT_TRUE(fresh.open(error));
            for (const std::int64_t p : points) {
                const auto after = std::find_if(direct.begin(), direct.end(),
                                                [&](const TriggerEvent& e) { return e.sample > p; });
                const EventSearch::Found next = fresh.next(p);
                ASSERT_EQ(next.event.has_value(), after != direct.end()) << p;
                if (next.event) {
                    EXPECT_EQ(next.event->sample, after->sample) << p;
                }
                const auto before = std::find_if(direct.rbegin(), direct.rend(),
                                                 [&](const TriggerEvent& e) { return e.sample < p; });
                const EventSearch::Found previous = fresh.previous(p);
                ASSERT_EQ(previous.event.has_value(), before != direct.rend()) << p;
                if (previous.event) {
                    EXPECT_EQ(previous.event->sample, before->sample) << p;
                }
            }
        }
        EXPECT_LT(readWith * 4, readWithout);
    }
}
