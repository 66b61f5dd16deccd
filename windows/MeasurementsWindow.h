// MeasurementsWindow, "Pomiary parametrów": a non-modal tool window with the measurements of every channel
// of the recording on display over a chosen span (the view, the selection, between the cursors, the
// whole recording, between two markers). The main window tells it when the recording was (re)loaded or
// a channel changed (measured again) and when the view, the selection or the cursors moved (measured
// again when the span changed); long spans are measured on a worker with progress and "Anuluj". Copies
// the table as text and writes the per-period file. While sampling runs it measures the preview's
// frame instead, in its own refresh, at most once per acquisition tick.
#pragma once

#include "analysis/Measurements.h"
#include "analysis/SpanRequest.h"
#include "analysis/Trend.h"
#include "app/LongWork.h"
#include "app/SharedState.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QTimer;
namespace Ui {
class MeasurementsWindow;
}

namespace varnilog {

class MessageBoxes;
class StandardDialogs;

class MeasurementsWindow : public QWidget {
    Q_OBJECT
public:
    MeasurementsWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~MeasurementsWindow() override;

    // The save dialog of "Zapisz okresy…".
    void setDialogs(StandardDialogs* dialogs) { dialogs_ = dialogs; }
    // Shows the window (or raises it) and measures the chosen span.
    void FormShow();
    // The recording on display was (re)loaded, a channel was computed or removed, or sampling started
    // or stopped: the table is measured again even when its span looks the same.
    void recordingChanged();
    // The picture of the main window changed (view, selection, cursors, scales).
    void viewChanged();
    // The span "Między znacznikami" (from the marker selected in "Znaczniki" to the next one); empty
    // when there is none, which disables the choice.
    void setMarkerSpan(std::optional<SampleSpan> span);
    // The frame the preview shows while sampling: the kDisplayColumns codes of channel 0 (A) or 1 (B).
    using PreviewSource = std::function<const std::uint8_t*(int channel)>;
    void setPreviewSource(PreviewSource source) { preview_ = std::move(source); }

    SpanChoice spanChoice() const;
    // A saved setup's span (kept for after sampling when "Podgląd" is on show).
    void setSpanChoice(SpanChoice choice);
    // The span of the table on display.
    SampleSpan measuredSpan() const { return shown_.span; }
    const MeasureResult& result() const { return result_; }
    bool busy() const { return work_.busy(); }
    // The worker long spans are measured on.
    LongWork& longWork() { return work_; }
    // Spans of at least this many samples are measured on the worker (tests lower it).
    void setBackgroundFrom(std::int64_t samples) { backgroundFrom_ = samples; }
    // The table as text: a header line with the channels, then one line per measurement, tab-separated.
    QString tableText() const;
    // "Statystyka": beside each value of the chosen channel its min, max, mean, σ and count over the
    // preview's frames measured since Start (or "Wyczyść statystyki"), or over the span's intervals.
    bool statisticsShown() const;
    // The statistics of row (a field of kMeasurementFields) of channel, as the table shows them.
    TrendStatistics statisticsOf(int channel, std::size_t row) const;

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What a table was computed from: when any of it changes, the table is measured again.
    struct Inputs {
        QString recordingPath;
        std::int64_t sampleCount = 0;
        std::uint8_t channelCount = 0;
        std::array<std::uint8_t, kChannels> sensitivity{};
        float samplingPeriodMs = 0;
        SampleSpan span;
        std::int64_t statsInterval = 0; // samples per point of the statistics; 0: none
        bool operator==(const Inputs&) const = default;
    };
    struct Job;

    void retranslate();
    // The span line above the table: the samples measured, or that the user stopped the measurement.
    void showSpanText();
    // What the main window's news asks for, once per batch of news.
    void followMainWindow();
    // Sampling started or stopped: "Podgląd" takes the place of the other spans, and gives it back.
    void followSampling(bool sampling);
    // The live refresh: measures the preview's frame when it changed.
    void measurePreview();
    void zakresClick();
    void btKopiujClick();
    void btZapiszOkresyClick();
    void btAnulujClick();
    Inputs currentInputs() const;
    void measure(const Inputs& inputs, const QString& periodPath = {});
    void stopWorker();
    void showProgress(std::int64_t done, std::int64_t total);
    void workerDone(int serial);
    void showResult(const MeasureResult& result, const QString& periodError);
    void fillTable();
    void setBusy(bool busy);
    void statisticsToggled();
    void clearLiveStatistics();

    SharedState& state_;
    MessageBoxes& boxes_;
    StandardDialogs* dialogs_ = nullptr;
    std::unique_ptr<Ui::MeasurementsWindow> ui_;
    QTimer* follow_ = nullptr; // gathers the news of one pass of the event loop
    QTimer* live_ = nullptr;   // measures the preview while sampling
    PreviewSource preview_;
    std::array<std::array<std::uint8_t, kDisplayColumns>, 2> liveFrame_{}; // the frame measured last
    bool liveMeasured_ = false;                                            // liveFrame_ is on display
    bool sampling_ = false;                                                // showing "Podgląd"
    QAbstractButton* choiceBeforeSampling_ = nullptr; // checked again when sampling stops
    std::optional<SampleSpan> markerSpan_;
    bool reloaded_ = false; // news of a (re)loaded recording not yet measured
    bool placed_ = false;   // put beside the main window on its first showing
    Inputs shown_;
    bool haveResult_ = false;
    bool stoppedByUser_ = false; // "Anuluj" ended the last measurement
    MeasureResult result_;
    IntervalStatistics intervalStats_; // of the recording's table
    using FieldStatistics = std::array<RunningStatistics, kMeasurementFields.size()>;
    std::array<FieldStatistics, 2> liveStats_{}; // of the preview's frames, A and B
    std::int64_t backgroundFrom_ = std::int64_t{1} << 22;
    std::unique_ptr<Job> job_;
    int jobSerial_ = 0;
    LongWork work_; // after job_: a measurement still running ends before its job goes
};

} // namespace varnilog
