#include "spectrum/Unit5.h"

#include "recording/RecordingInput.h"
#include "recording/RecordingLoader.h"
#include "spectrum/Spectrogram.h"
#include "ui_Unit5.h"
#include "view/Colour.h"
#include "windows/LongWorkWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QMetaObject>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
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

// The reference darker, the maxima lighter than the live curve of the same channel.
std::int32_t mixedColour(std::int32_t colour, int towards, int percent) {
    std::int32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int v = (colour >> shift) & 0xFF;
        out |= (v + (towards - v) * percent / 100) << shift;
    }
    return out;
}

constexpr int kFormHeight = 352;
constexpr int kLivePanelHeight = 26;

} // namespace

TForm5::TForm5(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TForm5>()), state_(state), boxes_(boxes),
      data_(std::make_unique<SpectrumData>()),
      plot_(spectrumPlotWidth, spectrumPlotHeight, QImage::Format_RGB32),
      axisX_(frequencyAxisWidth, frequencyAxisHeight, QImage::Format_RGB32),
      axisY_(levelAxisWidth, levelAxisHeight, QImage::Format_RGB32),
      liveDisplay_(std::make_unique<SpectrumDisplay>()), holdDisplay_(std::make_unique<SpectrumDisplay>()),
      referenceDisplay_(std::make_unique<SpectrumDisplay>()) {
    ui_->setupUi(this);
    // The worker's word that a result waits is taken on the window's thread (dropped once the window
    // is gone; the worker is joined before).
    liveSpectrum_ = std::make_unique<LiveSpectrum>([this] {
        QMetaObject::invokeMethod(
            this, [this] { liveUpdated(); }, Qt::QueuedConnection);
    });
    makeLivePanel();
    channelsLabelPlace_ = ui_->Label4->geometry();
    scalingBoxWidth_ = ui_->CheckBox2->width();
    fitChannelsLabel();
    fitLevelsLabel();
    (void)boxes_; // the window shows no messages
    setFixedSize(563, kFormHeight);
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

TForm5::~TForm5() {
    liveSpectrum_.reset(); // its worker may still be reporting
}

void TForm5::makeLivePanel() {
    livePanel_ = new QFrame(this);
    livePanel_->setObjectName(QStringLiteral("LivePanel"));
    livePanel_->setFrameShape(QFrame::StyledPanel);
    livePanel_->setFrameShadow(QFrame::Raised);
    livePanel_->setGeometry(0, kFormHeight, 563, kLivePanelHeight);
    auto* row = new QHBoxLayout(livePanel_);
    row->setContentsMargins(8, 1, 8, 1);
    blockLabel_ = new QLabel(livePanel_);
    blockBox_ = new QComboBox(livePanel_);
    blockBox_->setObjectName(QStringLiteral("cbLiveBlock"));
    for (std::int32_t n = fftMinSize; n <= fftMaxSize; n *= 2)
        blockBox_->addItem(QString::number(n), n);
    blockBox_->setCurrentIndex(blockBox_->findData(liveDefaultBlock));
    averageLabel_ = new QLabel(livePanel_);
    averageBox_ = new QSpinBox(livePanel_);
    averageBox_->setObjectName(QStringLiteral("seLiveAverage"));
    averageBox_->setRange(1, liveMaxAverage);
    averageBox_->setValue(4);
    holdBox_ = new QCheckBox(livePanel_);
    holdBox_->setObjectName(QStringLiteral("chkLiveHold"));
    referenceButton_ = new QPushButton(livePanel_);
    referenceButton_->setObjectName(QStringLiteral("btLiveReference"));
    for (QWidget* w : std::initializer_list<QWidget*>{blockLabel_, blockBox_, averageLabel_, averageBox_,
                                                      holdBox_, referenceButton_})
        row->addWidget(w);
    row->addStretch();
    // The peak's readout takes the title's place while live.
    peakLabel_ = new QLabel(ui_->Panel1);
    peakLabel_->setObjectName(QStringLiteral("lbLivePeak"));
    peakLabel_->setGeometry(41, 17, 320, 15);
    QFont small = peakLabel_->font();
    small.setPointSize(7);
    peakLabel_->setFont(small);
    peakLabel_->hide();
    livePanel_->hide();
    retranslateLive();
    connect(holdBox_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            liveSpectrum_->resetHold();
        DrawSpectrum();
    });
    connect(referenceButton_, &QPushButton::clicked, this, [this] { rememberReference(); });
}

void TForm5::retranslateLive() {
    blockLabel_->setText(tr("Blok:"));
    averageLabel_->setText(tr("Średnia:"));
    holdBox_->setText(tr("Maksima"));
    referenceButton_->setText(tr("Zapamiętaj widmo"));
    peakLabel_->setText(peakText());
}

void TForm5::setLiveLayout(bool live) {
    if (live == live_)
        return;
    live_ = live;
    livePanel_->setVisible(live);
    peakLabel_->setVisible(live);
    ui_->Label2->setVisible(!live);
    // Levels of the live spectrum are against full scale for both channels alike.
    ui_->CheckBox2->setEnabled(!live);
    setFixedSize(563, kFormHeight + (live ? kLivePanelHeight : 0));
    if (live) {
        liveResult_ = {};
        *liveDisplay_ = {};
        *holdDisplay_ = {};
        peakLabel_->clear();
        for (int c = 2; c < kChannels; ++c) {
            QCheckBox* box = c == 2 ? ui_->chkC : ui_->chkD;
            box->setEnabled(false);
            box->setChecked(false);
        }
    }
}

