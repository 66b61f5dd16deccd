// TForm5 (unit Unit5), caption "FFT": the spectra of the recording on display in dB over frequency,
// zoom x10 with scrolling, channel choice, per-channel scaling and a mouse readout. Created once; the
// controls keep their states between openings, the spectra are recomputed at every opening.
#pragma once

#include "app/LongWork.h"
#include "app/SharedState.h"
#include "spectrum/LiveSpectrum.h"
#include "spectrum/RecordingSpectra.h"
#include "spectrum/SpectrumData.h"
#include "spectrum/SpectrumPlot.h"

#include <QDialog>
#include <QImage>
#include <QRect>

#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace Ui {
class TForm5;
}

namespace varnilog {

class MessageBoxes;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(SharedState& state, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~TForm5() override;

    // SpeedButton73: computes the spectra of the recording on display on a worker (progress on
    // progressBar, the main window's ProgressBar1, may be null, and in a small window with "Anuluj"),
    // then opens the window modally. Nothing is shown when the recording has no samples or the
    // computation is cancelled.
    void showSpectrum(QProgressBar* progressBar = nullptr);

    // While sampling the window is not modal and shows the live spectrum of the newest samples, with
    // its own row of controls; it keeps the last live picture after the stop until the next opening.
    // A recording began (the window open or not) and ended.
    void startLive();
    void stopLive();
    // The acquisition tick's new samples of A and B: copied, the spectrum computed on a worker.
    void liveSamples(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count);
    bool showsLive() const { return live_; }
    LiveSpectrum& liveSpectrum() { return *liveSpectrum_; }
    const LiveSpectrumResult& liveResult() const { return liveResult_; }
    QString peakText() const;
    // "Zapamiętaj widmo": the live spectrum on show becomes the reference drawn beside it.
    void rememberReference();

    // Computes the spectra and draws everything (runs before the window appears); false when the
    // computation was cancelled (the spectra of before are kept).
    bool FormShow();
    // The worker the spectra are computed on.
    LongWork& longWork() { return work_; }
    void DrawSpectrum();

    // The main window's background bitmap, which the plot is drawn on; null (or a null image): the
    // plain first background colour.
    void setPlotBackground(const QImage* background) { background_ = background; }

    const SpectrumData& spectra() const { return *data_; }
    const QImage& plotImage() const { return plot_; }

    // Window state kept between openings.
    bool spectrumZoom = false;
    int spectrumStart = 0; // first display point drawn

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitChannelsLabel();
    void fitLevelsLabel();
    void CheckBox1Click();
    void imgFFTMouseMove(QPoint position);
    void Panel1MouseMove();
    SpectrumView currentView() const;
    double divisor() const;
    void drawFrequencyAxis(int a);
    void makeLivePanel();
    void retranslateLive();
    void setLiveLayout(bool live);
    LiveSpectrumSettings liveSettings() const;
    void liveUpdated();
    void drawLive();
    const SpectrumDisplay& shownDisplay() const;

    std::unique_ptr<Ui::TForm5> ui_;
    // Where the form puts "Kanały:" and how wide the scaling box is.
    QRect channelsLabelPlace_;
    int scalingBoxWidth_ = 0;
    SharedState& state_;
    MessageBoxes& boxes_;
    std::unique_ptr<SpectrumData> data_;
    RecordingSpectra spectraEngine_;
    const QImage* background_ = nullptr;
    QImage plot_;
    QImage axisX_;
    QImage axisY_;
    QProgressBar* progressBar_ = nullptr;
    LongWork work_;

    bool sampling_ = false; // a recording runs: the tick feeds the live spectrum
    bool live_ = false;     // the window shows the live spectrum
    bool hasReference_ = false;
    std::unique_ptr<LiveSpectrum> liveSpectrum_;
    LiveSpectrumResult liveResult_;
    std::unique_ptr<SpectrumDisplay> liveDisplay_;
    std::unique_ptr<SpectrumDisplay> holdDisplay_;
    std::unique_ptr<SpectrumDisplay> referenceDisplay_;
    QFrame* livePanel_ = nullptr;
    QLabel* blockLabel_ = nullptr;
    QComboBox* blockBox_ = nullptr;
    QLabel* averageLabel_ = nullptr;
    QSpinBox* averageBox_ = nullptr;
    QCheckBox* holdBox_ = nullptr;
    QPushButton* referenceButton_ = nullptr;
    QLabel* peakLabel_ = nullptr;
};

} // namespace varnilog
