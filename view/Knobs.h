// The maths of the scale knobs: a mouse position on a knob picture to an angle and an index, the
// offset range and the offset knob's indicator and text. Free functions over plain numbers.
#pragma once

#include "app/DeviceModels.h"

#include <QLocale>
#include <QPoint>
#include <QString>

#include <cstdint>

namespace varnilog {

// Knob angle 0..270 degrees clockwise from the lower-left end of the scale; a position in the dead
// zone below the centre takes the nearer end.
int knobAngle(int x, int y, int centre);

// Sensitivity index 1..10 of a mouse position on the 62 x 62 knob, limited to [minIndex, maxIndex].
int sensitivityFromKnob(int x, int y, int minIndex, int maxIndex);

// Time-base index 1..22 of a mouse position on the 82 x 82 knob, limited to maxIndex.
int timeBaseFromKnob(int x, int y, int maxIndex);

// Offset byte of a mouse position on the 32 x 32 offset knob.
std::uint8_t offsetFromKnob(int x, int y, std::uint8_t zeroOffset, float referenceVoltage);

struct OffsetDisplay {
    std::uint8_t offset; // the offset byte brought into range
    int angle;           // knob angle of the offset, 135 = no offset
    QPoint indicator;    // position of the indicator Image12 in its panel
    QString text;        // Label16, e.g. "1V", "-250mV"
};

// Brings an offset byte into its range around the calibrated zero and describes how it is shown at
// sensitivity index sensitivity (1..10), the text in the locale's number format.
OffsetDisplay describeOffset(std::uint8_t offset, std::uint8_t zeroOffset, float referenceVoltage,
                             int sensitivity, const QLocale& locale = QLocale());

} // namespace varnilog
