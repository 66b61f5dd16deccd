#include "analysis/LiveTrigger.h"

#include "view/ScaleTables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varnilog {

LiveTrigger::LiveTrigger()
    : history_(std::make_unique<std::array<std::array<std::uint8_t, kHistory>, 2>>()),
      frame_(std::make_unique<Frame>()) {}

void LiveTrigger::start(const LiveTriggerSetup& setup) {
    received_ = 0;
    counted_ = 0;
    for (auto& row : *frame_)
        row.fill(kZeroLine);
    arm();
    configure(setup);
}

void LiveTrigger::configure(const LiveTriggerSetup& setup) {
    if (setup.mode == TriggerMode::Single && setup_.mode != TriggerMode::Single)
        arm();
    setup_ = setup;
    setup_.column = std::clamp(setup.column, 0, kDisplayColumns - 1);
    setup_.source = std::clamp(setup.source, 0, 1);
    scanner_ = TriggerScanner(setup_.trigger, received_);
    ringCount_ = 0;
    shown_ = -1;
    // At slow time bases a frame takes longer than 250 ms to come: waiting less would roll between
    // two events of a steady signal and alternate the pictures.
    const double twoFramesMs = 2.0 * kDisplayColumns * std::max(0.0f, setup_.samplingPeriodMs);
    autoAfterMs_ = static_cast<int>(std::clamp(std::ceil(twoFramesMs), double{kAutoAfterMs}, 1e9));
    sinceEventMs_ = 0;
    sinceShownMs_ = autoAfterMs_;
}

void LiveTrigger::arm() {
    singleArmed_ = true;
    singleEvent_.reset();
    frozen_ = false;
}

void LiveTrigger::append(int channel, const std::uint8_t* codes, std::int64_t n) {
    // Only the newest kHistory samples can ever be shown.
    const std::int64_t skip = std::max<std::int64_t>(0, n - kHistory);
    std::uint8_t* ring = (*history_)[static_cast<std::size_t>(channel)].data();
    std::int64_t at = (received_ + skip) % kHistory;
    for (std::int64_t i = skip; i < n;) {
        const std::int64_t run = std::min(n - i, kHistory - at);
        std::memcpy(ring + at, codes + i, static_cast<std::size_t>(run));
        i += run;
        at = (at + run) % kHistory;
    }
}

bool LiveTrigger::complete(std::int64_t k) const {
    // The post-trigger part decides: at a slow time base waiting for the pre-trigger samples of an
    // early event would keep the picture empty for minutes.
    const std::int64_t start = k - setup_.column;
    return start + kDisplayColumns <= received_ && std::max<std::int64_t>(start, 0) >= received_ - kHistory;
}

void LiveTrigger::showEvent(std::int64_t k) {
    const std::int64_t start = k - setup_.column;
    for (std::size_t ch = 0; ch < 2; ++ch)
        for (std::int64_t i = 0; i < kDisplayColumns; ++i)
            (*frame_)[ch][static_cast<std::size_t>(i)] =
                start + i < 0 ? kZeroLine : (*history_)[ch][static_cast<std::size_t>((start + i) % kHistory)];
    shown_ = k;
    frameStart_ = start;
    frameColumn_ = static_cast<int>(k - start);
    sinceShownMs_ = 0;
}

void LiveTrigger::showNewest() {
    const std::int64_t start = std::max<std::int64_t>(0, received_ - kDisplayColumns);
    for (std::size_t ch = 0; ch < 2; ++ch)
        for (std::int64_t i = 0; i < kDisplayColumns; ++i)
            (*frame_)[ch][static_cast<std::size_t>(i)] =
                start + i < received_ ? (*history_)[ch][static_cast<std::size_t>((start + i) % kHistory)]
                                      : kZeroLine;
    frameStart_ = start;
    frameColumn_ = -1;
}

std::optional<std::int64_t> LiveTrigger::newestComplete() const {
    const std::int64_t kept = std::min<std::int64_t>(ringCount_, kEventRing);
    for (std::int64_t i = 1; i <= kept; ++i) {
        const std::int64_t k = events_[static_cast<std::size_t>((ringCount_ - i) % kEventRing)];
        if (complete(k))
            return k;
        if (k + kDisplayColumns < received_)
            break; // older events are complete or gone
    }
    return std::nullopt;
}

LiveTrigger::Update LiveTrigger::feed(const std::uint8_t* a, const std::uint8_t* b, std::int64_t n,
                                      int elapsedMs) {
    Update u;
    if (n > 0) {
        append(0, a, n);
        append(1, b, n);
        const std::int64_t before = counted_;
        scanner_.scan(setup_.source == 0 ? a : b, n, [&](const TriggerEvent& e) {
            events_[static_cast<std::size_t>(ringCount_ % kEventRing)] = e.sample;
            ++ringCount_;
            ++counted_;
            if (singleArmed_ && !singleEvent_)
                singleEvent_ = e.sample;
        });
        received_ += n;
        sinceEventMs_ = counted_ > before ? 0 : sinceEventMs_ + elapsedMs;
    } else {
        sinceEventMs_ += elapsedMs;
    }
    sinceShownMs_ += elapsedMs;
    u.events = counted_;
    switch (setup_.mode) {
    case TriggerMode::Off:
        u.state = TriggerState::Rolling;
        break;
    case TriggerMode::Single:
        if (!frozen_ && singleEvent_ && complete(*singleEvent_)) {
            showEvent(*singleEvent_);
            frozen_ = true;
            singleArmed_ = false;
            u.frameChanged = true;
            u.singleCaught = singleEvent_;
        }
        u.state = frozen_ ? TriggerState::Stopped : TriggerState::Waiting;
        break;
    case TriggerMode::Normal:
    case TriggerMode::Auto:
        if (const auto k = newestComplete(); k && *k != shown_) {
            showEvent(*k);
            u.frameChanged = true;
        }
        u.state = sinceShownMs_ < autoAfterMs_ ? TriggerState::Triggered : TriggerState::Waiting;
        if (setup_.mode == TriggerMode::Auto && sinceEventMs_ >= autoAfterMs_ &&
            sinceShownMs_ >= autoAfterMs_) {
            showNewest();
            u.frameChanged = true;
            u.state = TriggerState::Rolling;
        }
        break;
    }
    return u;
}

} // namespace varnilog
