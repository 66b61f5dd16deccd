// The waveform picture: background, grid and traces drawn at double resolution into bmpWave, reduced
// by a 2 x 2 box filter into its top-left 500 x 250 quarter, then copied to bmpScreen with the offset
// markers on top. Pixel work goes straight to the images' scan lines; nothing is allocated per frame.
// Core: depends on QtGui's QImage, the shared state and the view's own buffers only.
#pragma once

#include "app/SharedState.h"
#include "view/ViewBuffers.h"

#include <QImage>

#include <cstdint>
#include <functional>

namespace varnilog {

inline constexpr std::int32_t gridColor = 0xAAAAAA;    // 0x00BBGGRR, light grey
inline constexpr int kWaveWidth = 2 * kDisplayColumns; // 1000
inline constexpr int kWaveHeight = 2 * kDisplayRows;   // 500

// Fills the bitmap with colour1, or, with gradient, rows i and 499 - i with
// colour1 + (colour2 - colour1) * i / 256 per component (i = 0..249). Colours are 0x00BBGGRR.
void paintBackground(QImage& bitmap, std::int32_t colour1, std::int32_t colour2, bool gradient);

// Grid lines every 50 bitmap pixels; the vertical ones move left with the first shown column
// (viewStart div zoomDivisor).
void drawGrid(QImage& bitmap, std::int32_t colour, std::int64_t viewStart, std::int32_t zoomDivisor);

// One channel's trace from channelData (and columnMin when zoomDivisor >= 2), each step between
// neighbouring columns split at its midpoint.
void drawTrace(const SharedState& state, const ViewBuffers& view, int channel, std::int32_t zoomDivisor,
               QImage& bitmap);

// 2 x 2 box filter of the 1000 x 500 bitmap into its own top-left 500 x 250 quarter.
void reduceBoxFilter(QImage& bitmap);

// Draws the cursors into bmpScreen when the overlay pass shows them (supplied by the cursor code).
using CursorPainter = std::function<void(const SharedState&, QImage& screen)>;

// Rebuilds bmpScreen from the finished waveform picture, runs cursorPainter when showCursors is set,
// then draws the offset markers of every recorded channel whose offset is off its zero (their labels
// from the view's masks, built on first use) and the flags of the view's markers.
void drawOverlays(SharedState& state, ViewBuffers& view, bool showCursors,
                  const CursorPainter& cursorPainter = {});

// The full redraw from channelData/columnMin (reads no file): background copy, grid, visible traces
// A..D, box filter, overlays without cursors. Clears cursorsActive.
void renderWaveform(SharedState& state, ViewBuffers& view);

// Display row of a channel's offset marker: 126 - (offset - zero) * referenceVoltage, truncated,
// kept within 0..249.
int offsetMarkerRow(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage);

} // namespace varnilog
