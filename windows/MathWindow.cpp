#include "windows/MathWindow.h"

#include "app/MessageBoxes.h"
#include "recording/RecordingFileSet.h"
#include "recording/SetLock.h"
#include "ui_MathWindow.h"
#include "view/ScaleTables.h"

#include <QFileInfo>

namespace varnilog {

namespace {

// The operations in the order of the list.
constexpr std::array<OperationKind, 7> kListedOperations{
    OperationKind::Sum,     OperationKind::AMinusB,  OperationKind::BMinusA, OperationKind::NegateA,
    OperationKind::NegateB, OperationKind::AverageA, OperationKind::AverageB};
constexpr std::array<const char*, 7> kOperationNames{QT_TRANSLATE_NOOP("varnilog::MathWindow", "A + B"),
                                                     QT_TRANSLATE_NOOP("varnilog::MathWindow", "A − B"),
                                                     QT_TRANSLATE_NOOP("varnilog::MathWindow", "B − A"),
                                                     QT_TRANSLATE_NOOP("varnilog::MathWindow", "−A"),
                                                     QT_TRANSLATE_NOOP("varnilog::MathWindow", "−B"),
                                                     QT_TRANSLATE_NOOP("varnilog::MathWindow", "Średnia A"),
                                                     QT_TRANSLATE_NOOP("varnilog::MathWindow", "Średnia B")};

QString channelText(int channel) {
    return QString(QChar(channelName[static_cast<std::size_t>(channel)]));
}

} // namespace

// One computation on its way: the request, the worker's progress, its result.
struct MathWindow::Job {
    OperationRequest request;
    OperationResult result;

    void run(const WorkProgress& progress) { result = computeDerivedChannel(request, progress); }
};

MathWindow::MathWindow(SharedState& state, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), state_(state), boxes_(boxes), ui_(std::make_unique<Ui::MathWindow>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    for (std::size_t i = 0; i < kOperationNames.size(); ++i)
        ui_->cbDzialanie->addItem(QString());
    ui_->cbDzialanie->setCurrentIndex(1); // A − B: the differential signal
    ui_->cbCzulosc->addItem(QString());
    for (int s = 1; s <= kSensitivityCount; ++s)
        ui_->cbCzulosc->addItem(voltLabel(s, 6));
    retranslate();
    cbDzialanieChange();
    connect(ui_->cbDzialanie, &QComboBox::currentIndexChanged, this, &MathWindow::cbDzialanieChange);
    connect(ui_->btOblicz, &QPushButton::clicked, this, &MathWindow::btObliczClick);
    connect(ui_->btAnuluj, &QPushButton::clicked, this, &MathWindow::btAnulujClick);
    connect(ui_->btUsunC, &QPushButton::clicked, this, [this] { btUsunClick(2); });
    connect(ui_->btUsunD, &QPushButton::clicked, this, [this] { btUsunClick(3); });
    connect(&work_, &LongWork::progressed, this, &MathWindow::showProgress);
}

MathWindow::~MathWindow() = default; // work_ stops a computation still running

void MathWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui_->retranslateUi(this);
        retranslate();
    }
    QDialog::changeEvent(event);
}

void MathWindow::retranslate() {
    // Renaming the items keeps the choices.
    for (std::size_t i = 0; i < kOperationNames.size(); ++i)
        ui_->cbDzialanie->setItemText(static_cast<int>(i), tr(kOperationNames[i]));
    ui_->cbCzulosc->setItemText(0, tr("Auto"));
}

int MathWindow::FormShow() {
    changed_ = false;
    computedChannel_ = -1;
    setBusy(false);
    refreshRemoveButtons();
    return exec();
}

Operation MathWindow::chosenOperation() const {
    const int i =
        std::clamp(ui_->cbDzialanie->currentIndex(), 0, static_cast<int>(kListedOperations.size()) - 1);
    return Operation{kListedOperations[static_cast<std::size_t>(i)], ui_->seProbki->value()};
}

int MathWindow::chosenTarget() const {
    return ui_->rbD->isChecked() ? 3 : 2;
}

int MathWindow::chosenSensitivity() const {
    return std::max(ui_->cbCzulosc->currentIndex(), 0);
}

QString MathWindow::rosPath() const {
    return siblingPath(state_.recordingPath, QStringLiteral(".ros"));
}

void MathWindow::cbDzialanieChange() {
    const bool average = chosenOperation().isAverage();
    ui_->seProbki->setEnabled(average);
    ui_->lbProbki->setEnabled(average);
}

