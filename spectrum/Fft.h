// Magnitude spectrum of one block of 131072 samples: mean removal, radix-2 decimation-in-time FFT on
// single-precision arrays, magnitudes. The arithmetic of every butterfly is fixed (single-precision
// twiddles of a single-precision angle, products and sums stored as single precision), so results are
// reproducible bit for bit across machines and across the scalar and vectorised paths.
// Depends on the C++ standard library only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace varnilog {

inline constexpr std::int32_t fftSize = 131072; // samples per block, 2^17
inline constexpr int fftLog2 = 17;

// Cosine and sine of every butterfly of the stages of span 4 .. fftSize, computed once.
struct FftTwiddles;
const FftTwiddles& fftTwiddles();
// The twiddle of butterfly j in the stage of span m (4 <= m <= fftSize, 0 <= j < m/2).
float fftTwiddleCos(int m, int j);
float fftTwiddleSin(int m, int j);

class Fft {
public:
    // Which code runs the transform: the vector path where the processor has AVX2, or the portable
    // path always. Both give the same bits.
    enum class Path { Fastest, Portable };
    explicit Fft(Path path = Path::Fastest);
    ~Fft();
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;

    // output[k] = |X[k]| of the mean-removed input, k = 0 .. fftSize-1, not normalised.
    // input and output may be the same array.
    void ComputeBlockSpectrum(std::span<const float, fftSize> input, std::span<float, fftSize> output);

private:
    struct Work;
    std::unique_ptr<Work> work_;
    bool vector_;
};

} // namespace varnilog
