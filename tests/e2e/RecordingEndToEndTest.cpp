// Whole recordings through the real parts: the board simulator on a pseudo-terminal, the POSIX
// serial link with its reader thread, the acquisition on a 50 ms tick, the files, the loader.
#include "recording/RecordingLoader.h"
#include "support/PtyRecordingRig.h"
#include "support/RecordedFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace varnilog {
namespace {

using Clock = std::chrono::steady_clock;

using test::counterBoard;
using test::firstBrokenSample;
using test::readFile;

struct Recorder : test::PtySession {
    explicit Recorder(BoardOptions options) : PtySession(options) {
        state->timeBaseIndex = 15; // 20 us: the board runs at the line rate
    }
    // Ticks every 50 ms for ms milliseconds, and on until the board has sent frames (a simulated board
    // on a loaded machine lags behind the clock); a tick that ends sampling stops the loop. blocks are
    // (ticks, length) pairs: after that many more ticks the "window" does not tick for length ms
    // (counted in ticks, so that a late thread never runs two blocks into one).
    TickResult run(int ms, std::vector<std::pair<int, int>> blocks = {}, std::int64_t frames = 0) {
        const auto begin = Clock::now();
        TickResult last;
        auto block = blocks.begin();
        for (int sinceBlock = 0;; ++sinceBlock) {
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
            if (elapsed >= ms && (board.framesSent() >= frames || elapsed >= 60000))
                return last;
            if (block != blocks.end() && sinceBlock == block->first) {
                std::this_thread::sleep_for(std::chrono::milliseconds(block++->second));
                sinceBlock = 0;
            }
            last = acq.tick(true);
            ++ticks;
            if (last.endsSampling())
                return last;
            std::this_thread::sleep_for(std::chrono::milliseconds(Acquisition::kTickIntervalMs));
        }
    }
    QString path(const char* ext) const { return dir.filePath(baseName + QLatin1String(ext)); }

