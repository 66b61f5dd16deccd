// The view's own working memory: what only the reading of the view window and the drawing of the
// waveform use, the three bitmaps the picture is drawn in among them. Whoever shows a view (the main
// window, the command line's render) owns one for as long as the view lives and passes it by
// reference; about 260 KB besides the bitmaps, so owners make it once on the heap. Fixed sizes:
// reading and drawing allocate nothing.
// Core: depends on QtGui's QImage, the shared state's sizes and the marker type.
#pragma once

#include "app/SharedState.h"
#include "recording/MarkerFile.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace varnilog {

inline constexpr int kViewBlockSize = 1 << 18; // bytes of one sequential read of the zoomed view

struct ViewBuffers {
    // Made at their sizes by sizeBitmaps; null until then (nothing is drawn into them).
    QImage bmpBackground; // 1000 x 500, 32 bpp: background and grid
    QImage bmpWave;       // 1000 x 500, 32 bpp: waveform at double resolution
    QImage bmpScreen;     // 500 x 250, 32 bpp: the picture shown in imgDisplay
    // Smallest sample per display column; with zoomDivisor >= 2 the trace runs between it and the
    // column's largest sample in channelData.
    std::array<std::array<std::uint8_t, kDisplayColumns>, kChannels> columnMin{};
    // Staging block of the view's sequential reads when a column covers several samples: large reads
    // keep a deep zoom as fast as reading the file plainly, and no read can pass the block's end.
    std::array<std::uint8_t, kViewBlockSize> viewBlock{};
    // "Offset A".."Offset D" in the axis font as 8-bit masks (255 = ink), built on first use so the
    // overlay pass draws no text and allocates nothing per frame.
    std::array<QImage, kChannels> offsetLabelMask;
    // The markers of the recording on display, sorted by start (empty while recording): the overlay
    // pass draws their flags. Replaced whole when the recording or its markers change.
    std::vector<Marker> markers;
};

// Creates the three bitmaps at their fixed sizes (32 bits per pixel), cleared to black.
void sizeBitmaps(ViewBuffers& view);

} // namespace varnilog
