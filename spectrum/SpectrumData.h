// The spectra of the recording on display: the averaged spectrum of every channel, its 5000 display
// points and the peaks the spectrum window scales by. Kept between computations; every redraw of the
// spectrum window reads it without recomputing. Plain data, fixed size.
#pragma once

#include "app/SharedState.h"
#include "spectrum/Fft.h"

#include <array>

namespace varnilog {

inline constexpr int spectrumDisplayPoints = 5000;
inline constexpr int binsPerDisplayPoint = 13;

// What the plot draws: the display points and the levels they are scaled against.
struct SpectrumDisplay {
    // Display point d = largest of bins 13d .. 13d+12.
    std::array<std::array<float, spectrumDisplayPoints>, kChannels> spectrumDisplay{};
    std::array<float, kChannels> spectrumPeak{}; // largest bin of each channel; 0 for absent channels
    float spectrumPeakAll = 0.0f;                // largest bin over all computed channels
};

struct SpectrumData : SpectrumDisplay {
    // Averaged magnitude of every bin, per channel (index = channel A..D). Linear, not normalised.
    std::array<std::array<float, fftSize>, kChannels> channelSpectrum{};
};

} // namespace varnilog
