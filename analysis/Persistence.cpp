#include "analysis/Persistence.h"

#include <algorithm>

namespace varnilog {

namespace {

constexpr float kForgotten = 1e-4f;

} // namespace

void Persistence::setMode(PersistenceMode mode, float decay) {
    if (mode != mode_)
        clear();
    mode_ = mode;
    decay_ = std::clamp(decay, 0.0f, 1.0f);
}

void Persistence::clear() {
    counts_.fill(0);
    peak_ = 0;
    frames_ = 0;
}

PersistenceRows persistenceRows(int lo, int hi) {
    return {std::max(0, kDisplayRows - hi), std::min(kDisplayRows - 1, kDisplayRows - lo)};
}

void Persistence::addFrame(const std::uint8_t* hi, const std::uint8_t* lo, int first, int end) {
    first = std::max(first, 0);
    end = std::min(end, kPersistenceColumns);
    float peak = peak_;
    if (mode_ == PersistenceMode::Fading && decay_ < 1.0f) {
        // A count that faded below what any picture shows is dropped: scaled on, it would reach the
        // denormal floats, which cost a hundred times more to multiply.
        const float decay = decay_;
        for (float& c : counts_) {
            const float faded = c * decay;
            c = faded < kForgotten ? 0.0f : faded;
        }
        peak = peak * decay < kForgotten ? 0.0f : peak * decay; // scaling keeps the largest the largest
    }
    for (int k = first; k < end; ++k) {
        int bottom = lo[k], top = hi[k];
        if (k > first) { // the step from the column before belongs to this one
            bottom = std::min<int>(bottom, hi[k - 1]);
            top = std::max<int>(top, lo[k - 1]);
        }
        const PersistenceRows rows = persistenceRows(bottom, top);
        float* column = counts_.data() + static_cast<std::size_t>(k) * kPersistenceRows;
        for (int r = rows.top; r <= rows.bottom; ++r)
            peak = std::max(peak, column[r] += 1.0f);
    }
    peak_ = peak;
    ++frames_;
}

} // namespace varnilog
