// The spectrum while sampling: the block spectrum (spectrum/Fft) of the newest N samples of channels A
// and B, averaged linearly over the last K updates, with the maxima held and the peak found. The
// acquisition tick only copies samples: its newest samples go into a fixed ring, and at most every
// 250 ms, when the worker is idle, the newest N of them into the worker's fixed input. The worker
// transforms them and hands the result over by swapping buffers; the tick never waits for it.
// Levels are against a full-scale sine (125 codes of amplitude). Depends on the standard library and
// the block transform.
#pragma once

#include "spectrum/Fft.h"
#include "spectrum/SpectrumData.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace varnilog {

inline constexpr int liveChannels = 2; // a board streams A and B
inline constexpr std::int32_t liveDefaultBlock = 4096;
inline constexpr int liveMaxAverage = 32;
inline constexpr std::chrono::milliseconds liveUpdateInterval{250};

// The magnitude of a sine of the full 125 codes of amplitude at a bin of a block of N samples: 0 dB.
inline float liveFullScale(std::int32_t block) {
    return 125.0f * static_cast<float>(block) / 2.0f;
}

// The newest fftMaxSize samples of A and B. Fixed size; one thread.
class LiveSampleTail {
public:
    LiveSampleTail();
    void clear();
    // Appends count samples of each channel (null: that channel's are the zero level).
    void append(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count);
    std::int64_t total() const { return total_; }
    // The newest n (<= fftMaxSize) samples of channel c, oldest first; before the first sample
    // received, the zero level.
    void copyNewest(int channel, std::int32_t n, float* out) const;

private:
    std::unique_ptr<std::array<std::array<std::uint8_t, fftMaxSize>, liveChannels>> ring_;
    std::int64_t total_ = 0;
};

struct SpectrumPeak {
    std::int32_t bin = 0;
    float magnitude = 0.0f;
};
// The largest of bins 1 .. end (bin 0 is the mean, removed); the lowest bin among equals.
SpectrumPeak spectrumPeakOf(std::span<const float> bins);

// The linear mean of the last K spectra of one channel and the maximum of those means since the hold
// was reset.
class SpectrumAverager {
public:
    // A new bin count or K starts over; the same keeps everything.
    void configure(std::int32_t bins, int average);
    void add(std::span<const float> magnitudes);
    void resetHold();
    std::span<const float> mean() const { return mean_; }
    std::span<const float> hold() const { return hold_; }
    int filled() const { return filled_; } // spectra in the mean, at most K

private:
    std::int32_t bins_ = 0;
    int average_ = 0;
    std::vector<float> ring_; // K spectra, the oldest at next_ once full
    std::vector<float> mean_;
    std::vector<float> hold_;
    int next_ = 0;
    int filled_ = 0;
    bool holdEmpty_ = true;
};

struct LiveSpectrumSettings {
    std::int32_t block = liveDefaultBlock; // N
    int average = 1;                       // K
    std::array<bool, liveChannels> channels{true, true};
    bool operator==(const LiveSpectrumSettings&) const = default;
};

struct LiveSpectrumResult {
    LiveSpectrumSettings settings;
    std::int64_t newestSample = 0;                     // samples received when its blocks were taken
    std::array<std::vector<float>, liveChannels> mean; // N/2 + 1 bins of each channel computed
    std::array<std::vector<float>, liveChannels> hold;
    std::array<SpectrumPeak, liveChannels> peak{};
};

// Fills the display points of the plot from a channel's bins (N/2 + 1 of a block of N): point d shows
// the largest bin of its frequency band, d / (0.1 divisor) Hz wide as the plot's axis has it; the
// scale's top is the full-scale sine. Points past the last bin are 0.
void liveDisplayPoints(std::span<const float> bins, std::int32_t block, double samplingPeriodMs,
                       double divisor, std::array<float, spectrumDisplayPoints>& out);

class LiveSpectrum {
public:
    // updated: called on the worker's thread after each new result (take it with take()).
    explicit LiveSpectrum(std::function<void()> updated = {});
    ~LiveSpectrum();
    LiveSpectrum(const LiveSpectrum&) = delete;
    LiveSpectrum& operator=(const LiveSpectrum&) = delete;

    // A new recording: no samples, the means and maxima start over with the next update.
    void restart();
    void resetHold() { resetHold_.store(true, std::memory_order_relaxed); }
    // The acquisition tick: takes count new samples of A and B and, when an update is due (the first,
    // or liveUpdateInterval after the last) and the worker idle, hands it the newest N. Never waits and
    // allocates nothing. True when it handed over.
    bool feed(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count,
              const LiveSpectrumSettings& settings,
              std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // Takes samples without handing anything over (the spectrum is not on show).
    void append(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count) {
        tail_.append(a, b, count);
    }
    // The newest result since the last take, swapped into out; false when there is none.
    bool take(LiveSpectrumResult& out);
    bool busy() const { return busy_.load(std::memory_order_acquire); }
    std::int64_t updates() const { return updates_.load(std::memory_order_relaxed); }

private:
    void run();
    void compute();

    std::function<void()> updated_;
    LiveSampleTail tail_;
    std::optional<std::chrono::steady_clock::time_point> lastUpdate_;
    // Owned by the worker while busy_, by the tick otherwise.
    std::array<std::vector<float>, liveChannels> input_;
    LiveSpectrumSettings request_;
    std::int64_t requestNewest_ = 0;
    bool restart_ = false;
    // The worker's own.
    std::array<SpectrumAverager, liveChannels> averagers_;
    std::unique_ptr<Fft> fft_;
    std::vector<float> magnitudes_;
    LiveSpectrumResult back_;
    // Swapped under mutex_.
    LiveSpectrumResult published_;
    bool fresh_ = false;

    std::atomic<bool> busy_{false};
    std::atomic<bool> resetHold_{false};
    std::atomic<std::int64_t> updates_{0};
    bool pendingRestart_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool quit_ = false;
    std::thread worker_;
};

} // namespace varnilog
