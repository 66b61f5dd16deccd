// The markers of a recording drawn along the top edge of the picture: a flag (a stem and a pennant)
// at a point marker's column, a bar over a range, a colour per kind. Drawn from the sorted marker list,
// never from the samples, and at most one flag per column, so thousands of markers cost a few binary
// searches per column. No allocation. Core: depends on QtGui's QImage and the marker file.
#pragma once

#include "recording/MarkerFile.h"

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <optional>
#include <vector>

namespace varnilog {

inline constexpr int kFlagStemRows = 10;   // rows 0..9 of the stem
inline constexpr int kFlagPennantRows = 4; // rows 1..4, columns x+1..x+3
inline constexpr int kRangeBarRows = 2;    // rows 0..1 of a range's bar

// The colour of a kind's flags and bars.
QRgb markerColour(MarkerKind kind);

// The kind as a window names it, in the language installed (the file has names of its own).
QString markerKindTitle(MarkerKind kind);

// The display column of sample in a view starting at viewStart with zoomDivisor samples per column;
// empty when the sample lies outside the columns' samples.
std::optional<int> markerColumn(std::int64_t sample, std::int64_t viewStart, std::int32_t zoomDivisor,
                                int columns);

// Draws the markers (sorted by start) that lie in the view into picture (columns = its width).
void drawMarkerFlags(QImage& picture, const std::vector<Marker>& markers, std::int64_t viewStart,
                     std::int32_t zoomDivisor);

// The index of the marker whose flag or bar is at column (for hover texts and the context menu),
// or -1 when there is none; the flag chosen when several share a column is the one drawn.
int markerAtColumn(const std::vector<Marker>& markers, std::int64_t viewStart, std::int32_t zoomDivisor,
                   int column);

// The marker that "." (forward) or "," (back) jumps to from the view's middle sample: the first one
// starting after it, or the last one starting before it; -1 when there is none.
int neighbourMarker(const std::vector<Marker>& markers, std::int64_t middle, bool forward);
// The view start that puts sample in the middle column (not before the recording's start).
std::int64_t centredViewStart(std::int64_t sample, std::int32_t zoomDivisor, int columns);

} // namespace varnilog
