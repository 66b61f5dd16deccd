// The one scan for the smallest and largest code of a run of samples (one unsigned byte each): the
// view's columns, the view summaries and the measurements' periods all fold their runs with it.
// SSE2 on x86-64 (always present there), a plain loop elsewhere; both give the same result. Depends
// on the C++ library only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnilog {

// Widens lo and hi to the extremes of codes[0, n); n = 0 leaves them as they are.
void extendRange(const std::uint8_t* codes, std::size_t n, std::uint8_t& lo, std::uint8_t& hi);

} // namespace varnilog
