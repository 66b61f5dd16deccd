#include "windows/MeasurementsWindow.h"

#include "analysis/MeasurementText.h"
#include "analysis/PeriodFile.h"
#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "device/Acquisition.h"
#include "recording/RecordingManagement.h"
#include "recording/SafeFile.h"
#include "ui_MeasurementsWindow.h"
#include "view/ScaleTables.h"
#include "windows/StandardDialogs.h"
#include "windows/WindowPlacement.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>

#include <cstring>
#include <utility>

namespace varnilog {

namespace {

// The rows' names, in the order of kMeasurementFields.
const std::array<const char*, 13> kRowNames{
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
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Czas opadania"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Liczba okresów"),
    QT_TRANSLATE_NOOP("varnilog::MeasurementsWindow", "Liczba próbek")};

} // namespace

// One measurement on its way: its inputs, the worker's progress, its result.
struct MeasurementsWindow::Job {
    Inputs inputs;
    MeasureRequest request;
    QString periodPath; // also write the per-period file there
    MeasureResult result;
    IntervalStatistics stats;
    QString periodError;

    // progress may be empty (a short span measured on the window thread).
    void run(const WorkProgress& progress) {
        std::unique_ptr<SafeFile> file;
        std::unique_ptr<PeriodFileWriter> writer;
        PeriodSink sink;
        if (!periodPath.isEmpty()) {
            file = std::make_unique<SafeFile>(periodPath);
            if (!file->open(QIODevice::WriteOnly)) {
                periodError = file->errorString();
                return;
            }
            writer = std::make_unique<PeriodFileWriter>(*file, QLocale(), request.samplingPeriodMs,
                                                        request.channelSensitivity);
            sink = [&](const PeriodRecord& p) { writer->add(p); };
        }
        result = measureSpan(
            request,
            [&progress, &writer](std::int64_t d, std::int64_t t) {
                return (!progress || progress(d, t)) && !(writer && writer->failed());
            },
            sink);
        if (writer && result.ok && (!writer->finish() || !file->commit()))
            periodError = writer->failed() ? writer->error() : file->errorString();
        if (result.ok && inputs.statsInterval >= 2) {
            stats = intervalStatistics(request, inputs.statsInterval, progress);
            if (!stats.ok) {
                result.ok = false;
                result.cancelled = stats.cancelled;
                result.error = stats.error;
            }
        }
    }
};

MeasurementsWindow::MeasurementsWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Tool), state_(state), boxes_(boxes),
      ui_(std::make_unique<Ui::MeasurementsWindow>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    auto* group = new QButtonGroup(this);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(ui_->rbWidok), static_cast<QAbstractButton*>(ui_->rbZaznaczenie),
          static_cast<QAbstractButton*>(ui_->rbKursory), static_cast<QAbstractButton*>(ui_->rbCale),
          static_cast<QAbstractButton*>(ui_->rbZnaczniki), static_cast<QAbstractButton*>(ui_->rbPodglad)})
        group->addButton(b);
    connect(group, &QButtonGroup::buttonClicked, this, [this] { zakresClick(); });
    connect(ui_->btKopiuj, &QPushButton::clicked, this, &MeasurementsWindow::btKopiujClick);
    connect(ui_->btZapiszOkresy, &QPushButton::clicked, this, &MeasurementsWindow::btZapiszOkresyClick);
    connect(ui_->btAnuluj, &QPushButton::clicked, this, &MeasurementsWindow::btAnulujClick);
    connect(ui_->cbStatystyka, &QCheckBox::toggled, this, &MeasurementsWindow::statisticsToggled);
    connect(ui_->btWyczysc, &QPushButton::clicked, this, &MeasurementsWindow::clearLiveStatistics);
    connect(ui_->cbKanalStat, &QComboBox::currentIndexChanged, this, [this] { fillTable(); });
    connect(ui_->sbInterwal, &QSpinBox::valueChanged, this, [this] { viewChanged(); });
    QTableWidget* t = ui_->tblPomiary;
    t->setRowCount(static_cast<int>(kRowNames.size()));
    for (int r = 0; r < t->rowCount(); ++r) {
        t->setVerticalHeaderItem(r, new QTableWidgetItem);
        t->setRowHeight(r, 19);
    }
    retranslate();
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    follow_ = new QTimer(this);
    follow_->setSingleShot(true);
    follow_->setInterval(0);
    connect(follow_, &QTimer::timeout, this, &MeasurementsWindow::followMainWindow);
    live_ = new QTimer(this);
    live_->setInterval(Acquisition::kTickIntervalMs); // a new frame comes at most once per tick
    connect(live_, &QTimer::timeout, this, &MeasurementsWindow::measurePreview);
    connect(&work_, &LongWork::progressed, this, &MeasurementsWindow::showProgress);
}

