// TForm1, view summaries: a long recording opened without valid summaries (none yet, or made for
// another state of its files) gets them built on a long-work worker of their own. The view reads the
// samples meanwhile and draws the same picture; once the summaries are done it reads them instead.
#include "app/Program.h"

#include "recording/FileIdentity.h"
#include "recording/RecordingLoader.h"
#include "recording/SummaryBuild.h"

#include <QCoreApplication>

namespace varnilog {

namespace {

constexpr int kMessagePanel = 16;
constexpr int kProgressIntervalMs = 100;

QString progressText(int percent) {
    return QCoreApplication::translate("varnilog::TForm1", "Indeks podglądu: %1%").arg(percent);
}

} // namespace

void TForm1::startSummaryBuild() {
    stopSummaryBuild();
    QStringList paths = samplesWithoutSummary(state_);
    if (paths.isEmpty())
        return;
    const QString recording = state_.recordingPath;
    summaryWork_.setProgressInterval(kProgressIntervalMs);
    summaryWork_.start([paths](const WorkProgress& progress) { return buildSummaries(paths, progress); },
                       [this, paths, recording](bool built) {
                           showSummaryProgress(QString());
                           if (!built || state_.recordingPath != recording)
                               return;
                           for (int c = 0; c < kChannels; ++c)
                               if (state_.sampleFile[c].isOpen() &&
                                   paths.contains(fileNameOf(state_.sampleFile[c])))
                                   openSummaryFile(state_, c);
                       });
    showSummaryProgress(progressText(0));
}

void TForm1::summaryBuildProgressed(std::int64_t done, std::int64_t total) {
    if (summaryWork_.busy() && total > 0)
        showSummaryProgress(progressText(static_cast<int>(100 * done / total)));
}

void TForm1::showSummaryProgress(const QString& text) {
    // Another message (the acquisition's) keeps the panel.
    const bool oursShown =
        !shownSummaryText_.isEmpty() && statusPanelText(kMessagePanel) == shownSummaryText_;
    if (oursShown || (shownSummaryText_.isEmpty() && !text.isEmpty()))
        setStatusPanelText(kMessagePanel, text);
    shownSummaryText_ = text;
}

void TForm1::stopSummaryBuild() {
    summaryWork_.stop(); // cancels and waits for the worker: it leaves no temporary file
    showSummaryProgress(QString());
}

} // namespace varnilog
