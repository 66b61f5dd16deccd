// A Clock for tests: a date the test sets, and sleeps that only move that date on.
#pragma once

#include "app/Clock.h"

namespace varnilog::test {

class FakeClock final : public Clock {
public:
    QDateTime time{QDate(2024, 3, 7), QTime(14, 5, 9)};
    std::int64_t sleptMs = 0;
    QDateTime now() const override { return time; }
    void sleepMs(int ms) override {
        sleptMs += ms;
        time = time.addMSecs(ms);
    }
};

} // namespace varnilog::test
