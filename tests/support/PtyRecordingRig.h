// A recording through the real port code: a simulated board on a pseudo-terminal, the POSIX serial
// link, the system clock and the acquisition, recording into a folder of the test's.
#pragma once

#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"
#include "device/PtyBoard.h"
#include "support/AcquisitionNotices.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace varnilog::test {

// A board whose two channels send the counter ramp (A the low byte, B the high byte of the sample
// number).
inline BoardOptions counterBoard(int model = 1, Misbehaviour misbehaviour = Misbehaviour::None) {
    BoardOptions o;
    o.model = model;
    o.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
    o.misbehaviour = misbehaviour;
    return o;
}

// The system clock, whose sleeps last until the simulated board has caught up too: read and answered
// all the program wrote, and all it wrote taken by the program's link. The program's fixed waits (for
// an identification reply, at the stop) are meant for hardware, which never lags; the simulation on a
// loaded machine does, and would otherwise lose what a real board would have delivered.
class BoardPacedClock final : public Clock {
public:
    BoardPacedClock(const PtyBoard& board, const PosixSerialLink& link) : board_(board), link_(link) {}
    QDateTime now() const override { return system_.now(); }
    void sleepMs(int ms) override {
        system_.sleepMs(ms);
        // Bounded, so that a link that stopped reading fails the test's own checks instead of hanging.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!board_.caughtUp(link_.bytesWritten(), link_.bytesTaken()) &&
               std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    SystemClock system_;
    const PtyBoard& board_;
    const PosixSerialLink& link_;
};

struct PtySession {
    // The board is plugged in and is the port of the state; recordings go into dir.
    explicit PtySession(BoardOptions options) : board(options) {
        EXPECT_TRUE(board.start());
        state->comPortName = board.slavePath();
        state->dataDir = dir.path();
    }
    // Ticks every 50 ms until a tick ends sampling or ms have passed, and on until samples have been
    // recorded (a simulated board on a loaded machine lags behind the clock), for at most a minute.
    TickResult run(int ms, bool preview = false, std::int64_t samples = 0) {
        TickResult last;
        for (int t = 0; t < ms || (acq.samplesRecorded() < samples && t < 60000);
             t += Acquisition::kTickIntervalMs) {
            last = acq.tick(preview);
            if (last.endsSampling())
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(Acquisition::kTickIntervalMs));
        }
        return last;
    }

    QTemporaryDir dir;
    PtyBoard board;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    PosixSerialLink link;
    BoardPacedClock clock{board, link};
    NoticeKinds messages;
    QList<AcquisitionNotice> notices;
    Acquisition acq{*state, link, clock, [this](const AcquisitionNotice& n) {
                        messages << n.kind;
                        notices << n;
                    }};
};

} // namespace varnilog::test
