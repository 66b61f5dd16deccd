// The XY picture: a square plot whose axes span each channel's 256 codes in volts, a grid line every
// division, the density of (x code, y code) pairs as the intensity of one colour on a logarithmic
// scale, and a legend of counts beside it. Painted through a QPainter, so the window, its PNG and its
// SVG export draw the same picture. Core: QtGui painting only; the cells come as plain numbers.
#pragma once

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <span>

namespace varnilog {

inline constexpr int kXyPlotSize = 512; // two pixels per code
inline constexpr int kXyPictureWidth = 660;
inline constexpr int kXyPictureHeight = 568;

struct XyPictureContent {
    std::span<const float> cells;   // 256 x 256, [x << 8 | y]; empty draws the plot without a density
    double peak = 0;                // the largest cell, the legend's top
    std::int32_t colour = 0x00FFFF; // the Y channel's colour, 0x00BBGGRR
    std::int32_t background = 0;    // 0x00BBGGRR
    std::uint8_t xSensitivity = 1, ySensitivity = 1;
    char xName = 'A', yName = 'B';
};

// The plot's pixel of a cell's brightness: 0 for an empty cell, 1 for the peak, log(1 + c) / log(1 +
// peak) between.
double xyIntensity(double count, double peak);

// The 256 x 256 density image, y code 255 in its top row (one pixel per code).
QImage xyDensityImage(const XyPictureContent& content);

// The whole picture in a kXyPictureWidth x kXyPictureHeight area at the painter's origin.
void paintXyPicture(QPainter& painter, const XyPictureContent& content);
QImage xyPicture(const XyPictureContent& content);

// The top-left corner of the plot in the picture.
inline constexpr int kXyPlotLeft = 60;
inline constexpr int kXyPlotTop = 16;

} // namespace varnilog
