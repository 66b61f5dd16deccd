#include "analysis/Persistence.h"

#include <algorithm>

namespace varnilog {

void Persistence::setMode(PersistenceMode mode, float decay) {
    if (mode != mode_)
        clear();
    mode_ = mode;
    decay_ = std::clamp(decay, 0.0f, 1.0f);
}

float Persistence::peak() const {
    if (!peakKnown_) {
        peak_ = *std::max_element(counts_.begin(), counts_.end());
        peakKnown_ = true;
    }
    return peak_;
}

void Persistence::clear() {
    counts_.fill(0);
    peak_ = 0;
    peakKnown_ = true;
    frames_ = 0;
}

PersistenceRows persistenceRows(int lo, int hi) {
    return {std::max(0, kDisplayRows - hi), std::min(kDisplayRows - 1, kDisplayRows - lo)};
}

void Persistence::addFrame(const std::uint8_t* hi, const std::uint8_t* lo, int first, int end) {
    first = std::max(first, 0);
    end = std::min(end, kPersistenceColumns);
    if (mode_ == PersistenceMode::Fading && decay_ < 1.0f)
        for (float& c : counts_)
            c *= decay_;
    for (int k = first; k < end; ++k) {
        int bottom = lo[k], top = hi[k];
        if (k > first) { // the step from the column before belongs to this one
            bottom = std::min<int>(bottom, hi[k - 1]);
            top = std::max<int>(top, lo[k - 1]);
        }
        const PersistenceRows rows = persistenceRows(bottom, top);
        float* column = counts_.data() + static_cast<std::size_t>(k) * kPersistenceRows;
        for (int r = rows.top; r <= rows.bottom; ++r)
            column[r] += 1.0f;
    }
    peakKnown_ = false;
    ++frames_;
}

} // namespace varnilog
