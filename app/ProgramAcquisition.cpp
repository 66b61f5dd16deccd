// TForm1, recording: the start and stop buttons and the 50 ms acquisition timer, over the core's
// Acquisition. The board's knobs stay usable while sampling (a change continues in a new recording,
// ProgramLive.cpp), and so do the view's ("Widok"); the controls of files and windows are locked.
#include "app/Program.h"

#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "device/SerialPorts.h"
#include "spectrum/Unit5.h"
#include "ui_Program.h"
#include "windows/LiveTriggerControl.h"
#include "windows/TriggerTab.h"

#include <QTimer>

namespace varnilog {

void TForm1::showSkippedBytes(std::int64_t bytes) {
    // Rewritten only when the count changes: most ticks of a clean stream change nothing.
    if (bytes == shownSkippedBytes_)
        return;
    shownSkippedBytes_ = bytes;
    setStatusPanelText(kSkippedBytesPanel, bytes < 0 ? QString() : tr("Pominięte: %1 B").arg(bytes));
    fitStatusPanel(kSkippedBytesPanel);
}

void TForm1::connectAcquisitionHandlers() {
    connect(ui_->btStart, &QAbstractButton::clicked, this, &TForm1::btStartClick);
    connect(ui_->btStop, &QAbstractButton::clicked, this, &TForm1::btStopClick);
    connect(timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

Acquisition& TForm1::acquisition() {
    if (!acquisition_) {
        acquisition_ =
            std::make_unique<Acquisition>(state_, link_, clock_, [this](const AcquisitionNotice& notice) {
                showStatusMessage(coreMessage(notice));
            });
    }
    return *acquisition_;
}

bool TForm1::recordingActive() const {
    return acquisition_ && acquisition_->active();
}

void TForm1::lockControls(bool locked) {
    // The tabs stay switchable: "Widok" (zoom, channels, scroll bar) and "Wyzwalanie" are usable
    // while sampling, the others are locked. The picture stays enabled for the trigger's level; its
    // other mouse work waits for the stop. The knobs of the board (Panel5, the time base of Panel3)
    // act while sampling, and the spectrum button opens the live spectrum; the other window buttons
    // beside the time base do not.
    for (QWidget* w : {static_cast<QWidget*>(ui_->SpeedButton71), static_cast<QWidget*>(ui_->SpeedButton72),
                       static_cast<QWidget*>(ui_->SpeedButton74), static_cast<QWidget*>(ui_->SpeedButton75),
                       static_cast<QWidget*>(ui_->SpeedButton80), static_cast<QWidget*>(ui_->Panel6),
                       static_cast<QWidget*>(ui_->TabSheet2), static_cast<QWidget*>(ui_->btOpen),
                       static_cast<QWidget*>(ui_->edFilename)})
        w->setEnabled(!locked);
    // The selection and the computed channels belong to a stored recording.
    ui_->SpeedButton6->setEnabled(!locked);
    ui_->chkC->setEnabled(!locked && state_.channelDerived[2]);
    ui_->chkD->setEnabled(!locked && state_.channelDerived[3]);
    ui_->Odczyt1->setEnabled(!locked); // it opens the browser as btOpen does
    loadSetupAction_->setEnabled(!locked);
    ui_->btStart->setEnabled(!locked);
    lookOnlyButton_->setEnabled(!locked);
    ui_->btStop->setEnabled(locked);
    triggerTab_->setSampling(locked);
    ui_->btMark->setEnabled(locked);
}

void TForm1::btStartClick() {
    // A configuration that names no port of this system takes the board's adapter, or asks.
    const QString port = portToOpen(state_.comPortName, boardPorts());
    if (port.isEmpty()) {
        boxes_.showErrorBox(
            tr("Nie wybrano portu płytki i nie widać żadnego (ttyUSB, ttyACM): podłącz płytkę "
               "lub wpisz port w Ustawieniach"));
        return;
    }
    if (port != state_.comPortName) {
        state_.comPortName = port;
        updateStatusBar();
    }
    const bool lookOnly = lookOnlyButton_->isChecked();
    const StartResult r = acquisition().start(lookOnly ? StartMode::LookOnly : StartMode::Record);
    if (r.modelChanged)
        applyDeviceModel();
    // The advice for a missing permission is longer than the status bar: a box shows it whole.
    if (r.failure.kind == AcquisitionNoticeKind::AccessDenied)
        boxes_.showErrorBox(coreMessage(r.failure));
    if (r.status != StartStatus::FilesNotCreated && r.status != StartStatus::Sampling)
        return;
    lockControls(true);
    saveRecentAction_->setEnabled(lookOnly);
    if (!lookOnly)
        showFileName(r.baseName);
    emit recordingChanged();
    if (r.status == StartStatus::Sampling) {
        markers_->clear(); // the preview shows none; the new recording's come with its loading
        showSkippedBytes(0);
        liveTrigger_->start(state_);
        triggerFrameShown_ = false;
        shownFrameStart_.reset();
        if (windows_.form5)
            windows_.form5->startLive();
        startLiveView();
        if (rollingPictureShown())
            showLivePicture();
        else if (ui_->chkPodglad->isChecked())
            redrawTriggerPicture();
        timer1_->start();
    }
}

void TForm1::Timer1Timer() {
    // The rolling picture and the measurements' frame come from the live view's memory; a trigger
    // picks its frames from the tick's samples itself.
    const TickResult t = acquisition().tick(false);
    if (t.status == TickStatus::Received) {
        feedLiveView(t.samples);
        if (windows_.form5)
            windows_.form5->liveSamples(acquisition().tickSamples(0), acquisition().tickSamples(1),
                                        t.samples);
        if (rollingPictureShown() && t.samples > 0)
            showLivePicture();
    }
    if (t.status == TickStatus::Waiting || t.status == TickStatus::Received) {
        const LiveTriggerControl::Tick trigger = liveTrigger_->feed(
            acquisition().tickSamples(0), acquisition().tickSamples(1),
            t.status == TickStatus::Received ? t.samples : 0, Acquisition::kTickIntervalMs);
        // The caught event is found again later among the recording's markers.
        if (trigger.singleCaught)
            acquisition().addTriggerMark(*trigger.singleCaught);
        if (trigger.frame != nullptr && ui_->chkPodglad->isChecked())
            showTriggerFrame(*trigger.frame, trigger.column);
        showSkippedBytes(t.skippedBytes);
        saveLiveMarkers();
    }
    if (t.settingsDue && !t.endsSampling())
        continueWithNewSettings();
    if (t.endsSampling()) {
        // One box for the whole failure: the timer is off before it is shown.
        timer1_->stop();
        boxes_.showErrorBox(coreMessage(t.failure));
        btStopClick();
    }
}

void TForm1::btStopClick() {
    timer1_->stop();
    lockControls(false);
    showSkippedBytes(-1);
    if (windows_.form5)
        windows_.form5->stopLive();
    const StopResult s = acquisition().stop();
    if (s.marksError.failed())
        showStatusMessage(coreMessage(s.marksError));
    liveTrigger_->stop();
    if (!s.failure.empty())
        boxes_.showErrorBox(coreMessage(s.failure));
    if (acquisition().lookOnly()) {
        renderWaveform(); // nothing was written: the last picture stays as it is
    } else if (!s.rosPath.isEmpty()) {
        state_.recordingPath = s.rosPath;
        // What was on the screen stays there: the last picture's samples at its zoom.
        if (loadRecording() && shownFrameStart_) {
            state_.viewStart = std::max<std::int64_t>(0, *shownFrameStart_);
            state_.zoomDivisor = shownFrameZoom_;
            refreshView();
        }
        renderWaveform();
    } else {
        emit recordingChanged();
    }
}

} // namespace varnilog
