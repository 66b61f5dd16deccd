// Local date and time, and waiting: what the acquisition needs of the system's clock. Real:
// SystemClock; tests give a clock whose date they set. Depends on QtCore's QDateTime.
#pragma once

#include <QDateTime>

namespace varnilog {

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time, to the second at least.
    virtual QDateTime now() const = 0;
    // Blocks the calling thread for about ms milliseconds.
    virtual void sleepMs(int ms) = 0;
};

} // namespace varnilog
