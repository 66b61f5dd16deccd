#include "recording/SummaryBuild.h"

#include "recording/FileIdentity.h"
#include "recording/SampleSummary.h"

#include <algorithm>
#include <vector>

namespace varnilog {

QStringList samplesWithoutSummary(SharedState& state, std::int64_t minSamples) {
    QStringList paths;
    for (int c = 0; c < kChannels; ++c) {
        QFile& sample = state.sampleFile[c];
        if (sample.isOpen() && sample.size() >= minSamples &&
            !readSummaryLayout(state.summaryFile[c], sample).valid)
            paths << fileNameOf(sample); // Qt's is empty for a name it cannot spell
    }
    return paths;
}

bool buildSummaries(const QStringList& samplePaths, const WorkProgress& progress) {
    std::vector<std::int64_t> sizes;
    std::int64_t total = 0;
    for (const QString& path : samplePaths) {
        sizes.push_back(std::max<std::int64_t>(identityOf(path).size, 0));
        total += sizes.back();
    }
    std::int64_t before = 0;
    for (qsizetype i = 0; i < samplePaths.size(); ++i) {
        const bool built = buildSampleSummary(samplePaths[i], [&](std::int64_t done, std::int64_t) {
            return !progress || progress(before + done, total);
        });
        if (!built)
            return false;
        before += sizes[static_cast<std::size_t>(i)];
    }
    return true;
}

} // namespace varnilog
