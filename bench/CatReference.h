// The reference of the whole-recording figures: reading the recording's sample files as `cat` does,
// in the same run as the figure it is set against.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

namespace varnilog::bench {

// cat reads all the bytes once and returns something of them; bytes is how many it reads.
template <typename Cat> void catReference(benchmark::State& state, Cat cat, std::int64_t bytes) {
    cat(); // makes the recording (when it is not there yet) outside the timing
    for (auto _ : state)
        benchmark::DoNotOptimize(cat());
    state.SetBytesProcessed(state.iterations() * bytes);
}

} // namespace varnilog::bench
