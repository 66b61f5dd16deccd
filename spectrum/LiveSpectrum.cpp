#include "spectrum/LiveSpectrum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varnilog {

namespace {
constexpr std::uint8_t kZeroCode = 125;
}

LiveSampleTail::LiveSampleTail()
    : ring_(std::make_unique<std::array<std::array<std::uint8_t, fftMaxSize>, liveChannels>>()) {
    clear();
}

void LiveSampleTail::clear() {
    for (auto& ring : *ring_)
        ring.fill(kZeroCode);
    total_ = 0;
}

void LiveSampleTail::append(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count) {
    if (count <= 0)
        return;
    // Only the newest ring's worth of a long tick can be kept.
    const std::int64_t skip = std::max<std::int64_t>(0, count - fftMaxSize);
    const std::uint8_t* sources[liveChannels] = {a, b};
    for (int c = 0; c < liveChannels; ++c) {
        auto& ring = (*ring_)[static_cast<std::size_t>(c)];
        std::int64_t at = (total_ + skip) % fftMaxSize;
        for (std::int64_t done = skip; done < count;) {
            const std::int64_t run = std::min<std::int64_t>(count - done, fftMaxSize - at);
            if (sources[c] != nullptr)
                std::memcpy(ring.data() + at, sources[c] + done, static_cast<std::size_t>(run));
            else
                std::memset(ring.data() + at, kZeroCode, static_cast<std::size_t>(run));
            done += run;
            at = 0;
        }
    }
    total_ += count;
}

void LiveSampleTail::copyNewest(int channel, std::int32_t n, float* out) const {
    const auto& ring = (*ring_)[static_cast<std::size_t>(channel)];
    // Positions never written still hold the zero level, so a short start needs no case of its own.
    std::int64_t at = ((total_ - n) % fftMaxSize + fftMaxSize) % fftMaxSize;
    for (std::int32_t i = 0; i < n; ++i) {
        out[i] = static_cast<float>(ring[static_cast<std::size_t>(at)]);
        if (++at == fftMaxSize)
            at = 0;
    }
}

SpectrumPeak spectrumPeakOf(std::span<const float> bins) {
    SpectrumPeak peak;
    for (std::size_t k = 1; k < bins.size(); ++k)
        if (bins[k] > peak.magnitude)
            peak = {static_cast<std::int32_t>(k), bins[k]};
    return peak;
}

void SpectrumAverager::configure(std::int32_t bins, int average) {
    average = std::clamp(average, 1, liveMaxAverage);
    if (bins == bins_ && average == average_)
        return;
    bins_ = bins;
    average_ = average;
    ring_.assign(static_cast<std::size_t>(bins) * static_cast<std::size_t>(average), 0.0f);
    mean_.assign(static_cast<std::size_t>(bins), 0.0f);
    hold_.assign(static_cast<std::size_t>(bins), 0.0f);
    next_ = 0;
    filled_ = 0;
    holdEmpty_ = true;
}

void SpectrumAverager::add(std::span<const float> magnitudes) {
    const std::size_t n = static_cast<std::size_t>(bins_);
    std::copy_n(magnitudes.begin(), std::min(n, magnitudes.size()), ring_.begin() + next_ * n);
    next_ = (next_ + 1) % average_;
    filled_ = std::min(filled_ + 1, average_);
    // Summed afresh in the order the spectra came, so no rounding drifts over a long recording.
    const int oldest = filled_ < average_ ? 0 : next_;
    std::fill(mean_.begin(), mean_.end(), 0.0f);
    for (int i = 0; i < filled_; ++i) {
        const float* spectrum = ring_.data() + static_cast<std::size_t>((oldest + i) % average_) * n;
        for (std::size_t k = 0; k < n; ++k)
            mean_[k] += spectrum[k];
    }
    const float scale = 1.0f / static_cast<float>(filled_);
    for (std::size_t k = 0; k < n; ++k) {
        mean_[k] *= scale;
        hold_[k] = holdEmpty_ ? mean_[k] : std::max(hold_[k], mean_[k]);
    }
    holdEmpty_ = false;
}

void SpectrumAverager::resetHold() {
    std::fill(hold_.begin(), hold_.end(), 0.0f);
    holdEmpty_ = true;
}

