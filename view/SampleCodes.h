// Sample codes and volts, both ways: every program turns a code into volts and a level in volts into
// a code here, so the export, the measurements, the channel math, the import, the trigger and
// the cursors agree to the last bit. Pure; depends on the scale tables only.
#pragma once

#include "view/ScaleTables.h"

#include <algorithm>
#include <cstdint>

namespace varnilog {

// Codes to volts. Volts of a number of code steps at a sensitivity index (an index outside 1..10 is
// clamped into the table): steps x V/div x 0.04, multiplied in this order.
constexpr double stepVolts(double steps, int sensitivity) {
    return steps * sensitivityTable[static_cast<std::size_t>(std::clamp(sensitivity, 1, kSensitivityCount))] *
           kDivisionsPerCode;
}
// Volts of a sample code: (code - 125) x V/div x 0.04.
constexpr double codeVolts(std::uint8_t code, int sensitivity) {
    return stepVolts(static_cast<double>(static_cast<int>(code) - kZeroLine), sensitivity);
}
// Volts of one code step: V/div x 0.04 (also the trigger level's step and the level range's unit).
constexpr double voltsPerCode(int sensitivity) {
    return stepVolts(1.0, sensitivity);
}

// Volts to codes. The code of a level in volts, not rounded: 125 + v / (V/div x 0.04). The trigger
// compares samples with it as it is.
double levelCode(double volts, int sensitivity);
// The code of a value before clipping: levelCode rounded, halves away from zero; a value far beyond
// any sensitivity (or infinite) stays below 0 or above 255 on its own side.
std::int64_t unclippedCode(double volts, int sensitivity);
// The stored code: unclippedCode brought into 0..255.
std::uint8_t derivedCode(double volts, int sensitivity);
// The most sensitive index (10 = 10 mV/div first) whose codes hold vmin..vmax unclipped; 1 when none.
std::uint8_t autoSensitivity(double vmin, double vmax);

} // namespace varnilog
