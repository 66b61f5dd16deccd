// Every way of naming a span, through the one resolution: the span it gives, cut to the recording, or
// the error and the words the command line prints for it.
#include "analysis/SpanRequest.h"

#include <gtest/gtest.h>

#include <functional>

using namespace varnilog;

TEST(SpanRequestTest, EverySourceOfASpan) {
    using Edit = std::function<void(SpanRequest&)>;
    const auto ends = [](std::optional<std::int64_t> from, std::optional<std::int64_t> to,
                         std::optional<std::int64_t> fromMarker = {},
                         std::optional<std::int64_t> toMarker = {}) -> Edit {
        return [=](SpanRequest& r) {
            r.source = SpanSource::Ends;
            r.from = from;
            r.to = to;
            r.fromMarker = fromMarker;
            r.toMarker = toMarker;
        };
    };
    const auto window = [](SpanSource source, Edit more = {}) -> Edit {
        return [=](SpanRequest& r) {
            r.source = source;
            if (more)
                more(r);
        };
    };
    const auto selection = [](std::int64_t a, std::int64_t b) -> Edit {
        return [=](SpanRequest& r) { r.selection = SelectionOffsets{a, b}; };
    };
    const struct {
        const char* what;
        Edit edit;
        SampleSpan span;
        SpanError error;
        const char* text;
    } rows[] = {
        {"whole", window(SpanSource::Whole), {0, 1000}, SpanError::None, ""},
        {"no ends: the whole", ends({}, {}), {0, 1000}, SpanError::None, ""},
        {"from and to", ends(10, 20), {10, 20}, SpanError::None, ""},
        {"to alone", ends({}, 20), {0, 20}, SpanError::None, ""},
        {"to at the count", ends(990, 1000), {990, 1000}, SpanError::None, ""},
        {"to past the count",
         ends({}, 1001),
         {},
         SpanError::SampleOutside,
         "--to: expected a whole number from 0 to 1000"},
        {"negative from",
         ends(-1, {}),
         {},
         SpanError::SampleOutside,
         "--from: expected a whole number from 0 to 1000"},
        {"empty ends", ends(5, 5), {5, 5}, SpanError::Empty, "the span [5, 5) is empty"},
        {"reversed ends", ends(7, 3), {7, 3}, SpanError::Empty, "the span [7, 3) is empty"},
        {"marker to marker", ends({}, {}, 0, 1), {100, 500}, SpanError::None, ""},
        {"marker to sample", ends({}, 700, 1), {300, 700}, SpanError::None, ""},
        {"point marker alone", ends({}, {}, {}, 0), {0, 100}, SpanError::None, ""},
        {"marker index past the list",
         ends({}, {}, {}, 3),
         {},
         SpanError::MarkerIndex,
         "--to-marker: expected a whole number from 0 to 2"},
        {"marker past the recording",
         ends({}, {}, {}, 2),
         {},
         SpanError::MarkerOutside,
         "the marker lies outside the recording (1000 samples)"},
        {"marker beside its sample end",
         ends(3, {}, 0),
         {},
         SpanError::EndsReplaced,
         "--from-marker/--to-marker replace --from/--to: give one of each pair"},
        {"no markers",
         [&](SpanRequest& r) {
             ends({}, {}, 0)(r);
             r.markers.clear();
         },
         {},
         SpanError::NoMarkers,
         "s.ros: the recording has no markers"},
        {"view", window(SpanSource::View), {200, 1000}, SpanError::None, ""},
        {"selection, either way",
         window(SpanSource::Selection, selection(40, 10)),
         {210, 240},
         SpanError::None,
         ""},
        {"selection past the end",
         window(SpanSource::Selection, selection(700, 900)),
         {900, 1000},
         SpanError::None,
         ""},
        {"selection beyond the end",
         window(SpanSource::Selection, selection(900, 950)),
         {1000, 1000},
         SpanError::Empty,
         "the span [1000, 1000) is empty"},
        {"empty selection",
         window(SpanSource::Selection, selection(30, 30)),
         {230, 230},
         SpanError::Empty,
         "the span [230, 230) is empty"},
        {"no selection", window(SpanSource::Selection), {}, SpanError::NoSelection, "there is no selection"},
        {"cursors in columns",
         window(SpanSource::Cursors,
                [](SpanRequest& r) {
                    r.cursorColumns = {30, 5};
                }),
         {210, 260},
         SpanError::None,
         ""},
        {"between markers",
         window(SpanSource::Between,
                [](SpanRequest& r) {
                    r.between = SampleSpan{300, 1200};
                }),
         {300, 1000},
         SpanError::None,
         ""},
        {"between without markers",
         window(SpanSource::Between),
         {},
         SpanError::NoMarkers,
         "s.ros: the recording has no markers"},
    };
    for (const auto& row : rows) {
        SpanRequest r;
        r.sampleCount = 1000;
        r.viewStart = 200;
        r.zoom = 2;
        r.markers = {{100, 100, MarkerKind::Uwaga, {}},
                     {300, 500, MarkerKind::Zakres, {}},
                     {900, 1200, MarkerKind::Zakres, {}}};
        row.edit(r);
        const SpanResolution got = resolveSpan(r);
        EXPECT_EQ(got.error, row.error) << row.what;
        if (row.error == SpanError::None || row.error == SpanError::Empty) {
            EXPECT_EQ(got.span, row.span) << row.what;
        }
        EXPECT_EQ(spanErrorText(got, QStringLiteral("s.ros")).toStdString(), row.text) << row.what;
    }

    // The window's own request reads the view, the zoom, the selection and the cursors of the state.
    SharedState state;
    state.sampleCount = 300;
    state.viewStart = 100;
    state.zoomDivisor = 4;
    state.selectionStart = 120;
    state.selectionEnd = 400;
    // The seed's first selection is no choice of the user's until it is dragged and shown.
    EXPECT_FALSE(resolveSpan(windowSpanRequest(SpanSource::Selection, state)).ok());
    state.selectionShown = true;
    EXPECT_EQ(resolveSpan(windowSpanRequest(SpanSource::Selection, state)).span, (SampleSpan{220, 300}));
    EXPECT_EQ(resolveSpan(windowSpanRequest(SpanSource::View, state)).span, (SampleSpan{100, 300}));
}
