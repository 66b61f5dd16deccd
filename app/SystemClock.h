// The system's local time and a real sleep. Depends on QtCore and the standard library.
#pragma once

#include "app/Clock.h"

namespace varnilog {

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    void sleepMs(int ms) override;
};

} // namespace varnilog
