#include "analysis/MeasurementSpans.h"

#include <algorithm>

namespace varnilog {

SampleSpan spanOf(SpanChoice choice, const SharedState& state) {
    const std::int64_t count = std::max<std::int64_t>(state.sampleCount, 0);
    const std::int64_t zoom = std::max<std::int32_t>(state.zoomDivisor, 1);
    const std::int64_t start = state.viewStart;
    SampleSpan span;
    switch (choice) {
    case SpanChoice::View:
        span = {start, start + kDisplayColumns * zoom};
        break;
    case SpanChoice::Selection: {
        if (!state.selectionShown)
            break; // empty
        std::int64_t a = state.selectionStart / zoom, b = state.selectionEnd / zoom;
        if (b < a)
            std::swap(a, b);
        a = std::max<std::int64_t>(a, 0);
        b = std::min<std::int64_t>(b, kDisplayColumns - 1);
        span = {start + a * zoom, start + std::max(a, b) * zoom};
        break;
    }
    case SpanChoice::Cursors: {
        const auto [a, b] = std::minmax(state.cursorColumn[0], state.cursorColumn[1]);
        span = {start + a * zoom, start + b * zoom};
        break;
    }
    case SpanChoice::Whole:
        span = {0, count};
        break;
    }
    span.from = std::clamp<std::int64_t>(span.from, 0, count);
    span.to = std::clamp<std::int64_t>(span.to, span.from, count);
    return span;
}

} // namespace varnilog
