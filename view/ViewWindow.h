// Which 500 columns of the recording on display are shown and how ScrollBar1 and the zoom buttons
// move them: reading the columns from the sample files (64-bit positions, any zoom), the scroll
// range with its steps, and the zoom maths as free functions over plain numbers.
// Core: depends on QtCore's QFile (through the shared state) and the view's own buffers only.
#pragma once

#include "app/SharedState.h"
#include "view/ScaleTables.h"
#include "view/ViewBuffers.h"

#include <cstdint>

namespace varnilog {

// Reads the 500 columns at viewStart into channelData (the column's largest sample when zoomDivisor
// >= 2, else the sample itself) and the view's columnMin (smallest; zoomDivisor >= 2 only). A column with
// some samples uses those it has; a column past the end of the file, or of a channel without a file, is the
// zero line. Zoom 1 reads 500 bytes through readBuffer; deeper zooms read the span sequentially in
// blocks of the view's viewBlock, with the same result as reading every column on its own. From zoom 256 on,
// a channel whose summary matches its sample file is read from the summary instead, with the same result.
void loadViewWindow(SharedState& state, ViewBuffers& view);

// Scroll range in samples: maximum = max(0, sampleCount - W) for W = 500 * zoomDivisor (0 for fewer
// than 500 samples), page W, large step 25 * zoomDivisor, small step zoomDivisor, and the view start
// brought into 0..maximum.
struct ScrollRange {
    std::int64_t maximum = 0;
    std::int64_t page = 0;
    std::int64_t largeStep = 0;
    std::int64_t smallStep = 0;
    std::int64_t viewStart = 0;
};
ScrollRange scrollRange(std::int64_t sampleCount, std::int32_t zoomDivisor, std::int64_t viewStart);

// The range as a scroll bar's int values. A range beyond the int range is mapped: one position is
// samplesPerStep samples, and the last position is exactly the last view window.
struct ScrollBarSetup {
    int maximum = 0;
    int pageStep = 1;
    int singleStep = 1;
    int largeStep = 1;
    int position = 0;
    std::int64_t samplesPerStep = 1;
};
ScrollBarSetup scrollBarSetup(const ScrollRange& range);
// Scroll bar position after a click on the track beside the thumb: step further in direction (+1 or
// -1), kept within minimum..maximum.
int trackClickPosition(int position, int direction, int step, int minimum, int maximum);
// viewStart for a scroll bar position (ScrollBar1Change).
std::int64_t viewStartAtPosition(const ScrollBarSetup& bar, const ScrollRange& range, int position);

// What refreshView found: the scroll range, ScrollBar1's values for it (the view is already drawn)
// and whether the cursors can be shown.
struct ViewRefresh {
    ScrollRange range;
    ScrollBarSetup scrollBar;
    bool cursorsEnabled = true;
};
// Brings viewStart into the scroll range, reads the view window and redraws the waveform.
ViewRefresh refreshView(SharedState& state, ViewBuffers& view);
// The same without the drawing.
ViewRefresh readView(SharedState& state, ViewBuffers& view);

// ScrollBar1Change: shows the window at viewStart (read and redraw).
void scrollView(SharedState& state, ViewBuffers& view, std::int64_t viewStart);

// Zoom buttons: the zoom divisor (and view start) each button leads to.
std::int32_t zoomOutDivisor(std::int32_t zoomDivisor, std::int64_t sampleCount); // "Oddal"
std::int32_t zoomInDivisor(std::int32_t zoomDivisor);                            // "Zbliż"
std::int32_t showAllDivisor(std::int64_t sampleCount); // "Pokaż całość" (viewStart becomes 0)
struct ViewPlacement {
    std::int64_t viewStart = 0;
    std::int32_t zoomDivisor = 1;
};
// "Pokaż zaznaczenie": the marked span (samples counted from viewStart) fills the view.
ViewPlacement showSelectionPlacement(std::int64_t viewStart, std::int32_t selectionStart,
                                     std::int32_t selectionEnd);
// The span [from, to) brought into the view whole, centred: at the zoom it has when the span fits,
// else at the least zoom that fits it.
ViewPlacement spanPlacement(std::int64_t from, std::int64_t to, std::int32_t zoomDivisor);

} // namespace varnilog
