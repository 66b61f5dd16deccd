#include "device/SampleRing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varnilog {

std::int64_t ringCapacity(double samplingPeriodMs, int seconds, std::int64_t linePerSecond,
                          std::int64_t limit) {
    const double perSecond = samplingPeriodMs > 0 ? std::min(1000.0 / samplingPeriodMs, double(linePerSecond))
                                                  : double(linePerSecond);
    const auto wanted = static_cast<std::int64_t>(std::ceil(perSecond * seconds));
    return std::clamp<std::int64_t>(wanted, 500, std::max<std::int64_t>(limit, 500));
}

void SampleRing::reset(std::int64_t capacity) {
    for (std::vector<std::uint8_t>& c : channels_) {
        c.assign(static_cast<std::size_t>(std::max<std::int64_t>(capacity, 1)), 0);
        c.shrink_to_fit();
    }
    total_ = 0;
}

void SampleRing::append(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    const std::int64_t cap = capacity();
    const std::int64_t n = static_cast<std::int64_t>(std::min(a.size(), b.size()));
    if (cap == 0)
        return; // never reset: nothing is kept
    // Of a block longer than the ring only its newest samples stay.
    const std::int64_t skip = std::max<std::int64_t>(n - cap, 0);
    for (int ch = 0; ch < 2; ++ch) {
        const std::uint8_t* from = (ch == 0 ? a : b).data() + skip;
        std::uint8_t* ring = channels_[static_cast<std::size_t>(ch)].data();
        std::int64_t at = (total_ + skip) % cap, left = n - skip;
        while (left > 0) {
            const std::int64_t run = std::min(left, cap - at);
            std::memcpy(ring + at, from, static_cast<std::size_t>(run));
            from += run;
            left -= run;
            at = 0;
        }
    }
    total_ += n;
}

QByteArray SampleRing::samples(int channel) const {
    const std::int64_t cap = capacity(), kept = size();
    const std::vector<std::uint8_t>& ring = channels_[static_cast<std::size_t>(channel)];
    QByteArray out(static_cast<qsizetype>(kept), Qt::Uninitialized);
    if (kept == 0)
        return out;
    const std::int64_t first = firstKept() % cap;
    const std::int64_t run = std::min(kept, cap - first);
    std::memcpy(out.data(), ring.data() + first, static_cast<std::size_t>(run));
    std::memcpy(out.data() + run, ring.data(), static_cast<std::size_t>(kept - run));
    return out;
}

} // namespace varnilog
