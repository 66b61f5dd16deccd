// TForm5 (unit Unit5), caption "FFT": the spectra of the recording on display in dB over frequency,
// zoom x10 with scrolling, channel choice, per-channel scaling and a mouse readout. Created once; the
// controls keep their states between openings, the spectra are recomputed at every opening.
#pragma once

#include "app/LongWork.h"
#include "app/SharedState.h"
#include "spectrum/RecordingSpectra.h"
#include "spectrum/SpectrumData.h"
#include "spectrum/SpectrumPlot.h"

#include <QDialog>
#include <QImage>
#include <QRect>

#include <memory>

class QProgressBar;
class QFrame;

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
};

} // namespace varnilog
