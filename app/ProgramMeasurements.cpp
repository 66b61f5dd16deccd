// TForm1: the "Pomiary parametrów" button opens the measurements window of the recording on display.
#include "app/Program.h"
#include "ui_Program.h"
#include "windows/Measurements.h"

namespace varnilog {

void TForm1::connectMeasurementHandlers() {
    connect(ui_->SpeedButton72, &QAbstractButton::clicked, this, &TForm1::SpeedButton72Click);
}

void TForm1::SpeedButton72Click() {
    // Made on first use: a tool window over the main one that stays usable, like the description.
    if (formPomiary_ == nullptr) {
        formPomiary_ = new TFormPomiary(state_, boxes_, this);
        connect(this, &TForm1::recordingChanged, formPomiary_, &TFormPomiary::recordingChanged);
        connect(this, &TForm1::screenChanged, formPomiary_, &TFormPomiary::viewChanged);
    }
    formPomiary_->setDialogs(dialogs_);
    formPomiary_->FormShow();
}

} // namespace varnilog
