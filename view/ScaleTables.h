// Constant tables that turn the time-base and sensitivity indices into numbers and texts, the
// channel letters and the positions of the knob indicators. Pure; no dependencies but QtCore.
#pragma once

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>

namespace varnilog {

inline constexpr int kTimeBaseCount = 22;    // indices 1..22
inline constexpr int kSensitivityCount = 10; // indices 1..10

// Milliseconds between two samples, by time-base index (index 0 unused). Single precision on purpose:
// every computation that uses a period uses exactly these 32-bit values.
inline constexpr std::array<float, kTimeBaseCount + 1> samplingPeriodTable{
    0.0f, 1000.0f, 500.0f, 200.0f, 100.0f, 50.0f,  20.0f,  10.0f,  5.0f,    2.0f,    1.0f,   0.5f,
    0.2f, 0.1f,    0.05f,  0.02f,  0.01f,  0.005f, 0.002f, 0.001f, 0.0005f, 0.0002f, 0.0001f};

// Volts per division, by sensitivity index (index 0 unused).
inline constexpr std::array<double, kSensitivityCount + 1> sensitivityTable{0.0, 10.0, 5.0,  2.0,  1.0, 0.5,
                                                                            0.2, 0.1,  0.05, 0.02, 0.01};

// Y-axis label of (column - 5) divisions at sensitivity index row (1..10), column 0..10.
// Column 6 is the text of the sensitivity itself ("10V", "20mV").
const QString& voltLabel(int row, int column);
// The caption of a time-base index: "1s" .. "0.1us".
const QString& timeBaseCaption(int index);

// Sample codes: 125 is a channel's 0 V; one code is 0.04 division, so 25 codes (25 pixels of the
// picture) are one division and a code is worth V/div x 0.04 volts.
inline constexpr std::uint8_t kZeroLine = 125;
inline constexpr int kCodesPerDivision = 25;
inline constexpr double kDivisionsPerCode = 0.04;

// The conversions between codes and volts: view/SampleCodes.h.

inline constexpr std::array<char, 4> channelName{'A', 'B', 'C', 'D'};

// Indicators of the knobs, relative to their parent panels (Panel3 / Panel5).
QPoint timeBaseIndicatorPosition(int timeBaseIndex);       // left = x + 40, top = y
QPoint sensitivityIndicatorPosition(int sensitivityIndex); // left = x, top = y

} // namespace varnilog
