#include "spectrum/Unit5.h"

#include "recording/RecordingInput.h"
#include "recording/RecordingLoader.h"
#include "ui_Unit5.h"
#include "view/Colour.h"
#include "windows/LongWorkWindow.h"

#include <QLocale>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace varnilog {

namespace {

QChar decimalPoint() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar('.') : point.front();
}

void setShapeColour(QFrame* shape, std::int32_t colour) {
    shape->setStyleSheet(QStringLiteral("background-color: %1;").arg(QColor::fromRgb(toQRgb(colour)).name()));
}

} // namespace

TForm5::TForm5(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TForm5>()), state_(state), boxes_(boxes),
      data_(std::make_unique<SpectrumData>()),
      plot_(spectrumPlotWidth, spectrumPlotHeight, QImage::Format_RGB32),
      axisX_(frequencyAxisWidth, frequencyAxisHeight, QImage::Format_RGB32),
      axisY_(levelAxisWidth, levelAxisHeight, QImage::Format_RGB32) {
    ui_->setupUi(this);
    channelsLabelPlace_ = ui_->Label4->geometry();
    scalingBoxWidth_ = ui_->CheckBox2->width();
    fitChannelsLabel();
    fitLevelsLabel();
    (void)boxes_; // the window shows no messages
    setFixedSize(563, 352);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(toQRgb(kWindowColour)));
    // Qt's grey of a disabled box's letter all but vanishes on this background.
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x60, 0x60, 0x68));
    setPalette(pal);
    setAutoFillBackground(true);
    plot_.fill(Qt::black);
    axisX_.fill(toQRgb(kWindowColour));
    axisY_.fill(toQRgb(kWindowColour));
    ui_->imgFFT->setSource(&plot_);
    ui_->imgOsX->setSource(&axisX_);
    ui_->imgOsY->setSource(&axisY_);
    ui_->imgFFT->setMouseTracking(true);
    ui_->Panel1->setMouseTracking(true);
    ui_->Panel1->installEventFilter(this);
    // The markers lie under the mouse; the plot below them must keep getting its moves.
    for (QFrame* shape : {ui_->Shape1, ui_->Shape2, ui_->Shape3, ui_->Shape4, ui_->Shape5})
        shape->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(ui_->imgFFT, &BitmapWidget::mouseMoved, this,
            [this](QPoint p, Qt::MouseButtons) { imgFFTMouseMove(p); });
    connect(ui_->CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    ui_->ScrollBar1->setTrackStep(1); // a click beside the thumb moves one point, like an arrow
    connect(ui_->ScrollBar1, &QScrollBar::valueChanged, this, [this] { DrawSpectrum(); });
    for (QCheckBox* box : {ui_->chkA, ui_->chkB, ui_->chkC, ui_->chkD, ui_->CheckBox2})
        connect(box, &QCheckBox::clicked, this, [this] { DrawSpectrum(); });
}

TForm5::~TForm5() = default;

void TForm5::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui_->retranslateUi(this);
        fitChannelsLabel();
    }
    QDialog::changeEvent(event);
}

void TForm5::fitLevelsLabel() {
    // Four channels at their lowest must fit whatever font stands in for Arial; the label grows to
    // the left, over the free end of the title line, and keeps its right edge at the plot's.
    QLabel* label = ui_->lbLevels;
    const int right = label->geometry().right() + 1;
    const int needed =
        label->fontMetrics().horizontalAdvance(QStringLiteral("A -100 dB  B -100 dB  C -100 dB  D -100 dB")) +
        label->width() - label->contentsRect().width() + 2;
    if (needed > label->width())
        label->setGeometry(right - needed, label->y(), needed, label->height());
}

void TForm5::fitChannelsLabel() {
    // A longer word than "Kanały:" takes room from the unused end of the scaling box before it; the
    // layout of the form stays where the word fits.
    QLabel* label = ui_->Label4;
    QCheckBox* scaling = ui_->CheckBox2;
    const int right = channelsLabelPlace_.right() + 1;
    const int left = std::max(std::min(channelsLabelPlace_.left(), right - label->sizeHint().width()),
                              scaling->x() + scaling->sizeHint().width());
    label->setGeometry(left, channelsLabelPlace_.top(), right - left, channelsLabelPlace_.height());
    scaling->resize(std::min(scalingBoxWidth_, left - scaling->x()), scaling->height());
}

