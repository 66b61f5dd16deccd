// The spectrogram of both channels of a 2^28-sample, two-channel recording at N = 4096 (the picture's
// reduction included) with one and two workers, against numpy's FFT of the same blocks in the same run
// (python3-numpy: the blocks read from the same files, the mean removed, rfft, magnitudes; its own
// clock, without the interpreter's start).
#include "spectrum/Spectrogram.h"
#include "spectrum/SpectrogramImage.h"
#include "support/BigRecording.h"

#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;
constexpr std::int32_t kBlock = 4096;

test::BigRecording& recording() {
    return test::noisyWaves(kSamples);
}

void BM_Spectrogram(benchmark::State& state) {
    const SpectrogramRequest request{0, kSamples, kBlock, 0};
    const std::int64_t columns = spectrogramColumns(request);
    for (auto _ : state) {
        for (const QString& path : {recording().a(), recording().b()}) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            SpectrogramReducer reducer(columns, spectrogramBins(kBlock), spectrogramPlotWidth,
                                       spectrogramPlotHeight);
            const bool done = computeSpectrogram(
                file, request,
                [&](std::int64_t c, const float* m) {
                    reducer.add(c, m);
                    return true;
                },
                {}, static_cast<int>(state.range(0)));
            if (!done || !(reducer.picture().peak > 0.0f)) {
                state.SkipWithError("the spectrogram failed");
                return;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

const char* const kNumpyScript = R"(
import sys, time
import numpy as np
n = 4096
start = time.perf_counter()
largest = 0.0
for path in sys.argv[1:]:
    data = np.memmap(path, dtype=np.uint8, mode='r')
    blocks = data[: len(data) // n * n].reshape(-1, n)
    for first in range(0, len(blocks), 2048):
        x = blocks[first:first + 2048].astype(np.float32) - 125.0
        x -= x.mean(axis=1, keepdims=True)
        m = np.abs(np.fft.rfft(x, axis=1))
        largest = max(largest, float(m.max()))
print(time.perf_counter() - start, largest)
)";

void BM_NumpySpectrogram(benchmark::State& state) {
    (void)recording(); // made outside the timing
    for (auto _ : state) {
        QProcess python;
        // Debian's interpreter, the one python3-numpy is installed for, before whatever PATH finds first.
        python.start(
            QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                              : QStringLiteral("python3"),
            {QStringLiteral("-c"), QString::fromLatin1(kNumpyScript), recording().a(), recording().b()});
        if (!python.waitForFinished(-1) || python.exitCode() != 0) {
            state.SkipWithError("python3 with numpy (python3-numpy) did not run");
            return;
        }
        state.SetIterationTime(python.readAllStandardOutput().split(' ').value(0).toDouble());
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

} // namespace

BENCHMARK(BM_NumpySpectrogram)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Spectrogram)->ArgName("workers")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
