// Primitive scans over a run of sample codes (one unsigned byte per sample), the hot loops of the
// measurements: the smallest and largest code and the sums of codes and squared codes, the count of
// every code (all of them, or only the two tails), the first or last code at or beyond a level (the
// extremes of a range: recording/CodeRange.h). SSE2 where the compiler
// offers it, plain loops elsewhere; both give the same results. Depends on the C++ library only.
#pragma once

#include <array>
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

// How many samples hold each code.
using CodeCounts = std::array<std::int64_t, 256>;

// Adds the codes of codes[0, n) to counts.
void addCodeCounts(const std::uint8_t* codes, std::size_t n, CodeCounts& counts);
// Adds only the codes <= low and >= high (low <= high; a code of both counts once): a tail of a few
// percent of the samples costs little more than reading them.
void addTailCounts(const std::uint8_t* codes, std::size_t n, std::uint8_t low, std::uint8_t high,
                   CodeCounts& counts);

// addTailCounts and s.add in one pass over the codes, as each alone gives them.
void addTailCountsAndStatistics(const std::uint8_t* codes, std::size_t n, std::uint8_t low, std::uint8_t high,
                                CodeCounts& counts, CodeStatistics& s);

// Index of the first (last) code in codes[0, n) that is >= level (<= level), or -1.
std::ptrdiff_t firstAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level);
std::ptrdiff_t firstAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level);
std::ptrdiff_t lastAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level);
std::ptrdiff_t lastAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level);

} // namespace varnilog
