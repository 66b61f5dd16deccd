// The persistence of a channel's trace: a fixed 500 x 250 image of counts, one per display column
// and row, of how often the frames drawn into it hit that pixel. Fading scales every count by a
// factor before each new frame (dropping what fell below 10^-4); infinite keeps them all; clear
// starts again. A frame hits, in each column, the rows its trace runs through there (its own codes
// and the step from the column before), as the waveform draws them. Fixed size, allocated once:
// adding a frame allocates nothing. Depends on the C++ library and the display's sizes.
#pragma once

#include "app/SharedState.h"

#include <array>
#include <cstdint>

namespace varnilog {

inline constexpr int kPersistenceColumns = kDisplayColumns;
inline constexpr int kPersistenceRows = kDisplayRows;
inline constexpr std::size_t kPersistenceCells = std::size_t{kPersistenceColumns} * kPersistenceRows;

enum class PersistenceMode { Off, Fading, Infinite };

class Persistence {
public:
    // decay: what a count keeps of itself per frame when fading (0..1).
    void setMode(PersistenceMode mode, float decay = 0.9f);
    PersistenceMode mode() const { return mode_; }
    void clear();

    // One frame: hi[k] (and lo[k], the column's smallest code, or hi again at zoom 1) of the columns
    // first <= k < end; the others hold no sample and hit nothing.
    void addFrame(const std::uint8_t* hi, const std::uint8_t* lo, int first = 0,
                  int end = kPersistenceColumns);

    // Counts by column, then row: [column * 250 + row].
    const float* counts() const { return counts_.data(); }
    float at(int column, int row) const {
        return counts_[static_cast<std::size_t>(column) * kPersistenceRows + static_cast<std::size_t>(row)];
    }
    float peak() const { return peak_; }
    std::int64_t frames() const { return frames_; }

private:
    std::array<float, kPersistenceCells> counts_{};
    PersistenceMode mode_ = PersistenceMode::Off;
    float decay_ = 0.9f;
    float peak_ = 0;
    std::int64_t frames_ = 0;
};

// The rows [top, bottom] a column's trace runs through between codes lo and hi (row 250 - code, as
// the waveform), cut to the picture; top > bottom when none.
struct PersistenceRows {
    int top, bottom;
};
PersistenceRows persistenceRows(int lo, int hi);

} // namespace varnilog