MeasurementsWindow::~MeasurementsWindow() {
    stopWorker();
}

void MeasurementsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui_->retranslateUi(this);
        retranslate();
    }
    QWidget::changeEvent(event);
}

void MeasurementsWindow::retranslate() {
    QTableWidget* t = ui_->tblPomiary;
    for (int r = 0; r < t->rowCount(); ++r)
        t->verticalHeaderItem(r)->setText(tr(kRowNames[static_cast<std::size_t>(r)]));
    showSpanText();
}

void MeasurementsWindow::showSpanText() {
    if (stoppedByUser_) {
        ui_->lbZakres->setText(tr("Przerwano pomiar"));
    } else if (haveResult_) {
        const QLocale locale;
        const SampleSpan& s = shown_.span;
        ui_->lbZakres->setText(
            tr("Próbki %1–%2 (%3)")
                .arg(countText(s.from, locale), countText(s.to, locale), countText(s.length(), locale)));
    }
}

void MeasurementsWindow::FormShow() {
    const bool wasShown = isVisible();
    if (!placed_ && parentWidget()) {
        const QWidget* main = parentWidget()->window();
        if (const QScreen* screen = main->screen()) {
            move(placeBeside(main->frameGeometry(), frameGeometry().size(), screen->availableGeometry()));
            placed_ = true; // later the user's place is kept
        }
    }
    show();
    if (wasShown) { // opened again: brought to the front
        raise();
        activateWindow();
    }
    followMainWindow();
}

void MeasurementsWindow::recordingChanged() {
    reloaded_ = true;
    viewChanged();
}

void MeasurementsWindow::viewChanged() {
    if (isVisible())
        follow_->start();
}

void MeasurementsWindow::setMarkerSpan(std::optional<SampleSpan> span) {
    markerSpan_ = span;
    ui_->rbZnaczniki->setEnabled(span && !sampling_);
    if (!span && ui_->rbZnaczniki->isChecked())
        ui_->rbWidok->setChecked(true);
    viewChanged();
}

void MeasurementsWindow::hideEvent(QHideEvent* event) {
    follow_->stop();
    live_->stop();
    stopWorker(); // nobody waits for a table that is not shown
    setBusy(false);
    QWidget::hideEvent(event);
}

SpanChoice MeasurementsWindow::spanChoice() const {
    if (ui_->rbZaznaczenie->isChecked())
        return SpanChoice::Selection;
    if (ui_->rbKursory->isChecked())
        return SpanChoice::Cursors;
    if (ui_->rbCale->isChecked())
        return SpanChoice::Whole;
    return SpanChoice::View;
}

void MeasurementsWindow::setSpanChoice(SpanChoice choice) {
    QAbstractButton* const buttons[] = {ui_->rbWidok, ui_->rbZaznaczenie, ui_->rbKursory, ui_->rbCale};
    QAbstractButton* b = buttons[static_cast<int>(choice)];
    if (sampling_)
        choiceBeforeSampling_ = b;
    else
        b->setChecked(true);
    viewChanged();
}

