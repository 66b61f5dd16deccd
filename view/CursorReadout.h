// What the measuring cursors read. The time cursors stand at samples of the recording (so they stay
// there while the view scrolls or zooms): each one's time and the value of every visible channel
// there (volts as the export converts codes), and between them ΔT, 1/ΔT and each channel's ΔU. The
// voltage cursors ("Kursory napięcia") stand at two codes of the selected channel: their volts and
// difference. Depends on QtCore only.
#pragma once

#include "app/SharedState.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace varnilog {

struct CursorPlaces {
    std::array<std::int64_t, 2> sample{}; // of cursor 1 and 2
    bool levelsOn = false;                // the voltage cursors are shown
    std::array<int, 2> levelCode{150, 100};
};

struct CursorReadout {
    std::array<std::int64_t, 2> sample{};                                // of cursor 1 and 2
    std::array<std::array<std::optional<double>, kChannels>, 2> volts{}; // visible channels only
    std::array<std::optional<double>, kChannels> deltaVolts{};           // cursor 2 - cursor 1
    double deltaMs = 0;                                                  // cursor 2 - cursor 1
    std::optional<double> inverseHz;                                     // 1 / |ΔT|; none at ΔT 0
    bool levelsOn = false;
    int levelChannel = 0; // the selected channel, whose V/div the levels are read at
    std::array<double, 2> levelVolts{};
    double levelDeltaVolts = 0; // level 2 - level 1
    // A recording compared with this one: its channel's volts at each cursor, where it has a sample.
    int comparedChannel = -1;
    std::array<std::optional<double>, 2> compared{};
};

// The cursors where the view's columns put them (the strip above the picture sets them so).
CursorPlaces cursorPlacesAtColumns(const SharedState& state);
// The column a sample stands in at the view, none when it is off the picture.
std::optional<int> cursorColumnOf(std::int64_t sample, std::int64_t viewStart, std::int32_t zoomDivisor);
// The code a row of the picture stands for (row 250 - code, as the traces draw), within 0..255.
int levelCodeAtRow(int row);
// The row a code is drawn at, within the picture.
int levelRowOf(int code);

// A channel's code at a sample comes from its sample file; without one, from the view's column when
// the sample is on the picture; otherwise the channel reads nothing there.
CursorReadout cursorReadout(SharedState& state, const CursorPlaces& places);
CursorReadout cursorReadout(SharedState& state);
// "K1 0000:00:01:500 A 1,2 V B 0 V | K2 … | ΔT 0000:00:00:250 1/ΔT 4 Hz" in the locale's numbers, and
// " | U1 … V U2 … V ΔU … V" with the voltage cursors; a compared recording's channel follows the
// channels as "B' 1,1 V".
QString cursorReadoutText(const CursorReadout& readout, float samplingPeriodMs, const QLocale& locale);

} // namespace varnilog