void TForm5::showSpectrum(QProgressBar* progressBar) {
    if (state_.sampleCount <= 0)
        return;
    progressBar_ = progressBar;
    if (!FormShow())
        return;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

double TForm5::divisor() const {
    return frequencyDivisor(state_.samplingPeriodMs);
}

void TForm5::drawFrequencyAxis(int a) {
    DrawFrequencyAxis(axisX_, a, spectrumZoom, divisor(), decimalPoint());
    ui_->imgOsX->update();
}

bool TForm5::FormShow() {
    // The readout of the last opening belongs to spectra computed again now.
    Panel1MouseMove();
    ui_->Label1->setText(QStringLiteral("f="));
    // C and D offer themselves when the recording holds them (derived channels).
    for (int c = 2; c < kChannels; ++c) {
        QCheckBox* box = c == 2 ? ui_->chkC : ui_->chkD;
        const bool has = channelHasData(state_, c);
        box->setEnabled(has);
        if (!has)
            box->setChecked(false);
    }
    drawFrequencyAxis(ui_->ScrollBar1->value());
    DrawLevelAxis(axisY_);
    ui_->imgOsY->update();

    // Handles of its own on the recording on display: a load while the job runs cannot swap the
    // samples under the computation. The worker writes into a copy, taken over only when complete.
    auto input = std::make_shared<RecordingInput>(state_);
    auto computed = std::make_shared<SpectrumData>(*data_);
    QWidget* owner = parentWidget() != nullptr ? parentWidget() : this;
    const bool completed =
        runWithProgress(work_, owner, tr("Obliczanie widma FFT…"), progressBar_,
                        [this, input, computed](const WorkProgress& progress) {
                            return spectraEngine_.ComputeRecordingSpectra(
                                input->files(), input->channelCount(), *computed, progress);
                        });
    if (progressBar_ != nullptr)
        progressBar_->hide();
    if (!completed)
        return false;
    *data_ = *computed;
    DrawSpectrum();
    return true;
}

SpectrumView TForm5::currentView() const {
    SpectrumView view;
    view.channelCount = state_.channelCount;
    view.channelChecked = {ui_->chkA->isChecked(), ui_->chkB->isChecked(), ui_->chkC->isChecked(),
                           ui_->chkD->isChecked()};
    view.zoomed = spectrumZoom;
    view.start = spectrumStart;
    view.perChannelScale = ui_->CheckBox2->isChecked();
    std::copy(state_.channelColor.begin(), state_.channelColor.end(), view.channelColor.begin());
    return view;
}

void TForm5::DrawSpectrum() {
    spectrumStart = spectrumZoom ? std::clamp(ui_->ScrollBar1->value(), 0, spectrumScrollMax) : 0;
    drawFrequencyAxis(spectrumStart);
    if (!background_ || background_->isNull()) {
        QImage plain(spectrumPlotWidth, spectrumPlotHeight, QImage::Format_RGB32);
        plain.fill(toQRgb(state_.backgroundColor1));
        varnilog::DrawSpectrum(plot_, plain, *data_, currentView());
    } else {
        varnilog::DrawSpectrum(plot_, *background_, *data_, currentView());
    }
    ui_->imgFFT->update();
}

void TForm5::CheckBox1Click() {
    ui_->ScrollBar1->setEnabled(ui_->CheckBox1->isChecked());
    spectrumZoom = ui_->CheckBox1->isChecked();
    DrawSpectrum();
}

void TForm5::imgFFTMouseMove(QPoint position) {
    const SpectrumReadout r = spectrumReadout(position.x(), position.y(), *data_, currentView(),
                                              ui_->ScrollBar1->value(), divisor(), decimalPoint());
    if (!r.inside) {
        Panel1MouseMove();
        return;
    }
    QFrame* markers[kChannels] = {ui_->Shape2, ui_->Shape3, ui_->Shape4, ui_->Shape5};
    const int plotTop = ui_->imgFFT->y();
    for (int c = 0; c < kChannels; ++c) {
        if (!r.markerRow[c])
            continue;
        markers[c]->move(markers[c]->x(), plotTop + *r.markerRow[c]);
        setShapeColour(markers[c], state_.channelColor[c]);
        markers[c]->show();
        markers[c]->raise();
    }
    ui_->Shape1->move(ui_->imgFFT->x() + r.cursorX, ui_->Shape1->y());
    ui_->Shape1->show();
    ui_->Shape1->raise();
    ui_->Label1->setText(r.label);
    QStringList levels;
    for (int c = 0; c < kChannels; ++c)
        if (r.levelDb[c])
            levels << QStringLiteral("%1 %2 dB").arg(QChar(u'A' + c)).arg(std::lround(*r.levelDb[c]));
    ui_->lbLevels->setText(levels.join(QStringLiteral("  ")));
}

void TForm5::Panel1MouseMove() {
    for (QFrame* shape : {ui_->Shape1, ui_->Shape2, ui_->Shape3, ui_->Shape4, ui_->Shape5})
        shape->hide();
    ui_->lbLevels->clear();
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->Panel1 && event->type() == QEvent::MouseMove)
        Panel1MouseMove();
    return QDialog::eventFilter(watched, event);
}

} // namespace varnilog