MeasurementsWindow::Inputs MeasurementsWindow::currentInputs() const {
    Inputs in;
    in.recordingPath = state_.recordingPath;
    in.sampleCount = state_.sampleCount;
    in.channelCount = state_.channelCount;
    in.sensitivity = state_.channelSensitivity;
    in.samplingPeriodMs = state_.samplingPeriodMs;
    const bool between = ui_->rbZnaczniki->isChecked() && markerSpan_;
    SpanRequest span = windowSpanRequest(between ? SpanSource::Between : spanSourceOf(spanChoice()), state_);
    span.between = markerSpan_;
    // An empty span (no selection, cursors on one column) is measured as empty: the table shows dashes.
    in.span = resolveSpan(span).span;
    in.statsInterval = statisticsShown() ? ui_->sbInterwal->value() : 0;
    return in;
}

void MeasurementsWindow::followMainWindow() {
    follow_->stop();
    // Sampling changes the recording under the table: only the preview is measured until it stops.
    followSampling(state_.samplingActive);
    if (sampling_)
        return;
    const Inputs in = currentInputs();
    // A measurement the user stopped is not started again until what it measures changes.
    const bool same = busy() ? job_->inputs == in : ((haveResult_ || stoppedByUser_) && shown_ == in);
    if (!std::exchange(reloaded_, false) && same)
        return;
    measure(in);
}

void MeasurementsWindow::followSampling(bool sampling) {
    if (sampling && !live_->isActive())
        live_->start();
    if (sampling == sampling_)
        return;
    sampling_ = sampling;
    for (QWidget* w : {static_cast<QWidget*>(ui_->rbWidok), static_cast<QWidget*>(ui_->rbZaznaczenie),
                       static_cast<QWidget*>(ui_->rbKursory), static_cast<QWidget*>(ui_->rbCale),
                       static_cast<QWidget*>(ui_->btZapiszOkresy)})
        w->setEnabled(!sampling);
    ui_->rbZnaczniki->setEnabled(!sampling && markerSpan_);
    ui_->rbPodglad->setVisible(sampling);
    if (sampling) {
        stopWorker();
        setBusy(false);
        choiceBeforeSampling_ = ui_->rbPodglad->group()->checkedButton();
        ui_->rbPodglad->setChecked(true);
        liveMeasured_ = false;
        liveStats_ = {}; // from Start
        ui_->sbInterwal->setEnabled(false);
        measurePreview();
        return;
    }
    live_->stop();
    ui_->sbInterwal->setEnabled(true);
    if (choiceBeforeSampling_ != nullptr && choiceBeforeSampling_->isEnabled())
        choiceBeforeSampling_->setChecked(true);
    else
        ui_->rbWidok->setChecked(true);
    reloaded_ = true; // the table of the preview is no table of the recording
}

void MeasurementsWindow::measurePreview() {
    if (!sampling_ || !preview_)
        return;
    // A frame that did not change (a held trigger frame, no new samples) is not measured again.
    bool changed = !liveMeasured_;
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
    liveMeasured_ = true;
    result_ = MeasureResult{};
    for (std::size_t ch = 0; ch < 2; ++ch) {
        measureCodes(liveFrame_[ch].data(), kDisplayColumns, state_.channelSensitivity[ch],
                     state_.samplingPeriodMs, result_.channels[ch]);
        for (std::size_t f = 0; f < kMeasurementFields.size(); ++f)
            liveStats_[ch][f].add(kMeasurementFields[f].value(result_.channels[ch]));
    }
    shown_ = Inputs{};
    shown_.span = {0, kDisplayColumns};
    haveResult_ = false; // the recording's table is measured again at the stop
    ui_->lbZakres->setText(tr("Podgląd (%1 próbek)").arg(kDisplayColumns));
    fillTable();
}

void MeasurementsWindow::zakresClick() {
    if (!state_.samplingActive)
        measure(currentInputs());
}

