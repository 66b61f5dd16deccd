#include "device/Acquisition.h"

#include "device/FakeClock.h"
#include "device/FakeSerialLink.h"
#include "device/Protocol.h"
#include "recording/ProfileFile.h"
#include "support/AcquisitionNotices.h"
#include "support/ChildProcess.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace varnilog {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Frames of sample numbers first..last-1: A = low byte, B = high byte of the number.
Bytes counterFrames(int first, int last) {
    Bytes out;
    for (int n = first; n < last; ++n)
        out.insert(out.end(),
                   {0x41, static_cast<std::uint8_t>(n & 0xFF), 0x42, static_cast<std::uint8_t>(n >> 8)});
    return out;
}

Bytes fileBytes(const QString& path) {
    const QByteArray data = test::readFile(path);
    return Bytes(data.begin(), data.end());
}

class AcquisitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        state->dataDir = dir.path();
        state->comPortName = QStringLiteral("fake");
        link.onWrite = [](std::span<const std::uint8_t> bytes, test::FakeSerialLink& l) {
            if (bytes.size() == 8 && std::equal(bytes.begin(), bytes.end(), identifyCommand().begin()))
                l.receive(std::array<std::uint8_t, 1>{1});
        };
    }
    void startSampling() {
        const StartResult r = acq.start();
        ASSERT_EQ(r.status, StartStatus::Sampling);
        baseName = r.baseName;
        messages.clear();
    }
    QString path(const char* ext) const { return dir.filePath(baseName + QLatin1String(ext)); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    test::FakeSerialLink link;
    test::FakeClock clock;
    NoticeKinds messages;
    Acquisition acq{*state, link, clock, [this](const AcquisitionNotice& n) { messages << n.kind; }};
    QString baseName;
};

struct TickCase {
    const char* name;
    std::vector<Bytes> chunks;             // received before each tick
    std::vector<std::int64_t> tickSamples; // sample pairs appended by each tick
    Bytes a;                               // ".rca" after stop
    Bytes b;                               // ".rcb" after stop
};

