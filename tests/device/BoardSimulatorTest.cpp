#include "device/BoardSimulator.h"

#include "device/Protocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnilog {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes drain(BoardSimulator& board, std::int64_t nowUs) {
    Bytes out(1 << 20);
    out.resize(board.produce(nowUs, out));
    return out;
}

TEST(BoardSimulatorTest, IdentificationRepliesFollowTheChosenBehaviour) {
    struct Case {
        Misbehaviour misbehaviour;
        Bytes first;  // reply to the first identification command
        Bytes second; // reply to the second
    };
    const std::vector<Case> cases{
        {Misbehaviour::None, {3}, {3}},      {Misbehaviour::NoReply, {}, {}},
        {Misbehaviour::ReplyZero, {0}, {0}}, {Misbehaviour::TwoBytes, {3, 3}, {3, 3}},
        {Misbehaviour::ReplyFive, {5}, {5}}, {Misbehaviour::SecondAttemptOnly, {}, {3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.misbehaviour));
        BoardSimulator board(BoardOptions{.model = 3, .misbehaviour = c.misbehaviour});
        board.receive(identifyCommand(), 0);
        EXPECT_EQ(drain(board, 0), c.first);
        board.receive(identifyCommand(), 1000);
        EXPECT_EQ(drain(board, 1000), c.second);
        EXPECT_FALSE(board.streaming());
    }
}

TEST(BoardSimulatorTest, SettingsCommandIsDecodedAndStartsTheStream) {
    BoardSimulator board(BoardOptions{});
    // Split across two deliveries, with a stray byte ahead that the board must step over.
    const CommandFrame cmd{0x83, 0x6B, 0x41, 0x11, 0x64, 0x64, 0x7D, 0x85};
    const Bytes first{0x55, cmd[0], cmd[1], cmd[2]};
    board.receive(first, 0);
    EXPECT_FALSE(board.streaming());
    board.receive(std::span(cmd.data() + 3, 5), 0);
    ASSERT_TRUE(board.streaming());
    EXPECT_EQ(board.timeBaseIndex(), 7);
    EXPECT_EQ(board.sensitivity(0), 4);
    EXPECT_EQ(board.sensitivity(1), 1);
    EXPECT_FALSE(board.acCoupled(0));
    EXPECT_TRUE(board.acCoupled(1));
    board.receive(stopCommand, 10);
    EXPECT_FALSE(board.streaming());
}

TEST(BoardSimulatorTest, StreamIsPacedBySamplingPeriodAndLineRate) {
    struct Case {
        int timeBase;
        std::int64_t afterUs;
        std::int64_t frames; // one per period from the first period on, at most 23 040 per second
    };
    const std::vector<Case> cases{
        {10, 1'000'000, 1000},  // 1 ms
        {7, 1'000'000, 100},    // 10 ms
        {13, 500'000, 5000},    // 0.1 ms
        {15, 1'000'000, 23040}, // 20 us asks for 50 000/s, the line carries 23 040
        {22, 100'000, 2304},    // 0.1 us, still the line rate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeBase);
        BoardSimulator board(BoardOptions{});
        board.receive(settingsCommand(static_cast<std::uint8_t>(c.timeBase), {4, 4}, {2, 2}, {100, 100}), 0);
        std::int64_t total = 0;
        for (std::int64_t t = 0; t <= c.afterUs; t += 10'000)
            total += static_cast<std::int64_t>(drain(board, t).size());
        EXPECT_EQ(total, c.frames * 4);
    }
}

TEST(BoardSimulatorTest, WaveformsFollowSensitivityAndCoupling) {
    struct Case {
        ChannelSignal signal;
        std::uint8_t sensitivity;                          // sent index
        std::uint8_t mode;                                 // sent coupling
        std::vector<std::pair<std::int64_t, int>> samples; // sample number -> value
    };
    // Time base 10 (1 ms): a 100 Hz waveform has 10 samples per period.
    const std::vector<Case> cases{
        {{Waveform::Dc, 0, 1.0}, 4, ModeDC, {{0, 150}, {7, 150}}}, // 1 V at 1 V/div: one division up
        {{Waveform::Dc, 0, 1.0}, 4, ModeAC, {{0, 125}}},           // blocked by AC coupling
        {{Waveform::Dc, 0, 0.2}, 10, ModeDC, {{0, 255}}},          // 0.2 V at 10 mV/div: clipped
        {{Waveform::Square, 100, 0.4}, 4, ModeDC, {{0, 135}, {4, 135}, {5, 115}, {9, 115}, {10, 135}}},
        {{Waveform::Triangle, 100, 1.0}, 4, ModeDC, {{0, 100}, {5, 150}, {10, 100}}},
        {{Waveform::Sine, 100, 2.0}, 3, ModeDC, {{0, 125}, {5, 125}}},
        {{Waveform::Sine, 100, 2.0}, 3, ModeGND, {{0, 125}, {3, 125}}}, // grounded input
        {{Waveform::Counter, 0, 0}, 4, ModeDC, {{0, 0}, {255, 255}, {256, 0}, {300, 44}}},
        // Up to 50 Hz in 10 s: 2.5 t^2 cycles, so -0.71 V at 0.5 s, 0 at 1 s, and again from 10 s on.
        {{Waveform::Sweep, 50, 1.0}, 4, ModeDC, {{0, 125}, {500, 107}, {1000, 125}, {10500, 107}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.signal.waveform));
        BoardOptions options;
        options.channels = {c.signal, c.signal};
        BoardSimulator board(options);
        board.receive(settingsCommand(10, {c.sensitivity, c.sensitivity}, {c.mode, c.mode}, {100, 100}), 0);
        for (const auto& [n, value] : c.samples)
            EXPECT_EQ(board.sampleAt(0, n), value) << "sample " << n;
    }
    BoardOptions counter;
    counter.channels = {ChannelSignal{Waveform::Counter}, ChannelSignal{Waveform::Counter}};
    BoardSimulator board(counter);
    EXPECT_EQ(board.sampleAt(1, 0x1234), 0x12); // channel B counts the high byte
}

TEST(BoardSimulatorTest, MisbehavingStreamsGarbageBurstAndHangUp) {
    const CommandFrame fast = settingsCommand(15, {4, 4}, {2, 2}, {100, 100});
    {
        BoardSimulator board(BoardOptions{.misbehaviour = Misbehaviour::Burst, .burstBytes = 400'000});
        board.receive(fast, 0);
        EXPECT_EQ(drain(board, 0).size(), 400'000u); // the whole burst at once
    }
    {
        BoardSimulator board(BoardOptions{.misbehaviour = Misbehaviour::HangUp, .hangUpAfterBytes = 4000});
        board.receive(fast, 0);
        EXPECT_EQ(drain(board, 1'000'000).size(), 4000u);
        EXPECT_TRUE(board.hungUp());
        EXPECT_TRUE(drain(board, 2'000'000).empty());
    }
    {
        BoardSimulator board(
            BoardOptions{.misbehaviour = Misbehaviour::GarbageBetweenFrames, .garbageEveryFrames = 10});
        board.receive(fast, 0);
        const Bytes out = drain(board, 10'000); // 230 frames
        int markers = 0;
        int stray = 0;
        for (std::size_t i = 0; i < out.size();) {
            if (out[i] == 0x41 && i + 3 < out.size() && out[i + 2] == 0x42) {
                ++markers;
                i += 4;
            } else {
                ++stray;
                ++i;
            }
        }
        EXPECT_EQ(markers, 230);
        EXPECT_GT(stray, 20); // a stray group every 10 frames
    }
}

} // namespace
} // namespace varnilog
