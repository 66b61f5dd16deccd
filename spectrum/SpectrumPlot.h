// Drawing of the spectrum window's pictures into images: the plot (500 x 250) with its grid and curves,
// the frequency axis (531 x 16) and the level axis (37 x 263), and the maths of the mouse readout.
// Levels: 0 dB at the reference (a channel's own peak or the peak of all channels), 50 plot rows per
// -20 dB, -100 dB at the bottom. Core: QtGui images only; text needs a QGuiApplication.
#pragma once

#include "app/SharedState.h"
#include "spectrum/SpectrumData.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace varnilog {

inline constexpr int spectrumPlotWidth = 500;
inline constexpr int spectrumPlotHeight = 250;
inline constexpr int frequencyAxisWidth = 531;
inline constexpr int frequencyAxisHeight = 16;
inline constexpr int levelAxisWidth = 37;
inline constexpr int levelAxisHeight = 263;
inline constexpr int spectrumScrollMax = 4500;              // last first point of the zoomed view
inline constexpr std::int32_t spectrumGridColor = 0xAAAAAA; // 0x00BBGGRR

// What the plot shows; the window fills it from its controls.
struct SpectrumView {
    int channelCount = 2;
    std::array<bool, kChannels> channelChecked{true, true, false, false};
    bool zoomed = false;          // "Zoom x10": one display point per column
    int start = 0;                // spectrumStart: first display point of the zoomed view, else 0
    bool perChannelScale = false; // "Skaluj kanały osobno"
    std::array<std::int32_t, kChannels> channelColor{};
};

// Sampling period in units of 10 us: 100 x period rounded to a whole number. Below 0.01 ms the
// rounded value would be 0 or a factor of two off, so the unrounded value is used there.
double frequencyDivisor(float samplingPeriodMs);
// 250 + 50 log10(ratio); 0 for a ratio of 0 (or a ratio that is not a number).
double levelOf(double ratio);
// Plot row of a level: 249 - level, truncated toward zero (the reference lands on row -1).
int plotRowOfLevel(double level);
// Level of display point p of channel c against its reference.
double pointLevel(const SpectrumDisplay& data, int channel, int point, bool perChannelScale);

// Delphi-style general format with 4 significant digits: no trailing zeros, exponent form ("1E+04")
// with more than 4 integer digits or below 0.00001.
QString formatGeneral4(double value, QChar decimalPoint);

struct FrequencyLabel {
    int x = 0; // axis column of the label's tick; the text is centred on it
    QString text;
};
// The five labelled ticks of the frequency axis for first point a.
std::array<FrequencyLabel, 5> frequencyLabels(int a, bool zoomed, double divisor, QChar decimalPoint);

// A line from (x0, y0) towards (x1, y1), the end point itself not drawn, clipped to the image.
void drawPlotLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour);

void DrawSpectrumGrid(QImage& plot, int spectrumStart, std::int32_t colour);
// Background, grid and one curve per checked channel below channelCount.
void DrawSpectrum(QImage& plot, const QImage& background, const SpectrumDisplay& data,
                  const SpectrumView& view);
// The curves alone, over what the plot holds (the live spectrum draws its reference and maxima so).
void DrawSpectrumCurves(QImage& plot, const SpectrumDisplay& data, const SpectrumView& view);
void DrawFrequencyAxis(QImage& axis, int a, bool zoomed, double divisor, QChar decimalPoint);
void DrawLevelAxis(QImage& axis);

// The readout of a mouse position (X, Y) in the plot.
struct SpectrumReadout {
    bool inside = false; // false: hide every marker
    QString label;       // "f=2500 Hz"
    int cursorX = 0;     // plot column of the vertical marker
    // Row offset of each channel's level marker from the plot's top (249 - level); empty for channels
    // that are not shown, whose markers stay as they are.
    std::array<std::optional<int>, kChannels> markerRow;
    // The level there of each channel shown, in dB below the scale's top (at most 100 down).
    std::array<std::optional<double>, kChannels> levelDb;
};
SpectrumReadout spectrumReadout(int x, int y, const SpectrumDisplay& data, const SpectrumView& view,
                                int scrollPosition, double divisor, QChar decimalPoint);

} // namespace varnilog