    QString baseName;
    int ticks = 0;
};

TEST(RecordingEndToEndTest, CounterRampIsRecordedByteForByte) {
    Recorder r(counterBoard());
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    r.baseName = started.baseName;
    const TickResult last = r.run(3000, {}, 60001);
    EXPECT_FALSE(last.endsSampling()) << static_cast<int>(last.failure.kind);
    const StopResult stopped = r.acq.stop();
    ASSERT_EQ(stopped.rosPath, r.path(".ros"));

    const QByteArray a = readFile(r.path(".rca"));
    const QByteArray b = readFile(r.path(".rcb"));
    EXPECT_EQ(firstBrokenSample(a, b), -1);
    // About 3 s at 23 040 frames/s; everything the board sent was kept.
    EXPECT_GT(a.size(), 60000);
    EXPECT_EQ(a.size(), r.board.framesSent());
    EXPECT_EQ(stopped.samples, a.size());

    QStringList keys;
    for (const QByteArray& line : readFile(r.path(".ros")).split('\n'))
        if (line.contains('='))
            keys << QString::fromUtf8(line.left(line.indexOf('=')).trimmed());
    EXPECT_EQ(keys, (QStringList{"PODSTAWA", "CZULOSCA", "CZULOSCB", "TRYBA", "TRYBB", "OFFSETA", "OFFSETB",
                                 "ILOSCKANALOW", "START"}));

    r.state->recordingPath = stopped.rosPath;
    EXPECT_TRUE(loadRecording(*r.state).ok);
    EXPECT_EQ(r.state->sampleCount, a.size());
    EXPECT_EQ(r.state->timeBaseIndex, 15);
}

TEST(RecordingEndToEndTest, StopRightAfterStartLeavesNoFiles) {
    Recorder r(counterBoard());
    r.state->timeBaseIndex = 1; // 1 s: the first frame would come a second after the start
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    EXPECT_EQ(QDir(r.dir.path()).entryList(QDir::Files).size(), 3); // ".ros", ".rca", ".rcb"
    const StopResult stopped = r.acq.stop();
    EXPECT_TRUE(stopped.rosPath.isEmpty());
    EXPECT_EQ(stopped.samples, 0);
    EXPECT_TRUE(QDir(r.dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(r.state->recordingPath, QStringLiteral("test.osr")); // nothing to load
}

TEST(RecordingEndToEndTest, BurstOverflowsAndTheRecordingIsKept) {
    BoardOptions options = counterBoard(1, Misbehaviour::Burst);
    options.burstBytes = 600000;
    Recorder r(options);
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    r.baseName = started.baseName;
    // The window was busy while the burst came in.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (r.link.queuedBytes() <= 409600 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const TickResult overflow = r.acq.tick(true);
    ASSERT_EQ(overflow.status, TickStatus::Overflow);
    EXPECT_EQ(overflow.failure.kind, AcquisitionNoticeKind::StoppedOverflow);
    const StopResult stopped = r.acq.stop();
    EXPECT_EQ(r.messages.back(), AcquisitionNoticeKind::Stopped);
    ASSERT_FALSE(stopped.rosPath.isEmpty());
    const QByteArray a = readFile(r.path(".rca"));
    EXPECT_GT(a.size(), 409600 / 4);
    EXPECT_EQ(a.size(), r.board.framesSent()); // what came before the stop took effect
    EXPECT_EQ(firstBrokenSample(a, readFile(r.path(".rcb"))), -1);
}

TEST(RecordingEndToEndTest, HangUpMidStreamKeepsTheDataAndTheNextStartWorks) {
    BoardOptions options = counterBoard(1, Misbehaviour::HangUp);
    options.hangUpAfterBytes = 40000; // 10 000 frames, under half a second
    Recorder r(options);
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    r.baseName = started.baseName;
    const TickResult lost = r.run(5000);
    ASSERT_EQ(lost.status, TickStatus::PortLost);
    EXPECT_EQ(lost.failure.kind, AcquisitionNoticeKind::StoppedPortLost);
    const StopResult stopped = r.acq.stop();
    EXPECT_EQ(r.messages.count(AcquisitionNoticeKind::PortLost), 1);
    EXPECT_NE(r.messages.back(), AcquisitionNoticeKind::Stopped); // the failure stays in the panel
    EXPECT_EQ(stopped.samples, 10000);
    EXPECT_EQ(firstBrokenSample(readFile(r.path(".rca")), readFile(r.path(".rcb"))), -1);

    // The device is back (a new terminal): the same link and acquisition record again.
    PtyBoard again(counterBoard());
    ASSERT_TRUE(again.start());
    r.state->comPortName = again.slavePath();
    const StartResult restarted = r.acq.start();
    ASSERT_EQ(restarted.status, StartStatus::Sampling);
    r.baseName = restarted.baseName;
    r.run(300);
    const StopResult second = r.acq.stop();
    EXPECT_GT(second.samples, 1000);
    EXPECT_EQ(firstBrokenSample(readFile(r.path(".rca")), readFile(r.path(".rcb"))), -1);
}

TEST(RecordingEndToEndTest, WindowBlockedForTwoSecondsLosesNoFrame) {
    Recorder r(counterBoard());
    const StartResult started = r.acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling);
    r.baseName = started.baseName;
    const TickResult last = r.run(6500, {{20, 2000}, {20, 2000}}, 130001); // blocked after 1 s and 4 s
    EXPECT_FALSE(last.endsSampling()) << static_cast<int>(last.failure.kind);
    const StopResult stopped = r.acq.stop();
    const QByteArray a = readFile(r.path(".rca"));
    EXPECT_EQ(firstBrokenSample(a, readFile(r.path(".rcb"))), -1);
    EXPECT_EQ(a.size(), r.board.framesSent());
    EXPECT_GT(a.size(), 130000); // about 6.5 s at 23 040 frames/s
    EXPECT_EQ(stopped.samples, a.size());
}

} // namespace
} // namespace varnilog
