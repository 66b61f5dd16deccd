// TrendWindow, "Trend pomiaru": one measurement of one channel of the recording on display over the
// whole recording, per interval (samples, or a time rounded to whole samples) or per period, drawn
// against the time axis (a min/max envelope where points outnumber the columns), with its statistics
// and the lines of the typed limits. Computed on the long-work worker with progress and "Anuluj". A
// click on the trend asks the main window to centre its view there; "Oznacz przekroczenia" asks it to
// add the runs beyond the limits to the markers. Exports the points as CSV and the picture as PNG.
// While sampling it is a strip chart of the measurement per preview frame (analysis/LiveTrend: a fixed
// number of columns for the whole recording), refreshed once per tick outside it; each run beyond a
// limit becomes a marker of the recording as it ends.
#pragma once

#include "analysis/LiveTrend.h"
#include "analysis/Trend.h"
#include "app/LongWork.h"
#include "app/SharedState.h"
#include "recording/MarkerFile.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QPainter;
class QSpinBox;
class QTimer;

namespace varnilog {

class MessageBoxes;
class StandardDialogs;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    TrendWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TrendWindow() override;

    void setDialogs(StandardDialogs* dialogs) { dialogs_ = dialogs; }
    // Shows (or raises) the window with the channels of the recording on display.
    void FormShow();
    // The recording on display was (re)loaded or changed: the trend shown is dropped.
    void recordingChanged();

    // The request the controls describe for the recording on display; empty when they describe none
    // (no channel, an interval under 2 samples).
    std::optional<TrendRequest> request() const;
    // Starts computing the trend the controls describe ("Oblicz").
    void compute();
    bool busy() const { return work_.busy(); }
    LongWork& longWork() { return work_; }
    const std::vector<TrendPoint>& points() const { return points_; }
    const TrendStatistics& statistics() const { return stats_; }
    const std::vector<TrendViolation>& violations() const { return violations_; }
    // The limits typed; false when one is typed that is no number.
    bool limits(TrendLimits& limits) const;
    // The trend's picture at size, as the window draws it.
    QImage picture(QSize size) const;
    // The sample at column x of a picture width wide, or empty where no trend is drawn.
    std::optional<std::int64_t> sampleAt(int x, int width) const;
    // The points as the command line's --csv prints them.
    QByteArray csvText() const;

    // The preview's frame while sampling: the kDisplayColumns codes of channel 0 (A) or 1 (B), and
    // the recording's sample in its first column (below 0 while there is none).
    using PreviewSource = std::function<const std::uint8_t*(int channel)>;
    void setPreviewSource(PreviewSource source, std::function<std::int64_t()> firstSample) {
        preview_ = std::move(source);
        previewStart_ = std::move(firstSample);
    }
    // The strip chart of the frames measured since Start.
    const LiveTrend& liveTrend() const { return live_; }
    bool liveShown() const { return liveShown_; }
    // One refresh of the strip chart (its timer calls it once per tick while sampling).
    void measurePreview();

signals:
    void centreRequested(std::int64_t sample);
    void markRequested(const std::vector<Marker>& markers);
    // A run beyond a limit ended while sampling: the marker for the recording, and how many so far.
    void liveViolation(const Marker& marker, std::int64_t count);

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // Enter computes, as "Oblicz" does

private:
    class Plot;
    struct Shown {
        std::size_t measure = 0;
        std::int64_t sampleCount = 0;
    };

    void retranslate();
    void fillChannels();
    void modeChanged();
    void workerDone(bool completed);
    void updateLimits();
    void showStatistics();
    void exportCsv();
    void exportPng();
    void markViolations();
    // Sampling started or stopped: the strip chart takes the place of the trend, and gives it back.
    void followSampling();
    void liveRuns(int closed);
    void drawLive(QPainter& p, const QRect& area) const;

    SharedState& state_;
    MessageBoxes& boxes_;
    StandardDialogs* dialogs_ = nullptr;
    LongWork work_;
    QComboBox* channel_ = nullptr;
    QComboBox* measure_ = nullptr;
    QComboBox* mode_ = nullptr;
    QSpinBox* samples_ = nullptr;
    QComboBox* time_ = nullptr;
    QLineEdit* above_ = nullptr;
    QLineEdit* below_ = nullptr;
    QPushButton* compute_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* mark_ = nullptr;
    QPushButton* csv_ = nullptr;
    QPushButton* png_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* statsText_ = nullptr;
    QLabel* limitsLabel_ = nullptr;
    QLabel* intervalLabel_ = nullptr;
    Plot* plot_ = nullptr;

    std::shared_ptr<TrendResult> job_; // written by the worker while it runs
    std::vector<TrendPoint> points_;
    TrendStatistics stats_;
    std::vector<TrendViolation> violations_;
    TrendLimits shownLimits_;
    Shown shown_;

    PreviewSource preview_;
    std::function<std::int64_t()> previewStart_;
    QTimer* liveTimer_ = nullptr;
    LiveTrend live_;
    std::array<std::uint8_t, kDisplayColumns> liveFrame_{}; // the frame measured last
    std::int64_t liveFrameStart_ = -1;
    bool liveShown_ = false;
};

} // namespace varnilog
