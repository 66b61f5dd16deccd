// Markers made while recording through the real parts: a pty board that puts stray bytes between its
// frames every 20 000 frames, the acquisition's ticks, a user's mark, the periodic save and the stop.
#include "app/CoreMessages.h"
#include "recording/MarkerFile.h"
#include "support/PtyRecordingRig.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace varnilog {
namespace {

TEST(LiveMarkersTest, LossesAndUserMarksLandAtTheirSamples) {
    BoardOptions options = test::counterBoard(1, Misbehaviour::GarbageBetweenFrames);
    options.garbageEveryFrames = 20000;
    test::PtySession s(options);
    s.state->timeBaseIndex = 15; // 20 us: the board runs at the line rate
    const StartResult started = s.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    const QString rmk = markerFilePath(s.dir.filePath(started.baseName + QStringLiteral(".ros")));
    std::int64_t markedAt = -1;
    bool savedWhileRecording = false;
    std::int64_t largestTick = 0; // samples; a late window (a loaded machine) takes more in one tick
    for (int t = 0; t < 5600; t += Acquisition::kTickIntervalMs) {
        const TickResult tick = s.acq.tick(false);
        ASSERT_FALSE(tick.endsSampling());
        largestTick = std::max(largestTick, tick.samples);
        if (t == 1000) {
            markedAt = s.acq.samplesRecorded() - 1; // the newest sample when M is pressed
            EXPECT_TRUE(s.acq.addMark());
        }
        CoreError error;
        EXPECT_TRUE(s.acq.saveMarksIfDue(error)) << coreMessage(error).toStdString();
        savedWhileRecording = savedWhileRecording || QFile::exists(rmk);
        std::this_thread::sleep_for(std::chrono::milliseconds(Acquisition::kTickIntervalMs));
    }
    EXPECT_TRUE(savedWhileRecording); // not only at the stop
    const StopResult stopped = s.acq.stop();
    ASSERT_FALSE(stopped.rosPath.isEmpty());

    const MarkerReading reading = readMarkerFile(rmk);
    EXPECT_EQ(reading.damagedLines, 0);
    int losses = 0, marks = 0;
    for (const Marker& m : reading.markers) {
        if (m.kind == MarkerKind::Strata) {
            ++losses;
            // The stray bytes came after frame k * 20000: the marker stands at the first sample of
            // the tick that skipped them, at most a few ticks' samples before.
            const std::int64_t k = (m.start + 19999) / 20000;
            EXPECT_GE(k, 1) << m.start;
            EXPECT_LT(k * 20000 - m.start, std::max<std::int64_t>(6000, 2 * largestTick)) << m.start;
            EXPECT_GT(m.label.toLongLong(), 0) << m.label.toStdString();
        } else {
            ++marks;
            EXPECT_EQ(m.kind, MarkerKind::Uwaga);
            EXPECT_EQ(m.start, markedAt);
            EXPECT_TRUE(
                QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(m.label).hasMatch());
        }
    }
    EXPECT_EQ(marks, 1);
    // About 23 040 frames a second for 5.6 s: a loss every 20 000 frames.
    EXPECT_GE(losses, 4);
    EXPECT_LE(losses, 7);
}

} // namespace
} // namespace varnilog
