// TForm1, markers: the mark button and key M while recording, saving the recording's marks, the
// markers of a loaded recording (flags, hover text, "." and "," to jump, right-click to add).
#include "app/Program.h"

#include "analysis/SpanRequest.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "recording/MarkerFile.h"
#include "ui_Program.h"
#include "view/Cursors.h"
#include "view/ElapsedTime.h"
#include "view/MarkerFlags.h"
#include "view/ViewWindow.h"
#include "windows/MarkersWindow.h"

#include <QMenu>
#include <QShortcut>
#include <QToolTip>

#include <algorithm>

namespace varnilog {

void TForm1::connectMarkerHandlers() {
    connect(ui_->btMark, &QAbstractButton::clicked, this, &TForm1::btMarkClick);
    const auto key = [this](Qt::Key k, auto handler) {
        auto* shortcut = new QShortcut(QKeySequence(k), this);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    key(Qt::Key_M, &TForm1::btMarkClick);
    key(Qt::Key_Period, [this] { jumpToMarker(true); });
    key(Qt::Key_Comma, [this] { jumpToMarker(false); });
    markerMenu_ = new QMenu(this);
    QAction* point = markerMenu_->addAction(tr("Dodaj znacznik"));
    point->setObjectName(QStringLiteral("actAddMarker"));
    connect(point, &QAction::triggered, this, [this] { addMarkerAtColumn(markerMenuColumn_); });
    QAction* range = markerMenu_->addAction(tr("Dodaj zakres"));
    range->setObjectName(QStringLiteral("actAddRange"));
    connect(range, &QAction::triggered, this, &TForm1::addRangeFromSelection);
    ui_->imgDisplay->setMouseTracking(true);
    connectMarkersWindow();
    connectSpectrogramWindow();
}

void TForm1::connectMarkersWindow() {
    markersWindow_ = new MarkersWindow(this);
    markersAction_ = new QAction(tr("Znaczniki"), this);
    QAction* open = markersAction_;
    open->setObjectName(QStringLiteral("Znaczniki1"));
    ui_->Plik1->insertAction(ui_->Koniec1, open);
    connect(open, &QAction::triggered, this, [this] {
        markersWindow_->setMarkers(markers_->list(), state_.samplingPeriodMs);
        markersWindow_->show();
        markersWindow_->raise();
    });
    connect(markersWindow_, &MarkersWindow::centreRequested, this, &TForm1::centreViewOn);
    connect(markersWindow_, &MarkersWindow::selectionChanged, this, &TForm1::showMarkerSpan);
    connect(markersWindow_, &MarkersWindow::spanRequested, this, [this](std::int64_t from, std::int64_t to) {
        const ViewPlacement p = spanPlacement(from, to, state_.zoomDivisor);
        state_.viewStart = p.viewStart;
        state_.zoomDivisor = p.zoomDivisor;
        refreshView();
        // Highlighted as a dragged selection is: only then do the export, "Dodaj zakres" and the
        // measurements take it.
        state_.selectionStart = static_cast<std::int32_t>(from - state_.viewStart);
        state_.selectionEnd = static_cast<std::int32_t>(to - state_.viewStart);
        drawSelection(state_, *view_);
        FormPaint();
    });
    connect(markersWindow_, &MarkersWindow::labelEdited, this, [this](int index, const QString& label) {
        markersChanged(
            [&](CoreError& error) { return markers_->setLabel(state_.recordingPath, index, label, error); });
    });
    connect(markersWindow_, &MarkersWindow::removeRequested, this, [this](int index) {
        markersChanged(
            [&](CoreError& error) { return markers_->remove(state_.recordingPath, index, error); });
    });
}

void TForm1::centreViewOn(std::int64_t sample) {
    state_.viewStart = centredViewStart(sample, std::max(1, state_.zoomDivisor), kDisplayColumns);
    refreshView();
}

void TForm1::btMarkClick() {
    if (!recordingActive())
        return;
    // The mark goes into the file seconds later: say at once that it was taken.
    if (acquisition().addMark())
        showStatusMessage(tr("Dodano znacznik %1").arg(acquisition().marks().back().label));
    else
        showStatusMessage(tr("Nie dodano znacznika: zbyt wiele czeka na zapis"));
}

void TForm1::saveLiveMarkers() {
    if (CoreError error; !acquisition().saveMarksIfDue(error))
        showStatusMessage(coreMessage(error));
}

void TForm1::loadMarkers() {
    markers_->load(state_.recordingPath);
    showLoadedMarkers();
}

void TForm1::showLoadedMarkers() {
    if (markersWindow_ != nullptr)
        markersWindow_->setMarkers(markers_->list(), state_.samplingPeriodMs);
    showMarkerSpan();
    if (markers_->damagedLines() > 0)
        showStatusMessage(
            tr("Plik znaczników jest uszkodzony: pominięto wierszy: %1").arg(markers_->damagedLines()));
}

bool TForm1::markersChanged(const std::function<bool(CoreError&)>& change) {
    if (CoreError error; !change(error)) {
        boxes_.showErrorBox(coreMessage(error));
        return false;
    }
    showLoadedMarkers();
    drawOverlays(ui_->CheckBox1->isChecked());
    return true;
}

void TForm1::imgDisplayContextMenu(QPoint p) {
    if (recordingActive() || state_.sampleCount <= 0)
        return;
    markerMenuColumn_ = std::clamp(p.x(), 0, kDisplayColumns - 1);
    markerMenu_->actions().at(1)->setEnabled(
        resolveSpan(windowSpanRequest(SpanSource::Selection, state_)).ok());
    markerMenu_->popup(ui_->imgDisplay->mapToGlobal(p));
}

void TForm1::addMarkerAtColumn(int column) {
    const std::int64_t sample =
        state_.viewStart + static_cast<std::int64_t>(column) * std::max(1, state_.zoomDivisor);
    if (sample >= state_.sampleCount)
        return;
    markersChanged([&](CoreError& error) { return markers_->addPoint(state_.recordingPath, sample, error); });
}

void TForm1::addRangeFromSelection() {
    // The redraw after the change takes the highlight, and with it the selection, away.
    const SpanResolution selection = resolveSpan(windowSpanRequest(SpanSource::Selection, state_));
    if (!selection.ok())
        return;
    markersChanged([&](CoreError& error) {
        return markers_->addRange(state_.recordingPath, selection.span.from, selection.span.to, error);
    });
}

void TForm1::jumpToMarker(bool forward) {
    if (recordingActive())
        return;
    const std::int32_t zoom = std::max(1, state_.zoomDivisor);
    const int index =
        neighbourMarker(markers_->list(), state_.viewStart + kDisplayColumns / 2 * zoom, forward);
    if (index < 0)
        return;
    centreViewOn(markers_->list()[static_cast<std::size_t>(index)].start);
}

void TForm1::showMarkerAt(QPoint p) {
    const int index = markerAtColumn(markers_->list(), state_.viewStart, state_.zoomDivisor, p.x());
    if (index < 0) {
        QToolTip::hideText();
        return;
    }
    const Marker& m = markers_->list()[static_cast<std::size_t>(index)];
    QToolTip::showText(
        ui_->imgDisplay->mapToGlobal(p),
        QStringLiteral("%1 %2\n%3")
            .arg(sampleTimeText(m.start, state_.samplingPeriodMs), markerKindTitle(m.kind), m.label),
        ui_->imgDisplay);
}

} // namespace varnilog
