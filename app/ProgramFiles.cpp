// TForm1, recordings: loading the recording on display and what the window refreshes after it.
#include "app/Program.h"

#include "app/MessageBoxes.h"
#include "recording/RecordingLoader.h"
#include "ui_Program.h"

#include <QSignalBlocker>

namespace varnilog {

bool TForm1::loadRecording() {
    const LoadResult r = varnilog::loadRecording(state_);
    if (!r.ok) {
        boxes_.showErrorBox(r.errorText);
        return false;
    }
    {
        const QSignalBlocker block(ui_->ScrollBar1);
        ui_->ScrollBar1->setValue(0);
    }
    if (r.viewReloaded)
        drawTimeAxis();
    ui_->edFilename->setText(r.baseName);
    refreshTimeBase();
    refreshSensitivity();
    refreshModeSlider();
    // The selected channel's scale may have changed with the recording.
    drawVoltAxis();
    if (r.refreshView)
        refreshView();
    return true;
}

void TForm1::openRecording(const QString& rosPath) {
    state_.recordingPath = rosPath;
    loadRecording();
}

} // namespace varnilog
