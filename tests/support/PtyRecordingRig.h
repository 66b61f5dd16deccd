// A recording through the real port code: a simulated board on a pseudo-terminal, the POSIX serial
// link, the system clock and the acquisition, recording into a folder of the test's.
#pragma once

#include "app/SystemClock.h"
#include "device/Acquisition.h"
#include "device/PosixSerialLink.h"
#include "device/PtyBoard.h"

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

struct PtySession {
    // The board is plugged in and is the port of the state; recordings go into dir.
    explicit PtySession(BoardOptions options) : board(options) {
        EXPECT_TRUE(board.start());
        state->comPortName = board.slavePath();
        state->dataDir = dir.path();
    }
    // Ticks every 50 ms until a tick ends sampling or ms have passed.
    TickResult run(int ms, bool preview = false) {
        TickResult last;
        for (int t = 0; t < ms; t += Acquisition::kTickIntervalMs) {
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
    SystemClock clock;
    QStringList messages;
    Acquisition acq{*state, link, clock, [this](const QString& m) { messages << m; }};
};

} // namespace varnilog::test
