// TForm1, view summaries: a long recording opened without valid summaries (none yet, or made for
// another state of its files) gets them built on a worker thread. The view reads the samples
// meanwhile and draws the same picture; once the summaries are done it reads them instead.
#include "app/Program.h"

#include "recording/RecordingLoader.h"
#include "recording/SummaryBuildJob.h"

#include <QTimer>

namespace varnilog {

namespace {

constexpr int kMessagePanel = 16;
constexpr int kProgressIntervalMs = 100;

QString progressText(int percent) {
    return QString::fromUtf8("Indeks podglądu: %1%").arg(percent);
}

} // namespace

void TForm1::startSummaryBuild() {
    stopSummaryBuild();
    QStringList paths = samplesWithoutSummary(state_);
    if (paths.isEmpty())
        return;
    summaryJob_ = std::make_unique<SummaryBuildJob>(std::move(paths));
    summaryJobRecording_ = state_.recordingPath;
    if (!summaryTimer_) {
        summaryTimer_ = new QTimer(this);
        summaryTimer_->setObjectName(QStringLiteral("SummaryTimer"));
        summaryTimer_->setInterval(kProgressIntervalMs);
        connect(summaryTimer_, &QTimer::timeout, this, &TForm1::checkSummaryBuild);
    }
    shownSummaryText_ = progressText(0);
    setStatusPanelText(kMessagePanel, shownSummaryText_);
    summaryTimer_->start();
}

void TForm1::checkSummaryBuild() {
    if (!summaryJob_)
        return;
    if (!summaryJob_->finished()) {
        const QString text = progressText(summaryJob_->percent());
        // Another message (the acquisition's) keeps the panel.
        if (statusPanelText(kMessagePanel) == shownSummaryText_ && text != shownSummaryText_)
            setStatusPanelText(kMessagePanel, text);
        shownSummaryText_ = text;
        return;
    }
    const bool built = summaryJob_->succeeded();
    const QStringList paths = summaryJob_->samplePaths();
    const bool sameRecording = state_.recordingPath == summaryJobRecording_;
    stopSummaryBuild();
    if (!built || !sameRecording)
        return;
    for (int c = 0; c < kChannels; ++c)
        if (state_.sampleFile[c].isOpen() && paths.contains(state_.sampleFile[c].fileName()))
            openSummaryFile(state_, c);
}

void TForm1::stopSummaryBuild() {
    summaryJob_.reset(); // cancels and waits for the worker: it leaves no temporary file
    if (summaryTimer_)
        summaryTimer_->stop();
    if (!shownSummaryText_.isEmpty() && statusPanelText(kMessagePanel) == shownSummaryText_)
        setStatusPanelText(kMessagePanel, QString());
    shownSummaryText_.clear();
}

} // namespace varnilog
