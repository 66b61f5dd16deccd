// TForm1: the "Pomiary parametrów" button opens the measurements window of the recording on display,
// which measures the preview's frame while sampling and the span between markers chosen in "Znaczniki".
#include "analysis/LiveTrigger.h"
#include "app/Program.h"
#include "recording/MarkerFile.h"
#include "ui_Program.h"
#include "view/ViewBuffers.h"
#include "windows/LiveTriggerControl.h"
#include "windows/MarkersWindow.h"
#include "windows/MeasurementsWindow.h"
#include "windows/XyWindow.h"

namespace varnilog {

void TForm1::connectMeasurementHandlers() {
    connect(ui_->SpeedButton72, &QAbstractButton::clicked, this, &TForm1::SpeedButton72Click);
}

void TForm1::SpeedButton72Click() {
    // Made on first use: a tool window over the main one that stays usable, like the description.
    if (measurementsWindow_ == nullptr) {
        measurementsWindow_ = new MeasurementsWindow(state_, boxes_, this);
        connect(this, &TForm1::recordingChanged, measurementsWindow_, &MeasurementsWindow::recordingChanged);
        connect(this, &TForm1::screenChanged, measurementsWindow_, &MeasurementsWindow::viewChanged);
        // The frame the preview shows: the trigger's while the trigger tab holds one.
        measurementsWindow_->setPreviewSource([this](int channel) {
            const auto ch = static_cast<std::size_t>(channel);
            return liveTrigger_->on() ? liveTrigger_->frame()[ch].data() : livePreviewFrame(channel);
        });
        showMarkerSpan();
        measurementsWindow_->setSpanChoice(measurementSpan_);
    }
    measurementsWindow_->setDialogs(dialogs_);
    measurementsWindow_->FormShow();
}

void TForm1::showMarkerSpan() {
    const int i = markersWindow_ != nullptr ? markersWindow_->selectedMarker() : -1;
    const std::optional<MarkerSpan> span = spanBetweenMarkers(markers_->list(), i, i + 1);
    const std::optional<SampleSpan> between =
        span ? std::optional<SampleSpan>({span->from, span->to}) : std::nullopt;
    if (measurementsWindow_ != nullptr)
        measurementsWindow_->setMarkerSpan(between);
    if (xyWindow_ != nullptr)
        xyWindow_->setMarkerSpan(between);
}

} // namespace varnilog