void MeasurementsWindow::measure(const Inputs& inputs, const QString& periodPath) {
    stopWorker();
    stoppedByUser_ = false;
    job_ = std::make_unique<Job>();
    job_->inputs = inputs;
    job_->request = measureRequestFor(state_, inputs.span.from, inputs.span.to);
    job_->periodPath = periodPath;
    const int serial = ++jobSerial_;
    if (inputs.span.length() < backgroundFrom_) {
        job_->run({});
        std::unique_ptr<Job> job = std::move(job_);
        shown_ = job->inputs;
        intervalStats_ = job->stats;
        showResult(job->result, job->periodError);
        return;
    }
    setBusy(true);
    work_.start(
        [job = job_.get()](const WorkProgress& progress) {
            job->run(progress);
            return !job->result.cancelled;
        },
        [this, serial](bool) { workerDone(serial); });
}

void MeasurementsWindow::stopWorker() {
    work_.stop();
    job_.reset();
}

void MeasurementsWindow::showProgress(std::int64_t done, std::int64_t total) {
    ui_->pbPostep->setRange(0, 1000);
    ui_->pbPostep->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
}

void MeasurementsWindow::workerDone(int serial) {
    if (serial != jobSerial_ || !job_)
        return; // a measurement that was replaced or stopped
    std::unique_ptr<Job> job = std::move(job_);
    setBusy(false);
    if (job->result.cancelled && job->periodError.isEmpty()) {
        haveResult_ = false;
        stoppedByUser_ = true;
        shown_ = job->inputs;
        showSpanText();
        return;
    }
    shown_ = job->inputs;
    intervalStats_ = job->stats;
    showResult(job->result, job->periodError);
}

void MeasurementsWindow::showResult(const MeasureResult& result, const QString& periodError) {
    haveResult_ = true;
    if (!periodError.isEmpty())
        boxes_.showErrorBox(tr("Nie można zapisać pliku: %1").arg(periodError));
    if (!result.ok) {
        boxes_.showErrorBox(tr("Błąd odczytu pliku: %1").arg(result.error));
        return;
    }
    result_ = result;
    showSpanText();
    fillTable();
}

void MeasurementsWindow::fillTable() {
    QTableWidget* t = ui_->tblPomiary;
    const QLocale locale;
    QStringList names;
    std::vector<int> channels;
    for (int c = 0; c < kChannels; ++c)
        if (result_.channels[c].measured) {
            names << QString(QChar(channelName[c]));
            channels.push_back(c);
        }
    // The statistics of the chosen channel follow the values' columns.
    const int statsChannel = ui_->cbKanalStat->currentIndex();
    const bool stats = statisticsShown() && statsChannel >= 0 && statsChannel < kChannels &&
                       result_.channels[static_cast<std::size_t>(statsChannel)].measured;
    if (stats) {
        const QString ch{QChar(channelName[static_cast<std::size_t>(statsChannel)])};
        names << tr("min %1").arg(ch) << tr("maks %1").arg(ch) << tr("średnia %1").arg(ch)
              << tr("σ %1").arg(ch) << tr("n %1").arg(ch);
    }
    t->setColumnCount(static_cast<int>(channels.size()) + (stats ? 5 : 0));
    t->setHorizontalHeaderLabels(names);
    // Fewer columns than before keep their old widths unless stretched again.
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int col = 0; col < static_cast<int>(channels.size()); ++col) {
        const ChannelMeasurements& m = result_.channels[channels[static_cast<std::size_t>(col)]];
        for (int r = 0; r < t->rowCount(); ++r) {
            const MeasurementField& f = kMeasurementFields[static_cast<std::size_t>(r)];
            // Items are reused: the live table is refilled at every new frame.
            QTableWidgetItem* item = t->item(r, col);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                t->setItem(r, col, item);
            }
            item->setText(measurementText(f, m, locale));
        }
    }
    if (!stats)
        return;
    const ChannelMeasurements& m = result_.channels[static_cast<std::size_t>(statsChannel)];
    for (int r = 0; r < t->rowCount(); ++r) {
        const MeasurementField& f = kMeasurementFields[static_cast<std::size_t>(r)];
        const TrendStatistics s = statisticsOf(statsChannel, static_cast<std::size_t>(r));
        // The mean and σ of a count are no whole numbers.
        const auto text = [&](std::optional<double> v, bool whole) {
            return f.quantity == Quantity::Count && !whole
                       ? (v ? locale.toString(*v, 'g', 4) : QString::fromUtf16(kUndefinedText))
                       : measurementText(v, f.quantity, locale, m.voltsPerCode);
        };
        const QString texts[] = {text(s.min, true), text(s.max, true), text(s.mean, false), text(s.sd, false),
                                 countText(s.count, locale)};
        for (int k = 0; k < 5; ++k) {
            const int col = static_cast<int>(channels.size()) + k;
            QTableWidgetItem* item = t->item(r, col);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                t->setItem(r, col, item);
            }
            item->setText(texts[k]);
        }
    }
}