TEST_F(AcquisitionTest, TicksSplitFramesAndStopTakesTheRest) {
    const Bytes f0{0x41, 1, 0x42, 2}, f1{0x41, 3, 0x42, 4}, f2{0x41, 5, 0x42, 6}, f3{0x41, 7, 0x42, 8},
        f4{0x41, 9, 0x42, 10};
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::vector<TickCase> cases{
        {"8 bytes wait for the next tick", {cat({f0, f1})}, {0}, {1, 3}, {2, 4}},
        {"12 clean bytes: the newest frame waits", {cat({f0, f1, f2})}, {2}, {1, 3, 5}, {2, 4, 6}},
        {"frame split across ticks",
         {cat({f0, f1, {0x41, 5}}), cat({{0x42, 6}, f3, f4})},
         {1, 3},
         {1, 3, 5, 7, 9},
         {2, 4, 6, 8, 10}},
        {"stray bytes before the first frame are skipped once",
         {cat({{1, 2, 3, 4, 5, 6, 7}, f0, f1, f2}), cat({f3, f4})},
         {3, 0},
         {1, 3, 5, 7, 9},
         {2, 4, 6, 8, 10}},
        {"a lost marker costs its own frame",
         {cat({f0, {0x41, 3, 0x00, 4}, f2, f3, f4})},
         {3},
         {1, 5, 7, 9},
         {2, 6, 8, 10}},
        {"stop right after start leaves nothing", {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startSampling();
        for (std::size_t t = 0; t < c.chunks.size(); ++t) {
            link.receive(c.chunks[t]);
            const TickResult r = acq.tick(false);
            EXPECT_EQ(r.samples, c.tickSamples[t]) << "tick " << t;
            EXPECT_FALSE(r.endsSampling());
        }
        const StopResult stopped = acq.stop();
        EXPECT_EQ(link.written.back(), Bytes{0x00});
        if (c.a.empty()) {
            EXPECT_TRUE(stopped.rosPath.isEmpty());
            EXPECT_TRUE(entries().isEmpty()) << entries().join(",").toStdString();
            continue;
        }
        EXPECT_EQ(stopped.rosPath, path(".ros"));
        EXPECT_EQ(stopped.samples, static_cast<std::int64_t>(c.a.size()));
        EXPECT_EQ(fileBytes(path(".rca")), c.a);
        EXPECT_EQ(fileBytes(path(".rcb")), c.b);
        for (const QString& f : entries())
            QFile::remove(dir.filePath(f));
    }
}

TEST_F(AcquisitionTest, StrayBytesBeforeTheStreamNeverDuplicateOrDropSamples) {
    const std::vector<std::size_t> chunkSizes{13, 7, 50, 9, 33, 101, 4, 64};
    for (int garbage = 4; garbage <= 20; ++garbage) {
        SCOPED_TRACE(garbage);
        startSampling();
        Bytes stream;
        for (int i = 0; i < garbage; ++i)
            stream.push_back(static_cast<std::uint8_t>(0x10 + i));
        const Bytes frames = counterFrames(0, 300);
        stream.insert(stream.end(), frames.begin(), frames.end());
        std::size_t at = 0;
        for (std::size_t t = 0; at < stream.size(); ++t) {
            const std::size_t n = std::min(chunkSizes[t % chunkSizes.size()], stream.size() - at);
            link.receive(std::span(stream.data() + at, n));
            at += n;
            acq.tick(false);
        }
        acq.stop();
        const Bytes a = fileBytes(path(".rca"));
        const Bytes b = fileBytes(path(".rcb"));
        ASSERT_EQ(a.size(), 300u);
        ASSERT_EQ(b.size(), 300u);
        for (int n = 0; n < 300; ++n) {
            ASSERT_EQ(a[static_cast<std::size_t>(n)], n & 0xFF) << n;
            ASSERT_EQ(b[static_cast<std::size_t>(n)], n >> 8) << n;
        }
        for (const QString& f : entries())
            QFile::remove(dir.filePath(f));
    }
}

TEST_F(AcquisitionTest, PreviewShowsTheFirst500OrScrollsByTheNewSamples) {
    startSampling();
    link.receive(counterFrames(0, 601)); // 600 taken, the newest waits
    TickResult r = acq.tick(true);
    ASSERT_EQ(r.samples, 600);
    EXPECT_TRUE(r.previewChanged);
    for (int j = 0; j < 500; ++j) {
        ASSERT_EQ(state->channelData[0][static_cast<std::size_t>(j)], j & 0xFF) << j;
        ASSERT_EQ(state->channelData[1][static_cast<std::size_t>(j)], j >> 8) << j;
    }
    link.receive(counterFrames(601, 701)); // with the waiting one, samples 600..699 are taken
    r = acq.tick(true);
    ASSERT_EQ(r.samples, 100);
    for (int j = 0; j < 400; ++j)
        ASSERT_EQ(state->channelData[0][static_cast<std::size_t>(j)], (j + 100) & 0xFF) << j;
    for (int j = 400; j < 500; ++j) {
        ASSERT_EQ(state->channelData[0][static_cast<std::size_t>(j)], (j + 200) & 0xFF) << j;
        ASSERT_EQ(state->channelData[1][static_cast<std::size_t>(j)], (j + 200) >> 8) << j;
    }
    // Preview off: the window is left alone.
    link.receive(counterFrames(701, 801));
    const auto before = state->channelData[0];
    r = acq.tick(false);
    EXPECT_EQ(r.samples, 100);
    EXPECT_FALSE(r.previewChanged);
    EXPECT_EQ(state->channelData[0], before);
    acq.stop();
}

struct FramelessCase {
    const char* name;
    std::vector<Bytes> chunks; // received before each tick
    int noticeTick;            // the tick after which the panel says so; -1 never
    NoticeKinds messages;      // every notice during sampling
    std::int64_t skipped;      // reported by the last tick
};

TEST_F(AcquisitionTest, AStreamWithoutFramesIsReportedAfterOneSecondOfBytes) {
    auto ticks = [](std::initializer_list<std::pair<int, Bytes>> runs) {
        std::vector<Bytes> out;
        for (const auto& [count, chunk] : runs)
            out.insert(out.end(), static_cast<std::size_t>(count), chunk);
        return out;
    };
    const Bytes junk(400, 0x55);
    Bytes junkWithAFrame = junk;
    junkWithAFrame.insert(junkWithAFrame.begin() + 100, {0x41, 1, 0x42, 2});
    const Bytes frames = counterFrames(0, 300);
    const Bytes oneFrame = counterFrames(0, 1);
    const AcquisitionNoticeKind none = AcquisitionNoticeKind::NoFrames,
                                back = AcquisitionNoticeKind::Sampling;
    // 50 ms ticks: the first tick that sees bytes is tick 0, one second later is tick 20.
    const std::vector<FramelessCase> cases{
        {"junk only", ticks({{25, junk}}), 20, {none}, 25 * 400 - 3},
        {"junk after a silent start", ticks({{5, {}}, {25, junk}}), 25, {none}, 25 * 400 - 3},
        {"junk holding one frame by chance",
         ticks({{1, junkWithAFrame}, {24, junk}}),
         20,
         {none},
         25 * 400 - 3},
        {"junk for less than a second, then frames", ticks({{10, junk}, {15, frames}}), -1, {}, 10 * 400},
        {"clean frames", ticks({{25, frames}}), -1, {}, 0},
        {"one frame a second",
         ticks({{19, {}}, {1, oneFrame}, {19, {}}, {1, oneFrame}, {19, {}}, {1, oneFrame}}),
         -1,
         {},
         0},
        {"frames after the notice take the panel back",
         ticks({{25, junk}, {10, frames}}),
         20,
         {none, back},
         25 * 400},
        {"nothing received", ticks({{30, {}}}), -1, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startSampling();
        int noticeTick = -1;
        TickResult r;
        for (std::size_t t = 0; t < c.chunks.size(); ++t) {
            link.receive(c.chunks[t]);
            r = acq.tick(false);
            if (noticeTick < 0 && !messages.isEmpty())
                noticeTick = static_cast<int>(t);
        }
        EXPECT_EQ(noticeTick, c.noticeTick);
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(r.skippedBytes, c.skipped);
        acq.stop();
        for (const QString& f : entries())
            QFile::remove(dir.filePath(f));
    }
}

struct OverflowCase {
    const char* name;
    std::int64_t queued;
    bool overflow;
};

TEST_F(AcquisitionTest, BacklogBeyondTheBufferEndsSamplingButKeepsEverySample) {
    const std::vector<OverflowCase> cases{
        {"exactly the buffer", 409600, false},
        {"one frame more", 409604, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startSampling();
        const int frames = static_cast<int>(c.queued / 4);
        link.receive(counterFrames(0, frames));
        const TickResult r = acq.tick(false);
        EXPECT_EQ(r.status == TickStatus::Overflow, c.overflow);
        if (c.overflow) {
            EXPECT_EQ(r.failure.kind, AcquisitionNoticeKind::StoppedOverflow);
            EXPECT_EQ(static_cast<std::int64_t>(link.received.size()), c.queued); // nothing was read
            EXPECT_EQ(acq.tick(false).status, TickStatus::Idle);                  // no second box
        }
        const StopResult stopped = acq.stop();
        EXPECT_EQ(stopped.samples, frames);
        const Bytes a = fileBytes(path(".rca"));
        ASSERT_EQ(static_cast<int>(a.size()), frames);
        EXPECT_EQ(a[100000], 100000 & 0xFF);
        EXPECT_TRUE(messages.contains(AcquisitionNoticeKind::Stopped));
        for (const QString& f : entries())
            QFile::remove(dir.filePath(f));
    }
}

TEST_F(AcquisitionTest, LostPortEndsWithOneMessageAndKeepsEveryByte) {
    startSampling();
    link.receive(counterFrames(0, 50));
    ASSERT_EQ(acq.tick(false).samples, 49);
    link.receive(counterFrames(50, 80));
    link.failedFlag = true; // unplugged after these bytes arrived
    const std::size_t writesBefore = link.written.size();
    const TickResult r = acq.tick(false);
    EXPECT_EQ(r.status, TickStatus::PortLost);
    EXPECT_EQ(r.samples, 30);
    EXPECT_EQ(r.failure.kind, AcquisitionNoticeKind::StoppedPortLost);
    EXPECT_EQ(acq.tick(false).status, TickStatus::Idle);
    const StopResult stopped = acq.stop();
    EXPECT_EQ(link.written.size(), writesBefore); // nothing sent to a device that is gone
    EXPECT_EQ(messages, NoticeKinds{AcquisitionNoticeKind::PortLost});
    EXPECT_EQ(stopped.samples, 80);
    EXPECT_FALSE(state->portOpen);
    const Bytes a = fileBytes(path(".rca"));
    ASSERT_EQ(a.size(), 80u);
    EXPECT_EQ(a[79], 79);
    // Back again: the next start works.
    startSampling();
    acq.stop();
}

TEST_F(AcquisitionTest, FailedWriteEndsSamplingAndKeepsWhatWasWritten) {
    startSampling();
    link.receive(counterFrames(0, 301));
    ASSERT_EQ(acq.tick(false).samples, 300);

    TickResult r;
    {
        const test::ScopedFileSizeLimit limit(1000); // bytes per file: the next 800 samples do not fit
        link.receive(counterFrames(301, 1101));
        r = acq.tick(false);
    }

    EXPECT_EQ(r.status, TickStatus::WriteFailed);
    EXPECT_EQ(r.failure.kind, AcquisitionNoticeKind::StoppedWriteFailed);
    EXPECT_FALSE(r.failure.reason.isEmpty());
    EXPECT_EQ(messages, NoticeKinds{AcquisitionNoticeKind::WriteFailed});
    const StopResult stopped = acq.stop();
    EXPECT_EQ(link.written.back(), Bytes{0x00});
    EXPECT_FALSE(state->portOpen);
    EXPECT_EQ(stopped.rosPath, path(".ros"));
    EXPECT_EQ(stopped.samples, 300);
    EXPECT_EQ(fileBytes(path(".rcb")).size(), 300u);
}

struct NameCase {
    const char* name;
    QStringList existing;
    const char* expected;
};

TEST_F(AcquisitionTest, NewRecordingNeverReusesTheNameOfAnExistingSet) {
    const std::vector<NameCase> cases{
        {"free second", {}, "2024-03-07 14.05.09"},
        {"taken by a recording", {"2024-03-07 14.05.09.ros"}, "2024-03-07 14.05.10"},
        {"taken by a lone description", {"2024-03-07 14.05.09.roc"}, "2024-03-07 14.05.10"},
        {"next second taken too",
         {"2024-03-07 14.05.09.rca", "2024-03-07 14.05.10.ros"},
         "2024-03-07 14.05.11"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clock.time = QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9, 400));
        for (const QString& f : c.existing) {
            QFile file(dir.filePath(f));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        startSampling();
        EXPECT_EQ(baseName, QLatin1String(c.expected));
        for (const QString& f : c.existing)
            EXPECT_TRUE(QFile::exists(dir.filePath(f))) << f.toStdString(); // untouched
        acq.stop();
        for (const QString& f : entries())
            QFile::remove(dir.filePath(f));
    }
}

TEST_F(AcquisitionTest, StartBeginsFromAnEmptyCarryAndSendsTheSettingsCommand) {
    // An earlier recording that ended with half a frame received.
    startSampling();
    link.receive(Bytes{0x41, 1, 0x42, 2, 0x41, 3, 0x42, 4, 0x41, 5});
    acq.tick(false);
    EXPECT_GT(acq.carriedBytes(), 0);
    acq.stop();
    for (const QString& f : entries())
        QFile::remove(dir.filePath(f));
    clock.time = clock.time.addSecs(1);

    state->timeBaseIndex = 7;
    state->channelMode = {ModeDC, ModeAC, ModeAC, ModeAC};
    state->channelSensitivity = {4, 1, 1, 1};
    state->channelOffset = {100, 100, 100, 100};
    startSampling();
    EXPECT_EQ(acq.carriedBytes(), 0);
    EXPECT_EQ(state->zoomDivisor, 1);
    EXPECT_EQ(link.written.back(), (Bytes{0x83, 0x6B, 0x41, 0x11, 0x64, 0x64, 0x7D, 0x85}));
    acq.stop();
}

TEST_F(AcquisitionTest, OffsetsFollowTheReportedModelBeforeTheCommandAndTheHeader) {
    // Set up on a KZ200 (100 offset steps either side of the zero); the board is a KZ300 (50).
    state->deviceModel = 2;
    state->referenceVoltage = 1.25f;
    state->channelZeroOffset = {100, 100, 100, 100};
    state->channelOffset = {190, 5, 100, 100};
    link.onWrite = [](std::span<const std::uint8_t> bytes, test::FakeSerialLink& l) {
        if (bytes.size() == 8 && std::equal(bytes.begin(), bytes.end(), identifyCommand().begin()))
            l.receive(std::array<std::uint8_t, 1>{3});
    };
    startSampling();
    const Bytes command = link.written.back();
    ASSERT_EQ(command.size(), 8u);
    EXPECT_EQ(command[4], 150);
    EXPECT_EQ(command[5], 50);
    const ProfileFile ros(path(".ros"));
    EXPECT_EQ(ros.readInteger("PARAMETRY", "OFFSETA", -1), 150);
    EXPECT_EQ(ros.readInteger("PARAMETRY", "OFFSETB", -1), 50);
    acq.stop();
}

TEST_F(AcquisitionTest, MissingDataFolderLeavesThePortOpenUntilStop) {
    state->dataDir = dir.filePath(QStringLiteral("missing"));
    const StartResult r = acq.start();
    EXPECT_EQ(r.status, StartStatus::FilesNotCreated);
    EXPECT_EQ(messages.back(), AcquisitionNoticeKind::FilesNotCreated);
    EXPECT_TRUE(state->portOpen);
    EXPECT_EQ(acq.tick(true).status, TickStatus::Idle);
    const StopResult stopped = acq.stop();
    EXPECT_TRUE(stopped.rosPath.isEmpty());
    EXPECT_FALSE(state->portOpen);
    EXPECT_EQ(messages.back(), AcquisitionNoticeKind::Stopped);
    EXPECT_TRUE(entries().isEmpty());
}

} // namespace
} // namespace varnilog

namespace varnilog {
namespace {

TEST_F(AcquisitionTest, StaleBytesFromAnEarlierSessionNeverEnterTheRecording) {
    // An adapter that ignored the flush at open still holds part of an old stream.
    link.receive(Bytes{0x41, 7, 0x42});
    link.onWrite = [](std::span<const std::uint8_t> bytes, test::FakeSerialLink& l) {
        if (bytes.size() != 8)
            return;
        if (std::equal(bytes.begin(), bytes.end(), identifyCommand().begin())) {
            l.receive(std::array<std::uint8_t, 1>{2});
            return;
        }
        // The tail of an old frame arrives just after the settings command, then the new stream.
        l.receive(Bytes{0x42, 9, 0x00});
        l.receive(counterFrames(0, 40));
    };
    const StartResult r = acq.start();
    ASSERT_EQ(r.status, StartStatus::Sampling);
    baseName = r.baseName;
    EXPECT_EQ(messages, (NoticeKinds{AcquisitionNoticeKind::PortOpened, AcquisitionNoticeKind::Retrying,
                                     AcquisitionNoticeKind::Sampling}));
    EXPECT_EQ(state->deviceModel, 2);
    acq.tick(false);
    const StopResult stopped = acq.stop();
    EXPECT_EQ(stopped.samples, 40);
    const Bytes a = fileBytes(path(".rca"));
    ASSERT_EQ(a.size(), 40u);
    EXPECT_EQ(a.front(), 0);
    EXPECT_EQ(a.back(), 39);
}

} // namespace
} // namespace varnilog

namespace varnilog {
namespace {

// The user who may not use the port gets what its permissions say, so the advice fits; other
// failures give the system's reason. The ports are paths of the test's own (never the machine's
// /dev): one that does not exist has no permissions to look at, a file standing in for the device
// its owner, group and mode.
TEST(AcquisitionPortTest, AFailedOpenSaysWhyAndWhatThePermissionsAre) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyUSB0")),
                  device = dir.filePath(QStringLiteral("ttyS9"));
    test::writeFile(device, {});
    ASSERT_TRUE(QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString owner = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
    const QString group = QString::fromLocal8Bit(getgrgid(getegid())->gr_name);
    using K = AcquisitionNoticeKind;
    const struct {
        int error;
        QString port;
        K kind;
        QString reason;
        bool accessKnown;
    } rows[] = {
        {EACCES, missing, K::AccessDenied, {}, false},
        {EPERM, missing, K::AccessDenied, {}, false},
        {EACCES, device, K::AccessDenied, {}, true},
        {EBUSY, device, K::PortNotOpened, qt_error_string(EBUSY), false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.port.toStdString() + " " + std::to_string(r.error));
        auto state = std::make_unique<SharedState>();
        state->comPortName = r.port;
        test::FakeSerialLink link;
        link.openFails = true;
        link.openErrorValue = r.error;
        test::FakeClock clock;
        QList<AcquisitionNotice> notices;
        Acquisition acq(*state, link, clock, [&](const AcquisitionNotice& n) { notices << n; });
        const StartResult started = acq.start();
        EXPECT_EQ(started.status, StartStatus::PortNotOpened);
        EXPECT_EQ(started.portError, r.error);
        ASSERT_EQ(notices.size(), 1);
        for (const AcquisitionNotice& n : {notices.front(), started.failure}) {
            EXPECT_EQ(n.kind, r.kind);
            EXPECT_EQ(n.port, r.port);
            EXPECT_EQ(n.reason, r.reason);
            ASSERT_EQ(n.access.has_value(), r.accessKnown);
            if (r.accessKnown) {
                EXPECT_EQ(n.access->owner, owner);
                EXPECT_EQ(n.access->group, group);
                EXPECT_EQ(n.access->mode, QStringLiteral("-rw-r-----"));
                EXPECT_EQ(portAccessFix(*n.access), PortAccessFix::AskForAccess);
            }
        }
    }
}

} // namespace
} // namespace varnilog
