// The recorder killed outright (power cut, kill -9) at any moment of a recording: whatever it leaves
// in the data folder is a recording that opens and shows every sample it holds.
#include "device/Acquisition.h"
#include "device/PtyBoard.h"
#include "recording/RecordingLoader.h"
#include "support/RecordedFiles.h"
#include "view/ViewWindow.h"

#include "support/Sanitizers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <algorithm>
#include <array>
#include <memory>
#include <random>

namespace varnilog {
namespace {

constexpr int kKills = 100;
constexpr int kParallel = 4; // recorders killed in one round, each on its own board

BoardOptions counterBoard() {
    BoardOptions o;
    o.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
    return o;
}

using test::readFile;

// Index of the first sample of a file that breaks the counter ramp, -1 when it is intact. Channel A
// holds the low byte of the sample number, B the next byte.
qsizetype firstBroken(const QByteArray& samples, int channel) {
    for (qsizetype n = 0; n < samples.size(); ++n)
        if (static_cast<std::uint8_t>(samples[n]) != ((n >> (8 * channel)) & 0xFF))
            return n;
    return -1;
}

// The header as the recorder was told to write it: --timebase 12 --sens 3,7 --mode 2,0, model 1
// (two channels), offsets at their zero of 100, START the set's own name; every key, in this order.
QByteArray expectedHeader(const QString& base) {
    return "[PARAMETRY]\r\nPODSTAWA=12\r\nCZULOSCA=3\r\nCZULOSCB=7\r\nTRYBA=2\r\nTRYBB=0\r\nOFFSETA=100\r\n"
           "OFFSETB=100\r\nILOSCKANALOW=2\r\nSTART=" +
           base.toUtf8() + "\r\n";
}

struct Outcome {
    int nothing = 0;     // killed before any file of the set existed
    int unfinished = 0;  // killed while the set was being created: a header or empty sample files
    int withSamples = 0; // killed while recording
    int leftovers = 0;   // temporary files of an unfinished header replacement
};

// Checks what one killed recorder left in dir and counts it in outcome.
void checkLeftSet(const QString& dir, Outcome& outcome) {
    QStringList files = QDir(dir).entryList(QDir::Files);
    const QStringList temporaries = files.filter(QRegularExpression(QStringLiteral("\\.ros\\..+$")));
    outcome.leftovers += static_cast<int>(temporaries.size());
    for (const QString& t : temporaries)
        files.removeAll(t);
    if (files.isEmpty()) {
        ++outcome.nothing;
        return;
    }
    const QString base = QFileInfo(files.first()).completeBaseName();
    for (const QString& f : files)
        ASSERT_TRUE(f == base + ".ros" || f == base + ".rca" || f == base + ".rcb") << f.toStdString();
    const QString stem = QDir(dir).filePath(base);
    const bool hasHeader = QFile::exists(stem + ".ros"), hasA = QFile::exists(stem + ".rca"),
               hasB = QFile::exists(stem + ".rcb");
    if (hasHeader) {
        EXPECT_EQ(readFile(stem + ".ros"), expectedHeader(base)); // whole, never a part of the keys
    }
    // A sample file the kill came before counts as empty.
    const QByteArray a = hasA ? readFile(stem + ".rca") : QByteArray();
    const QByteArray b = hasB ? readFile(stem + ".rcb") : QByteArray();
    // ".rcb" takes each block before ".rca", so a kill between the two leaves A the shorter, by at
    // most what one tick takes from the receive buffer; A's length is the recording's length.
    EXPECT_TRUE(hasB || a.isEmpty());
    EXPECT_LE(a.size(), b.size());
    EXPECT_LE(b.size() - a.size(), kRxBufferSize / 4);
    EXPECT_EQ(firstBroken(a, 0), -1);
    EXPECT_EQ(firstBroken(b, 1), -1);
    if (!a.isEmpty()) {
        EXPECT_TRUE(hasHeader); // the header is written before any sample
    }

    auto state = std::make_unique<SharedState>();
    state->recordingPath = stem + ".ros";
    ASSERT_TRUE(loadRecording(*state).ok);
    EXPECT_EQ(state->sampleCount, hasA ? a.size() : -1);
    if (hasHeader) {
        EXPECT_EQ(state->timeBaseIndex, 12);
        EXPECT_EQ(state->channelSensitivity[1], 7);
        EXPECT_EQ(state->channelMode[0], 2);
    }
    if (a.isEmpty()) {
        ++outcome.unfinished;
        return;
    }
    ++outcome.withSamples;
    // The view at the end of the recording shows its last samples of both channels, then the zero
    // line; like any channel file, ".rcb" shows what it holds past the end of ".rca" (a block that
    // the kill kept from reaching ".rca").
    state->zoomDivisor = 1;
    state->viewStart = std::max<std::int64_t>(0, a.size() - 300);
    auto view = std::make_unique<ViewBuffers>();
    loadViewWindow(*state, *view);
    for (int k = 0; k < kDisplayColumns; ++k) {
        const std::int64_t n = state->viewStart + k;
        const bool inside = n < a.size();
        ASSERT_EQ(state->channelData[0][k], inside ? (n & 0xFF) : kZeroLine) << "column " << k;
        ASSERT_EQ(state->channelData[1][k], n < b.size() ? ((n >> 8) & 0xFF) : kZeroLine) << "column " << k;
    }
}

struct Victim {
    std::unique_ptr<PtyBoard> board;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QProcess> process;
    qint64 killAtMs = -1;     // on the round's timer; -1 until the recording has begun (a later kill)
    int afterRecordingMs = 0; // a later kill: this long after the recording's sample files appear
    bool killed = false;
};

void startRecorder(Victim& v) {
    v.dir = std::make_unique<QTemporaryDir>();
    v.process = std::make_unique<QProcess>();
    v.process->start(QStringLiteral(VARNILOG_CLI_PATH),
                     {"record", "--port", v.board->slavePath(), "--seconds", "30", "--dir", v.dir->path(),
                      "--timebase", "12", "--sens", "3,7", "--mode", "2,0"});
}

bool recordingBegan(const Victim& v) {
    return !QDir(v.dir->path()).entryList({QStringLiteral("*.rca")}, QDir::Files).isEmpty();
}

} // namespace

// 100 kills at seeded random moments: a quarter in the first 150 ms (start-up, identification, the
// header and the sample files), the rest up to 1050 ms after the recording began (timed from its
// sample files, not from the start, whose length depends on the machine's load). Nothing of a
// recording is lost beyond what had not yet reached the disk, and every set left behind opens.
TEST(RecorderCrashTest, KilledAtAnyMomentLeavesARecordingThatOpens) {
    VARNILOG_SKIP_UNDER_TSAN("its children die under the rule against threads after a multi-threaded fork");
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> early(0, 149), later(0, 1050);
    std::array<Victim, kParallel> victims;
    for (Victim& v : victims) {
        v.board = std::make_unique<PtyBoard>(counterBoard());
        ASSERT_TRUE(v.board->start());
    }
    Outcome outcome;
    int restarts = 0;
    for (int kill = 0; kill < kKills; kill += kParallel) {
        QElapsedTimer round;
        round.start();
        for (int i = 0; i < kParallel; ++i) {
            Victim& v = victims[static_cast<std::size_t>(i)];
            v.killed = false;
            v.killAtMs = -1;
            if ((kill + i) % 4 == 0)
                v.killAtMs = early(random);
            else
                v.afterRecordingMs = later(random);
            startRecorder(v);
            ASSERT_TRUE(v.process->waitForStarted());
            if (v.killAtMs >= 0)
                v.killAtMs += round.elapsed();
        }
        for (int left = kParallel; left > 0; QThread::msleep(1)) {
            for (Victim& v : victims) {
                if (v.killed)
                    continue;
                if (v.killAtMs < 0 && recordingBegan(v))
                    v.killAtMs = round.elapsed() + v.afterRecordingMs;
                if (v.killAtMs >= 0 && round.elapsed() >= v.killAtMs) {
                    ::kill(static_cast<pid_t>(v.process->processId()), SIGKILL);
                    v.killed = true;
                    --left;
                } else if (v.killAtMs < 0 && v.process->waitForFinished(0)) {
                    // The board's simulation, short of processor time, missed the recorder's
                    // identification replies: that recorder gave up before recording, so run it again.
                    const QByteArray err = v.process->readAllStandardError();
                    ASSERT_TRUE(err.contains("Problem z komunikacj") && restarts < kKills) << err.constData();
                    ++restarts;
                    startRecorder(v);
                    ASSERT_TRUE(v.process->waitForStarted());
                }
            }
        }
        for (Victim& v : victims) {
            // Killed, it ends for certain, but only once a disk write it is in returns: on a loaded
            // disk that can take seconds, so no bound of its own here (the test's timeout is one).
            ASSERT_TRUE(v.process->waitForFinished(-1));
            EXPECT_EQ(v.process->exitStatus(), QProcess::CrashExit)
                << v.process->readAllStandardError().constData();
            SCOPED_TRACE(v.dir->path().toStdString());
            checkLeftSet(v.dir->path(), outcome);
        }
    }
    std::printf("kills: %d before any file, %d in the set's creation, %d while recording; %d header "
                "temporaries left; %d recorders run again\n",
                outcome.nothing, outcome.unfinished, outcome.withSamples, outcome.leftovers, restarts);
    EXPECT_EQ(outcome.nothing + outcome.unfinished + outcome.withSamples, kKills);
    // The moments do cover the recording itself
    EXPECT_GE(outcome.withSamples, kKills / 4);
    EXPECT_GE(outcome.nothing + outcome.unfinished, 1); // and its very start
}

} // namespace varnilog
