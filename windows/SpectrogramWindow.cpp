#include "windows/SpectrogramWindow.h"

#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "recording/RecordingInput.h"
#include "recording/RecordingManagement.h"
#include "recording/SafeFile.h"
#include "spectrum/Fft.h"
#include "spectrum/SpectrogramCsv.h"
#include "spectrum/SpectrogramImage.h"
#include "windows/BitmapWidget.h"
#include "windows/LongWorkWindow.h"
#include "windows/StandardDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace varnilog {

SpectrogramWindow::SpectrogramWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("SpectrogramWindow"));
    auto* layout = new QVBoxLayout(this);
    auto* controls = new QHBoxLayout;
    channelLabel_ = new QLabel(this);
    channel_ = new QComboBox(this);
    blockLabel_ = new QLabel(this);
    block_ = new QComboBox(this);
    for (std::int32_t n = fftMinSize; n <= fftMaxSize; n *= 2)
        block_->addItem(QString::number(n), n);
    block_->setCurrentIndex(block_->findData(spectrogramDefaultBlock));
    hopLabel_ = new QLabel(this);
    hop_ = new QSpinBox(this);
    hop_->setRange(1, spectrogramDefaultBlock); // a whole block, until the user chooses less
    hop_->setValue(spectrogramDefaultBlock);
    rangeLabel_ = new QLabel(this);
    range_ = new QSpinBox(this);
    range_->setRange(10, 300);
    range_->setValue(static_cast<int>(spectrogramDefaultRange));
    compute_ = new QPushButton(this);
    savePng_ = new QPushButton(this);
    saveCsv_ = new QPushButton(this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{channelLabel_, channel_, blockLabel_, block_, hopLabel_, hop_,
                                         rangeLabel_, range_, compute_, savePng_, saveCsv_})
        controls->addWidget(w);
    controls->addStretch();
    layout->addLayout(controls);
    plot_ = new BitmapWidget(this);
    image_ = drawSpectrogram(SpectrogramPicture{}, SpectrogramAxes{});
    shown_ = image_;
    plot_->setSource(&shown_);
    plot_->setFixedSize(image_.size());
    plot_->setMouseTracking(true);
    layout->addWidget(plot_);
    readout_ = new QLabel(this);
    layout->addWidget(readout_);
    blockChanged();
    retranslate();
    savePng_->setEnabled(false);
    saveCsv_->setEnabled(false);

    connect(block_, &QComboBox::currentIndexChanged, this, [this] { blockChanged(); });
    connect(compute_, &QPushButton::clicked, this, [this] { compute(); });
    connect(savePng_, &QPushButton::clicked, this, [this] { savePng(); });
    connect(saveCsv_, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(plot_, &BitmapWidget::mouseMoved, this, [this](QPoint p, Qt::MouseButtons) { plotMoved(p); });
    connect(plot_, &BitmapWidget::mousePressed, this,
            [this](QPoint p, Qt::MouseButton button, Qt::MouseButtons) {
                if (!picture_ || button != Qt::LeftButton)
                    return;
                if (const auto r = spectrogramReadingAt(*picture_, request_, shownRange_, p))
                    emit centreRequested(r->sample);
            });
}

SpectrogramWindow::~SpectrogramWindow() = default;

void SpectrogramWindow::retranslate() {
    setWindowTitle(tr("Spektrogram"));
    channelLabel_->setText(tr("Kanał:"));
    blockLabel_->setText(tr("Blok:"));
    hopLabel_->setText(tr("Przesunięcie:"));
    rangeLabel_->setText(tr("Zakres [dB]:"));
    compute_->setText(tr("Oblicz"));
    savePng_->setText(tr("Zapisz PNG"));
    saveCsv_->setText(tr("Zapisz CSV"));
}

void SpectrogramWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void SpectrogramWindow::blockChanged() {
    // The hop follows the block: at most N, N itself when it was the whole block before.
    const int n = block_->currentData().toInt();
    const bool whole = hop_->value() == hop_->maximum();
    hop_->setRange(1, n);
    if (whole || hop_->value() > n)
        hop_->setValue(n);
}

void SpectrogramWindow::FormShow() {
    const int keep = channel_->currentIndex();
    channel_->clear();
    for (int c = 0; c < std::clamp<int>(state_.channelCount, 1, kChannels); ++c)
        channel_->addItem(QString(QChar('A' + c)));
    channel_->setCurrentIndex(std::clamp(keep, 0, channel_->count() - 1));
    show();
    raise();
}

SpectrogramRequest SpectrogramWindow::chosenRequest() const {
    return {0, state_.sampleCount, block_->currentData().toInt(), hop_->value()};
}

