#include "analysis/SpanRequest.h"

#include <algorithm>

namespace varnilog {

std::optional<SelectionOffsets> currentSelection(const SharedState& state) {
    // A selection the user has not dragged, or whose highlight is gone, is no choice of theirs.
    if (!state.selectionShown)
        return std::nullopt;
    return SelectionOffsets{state.selectionStart, state.selectionEnd};
}

SpanRequest windowSpanRequest(SpanSource source, const SharedState& state) {
    SpanRequest r;
    r.source = source;
    r.sampleCount = std::max<std::int64_t>(state.sampleCount, 0);
    r.viewStart = state.viewStart;
    r.zoom = std::max<std::int32_t>(state.zoomDivisor, 1);
    r.selection = currentSelection(state);
    r.cursorColumns = state.cursorColumn;
    return r;
}

SpanSource spanSourceOf(SpanChoice choice) {
    switch (choice) {
    case SpanChoice::Selection:
        return SpanSource::Selection;
    case SpanChoice::Cursors:
        return SpanSource::Cursors;
    case SpanChoice::Whole:
        return SpanSource::Whole;
    case SpanChoice::View:
        break;
    }
    return SpanSource::View;
}

namespace {

SpanResolution failed(SpanError error, bool atEnd = false, std::int64_t limit = 0) {
    SpanResolution r;
    r.error = error;
    r.atEnd = atEnd;
    r.limit = limit;
    return r;
}

// The ends given as samples or markers; nothing given is the whole recording, never an error.
SpanResolution resolveEnds(const SpanRequest& q) {
    const std::int64_t count = q.sampleCount;
    if ((q.fromMarker && q.from) || (q.toMarker && q.to))
        return failed(SpanError::EndsReplaced);
    SampleSpan span{0, count};
    if (q.fromMarker || q.toMarker) {
        if (q.markers.empty())
            return failed(SpanError::NoMarkers);
        const auto last = static_cast<std::int64_t>(q.markers.size()) - 1;
        for (const bool end : {false, true}) {
            const std::optional<std::int64_t>& index = end ? q.toMarker : q.fromMarker;
            if (index && (*index < 0 || *index > last))
                return failed(SpanError::MarkerIndex, end, last);
        }
        if (q.fromMarker)
            span.from = q.markers[static_cast<std::size_t>(*q.fromMarker)].start;
        if (q.toMarker)
            span.to = q.markers[static_cast<std::size_t>(*q.toMarker)].end;
        if (span.from > count || span.to > count)
            return failed(SpanError::MarkerOutside, false, count);
    }
    for (const bool end : {false, true}) {
        const std::optional<std::int64_t>& sample = end ? q.to : q.from;
        if (sample && (*sample < 0 || *sample > count))
            return failed(SpanError::SampleOutside, end, count);
        if (sample)
            (end ? span.to : span.from) = *sample;
    }
    SpanResolution r;
    r.span = span;
    const bool narrowed = q.from || q.to || q.fromMarker || q.toMarker;
    if (narrowed && span.from >= span.to)
        r.error = SpanError::Empty;
    return r;
}

} // namespace

SpanResolution resolveSpan(const SpanRequest& q) {
    if (q.source == SpanSource::Ends)
        return resolveEnds(q);
    const std::int64_t count = std::max<std::int64_t>(q.sampleCount, 0);
    const std::int64_t zoom = std::max<std::int64_t>(q.zoom, 1);
    SampleSpan span;
    switch (q.source) {
    case SpanSource::Whole:
    case SpanSource::Ends:
        span = {0, count};
        break;
    case SpanSource::View:
        span = {q.viewStart, q.viewStart + kDisplayColumns * zoom};
        break;
    case SpanSource::Selection: {
        if (!q.selection)
            return failed(SpanError::NoSelection);
        const auto [a, b] = std::minmax(q.selection->start, q.selection->end);
        span = {q.viewStart + a, q.viewStart + b};
        break;
    }
    case SpanSource::Cursors: {
        const auto [a, b] = std::minmax(q.cursorColumns[0], q.cursorColumns[1]);
        span = {q.viewStart + a * zoom, q.viewStart + b * zoom};
        break;
    }
    case SpanSource::Between:
        if (!q.between)
            return failed(SpanError::NoMarkers);
        span = *q.between;
        break;
    }
    SpanResolution r;
    r.span.from = std::clamp<std::int64_t>(span.from, 0, count);
    r.span.to = std::clamp<std::int64_t>(span.to, r.span.from, count);
    if (q.source != SpanSource::Whole && r.span.length() == 0)
        r.error = SpanError::Empty;
    return r;
}

QString spanErrorText(const SpanResolution& r, const QString& rosPath) {
    switch (r.error) {
    case SpanError::None:
        break;
    case SpanError::EndsReplaced:
        return QStringLiteral("--from-marker/--to-marker replace --from/--to: give one of each pair");
    case SpanError::NoMarkers:
        return QStringLiteral("%1: the recording has no markers").arg(rosPath);
    case SpanError::MarkerIndex:
        return QStringLiteral("--%1: expected a whole number from 0 to %2")
            .arg(r.atEnd ? QStringLiteral("to-marker") : QStringLiteral("from-marker"))
            .arg(r.limit);
    case SpanError::MarkerOutside:
        return QStringLiteral("the marker lies outside the recording (%1 samples)").arg(r.limit);
    case SpanError::SampleOutside:
        return QStringLiteral("--%1: expected a whole number from 0 to %2")
            .arg(r.atEnd ? QStringLiteral("to") : QStringLiteral("from"))
            .arg(r.limit);
    case SpanError::NoSelection:
        return QStringLiteral("there is no selection");
    case SpanError::Empty:
        return QStringLiteral("the span [%1, %2) is empty").arg(r.span.from).arg(r.span.to);
    }
    return {};
}

} // namespace varnilog
