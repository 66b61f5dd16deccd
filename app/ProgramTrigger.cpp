// TForm1, the "Wyzwalanie" tab: the triggered live preview fed by every tick, and "Następne" /
// "Poprzednie" (F3 / Shift+F3) in a recording when not sampling, a long search showing its progress.
#include "app/Program.h"

#include "analysis/ChannelLetters.h"
#include "analysis/EventFinder.h"
#include "ui_Program.h"
#include "view/TriggerOverlay.h"
#include "windows/LiveTriggerControl.h"
#include "windows/LongWorkWindow.h"
#include "windows/TriggerTab.h"

#include <QPainter>
#include <QShortcut>

#include <cstring>

namespace varnilog {

void TForm1::connectTriggerHandlers() {
    triggerTab_ = new TriggerTab;
    liveTrigger_ = std::make_unique<LiveTriggerControl>(*triggerTab_);
    triggerTab_->setObjectName(QStringLiteral("TabSheet3"));
    ui_->PageControl1->addTab(triggerTab_, tr("Wyzwalanie"));
    // Beside the tab titles the trigger's state stays in sight on every tab.
    ui_->PageControl1->setCornerWidget(triggerTab_->statusBox(), Qt::TopRightCorner);
    connect(triggerTab_, &TriggerTab::settingsChanged, this, [this] {
        liveTrigger_->settingsChanged(state_, recordingActive());
        // The level's line moves at once, not with the next frame (which may be far off).
        if (state_.samplingActive && ui_->chkPodglad->isChecked())
            redrawTriggerPicture();
    });
    connect(triggerTab_, &TriggerTab::armClicked, this, [this] { liveTrigger_->arm(); });
    connect(triggerTab_, &TriggerTab::nextClicked, this, [this] { findEvent(true); });
    connect(triggerTab_, &TriggerTab::previousClicked, this, [this] { findEvent(false); });
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
            [this] { findEvent(true); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
            [this] { findEvent(false); });
}

void TForm1::redrawTriggerPicture() {
    if (!liveTrigger_->on())
        return;
    if (triggerFrameShown_)
        showTriggerFrame(liveTrigger_->frame(), triggerColumn_);
    else if (triggerTab_->mode() != TriggerMode::Auto)
        showTriggerWaiting();
}

void TForm1::showTriggerWaiting() {
    // No event yet: the picture stays empty rather than showing the recording opened before.
    const std::array<bool, kChannels> visible = state_.channelVisible;
    state_.channelVisible.fill(false);
    renderWaveform();
    state_.channelVisible = visible;
    {
        QPainter p(&view_->bmpScreen);
        p.setPen(QColor(Qt::lightGray));
        p.drawText(QRect(0, 0, kDisplayColumns, kDisplayRows), Qt::AlignCenter, tr("Czeka na zdarzenie"));
    }
    drawTriggerOverlay(preTriggerColumn(triggerTab_->preTriggerPercent()));
}

bool TForm1::grabTriggerLevel(QPoint p) {
    // Only where the line is on show: the live picture of a running trigger.
    if (!state_.samplingActive || !liveTrigger_->on() || !ui_->chkPodglad->isChecked())
        return false;
    draggingLevel_ = nearTriggerLevel(p.y(), triggerLevelRow(liveTrigger_->levelCode(state_)));
    return draggingLevel_;
}

void TForm1::dragTriggerLevel(QPoint p) {
    const auto source = static_cast<std::size_t>(triggerTab_->source());
    triggerTab_->setLevel(triggerLevelAtRow(p.y(), state_.channelSensitivity[source]));
}

void TForm1::showTriggerFrame(const LiveTrigger::Frame& frame, int column) {
    triggerFrameShown_ = true;
    triggerColumn_ = column;
    shownFrameStart_ = liveTrigger_->frameStart();
    // A frame is one sample a column, whatever the live zoom of the rolling picture.
    shownFrameZoom_ = 1;
    state_.zoomDivisor = 1;
    state_.viewStart = std::max<std::int64_t>(0, *shownFrameStart_);
    for (std::size_t ch = 0; ch < 2; ++ch)
        std::memcpy(state_.channelData[ch].data(), frame[ch].data(), kDisplayColumns);
    renderWaveform();
    drawTimeAxis();
    drawTriggerOverlay(column);
}

void TForm1::drawTriggerOverlay(int column) {
    varnilog::drawTriggerOverlay(view_->bmpScreen, liveTrigger_->levelCode(state_), column,
                                 state_.channelColor[static_cast<std::size_t>(triggerTab_->source())]);
    FormPaint();
}

void TForm1::findEvent(bool forward) {
    if (recordingActive() || longWork_.busy() || state_.sampleCount <= 0 || state_.recordingPath.isEmpty())
        return;
    const TriggerSpec triggerSpec = triggerTab_->triggerSpec();
    const EventFinder::Prepared prepared =
        eventFinder_->prepare(state_.recordingPath, triggerSpec,
                              state_.channelSensitivity[static_cast<std::size_t>(triggerSpec.source)]);
    if (prepared.status == EventFinder::Status::NoChannel) {
        showStatusMessage(tr("Brak kanału %1").arg(channelLetter(triggerSpec.source)));
        return;
    }
    if (prepared.status == EventFinder::Status::OpenFailed) {
        showStatusMessage(coreMessage(prepared.error));
        return;
    }
    const int column = preTriggerColumn(triggerTab_->preTriggerPercent());
    const std::int64_t zoom = std::max<std::int32_t>(state_.zoomDivisor, 1);
    const std::int64_t from = eventFinder_->stepStart(state_.viewStart, column, zoom);
    EventSearch::Found found;
    EventFinder& finder = *eventFinder_;
    const bool completed = runWithProgress(longWork_, this, tr("Szukanie zdarzenia…"), ui_->ProgressBar1,
                                           [&](const WorkProgress& progress) {
                                               found = finder.step(forward, from, progress);
                                               return found.outcome == EventSearch::Outcome::Done;
                                           });
    if (!completed) {
        if (found.outcome == EventSearch::Outcome::ReadFailed)
            showStatusMessage(tr("Błąd odczytu pliku %1").arg(prepared.samplePath));
        return;
    }
    if (!found.event) {
        showStatusMessage(forward ? tr("Brak następnego zdarzenia") : tr("Brak poprzedniego zdarzenia"));
        return;
    }
    const std::int64_t k = found.event->sample;
    state_.viewStart = EventFinder::viewStartFor(k, column, zoom);
    refreshView();
    eventFinder_->shown(k, state_.viewStart);
    drawTriggerOverlay(static_cast<int>((k - state_.viewStart) / zoom));
}

} // namespace varnilog
