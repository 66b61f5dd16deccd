#include "view/ElapsedTime.h"

#include <cmath>
#include <cstdint>

namespace varnilog {

QString formatElapsedTime(float ms) {
    // Hours come from the same rounded-up total as the other fields, so a time a fraction of a
    // millisecond short of a full hour reads as that hour rather than as the hour before it.
    const double x = (std::isnan(ms) || ms < 0.0f) ? 0.0 : static_cast<double>(ms);
    const auto t = static_cast<std::int64_t>(std::ceil(x));
    const std::int64_t hours = t / 3600000;
    const std::int64_t minutes = (t % 3600000) / 60000;
    const std::int64_t seconds = (t % 60000) / 1000;
    const std::int64_t millis = t % 1000;
    const QChar zero(u'0');
    return QStringLiteral("%1:%2:%3:%4")
        .arg(hours, 4, 10, zero)
        .arg(minutes, 2, 10, zero)
        .arg(seconds, 2, 10, zero)
        .arg(millis, 3, 10, zero);
}

} // namespace varnilog
