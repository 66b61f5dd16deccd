// Which sample files of the recording on display lack a valid summary, and building them: a window
// runs the build on its long-work worker when it opens a long recording, so the view reads the
// samples meanwhile and takes the summaries once they are done. The build opens the files itself,
// read-only; the shared state is never touched from it. Depends on QtCore, app/SharedState.h,
// app/WorkProgress.h and recording/SampleSummary.
#pragma once

#include "app/SharedState.h"
#include "app/WorkProgress.h"

#include <QStringList>

#include <cstdint>

namespace varnilog {

// Recordings shorter than this are read whole faster than a summary is worth.
inline constexpr std::int64_t kSummaryMinSamples = std::int64_t{1} << 20;

// The open sample files of the recording on display that have no valid summary beside them (none,
// or one of another length or time), among those of at least minSamples.
QStringList samplesWithoutSummary(SharedState& state, std::int64_t minSamples = kSummaryMinSamples);

// Builds the summaries of samplePaths one after the other; progress counts the samples of all of
// them. True when every one was built; a cancel or a failure leaves no temporary file.
bool buildSummaries(const QStringList& samplePaths, const WorkProgress& progress = {});

} // namespace varnilog