void liveDisplayPoints(std::span<const float> bins, std::int32_t block, double samplingPeriodMs,
                       double divisor, std::array<float, spectrumDisplayPoints>& out) {
    // Point d is at d / (0.1 divisor) Hz; bin k at k / (N T).
    const double binsPerPoint = block * samplingPeriodMs / (100.0 * divisor);
    const std::int64_t last = static_cast<std::int64_t>(bins.size()) - 1;
    for (int d = 0; d < spectrumDisplayPoints; ++d) {
        const auto first = static_cast<std::int64_t>(std::floor(d * binsPerPoint));
        const auto end = std::max(first + 1, static_cast<std::int64_t>(std::ceil((d + 1) * binsPerPoint)));
        float v = 0.0f;
        for (std::int64_t k = first; k < end && k <= last; ++k)
            v = std::max(v, bins[static_cast<std::size_t>(k)]);
        out[static_cast<std::size_t>(d)] = v;
    }
}

LiveSpectrum::LiveSpectrum(std::function<void()> updated) : updated_(std::move(updated)) {
    for (auto& input : input_)
        input.assign(fftMaxSize, 0.0f);
    worker_ = std::thread([this] { run(); });
}

LiveSpectrum::~LiveSpectrum() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void LiveSpectrum::restart() {
    tail_.clear();
    lastUpdate_.reset();
    pendingRestart_ = true;
}

bool LiveSpectrum::feed(const std::uint8_t* a, const std::uint8_t* b, std::int64_t count,
                        const LiveSpectrumSettings& settings, std::chrono::steady_clock::time_point now) {
    tail_.append(a, b, count);
    if (lastUpdate_ && now - *lastUpdate_ < liveUpdateInterval)
        return false;
    if (busy_.load(std::memory_order_acquire) || !isFftSize(settings.block))
        return false;
    // The worker is idle: its input, request and flags are the tick's until busy_ is set.
    for (int c = 0; c < liveChannels; ++c)
        if (settings.channels[static_cast<std::size_t>(c)])
            tail_.copyNewest(c, settings.block, input_[static_cast<std::size_t>(c)].data());
    request_ = settings;
    requestNewest_ = tail_.total();
    restart_ = pendingRestart_;
    pendingRestart_ = false;
    lastUpdate_ = now;
    busy_.store(true, std::memory_order_release);
    {
        std::lock_guard lock(mutex_);
        requested_ = true;
    }
    wake_.notify_one();
    return true;
}

bool LiveSpectrum::take(LiveSpectrumResult& out) {
    std::lock_guard lock(mutex_);
    if (!fresh_)
        return false;
    std::swap(out, published_);
    fresh_ = false;
    return true;
}

void LiveSpectrum::run() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return requested_ || quit_; });
            if (quit_)
                return;
            requested_ = false;
        }
        compute();
        {
            std::lock_guard lock(mutex_);
            std::swap(back_, published_);
            fresh_ = true;
        }
        updates_.fetch_add(1, std::memory_order_relaxed);
        if (updated_)
            updated_();
        busy_.store(false, std::memory_order_release);
    }
}

void LiveSpectrum::compute() {
    const LiveSpectrumSettings s = request_;
    const std::int32_t bins = s.block / 2 + 1;
    if (!fft_ || fft_->size() != s.block)
        fft_ = std::make_unique<Fft>(Fft::Path::Fastest, s.block);
    magnitudes_.resize(static_cast<std::size_t>(bins));
    const bool resetHold = resetHold_.exchange(false, std::memory_order_relaxed);
    back_.settings = s;
    back_.newestSample = requestNewest_;
    for (int c = 0; c < liveChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        SpectrumAverager& averager = averagers_[i];
        if (!s.channels[i]) {
            back_.mean[i].clear();
            back_.hold[i].clear();
            back_.peak[i] = {};
            continue;
        }
        if (restart_)
            averager.configure(0, 0);
        averager.configure(bins, s.average);
        if (resetHold)
            averager.resetHold();
        fft_->ComputeBlockSpectrum(
            std::span<const float>(input_[i].data(), static_cast<std::size_t>(s.block)), magnitudes_);
        averager.add(magnitudes_);
        back_.mean[i].assign(averager.mean().begin(), averager.mean().end());
        back_.hold[i].assign(averager.hold().begin(), averager.hold().end());
        back_.peak[i] = spectrumPeakOf(averager.mean());
    }
}

} // namespace varnilog
