// TForm1, the "Wyzwalanie" tab: the triggered live preview fed by every tick, and "Następne" /
// "Poprzednie" (F3 / Shift+F3) in a recording when not sampling, a long search showing its progress.
#include "app/Program.h"

#include "analysis/ChannelLetters.h"
#include "analysis/EventSearch.h"
#include "analysis/LiveTrigger.h"
#include "analysis/SpanRequest.h"
#include "device/Acquisition.h"
#include "recording/RecordingFileSet.h"
#include "ui_Program.h"
#include "view/TriggerMarks.h"
#include "windows/LongWorkWindow.h"
#include "windows/TriggerTab.h"

#include <QDateTime>
#include <QFileInfo>
#include <QShortcut>

#include <cstring>

namespace varnilog {

void TForm1::connectTriggerHandlers() {
    liveTrigger_ = std::make_unique<LiveTrigger>();
    triggerTab_ = new TriggerTab;
    triggerTab_->setObjectName(QStringLiteral("TabSheet3"));
    ui_->PageControl1->addTab(triggerTab_, tr("Wyzwalanie"));
    // Beside the tab titles the trigger's state stays in sight on every tab.
    ui_->PageControl1->setCornerWidget(triggerTab_->statusBox(), Qt::TopRightCorner);
    connect(triggerTab_, &TriggerTab::settingsChanged, this, &TForm1::triggerSettingsChanged);
    connect(triggerTab_, &TriggerTab::armClicked, this, [this] { liveTrigger_->arm(); });
    connect(triggerTab_, &TriggerTab::nextClicked, this, [this] { findEvent(true); });
    connect(triggerTab_, &TriggerTab::previousClicked, this, [this] { findEvent(false); });
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
            [this] { findEvent(true); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
            [this] { findEvent(false); });
}

bool TForm1::liveTriggerOn() const {
    return triggerTab_ && triggerTab_->mode() != TriggerMode::Off;
}

namespace {

LiveTriggerSetup liveSetup(const TriggerTab& tab, const SharedState& state) {
    LiveTriggerSetup setup;
    setup.mode = tab.mode();
    setup.source = std::min(tab.source(), 1);
    setup.trigger =
        triggerSettingsOf(tab.spec(), state.channelSensitivity[static_cast<std::size_t>(setup.source)]);
    setup.column = preTriggerColumn(tab.preTriggerPercent());
    return setup;
}

} // namespace

void TForm1::triggerSettingsChanged() {
    triggerTab_->setSensitivity(state_.channelSensitivity[static_cast<std::size_t>(triggerTab_->source())]);
    if (recordingActive())
        liveTrigger_->configure(liveSetup(*triggerTab_, state_));
    if (!liveTriggerOn())
        triggerTab_->showOff();
}

void TForm1::startLiveTrigger() {
    triggerTab_->setSensitivity(state_.channelSensitivity[static_cast<std::size_t>(triggerTab_->source())]);
    liveTrigger_->start(liveSetup(*triggerTab_, state_));
    triggerTab_->showEvents(0);
}

void TForm1::triggerTick(const TickResult& tick) {
    if (tick.status != TickStatus::Received && tick.status != TickStatus::Waiting)
        return;
    const std::int64_t n = tick.status == TickStatus::Received ? tick.samples : 0;
    const LiveTrigger::Update u = liveTrigger_->feed(
        acquisition().tickSamples(0), acquisition().tickSamples(1), n, Acquisition::kTickIntervalMs);
    triggerTab_->showEvents(u.events);
    if (u.singleCaught)
        singleTriggerCaught(*u.singleCaught);
    if (!liveTriggerOn())
        return;
    triggerTab_->showState(u.state);
    if (!u.frameChanged || !ui_->chkPodglad->isChecked())
        return;
    for (std::size_t ch = 0; ch < 2; ++ch)
        std::memcpy(state_.channelData[ch].data(), liveTrigger_->frame()[ch].data(), kDisplayColumns);
    renderWaveform();
    drawTriggerMarks(liveTrigger_->frameColumn());
}

void TForm1::singleTriggerCaught(std::int64_t sample) {
    lastSingleTrigger_ = sample;
    // The caught event is found again later among the recording's markers.
    acquisition().addTriggerMark(sample);
}

void TForm1::drawTriggerMarks(int column) {
    const int source = triggerTab_->source();
    const std::uint8_t sensitivity = state_.channelSensitivity[static_cast<std::size_t>(source)];
    varnilog::drawTriggerMarks(state_.bmpScreen, triggerSettingsOf(triggerTab_->spec(), sensitivity).level,
                               column, state_.channelColor[static_cast<std::size_t>(source)]);
    FormPaint();
}

void TForm1::findEvent(bool forward) {
    if (recordingActive() || longWork_.busy() || state_.sampleCount <= 0 || state_.recordingPath.isEmpty())
        return;
    const int source = triggerTab_->source();
    const QString samplePath =
        siblingPath(state_.recordingPath,
                    QString::fromLatin1(kRecordingSampleExtensions[static_cast<std::size_t>(source)]));
    const QFileInfo info(samplePath);
    if (!info.isFile()) {
        showStatusMessage(tr("Brak kanału %1").arg(channelLetter(source)));
        return;
    }
    const std::uint8_t sensitivity = state_.channelSensitivity[static_cast<std::size_t>(source)];
    // The same file, unchanged, and the same trigger: the kept search and its checkpoints still hold.
    const EventSearchKey key{samplePath, info.size(), info.lastModified().toMSecsSinceEpoch(),
                             triggerTab_->spec(), sensitivity};
    if (!eventSearch_ || key != eventSearchKey_) {
        // The search runs over the whole channel file (the span of the tab's searches).
        SpanRequest span;
        span.sampleCount = info.size();
        const SampleSpan whole = resolveSpan(span).span;
        eventSearch_ = std::make_unique<EventSearch>(samplePath, triggerSettingsOf(key.spec, sensitivity),
                                                     whole.from, whole.to);
        eventSearchKey_ = key;
        lastFoundEvent_.reset();
        if (QString error; !eventSearch_->open(error)) {
            eventSearch_.reset();
            showStatusMessage(error);
            return;
        }
    }
    const int column = preTriggerColumn(triggerTab_->preTriggerPercent());
    const std::int64_t zoom = std::max<std::int32_t>(state_.zoomDivisor, 1);
    std::int64_t from = state_.viewStart + column * zoom;
    // A view kept at the recording's start or end does not put the event at the column: go on from it.
    if (lastFoundEvent_ && state_.viewStart == lastFoundViewStart_)
        from = *lastFoundEvent_;
    EventSearch::Found found;
    EventSearch& search = *eventSearch_;
    const bool completed = runWithProgress(
        longWork_, this, tr("Szukanie zdarzenia…"), ui_->ProgressBar1, [&](const WorkProgress& progress) {
            found = forward ? search.next(from, progress) : search.previous(from, progress);
            return found.outcome == EventSearch::Outcome::Done;
        });
    if (!completed) {
        if (found.outcome == EventSearch::Outcome::ReadFailed)
            showStatusMessage(tr("Błąd odczytu pliku %1").arg(samplePath));
        return;
    }
    if (!found.event) {
        showStatusMessage(forward ? tr("Brak następnego zdarzenia") : tr("Brak poprzedniego zdarzenia"));
        return;
    }
    const std::int64_t k = found.event->sample;
    state_.viewStart = std::max<std::int64_t>(0, k - column * zoom);
    refreshView();
    lastFoundEvent_ = k;
    lastFoundViewStart_ = state_.viewStart;
    drawTriggerMarks(static_cast<int>((k - state_.viewStart) / zoom));
}

} // namespace varnilog
