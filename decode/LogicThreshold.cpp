#include "decode/LogicThreshold.h"

#include "view/SampleCodes.h"

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace varnilog {

namespace {

// The smallest integer code c with c >= x, held within what a code comparison needs: codes are whole
// numbers, so comparing with it is comparing with x itself.
int ceilingCode(double x) {
    if (std::isnan(x))
        return 256; // no code reaches it
    return static_cast<int>(std::clamp(std::ceil(x), -1.0, 256.0));
}

} // namespace

LogicThreshold::LogicThreshold(const LogicLevel& level, int sensitivity) {
    const double lc = levelCode(level.volts, sensitivity);
    const double h = level.hysteresisDivisions * kCodesPerDivision;
    first_ = ceilingCode(lc);
    rise_ = ceilingCode(lc + h);
    fall_ = ceilingCode(lc - h);
}

void LogicThreshold::convert(const std::uint8_t* codes, std::size_t n, std::uint8_t* out, unsigned bit) {
    if (n == 0)
        return;
    std::size_t i = 0;
    if (!started_) {
        value_ = codes[0] >= first_ ? 1 : 0;
        out[0] = static_cast<std::uint8_t>((out[0] & ~(1u << bit)) | (value_ << bit));
        started_ = true;
        i = 1;
    }
    const auto keep = static_cast<std::uint8_t>(~(1u << bit));
    unsigned v = value_;
#ifdef __SSE2__
    // Sixteen codes at once where they agree: all at or above the rise (1), all below the fall (0) or
    // all between (held); only a block that changes inside goes code by code.
    const int rise = std::clamp(rise_, 0, 256), fall = std::clamp(fall_, 0, 256);
    const __m128i riseCodes = _mm_set1_epi8(static_cast<char>(std::min(rise, 255)));
    const __m128i fallCodes = _mm_set1_epi8(static_cast<char>(std::min(fall, 255)));
    const __m128i keepBits = _mm_set1_epi8(static_cast<char>(keep));
    const __m128i oneBit = _mm_set1_epi8(static_cast<char>(1u << bit));
    const auto uniform = [&](std::size_t at) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + at));
        const int high = rise > 255 ? 0 : _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(c, riseCodes), c));
        const int kept = fall > 255 ? 0 : _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(c, fallCodes), c));
        if (high == 0xFFFF)
            v = 1;
        else if (kept == 0)
            v = 0;
        else if (high != 0 || kept != 0xFFFF)
            return false; // a change inside
        auto* o = reinterpret_cast<__m128i*>(out + at);
        const __m128i bits = v ? oneBit : _mm_setzero_si128();
        _mm_storeu_si128(o, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(o), keepBits), bits));
        return true;
    };
    while (i < n) {
        for (; i + 16 <= n && uniform(i); i += 16) {
        }
        // The block that changes (or the last codes), one by one.
        for (const std::size_t stop = std::min(n, i + 16); i < stop; ++i) {
            const int c = codes[i];
            v = static_cast<unsigned>(c >= rise_) | (v & static_cast<unsigned>(c >= fall_));
            out[i] = static_cast<std::uint8_t>((out[i] & keep) | (v << bit));
        }
    }
#else
    // Branch-free: the value depends on the one before only through one and and one or.
    for (; i < n; ++i) {
        const int c = codes[i];
        v = static_cast<unsigned>(c >= rise_) | (v & static_cast<unsigned>(c >= fall_));
        out[i] = static_cast<std::uint8_t>((out[i] & keep) | (v << bit));
    }
#endif
    value_ = static_cast<std::uint8_t>(v);
}

double middleLevelVolts(std::uint8_t lo, std::uint8_t hi, int sensitivity) {
    return stepVolts((static_cast<double>(lo) + static_cast<double>(hi)) / 2.0 - kZeroLine, sensitivity);
}

} // namespace varnilog
