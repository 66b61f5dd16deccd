// The measuring cursors and the selection: placing a cursor from a mouse position, the cursor lines
// drawn into bmpScreen by the overlay pass, the time and voltage readouts, and the selection
// highlight. Core: QImage scan lines and the shared state only.
#pragma once

#include "app/SharedState.h"
#include "view/ViewBuffers.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

// The display column of a mouse x on the strip above the picture, limited to 0..499.
int cursorColumnFromMouse(int x);

// Invert-blends the two cursors' vertical lines and horizontal level lines into bmpScreen
// (the overlay pass's cursor painter); a cursor whose column is off the picture is left out.
void drawCursors(const SharedState& state, QImage& screen);
// The voltage cursors: dashed lines at the rows of two codes.
void drawLevelCursors(QImage& screen, const std::array<int, 2>& codes, std::int32_t colour);

// "T: " and the time between the cursors, from their distance in samples at the current zoom.
QString cursorTimeText(const SharedState& state);
// "U: " and the voltage difference of the two cursor points, with "V", in the locale's number format.
QString cursorVoltageText(const SharedState& state, const QLocale& locale = QLocale());

// Copies the waveform picture (bmpWave's top-left quarter) onto bmpScreen and tints the selected
// columns, darkening the two edge columns: the selection is shown (until the picture is drawn again).
void drawSelection(SharedState& state, ViewBuffers& view);

} // namespace varnilog
