// A plain, one-butterfly-at-a-time transcription of the block spectrum of any block size: mean in double, bit
// reversal, the stage of span 2, then every butterfly with its angle, cosine and sine computed on the spot
// and each sum formed in extended precision before it is stored as single precision. Slow on purpose: it is
// the reference the fast transform must equal bit for bit.
#pragma once

#include "spectrum/Fft.h"

#include <cmath>
#include <vector>

namespace varnilog::test {

inline std::vector<float> scalarBlockSpectrum(const std::vector<float>& input) {
    const int n = static_cast<int>(input.size()); // a block size of the transform
    std::vector<float> block(n), bre(n), bim(n, 0.0f), re(n), im(n), out(n);
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += input[i];
    const double mean = sum / n;
    for (int i = 0; i < n; ++i)
        block[i] = static_cast<float>(input[i] - mean);

    int bits = 0;
    for (int v = 1; v < n; v *= 2)
        ++bits;
    for (int j = 0; j < n; ++j) {
        int r = 0;
        for (int i = 0; i < bits; ++i)
            if (j & (1 << i))
                r |= 1 << (bits - 1 - i);
        bre[r] = block[j];
    }
    for (int j = 0; j < n; j += 2) {
        re[j] = bre[j] + bre[j + 1];
        re[j + 1] = bre[j] - bre[j + 1];
        im[j] = bim[j] + bim[j + 1];
        im[j + 1] = bim[j] - bim[j + 1];
    }
    for (int m = 4; m <= n; m *= 2) {
        for (int g = 0; g < n / m; ++g) {
            for (int j = 0; j < m / 2; ++j) {
                const int u = g * m + j;
                const int l = g * m + m / 2 + j;
                const float fj = static_cast<float>(j);
                const float fm = static_cast<float>(m);
                const float theta = static_cast<float>(-6.283185308L * fj / fm);
                const float c = static_cast<float>(std::cos(static_cast<long double>(theta)));
                const float s = static_cast<float>(std::sin(static_cast<long double>(theta)));
                const float p1 = re[l] * c;
                const float p2 = im[l] * s;
                const float p3 = re[l] * s;
                const float p4 = im[l] * c;
                const float tr = static_cast<float>(static_cast<long double>(p1) - p2);
                const float ti = static_cast<float>(static_cast<long double>(p3) + p4);
                const float ur = re[u];
                const float ui = im[u];
                re[u] = static_cast<float>(static_cast<long double>(ur) + tr);
                im[u] = static_cast<float>(static_cast<long double>(ui) + ti);
                re[l] = static_cast<float>(static_cast<long double>(ur) - tr);
                im[l] = static_cast<float>(static_cast<long double>(ui) - ti);
            }
        }
    }
    for (int k = 0; k < n; ++k) {
        const long double r = re[k];
        const long double i = im[k];
        out[k] = static_cast<float>(std::sqrt(static_cast<double>(r * r + i * i)));
    }
    return out;
}

} // namespace varnilog::test
