// WAV, sigrok session and CSV export of a 2-channel recording against `cat` of the same sample files
// (WAV, sigrok) and against the seed's ";" text export of the same recording (CSV), in the same run.
// The exports write into a file of the recording's folder, as the text export's benchmark does. The
// two that format on both cores report the CPU time of the whole process.
#include "CatReference.h"

#include "recording/CsvFormat.h"
#include "recording/SigrokSession.h"
#include "recording/TextExport.h"
#include "recording/WavFormat.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace varnilog;

namespace {

struct Recording {
    std::int64_t samples;
    QTemporaryDir dir;
    std::array<QFile, 2> files;

    explicit Recording(std::int64_t count) : samples(count) {
        std::vector<char> block(1 << 20);
        for (int c = 0; c < 2; ++c) {
            QFile out(dir.filePath(c == 0 ? "r.rca" : "r.rcb"));
            out.open(QIODevice::WriteOnly);
            for (std::int64_t done = 0; done < samples; done += static_cast<std::int64_t>(block.size())) {
                for (std::size_t i = 0; i < block.size(); ++i)
                    block[i] = static_cast<char>((done + static_cast<std::int64_t>(i)) * (c + 1) % 251);
                out.write(block.data(), std::min<qint64>(static_cast<qint64>(block.size()), samples - done));
            }
            files[c].setFileName(out.fileName());
            files[c].open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        }
    }
    InterchangeRequest request() {
        InterchangeRequest r;
        r.source.sampleFiles = {&files[0], &files[1], nullptr, nullptr};
        r.source.sampleCount = samples;
        r.source.channelCount = 2;
        r.source.channelSensitivity = {4, 9, 1, 1};
        r.source.samplingPeriodMs = 0.05f;
        return r;
    }
    std::int64_t sampleBytes() const { return 2 * samples; }
};

Recording& large() { // WAV and sigrok: 2 x 32 Mi samples
    static Recording r(32 << 20);
    return r;
}
Recording& small() { // CSV and text: 2 x 4 Mi samples
    static Recording r(4 << 20);
    return r;
}

template <typename Export> void runExport(benchmark::State& state, Recording& rec, Export run) {
    const QString path = rec.dir.filePath("out");
    for (auto _ : state) {
        QFile out(path);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        run(rec, out);
        state.counters["output_MB"] = static_cast<double>(out.size()) / 1e6;
    }
    state.SetBytesProcessed(state.iterations() * rec.sampleBytes());
}

void BM_WavExport(benchmark::State& state) {
    runExport(state, large(),
              [](Recording& rec, QFile& out) { benchmark::DoNotOptimize(exportWav(rec.request(), out).ok); });
}

void BM_SigrokExport(benchmark::State& state) {
    runExport(state, large(), [](Recording& rec, QFile& out) {
        benchmark::DoNotOptimize(exportSigrok(rec.request(), out).ok);
    });
}

void BM_CsvExport(benchmark::State& state) {
    runExport(state, small(),
              [](Recording& rec, QFile& out) { benchmark::DoNotOptimize(exportCsv(rec.request(), out).ok); });
}

void BM_TextExportSameRecording(benchmark::State& state) {
    const QLocale locale(QLocale::Polish);
    runExport(state, small(), [&](Recording& rec, QFile& out) {
        benchmark::DoNotOptimize(exportRecordingText(rec.request().source, out, locale).ok);
    });
}

// Both sample files read whole, as cat reads them.
void BM_CatSampleFiles(benchmark::State& state) {
    Recording& rec = large();
    std::vector<char> block(1 << 20);
    bench::catReference(
        state,
        [&] {
            std::int64_t sum = 0;
            for (QFile& f : rec.files) {
                f.seek(0);
                for (qint64 n; (n = f.read(block.data(), static_cast<qint64>(block.size()))) > 0;)
                    sum += block[0] + n;
            }
            return sum;
        },
        rec.sampleBytes());
}

} // namespace

BENCHMARK(BM_CatSampleFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_WavExport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SigrokExport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_TextExportSameRecording)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();
