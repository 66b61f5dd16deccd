// The picture of a spectrogram: time left to right, frequency upwards, the level as a colour from
// black (the floor) through blue, purple, orange and yellow to white (the largest magnitude), with the colour
// scale beside it and the span's times and the top frequency as labels. The same drawing for the
// window and the command line. Depends on QtGui.
#pragma once

#include "spectrum/Spectrogram.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <optional>

namespace varnilog {

inline constexpr int spectrogramPlotWidth = 760; // cells of the picture the plot shows at most
inline constexpr int spectrogramPlotHeight = 400;
inline constexpr int spectrogramPlotLeft = 70; // the plot area's place in the drawn image
inline constexpr int spectrogramPlotTop = 12;

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

// The plot columns [first, end) of the samples [from, to) (the main view's span), at least one when
// the span reaches into the spectrogram's, none (first == end) when it lies outside.
struct SpectrogramBand {
    int first = 0;
    int end = 0;
    bool operator==(const SpectrogramBand&) const = default;
};
SpectrogramBand spectrogramBand(const SpectrogramPicture& picture, const SpectrogramRequest& request,
                                std::int64_t from, std::int64_t to);
// Lightens the band's columns of a drawn image and edges them in white.
void drawSpectrogramBand(QImage& image, const SpectrogramBand& band);

// What the drawn image shows at point p: the middle sample of the first block of its cell, the lowest
// bin of its cell and the level; nothing outside the plot area.
struct SpectrogramReading {
    std::int64_t sample = 0;
    std::int32_t bin = 0;
    double db = 0.0;
};
std::optional<SpectrogramReading> spectrogramReadingAt(const SpectrogramPicture& picture,
                                                       const SpectrogramRequest& request, double range,
                                                       QPoint p);

} // namespace varnilog
