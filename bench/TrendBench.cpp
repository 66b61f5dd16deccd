// Trends over whole recordings: the frequency per 65 536 samples of both channels of a 2 x 2^31-sample
// recording (the noisy sine and square of the measurement benchmark; run it with TMPDIR on a tmpfs)
// against measuring the same recording whole and against `cat` of its files, and the duty cycle per period of
// a 1 kHz square sampled every 10 us over 2^28 samples against `cat` of that file, all in the same run.
#include "analysis/Measurements.h"
#include "analysis/Trend.h"
#include "bench/CatReference.h"
#include "support/BigRecording.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace varnilog;

constexpr std::int64_t kInterval = 1 << 16;
constexpr std::int64_t kSquareSamples = std::int64_t{1} << 28;
constexpr int kSquarePeriod = 100; // samples: 1 kHz at 0.01 ms per sample

constexpr std::int64_t kSamples = std::int64_t{1} << 31;

test::BigRecording& waves() {
    return test::noisyWaves(kSamples);
}

test::BigRecording& square() {
    static test::BigRecording r(
        kSquareSamples, [](std::vector<std::uint8_t>& block, std::int64_t first, int) {
            std::uint32_t x = static_cast<std::uint32_t>(first) * 2654435761u;
            for (std::size_t i = 0; i < block.size(); ++i) {
                x = x * 1103515245u + 12345u;
                const int level =
                    (first + static_cast<std::int64_t>(i)) % kSquarePeriod < kSquarePeriod / 2 ? 200 : 50;
                block[i] = static_cast<std::uint8_t>(level + static_cast<int>((x >> 24) % 7) - 3);
            }
        });
    return r;
}

MeasureRequest wavesRequest() {
    MeasureRequest request;
    request.sampleFiles = {waves().a(), waves().b()};
    request.channelCount = 2;
    request.to = kSamples;
    return request;
}

void BM_CatWholeRecording(benchmark::State& state) {
    bench::catReference(
        state, [] { return waves().cat(); }, 2 * kSamples);
}

void BM_MeasureWholeRecording(benchmark::State& state) {
    MeasureRequest request = wavesRequest();
    request.workers = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const MeasureResult result = measureSpan(request);
        if (!result.ok) {
            state.SkipWithError("the measurement failed");
            break;
        }
        benchmark::DoNotOptimize(result.channels[1].frequency);
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

// Both channels one after the other, as the command line runs them one at a time.
void BM_TrendFrequencyWholeRecording(benchmark::State& state) {
    const std::size_t frequency = *trendMeasureOf(u"frequency");
    for (auto _ : state) {
        for (int channel = 0; channel < 2; ++channel) {
            const TrendResult result = computeTrend({wavesRequest(), channel, frequency, kInterval});
            if (!result.ok || result.points.size() != kSamples / kInterval) {
                state.SkipWithError("the trend failed or has the wrong points");
                return;
            }
            benchmark::DoNotOptimize(result.points.back().value);
        }
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

void BM_CatSquare(benchmark::State& state) {
    bench::catReference(
        state,
        [] {
            const QByteArray command = "cat '" + square().a().toLocal8Bit() + "' > /dev/null";
            return std::system(command.constData());
        },
        kSquareSamples);
}

void BM_TrendDutyPerPeriod(benchmark::State& state) {
    MeasureRequest span;
    span.sampleFiles[0] = square().a();
    span.channelCount = 1;
    span.samplingPeriodMs = 0.01f;
    span.to = kSquareSamples;
    const std::size_t duty = *trendMeasureOf(u"duty");
    for (auto _ : state) {
        const TrendResult result = computeTrend({span, 0, duty, 0});
        if (!result.ok ||
            result.points.size() < static_cast<std::size_t>(kSquareSamples / kSquarePeriod - 2)) {
            state.SkipWithError("the trend failed or missed periods");
            break;
        }
        benchmark::DoNotOptimize(result.points.back().value);
    }
    state.SetBytesProcessed(state.iterations() * kSquareSamples);
}

} // namespace

BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeasureWholeRecording)
    ->ArgName("workers")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TrendFrequencyWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatSquare)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TrendDutyPerPeriod)->Unit(benchmark::kMillisecond)->UseRealTime();
