// The "Wyzwalanie" tab while sampling: its settings go into the live trigger (at the source channel's
// sensitivity), each tick's samples through it, and its state and event count back onto the tab. The
// main window only shows the frames and marks the caught events.
#pragma once

#include "analysis/LiveTrigger.h"
#include "app/SharedState.h"

#include <cstdint>
#include <optional>

namespace varnilog {

class TriggerTab;

class LiveTriggerControl {
public:
    explicit LiveTriggerControl(TriggerTab& tab) : tab_(tab) {}

    // A mode other than "Wył." is chosen: the trigger picks the preview's samples.
    bool on() const;
    // "Uzbrój".
    void arm() { trigger_.arm(); }
    // The tab's settings changed; a running recording's trigger takes them at once.
    void settingsChanged(const SharedState& state, bool sampling);
    // A recording starts.
    void start(const SharedState& state);
    // The recording stopped: the trigger no longer watches, its last state would mislead.
    void stop();

    struct Tick {
        const LiveTrigger::Frame* frame = nullptr; // a new picture to show, else null
        int column = -1;                           // the trigger's column in it, -1 when rolled
        std::optional<std::int64_t> singleCaught;  // "Pojedynczy" caught this event now
    };
    // The newest frame the trigger picked (the measurements window measures it unseen too).
    const LiveTrigger::Frame& frame() const { return trigger_.frame(); }
    // The recording's sample in the frame's first column; the samples of the recording fed so far.
    std::int64_t frameStart() const { return trigger_.frameStart(); }
    std::int64_t received() const { return trigger_.received(); }
    // One tick's n new samples of A and B.
    Tick feed(const std::uint8_t* a, const std::uint8_t* b, std::int64_t n, int elapsedMs);

    // The trigger level in codes at the source channel's sensitivity (for the marks beside the picture).
    double levelCode(const SharedState& state) const;

private:
    void showSensitivity(const SharedState& state);
    LiveTriggerSetup setup(const SharedState& state) const;

    TriggerTab& tab_;
    LiveTrigger trigger_;
};

} // namespace varnilog