bool MeasurementsWindow::statisticsShown() const {
    return ui_->cbStatystyka->isChecked();
}

TrendStatistics MeasurementsWindow::statisticsOf(int channel, std::size_t row) const {
    if (channel < 0 || channel >= kChannels || row >= kMeasurementFields.size())
        return {};
    const auto ch = static_cast<std::size_t>(channel);
    if (sampling_)
        return ch < liveStats_.size() ? liveStats_[ch][row].statistics() : TrendStatistics{};
    return intervalStats_.measured[ch] ? intervalStats_.channels[ch][row] : TrendStatistics{};
}

void MeasurementsWindow::statisticsToggled() {
    const bool on = statisticsShown();
    for (QWidget* w : {static_cast<QWidget*>(ui_->cbKanalStat), static_cast<QWidget*>(ui_->sbInterwal),
                       static_cast<QWidget*>(ui_->btWyczysc)})
        w->setVisible(on);
    if (ui_->cbKanalStat->count() == 0)
        for (int c = 0; c < kChannels; ++c)
            ui_->cbKanalStat->addItem(QString(QChar(channelName[static_cast<std::size_t>(c)])));
    // The five columns of statistics need the room of five more values.
    const int wide = ui_->btWyczysc->geometry().right() + 9;
    const int narrow = ui_->btZapiszOkresy->geometry().right() + 9;
    setFixedSize(on ? wide : narrow, height());
    QRect table = ui_->tblPomiary->geometry();
    table.setRight((on ? wide : narrow) - 9);
    ui_->tblPomiary->setGeometry(table);
    if (sampling_)
        fillTable();
    else
        viewChanged();
}

void MeasurementsWindow::clearLiveStatistics() {
    liveStats_ = {};
    if (sampling_)
        fillTable();
}

QString MeasurementsWindow::tableText() const {
    const QTableWidget* t = ui_->tblPomiary;
    QString text;
    for (int col = 0; col < t->columnCount(); ++col)
        text += '\t' + t->horizontalHeaderItem(col)->text();
    text += '\n';
    for (int r = 0; r < t->rowCount(); ++r) {
        text += t->verticalHeaderItem(r)->text();
        for (int col = 0; col < t->columnCount(); ++col)
            text += '\t' + (t->item(r, col) ? t->item(r, col)->text() : QString());
        text += '\n';
    }
    return text;
}

void MeasurementsWindow::btKopiujClick() {
    QGuiApplication::clipboard()->setText(tableText());
}

void MeasurementsWindow::btZapiszOkresyClick() {
    if (dialogs_ == nullptr || state_.samplingActive)
        return;
    const QString path =
        dialogs_->saveFileName(this, tr("Pliki CSV (*.csv)"), QStringLiteral("csv"),
                               QDir(state_.dataDir).filePath(tr("okresy") + QStringLiteral(".csv")));
    if (path.isEmpty())
        return;
    if (const CoreError error = outputOntoRecordingError(path, {state_.recordingPath}); error.failed())
        boxes_.showErrorBox(coreMessage(error));
    else
        measure(currentInputs(), path);
}

void MeasurementsWindow::btAnulujClick() {
    work_.cancel();
}

void MeasurementsWindow::setBusy(bool busy) {
    ui_->pbPostep->setValue(0);
    ui_->pbPostep->setVisible(busy);
    ui_->btAnuluj->setVisible(busy);
    ui_->btZapiszOkresy->setEnabled(!busy && !state_.samplingActive);
}

} // namespace varnilog
