#include "recording/CodeRange.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnilog {

void extendRange(const std::uint8_t* codes, std::size_t n, std::uint8_t& lo, std::uint8_t& hi) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // The deep zooms spend nearly all their time here: 64 bytes a step in four independent lanes.
    if (n >= 16) {
        __m128i mn0 = _mm_set1_epi8(static_cast<char>(lo));
        __m128i mx0 = _mm_set1_epi8(static_cast<char>(hi));
        __m128i mn1 = mn0, mn2 = mn0, mn3 = mn0, mx1 = mx0, mx2 = mx0, mx3 = mx0;
        for (; i + 64 <= n; i += 64) {
            const auto* p = reinterpret_cast<const __m128i*>(codes + i);
            const __m128i a = _mm_loadu_si128(p), b = _mm_loadu_si128(p + 1);
            const __m128i c = _mm_loadu_si128(p + 2), d = _mm_loadu_si128(p + 3);
            mn0 = _mm_min_epu8(mn0, a);
            mx0 = _mm_max_epu8(mx0, a);
            mn1 = _mm_min_epu8(mn1, b);
            mx1 = _mm_max_epu8(mx1, b);
            mn2 = _mm_min_epu8(mn2, c);
            mx2 = _mm_max_epu8(mx2, c);
            mn3 = _mm_min_epu8(mn3, d);
            mx3 = _mm_max_epu8(mx3, d);
        }
        // Short runs too (the half-periods of a period listing are often a few dozen samples).
        for (; i + 16 <= n; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i));
            mn0 = _mm_min_epu8(mn0, a);
            mx0 = _mm_max_epu8(mx0, a);
        }
        alignas(16) std::uint8_t mn[16];
        alignas(16) std::uint8_t mx[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(mn),
                        _mm_min_epu8(_mm_min_epu8(mn0, mn1), _mm_min_epu8(mn2, mn3)));
        _mm_store_si128(reinterpret_cast<__m128i*>(mx),
                        _mm_max_epu8(_mm_max_epu8(mx0, mx1), _mm_max_epu8(mx2, mx3)));
        lo = *std::min_element(mn, mn + 16);
        hi = *std::max_element(mx, mx + 16);
    }
#endif
    std::uint8_t l = lo, h = hi;
    for (; i < n; ++i) {
        l = std::min(l, codes[i]);
        h = std::max(h, codes[i]);
    }
    lo = l;
    hi = h;
}

} // namespace varnilog
