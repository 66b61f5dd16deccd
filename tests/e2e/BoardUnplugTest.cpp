// The simulated board's port after the program that held it went away: killed outright or closed
// cleanly, the next program opens the port and records, as with a real serial port.
#include "app/CoreMessages.h"
#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"
#include "device/Protocol.h"
#include "device/PtyBoard.h"
#include "support/ChildProcess.h"

#include <QFile>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace varnilog {
namespace {

// The exclusive flag of the terminal at path: 1 set, 0 clear, -1 when it cannot be opened (a user
// without super-user rights cannot open a terminal another program holds exclusively).
int exclusiveFlag(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int flag = -1;
    if (ioctl(fd, TIOCGEXCL, &flag) != 0)
        flag = -1;
    ::close(fd);
    return flag;
}

// The user's recorder dies (kill -9, a crash) or ends normally while it holds the simulated board's
// port; the next start finds the port free and the board answering.
TEST(BoardUnplugTest, PortIsFreeAgainAfterItsProgramEnds) {
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed" : "closed");
        BoardOptions options;
        options.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
        PtyBoard board(options);
        ASSERT_TRUE(board.start());
        const QByteArray path = board.slavePath().toLocal8Bit();
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = test::startChild([&] { // only system calls here: the parent has threads
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
            const char ok = fd >= 0 && ioctl(fd, TIOCEXCL) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            if (!killed) {
                ioctl(fd, TIOCNXCL);
                return 0;
            }
            ::pause();
            return 1;
        });
        ASSERT_GE(child, 0);
        char ok = 0;
        ASSERT_EQ(::read(ready[0], &ok, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        ASSERT_EQ(ok, 'y');
        if (killed) {
            EXPECT_NE(exclusiveFlag(path), 0); // held: set, or not even openable
            ::kill(child, SIGKILL);
        }
        test::waitForChild(child);
        int flag = -1;
        for (int wait = 0; wait < 100 && flag != 0; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            flag = exclusiveFlag(path);
        }
        EXPECT_EQ(flag, 0);

        QTemporaryDir dir;
        auto state = std::make_unique<SharedState>();
        state->comPortName = board.slavePath();
        state->dataDir = dir.path();
        PosixSerialLink link;
        SystemClock clock;
        Acquisition acq(*state, link, clock, nullptr);
        EXPECT_EQ(acq.start().status, StartStatus::Sampling);
        acq.stop();
    }
}

// The recorder died mid-recording (no stop byte); the real board streams on. The user's next Start
// still finds the board: the zero bytes of the identification command stop the stream, the first
// attempt fails on the frames still queued ("Ponowna próba połączenia" once), the second succeeds,
// instead of three failures and "Problem z komunikacją !!!" until the board is switched off. The
// new recording is the whole counter ramp from its own start.
TEST(BoardUnplugTest, StartAfterACrashStopsTheStreamLeftRunning) {
    BoardOptions options;
    options.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
    options.streamsAfterClose = true;
    PtyBoard board(options);
    ASSERT_TRUE(board.start());
    auto state = std::make_unique<SharedState>();
    state->comPortName = board.slavePath();
    state->timeBaseIndex = 15; // 20 us: the line rate
    {
        PosixSerialLink crashed; // a session that sent its settings and went without a stop
        ASSERT_TRUE(crashed.open(board.slavePath()));
        const auto command = settingsCommand(*state);
        ASSERT_EQ(crashed.write(command), 8);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_GT(crashed.queuedBytes(), 1000);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    QTemporaryDir dir;
    state->dataDir = dir.path();
    PosixSerialLink link;
    SystemClock clock;
    QStringList messages;
    Acquisition acq(*state, link, clock, [&](const AcquisitionNotice& n) { messages << coreMessage(n); });
    const StartResult started = acq.start();
    ASSERT_EQ(started.status, StartStatus::Sampling) << messages.join(" | ").toStdString();
    EXPECT_EQ(messages.filter(QString::fromUtf8("Ponowna próba")).size(), 1);
    for (int tick = 0; tick < 6; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(Acquisition::kTickIntervalMs));
        ASSERT_FALSE(acq.tick(false).endsSampling());
    }
    const StopResult stopped = acq.stop();
    ASSERT_FALSE(stopped.rosPath.isEmpty());
    QFile a(dir.filePath(started.baseName + ".rca")), b(dir.filePath(started.baseName + ".rcb"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray sa = a.readAll(), sb = b.readAll();
    EXPECT_EQ(sa.size(), board.framesSent());
    ASSERT_EQ(sa.size(), sb.size());
    for (qsizetype n = 0; n < sa.size(); ++n) {
        ASSERT_EQ(static_cast<std::uint8_t>(sa[n]), n & 0xFF) << n;
        ASSERT_EQ(static_cast<std::uint8_t>(sb[n]), (n >> 8) & 0xFF) << n;
    }
}

} // namespace
} // namespace varnilog
