// TForm1: "Trend pomiaru" in the file menu opens the trend window of the recording on display; its
// clicks centre the view, its runs beyond the limits become markers.
#include "app/Program.h"
#include "ui_Program.h"
#include "view/RecordingMarkers.h"
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
    }
    trendWindow_->setDialogs(dialogs_);
    trendWindow_->FormShow();
}

} // namespace varnilog
