// A 2 × 2^31-sample recording for the benchmarks of whole-recording views: sparse sample files with
// 1 MiB of noise in every 4 MiB and holes between, an empty ".ros" (every setting at its default) and,
// when asked, the min/max summaries built beside the sample files.
#pragma once

#include "recording/SampleSummary.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace varnilog::test {

struct SparseRecording {
    static constexpr std::int64_t kSamples = std::int64_t{1} << 31;
    static constexpr std::int64_t kPiece = 1 << 20;
    static constexpr std::int64_t kEvery = 4 << 20;

    QTemporaryDir dir;
    QString paths[2];
    QString rosPath = dir.filePath(QStringLiteral("big.ros"));

    explicit SparseRecording(bool summaries = true) {
        std::vector<char> block(kPiece);
        std::uint32_t x = 1;
        QFile ros(rosPath);
        if (!ros.open(QIODevice::WriteOnly))
            std::abort();
        ros.close();
        for (int c = 0; c < 2; ++c) {
            paths[c] = dir.filePath(c == 0 ? QStringLiteral("big.rca") : QStringLiteral("big.rcb"));
            QFile out(paths[c]);
            if (!out.open(QIODevice::WriteOnly) || !out.resize(kSamples))
                std::abort();
            for (std::int64_t pos = 0; pos < kSamples; pos += kEvery) {
                for (auto& v : block) {
                    x = x * 1103515245u + 12345u;
                    v = static_cast<char>(x >> 20);
                }
                out.seek(pos);
                out.write(block.data(), kPiece);
            }
            out.close();
            if (summaries && !buildSampleSummary(paths[c]))
                std::abort();
        }
    }
};

} // namespace varnilog::test
