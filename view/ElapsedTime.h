// Milliseconds to the elapsed-time text "hhhh:mm:ss:mmm" shared by the time axis, the cursor readout,
// the text export and the recording browser. Pure; depends on QtCore only.
#pragma once

#include <QString>

namespace varnilog {

// Hours, minutes, seconds and milliseconds padded to 4, 2, 2 and 3 digits (1500 -> "0000:00:01:500").
// The time is rounded up to whole milliseconds first; hours wider than 4 digits are not cut.
// A negative time keeps its signed fields (-1000 -> "0000:00:-1:000"); not-a-number reads as 0.
QString formatElapsedTime(float ms);

} // namespace varnilog
