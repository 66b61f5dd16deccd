// Builds the missing or stale summaries of a recording's sample files on a thread of its own, so a
// window opening a long recording stays responsive: the view reads the samples meanwhile, and takes
// the summaries once they are done. The worker opens the files itself, read-only; the shared state
// is never touched from it. Depends on QtCore, app/SharedState.h and recording/SampleSummary.
#pragma once

#include "app/SharedState.h"

#include <QStringList>

#include <atomic>
#include <cstdint>
#include <thread>

namespace varnilog {

// Recordings shorter than this are read whole faster than a summary is worth.
inline constexpr std::int64_t kSummaryMinSamples = std::int64_t{1} << 20;

// The open sample files of the recording on display that have no valid summary beside them (none,
// or one of another length or time), among those of at least minSamples.
QStringList samplesWithoutSummary(SharedState& state, std::int64_t minSamples = kSummaryMinSamples);

class SummaryBuildJob {
public:
    // Starts building the summaries of samplePaths one after the other.
    explicit SummaryBuildJob(QStringList samplePaths);
    // Cancels and waits: no temporary file of the job is left once it has gone.
    ~SummaryBuildJob();
    SummaryBuildJob(const SummaryBuildJob&) = delete;
    SummaryBuildJob& operator=(const SummaryBuildJob&) = delete;

    // 0..100 over all the files, by samples summarised.
    int percent() const { return percent_.load(); }
    // The worker has ended: every summary built, or one failed, or it was cancelled.
    bool finished() const { return finished_.load(); }
    // Every summary was built.
    bool succeeded() const { return succeeded_.load(); }
    const QStringList& samplePaths() const { return paths_; }

private:
    void run();

    const QStringList paths_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> succeeded_{false};
    std::atomic<int> percent_{0};
    std::thread thread_; // last: started once everything it uses is made
};

} // namespace varnilog
