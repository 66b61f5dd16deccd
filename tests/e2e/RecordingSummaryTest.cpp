// A recording made through the real port code has the summaries of its sample files the moment it
// stops, and they draw what the samples draw; a summary that cannot be written costs no sample.
#include "recording/RecordingLoader.h"
#include "recording/SampleSummary.h"
#include "support/FullDiskWriter.h"
#include "support/PtyRecordingRig.h"
#include "support/RecordedFiles.h"
#include "view/ViewWindow.h"

#include <QDir>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace varnilog {
namespace {

// Per channel, the largest and the smallest sample of every column.
using Rows = std::array<std::array<std::uint8_t, kDisplayColumns>, 4>;

Rows drawn(SharedState& s, ViewBuffers& view) {
    loadViewWindow(s, view);
    Rows r;
    for (int c = 0; c < 2; ++c) {
        std::copy_n(s.channelData[c].begin(), kDisplayColumns, r[2 * c].begin());
        r[2 * c + 1] = view.columnMin[c];
    }
    return r;
}

TEST(RecordingSummaryTest, StoppedRecordingHasSummariesThatDrawAsTheFullScan) {
    test::PtySession r(test::counterBoard());
    r.state->timeBaseIndex = 15; // the board runs at the line rate
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    EXPECT_FALSE(r.run(3000, false, kSummaryCoarseBlock + 1).endsSampling());
    const StopResult stopped = r.acq.stop();
    ASSERT_FALSE(stopped.rosPath.isEmpty());
    ASSERT_GT(stopped.samples, kSummaryCoarseBlock);
    // Nothing else ran between the stop and here: the recording wrote them.
    const QString base = started.baseName;
    EXPECT_EQ(QDir(r.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{base + ".rca", base + ".rcb", base + ".ros", base + ".rsa", base + ".rsb"}));

    SharedState& s = *r.state;
    auto view = std::make_unique<ViewBuffers>();
    ASSERT_TRUE(loadRecording(s).ok);
    for (int c = 0; c < 2; ++c)
        ASSERT_TRUE(readSummaryLayout(s.summaryFile[c], s.sampleFile[c]).valid) << c;
    for (const std::int32_t zoom : {256, 1000, showAllDivisor(s.sampleCount)}) {
        for (const std::int64_t start : {std::int64_t{0}, std::int64_t{65536 - 300}}) {
            s.zoomDivisor = zoom;
            s.viewStart = start;
            const Rows withSummaries = drawn(s, *view);
            for (QFile& f : s.summaryFile)
                f.close();
            EXPECT_EQ(withSummaries, drawn(s, *view)) << "zoom " << zoom << " start " << start;
            for (int c = 0; c < 2; ++c)
                openSummaryFile(s, c);
        }
    }
}

TEST(RecordingSummaryTest, SummaryThatCannotBeWrittenLeavesTheRecordingWhole) {
    test::PtySession r(test::counterBoard());
    r.state->timeBaseIndex = 15;
    test::FullDiskWriter summariesFull([](const QString& path) { return path.contains(".rs"); });
    r.acq.setFileWriter(&summariesFull);
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    EXPECT_FALSE(r.run(1000, false, 10001).endsSampling());
    const StopResult stopped = r.acq.stop();
    EXPECT_TRUE(stopped.failure.empty());
    const QString base = r.dir.filePath(started.baseName);
    const QByteArray a = test::readFile(base + ".rca");
    EXPECT_GT(a.size(), 10000);
    EXPECT_EQ(a.size(), r.board.framesSent());
    EXPECT_EQ(test::firstBrokenSample(a, test::readFile(base + ".rcb")), -1);
    EXPECT_EQ(QDir(r.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{started.baseName + ".rca", started.baseName + ".rcb", started.baseName + ".ros"}));
}

} // namespace
} // namespace varnilog
