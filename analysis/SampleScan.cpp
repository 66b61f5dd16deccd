#include "analysis/SampleScan.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnilog {

namespace {

#if defined(__SSE2__)
constexpr std::size_t kLanes = 16;

__m128i load(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit i set where lane i of x is >= level (<= level): unsigned compares through min/max.
int maskAtLeast(__m128i x, __m128i level) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(x, level), x));
}
int maskAtMost(__m128i x, __m128i level) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(x, level), x));
}

template <bool AtLeast>
std::ptrdiff_t firstMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    const __m128i l = _mm_set1_epi8(static_cast<char>(level));
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const int m = AtLeast ? maskAtLeast(load(codes + i), l) : maskAtMost(load(codes + i), l);
        if (m != 0)
            return static_cast<std::ptrdiff_t>(i) + __builtin_ctz(static_cast<unsigned>(m));
    }
    for (; i < n; ++i)
        if (AtLeast ? codes[i] >= level : codes[i] <= level)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

template <bool AtLeast>
std::ptrdiff_t lastMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    const __m128i l = _mm_set1_epi8(static_cast<char>(level));
    std::size_t end = n;
    for (; end >= kLanes; end -= kLanes) {
        const int m =
            AtLeast ? maskAtLeast(load(codes + end - kLanes), l) : maskAtMost(load(codes + end - kLanes), l);
        if (m != 0)
            return static_cast<std::ptrdiff_t>(end - kLanes) + 31 - __builtin_clz(static_cast<unsigned>(m));
    }
    while (end > 0) {
        --end;
        if (AtLeast ? codes[end] >= level : codes[end] <= level)
            return static_cast<std::ptrdiff_t>(end);
    }
    return -1;
}
#else
template <bool AtLeast>
std::ptrdiff_t firstMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    for (std::size_t i = 0; i < n; ++i)
        if (AtLeast ? codes[i] >= level : codes[i] <= level)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

template <bool AtLeast>
std::ptrdiff_t lastMatch(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    for (std::size_t i = n; i > 0; --i)
        if (AtLeast ? codes[i - 1] >= level : codes[i - 1] <= level)
            return static_cast<std::ptrdiff_t>(i - 1);
    return -1;
}
#endif

} // namespace

void CodeStatistics::add(const std::uint8_t* codes, std::size_t n) {
    std::size_t i = 0;
    count += static_cast<std::int64_t>(n);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i mn = _mm_set1_epi8(static_cast<char>(lo));
    __m128i mx = _mm_set1_epi8(static_cast<char>(hi));
    while (i + kLanes <= n) {
        // Squares are summed in 32-bit lanes: each step adds at most 2 * 255^2 to a lane, so a lane
        // holds 4096 steps safely before it is widened.
        __m128i sums = zero;
        __m128i squares = zero;
        const std::size_t stop = std::min(n - (n - i) % kLanes, i + 4096 * kLanes);
        for (; i < stop; i += kLanes) {
            const __m128i x = load(codes + i);
            mn = _mm_min_epu8(mn, x);
            mx = _mm_max_epu8(mx, x);
            sums = _mm_add_epi64(sums, _mm_sad_epu8(x, zero));
            const __m128i low = _mm_unpacklo_epi8(x, zero);
            const __m128i high = _mm_unpackhi_epi8(x, zero);
            squares =
                _mm_add_epi32(squares, _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high)));
        }
        alignas(16) std::uint64_t s[2];
        alignas(16) std::uint32_t q[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(s), sums);
        _mm_store_si128(reinterpret_cast<__m128i*>(q), squares);
        sum += s[0] + s[1];
        sumSq += std::uint64_t{q[0]} + q[1] + q[2] + q[3];
    }
    alignas(16) std::uint8_t lanes[kLanes];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), mn);
    lo = *std::min_element(lanes, lanes + kLanes);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), mx);
    hi = *std::max_element(lanes, lanes + kLanes);
#endif
    for (; i < n; ++i) {
        const std::uint8_t c = codes[i];
        lo = std::min(lo, c);
        hi = std::max(hi, c);
        sum += c;
        sumSq += std::uint64_t{c} * c;
    }
}

std::ptrdiff_t firstAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return firstMatch<true>(codes, n, level);
}
std::ptrdiff_t firstAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return firstMatch<false>(codes, n, level);
}
std::ptrdiff_t lastAtLeast(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return lastMatch<true>(codes, n, level);
}
std::ptrdiff_t lastAtMost(const std::uint8_t* codes, std::size_t n, std::uint8_t level) {
    return lastMatch<false>(codes, n, level);
}

void extendRange(const std::uint8_t* codes, std::size_t n, std::uint8_t& lo, std::uint8_t& hi) {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (n >= kLanes) {
        __m128i mn = _mm_set1_epi8(static_cast<char>(lo));
        __m128i mx = _mm_set1_epi8(static_cast<char>(hi));
        for (; i + kLanes <= n; i += kLanes) {
            const __m128i x = load(codes + i);
            mn = _mm_min_epu8(mn, x);
            mx = _mm_max_epu8(mx, x);
        }
        alignas(16) std::uint8_t lanes[kLanes];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), mn);
        lo = *std::min_element(lanes, lanes + kLanes);
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), mx);
        hi = *std::max_element(lanes, lanes + kLanes);
    }
#endif
    for (; i < n; ++i) {
        lo = std::min(lo, codes[i]);
        hi = std::max(hi, codes[i]);
    }
}

} // namespace varnilog
