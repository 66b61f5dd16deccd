#include "windows/DecodeWindow.h"

#include "analysis/Measurements.h"
#include "app/MessageBoxes.h"
#include "decode/BitRate.h"
#include "decode/RecordingDecode.h"
#include "recording/InterchangeExport.h"
#include "view/ElapsedTime.h"
#include "view/ScaleTables.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace varnilog {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<double> numberText(const QString& text, bool& ok) {
    ok = true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    double value = QLocale().toDouble(t, &ok);
    if (!ok)
        value = QLocale::c().toDouble(t, &ok);
    ok = ok && std::isfinite(value);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

struct DecodeWindow::Entry {
    const DecoderInfo* info = nullptr;
    QWidget* page = nullptr;
    std::vector<QComboBox*> channels; // the bottom decoder's: "—", A..D
    std::vector<std::pair<const DecoderOptionInfo*, QWidget*>> options;
    QLineEdit* bitRate = nullptr;
    QLabel* warning = nullptr;
};

struct DecodeWindow::Job {
    bool guessing = false;
    RecordingDecodeResult result;
    std::optional<std::int64_t> bitRate;
    AnnotationRows rows;
};

class DecodeWindow::TableModel : public QAbstractTableModel {
public:
    explicit TableModel(DecodeWindow& owner) : QAbstractTableModel(&owner), owner_(owner) {}
    void reset() {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(owner_.shown_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const AnnotationItem& item =
            owner_.rows_->items[owner_.shown_[static_cast<std::size_t>(index.row())]];
        const DecoderInfo& d = *owner_.rowsDecoders_[static_cast<std::size_t>(item.decoder)];
        switch (index.column()) {
        case 0:
            return sampleTimeText(static_cast<double>(item.start), owner_.state_.samplingPeriodMs);
        case 1:
            return qs(d.id);
        case 2:
            return item.colour >= 0 && static_cast<std::size_t>(item.colour) < d.annotationClasses.size()
                       ? qs(d.annotationClasses[static_cast<std::size_t>(item.colour)].id)
                       : QString();
        default:
            return item.texts.empty() ? QString() : qs(item.texts.front());
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case 0:
            return DecodeWindow::tr("Czas");
        case 1:
            return DecodeWindow::tr("Dekoder");
        case 2:
            return DecodeWindow::tr("Klasa");
        default:
            return DecodeWindow::tr("Tekst");
        }
    }

private:
    DecodeWindow& owner_;
};

DecodeWindow::DecodeWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), boxes_(boxes) {
    setObjectName(QStringLiteral("DecodeWindow"));
    resize(820, 720);
    const auto make = [this](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    search_ = make(new QLineEdit(this), "edSzukaj");
    library_ = make(new QListWidget(this), "lbDekodery");
    stack_ = make(new QListWidget(this), "lbStos");
    add_ = make(new QPushButton(this), "btDodaj");
    remove_ = make(new QPushButton(this), "btUsun");
    settings_ = make(new QStackedWidget(this), "pnUstawienia");
    thresholdLabel_ = new QLabel(this);
    for (int c = 0; c < kChannels; ++c) {
        thresholds_[static_cast<std::size_t>(c)] =
            make(new QLineEdit(this), QStringLiteral("edProg%1")
                                          .arg(QChar(channelName[static_cast<std::size_t>(c)]))
                                          .toLatin1()
                                          .constData());
        thresholds_[static_cast<std::size_t>(c)]->setMaximumWidth(70);
    }
    decode_ = make(new QPushButton(this), "btDekoduj");
    cancel_ = make(new QPushButton(this), "btAnuluj");
    progress_ = make(new QProgressBar(this), "pbPostep");
    status_ = make(new QLabel(this), "lbStan");
    status_->setWordWrap(true);
    showRows_ = make(new QCheckBox(this), "chkWiersze");
    showRows_->setChecked(true);
    filter_ = make(new QLineEdit(this), "edFiltr");
    find_ = make(new QLineEdit(this), "edZnajdz");
    table_ = make(new QTableView(this), "tvAdnotacje");
    model_ = new TableModel(*this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(18);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(0, 150);

    auto* left = new QVBoxLayout;
    left->addWidget(search_);
    left->addWidget(library_, 1);
    auto* stackButtons = new QHBoxLayout;
    stackButtons->addWidget(add_);
    stackButtons->addWidget(remove_);
    left->addLayout(stackButtons);
    left->addWidget(stack_);
    auto* thresholds = new QHBoxLayout;
    thresholds->addWidget(thresholdLabel_);
    for (QLineEdit* t : thresholds_)
        thresholds->addWidget(t);
    thresholds->addStretch(1);
    auto* run = new QHBoxLayout;
    run->addWidget(decode_);
    run->addWidget(cancel_);
    run->addWidget(progress_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(settings_, 1);
    right->addLayout(thresholds);
    right->addLayout(run);
    right->addWidget(status_);
    right->addWidget(showRows_);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(filter_);
    findRow->addWidget(find_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(findRow);
    layout->addWidget(table_, 1);
    progress_->hide();
    cancel_->setEnabled(false);
    remove_->setEnabled(false);

    connect(search_, &QLineEdit::textChanged, this, &DecodeWindow::filterLibrary);
    connect(add_, &QPushButton::clicked, this, &DecodeWindow::addChosenDecoder);
    connect(library_, &QListWidget::itemDoubleClicked, this, &DecodeWindow::addChosenDecoder);
    connect(remove_, &QPushButton::clicked, this, &DecodeWindow::removeLastDecoder);
    connect(stack_, &QListWidget::currentRowChanged, this, &DecodeWindow::showEntry);
    connect(decode_, &QPushButton::clicked, this, &DecodeWindow::decode);
    connect(cancel_, &QPushButton::clicked, &work_, &LongWork::cancel);
    connect(showRows_, &QCheckBox::toggled, this, &DecodeWindow::annotationsChanged);
    connect(filter_, &QLineEdit::textChanged, this, &DecodeWindow::refilter);
    connect(find_, &QLineEdit::returnPressed, this, [this] { findNext(true); });
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& i) { chooseLine(i.row()); });
    connect(&work_, &LongWork::progressed, this, [this](std::int64_t done, std::int64_t total) {
        progress_->setRange(0, 1000);
        progress_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    retranslate();
}

DecodeWindow::~DecodeWindow() {
    // The model reads this window's members: gone before they are, so the table never asks it again.
    delete model_;
}

void DecodeWindow::retranslate() {
    setWindowTitle(tr("Dekodowanie"));
    search_->setPlaceholderText(tr("Szukaj dekodera"));
    add_->setText(tr("Dodaj"));
    remove_->setText(tr("Usuń"));
    thresholdLabel_->setText(tr("Progi [V]:"));
    for (int c = 0; c < kChannels; ++c)
        thresholds_[static_cast<std::size_t>(c)]->setPlaceholderText(
            QStringLiteral("%1: %2").arg(QChar(channelName[static_cast<std::size_t>(c)]), tr("Auto")));
    decode_->setText(tr("Dekoduj"));
    showRows_->setText(tr("Wiersze pod przebiegiem"));
    cancel_->setText(tr("Anuluj"));
    filter_->setPlaceholderText(tr("Filtr tabeli"));
    find_->setPlaceholderText(tr("Znajdź (F3, Shift+F3): tekst lub bajt 0x41"));
    updateBitRateWarning();
}

void DecodeWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void DecodeWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F3)
        findNext(!(event->modifiers() & Qt::ShiftModifier));
    else
        QWidget::keyPressEvent(event);
}

void DecodeWindow::hideEvent(QHideEvent* event) {
    work_.cancel();
    QWidget::hideEvent(event);
}

bool DecodeWindow::rowsShown() const {
    return showRows_->isChecked();
}

void DecodeWindow::FormShow() {
    if (decoders_.empty())
        fillLibrary();
    show();
    raise();
}

void DecodeWindow::fillLibrary() {
    if (std::string error; !startDecoderLibrary(error)) {
        status_->setText(tr("Biblioteka dekoderów niedostępna: %1").arg(qs(error)));
        return;
    }
    decoders_ = allDecoders();
    filterLibrary();
}

void DecodeWindow::filterLibrary() {
    const QString typed = search_->text().trimmed();
    const QString keep =
        library_->currentItem() ? library_->currentItem()->data(Qt::UserRole).toString() : QString();
    library_->clear();
    for (const DecoderInfo* d : decoders_) {
        const QString text = QStringLiteral("%1 — %2").arg(qs(d->id), qs(d->longName));
        if (!typed.isEmpty() && !text.contains(typed, Qt::CaseInsensitive) &&
            !qs(d->description).contains(typed, Qt::CaseInsensitive))
            continue;
        auto* item = new QListWidgetItem(text, library_);
        item->setData(Qt::UserRole, qs(d->id));
        item->setToolTip(qs(d->description));
        if (item->data(Qt::UserRole).toString() == keep)
            library_->setCurrentItem(item);
    }
    if (library_->currentItem() == nullptr && library_->count() > 0)
        library_->setCurrentRow(0);
}

DecodeWindow::Entry DecodeWindow::makeEntry(const DecoderInfo& info, bool bottom) {
    Entry e;
    e.info = &info;
    e.page = new QWidget(settings_);
    auto* form = new QFormLayout(e.page);
    form->addRow(new QLabel(
        QStringLiteral("<b>%1</b> — %2").arg(qs(info.id).toHtmlEscaped(), qs(info.longName).toHtmlEscaped()),
        e.page));
    if (bottom) {
        int next = 0;
        for (const auto* list : {&info.channels, &info.optionalChannels})
            for (const DecoderChannelInfo& c : *list) {
                auto* box = new QComboBox(e.page);
                box->setObjectName(QStringLiteral("cbKanal_%1").arg(qs(c.id)));
                box->addItem(QStringLiteral("—"));
                for (int ch = 0; ch < kChannels; ++ch)
                    box->addItem(QString(QChar(channelName[static_cast<std::size_t>(ch)])));
                // Required channels take A, B, … in turn, optional ones start unmapped; a decoder
                // whose channels are all optional (the UART's RX and TX) gets its first one on A.
                const bool mapped = list == &info.channels || (info.channels.empty() && e.channels.empty());
                box->setCurrentIndex(mapped && next < kChannels ? 1 + next++ : 0);
                box->setToolTip(qs(c.description));
                form->addRow(qs(c.name) + QLatin1Char(':'), box);
                e.channels.push_back(box);
            }
    }
    for (const DecoderOptionInfo& o : info.options) {
        QWidget* field = nullptr;
        if (!o.values.empty()) {
            auto* box = new QComboBox(e.page);
            for (const DecoderOptionValue& v : o.values)
                box->addItem(qs(optionValueText(v)));
            box->setCurrentText(qs(optionValueText(o.defaultValue)));
            field = box;
        } else {
            auto* edit = new QLineEdit(qs(optionValueText(o.defaultValue)), e.page);
            field = edit;
            if (isBitRateOption(o) && e.bitRate == nullptr) {
                e.bitRate = edit;
                connect(edit, &QLineEdit::textChanged, this, &DecodeWindow::updateBitRateWarning);
            }
        }
        field->setObjectName(QStringLiteral("op_%1").arg(qs(o.id)));
        e.options.emplace_back(&o, field);
        field->setToolTip(qs(o.description));
        if (field == e.bitRate && bottom) {
            auto* row = new QHBoxLayout;
            row->addWidget(field, 1);
            auto* guess = new QPushButton(tr("Zgadnij"), e.page);
            guess->setObjectName(QStringLiteral("btZgadnij"));
            connect(guess, &QPushButton::clicked, this, &DecodeWindow::guessBitRate);
            row->addWidget(guess);
            form->addRow(qs(o.description) + QLatin1Char(':'), row);
            e.warning = new QLabel(e.page);
            e.warning->setObjectName(QStringLiteral("lbOstrzezenie"));
            e.warning->setStyleSheet(QStringLiteral("color: #b00000"));
            e.warning->setWordWrap(true);
            form->addRow(e.warning);
        } else {
            form->addRow(qs(o.description) + QLatin1Char(':'), field);
        }
    }
    settings_->addWidget(e.page);
    return e;
}

void DecodeWindow::addChosenDecoder() {
    if (library_->currentItem() == nullptr)
        return;
    const DecoderInfo* d = findDecoder(library_->currentItem()->data(Qt::UserRole).toString().toStdString());
    if (d == nullptr)
        return;
    const std::vector<std::string> below =
        entries_.empty() ? std::vector<std::string>{"logic"} : entries_.back().info->outputs;
    if (std::none_of(d->inputs.begin(), d->inputs.end(), [&](const std::string& in) {
            return std::find(below.begin(), below.end(), in) != below.end();
        })) {
        status_->setText(entries_.empty()
                             ? tr("%1 nie czyta próbek: wybierz najpierw dekoder, na którym leży (%2)")
                                   .arg(qs(d->id), qs(joinedIds(d->inputs)))
                             : tr("%1 nie leży na %2 (czyta: %3)")
                                   .arg(qs(d->id), qs(entries_.back().info->id), qs(joinedIds(d->inputs))));
        return;
    }
    entries_.push_back(makeEntry(*d, entries_.empty()));
    stack_->addItem(QStringLiteral("%1. %2").arg(entries_.size()).arg(qs(d->id)));
    stack_->setCurrentRow(stack_->count() - 1);
    remove_->setEnabled(true);
    status_->clear();
    updateBitRateWarning();
}

void DecodeWindow::removeLastDecoder() {
    if (entries_.empty() || work_.busy())
        return;
    settings_->removeWidget(entries_.back().page);
    delete entries_.back().page;
    entries_.pop_back();
    delete stack_->takeItem(stack_->count() - 1);
    remove_->setEnabled(!entries_.empty());
}

void DecodeWindow::showEntry(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < entries_.size())
        settings_->setCurrentWidget(entries_[static_cast<std::size_t>(index)].page);
}

void DecodeWindow::updateBitRateWarning() {
    const auto rate = static_cast<std::uint64_t>(sampleRateHz(state_.samplingPeriodMs));
    for (Entry& e : entries_) {
        if (e.warning == nullptr)
            continue;
        bool ok = true;
        const std::optional<double> bits = numberText(e.bitRate->text(), ok);
        e.warning->setText(bits && bitRateTooHigh(*bits, rate)
                               ? tr("Za szybko: przy %1 próbkach/s bit trwa mniej niż %2 próbki, dekoder nie "
                                    "trafi w środek bitów. Skróć podstawę czasu albo zmniejsz szybkość.")
                                     .arg(rate)
                                     .arg(kMinSamplesPerBit)
                               : QString());
        e.warning->setVisible(!e.warning->text().isEmpty());
    }
}

bool DecodeWindow::buildRequest(RecordingDecodeRequest& request, QString& error) const {
    if (entries_.empty()) {
        error = tr("Wybierz dekoder");
        return false;
    }
    if (state_.sampleCount <= 0) {
        error = tr("Brak próbek do dekodowania");
        return false;
    }
    const MeasureRequest files = measureRequestFor(state_, 0, state_.sampleCount);
    request.sampleFiles = files.sampleFiles;
    for (int c = 0; c < kChannels; ++c)
        request.sensitivity[static_cast<std::size_t>(c)] =
            state_.channelSensitivity[static_cast<std::size_t>(c)];
    request.samplingPeriodMs = state_.samplingPeriodMs;
    request.span = {0, state_.sampleCount};
    for (const Entry& e : entries_) {
        DecoderSetting setting{e.info->id, {}};
        for (const auto& [option, field] : e.options) {
            const auto* box = qobject_cast<const QComboBox*>(field);
            const QString text =
                box ? box->currentText() : static_cast<const QLineEdit*>(field)->text().trimmed();
            setting.options.emplace_back(option->id, text.toStdString());
        }
        request.stack.push_back(std::move(setting));
    }
    const Entry& bottom = entries_.front();
    std::size_t i = 0;
    for (const auto* list : {&bottom.info->channels, &bottom.info->optionalChannels})
        for (const DecoderChannelInfo& c : *list) {
            const int mapped = bottom.channels[i++]->currentIndex() - 1;
            if (mapped < 0)
                continue;
            if (request.sampleFiles[static_cast<std::size_t>(mapped)].isEmpty()) {
                error =
                    tr("Nagranie nie ma kanału %1").arg(QChar(channelName[static_cast<std::size_t>(mapped)]));
                return false;
            }
            request.channels.emplace_back(c.id, mapped);
        }
    for (int c = 0; c < kChannels; ++c) {
        bool ok = true;
        request.thresholds[static_cast<std::size_t>(c)].volts =
            numberText(thresholds_[static_cast<std::size_t>(c)]->text(), ok);
        if (!ok) {
            error = tr("Próg kanału %1 nie jest liczbą").arg(QChar(channelName[static_cast<std::size_t>(c)]));
            return false;
        }
    }
    return true;
}

void DecodeWindow::setBusy(bool busy) {
    decode_->setEnabled(!busy);
    cancel_->setEnabled(busy);
    add_->setEnabled(!busy);
    remove_->setEnabled(!busy && !entries_.empty());
    progress_->setValue(0);
    progress_->setVisible(busy);
}

void DecodeWindow::decode() {
    if (work_.busy())
        return;
    RecordingDecodeRequest request;
    if (QString error; !buildRequest(request, error)) {
        status_->setText(error);
        return;
    }
    // Each decoder's rows, then a row of its own for a class no row lists.
    std::vector<std::vector<int>> rowOf;
    std::vector<std::string> labels;
    for (const Entry& e : entries_) {
        const DecoderInfo& d = *e.info;
        const int first = static_cast<int>(labels.size());
        for (const AnnotationRowInfo& r : d.rows)
            labels.push_back(r.description.empty() ? r.id : r.description);
        auto& classes = rowOf.emplace_back();
        for (std::size_t c = 0; c < d.annotationClasses.size(); ++c) {
            int row = -1;
            for (std::size_t r = 0; r < d.rows.size() && row < 0; ++r)
                if (std::find(d.rows[r].classes.begin(), d.rows[r].classes.end(), static_cast<int>(c)) !=
                    d.rows[r].classes.end())
                    row = first + static_cast<int>(r);
            if (row < 0) {
                row = static_cast<int>(labels.size());
                labels.push_back(d.annotationClasses[c].description);
            }
            classes.push_back(row);
        }
    }
    auto job = std::make_shared<Job>();
    job_ = job;
    setBusy(true);
    status_->setText(tr("Dekodowanie…"));
    work_.start(
        [job, request, rowOf, labels](const WorkProgress& progress) {
            job->rows.rows.resize(labels.size());
            for (std::size_t r = 0; r < labels.size(); ++r)
                job->rows.rows[r].label = labels[r];
            job->result = decodeRecording(
                request,
                [&](const Annotation& a) {
                    const auto& classes = rowOf[static_cast<std::size_t>(a.decoder)];
                    if (a.annotationClass < 0 ||
                        static_cast<std::size_t>(a.annotationClass) >= classes.size())
                        return;
                    addAnnotation(job->rows, classes[static_cast<std::size_t>(a.annotationClass)],
                                  {a.start, a.end, a.texts, a.annotationClass, a.decoder});
                },
                progress);
            // Rows nothing was drawn in are left out.
            auto& rows = job->rows.rows;
            rows.erase(std::remove_if(rows.begin(), rows.end(),
                                      [](const AnnotationRow& r) { return r.order.empty(); }),
                       rows.end());
            sortRows(job->rows);
            return job->result.ok() && !job->result.cancelled;
        },
        [this](bool) { workerDone(); });
}

void DecodeWindow::workerDone() {
    const std::shared_ptr<Job> job = std::move(job_);
    setBusy(false);
    if (!job)
        return;
    if (job->guessing) {
        const int index = stack_->currentRow();
        if (job->result.cancelled)
            status_->setText(tr("Przerwano"));
        else if (!job->result.readError.isEmpty())
            status_->setText(tr("Błąd odczytu pliku: %1").arg(job->result.readError));
        else if (!job->bitRate || index < 0 || entries_[static_cast<std::size_t>(index)].bitRate == nullptr)
            status_->setText(tr("Za mało zboczy, by zgadnąć szybkość"));
        else {
            entries_[static_cast<std::size_t>(index)].bitRate->setText(QString::number(*job->bitRate));
            status_->setText(tr("Szybkość: %1 b/s").arg(*job->bitRate));
        }
        return;
    }
    const RecordingDecodeResult& r = job->result;
    if (r.cancelled) {
        status_->setText(tr("Przerwano"));
        return;
    }
    if (!r.readError.isEmpty()) {
        status_->setText(tr("Błąd odczytu pliku: %1").arg(r.readError));
        return;
    }
    QString problem;
    const QString decoder = qs(r.problem.decoder), name = qs(r.problem.name);
    switch (r.problem.kind) {
    case DecodeProblemKind::None:
        break;
    case DecodeProblemKind::OptionValue:
        problem = tr("%1: opcja %2 nie przyjmuje „%3” (dozwolone: %4)")
                      .arg(decoder, name, qs(r.problem.value), qs(r.problem.allowed));
        break;
    case DecodeProblemKind::MissingChannel:
        problem = tr("%1: przypisz kanał %2").arg(decoder, name);
        break;
    default:
        problem = (decoder.isEmpty() ? QString() : decoder + QStringLiteral(": ")) + qs(r.problem.message);
    }
    // A decoder's failure keeps what it decoded before it.
    if (!problem.isEmpty() && job->rows.items.empty()) {
        status_->setText(problem);
        return;
    }
    *rows_ = std::move(job->rows);
    rowsDecoders_ = r.decoders;
    byStart_ = itemsByStart(*rows_);
    refilter();
    status_->setText((problem.isEmpty() ? QString() : problem + QLatin1Char('\n')) +
                     tr("Adnotacji: %1").arg(rows_->items.size()));
    emit annotationsChanged();
}

void DecodeWindow::guessBitRate() {
    if (work_.busy())
        return;
    const int index = stack_->currentRow();
    RecordingDecodeRequest request;
    QString error;
    if (index != 0 || !buildRequest(request, error) || request.channels.empty()) {
        status_->setText(error.isEmpty() ? tr("Przypisz kanał dekoderowi") : error);
        return;
    }
    auto job = std::make_shared<Job>();
    job->guessing = true;
    job_ = job;
    setBusy(true);
    status_->setText(tr("Zgadywanie szybkości…"));
    const int channel = request.channels.front().second;
    work_.start(
        [job, request, channel](const WorkProgress& progress) {
            BitRateGuess guess = varnilog::guessBitRate(request, channel, progress);
            job->result = std::move(guess.result);
            job->bitRate = guess.bitRate;
            return job->result.ok() && !job->result.cancelled;
        },
        [this](bool) { workerDone(); });
}

void DecodeWindow::refilter() {
    const std::string typed = filter_->text().trimmed().toStdString();
    shown_.clear();
    for (const std::uint32_t i : byStart_) {
        if (!typed.empty()) {
            const AnnotationItem& item = rows_->items[i];
            const DecoderInfo& d = *rowsDecoders_[static_cast<std::size_t>(item.decoder)];
            AnnotationItem named{0, 0, {d.id}, 0, 0};
            if (static_cast<std::size_t>(item.colour) < d.annotationClasses.size())
                named.texts.push_back(d.annotationClasses[static_cast<std::size_t>(item.colour)].id);
            if (!annotationMatches(item, typed) && !annotationMatches(named, typed))
                continue;
        }
        shown_.push_back(i);
    }
    model_->reset();
}

void DecodeWindow::recordingChanged() {
    work_.stop();
    job_.reset();
    setBusy(false);
    if (rows_->items.empty())
        return;
    *rows_ = {};
    byStart_.clear();
    refilter();
    status_->clear();
    emit annotationsChanged();
}

int DecodeWindow::chosenLine() const {
    const QModelIndex i = table_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void DecodeWindow::chooseLine(int line) {
    if (line < 0 || static_cast<std::size_t>(line) >= shown_.size())
        return;
    table_->setCurrentIndex(model_->index(line, 0));
    table_->scrollTo(model_->index(line, 0));
    const AnnotationItem& item = rows_->items[shown_[static_cast<std::size_t>(line)]];
    emit centreRequested((item.start + std::max(item.end, item.start)) / 2);
}

void DecodeWindow::findNext(bool forward) {
    const std::string typed = find_->text().trimmed().toStdString();
    if (typed.empty())
        return;
    const std::optional<std::size_t> found = findAnnotation(*rows_, shown_, chosenLine(), forward, typed);
    if (!found) {
        status_->setText(tr("Nie znaleziono: %1").arg(find_->text().trimmed()));
        return;
    }
    chooseLine(static_cast<int>(*found));
}

} // namespace varnilog