bool SpectrogramWindow::compute() {
    if (work_.busy() || state_.samplingActive)
        return false;
    const SpectrogramRequest request = chosenRequest();
    if (checkSpectrogram(request) != SpectrogramError::None) {
        boxes_.showErrorBox(tr("Nagranie jest krótsze niż blok."));
        return false;
    }
    auto input = std::make_shared<RecordingInput>(state_);
    const int c = std::max(0, channel_->currentIndex());
    QIODevice* samples = input->files()[static_cast<std::size_t>(c)];
    if (samples == nullptr) {
        boxes_.showErrorBox(tr("Nagranie jest krótsze niż blok."));
        return false;
    }
    auto reducer =
        std::make_shared<SpectrogramReducer>(spectrogramColumns(request), spectrogramBins(request.block),
                                             spectrogramPlotWidth, spectrogramPlotHeight);
    const bool done = runWithProgress(work_, this, tr("Obliczanie spektrogramu"), nullptr,
                                      [samples, request, reducer, input](const WorkProgress& progress) {
                                          return computeSpectrogram(
                                              *samples, request,
                                              [&](std::int64_t column, const float* m) {
                                                  reducer->add(column, m);
                                                  return true;
                                              },
                                              progress);
                                      });
    if (!done)
        return false;
    picture_ = std::make_unique<SpectrogramPicture>(reducer->picture());
    request_ = request;
    shownChannel_ = c;
    shownRange_ = range_->value();
    periodMs_ = input->samplingPeriodMs();
    SpectrogramAxes axes;
    axes.firstSeconds = request.from * periodMs_ / 1000.0;
    axes.endSeconds = request.to * periodMs_ / 1000.0;
    axes.topHz = spectrogramBinHz(request.block / 2, request.block, periodMs_);
    axes.range = shownRange_;
    image_ = drawSpectrogram(*picture_, axes);
    drawShown();
    savePng_->setEnabled(true);
    saveCsv_->setEnabled(true);
    return true;
}

void SpectrogramWindow::setViewSpan(std::int64_t from, std::int64_t to) {
    if (from == viewFrom_ && to == viewTo_)
        return;
    viewFrom_ = from;
    viewTo_ = to;
    drawShown();
}

void SpectrogramWindow::drawShown() {
    shown_ = image_;
    if (picture_)
        drawSpectrogramBand(shown_, spectrogramBand(*picture_, request_, viewFrom_, viewTo_));
    plot_->setSource(&shown_);
    plot_->update();
}

void SpectrogramWindow::plotMoved(QPoint p) {
    const auto r = picture_ ? spectrogramReadingAt(*picture_, request_, shownRange_, p) : std::nullopt;
    if (!r) {
        readout_->clear();
        return;
    }
    const QLocale locale;
    readout_->setText(QStringLiteral("%1 s   %2 Hz   %3 dB")
                          .arg(locale.toString(r->sample * static_cast<double>(periodMs_) / 1000.0, 'g', 6),
                               locale.toString(spectrogramBinHz(r->bin, request_.block, periodMs_), 'g', 6),
                               locale.toString(r->db, 'f', 1)));
}

QString SpectrogramWindow::readout() const {
    return readout_->text();
}

namespace {

// A name the user chose for a file beside the recordings: empty when cancelled or refused (said).
QString chosenOutput(StandardDialogs* dialogs, QWidget* parent, MessageBoxes& boxes, const SharedState& state,
                     const QString& filter, const QString& suffix) {
    if (dialogs == nullptr)
        return {};
    const QString path = dialogs->saveFileName(
        parent, filter, suffix, QDir(state.dataDir).filePath(QStringLiteral("spektrogram.") + suffix));
    if (path.isEmpty())
        return {};
    if (const CoreError error = outputOntoRecordingError(path, {state.recordingPath}); error.failed()) {
        boxes.showErrorBox(coreMessage(error));
        return {};
    }
    return path;
}

} // namespace

bool SpectrogramWindow::savePng() {
    if (!picture_)
        return false;
    const QString path =
        chosenOutput(dialogs_, this, boxes_, state_, tr("Pliki PNG (*.png)"), QStringLiteral("png"));
    if (path.isEmpty())
        return false;
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image_.save(&file, "PNG") || !file.commit()) {
        boxes_.showErrorBox(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool SpectrogramWindow::saveCsv() {
    if (!picture_ || work_.busy())
        return false;
    const QString path =
        chosenOutput(dialogs_, this, boxes_, state_, tr("Pliki CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return false;
    auto input = std::make_shared<RecordingInput>(state_);
    QIODevice* samples = input->files()[static_cast<std::size_t>(shownChannel_)];
    auto file = std::make_shared<SafeFile>(path);
    if (samples == nullptr || !file->open(QIODevice::WriteOnly)) {
        boxes_.showErrorBox(QStringLiteral("%1: %2").arg(path, file->errorString()));
        return false;
    }
    const SpectrogramRequest request = request_;
    const float peak = picture_->peak;
    const double period = periodMs_;
    const double floor = shownRange_;
    const bool done = runWithProgress(
        work_, this, tr("Obliczanie spektrogramu"), nullptr, [=](const WorkProgress& progress) {
            return writeSpectrogramCsv(*file, *samples, request, period, peak, floor, progress);
        });
    if (!done) {
        if (!work_.cancelRequested())
            boxes_.showErrorBox(QStringLiteral("%1: %2").arg(path, file->errorString()));
        return false;
    }
    if (!file->commit()) {
        boxes_.showErrorBox(QStringLiteral("%1: %2").arg(path, file->errorString()));
        return false;
    }
    return true;
}

} // namespace varnilog
