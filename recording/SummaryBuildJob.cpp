#include "recording/SummaryBuildJob.h"

#include "recording/SampleSummary.h"

#include <QFileInfo>

#include <vector>

namespace varnilog {

QStringList samplesWithoutSummary(SharedState& state, std::int64_t minSamples) {
    QStringList paths;
    for (int c = 0; c < kChannels; ++c) {
        QFile& sample = state.sampleFile[c];
        if (sample.isOpen() && sample.size() >= minSamples &&
            !readSummaryLayout(state.summaryFile[c], sample).valid)
            paths << sample.fileName();
    }
    return paths;
}

SummaryBuildJob::SummaryBuildJob(QStringList samplePaths)
    : paths_(std::move(samplePaths)), thread_([this] { run(); }) {}

SummaryBuildJob::~SummaryBuildJob() {
    cancelled_ = true;
    if (thread_.joinable())
        thread_.join();
}

void SummaryBuildJob::run() {
    std::vector<std::int64_t> sizes;
    std::int64_t total = 0;
    for (const QString& path : paths_) {
        sizes.push_back(QFileInfo(path).size());
        total += sizes.back();
    }
    std::int64_t before = 0;
    bool ok = true;
    for (qsizetype i = 0; i < paths_.size() && ok; ++i) {
        ok = buildSampleSummary(paths_[i], [&](std::int64_t done, std::int64_t) {
            if (total > 0)
                percent_ = static_cast<int>(100 * (before + done) / total);
            return !cancelled_.load();
        });
        before += sizes[static_cast<std::size_t>(i)];
    }
    succeeded_ = ok && !cancelled_.load();
    finished_ = true;
}

} // namespace varnilog
