// TForm1, the view while sampling: "Oddal", "Zbliż", "1:1", "Pokaż całość" and the scroll bar act on
// what has been recorded so far, and the rolling picture shows 500 columns of the live zoom's samples
// each (largest and smallest code, as a stored view). The picture follows the newest sample until the
// scroll bar is moved back, and again once it is at its end.
#include "app/Program.h"

#include "device/Acquisition.h"
#include "ui_Program.h"
#include "view/LivePreview.h"
#include "view/ScaleTables.h"
#include "windows/LiveTriggerControl.h"

#include <algorithm>
#include <limits>

namespace varnilog {

void TForm1::startLiveView() {
    livePreview_->reset();
    liveZoom_ = 1;
    liveHeldStart_.reset();
    // C and D are computed from a stored recording: nothing of them is live.
    for (std::size_t c = LivePreview::kLiveChannels; c < kChannels; ++c) {
        std::fill_n(state_.channelData[c].begin(), kDisplayColumns, kZeroLine);
        view_->columnMin[c].fill(kZeroLine);
    }
}

void TForm1::feedLiveView(std::int64_t samples) {
    livePreview_->append(acquisition().tickSamples(0), acquisition().tickSamples(1), samples);
}

bool TForm1::rollingPictureShown() const {
    return state_.samplingActive && ui_->chkPodglad->isChecked() && !liveTrigger_->on();
}

void TForm1::showLivePicture() {
    const std::int64_t n = livePreview_->samples();
    ScrollRange range =
        scrollRange(n, liveZoom_, liveHeldStart_.value_or(std::numeric_limits<std::int64_t>::max()));
    if (liveHeldStart_ && range.viewStart >= range.maximum)
        liveHeldStart_.reset(); // the end of the bar: follow the newest again
    state_.zoomDivisor = liveZoom_;
    state_.viewStart = liveHeldStart_ ? range.viewStart : LivePreview::followingStart(n, liveZoom_);
    std::uint8_t* const top[LivePreview::kLiveChannels] = {state_.channelData[0].data(),
                                                           state_.channelData[1].data()};
    std::uint8_t* const bottom[LivePreview::kLiveChannels] = {view_->columnMin[0].data(),
                                                              view_->columnMin[1].data()};
    livePreview_->columns(state_.viewStart, liveZoom_, top, bottom);
    shownFrameStart_ = state_.viewStart;
    shownFrameZoom_ = liveZoom_;
    applyScrollBar(range, scrollBarSetup(range));
    renderWaveform();
    drawTimeAxis();
}

void TForm1::setLiveZoom(std::int32_t zoom, bool follow) {
    liveZoom_ = std::max<std::int32_t>(1, zoom);
    if (follow)
        liveHeldStart_.reset();
    if (rollingPictureShown())
        showLivePicture();
}

void TForm1::liveZoomClick(LiveZoom action) {
    const std::int64_t n = livePreview_->samples();
    switch (action) {
    case LiveZoom::Out:
        setLiveZoom(zoomOutDivisor(liveZoom_, n), false);
        break;
    case LiveZoom::In:
        setLiveZoom(zoomInDivisor(liveZoom_), false);
        break;
    case LiveZoom::One:
        setLiveZoom(1, false);
        break;
    case LiveZoom::All:
        // Rounded up, unlike a stored recording's: the whole so far fits, the newest sample last.
        setLiveZoom(showAllDivisor(n + kDisplayColumns - 1), true);
        break;
    }
}

void TForm1::liveScroll(int position) {
    if (position >= scrollBar_.maximum)
        liveHeldStart_.reset();
    else
        liveHeldStart_ = viewStartAtPosition(scrollBar_, scrollRange_, position);
    if (rollingPictureShown())
        showLivePicture();
}

const std::uint8_t* TForm1::livePreviewFrame(int channel) const {
    return livePreview_->newest(channel);
}

} // namespace varnilog
