// Milliseconds to the elapsed-time text "hhhh:mm:ss:mmm" shared by the time axis, the cursor readout,
// the text export, the recording browser and every list of sample times. Pure; depends on QtCore only.
#pragma once

#include <QString>

namespace varnilog {

// Hours, minutes, seconds and milliseconds padded to 4, 2, 2 and 3 digits (1500 -> "0000:00:01:500").
// The time is rounded up to whole milliseconds first; hours wider than 4 digits are not cut.
// A negative time keeps its signed fields (-1000 -> "0000:00:-1:000"); not-a-number reads as 0.
QString formatElapsedTime(float ms);

// The time of a sample position (an index, or an interpolated crossing between two) at
// samplingPeriodMs between samples, as formatElapsedTime's text: the
// text of a marker, an event, a period or a duration. The product is taken in double with the
// period's decimal value (every table period is a whole number of tenths of a microsecond), so
// sample 123 456 789 at 1 ms reads 0034:17:36:789. Only the screens and the files laid down before
// these lists existed keep the single-precision product: the time axis (view/Axes), the cursor readout
// (view/Cursors), the text export's time column (recording/TextExport) and the browser's length
// (recording/RecordingDetails).
QString sampleTimeText(double sample, float samplingPeriodMs);

} // namespace varnilog
