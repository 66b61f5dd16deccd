#include "windows/LiveTriggerControl.h"

#include "view/TriggerOverlay.h"
#include "windows/TriggerTab.h"

#include <algorithm>

namespace varnilog {

bool LiveTriggerControl::on() const {
    return tab_.mode() != TriggerMode::Off;
}

LiveTriggerSetup LiveTriggerControl::setup(const SharedState& state) const {
    LiveTriggerSetup setup;
    setup.mode = tab_.mode();
    setup.source = std::min(tab_.source(), 1);
    setup.trigger = triggerSettingsOf(tab_.triggerSpec(),
                                      state.channelSensitivity[static_cast<std::size_t>(setup.source)]);
    setup.column = preTriggerColumn(tab_.preTriggerPercent());
    setup.samplingPeriodMs = state.samplingPeriodMs;
    return setup;
}

void LiveTriggerControl::showSensitivity(const SharedState& state) {
    tab_.setSensitivity(state.channelSensitivity[static_cast<std::size_t>(tab_.source())]);
}

void LiveTriggerControl::settingsChanged(const SharedState& state, bool sampling) {
    showSensitivity(state);
    if (sampling)
        trigger_.configure(setup(state));
    if (!on())
        tab_.showOff();
}

void LiveTriggerControl::start(const SharedState& state) {
    showSensitivity(state);
    trigger_.start(setup(state));
    tab_.showEvents(0);
}

void LiveTriggerControl::stop() {
    if (on())
        tab_.showState(TriggerState::Stopped);
}

LiveTriggerControl::Tick LiveTriggerControl::feed(const std::uint8_t* a, const std::uint8_t* b,
                                                  std::int64_t n, int elapsedMs) {
    const LiveTrigger::Update u = trigger_.feed(a, b, n, elapsedMs);
    tab_.showEvents(u.events);
    Tick tick;
    tick.singleCaught = u.singleCaught;
    if (!on())
        return tick;
    tab_.showState(u.state);
    if (u.frameChanged) {
        tick.frame = &trigger_.frame();
        tick.column = trigger_.frameColumn();
    }
    return tick;
}

double LiveTriggerControl::levelCode(const SharedState& state) const {
    const int source = tab_.source();
    return triggerSettingsOf(tab_.triggerSpec(), state.channelSensitivity[static_cast<std::size_t>(source)])
        .level;
}

} // namespace varnilog
