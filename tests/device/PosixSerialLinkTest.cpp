// Opening the simulated board's pseudo-terminal through the real port code: a port somebody else
// holds stays closed, and a port that would run at another speed than the board's is reported.
#include "device/PosixSerialLink.h"

#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PtyBoard.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace varnilog {
namespace {

// A driver that cannot run at 921600 baud and quietly applies 115200 instead.
int applyAtAnotherSpeed(int fd, int action, const termios* settings) {
    termios slower = *settings;
    cfsetispeed(&slower, B115200);
    cfsetospeed(&slower, B115200);
    return ::tcsetattr(fd, action, &slower);
}

enum class Holder { Nobody, AnotherLink, LockingProgram };

struct OpenCase {
    const char* name;
    Holder holder;
    PosixSerialLink::ApplyLineSettings apply;
    AcquisitionNoticeKind notice; // the first notice of the start
    bool opens;
    int reason = 0; // the system's reason, named after the port
};

TEST(PosixSerialLinkTest, OpensOnlyAFreePortThatRunsAtTheLineRate) {
    PtyBoard board(3);
    ASSERT_TRUE(board.start());
    const QByteArray path = board.slavePath().toLocal8Bit();
    const AcquisitionNoticeKind opened = AcquisitionNoticeKind::PortOpened,
                                notOpened = AcquisitionNoticeKind::PortNotOpened;
    const std::vector<OpenCase> cases{
        {"a free port", Holder::Nobody, ::tcsetattr, opened, true},
        {"held by another link of this program", Holder::AnotherLink, ::tcsetattr, notOpened, false, EBUSY},
        {"held by a program that locked it", Holder::LockingProgram, ::tcsetattr, notOpened, false, EBUSY},
        {"a driver that applies another speed", Holder::Nobody, applyAtAnotherSpeed,
         AcquisitionNoticeKind::SpeedRefused, false},
        {"free again once the holders closed", Holder::Nobody, ::tcsetattr, opened, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PosixSerialLink holderLink;
        int lockedFd = -1;
        if (c.holder == Holder::AnotherLink) {
            ASSERT_TRUE(holderLink.open(board.slavePath()));
        }
        if (c.holder == Holder::LockingProgram) {
            // As a terminal program takes the port: a plain open and the lock, nothing else.
            lockedFd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(lockedFd, 0);
            ASSERT_EQ(flock(lockedFd, LOCK_EX | LOCK_NB), 0);
        }
        QTemporaryDir dir;
        auto state = std::make_unique<SharedState>();
        state->dataDir = dir.path();
        state->comPortName = board.slavePath();
        PosixSerialLink link(PosixSerialLink::kDefaultRingCapacity, c.apply);
        SystemClock clock;
        QList<AcquisitionNotice> notices;
        Acquisition acq(*state, link, clock, [&](const AcquisitionNotice& n) { notices << n; });
        const StartResult r = acq.start();
        ASSERT_FALSE(notices.isEmpty());
        EXPECT_EQ(notices.first().kind, c.notice);
        EXPECT_EQ(notices.first().reason, c.reason ? qt_error_string(c.reason) : QString());
        EXPECT_EQ(link.openError(), c.reason);
        EXPECT_EQ(r.status == StartStatus::PortNotOpened, !c.opens);
        EXPECT_EQ(link.isOpen(), c.opens);
        acq.stop();
        if (lockedFd >= 0)
            ::close(lockedFd);
    }
}

} // namespace
} // namespace varnilog
