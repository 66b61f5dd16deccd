// TForm1, recordings: loading the recording on display and what the window refreshes after it.
#include "app/Program.h"

#include "analysis/SpanRequest.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "recording/RecordingFileSet.h"
#include "recording/RecordingLoader.h"
#include "spectrum/Unit5.h"
#include "ui_Program.h"
#include "windows/ExportDialog.h"
#include "windows/InterchangeDialogs.h"
#include "windows/Otworzplik.h"
#include "windows/QtStandardDialogs.h"
#include "windows/ReferenceTab.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/Unit8.h"
#include "windows/Ustawienia.h"

#include <QFileSystemWatcher>
#include <QSignalBlocker>
#include <QTimer>

namespace varnilog {

namespace {

// A change of a set replaces its header and then settles its channel files within milliseconds.
constexpr int kOutsideChangePauseMs = 150;

} // namespace

bool TForm1::loadRecording() {
    const int previousChannelCount = state_.channelCount;
    stopSummaryBuild();
    openSampleFiles(state_);
    {
        const QSignalBlocker block(ui_->ScrollBar1);
        ui_->ScrollBar1->setValue(0);
    }
    if (state_.viewStart != 0) { // the view goes back to sample 0, now of the new files
        scrollView(state_, *view_, 0);
        drawTimeAxis();
    }
    const LoadResult r = readRecordingSettings(state_, previousChannelCount);
    watchRecordingOnDisplay();
    if (!r.ok) {
        boxes_.showErrorBox(coreMessage(r.error));
        emit recordingChanged();
        return false;
    }
    showFileName(r.baseName);
    loadMarkers();
    refreshDerivedChannels();
    refreshTimeBase();
    refreshSensitivity();
    refreshModeSlider();
    // The selected channel's scale may have changed with the recording.
    drawVoltAxis();
    if (state_.sampleCount > 1)
        refreshView();
    startSummaryBuild();
    emit recordingChanged();
    return true;
}

void TForm1::setSecondaryWindows(const SecondaryWindows& windows) {
    windows_ = windows;
    if (windows_.form2) {
        windows_.form2->setRenameWindow(windows_.form8);
        connect(windows_.form2, &TForm2::recordingOnDisplayChanged, this, &TForm1::recordingOnDisplayChanged);
        windows_.form2->setRecordingInProgress(
            [this] { return recordingActive() ? acquisition_->rosPath() : QString(); });
    }
    if (windows_.form4)
        windows_.form4->setConfigurationPath(configurationPath_);
    if (windows_.form5)
        windows_.form5->setPlotBackground(&view_->bmpBackground);
    if (windows_.form6)
        windows_.form6->setFileNameSource([this] { return ui_->edFilename->text(); });
    setDialogs(dialogs_);
}

void TForm1::setDialogs(StandardDialogs* dialogs) {
    if (!dialogs) {
        if (!ownDialogs_)
            ownDialogs_ = std::make_unique<QtStandardDialogs>();
        dialogs = ownDialogs_.get();
    }
    dialogs_ = dialogs;
    if (windows_.form2)
        windows_.form2->setDialogs(dialogs);
    if (windows_.form4)
        windows_.form4->setDialogs(dialogs);
    if (referenceTab_)
        referenceTab_->setDialogs(dialogs);
}

void TForm1::connectFileHandlers() {
    connect(ui_->btOpen, &QAbstractButton::clicked, this, &TForm1::btOpenClick);
    connect(ui_->Odczyt1, &QAction::triggered, this, &TForm1::Odczyt1Click);
    connect(ui_->Zapiszdotxt1, &QAction::triggered, this, &TForm1::Zapiszdotxt1Click);
    connect(ui_->Eksport1, &QAction::triggered, this, &TForm1::Eksport1Click);
    connect(ui_->Import1, &QAction::triggered, this, &TForm1::Import1Click);
    connect(ui_->Opis1, &QAction::triggered, this, &TForm1::Opis1Click);
    connect(ui_->Kalibracja1, &QAction::triggered, this, &TForm1::Kalibracja1Click);
    connect(ui_->SpeedButton80, &QAbstractButton::clicked, this, &TForm1::SpeedButton80Click);
    connect(ui_->SpeedButton73, &QAbstractButton::clicked, this, &TForm1::SpeedButton73Click);
}

void TForm1::btOpenClick() {
    if (!windows_.form2)
        return;
    windows_.form2->exec();
    // The browser's own flag decides: its close box after an earlier "Otwórz" opens the selection too.
    if (!state_.openAccepted)
        return;
    state_.recordingPath = windows_.form2->selectedPath();
    loadRecording();
}

void TForm1::Odczyt1Click() {
    btOpenClick();
}

void TForm1::Zapiszdotxt1Click() {
    ExportDialogOptions options;
    options.progressBar = ui_->ProgressBar1;
    options.viewToStart = [this] { ui_->ScrollBar1->setValue(0); };
    options.work = &longWork_;
    options.report = [this](const QString& text) { showStatusMessage(text); };
    exportRecordingWithDialog(this, state_, boxes_, *dialogs_, options);
}

void TForm1::Eksport1Click() {
    InterchangeDialogOptions options;
    options.progressBar = ui_->ProgressBar1;
    options.work = &longWork_;
    options.report = [this](const QString& text) { showStatusMessage(text); };
    // A selection of its own (not the whole recording) limits the export when the user wants it so.
    const SpanResolution resolved = resolveSpan(windowSpanRequest(SpanSource::Selection, state_));
    const SampleSpan selection = resolved.span;
    if (resolved.ok() && selection.length() < state_.sampleCount &&
        boxes_.confirmYesNo(tr("Eksport"),
                            tr("Eksportować tylko zaznaczenie (%1 próbek)?").arg(selection.length()))) {
        options.from = selection.from;
        options.to = selection.to;
    }
    exportInterchangeWithDialog(this, state_, boxes_, *dialogs_, options);
}

void TForm1::Import1Click() {
    InterchangeDialogOptions options;
    options.progressBar = ui_->ProgressBar1;
    options.work = &longWork_;
    const QString ros = importWithDialog(this, state_, boxes_, *dialogs_, options);
    if (ros.isEmpty() || state_.samplingActive)
        return;
    state_.recordingPath = ros;
    loadRecording();
}

void TForm1::Opis1Click() {
    if (windows_.form6)
        windows_.form6->show();
}

void TForm1::Kalibracja1Click() {
    if (!windows_.form7)
        return;
    windows_.form7->exec();
    refreshOffset(state_.selectedChannel % kChannels, true);
}

void TForm1::SpeedButton80Click() {
    if (!windows_.form4)
        return;
    windows_.form4->exec();
    paintBackground();
    renderWaveform();
    updateStatusBar(); // the port name may have changed
    setShapeColour(ui_->Shape1, state_.cursor1Channel);
    setShapeColour(ui_->Shape2, state_.cursor2Channel);
}

void TForm1::SpeedButton73Click() {
    if (windows_.form5 && (state_.samplingActive || state_.sampleCount > 0))
        windows_.form5->showSpectrum(ui_->ProgressBar1);
}

void TForm1::watchRecordingOnDisplay() {
    if (setWatcher_ == nullptr) {
        setWatcher_ = new QFileSystemWatcher(this);
        setChangeTimer_ = new QTimer(this);
        setChangeTimer_->setSingleShot(true);
        setChangeTimer_->setInterval(kOutsideChangePauseMs);
        connect(setWatcher_, &QFileSystemWatcher::fileChanged, setChangeTimer_, qOverload<>(&QTimer::start));
        connect(setChangeTimer_, &QTimer::timeout, this, &TForm1::recordingChangedOutside);
    }
    if (!setWatcher_->files().isEmpty())
        setWatcher_->removePaths(setWatcher_->files());
    const QString ros = siblingPath(state_.recordingPath, QStringLiteral(".ros"));
    shownHeader_ = identityOf(ros);
    if (!state_.recordingPath.isEmpty() && shownHeader_.exists())
        setWatcher_->addPath(ros);
}

void TForm1::recordingChangedOutside() {
    // The window's own recording writes its header; a change made here reloads by itself.
    if (recordingActive() || state_.samplingActive || state_.recordingPath.isEmpty())
        return;
    const QString ros = siblingPath(state_.recordingPath, QStringLiteral(".ros"));
    const FileIdentity now = identityOf(ros);
    if (now == shownHeader_) {
        watchRecordingOnDisplay(); // a replaced header drops out of the watch
        return;
    }
    if (!now.exists()) { // deleted or renamed elsewhere: what is held open stays on display
        watchRecordingOnDisplay();
        return;
    }
    loadRecording();
}

void TForm1::recordingOnDisplayChanged() {
    watchRecordingOnDisplay();
    // Renamed or deleted: a build under the old names would leave its summaries there.
    startSummaryBuild();
    showFileName(state_.sampleCount < 0 ? QStringLiteral("...") : baseNameOf(state_.recordingPath));
    refreshDerivedChannels();
    refreshView();
    emit recordingChanged();
}

void TForm1::showFileName(const QString& baseName) {
    ui_->edFilename->setText(baseName);
    // setText leaves the cursor at the end, which scrolls a name longer than the field to its end.
    ui_->edFilename->setCursorPosition(0);
}

void TForm1::openRecording(const QString& rosPath) {
    state_.recordingPath = rosPath;
    loadRecording();
}

} // namespace varnilog
