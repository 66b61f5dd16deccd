// XyWindow, "XY": a non-modal tool window with the density of two channels of the recording on
// display, one against the other, over a chosen span (the view, the selection, between the cursors,
// between two markers, the whole recording), drawn as the XY picture. Long spans are counted on a
// worker with progress and "Anuluj". While sampling it shows the preview's frames of A and B instead,
// with a fading persistence: before each new frame every count keeps the chosen part of itself.
// Saves the picture (PNG, SVG) or the cells (CSV).
#pragma once

#include "analysis/SpanRequest.h"
#include "analysis/XyDensity.h"
#include "app/LongWork.h"
#include "app/SharedState.h"
#include "view/XyPicture.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace varnilog {

class MessageBoxes;
class StandardDialogs;

class XyWindow : public QWidget {
    Q_OBJECT
public:
    XyWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~XyWindow() override;

    void setDialogs(StandardDialogs* dialogs) { dialogs_ = dialogs; }
    // Shows the window (or raises it) and counts the chosen span.
    void FormShow();
    // The recording on display was (re)loaded or changed, or sampling started or stopped.
    void recordingChanged();
    // The view, the selection or the cursors moved.
    void viewChanged();
    // The span "Między znacznikami"; empty when there is none.
    void setMarkerSpan(std::optional<SampleSpan> span);
    // The preview's frame while sampling: the kDisplayColumns codes of channel 0 (A) or 1 (B).
    using PreviewSource = std::function<const std::uint8_t*(int channel)>;
    void setPreviewSource(PreviewSource source) { preview_ = std::move(source); }

    // The density on display (of the recording; empty while sampling) and its span.
    const XyDensity& density() const { return density_; }
    SampleSpan shownSpan() const { return shown_.span; }
    // The counts drawn (the recording's, or the fading ones of the preview).
    const std::vector<float>& cells() const { return cells_; }
    bool busy() const { return work_.busy(); }
    LongWork& longWork() { return work_; }
    void setBackgroundFrom(std::int64_t samples) { backgroundFrom_ = samples; }
    // Writes the picture (.png, .svg) or the cells (.csv) by path's extension; false with error set.
    bool saveTo(const QString& path, QString& error) const;
    // One live refresh: the preview's frame (when it changed) added to the fading counts.
    void addPreviewFrame();

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Inputs {
        QString recordingPath;
        std::int64_t sampleCount = 0;
        int x = 0, y = 1;
        std::array<std::uint8_t, kChannels> sensitivity{};
        SampleSpan span;
        bool operator==(const Inputs&) const = default;
    };
    struct Job;

    void retranslate();
    void followMainWindow();
    Inputs currentInputs() const;
    void count(const Inputs& inputs);
    void workerDone(int serial);
    void showDensity(const XyDensity& density);
    XyPictureContent content() const;
    void drawPicture();
    void saveClick();
    void setBusy(bool busy);

    SharedState& state_;
    MessageBoxes& boxes_;
    StandardDialogs* dialogs_ = nullptr;
    QComboBox* x_;
    QComboBox* y_;
    QComboBox* span_;
    QLabel* spanLabel_;
    QLabel* decayLabel_;
    QDoubleSpinBox* decay_;
    QPushButton* save_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* picture_;
    QTimer* follow_;
    QTimer* live_;
    PreviewSource preview_;
    std::array<std::array<std::uint8_t, kDisplayColumns>, 2> liveFrame_{};
    bool sampling_ = false;
    bool reloaded_ = true;
    std::optional<SampleSpan> markerSpan_;
    Inputs shown_;
    XyDensity density_;
    std::vector<float> cells_ = std::vector<float>(kXyCells);
    float peak_ = 0;
    std::int64_t backgroundFrom_ = std::int64_t{1} << 22;
    std::unique_ptr<Job> job_;
    int jobSerial_ = 0;
    LongWork work_; // after job_: a count still running ends before its job goes
};

} // namespace varnilog
