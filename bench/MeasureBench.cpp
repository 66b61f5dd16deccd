// Measuring the whole of a 2^28-sample, two-channel recording (both passes over both files: sums and
// extremes, then the edges), with the channels one after the other and side by side, against `cat` of
// the same files to /dev/null in the same run. Channel A is a noisy sine, B a noisy square wave, both
// with a period of 1000 samples, so every period has its edges, rise and fall times.
#include "analysis/Measurements.h"
#include "bench/CatReference.h"
#include "support/BigRecording.h"

#include <benchmark/benchmark.h>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;
constexpr int kPeriod = 1000; // of both waves (test::noisyWaves)

test::BigRecording& recording() {
    return test::noisyWaves(kSamples);
}

void BM_MeasureWholeRecording(benchmark::State& state) {
    MeasureRequest request;
    request.sampleFiles[0] = recording().a();
    request.sampleFiles[1] = recording().b();
    request.channelCount = 2;
    request.samplingPeriodMs = 0.02f;
    request.to = kSamples;
    request.workers = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const MeasureResult result = measureSpan(request);
        if (!result.ok || result.channels[0].periods != kSamples / kPeriod - 1) {
            state.SkipWithError("the measurement failed or counted the periods wrong");
            break;
        }
        benchmark::DoNotOptimize(result.channels[1].rise);
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

void BM_CatWholeRecording(benchmark::State& state) {
    bench::catReference(
        state, [] { return recording().cat(); }, 2 * kSamples);
}

} // namespace

BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeasureWholeRecording)
    ->ArgName("workers")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