void MathWindow::refreshRemoveButtons() {
    const QString ros = rosPath();
    ui_->btUsunC->setEnabled(QFileInfo::exists(siblingPath(ros, QStringLiteral(".rcc"))));
    ui_->btUsunD->setEnabled(QFileInfo::exists(siblingPath(ros, QStringLiteral(".rcd"))));
}

void MathWindow::btObliczClick() {
    if (busy() || state_.samplingActive)
        return;
    const Operation op = chosenOperation();
    const int target = chosenTarget();
    if (op.needsB() && !QFileInfo(siblingPath(rosPath(), QStringLiteral(".rcb"))).isFile()) {
        boxes_.showErrorBox(tr("Nagranie nie zawiera kanału B."));
        return;
    }
    OperationRequest request = operationRequestFor(state_, op, target, chosenSensitivity());
    if (holdsRecordedData(request.rosPath, target)) {
        if (!boxes_.confirmYesNo(tr("Uwaga!"),
                                 tr("Kanał %1 zawiera nagrane dane. Zastąpić je?").arg(channelText(target))))
            return;
        request.replaceRecorded = true;
    }
    job_ = std::make_unique<Job>();
    job_->request = request;
    setBusy(true);
    work_.start(
        [job = job_.get()](const WorkProgress& progress) {
            job->run(progress);
            return job->result.ok();
        },
        [this](bool) { workerDone(); });
}

void MathWindow::showProgress(std::int64_t done, std::int64_t total) {
    ui_->pbPostep->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
}

void MathWindow::workerDone() {
    if (!job_)
        return;
    const std::unique_ptr<Job> job = std::move(job_);
    setBusy(false);
    const OperationResult& r = job->result;
    switch (r.failure) {
    case OperationFailure::None:
        changed_ = true;
        computedChannel_ = job->request.target;
        accept();
        return;
    case OperationFailure::Cancelled:
    case OperationFailure::RecordedTarget:
        return;
    case OperationFailure::NoSamples:
        boxes_.showErrorBox(tr("Nagranie nie zawiera próbek."));
        return;
    case OperationFailure::NoChannelB:
        boxes_.showErrorBox(tr("Nagranie nie zawiera kanału B."));
        return;
    case OperationFailure::NoChannel:
        return;
    case OperationFailure::ReadFailed:
        boxes_.showErrorBox(tr("Błąd odczytu pliku: %1").arg(r.detail));
        return;
    case OperationFailure::WriteFailed:
        boxes_.showErrorBox(tr("Nie można zapisać pliku: %1").arg(r.detail));
        return;
    case OperationFailure::SetBusy:
        boxes_.showErrorBox(setBusyText());
        return;
    }
}

void MathWindow::btAnulujClick() {
    if (busy())
        work_.cancel();
    else
        reject();
}

void MathWindow::reject() {
    // Closing the window stops the computation: nothing of it is kept.
    if (busy()) {
        work_.stop();
        // It may have finished before it saw the cancel: then the set did change.
        if (job_->result.ok()) {
            changed_ = true;
            computedChannel_ = job_->request.target;
        }
        job_.reset();
        setBusy(false);
    }
    QDialog::reject();
}

void MathWindow::btUsunClick(int channel) {
    if (busy() || state_.samplingActive)
        return;
    const QString ros = rosPath();
    const bool recorded = holdsRecordedData(ros, channel);
    const QString question = recorded ? tr("Kanał %1 zawiera nagrane dane. Czy na pewno usunąć?")
                                      : tr("Czy na pewno usunąć kanał %1?");
    if (!boxes_.confirmOkCancel(tr("Uwaga!"), question.arg(channelText(channel))))
        return;
    const OperationResult r = removeDerivedChannel(ros, channel, recorded);
    if (!r.ok()) {
        if (r.failure == OperationFailure::WriteFailed)
            boxes_.showErrorBox(tr("Nie można zapisać pliku: %1").arg(r.detail));
        else if (r.failure == OperationFailure::SetBusy)
            boxes_.showErrorBox(setBusyText());
        return;
    }
    changed_ = true;
    refreshRemoveButtons();
}

void MathWindow::setBusy(bool busy) {
    ui_->pbPostep->setRange(0, 1000);
    ui_->pbPostep->setValue(0);
    ui_->pbPostep->setVisible(busy);
    for (QWidget* w : {static_cast<QWidget*>(ui_->gbOblicz), static_cast<QWidget*>(ui_->gbUsun),
                       static_cast<QWidget*>(ui_->btOblicz)})
        w->setEnabled(!busy);
}

} // namespace varnilog
