// TForm1: "Działania na przebiegach" computes or removes a derived channel of the recording on
// display, and the channel boxes and buttons of C and D follow the channels the recording holds.
#include "app/Program.h"

#include "recording/RecordingLoader.h"
#include "ui_Program.h"
#include "windows/MathWindow.h"

namespace varnilog {

void TForm1::connectOperationHandlers() {
    connect(ui_->SpeedButton75, &QAbstractButton::clicked, this, &TForm1::SpeedButton75Click);
}

void TForm1::SpeedButton75Click() {
    if (recordingActive() || state_.samplingActive || state_.sampleCount <= 0)
        return;
    if (mathWindow_ == nullptr)
        mathWindow_ = new MathWindow(state_, boxes_, this);
    mathWindow_->FormShow();
    if (!mathWindow_->changed())
        return;
    // The operation changes one channel, not the recording's length: the view stays where it was.
    const std::int64_t viewStart = state_.viewStart;
    const std::int32_t zoom = state_.zoomDivisor;
    if (!loadRecording())
        return;
    state_.zoomDivisor = zoom;
    state_.viewStart = viewStart;
    refreshView();
    // A channel just computed is shown at once.
    if (const int c = mathWindow_->computedChannel(); c >= 0 && channelHasData(state_, c)) {
        (c == 2 ? ui_->chkC : ui_->chkD)->setChecked(true);
        channelBoxClick(c, true);
    }
}

void TForm1::refreshDerivedChannels() {
    const std::array<QCheckBox*, 2> boxes{ui_->chkC, ui_->chkD};
    const std::array<QAbstractButton*, 2> buttons{ui_->SpeedButton20, ui_->SpeedButton49};
    bool hidden = false;
    for (int c = 2; c < kChannels; ++c) {
        const bool has = channelHasData(state_, c);
        QCheckBox* box = boxes[static_cast<std::size_t>(c - 2)];
        box->setEnabled(has);
        buttons[static_cast<std::size_t>(c - 2)]->setEnabled(has);
        if (!has && (box->isChecked() || state_.channelVisible[static_cast<std::size_t>(c)])) {
            box->setChecked(false);
            state_.channelVisible[static_cast<std::size_t>(c)] = false;
            hidden = true;
        }
        if (!has && state_.selectedChannel == c)
            selectChannel(0);
    }
    if (hidden)
        renderWaveform();
}

} // namespace varnilog
