// The live spectrum's cost at the fastest streaming rate (921600 baud: 1152 sample pairs a 50 ms
// tick): one second of stream is 20 ticks handing their samples over and the four updates they allow,
// each waited for, so the figure is the CPU the tick and the worker spend on one second of stream;
// the budget is a tenth of a core. Block sizes from the default to the largest, averaging over 32.
#include "spectrum/LiveSpectrum.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <thread>
#include <vector>

namespace {

using namespace varnilog;

constexpr std::int64_t kTick = 92160 / 4 / 20;
constexpr int kTicksASecond = 20;

void BM_LiveSpectrumSecond(benchmark::State& state) {
    std::vector<std::uint8_t> a(kTick * kTicksASecond), b(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = (i / 23) % 2 ? 200 : 50; // a square wave
        b[i] = static_cast<std::uint8_t>(125 + std::lround(100 * std::sin(static_cast<double>(i) / 40)));
    }
    LiveSpectrum live;
    LiveSpectrumSettings s;
    s.block = static_cast<std::int32_t>(state.range(0));
    s.average = liveMaxAverage;
    auto now = std::chrono::steady_clock::now();
    LiveSpectrumResult result;
    for (auto _ : state) {
        for (int t = 0; t < kTicksASecond; ++t) {
            now += std::chrono::milliseconds(50);
            if (live.feed(a.data() + t * kTick, b.data() + t * kTick, kTick, s, now))
                while (live.busy())
                    std::this_thread::yield();
        }
        benchmark::DoNotOptimize(live.take(result));
    }
    state.counters["updates/s"] =
        benchmark::Counter(static_cast<double>(live.updates()) / static_cast<double>(state.iterations()));
}

} // namespace

BENCHMARK(BM_LiveSpectrumSecond)->Arg(4096)->Arg(131072)->Unit(benchmark::kMillisecond)->UseRealTime();
