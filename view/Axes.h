// The time axis under the waveform (imgOsX, 520 x 16) and the volt axis to its left (imgOsY, 38 x 263),
// drawn into images of those sizes, and the small font of every axis and picture label.
// Core: QtGui painting on images only.
#pragma once

#include "app/SharedState.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <cstdint>

namespace varnilog {

inline constexpr int kTimeAxisWidth = 520;
inline constexpr int kTimeAxisHeight = 16;
inline constexpr int kTimeAxisLineEnd = 511; // the axis line ends before this column
inline constexpr int kVoltAxisWidth = 38;
inline constexpr int kVoltAxisHeight = 263;

// "Small Fonts" at 6 points, or the platform's closest small sans font. Sized in pixels (8 px,
// 6 pt at 96 dpi) so the labels have the same height on every screen and in off-screen images.
QFont axisFont();

// Value of the i-th labelled tick (1..5) in whole milliseconds, truncated:
// T * (v - (v mod 100) * z) + i * T * 100 * z.
std::int64_t timeAxisLabelMs(std::int64_t viewStart, std::int32_t zoomDivisor, float samplingPeriodMs, int i);
// imgOsX x of the i-th labelled tick: 100 * i + 10 - (v mod 100).
int timeAxisLabelX(std::int64_t viewStart, int i);

// Redraws the time axis for viewStart, zoomDivisor and samplingPeriodMs into image (520 x 16, created
// in that size when it has another one). windowColour is the main window's background.
void drawTimeAxis(const SharedState& state, QImage& image, QColor windowColour);

// Redraws the volt axis for the selected channel's sensitivity into image (38 x 263).
void drawVoltAxis(const SharedState& state, QImage& image, QColor windowColour);

} // namespace varnilog