void TForm5::startLive() {
    sampling_ = true;
    liveSpectrum_->restart();
    if (isVisible()) {
        setLiveLayout(true);
        DrawSpectrum();
    }
}

void TForm5::stopLive() {
    sampling_ = false;
}

LiveSpectrumSettings TForm5::liveSettings() const {
    LiveSpectrumSettings s;
    s.block = blockBox_->currentData().toInt();
    s.average = averageBox_->value();
    s.channels = {state_.channelVisible[0] && ui_->chkA->isChecked(),
                  state_.channelVisible[1] && ui_->chkB->isChecked()};
    return s;
}

void TForm5::liveSamples(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count) {
    if (!sampling_)
        return;
    if (live_ && isVisible())
        liveSpectrum_->feed(a, b, count, liveSettings());
    else
        liveSpectrum_->append(a, b, count);
}

void TForm5::liveUpdated() {
    if (!live_ || !liveSpectrum_->take(liveResult_))
        return;
    const std::int32_t block = liveResult_.settings.block;
    const double period = state_.samplingPeriodMs;
    for (int c = 0; c < kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const bool has = c < liveChannels && !liveResult_.mean[i].empty();
        if (has) {
            liveDisplayPoints(liveResult_.mean[i], block, period, divisor(),
                              liveDisplay_->spectrumDisplay[i]);
            liveDisplayPoints(liveResult_.hold[i], block, period, divisor(),
                              holdDisplay_->spectrumDisplay[i]);
        } else {
            liveDisplay_->spectrumDisplay[i].fill(0.0f);
            holdDisplay_->spectrumDisplay[i].fill(0.0f);
        }
    }
    for (SpectrumDisplay* d : {liveDisplay_.get(), holdDisplay_.get()}) {
        d->spectrumPeak.fill(liveFullScale(block));
        d->spectrumPeakAll = liveFullScale(block);
    }
    peakLabel_->setText(peakText());
    DrawSpectrum();
}

QString TForm5::peakText() const {
    const std::int32_t block = liveResult_.settings.block;
    QStringList parts;
    const QLocale locale;
    for (int c = 0; c < liveChannels; ++c) {
        const SpectrumPeak& p = liveResult_.peak[static_cast<std::size_t>(c)];
        if (liveResult_.mean[static_cast<std::size_t>(c)].empty() || p.magnitude <= 0.0f)
            continue;
        const double hz = spectrogramBinHz(p.bin, block, state_.samplingPeriodMs);
        const double db = 20.0 * std::log10(p.magnitude / liveFullScale(block));
        parts << QStringLiteral("%1 %2 Hz %3 dB")
                     .arg(QChar(u'A' + c))
                     .arg(locale.toString(hz, 'g', 5), locale.toString(db, 'f', 1));
    }
    if (parts.isEmpty())
        return {};
    return tr("Szczyt:") + QLatin1Char(' ') + parts.join(QStringLiteral("   "));
}

void TForm5::rememberReference() {
    if (!live_)
        return;
    *referenceDisplay_ = *liveDisplay_;
    hasReference_ = true;
    DrawSpectrum();
}

const SpectrumDisplay& TForm5::shownDisplay() const {
    return live_ ? *liveDisplay_ : static_cast<const SpectrumDisplay&>(*data_);
}

void TForm5::drawLive() {
    SpectrumView view = currentView();
    view.channelCount = liveChannels;
    view.perChannelScale = false;
    SpectrumView reference = view;
    SpectrumView hold = view;
    for (int c = 0; c < kChannels; ++c) {
        reference.channelColor[c] = mixedColour(view.channelColor[c], 0, 55);
        hold.channelColor[c] = mixedColour(view.channelColor[c], 255, 55);
        reference.channelChecked[c] = view.channelChecked[c] && hasReference_;
        hold.channelChecked[c] = view.channelChecked[c] && holdBox_->isChecked();
    }
    SpectrumView none = view;
    none.channelChecked.fill(false);
    if (!background_ || background_->isNull()) {
        QImage plain(spectrumPlotWidth, spectrumPlotHeight, QImage::Format_RGB32);
        plain.fill(toQRgb(state_.backgroundColor1));
        varnilog::DrawSpectrum(plot_, plain, *liveDisplay_, none);
    } else {
        varnilog::DrawSpectrum(plot_, *background_, *liveDisplay_, none);
    }
    DrawSpectrumCurves(plot_, *referenceDisplay_, reference);
    DrawSpectrumCurves(plot_, *holdDisplay_, hold);
    DrawSpectrumCurves(plot_, *liveDisplay_, view);
}

void TForm5::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui_->retranslateUi(this);
        fitChannelsLabel();
        retranslateLive();
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
    if (sampling_) {
        // Not modal: the main window's Stop must stay in reach.
        setLiveLayout(true);
        DrawSpectrum();
        if (!isVisible()) {
            if (const QScreen* screen = this->screen())
                move(screen->availableGeometry().center() - rect().center());
        }
        show();
        raise();
        return;
    }
    if (state_.sampleCount <= 0)
        return;
    if (isVisible())
        hide(); // the live picture of before, shown without modality
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
    setLiveLayout(false);
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
    if (live_) {
        drawLive();
    } else if (!background_ || background_->isNull()) {
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
    SpectrumView view = currentView();
    if (live_) {
        view.channelCount = liveChannels;
        view.perChannelScale = false;
    }
    const SpectrumReadout r = spectrumReadout(position.x(), position.y(), shownDisplay(), view,
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
