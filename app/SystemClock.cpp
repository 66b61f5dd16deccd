#include "app/SystemClock.h"

#include <chrono>
#include <thread>

namespace varnilog {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

void SystemClock::sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace varnilog
