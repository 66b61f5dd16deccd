// The triggered live preview over the simulated board's stream cut into 50 ms ticks: a sine triggered
// at 0 V rising with 50 % pre-trigger crosses at column 250 in 100 consecutive frames; "Pojedynczy"
// keeps the first pulse until "Uzbrój"; "Auto" rolls when no event comes; "Normalny" keeps its frame.
#include "analysis/LiveTrigger.h"
#include "device/BoardSimulator.h"
#include "device/FrameParser.h"
#include "device/Protocol.h"
#include "view/SampleCodes.h"

#include <gtest/gtest.h>

#include <vector>

using namespace varnilog;

namespace {

// One channel-A signal on a board at 0.1 ms per sample and 1 V/div, handed over tick by tick.
struct Stream {
    explicit Stream(ChannelSignal a) : board(makeOptions(a)) {
        board.receive(settingsCommand(13, {4, 4}, {2, 2}, {100, 100}), 0);
    }
    static BoardOptions makeOptions(ChannelSignal a) {
        BoardOptions o;
        o.channels = {a, ChannelSignal{Waveform::Dc, 0, 0}};
        return o;
    }
    LiveTrigger::Update tick(LiveTrigger& trigger) {
        nowUs += 50000;
        bytes.resize(1 << 20);
        bytes.resize(board.produce(nowUs, bytes));
        a.resize(bytes.size());
        b.resize(bytes.size());
        const FrameParseResult r = parseFrames(bytes, a.data(), b.data(), FrameLimit::TakeAll);
        return trigger.feed(a.data(), b.data(), r.pairs, 50);
    }
    BoardSimulator board;
    std::int64_t nowUs = 0;
    std::vector<std::uint8_t> bytes, a, b;
};

LiveTriggerSetup setup(TriggerMode mode, double level) {
    LiveTriggerSetup s;
    s.mode = mode;
    s.trigger.level = level;
    s.trigger.hysteresis = triggerHysteresisCodes(0.1);
    s.column = 250;
    return s;
}

} // namespace

TEST(LiveTriggerTest, SineStandsStillAndTheModesKeepOrRollTheirFrames) {
    LiveTrigger trigger;
    Stream sine(ChannelSignal{Waveform::Sine, 50, 1.0});
    trigger.start(setup(TriggerMode::Normal, levelCode(0.0, 4)));
    int frames = 0;
    std::int64_t previous = -1;
    for (int t = 0; t < 200 && frames < 100; ++t) {
        const LiveTrigger::Update u = sine.tick(trigger);
        if (!u.frameChanged)
            continue;
        const auto& f = trigger.frame()[0];
        int crossing = -1;
        for (int c = 249; c <= 251 && crossing < 0; ++c)
            if (f[c - 1] < 125 && f[c] >= 125)
                crossing = c;
        ASSERT_NEAR(crossing, 250, 1) << "frame " << frames;
        EXPECT_EQ(u.state, TriggerState::Triggered);
        EXPECT_EQ(trigger.frameColumn(), 250);
        EXPECT_GT(u.events, previous);
        previous = u.events;
        ++frames;
    }
    EXPECT_EQ(frames, 100);

    // Isolated pulses: "Pojedynczy" shows the first one and keeps it until armed again.
    Stream pulses(ChannelSignal{Waveform::Pulse, 0, 1.0});
    trigger.start(setup(TriggerMode::Single, levelCode(0.5, 4)));
    std::vector<std::int64_t> caught;
    std::vector<std::uint8_t> first;
    std::int64_t armedAt = 0;
    for (int t = 0; t < 40; ++t) {
        const LiveTrigger::Update u = pulses.tick(trigger);
        if (u.singleCaught) {
            caught.push_back(*u.singleCaught);
            first.assign(trigger.frame()[0].begin(), trigger.frame()[0].end());
        }
        if (t == 20) {
            EXPECT_EQ(u.state, TriggerState::Stopped);
            EXPECT_EQ(std::vector<std::uint8_t>(trigger.frame()[0].begin(), trigger.frame()[0].end()), first);
            trigger.arm();
            armedAt = trigger.received();
        }
    }
    ASSERT_EQ(caught.size(), 2u);
    EXPECT_EQ(first[249], 125);
    EXPECT_EQ(first[250], 150);
    EXPECT_EQ(first[253], 125);
    EXPECT_GE(caught[1], armedAt) << "the second catch comes after arming";

    // No events: "Normalny" keeps its (empty) frame and waits, "Auto" rolls after 250 ms.
    Stream quiet(ChannelSignal{Waveform::Dc, 0, 0.5});
    trigger.start(setup(TriggerMode::Normal, levelCode(2.0, 4)));
    for (int t = 0; t < 10; ++t)
        EXPECT_FALSE(quiet.tick(trigger).frameChanged);
    trigger.configure(setup(TriggerMode::Auto, levelCode(2.0, 4)));
    LiveTrigger::Update u;
    for (int t = 0; t < 5; ++t)
        u = quiet.tick(trigger);
    EXPECT_TRUE(u.frameChanged);
    EXPECT_EQ(u.state, TriggerState::Rolling);
    EXPECT_EQ(trigger.frame()[0][499], 138) << "the newest samples, 0.5 V at 1 V/div";
}

