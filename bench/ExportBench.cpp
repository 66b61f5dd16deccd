// Text export of a 2-channel, 10 000 000-sample recording against writing the same number of bytes
// with a plain buffered fwrite loop, both into a file of the same folder, in the same run.
#include "recording/TextExport.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

using namespace varnilog;

namespace {

constexpr std::int64_t kSamples = 10'000'000;

struct Recording {
    QTemporaryDir dir;
    std::array<QFile, 2> files;
    qint64 exportBytes = 0;

    Recording() {
        std::vector<char> block(1 << 20);
        for (int c = 0; c < 2; ++c) {
            QFile out(dir.filePath(c == 0 ? "r.rca" : "r.rcb"));
            out.open(QIODevice::WriteOnly);
            for (std::int64_t done = 0; done < kSamples; done += static_cast<std::int64_t>(block.size())) {
                for (std::size_t i = 0; i < block.size(); ++i)
                    block[i] = static_cast<char>((done + static_cast<std::int64_t>(i)) * (c + 1) % 251);
                out.write(block.data(), std::min<qint64>(static_cast<qint64>(block.size()), kSamples - done));
            }
            files[c].setFileName(out.fileName());
            files[c].open(QIODevice::ReadOnly);
        }
    }
    TextExportSource source() {
        TextExportSource s;
        s.sampleFiles = {&files[0], &files[1], nullptr, nullptr};
        s.sampleCount = kSamples;
        s.channelCount = 2;
        s.channelSensitivity = {4, 9, 1, 1};
        s.samplingPeriodMs = 0.05f;
        return s;
    }
};

Recording& recording() {
    static Recording r;
    return r;
}

void BM_TextExport(benchmark::State& state) {
    Recording& rec = recording();
    const QString path = rec.dir.filePath("out.txt");
    const QLocale locale(QLocale::Polish);
    for (auto _ : state) {
        QFile out(path);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        const TextExportResult result = exportRecordingText(rec.source(), out, locale);
        benchmark::DoNotOptimize(result.linesWritten);
        rec.exportBytes = out.size();
    }
    state.SetBytesProcessed(state.iterations() * rec.exportBytes);
    state.counters["lines"] = static_cast<double>(kSamples);
}

// The same number of bytes as the export produced, through one buffered fwrite loop.
void BM_FwriteSameBytes(benchmark::State& state) {
    Recording& rec = recording();
    if (rec.exportBytes == 0) {
        state.SkipWithError("run after BM_TextExport");
        return;
    }
    const std::string path = rec.dir.filePath("ref.txt").toStdString();
    std::vector<char> chunk(1 << 16, '7');
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        qint64 left = rec.exportBytes;
        while (left > 0) {
            const auto n =
                static_cast<std::size_t>(std::min<qint64>(left, static_cast<qint64>(chunk.size())));
            std::fwrite(chunk.data(), 1, n, f);
            left -= static_cast<qint64>(n);
        }
        std::fclose(f);
    }
    state.SetBytesProcessed(state.iterations() * rec.exportBytes);
}

} // namespace

BENCHMARK(BM_TextExport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
