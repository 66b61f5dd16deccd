// The triggered live preview: every tick's samples of A and B go into a fixed history ring and the
// source channel's samples through the trigger scanner, so no event between two ticks is missed. It
// picks the 500 samples whose trigger column falls on the newest event that already has all its
// post-trigger samples ("Normalny"), rolls the newest samples when no event came for 250 ms or two
// frames' time, whichever is longer ("Auto"), or keeps the first event after arming ("Pojedynczy").
// An event too early for all its pre-trigger samples is shown once its post-trigger part is in, the
// missing part on the zero line. Everything is allocated once, with the object.
// Depends on the C++ library and the shared state's sizes.
#pragma once

#include "analysis/TriggerScanner.h"
#include "app/SharedState.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace varnilog {

enum class TriggerMode { Off, Auto, Normal, Single };
// What the status shows: "Czeka", "Wyzwolono", "Auto", "Zatrzymano".
enum class TriggerState { Waiting, Triggered, Rolling, Stopped };

struct LiveTriggerSetup {
    TriggerMode mode = TriggerMode::Off;
    int source = 0; // 0 (A) or 1 (B)
    TriggerSettings trigger;
    int column = kDisplayColumns / 2; // the trigger's column in the frame, 0..499
    float samplingPeriodMs = 0;       // between two samples: how long a frame takes to come
};

class LiveTrigger {
public:
    static constexpr std::int64_t kHistory = std::int64_t{1} << 18; // samples kept per channel
    static constexpr int kAutoAfterMs = 250;
    static constexpr int kEventRing = 1024; // newest events remembered

    using Frame = std::array<std::array<std::uint8_t, kDisplayColumns>, 2>;

    LiveTrigger();

    // A new recording: nothing received, no events, "Pojedynczy" armed.
    void start(const LiveTriggerSetup& setup);
    // New settings during a recording: the scanner starts again with the next samples; the count of
    // events goes on. Choosing "Pojedynczy" arms it.
    void configure(const LiveTriggerSetup& setup);
    // "Uzbrój": "Pojedynczy" waits for the next event again.
    void arm();

    struct Update {
        bool frameChanged = false; // frame() holds a new picture
        TriggerState state = TriggerState::Waiting;
        std::int64_t events = 0; // events of this recording
        // "Pojedynczy" caught this event (its k) in this tick: where the window may mark it.
        std::optional<std::int64_t> singleCaught;
    };
    // The n new samples of A and B of one tick, elapsedMs after the previous one.
    Update feed(const std::uint8_t* a, const std::uint8_t* b, std::int64_t n, int elapsedMs);

    const Frame& frame() const { return *frame_; }
    // The trigger's column in frame(), -1 for a rolled frame.
    int frameColumn() const { return frameColumn_; }
    // The sample of the recording in frame()'s first column (below 0 for an early event).
    std::int64_t frameStart() const { return frameStart_; }
    std::int64_t received() const { return received_; }
    // How long "Auto" waits for an event before it rolls.
    int autoAfterMs() const { return autoAfterMs_; }

private:
    void append(int channel, const std::uint8_t* codes, std::int64_t n);
    // Whether the frame around event k is whole (and still in the history).
    bool complete(std::int64_t k) const;
    void showEvent(std::int64_t k);
    void showNewest();
    std::optional<std::int64_t> newestComplete() const;

    LiveTriggerSetup setup_;
    std::unique_ptr<std::array<std::array<std::uint8_t, kHistory>, 2>> history_;
    std::unique_ptr<Frame> frame_;
    std::array<std::int64_t, kEventRing> events_{};
    std::int64_t received_ = 0;  // samples per channel since the start
    std::int64_t counted_ = 0;   // events since the start
    std::int64_t ringCount_ = 0; // events in events_ of the current scanner
    TriggerScanner scanner_{TriggerSettings{}, 0};
    std::int64_t shown_ = -1; // k of the event on show, -1 none
    int frameColumn_ = -1;
    std::int64_t frameStart_ = 0;
    int sinceEventMs_ = 0;
    int sinceShownMs_ = 0;
    int autoAfterMs_ = kAutoAfterMs;
    bool singleArmed_ = true;
    std::optional<std::int64_t> singleEvent_; // caught, waiting for its post-trigger samples
    bool frozen_ = false;
};

} // namespace varnilog
