// A whole setup of the scope: the board's settings (time base, every channel's V/div, coupling and
// offset), what is shown (the visible channels), the trigger and the measurements' span. The main
// window keeps the last one in the configuration file for the next start and saves or loads one as a
// small INI file of its own; both go through the same section, so either file can be read as a setup.
// Depends on QtCore and the analysis vocabulary.
#pragma once

#include "analysis/LiveTrigger.h"
#include "analysis/SpanRequest.h"
#include "analysis/TriggerSpec.h"
#include "app/CoreError.h"
#include "app/SharedState.h"

#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

class ProfileFile;

struct SavedSetup {
    std::uint8_t timeBaseIndex = 15;
    std::array<std::uint8_t, kChannels> sensitivity{1, 1, 1, 1};
    std::array<std::uint8_t, kChannels> coupling{0, 0, 0, 0}; // ChannelMode
    std::array<std::uint8_t, kChannels> offset{100, 100, 100, 100};
    std::array<bool, kChannels> visible{true, true, false, false};
    TriggerMode triggerMode = TriggerMode::Off;
    TriggerSpec trigger;
    int preTriggerPercent = 50;
    SpanChoice measurementSpan = SpanChoice::View;
    bool operator==(const SavedSetup&) const = default;
};

// The board and view part of the shared state (the trigger and the measurements are the windows').
SavedSetup boardSetupOf(const SharedState& state);
// Puts the board and view part into the shared state; the model's limits are applied after it.
void applyBoardSetup(SharedState& state, const SavedSetup& setup);

// The setup's keys in ini (saved by the caller). Every key is written, so a file read back equals the
// setup whatever the defaults become.
bool putSetup(ProfileFile& ini, const SavedSetup& setup);
// The setup in ini on top of base: an absent key keeps base's value, a value out of its range (a file
// edited by hand, an older program) keeps it too. False when the file holds no setup at all.
bool takeSetup(const ProfileFile& ini, SavedSetup& setup);

// A setup file of its own, written whole through the safe writer; false with the error kind.
bool saveSetupFile(const QString& path, const SavedSetup& setup, CoreError& error);
// A setup file read on top of setup; false with the error kind when it cannot be read or holds none.
bool loadSetupFile(const QString& path, SavedSetup& setup, CoreError& error);

} // namespace varnilog
