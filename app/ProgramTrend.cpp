// TForm1: "Trend pomiaru" in the file menu opens the trend window of the recording on display; its
// clicks centre the view, its runs beyond the limits become markers.
#include "analysis/LiveTrigger.h"
#include "app/Program.h"
#include "device/Acquisition.h"
#include "ui_Program.h"
#include "view/RecordingMarkers.h"
#include "windows/LiveTriggerControl.h"
#include "windows/TrendWindow.h"

#include <QAction>

namespace varnilog {

void TForm1::connectTrendHandlers() {
    trendAction_ = new QAction(tr("Trend pomiaru…"), this);
    QAction* open = trendAction_;
    open->setObjectName(QStringLiteral("Trend1"));
    ui_->Plik1->insertAction(ui_->Koniec1, open);
    connect(open, &QAction::triggered, this, &TForm1::showTrendWindow);
}

void TForm1::showTrendWindow() {
    if (trendWindow_ == nullptr) {
        trendWindow_ = new TrendWindow(state_, boxes_, this);
        connect(this, &TForm1::recordingChanged, trendWindow_, &TrendWindow::recordingChanged);
        connect(trendWindow_, &TrendWindow::centreRequested, this, &TForm1::centreViewOn);
        connect(trendWindow_, &TrendWindow::markRequested, this, [this](const std::vector<Marker>& added) {
            if (markersChanged([&](CoreError& error) {
                    return markers_->change(
                        state_.recordingPath,
                        [&](std::vector<Marker>& list) {
                            list.insert(list.end(), added.begin(), added.end());
                        },
                        error);
                }))
                showStatusMessage(tr("Dodano znaczników: %1").arg(added.size()));
        });
        // The preview's frame, as the measurements window measures it; runs beyond a limit go into the
        // recording's markers as they end.
        trendWindow_->setPreviewSource(
            [this](int channel) {
                const auto ch = static_cast<std::size_t>(channel);
                return liveTrigger_->on() ? liveTrigger_->frame()[ch].data() : state_.channelData[ch].data();
            },
            [this] { return acquisition().previewStart(); });
        connect(trendWindow_, &TrendWindow::liveViolation, this, [this](const Marker& m, std::int64_t count) {
            if (acquisition().addMarker(m))
                showStatusMessage(tr("Przekroczenia granic: %1").arg(count));
        });
    }
    trendWindow_->setDialogs(dialogs_);
    trendWindow_->FormShow();
}

} // namespace varnilog
