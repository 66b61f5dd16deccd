// What the measuring cursors read: for each cursor its sample of the recording, its time and the
// value of every visible channel there (volts as the export converts codes), and between them ΔT and
// 1/ΔT. One line of text for the status bar, readable at a glance. Depends on QtCore only.
#pragma once

#include "app/SharedState.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace varnilog {

struct CursorReadout {
    std::array<std::int64_t, 2> sample{};                                // of cursor 1 and 2
    std::array<std::array<std::optional<double>, kChannels>, 2> volts{}; // visible channels only
    double deltaMs = 0;                                                  // cursor 2 - cursor 1
    std::optional<double> inverseHz;                                     // 1 / |ΔT|; none at ΔT 0
    // A recording compared with this one: its channel's volts at each cursor, where it has a sample.
    int comparedChannel = -1;
    std::array<std::optional<double>, 2> compared{};
};

CursorReadout cursorReadout(const SharedState& state);
// "K1 0000:00:01:500 A 1,2 V B 0 V | K2 … | ΔT 0000:00:00:250 1/ΔT 4 Hz" in the locale's numbers; a
// compared recording's channel follows the channels as "B' 1,1 V".
QString cursorReadoutText(const CursorReadout& readout, float samplingPeriodMs, const QLocale& locale);

} // namespace varnilog
