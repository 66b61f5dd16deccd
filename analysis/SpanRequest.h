// The span of samples [from, to) an operation works on, however the user named it: sample numbers or
// markers (the command line), the view, the selection, the cursors, the span between two markers (the
// windows) or the whole recording. One set of rules for all of them: every end is cut to the
// recording (a selection past the end ends at the sample count), and a span the user narrowed must
// hold at least one sample. Pure functions of their inputs; depends on the shared state and markers.
#pragma once

#include "app/SharedState.h"
#include "recording/MarkerFile.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace varnilog {

struct SampleSpan {
    std::int64_t from = 0; // samples: [from, to)
    std::int64_t to = 0;
    std::int64_t length() const { return to - from; }
    bool operator==(const SampleSpan&) const = default;
};

// The spans the measurements window offers besides "between markers".
enum class SpanChoice { View, Selection, Cursors, Whole };

// A selection as the main window keeps it: two sample offsets from the view's first sample, in
// either order.
struct SelectionOffsets {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// The selection the program's own features (export, "Dodaj zakres", the measurement span) see, or
// none: the one place that decides whether there is one.
std::optional<SelectionOffsets> currentSelection(const SharedState& state);

enum class SpanSource {
    Whole,     // the whole recording
    Ends,      // from/to as samples or markers; an end not given is the recording's
    View,      // the 500 columns on display
    Selection, // the selection
    Cursors,   // from the left cursor's column to the right one's
    Between,   // the span between two markers the window chose
};

struct SpanRequest {
    SpanSource source = SpanSource::Whole;
    std::int64_t sampleCount = 0;
    // Ends: a sample index, or a marker's index into markers (from: its start, to: its end).
    std::optional<std::int64_t> from, to, fromMarker, toMarker;
    std::vector<Marker> markers;
    // View, Selection and Cursors: the view's first sample and samples per column.
    std::int64_t viewStart = 0;
    std::int64_t zoom = 1;
    std::optional<SelectionOffsets> selection;
    std::array<std::int32_t, 2> cursorColumns{};
    std::optional<SampleSpan> between;
};

// A window's span of the recording on display (the view, the selection and the cursors of state).
SpanRequest windowSpanRequest(SpanSource source, const SharedState& state);
SpanSource spanSourceOf(SpanChoice choice);

enum class SpanError {
    None,
    EndsReplaced,  // a marker end given together with the sample end it replaces
    NoMarkers,     // a marker end asked of a recording without markers (or no marker span chosen)
    MarkerIndex,   // a marker index outside the list
    MarkerOutside, // a marker beyond the recording's samples
    SampleOutside, // a sample end outside [0, sampleCount]
    NoSelection,   // the selection asked for, but there is none
    Empty,         // the span holds no sample
};

struct SpanResolution {
    SampleSpan span; // cut to the recording even when error is set
    SpanError error = SpanError::None;
    bool atEnd = false;     // which end the error is about (to, to-marker)
    std::int64_t limit = 0; // the largest valid value of that end
    bool ok() const { return error == SpanError::None; }
};

SpanResolution resolveSpan(const SpanRequest& request);

// The command line's words for a failed resolution; rosPath names the recording.
QString spanErrorText(const SpanResolution& resolution, const QString& rosPath);

} // namespace varnilog
