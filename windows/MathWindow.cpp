#include "windows/MathWindow.h"

#include "app/CoreMessages.h"
#include "app/MessageBoxes.h"
#include "recording/RecordingFileSet.h"
#include "recording/SetLock.h"
#include "ui_MathWindow.h"
#include "view/ScaleTables.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QTextCharFormat>

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

// What "Wstaw" puts at the cursor: the channels, t and n, the functions and the filters.
constexpr const char* kInsertions[] = {"A",
                                       "B",
                                       "C",
                                       "D",
                                       "t",
                                       "n",
                                       "abs(",
                                       "sqrt(",
                                       "exp(",
                                       "ln(",
                                       "log10(",
                                       "sin(",
                                       "cos(",
                                       "tan(",
                                       "asin(",
                                       "acos(",
                                       "atan(",
                                       "atan2(",
                                       "sinh(",
                                       "cosh(",
                                       "tanh(",
                                       "sign(",
                                       "floor(",
                                       "ceil(",
                                       "min(",
                                       "max(",
                                       "avg(A,16)",
                                       "lowpass(A,50)",
                                       "highpass(A,50)",
                                       "diff(A)",
                                       "integ(A)",
                                       "delay(A,1)"};

// An operation as the expression the field shows for it.
QString expressionOf(const Operation& op) {
    switch (op.kind) {
    case OperationKind::AverageA:
        return QStringLiteral("avg(A,%1)").arg(op.window);
    case OperationKind::AverageB:
        return QStringLiteral("avg(B,%1)").arg(op.window);
    default:
        return operationKeyText(op);
    }
}

// The character at a fault's position marked in the field (the last one for a fault past the end).
void markPosition(QLineEdit* edit, const CoreError& error) {
    QList<QInputMethodEvent::Attribute> marks;
    if (error.failed() && error.first > 0 && !edit->text().isEmpty()) {
        const int at = std::min(static_cast<int>(error.first) - 1, static_cast<int>(edit->text().size()) - 1);
        QTextCharFormat format;
        format.setForeground(QColor(0xc0, 0, 0));
        format.setFontUnderline(true);
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        marks.append(QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, at - edit->cursorPosition(),
                                                  1, format));
    }
    QInputMethodEvent event(QString(), marks);
    QCoreApplication::sendEvent(edit, &event);
}

QString channelText(int channel) {
    return QString(QChar(channelName[static_cast<std::size_t>(channel)]));
}

} // namespace

// One computation on its way: the request, the worker's progress, its result.
struct MathWindow::Job {
    OperationRequest request;
    OperationResult result;
    bool formula = false; // an expression, not one of the operations
    FormulaRequest formulaRequest;
    FormulaResult formulaResult;

    void run(const WorkProgress& progress) {
        if (formula) {
            formulaResult = computeFormulaChannel(formulaRequest, progress);
            result = formulaResult.result;
        } else {
            result = computeDerivedChannel(request, progress);
        }
    }
    bool ok() const { return formula ? formulaResult.ok() : result.ok(); }
    int target() const { return formula ? formulaRequest.target : request.target; }
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
    ui_->cbWstaw->addItem(QString());
    for (const char* text : kInsertions)
        ui_->cbWstaw->addItem(QString::fromLatin1(text));
    previewPool_.setMaxThreadCount(1);
    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(250);
    connect(previewTimer_, &QTimer::timeout, this, &MathWindow::refreshPreview);
    cbDzialanieChange();
    retranslate();
    connect(ui_->cbDzialanie, &QComboBox::currentIndexChanged, this, &MathWindow::cbDzialanieChange);
    connect(ui_->seProbki, &QSpinBox::valueChanged, this, &MathWindow::cbDzialanieChange);
    connect(ui_->cbWstaw, &QComboBox::activated, this, &MathWindow::cbWstawChange);
    connect(ui_->leWyrazenie, &QLineEdit::textChanged, this, &MathWindow::validateExpression);
    connect(ui_->rbC, &QRadioButton::toggled, this, &MathWindow::validateExpression);
    connect(ui_->cbCzulosc, &QComboBox::currentIndexChanged, previewTimer_, qOverload<>(&QTimer::start));
    connect(ui_->btOblicz, &QPushButton::clicked, this, &MathWindow::btObliczClick);
    connect(ui_->btAnuluj, &QPushButton::clicked, this, &MathWindow::btAnulujClick);
    connect(ui_->btUsunC, &QPushButton::clicked, this, [this] { btUsunClick(2); });
    connect(ui_->btUsunD, &QPushButton::clicked, this, [this] { btUsunClick(3); });
    connect(&work_, &LongWork::progressed, this, &MathWindow::showProgress);
}

MathWindow::~MathWindow() { // work_ stops a computation still running
    ++*previewGeneration_;
    previewPool_.waitForDone();
}

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
    ui_->cbWstaw->setItemText(0, tr("(kanał lub funkcja)"));
    validateExpression();
}

int MathWindow::FormShow() {
    changed_ = false;
    computedChannel_ = -1;
    setBusy(false);
    refreshRemoveButtons();
    validateExpression();
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
    // The list holds today's operations as presets of the expression.
    ui_->leWyrazenie->setText(expressionOf(chosenOperation()));
}

