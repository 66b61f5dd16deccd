// Primitive scans over a run of sample codes (one unsigned byte per sample), the hot loops of the
// measurements: the smallest and largest code and the sums of codes and squared codes, the first or
// last code at or beyond a level (the extremes of a range: recording/CodeRange.h). SSE2 where the compiler
// offers it, plain loops elsewhere; both give the same results. Depends on the C++ library only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnilog {

// Exact sums over any number of samples: a recording holds at most 2^31 samples of at most 255, so
// the sum of squares stays far below 2^64.
struct CodeStatistics {
    std::uint8_t lo = 255;
    std::uint8_t hi = 0;
    std::uint64_t sum = 0;   // sum of codes
    std::uint64_t sumSq = 0; // sum of squared codes
    std::int64_t count = 0;

    void add(const std::uint8_t* codes, std::size_t n);
};

// Index of the first (last) code in codes[0, n) that is >= level (<= level), or -1.
std::ptrdiff_t firstAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level);
std::ptrdiff_t firstAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level);
std::ptrdiff_t lastAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level);
std::ptrdiff_t lastAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level);

} // namespace varnilog
