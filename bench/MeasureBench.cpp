// Measuring the whole of a 2^28-sample, two-channel recording (both passes over both files: sums and
// extremes, then the edges), with the channels one after the other and side by side, against `cat` of
// the same files to /dev/null in the same run. Channel A is a noisy sine, B a noisy square wave, both
// with a period of 1000 samples, so every period has its edges, rise and fall times.
#include "analysis/Measurements.h"
#include "support/BigRecording.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;
constexpr int kPeriod = 1000;

test::BigRecording& recording() {
    static test::BigRecording r(
        kSamples, [](std::vector<std::uint8_t>& block, std::int64_t first, int channel) {
            static std::array<std::array<int, kPeriod>, 2> wave = [] {
                std::array<std::array<int, kPeriod>, 2> w{};
                for (int i = 0; i < kPeriod; ++i) {
                    w[0][i] = 125 + static_cast<int>(std::lround(100 * std::sin(2 * M_PI * i / kPeriod)));
                    w[1][i] = i < kPeriod / 2 ? 215 : 35;
                }
                return w;
            }();
            std::uint32_t x =
                static_cast<std::uint32_t>(first) * 2654435761u + static_cast<std::uint32_t>(channel);
            for (std::size_t i = 0; i < block.size(); ++i) {
                x = x * 1103515245u + 12345u;
                const int noise = static_cast<int>((x >> 24) % 9) - 4;
                block[i] = static_cast<std::uint8_t>(
                    wave[channel][(first + static_cast<std::int64_t>(i)) % kPeriod] + noise);
            }
        });
    return r;
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
    recording();
    for (auto _ : state)
        benchmark::DoNotOptimize(recording().cat());
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

} // namespace

BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeasureWholeRecording)
    ->ArgName("workers")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
