// The board while it runs, through the real parts (simulated board on a pseudo-terminal, the POSIX
// link, the acquisition): a settings change continues in a second set, and looking without
// recording keeps the newest samples in memory only.
#include "recording/MarkerFile.h"
#include "support/PtyRecordingRig.h"
#include "support/RecordedFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace varnilog {
namespace {

using test::counterBoard;
using test::firstBrokenSample;
using test::readFile;

struct LiveSession : test::PtySession {
    LiveSession() : PtySession(counterBoard()) { state->timeBaseIndex = 15; } // at the line rate
    // Ticks until the settings, changed before, have held still and the seam is due.
    bool tickUntilSettingsDue(int ticks = 40) {
        for (int t = 0; t < ticks; ++t) {
            const TickResult r = acq.tick(true);
            if (r.settingsDue)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(Acquisition::kTickIntervalMs));
        }
        return false;
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
};

TEST(LiveSettingsTest, ASettingsChangeContinuesInASecondSetWithoutLosingAFrame) {
    LiveSession s;
    const StartResult started = s.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    s.run(600, true, 5000);
    // A change back before the seam is no change; a finer V/div of A and a slower time base are.
    s.state->channelSensitivity[0] = 6;
    s.acq.tick(true);
    s.state->channelSensitivity[0] = s.acq.streamSettings().sensitivity[0];
    EXPECT_FALSE(s.tickUntilSettingsDue(Acquisition::kSettingsSettleTicks + 2));
    s.state->channelSensitivity[0] = 6;
    s.state->timeBaseIndex = 14;
    ASSERT_TRUE(s.tickUntilSettingsDue());
    const SeamResult seam = s.acq.continueWithNewSettings(QStringLiteral("Zmiana"));
    ASSERT_TRUE(seam.continued);
    EXPECT_EQ(seam.closedRosPath, s.dir.filePath(started.baseName + ".ros"));
    EXPECT_EQ(s.acq.streamSettings().timeBaseIndex, 14);
    s.run(600, true, 2000);
    const StopResult stopped = s.acq.stop();
    ASSERT_EQ(stopped.rosPath, s.dir.filePath(seam.baseName + ".ros"));

    // Each set is one whole stream, and both together are every frame the board sent.
    const QString first = s.dir.filePath(started.baseName), second = s.dir.filePath(seam.baseName);
    const QByteArray a1 = readFile(first + ".rca"), a2 = readFile(second + ".rca");
    EXPECT_EQ(firstBrokenSample(a1, readFile(first + ".rcb")), -1);
    EXPECT_EQ(firstBrokenSample(a2, readFile(second + ".rcb")), -1);
    EXPECT_EQ(a2.size(), s.board.framesSent());
    EXPECT_EQ(a1.size() + a2.size(), s.board.framesSentInAll());
    EXPECT_TRUE(readFile(first + ".ros").contains("PODSTAWA=15"));
    EXPECT_TRUE(readFile(second + ".ros").contains("PODSTAWA=14"));
    const std::vector<Marker> m1 = readMarkerFile(first + ".rmk").markers,
                              m2 = readMarkerFile(second + ".rmk").markers;
    ASSERT_EQ(m1.size(), 1u);
    ASSERT_EQ(m2.size(), 1u);
    EXPECT_EQ(m1[0].start, a1.size() - 1);
    EXPECT_EQ(m2[0].start, 0);
    EXPECT_EQ(m1[0].label, QStringLiteral("Zmiana"));
    EXPECT_EQ(m2[0].label, QStringLiteral("Zmiana"));
}

TEST(LiveSettingsTest, LookingOnlyWritesNothingAndKeepsTheNewestSamples) {
    LiveSession s;
    ASSERT_EQ(s.acq.start(StartMode::LookOnly).status, StartStatus::Sampling);
    EXPECT_TRUE(s.acq.lookOnly());
    s.run(400, true, 3000);
    EXPECT_TRUE(s.acq.addMark());
    s.run(200, true);
    const StopResult stopped = s.acq.stop();
    EXPECT_TRUE(stopped.rosPath.isEmpty());
    EXPECT_TRUE(s.files().isEmpty());

    const RecentSamples recent = s.acq.recentSamples();
    EXPECT_EQ(recent.a.size(), s.board.framesSent());
    EXPECT_EQ(firstBrokenSample(recent.a, recent.b), -1);
    EXPECT_EQ(recent.header.timeBaseIndex, 15);
    ASSERT_EQ(recent.markers.size(), 1u);
    EXPECT_LT(recent.markers[0].start, recent.a.size());
    // A new start records again and forgets the ring.
    ASSERT_EQ(s.acq.start().status, StartStatus::Sampling);
    EXPECT_FALSE(s.acq.lookOnly());
    EXPECT_TRUE(s.acq.recentSamples().a.isEmpty());
    s.acq.stop();
}

} // namespace
} // namespace varnilog
