#include "windows/XyWindow.h"

#include "analysis/ChannelLetters.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "recording/RecordingFileSet.h"
#include "recording/SafeFile.h"
#include "view/ScaleTables.h"
#include "view/XyPicture.h"
#include "windows/StandardDialogs.h"
#include "windows/WindowPlacement.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace varnilog {

namespace {

// The span choices in the order of the list.
constexpr std::array<SpanSource, 5> kSpanSources{SpanSource::View, SpanSource::Selection, SpanSource::Cursors,
                                                 SpanSource::Between, SpanSource::Whole};

} // namespace

struct XyWindow::Job {
    Inputs inputs;
    XyRequest request;
    XyResult result;
};

XyWindow::XyWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Tool), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("XyWindow"));
    auto* top = new QHBoxLayout;
    const auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    x_ = named(new QComboBox(this), "cbX");
    y_ = named(new QComboBox(this), "cbY");
    for (QComboBox* box : {x_, y_})
        for (int c = 0; c < kChannels; ++c)
            box->addItem(channelLetter(c));
    y_->setCurrentIndex(1);
    span_ = named(new QComboBox(this), "cbZakres");
    span_->addItems({QString(), QString(), QString(), QString(), QString()});
    decayLabel_ = new QLabel(this);
    decay_ = named(new QDoubleSpinBox(this), "sbZanikanie");
    decay_->setRange(0.5, 0.99);
    decay_->setSingleStep(0.01);
    decay_->setValue(0.9);
    decay_->setEnabled(false); // the preview's alone
    save_ = named(new QPushButton(this), "btZapisz");
    top->addWidget(new QLabel(QStringLiteral("X:"), this));
    top->addWidget(x_);
    top->addWidget(new QLabel(QStringLiteral("Y:"), this));
    top->addWidget(y_);
    top->addWidget(span_);
    top->addWidget(decayLabel_);
    top->addWidget(decay_);
    top->addStretch();
    top->addWidget(save_);
    auto* bottom = new QHBoxLayout;
    spanLabel_ = named(new QLabel(this), "lbZakres");
    progress_ = named(new QProgressBar(this), "pbPostep");
    progress_->setRange(0, 1000);
    cancel_ = named(new QPushButton(this), "btAnuluj");
    bottom->addWidget(spanLabel_, 1);
    bottom->addWidget(progress_);
    bottom->addWidget(cancel_);
    picture_ = named(new QLabel(this), "imgXY");
    picture_->setFixedSize(kXyPictureWidth, kXyPictureHeight);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(picture_);
    layout->addLayout(bottom);

    for (QComboBox* box : {x_, y_, span_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            reloaded_ = true;
            followMainWindow();
        });
    connect(save_, &QPushButton::clicked, this, &XyWindow::saveClick);
    connect(cancel_, &QPushButton::clicked, this, [this] { work_.cancel(); });
    connect(&work_, &LongWork::progressed, this, [this](std::int64_t done, std::int64_t total) {
        progress_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    follow_ = new QTimer(this);
    follow_->setSingleShot(true);
    follow_->setInterval(0);
    connect(follow_, &QTimer::timeout, this, &XyWindow::followMainWindow);
    live_ = new QTimer(this);
    live_->setInterval(Acquisition::kTickIntervalMs);
    connect(live_, &QTimer::timeout, this, &XyWindow::addPreviewFrame);
    retranslate();
    setBusy(false);
    drawPicture();
}

XyWindow::~XyWindow() {
    work_.stop();
}

void XyWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void XyWindow::retranslate() {
    setWindowTitle(tr("XY"));
    const QStringList spans{tr("Widok"), tr("Zaznaczenie"), tr("Kursory"), tr("Między znacznikami"),
                            tr("Całość")};
    for (int i = 0; i < spans.size(); ++i)
        span_->setItemText(i, spans[i]);
    decayLabel_->setText(tr("Zanikanie:"));
    save_->setText(tr("Zapisz…"));
    cancel_->setText(tr("Anuluj"));
}

void XyWindow::FormShow() {
    const bool wasShown = isVisible();
    if (!wasShown && parentWidget())
        if (const QScreen* screen = parentWidget()->window()->screen())
            move(placeBeside(parentWidget()->window()->frameGeometry(), sizeHint(),
                             screen->availableGeometry()));
    show();
    if (wasShown) {
        raise();
        activateWindow();
    }
    followMainWindow();
}

void XyWindow::recordingChanged() {
    reloaded_ = true;
    viewChanged();
}

void XyWindow::viewChanged() {
    if (isVisible())
        follow_->start();
}

void XyWindow::setMarkerSpan(std::optional<SampleSpan> span) {
    markerSpan_ = span;
    viewChanged();
}

void XyWindow::hideEvent(QHideEvent* event) {
    follow_->stop();
    live_->stop();
    work_.stop();
    job_.reset();
    setBusy(false);
    QWidget::hideEvent(event);
}

XyWindow::Inputs XyWindow::currentInputs() const {
    Inputs in;
    in.recordingPath = state_.recordingPath;
    in.sampleCount = state_.sampleCount;
    in.x = x_->currentIndex();
    in.y = y_->currentIndex();
    in.sensitivity = state_.channelSensitivity;
    SpanRequest span =
        windowSpanRequest(kSpanSources[static_cast<std::size_t>(span_->currentIndex())], state_);
    span.between = markerSpan_;
    in.span = resolveSpan(span).span;
    return in;
}

void XyWindow::followMainWindow() {
    follow_->stop();
    if (state_.samplingActive != sampling_) {
        sampling_ = state_.samplingActive;
        span_->setEnabled(!sampling_);
        decay_->setEnabled(sampling_);
        if (sampling_) {
            work_.stop();
            job_.reset();
            setBusy(false);
            std::fill(cells_.begin(), cells_.end(), 0.0f);
            peak_ = 0;
            liveFrame_ = {};
            live_->start();
            spanLabel_->setText(tr("Podgląd"));
        } else {
            live_->stop();
            reloaded_ = true;
        }
    }
    if (sampling_)
        return;
    const Inputs in = currentInputs();
    const bool same = busy() ? job_->inputs == in : shown_ == in;
    if (!std::exchange(reloaded_, false) && same)
        return;
    count(in);
}

void XyWindow::count(const Inputs& inputs) {
    work_.stop();
    job_ = std::make_unique<Job>();
    job_->inputs = inputs;
    XyRequest& r = job_->request;
    r.xFile = sampleFilePath(inputs.recordingPath, inputs.x);
    r.yFile = sampleFilePath(inputs.recordingPath, inputs.y);
    r.xIdentity = identityOf(state_.sampleFile[static_cast<std::size_t>(inputs.x)].handle());
    r.yIdentity = identityOf(state_.sampleFile[static_cast<std::size_t>(inputs.y)].handle());
    r.from = inputs.span.from;
    r.to = std::min({inputs.span.to, identityOf(r.xFile).size, identityOf(r.yFile).size});
    const int serial = ++jobSerial_;
    // A channel without a file, or an empty span, shows an empty plot.
    if (!identityOf(r.xFile).regular || !identityOf(r.yFile).regular || r.to <= r.from) {
        job_.reset();
        shown_ = inputs;
        showDensity(XyDensity{});
        return;
    }
    if (r.to - r.from < backgroundFrom_) {
        job_->result = xyDensity(r);
        workerDone(serial);
        return;
    }
    setBusy(true);
    work_.start(
        [job = job_.get()](const WorkProgress& progress) {
            job->result = xyDensity(job->request, progress);
            return !job->result.cancelled;
        },
        [this, serial](bool) { workerDone(serial); });
}

void XyWindow::workerDone(int serial) {
    if (serial != jobSerial_ || !job_)
        return;
    const std::unique_ptr<Job> job = std::move(job_);
    setBusy(false);
    shown_ = job->inputs;
    if (job->result.cancelled) {
        spanLabel_->setText(tr("Przerwano liczenie"));
        return;
    }
    if (!job->result.ok) {
        boxes_.showErrorBox(tr("Błąd odczytu pliku: %1").arg(job->result.error));
        return;
    }
    showDensity(job->result.density);
}

void XyWindow::showDensity(const XyDensity& density) {
    density_ = density;
    std::copy(density_.counts.begin(), density_.counts.end(), cells_.begin());
    peak_ = static_cast<float>(density_.peak());
    const QLocale locale;
    spanLabel_->setText(tr("Próbki %1–%2 (%3)")
                            .arg(locale.toString(shown_.span.from), locale.toString(shown_.span.to),
                                 locale.toString(density_.samples)));
    drawPicture();
}

void XyWindow::addPreviewFrame() {
    if (!preview_)
        return;
    const int xc = std::min(x_->currentIndex(), 1), yc = std::min(y_->currentIndex(), 1);
    bool changed = false;
    for (int ch = 0; ch < 2; ++ch) {
        const std::uint8_t* codes = preview_(ch);
        auto& kept = liveFrame_[static_cast<std::size_t>(ch)];
        if (codes != nullptr && std::memcmp(kept.data(), codes, kept.size()) != 0) {
            std::memcpy(kept.data(), codes, kept.size());
            changed = true;
        }
    }
    if (!changed)
        return;
    const auto decay = static_cast<float>(decay_->value());
    float peak = 0;
    for (float& c : cells_)
        peak = std::max(peak, c *= decay);
    const auto& xs = liveFrame_[static_cast<std::size_t>(xc)];
    const auto& ys = liveFrame_[static_cast<std::size_t>(yc)];
    for (int k = 0; k < kDisplayColumns; ++k) {
        float& c = cells_[static_cast<std::size_t>(xs[static_cast<std::size_t>(k)]) << 8 |
                          ys[static_cast<std::size_t>(k)]];
        peak = std::max(peak, c += 1.0f);
    }
    peak_ = peak;
    drawPicture();
}

XyPictureContent XyWindow::content() const {
    XyPictureContent content;
    content.cells = cells_;
    content.peak = peak_;
    const auto xc = static_cast<std::size_t>(x_->currentIndex()),
               yc = static_cast<std::size_t>(y_->currentIndex());
    content.colour = state_.channelColor[yc];
    content.background = state_.backgroundColor1;
    content.xSensitivity = state_.channelSensitivity[xc];
    content.ySensitivity = state_.channelSensitivity[yc];
    content.xName = channelName[xc];
    content.yName = channelName[yc];
    return content;
}

void XyWindow::drawPicture() {
    picture_->setPixmap(QPixmap::fromImage(xyPicture(content())));
}

bool XyWindow::saveTo(const QString& path, QString& error) const {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const XyPictureContent content = this->content();
    if (suffix == QLatin1String("csv")) {
        const QByteArray table =
            xyDensityCsv(density_, content.xSensitivity, content.ySensitivity, QLocale());
        return writeFileSafely(path, table, error);
    }
    if (suffix == QLatin1String("svg"))
        return writeFileSafely(
            path,
            [&](QIODevice& device) {
                QSvgGenerator svg;
                svg.setOutputDevice(&device);
                svg.setSize(QSize(kXyPictureWidth, kXyPictureHeight));
                svg.setViewBox(QRect(0, 0, kXyPictureWidth, kXyPictureHeight));
                QPainter painter;
                if (!painter.begin(&svg))
                    return false;
                paintXyPicture(painter, content);
                return painter.end();
            },
            error);
    return writeFileSafely(
        path, [&](QIODevice& device) { return xyPicture(content).save(&device, "PNG"); }, error);
}

void XyWindow::saveClick() {
    if (dialogs_ == nullptr)
        return;
    const QString path =
        dialogs_->saveFileName(this, tr("Obraz PNG (*.png);;Obraz SVG (*.svg);;Komórki CSV (*.csv)"),
                               QStringLiteral("png"), QStringLiteral("xy.png"));
    if (path.isEmpty())
        return;
    if (QString error; !saveTo(path, error))
        boxes_.showErrorBox(tr("Nie można zapisać pliku: %1").arg(error));
}

void XyWindow::setBusy(bool busy) {
    progress_->setVisible(busy);
    cancel_->setVisible(busy);
    progress_->setValue(0);
}

} // namespace varnilog