QString MathWindow::expression() const {
    return ui_->leWyrazenie->text();
}

bool MathWindow::expressionIsOperation() const {
    return parseOperation(expression()).has_value();
}

void MathWindow::cbWstawChange(int index) {
    if (index > 0)
        ui_->leWyrazenie->insert(ui_->cbWstaw->itemText(index));
    ui_->cbWstaw->setCurrentIndex(0);
    ui_->leWyrazenie->setFocus();
}

void MathWindow::validateExpression() {
    expressionError_ = {};
    // Today's operations are checked as they always were, when "Oblicz" is pressed.
    if (!expressionIsOperation())
        Formula::compile(expression(), formulaContextFor(state_, chosenTarget()), expressionError_);
    ui_->lbBlad->setText(coreMessage(expressionError_));
    markPosition(ui_->leWyrazenie, expressionError_);
    ui_->btOblicz->setEnabled(!busy() && !expressionError_.failed());
    ++*previewGeneration_; // what is under way is for another text
    if (expressionError_.failed())
        ui_->wPodglad->setCodes({}); // no preview of what cannot be written
    previewTimer_->start();
}

void MathWindow::refreshPreview() {
    previewTimer_->stop();
    const int generation = ++*previewGeneration_;
    if (expressionError_.failed() || state_.sampleCount <= 0) {
        ui_->wPodglad->setCodes({});
        return;
    }
    const std::optional<Operation> op = parseOperation(expression());
    const std::int64_t from = std::clamp<std::int64_t>(state_.viewStart, 0, state_.sampleCount);
    const std::int64_t count =
        std::min<std::int64_t>(state_.sampleCount - from,
                               static_cast<std::int64_t>(kDisplayColumns) * std::max(state_.zoomDivisor, 1));
    const FormulaRequest request =
        formulaRequestFor(state_, op ? expressionOf(*op) : expression(), chosenTarget(), chosenSensitivity());
    // A filter reads from the recording's first sample: over hours of samples this takes a while, so
    // the window keeps answering the keys meanwhile.
    previewPool_.start([this, request, from, count, generation, current = previewGeneration_] {
        CoreError error;
        std::vector<std::uint8_t> codes = formulaPreview(
            request, from, count, error, [&](std::int64_t, std::int64_t) { return *current == generation; });
        if (error.kind == CoreErrorKind::Cancelled)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, codes = std::move(codes)]() mutable {
                if (*previewGeneration_ == generation)
                    ui_->wPodglad->setCodes(std::move(codes));
            },
            Qt::QueuedConnection);
    });
}

void MathWindow::waitForPreview() {
    previewPool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void MathWindow::refreshRemoveButtons() {
    const QString ros = rosPath();
    ui_->btUsunC->setEnabled(QFileInfo::exists(siblingPath(ros, QStringLiteral(".rcc"))));
    ui_->btUsunD->setEnabled(QFileInfo::exists(siblingPath(ros, QStringLiteral(".rcd"))));
}

void MathWindow::btObliczClick() {
    if (busy() || state_.samplingActive)
        return;
    const std::optional<Operation> parsed = parseOperation(expression());
    if (!parsed) {
        computeFormula();
        return;
    }
    const Operation op = *parsed;
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
            return job->ok();
        },
        [this](bool) { workerDone(); });
}

void MathWindow::computeFormula() {
    validateExpression();
    if (expressionError_.failed())
        return;
    const int target = chosenTarget();
    FormulaRequest request = formulaRequestFor(state_, expression(), target, chosenSensitivity());
    if (holdsRecordedData(request.rosPath, target)) {
        if (!boxes_.confirmYesNo(tr("Uwaga!"),
                                 tr("Kanał %1 zawiera nagrane dane. Zastąpić je?").arg(channelText(target))))
            return;
        request.replaceRecorded = true;
    }
    job_ = std::make_unique<Job>();
    job_->formula = true;
    job_->formulaRequest = request;
    setBusy(true);
    work_.start(
        [job = job_.get()](const WorkProgress& progress) {
            job->run(progress);
            return job->ok();
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
    if (job->formula && job->formulaResult.formula.failed()) {
        boxes_.showErrorBox(coreMessage(job->formulaResult.formula));
        return;
    }
    const OperationResult& r = job->result;
    switch (r.failure) {
    case OperationFailure::None:
        changed_ = true;
        computedChannel_ = job->target();
        if (job->formula && job->formulaResult.nonFinite > 0)
            boxes_.showMessage(tr("Uwaga!"),
                               tr("Wartości nieskończone lub nieokreślone: %1, zapisane jako 0 V.")
                                   .arg(job->formulaResult.nonFinite));
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
        boxes_.showErrorBox(coreMessage(CoreError::of(CoreErrorKind::SetBusy)));
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
        if (job_->ok()) {
            changed_ = true;
            computedChannel_ = job_->target();
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
            boxes_.showErrorBox(coreMessage(CoreError::of(CoreErrorKind::SetBusy)));
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
    ui_->btOblicz->setEnabled(!busy && !expressionError_.failed());
}

} // namespace varnilog
