// Protocol decoding: the analog-to-logic conversion of a whole 2 × 2^28-sample recording (read in
// 1 MiB blocks as the decoding reads it, both channels thresholded into one logic byte per sample),
// against `cat` of the same files.
#include "bench/CatReference.h"
#include "decode/LogicThreshold.h"
#include "recording/RecordingLoader.h"
#include "support/BigRecording.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace varnilog;

constexpr std::int64_t kSamples = std::int64_t{1} << 28;

void BM_LogicOfWholeRecording(benchmark::State& state) {
    const test::BigRecording& r = test::noisyWaves(kSamples);
    constexpr std::size_t kBlock = 1 << 20;
    std::vector<std::uint8_t> codes(kBlock), logic(kBlock);
    for (auto _ : state) {
        QFile a, b;
        if (!openSetFileForReading(a, r.a()) || !openSetFileForReading(b, r.b())) {
            state.SkipWithError("cannot open the recording");
            return;
        }
        LogicThreshold ta({0.0, 0.1}, 4), tb({0.0, 0.1}, 4);
        std::uint64_t ones = 0;
        for (std::int64_t done = 0; done < kSamples; done += kBlock) {
            for (auto [file, t, bit] : {std::tuple{&a, &ta, 0u}, std::tuple{&b, &tb, 1u}}) {
                if (file->read(reinterpret_cast<char*>(codes.data()), kBlock) !=
                    static_cast<qint64>(kBlock)) {
                    state.SkipWithError("short read");
                    return;
                }
                t->convert(codes.data(), kBlock, logic.data(), bit);
            }
            ones += logic[kBlock / 2];
        }
        benchmark::DoNotOptimize(ones);
    }
    state.SetBytesProcessed(state.iterations() * 2 * kSamples);
}

void BM_CatWholeRecording(benchmark::State& state) {
    bench::catReference(
        state, [] { return test::noisyWaves(kSamples).cat(); }, 2 * kSamples);
}

BENCHMARK(BM_LogicOfWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatWholeRecording)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
