// TForm1: "XY" in the file menu opens the XY window of the recording on display; the "Poświata" tab
// draws the persistence over every picture of the view and overlays every trigger event of the
// recording ("Nałóż zdarzenia") with progress and "Anuluj"; the "Wzorce" tab keeps R1..R4.
#include "app/Program.h"

#include "analysis/ChannelLetters.h"
#include "analysis/EventOverlay.h"
#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "recording/RecordingFileSet.h"
#include "ui_Program.h"
#include "view/PersistencePicture.h"
#include "view/TriggerOverlay.h"
#include "view/ViewBuffers.h"
#include "view/WaveformRenderer.h"
#include "windows/LiveTriggerControl.h"
#include "windows/LongWorkWindow.h"
#include "windows/MarkersWindow.h"
#include "windows/PersistenceTab.h"
#include "windows/ReferenceTab.h"
#include "windows/TriggerTab.h"
#include "windows/XyWindow.h"

namespace varnilog {

void TForm1::connectXyHandlers() {
    persistenceTab_ = new PersistenceTab;
    persistenceTab_->setObjectName(QStringLiteral("TabSheet4"));
    ui_->PageControl1->addTab(persistenceTab_, tr("Poświata"));
    connect(persistenceTab_, &PersistenceTab::redrawNeeded, this, [this] {
        if (!recordingActive())
            renderWaveform();
    });
    connect(persistenceTab_, &PersistenceTab::overlayClicked, this, &TForm1::overlayEventsClick);
    referenceTab_ = new ReferenceTab(state_, *view_, configurationPath_);
    referenceTab_->setObjectName(QStringLiteral("TabSheet5"));
    ui_->PageControl1->addTab(referenceTab_, tr("Wzorce"));
    connect(referenceTab_, &ReferenceTab::redrawNeeded, this, [this] {
        if (!recordingActive())
            renderWaveform();
    });
    connect(referenceTab_, &ReferenceTab::comparisonFailed, this, &TForm1::showStatusMessage);
    connect(referenceTab_, &ReferenceTab::saveFailed, this,
            [this](const QString& path) { showStatusMessage(tr("Nie można zapisać pliku: %1").arg(path)); });
    xyAction_ = new QAction(tr("XY"), this);
    xyAction_->setObjectName(QStringLiteral("XY1"));
    ui_->Plik1->insertAction(ui_->Koniec1, xyAction_);
    connect(xyAction_, &QAction::triggered, this, &TForm1::showXyWindow);
}

void TForm1::showXyWindow() {
    if (xyWindow_ == nullptr) {
        xyWindow_ = new XyWindow(state_, boxes_, this);
        connect(this, &TForm1::recordingChanged, xyWindow_, &XyWindow::recordingChanged);
        connect(this, &TForm1::screenChanged, xyWindow_, &XyWindow::viewChanged);
        xyWindow_->setPreviewSource([this](int channel) {
            const auto ch = static_cast<std::size_t>(channel);
            return liveTrigger_->on() ? liveTrigger_->frame()[ch].data() : livePreviewFrame(channel);
        });
        showMarkerSpan();
    }
    xyWindow_->setDialogs(dialogs_);
    xyWindow_->FormShow();
}

void TForm1::overlayEventsClick() {
    if (recordingActive() || longWork_.busy() || state_.sampleCount <= 0 || state_.recordingPath.isEmpty())
        return;
    const TriggerSpec condition = triggerTab_->triggerSpec();
    const auto source = static_cast<std::size_t>(condition.source);
    OverlayRequest request;
    request.triggerFile = sampleFilePath(state_.recordingPath, condition.source);
    if (!identityOf(request.triggerFile).regular) {
        showStatusMessage(tr("Brak kanału %1").arg(channelLetter(condition.source)));
        return;
    }
    request.trigger = triggerSettingsOf(condition, state_.channelSensitivity[source]);
    request.column = preTriggerColumn(triggerTab_->preTriggerPercent());
    for (int c = 0; c < kChannels; ++c)
        if (const QString path = sampleFilePath(state_.recordingPath, c);
            state_.channelVisible[static_cast<std::size_t>(c)] && identityOf(path).regular)
            request.sampleFiles[static_cast<std::size_t>(c)] = path;
    std::array<Persistence, kChannels>& layers = persistenceTab_->layers();
    OverlayResult result;
    const bool completed = runWithProgress(longWork_, this, tr("Nakładanie zdarzeń…"), ui_->ProgressBar1,
                                           [&](const WorkProgress& progress) {
                                               result = overlayEvents(request, layers, progress);
                                               return result.ok;
                                           });
    if (!completed && !result.cancelled && result.error.failed())
        boxes_.showErrorBox(coreMessage(result.error));
    if (!completed)
        return;
    // The picture of the overlay: background, grid and overlays of the view without its traces.
    const auto visible = state_.channelVisible;
    state_.channelVisible.fill(false);
    varnilog::renderWaveform(state_, *view_);
    state_.channelVisible = visible;
    for (std::size_t c = 0; c < kChannels; ++c)
        drawPersistence(view_->bmpScreen, layers[c].counts(), layers[c].peak(), state_.channelColor[c]);
    varnilog::drawTriggerOverlay(view_->bmpScreen, request.trigger.level, request.column,
                                 state_.channelColor[source]);
    showStatusMessage(tr("Nałożone zdarzenia: %1").arg(result.events));
    FormPaint();
}

} // namespace varnilog
