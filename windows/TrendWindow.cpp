#include "windows/TrendWindow.h"

#include "analysis/MeasurementText.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "recording/SafeFile.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"
#include "windows/StandardDialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace varnilog {

namespace {

// The names of the measurements, as the measurements window gives them.
const std::array<const char*, kTrendMeasureCount> kMeasureNames{
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Maksimum"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Minimum"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Międzyszczytowa"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Średnia"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Skuteczna"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Skuteczna AC"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Częstotliwość"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Okres"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Wypełnienie"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Czas narastania"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Czas opadania")};

// The intervals offered as times, in ms.
constexpr std::array<double, 8> kTimesMs{1, 10, 100, 1000, 10'000, 60'000, 600'000, 3'600'000};
constexpr std::array<const char*, 8> kTimeNames{"1 ms", "10 ms", "100 ms", "1 s",
                                                "10 s", "1 min", "10 min", "1 h"};

enum Mode { BySamples, ByTime, PerPeriod };

// The plot's margins: values on the left, times below.
constexpr int kLeft = 70, kRight = 10, kTop = 10, kBottom = 22;

std::optional<double> limitText(const QString& text, bool& ok) {
    ok = true;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    ok = ok && std::isfinite(value);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

class TrendWindow::Plot : public QWidget {
public:
    explicit Plot(TrendWindow& owner) : QWidget(&owner), owner_(owner) {
        setObjectName(QStringLiteral("imgTrend"));
        setMinimumSize(480, 220);
        setCursor(Qt::CrossCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, owner_.picture(size()));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (const std::optional<std::int64_t> sample =
                owner_.sampleAt(event->position().toPoint().x(), width()))
            emit owner_.centreRequested(*sample);
    }

private:
    TrendWindow& owner_;
};

TrendWindow::TrendWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("TrendWindow"));
    resize(760, 480);
    const auto make = [this](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    channel_ = make(new QComboBox(this), "cbKanal");
    measure_ = make(new QComboBox(this), "cbPomiar");
    for (std::size_t i = 0; i < kTrendMeasureCount; ++i)
        measure_->addItem(QString());
    measure_->setCurrentIndex(6);
    mode_ = make(new QComboBox(this), "cbTryb");
    for (int i = 0; i < 3; ++i)
        mode_->addItem(QString());
    samples_ = make(new QSpinBox(this), "seProbki");
    samples_->setRange(2, std::numeric_limits<int>::max());
    samples_->setValue(65536);
    time_ = make(new QComboBox(this), "cbCzas");
    for (const char* name : kTimeNames)
        time_->addItem(QString::fromLatin1(name));
    time_->setCurrentIndex(3);
    above_ = make(new QLineEdit(this), "edPowyzej");
    below_ = make(new QLineEdit(this), "edPonizej");
    compute_ = make(new QPushButton(this), "btOblicz");
    cancel_ = make(new QPushButton(this), "btAnuluj");
    mark_ = make(new QPushButton(this), "btOznacz");
    csv_ = make(new QPushButton(this), "btCsv");
    png_ = make(new QPushButton(this), "btPng");
    progress_ = make(new QProgressBar(this), "pbPostep");
    statsText_ = make(new QLabel(this), "lbStatystyka");
    statsText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    limitsLabel_ = new QLabel(this);
    intervalLabel_ = new QLabel(this);
    plot_ = new Plot(*this);

    auto* controls = new QGridLayout;
    controls->addWidget(channel_, 0, 0);
    controls->addWidget(measure_, 0, 1);
    controls->addWidget(mode_, 0, 2);
    controls->addWidget(intervalLabel_, 0, 3);
    controls->addWidget(samples_, 0, 4);
    controls->addWidget(time_, 0, 5);
    controls->addWidget(compute_, 0, 6);
    controls->addWidget(cancel_, 0, 7);
    controls->addWidget(limitsLabel_, 1, 0);
    controls->addWidget(above_, 1, 1);
    controls->addWidget(below_, 1, 2);
    controls->addWidget(mark_, 1, 4);
    controls->addWidget(csv_, 1, 5);
    controls->addWidget(png_, 1, 6, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(plot_, 1);
    layout->addWidget(statsText_);
    layout->addWidget(progress_);
    progress_->hide();
    cancel_->setEnabled(false);

    connect(mode_, &QComboBox::currentIndexChanged, this, &TrendWindow::modeChanged);
    connect(compute_, &QPushButton::clicked, this, &TrendWindow::compute);
    connect(cancel_, &QPushButton::clicked, &work_, &LongWork::cancel);
    connect(mark_, &QPushButton::clicked, this, &TrendWindow::markViolations);
    connect(csv_, &QPushButton::clicked, this, &TrendWindow::exportCsv);
    connect(png_, &QPushButton::clicked, this, &TrendWindow::exportPng);
    connect(above_, &QLineEdit::textChanged, this, &TrendWindow::updateLimits);
    connect(below_, &QLineEdit::textChanged, this, &TrendWindow::updateLimits);
    connect(&work_, &LongWork::progressed, this, [this](std::int64_t done, std::int64_t total) {
        progress_->setRange(0, 1000);
        progress_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    liveTimer_ = new QTimer(this);
    liveTimer_->setInterval(Acquisition::kTickIntervalMs); // a new frame comes at most once per tick
    connect(liveTimer_, &QTimer::timeout, this, [this] {
        followSampling();
        measurePreview();
    });
    retranslate();
    modeChanged();
}

TrendWindow::~TrendWindow() = default;

void TrendWindow::followSampling() {
    if (state_.samplingActive == liveShown_)
        return;
    liveShown_ = state_.samplingActive;
    for (QWidget* w : {static_cast<QWidget*>(compute_), static_cast<QWidget*>(csv_),
                       static_cast<QWidget*>(png_), static_cast<QWidget*>(mode_)})
        w->setEnabled(!liveShown_);
    if (liveShown_) {
        work_.stop();
        job_.reset();
        progress_->hide();
        live_.clear();
        live_.setLimits(shownLimits_);
        liveFrameStart_ = -1;
        shown_ = {static_cast<std::size_t>(measure_->currentIndex()), 0};
    }
    showStatistics();
    plot_->update();
}

void TrendWindow::measurePreview() {
    if (!liveShown_ || !preview_ || !previewStart_)
        return;
    const int channel = channel_->currentIndex();
    if (channel < 0 || channel > 1)
        return; // the preview holds A and B
    const std::uint8_t* codes = preview_(channel);
    const std::int64_t first = previewStart_();
    // A frame that did not change (a held trigger frame, no new samples) is no new point.
    if (codes == nullptr || first < 0 ||
        (liveFrameStart_ >= 0 && std::memcmp(liveFrame_.data(), codes, liveFrame_.size()) == 0))
        return;
    std::memcpy(liveFrame_.data(), codes, liveFrame_.size());
    liveFrameStart_ = first;
    ChannelMeasurements m;
    const auto ch = static_cast<std::size_t>(channel);
    measureCodes(liveFrame_.data(), kDisplayColumns, state_.channelSensitivity[ch], state_.samplingPeriodMs,
                 m);
    liveRuns(live_.add({static_cast<double>(first), static_cast<double>(first + kDisplayColumns),
                        kMeasurementFields[shown_.measure].value(m)}));
    stats_ = live_.statistics();
    showStatistics();
    plot_->update();
}

void TrendWindow::liveRuns(int closed) {
    for (int i = 0; i < closed; ++i)
        emit liveViolation(violationMarkers({live_.closedRun(i)}, shown_.measure, live_.limits()).front(),
                           live_.violationCount());
}

void TrendWindow::retranslate() {
    setWindowTitle(tr("Trend pomiaru"));
    for (std::size_t i = 0; i < kTrendMeasureCount; ++i)
        measure_->setItemText(static_cast<int>(i),
                              QCoreApplication::translate("varnilog::MeasurementsWindow", kMeasureNames[i]));
    mode_->setItemText(BySamples, tr("Co N próbek"));
    mode_->setItemText(ByTime, tr("Co czas"));
    mode_->setItemText(PerPeriod, tr("Na okres"));
    intervalLabel_->setText(tr("Przedział:"));
    limitsLabel_->setText(tr("Granice:"));
    above_->setPlaceholderText(tr("powyżej"));
    below_->setPlaceholderText(tr("poniżej"));
    compute_->setText(tr("Oblicz"));
    cancel_->setText(tr("Anuluj"));
    mark_->setText(tr("Oznacz przekroczenia"));
    csv_->setText(tr("Zapisz CSV…"));
    png_->setText(tr("Zapisz PNG…"));
    showStatistics();
}

void TrendWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void TrendWindow::hideEvent(QHideEvent* event) {
    work_.cancel();
    liveTimer_->stop();
    QWidget::hideEvent(event);
}

void TrendWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        compute();
    else
        QWidget::keyPressEvent(event);
}

void TrendWindow::FormShow() {
    fillChannels();
    show();
    raise();
    liveTimer_->start();
    followSampling();
}

void TrendWindow::fillChannels() {
    const int keep = channel_->currentIndex();
    channel_->clear();
    for (int c = 0; c < std::min<int>(state_.channelCount, kChannels); ++c)
        channel_->addItem(tr("Kanał %1").arg(QChar(channelName[static_cast<std::size_t>(c)])));
    channel_->setCurrentIndex(std::clamp(keep, 0, channel_->count() - 1));
}

void TrendWindow::recordingChanged() {
    work_.stop();
    job_.reset();
    points_.clear();
    violations_.clear();
    stats_ = {};
    progress_->hide();
    compute_->setEnabled(true);
    cancel_->setEnabled(false);
    fillChannels();
    showStatistics();
    plot_->update();
}

void TrendWindow::modeChanged() {
    samples_->setVisible(mode_->currentIndex() == BySamples);
    time_->setVisible(mode_->currentIndex() == ByTime);
    intervalLabel_->setVisible(mode_->currentIndex() != PerPeriod);
}

std::optional<TrendRequest> TrendWindow::request() const {
    const int channel = channel_->currentIndex();
    if (channel < 0 || state_.sampleCount <= 0)
        return std::nullopt;
    TrendRequest r{measureRequestFor(state_, 0, state_.sampleCount), channel,
                   static_cast<std::size_t>(measure_->currentIndex()), 0};
    switch (mode_->currentIndex()) {
    case BySamples:
        r.interval = samples_->value();
        break;
    case ByTime:
        // Rounded to whole samples; a time shorter than two samples is two.
        r.interval = std::max<std::int64_t>(
            2, std::llround(kTimesMs[static_cast<std::size_t>(time_->currentIndex())] /
                            static_cast<double>(std::max(state_.samplingPeriodMs, 1e-6f))));
        break;
    default:
        if (!hasPerPeriodForm(r.measure))
            return std::nullopt;
    }
    return r;
}

void TrendWindow::compute() {
    if (work_.busy())
        return;
    const std::optional<TrendRequest> wanted = request();
    if (!wanted) {
        boxes_.showErrorBox(mode_->currentIndex() == PerPeriod ? tr("Ten pomiar nie ma wartości na okres")
                                                               : tr("Brak próbek do obliczenia trendu"));
        return;
    }
    shown_ = {wanted->measure, state_.sampleCount};
    auto job = std::make_shared<TrendResult>();
    job_ = job;
    compute_->setEnabled(false);
    cancel_->setEnabled(true);
    progress_->setValue(0);
    progress_->show();
    work_.start(
        [job, r = *wanted](const WorkProgress& progress) {
            *job = computeTrend(r, progress);
            return job->ok;
        },
        [this](bool completed) { workerDone(completed); });
}

void TrendWindow::workerDone(bool) {
    const std::shared_ptr<TrendResult> job = std::move(job_);
    compute_->setEnabled(true);
    cancel_->setEnabled(false);
    progress_->hide();
    if (!job)
        return;
    if (!job->ok && !job->cancelled)
        boxes_.showErrorBox(tr("Błąd odczytu pliku: %1").arg(job->error));
    if (!job->ok)
        return;
    points_ = std::move(job->points);
    stats_ = trendStatistics(points_);
    updateLimits();
}

bool TrendWindow::limits(TrendLimits& limits) const {
    bool aboveOk = true, belowOk = true;
    limits.above = limitText(above_->text(), aboveOk);
    limits.below = limitText(below_->text(), belowOk);
    return aboveOk && belowOk;
}

void TrendWindow::updateLimits() {
    TrendLimits typed;
    const bool ok = limits(typed);
    // A limit that is no number shows in red and counts as none.
    for (QLineEdit* edit : {above_, below_}) {
        bool valid = true;
        limitText(edit->text(), valid);
        edit->setStyleSheet(valid ? QString() : QStringLiteral("color: red"));
    }
    shownLimits_ = ok ? typed : TrendLimits{};
    if (liveShown_)
        liveRuns(live_.setLimits(shownLimits_));
    violations_ = trendViolations(points_, shownLimits_);
    showStatistics();
    plot_->update();
}

void TrendWindow::showStatistics() {
    if (liveShown_) {
        const QLocale locale;
        const Quantity quantity = kMeasurementFields[shown_.measure].quantity;
        const auto text = [&](std::optional<double> v) { return measurementText(v, quantity, locale); };
        statsText_->setText(tr("Na żywo: klatek %1 (z wartością %2)   min %3   maks %4   średnia %5   "
                               "odch. std. %6   przekroczenia: %7")
                                .arg(live_.pointCount())
                                .arg(stats_.count)
                                .arg(text(stats_.min), text(stats_.max), text(stats_.mean), text(stats_.sd))
                                .arg(live_.violationCount()));
        mark_->setEnabled(false);
        return;
    }
    if (points_.empty()) {
        statsText_->setText(tr("Brak trendu: wybierz pomiar i naciśnij „Oblicz”"));
        mark_->setEnabled(false);
        return;
    }
    const QLocale locale;
    const Quantity quantity = kMeasurementFields[shown_.measure].quantity;
    const auto text = [&](std::optional<double> v) { return measurementText(v, quantity, locale); };
    statsText_->setText(tr("Punkty: %1 (z wartością %2)   min %3   maks %4   średnia %5   odch. std. %6   "
                           "przekroczenia: %7")
                            .arg(points_.size())
                            .arg(stats_.count)
                            .arg(text(stats_.min), text(stats_.max), text(stats_.mean), text(stats_.sd))
                            .arg(violations_.size()));
    mark_->setEnabled(!violations_.empty());
}

QImage TrendWindow::picture(QSize size) const {
    QImage image(size.expandedTo(QSize(kLeft + kRight + 2, kTop + kBottom + 2)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    const QRect area(kLeft, kTop, image.width() - kLeft - kRight, image.height() - kTop - kBottom);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(area.adjusted(0, 0, -1, -1));
    if (liveShown_) {
        drawLive(p, area);
        return image;
    }
    if (points_.empty() || shown_.sampleCount <= 0 || !stats_.min)
        return image;
    double lo = *stats_.min, hi = *stats_.max;
    for (const std::optional<double>& limit : {shownLimits_.above, shownLimits_.below})
        if (limit) {
            lo = std::min(lo, *limit);
            hi = std::max(hi, *limit);
        }
    const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(std::abs(hi) * 0.05, 1e-9);
    lo -= pad;
    hi += pad;
    const auto yOf = [&](double v) {
        return area.bottom() - static_cast<int>(std::lround((v - lo) / (hi - lo) * (area.height() - 1)));
    };
    const double perColumn = static_cast<double>(shown_.sampleCount) / area.width();
    const auto xOf = [&](double sample) {
        return area.left() + std::clamp(static_cast<int>(sample / perColumn), 0, area.width() - 1);
    };
    // The axes' texts: the value range on the left, times as the status bar gives them below.
    const QLocale locale;
    const Quantity quantity = kMeasurementFields[shown_.measure].quantity;
    p.setPen(Qt::black);
    p.drawText(QRect(0, area.top(), kLeft - 4, 16), Qt::AlignRight, measurementText(hi, quantity, locale));
    p.drawText(QRect(0, area.bottom() - 16, kLeft - 4, 16), Qt::AlignRight,
               measurementText(lo, quantity, locale));
    for (int i = 0; i <= 4; ++i) {
        const int x = area.left() + (area.width() - 1) * i / 4;
        const QString t =
            sampleTimeText(static_cast<double>(shown_.sampleCount) * i / 4, state_.samplingPeriodMs);
        const int w = p.fontMetrics().horizontalAdvance(t);
        p.drawLine(x, area.bottom(), x, area.bottom() + 3);
        p.drawText(std::clamp(x - w / 2, 0, image.width() - w), image.height() - 5, t);
    }
    p.setPen(QPen(QColor(220, 0, 0), 1, Qt::DashLine));
    for (const std::optional<double>& limit : {shownLimits_.above, shownLimits_.below})
        if (limit)
            p.drawLine(area.left(), yOf(*limit), area.right(), yOf(*limit));
    // The violations shaded, then the points: a line between neighbours, or with more points than
    // columns each column's smallest and largest value.
    for (const TrendViolation& v : violations_)
        p.fillRect(QRect(QPoint(xOf(v.start), area.top() + 1), QPoint(xOf(v.end), area.bottom() - 1)),
                   QColor(255, 200, 190));
    p.setPen(QPen(QColor(0, 60, 200), 1));
    if (static_cast<int>(points_.size()) > area.width()) {
        std::vector<std::pair<double, double>> columns(
            static_cast<std::size_t>(area.width()),
            {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()});
        for (const TrendPoint& pt : points_)
            if (pt.value) {
                auto& c = columns[static_cast<std::size_t>(xOf((pt.start + pt.end) / 2) - area.left())];
                c.first = std::min(c.first, *pt.value);
                c.second = std::max(c.second, *pt.value);
            }
        for (int i = 0; i < area.width(); ++i)
            if (const auto& c = columns[static_cast<std::size_t>(i)]; c.first <= c.second)
                p.drawLine(area.left() + i, yOf(c.first), area.left() + i, yOf(c.second));
    } else {
        std::optional<QPoint> last;
        for (const TrendPoint& pt : points_) {
            if (!pt.value) {
                last.reset();
                continue;
            }
            const QPoint here(xOf((pt.start + pt.end) / 2), yOf(*pt.value));
            if (last)
                p.drawLine(*last, here);
            else
                p.drawPoint(here);
            last = here;
        }
    }
    return image;
}

void TrendWindow::drawLive(QPainter& p, const QRect& area) const {
    const std::size_t n = live_.columnCount();
    if (n == 0 || !stats_.min)
        return;
    const LiveTrend::Column* columns = live_.columns();
    double lo = *stats_.min, hi = *stats_.max;
    for (const std::optional<double>& limit : {shownLimits_.above, shownLimits_.below})
        if (limit) {
            lo = std::min(lo, *limit);
            hi = std::max(hi, *limit);
        }
    const double pad = hi > lo ? (hi - lo) * 0.05 : std::max(std::abs(hi) * 0.05, 1e-9);
    lo -= pad;
    hi += pad;
    const auto yOf = [&](double v) {
        return area.bottom() - static_cast<int>(std::lround((v - lo) / (hi - lo) * (area.height() - 1)));
    };
    // From the first frame to the newest: the chart scrolls as it fills, and shrinks as it grows.
    const double from = columns[0].start, to = std::max(columns[n - 1].end, from + 1);
    const auto xOf = [&](double sample) {
        return area.left() + std::clamp(static_cast<int>((sample - from) / (to - from) * area.width()), 0,
                                        area.width() - 1);
    };
    const QLocale locale;
    const Quantity quantity = kMeasurementFields[shown_.measure].quantity;
    p.setPen(Qt::black);
    p.drawText(QRect(0, area.top(), kLeft - 4, 16), Qt::AlignRight, measurementText(hi, quantity, locale));
    p.drawText(QRect(0, area.bottom() - 16, kLeft - 4, 16), Qt::AlignRight,
               measurementText(lo, quantity, locale));
    for (int i = 0; i <= 4; ++i) {
        const int x = area.left() + (area.width() - 1) * i / 4;
        const QString t = sampleTimeText(from + (to - from) * i / 4, state_.samplingPeriodMs);
        const int w = p.fontMetrics().horizontalAdvance(t);
        p.drawLine(x, area.bottom(), x, area.bottom() + 3);
        p.drawText(std::clamp(x - w / 2, 0, area.right() - w), area.bottom() + kBottom - 5, t);
    }
    p.setPen(QPen(QColor(220, 0, 0), 1, Qt::DashLine));
    for (const std::optional<double>& limit : {shownLimits_.above, shownLimits_.below})
        if (limit)
            p.drawLine(area.left(), yOf(*limit), area.right(), yOf(*limit));
    p.setPen(QPen(QColor(0, 60, 200), 1));
    std::optional<QPoint> last;
    for (std::size_t i = 0; i < n; ++i) {
        const LiveTrend::Column& c = columns[i];
        if (!c.min) {
            last.reset();
            continue;
        }
        const int x = xOf((c.start + c.end) / 2);
        const QPoint top(x, yOf(*c.max)), bottom(x, yOf(*c.min));
        if (last)
            p.drawLine(*last, bottom);
        p.drawLine(bottom, top);
        last = top;
    }
}

std::optional<std::int64_t> TrendWindow::sampleAt(int x, int width) const {
    const int columns = width - kLeft - kRight;
    if (points_.empty() || columns <= 0 || x < kLeft || x >= kLeft + columns)
        return std::nullopt;
    return static_cast<std::int64_t>(static_cast<double>(x - kLeft) *
                                     static_cast<double>(shown_.sampleCount) / columns);
}

QByteArray TrendWindow::csvText() const {
    return trendCsv(points_, state_.samplingPeriodMs);
}

void TrendWindow::exportCsv() {
    if (dialogs_ == nullptr || points_.empty())
        return;
    const QString path = dialogs_->saveFileName(this, tr("Pliki CSV (*.csv)"), QStringLiteral("csv"),
                                                QDir(state_.dataDir).filePath(QStringLiteral("trend.csv")));
    if (QString error; !path.isEmpty() && !writeFileSafely(path, csvText(), error))
        boxes_.showErrorBox(tr("Nie można zapisać pliku: %1").arg(error));
}

void TrendWindow::exportPng() {
    if (dialogs_ == nullptr || points_.empty())
        return;
    const QString path = dialogs_->saveFileName(this, tr("Obrazy PNG (*.png)"), QStringLiteral("png"),
                                                QDir(state_.dataDir).filePath(QStringLiteral("trend.png")));
    const QImage image = picture(plot_->size());
    if (QString error;
        !path.isEmpty() && !writeFileSafely(
                               path, [&](QIODevice& out) { return image.save(&out, "PNG"); }, error))
        boxes_.showErrorBox(tr("Nie można zapisać pliku: %1").arg(error));
}

void TrendWindow::markViolations() {
    if (!violations_.empty())
        emit markRequested(violationMarkers(violations_, shown_.measure, shownLimits_));
}

} // namespace varnilog