// A slow time base fed sample by sample: 0.1 s per sample, a pulse (code 150) every 20 samples from
// sample 10 on, two 50 ms ticks per sample.
TEST(LiveTriggerTest, SlowTimeBaseKeepsItsEventsAndShowsEarlyOnesAtOnce) {
    const struct {
        const char* name;
        TriggerMode mode;
        int column;
        int samples;
    } rows[] = {
        {"Auto at 0.1 s per sample does not alternate frames", TriggerMode::Auto, 250, 1200},
        {"Normal shows the first event before its pre-trigger samples exist", TriggerMode::Normal, 250, 300},
        {"Single likewise", TriggerMode::Single, 250, 300},
    };
    for (const auto& row : rows) {
        LiveTrigger trigger;
        LiveTriggerSetup s = setup(row.mode, 137.5);
        s.column = row.column;
        s.samplingPeriodMs = 100;
        trigger.start(s);
        EXPECT_EQ(trigger.autoAfterMs(), 100000) << row.name;
        std::int64_t firstShownAt = -1;
        int rolled = 0;
        for (int i = 0; i < row.samples; ++i) {
            const std::uint8_t code = i % 20 == 10 ? 150 : 125;
            const LiveTrigger::Update u = trigger.feed(&code, &code, 1, 50);
            trigger.feed(nullptr, nullptr, 0, 50);
            rolled += u.state == TriggerState::Rolling;
            if (u.frameChanged && firstShownAt < 0) {
                firstShownAt = i;
                EXPECT_EQ(trigger.frameColumn(), row.column) << row.name;
                EXPECT_EQ(trigger.frame()[0][static_cast<std::size_t>(row.column)], 150) << row.name;
                EXPECT_EQ(trigger.frame()[0][0], kZeroLine) << row.name << ": the missing part is empty";
            }
        }
        EXPECT_EQ(rolled, 0) << row.name;
        // Event 10 has its post-trigger part once sample 10 + 249 is in.
        EXPECT_EQ(firstShownAt, 10 + kDisplayColumns - row.column - 1) << row.name;
    }

    // "Pojedynczy" chosen while sampling after a catch in "Pojedynczy" and a while in "Normalny".
    LiveTrigger trigger;
    trigger.start(setup(TriggerMode::Single, 137.5));
    const auto run = [&](int n) {
        std::optional<std::int64_t> caught;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t code = trigger.received() % 20 == 10 ? 150 : 125;
            const auto u = trigger.feed(&code, &code, 1, 50);
            caught = caught ? caught : u.singleCaught;
        }
        return caught;
    };
    ASSERT_TRUE(run(300));
    trigger.configure(setup(TriggerMode::Normal, 137.5));
    run(100);
    trigger.configure(setup(TriggerMode::Single, 137.5));
    const auto next = run(300);
    ASSERT_TRUE(next);
    EXPECT_GE(*next, 400);
}
