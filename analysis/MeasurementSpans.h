// The spans the measurements window offers, in samples of the recording on display: the view, the
// selection, between the cursors, the whole recording. Pure functions of the shared state.
#pragma once

#include "app/SharedState.h"

#include <cstdint>

namespace varnilog {

enum class SpanChoice { View, Selection, Cursors, Whole };

struct SampleSpan {
    std::int64_t from = 0; // samples: [from, to)
    std::int64_t to = 0;
    std::int64_t length() const { return to - from; }
    bool operator==(const SampleSpan&) const = default;
};

// View: [viewStart, viewStart + 500 * zoomDivisor). Selection: the highlighted columns a .. b - 1 of the
// selection (as it is drawn), times the zoom, from viewStart; empty unless the user dragged it and it
// is still shown (a selection that is not on the screen is no choice of the user's). Cursors: from the left
// cursor's column to the right one's, times the zoom, from viewStart. Every span is cut to the recording.
SampleSpan spanOf(SpanChoice choice, const SharedState& state);

} // namespace varnilog
