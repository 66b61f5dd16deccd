// The live picture at "Pokaż całość" of an hour being recorded at the link's full rate: one tick's
// samples appended and the 500 columns built again, against the acquisition timer's 50 ms; and at
// the widest zoom whose columns are all read from the ring of newest samples.
#include "device/BoardSimulator.h"
#include "view/LivePreview.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace varnilog;

namespace {

constexpr std::int64_t kPairsPerSecond = BoardSimulator::kLineBytesPerSecond / 4; // 4 bytes a frame
constexpr std::int64_t kTickPairs = kPairsPerSecond / 20;                         // 50 ms of them
constexpr std::int64_t kHour = 3600 * kPairsPerSecond;

std::vector<std::uint8_t> sineBlock(std::int64_t n, double period) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(n));
    for (std::int64_t k = 0; k < n; ++k)
        out[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(
            125 + 100 * std::sin(6.283185307179586 * static_cast<double>(k) / period));
    return out;
}

// zoom 0: "Pokaż całość" of what has come so far, rounded up as the window does.
void BM_LivePreviewTick(benchmark::State& state) {
    auto live = std::make_unique<LivePreview>();
    const auto a = sineBlock(kTickPairs, 997.0), b = sineBlock(kTickPairs, 4001.0);
    for (std::int64_t n = 0; n < kHour; n += kTickPairs)
        live->append(a.data(), b.data(), kTickPairs);
    std::array<std::array<std::uint8_t, kDisplayColumns>, 2> top{}, bottom{};
    std::uint8_t* const tops[2] = {top[0].data(), top[1].data()};
    std::uint8_t* const bottoms[2] = {bottom[0].data(), bottom[1].data()};
    for (auto _ : state) {
        live->append(a.data(), b.data(), kTickPairs);
        const std::int64_t n = live->samples();
        const auto zoom = static_cast<std::int32_t>(
            state.range(0) > 0 ? state.range(0) : (n + kDisplayColumns - 1) / kDisplayColumns);
        live->columns(LivePreview::followingStart(n, zoom), zoom, tops, bottoms);
        benchmark::DoNotOptimize(top.data());
        benchmark::DoNotOptimize(bottom.data());
        benchmark::ClobberMemory();
    }
    state.counters["samples"] = static_cast<double>(live->samples());
}
BENCHMARK(BM_LivePreviewTick)
    ->Arg(0)
    ->Arg(LivePreview::kRawCapacity / kDisplayColumns)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

} // namespace
