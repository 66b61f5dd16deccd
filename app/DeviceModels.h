// The four board models and what choosing one changes in the shared state. The window applies the
// user-visible part (menu check mark, caption, enabled buttons) from the returned description.
#pragma once

#include "app/SharedState.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace varnilog {

struct DeviceModelInfo {
    std::uint8_t number;     // 1..4
    const char* menuItem;    // object name of the "&Układ" menu item
    const char* menuCaption; // its caption
    const char* caption;     // main window caption
    const char* modelName;   // short name, "KZ100"
    float referenceVoltage;  // V
    std::uint8_t channelCount;
    std::uint8_t maxTimeBaseIndex;
    std::uint8_t minSensitivityIndex;
    std::uint8_t maxSensitivityIndex;
};

extern const std::array<DeviceModelInfo, 4> deviceModelTable;

// The model of a number 1..4, or none.
const DeviceModelInfo* findDeviceModel(int number);

// Which buttons of the main window are enabled for a model.
struct ModelButtonStates {
    std::array<bool, 23> timeBase{};    // by time-base index 1..22
    std::array<bool, 11> sensitivity{}; // by sensitivity index 1..10
    bool channelA = true;
    bool channelB = true;
};

// Buttons of the model's own ranges: the time bases 1..maxTimeBaseIndex and the sensitivities
// minSensitivityIndex..maxSensitivityIndex, both channel buttons. For a number outside 1..4 every
// button stays usable.
ModelButtonStates modelButtonStates(int number);

// Offset steps that make five divisions: 250 / referenceVoltage * 0.5 in single precision.
float offsetRange(float referenceVoltage);

// An offset byte as the offset knob can show it: 255 (where "-" wraps from 0) counts as 0, then it
// is kept within offsetRange steps either side of zeroOffset. Extreme calibration values can put
// the result outside 0..255.
int offsetWithinRange(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage);

// offsetWithinRange kept within 0..255: the byte the board and the ".ros" receive.
std::uint8_t offsetInRange(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage);

// Steps 1, 4, 5 and 6 of applying a model to the shared state: reference voltage, channel count,
// time-base limit and clamp, sensitivity limits and the clamp of channels A and B, model name.
// The offsets of A and B are brought into the new offset range too, so a settings command built
// right after (a board that reported another model) sends what the offset knob will show.
// A number outside 1..4 changes nothing and returns none.
const DeviceModelInfo* applyDeviceModelToState(SharedState& state);

} // namespace varnilog
