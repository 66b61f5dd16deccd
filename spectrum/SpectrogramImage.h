// The picture of a spectrogram: time left to right, frequency upwards, the level as a colour from
// black (the floor) through blue, red and yellow to white (the largest magnitude), with the colour
// scale beside it and the span's times and the top frequency as labels. The same drawing for the
// window and the command line. Depends on QtGui.
#pragma once

#include "spectrum/Spectrogram.h"

#include <QImage>
#include <QRgb>

namespace varnilog {

inline constexpr int spectrogramPlotWidth = 760; // cells of the picture the plot shows at most
inline constexpr int spectrogramPlotHeight = 400;

// The colour of a level 0 (the floor) .. 1 (the largest magnitude); outside that, the nearer end.
QRgb spectrogramColour(double level);

struct SpectrogramAxes {
    double firstSeconds = 0.0; // time of the span's first sample and one past its last
    double endSeconds = 0.0;
    double topHz = 0.0; // frequency of the highest bin
    double range = spectrogramDefaultRange;
};

QImage drawSpectrogram(const SpectrogramPicture& picture, const SpectrogramAxes& axes);

// The picture cell pixel (x, y) of the plot area shows
// (y = 0 the top row).
int spectrogramCellColumn(const SpectrogramPicture& picture, int x);
int spectrogramCellRow(const SpectrogramPicture& picture, int y);

} // namespace varnilog
